#include "gui/widgets/tree_helpers.h"

#include "contacts/group_tree.h"

#include <QTreeWidget>
#include <QTreeWidgetItem>
#include <QTreeWidgetItemIterator>

#include <vector>

qint64 TreeItemData(const QTreeWidgetItem* item) {
    return item ? item->data(0, kTreeItemDataRole).toLongLong() : 0;
}

void FillGroupTree(QTreeWidget* tree, sqlite3* db) {
    if (!tree)
        return;
    std::vector<TREE_GROUP> groups = ReadContactGroups(db);
    const std::vector<GroupPlacement> placements = PlaceGroups(groups);
    QTreeWidgetItem* top = tree->topLevelItemCount() > 0 ? tree->topLevelItem(0) : tree->invisibleRootItem();
    std::vector<QTreeWidgetItem*> items(groups.size(), nullptr);
    for (const GroupPlacement& placement : placements) {
        const TREE_GROUP& group = groups[static_cast<size_t>(placement.group)];
        QTreeWidgetItem* parent = placement.parent < 0 ? top : items[static_cast<size_t>(placement.parent)];
        auto* item = new QTreeWidgetItem(parent, QStringList{group.name});
        item->setData(0, kTreeItemDataRole, group.GroupID);
        items[static_cast<size_t>(placement.group)] = item;
    }
}

namespace {

QTreeWidgetItem* FindInSubtree(QTreeWidgetItem* item, qint64 data) {
    if (TreeItemData(item) == data)
        return item;
    for (int i = 0; i < item->childCount(); ++i) {
        if (QTreeWidgetItem* found = FindInSubtree(item->child(i), data))
            return found;
    }
    return nullptr;
}

void CollectChecked(const QTreeWidgetItem* parent, QList<qint64>& out) {
    for (int i = 0; i < parent->childCount(); ++i) {
        const QTreeWidgetItem* child = parent->child(i);
        if (child->checkState(0) == Qt::Checked)
            out << TreeItemData(child);
        CollectChecked(child, out);
    }
}

} // namespace

QTreeWidgetItem* FindTreeItemByData(QTreeWidget* tree, QTreeWidgetItem* item, qint64 data) {
    if (!item) {
        if (!tree || tree->topLevelItemCount() == 0)
            return nullptr;
        item = tree->topLevelItem(0);
    }
    // The siblings that follow `item` under the same parent (the invisible
    // root for a top-level item).
    QTreeWidgetItem* parent = item->parent();
    if (!parent && tree)
        parent = tree->invisibleRootItem();
    if (!parent)
        return FindInSubtree(item, data);
    for (int i = parent->indexOfChild(item); i >= 0 && i < parent->childCount(); ++i) {
        if (QTreeWidgetItem* found = FindInSubtree(parent->child(i), data))
            return found;
    }
    return nullptr;
}

void GetCheckedTreeItems(QTreeWidget* tree, QTreeWidgetItem* item, QList<qint64>& out) {
    if (!item) {
        if (!tree)
            return;
        item = tree->invisibleRootItem();
    }
    CollectChecked(item, out);
}

void FillCheckableGroupTree(QTreeWidget* tree, sqlite3* db) {
    if (!tree)
        return;
    tree->clear();
    FillGroupTree(tree, db);
    for (QTreeWidgetItemIterator it(tree); *it; ++it) {
        (*it)->setFlags((*it)->flags() | Qt::ItemIsUserCheckable);
        (*it)->setCheckState(0, Qt::Unchecked);
    }
    tree->expandAll();
}
