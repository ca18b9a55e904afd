#pragma once
// Adding, deleting and renaming contact groups, and the caption that names
// a node of the group tree by its path. Each change is one transaction: it
// is stored whole or not at all, so the tree can follow the database.
#include "core/database.h"

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <vector>

// Stores a new group `name` under `parent` (0: the top level) with a
// GroupID handed out now (largest plus one, never repeated), so groups that
// arrived since the tree was filled cannot lend their id twice. The new
// GroupID, or 0 on a failure (logged with "更新组时出错了"; nothing stored).
qint64 AddGroup(const QString& name, qint64 parent, sqlite3* db = g_pDB);

// The groups below `group` as stored (following MasterID), depth first,
// each group's subgroups before its next sibling. A cycle in the data ends
// the walk; `group` itself is never among them.
std::vector<qint64> GroupDescendants(qint64 group, sqlite3* db = g_pDB);

// Deletes `group`, every group below it and all their contacts, in one
// transaction. On a failure nothing is deleted, the reason is logged
// ("删除组时删除分组出错了" or "删除组时删除联系人出错了") and false returned.
bool DeleteGroupTree(qint64 group, sqlite3* db = g_pDB);

// Gives `group` the name `name`; the update runs even when the name is the
// same. False on a failure (logged with "更新组时出错了"; nothing changed).
bool RenameGroup(qint64 group, const QString& name, sqlite3* db = g_pDB);

// The caption of a node: the texts of the node's ancestors, outermost first,
// then its own, in `path`; the node and at most its five nearest ancestors
// are joined with "->" ("联系人->A->B->C").
QString GroupCaption(const QStringList& path);
