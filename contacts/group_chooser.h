#pragma once
// What the group chooser does with the groups the user ticked: copy or move
// the ticked contacts of a list into them, build a query condition from
// them, or give a group a new parent. No widgets.
#include "contacts/contact_selection.h"
#include "core/database.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>

// Copies every ticked row of `selection` into each of `groups` (in that
// order within each row): one new row per row and group, all columns kept
// except groupID and a new perNO for each copy, the perNOs consecutive in
// row order. One transaction; on a failure "复制或移动分组出错了" is
// logged and nothing is stored. `nextPerNo`, when given, receives the first
// perNO after the ones handed out.
bool CopyContactsToGroups(const ContactSelection& selection, const QList<qint64>& groups, sqlite3* db = g_pDB,
                          qint64* nextPerNo = nullptr);

// Moves every ticked row of `selection` into `group`. One transaction; on a
// failure "复制或移动分组出错了" is logged and nothing is stored.
bool MoveContactsToGroup(const ContactSelection& selection, qint64 group, sqlite3* db = g_pDB);

// " AND (groupID=3 OR groupID=5)" for the groups 3 and 5; empty for none.
QString GroupCondition(const QList<qint64>& groups);

// True when `group` is `ancestor` or lies below it (following MasterID up;
// a cycle already in the data ends the walk).
bool IsGroupWithin(qint64 group, qint64 ancestor, sqlite3* db = g_pDB);

enum class ReparentResult { Done, WouldCycle, Failed };
// Makes `parent` the parent of `group`, unless `parent` is `group` or one of
// its descendants: a cycle would hide both groups and their contacts.
ReparentResult SetGroupParent(qint64 group, qint64 parent, sqlite3* db = g_pDB);
