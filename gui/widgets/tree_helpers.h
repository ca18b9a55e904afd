#pragma once
// Tree helpers shared by the group pickers and the main window's tree: the
// contact groups as items, finding an item by its data, collecting the
// checked items.
#include "core/database.h"

#include <QList>
#include <Qt>
#include <QtGlobal>

class QTreeWidget;
class QTreeWidgetItem;

// The role of column 0 that holds an item's data (a group id, a node code).
// Every tree of the program stores its item data there.
constexpr int kTreeItemDataRole = Qt::UserRole;

// An item's data; 0 when it holds none.
qint64 TreeItemData(const QTreeWidgetItem* item);

// Adds the contact groups (GroupID > 0) with their names, the group id as
// item data. A group with MasterID 0 goes under the tree's first top-level
// item (the caller's root item) or, when the tree has no item, to the top
// level; every other group goes under its parent group, appended as the last
// child. A group whose parent never gets placed is left out.
void FillGroupTree(QTreeWidget* tree, sqlite3* db = g_pDB);
// The tree emptied and filled as FillGroupTree does, every item with an
// unticked check box, all expanded: the tree of a dialog that ticks groups.
void FillCheckableGroupTree(QTreeWidget* tree, sqlite3* db = g_pDB);

// Depth-first search from `item` and its following siblings (with their
// subtrees) for the item whose data equals `data`. A null `item` starts at
// the tree's first top-level item. Null when there is none.
QTreeWidgetItem* FindTreeItemByData(QTreeWidget* tree, QTreeWidgetItem* item, qint64 data);

// Appends the data of every checked item (column 0) below `item`, at any
// depth, parents before their children. A null `item` means the whole tree.
void GetCheckedTreeItems(QTreeWidget* tree, QTreeWidgetItem* item, QList<qint64>& out);
