#include "core/database.h"
#include "core/sql.h"
#include "gui/widgets/item_edit.h"
#include "gui/widgets/list_helpers.h"
#include "gui/widgets/tree_helpers.h"
#include "tests/support/program_folder.h"

#include <QComboBox>
#include <QTableWidget>
#include <QTreeWidget>
#include <QWidget>
#include <gtest/gtest.h>

#include <algorithm>

namespace {

class FieldHelpers : public ProgramFolderTest {};

// "name#data[child,child]" with the children sorted, so two groups of the
// same parent may come in either order.
QString Describe(const QTreeWidgetItem* item) {
    QStringList children;
    for (int i = 0; i < item->childCount(); ++i)
        children << Describe(item->child(i));
    std::sort(children.begin(), children.end());
    QString text = item->text(0) + QLatin1Char('#') + QString::number(TreeItemData(item));
    if (!children.isEmpty())
        text += QLatin1Char('[') + children.join(QLatin1Char(',')) + QLatin1Char(']');
    return text;
}

QString DescribeTopLevel(const QTreeWidget& tree) {
    QStringList items;
    for (int i = 0; i < tree.topLevelItemCount(); ++i)
        items << Describe(tree.topLevelItem(i));
    std::sort(items.begin(), items.end());
    return items.join(QLatin1Char(','));
}

TEST_F(FieldHelpers, FillGroupTree) {
    // 4 has no parent, 5 and 6 are each other's parent, 0 and -1 are no groups.
    ASSERT_EQ(
        ExecSql(nullptr, g_pDB,
                "DELETE FROM ContactGroup;"
                "INSERT INTO ContactGroup (GroupID,GroupName,MasterID) VALUES"
                " (3,'C',2),(2,'B',1),(1,'A',0),(7,'G',0),(8,'H',1),(4,'orphan',99),"
                " (5,'cycle5',6),(6,'cycle6',5),(0,'zero',0),(-1,'negative',0),(9,'under-negative',-1)"),
        SQLITE_OK);

    QTreeWidget flat;
    FillGroupTree(&flat);
    EXPECT_EQ(DescribeTopLevel(flat), QStringLiteral("A#1[B#2[C#3],H#8],G#7"));

    QTreeWidget rooted;
    auto* root = new QTreeWidgetItem(&rooted, QStringList{QStringLiteral("全部")});
    root->setData(0, kTreeItemDataRole, 0);
    auto* other = new QTreeWidgetItem(&rooted, QStringList{QStringLiteral("other")});
    FillGroupTree(&rooted);
    EXPECT_EQ(Describe(root), QStringLiteral("全部#0[A#1[B#2[C#3],H#8],G#7]"));
    EXPECT_EQ(other->childCount(), 0);
    EXPECT_EQ(rooted.topLevelItemCount(), 2);

    QTreeWidget untouched;
    FillGroupTree(&untouched, nullptr);
    EXPECT_EQ(untouched.topLevelItemCount(), 0);
}

// A
// +- B (checked)
// |  +- C (checked)
// |  +- D
// +- E
//    +- F (checked)
// G (checked)
// +- H (checked)
struct SampleTree {
    QTreeWidget tree;
    QTreeWidgetItem* items[8] = {};
    SampleTree() {
        const int parents[8] = {-1, 0, 1, 1, 0, 4, -1, 6};
        const bool checked[8] = {false, true, true, false, false, true, true, true};
        for (int i = 0; i < 8; ++i) {
            const QStringList text{QString(QChar(u'A' + i))};
            items[i] = parents[i] < 0 ? new QTreeWidgetItem(&tree, text)
                                      : new QTreeWidgetItem(items[parents[i]], text);
            items[i]->setData(0, kTreeItemDataRole, 100 + i);
            items[i]->setCheckState(0, checked[i] ? Qt::Checked : Qt::Unchecked);
        }
    }
};

TEST_F(FieldHelpers, FindAndCollectTreeItems) {
    SampleTree s;
    struct FindCase {
        int start; // index into the sample, -1 = none given
        qint64 data;
        int expected; // -1 = none
    };
    const FindCase finds[] = {
        {-1, 105, 5}, // the whole tree, deep in the first subtree
        {-1, 107, 7}, // a later top-level item's child
        {0, 100, 0},  // the start itself
        {2, 103, 3},  // a following sibling
        {3, 102, -1}, // an earlier sibling is not searched
        {1, 105, 5},  // the parent's following sibling's subtree
        {4, 102, -1}, // nor an earlier sibling's subtree
        {5, 106, -1}, // nor the parent's siblings
        {-1, 999, -1},
    };
    for (const FindCase& f : finds) {
        QTreeWidgetItem* found =
            FindTreeItemByData(&s.tree, f.start < 0 ? nullptr : s.items[f.start], f.data);
        EXPECT_EQ(found, f.expected < 0 ? nullptr : s.items[f.expected]) << f.start << " " << f.data;
    }
    QTreeWidget empty;
    EXPECT_EQ(FindTreeItemByData(&empty, nullptr, 0), nullptr);

    struct CheckedCase {
        int under; // -1 = the whole tree
        QList<qint64> expected;
    };
    const CheckedCase checks[] = {
        {-1, {101, 102, 105, 106, 107}},
        {0, {101, 102, 105}}, // the item itself is not part of its subtree
        {6, {107}},
        {3, {}},
    };
    for (const CheckedCase& c : checks) {
        QList<qint64> out{42};
        GetCheckedTreeItems(&s.tree, c.under < 0 ? nullptr : s.items[c.under], out);
        EXPECT_EQ(out, QList<qint64>{42} + c.expected) << c.under;
    }
}

TEST_F(FieldHelpers, ItemEditKeepsItsHorizontalPosition) {
    QWidget host;
    host.resize(400, 300);
    auto* edit = new CItemEdit(30, &host);
    edit->move(50, 20);
    host.show();
    EXPECT_EQ(edit->pos(), QPoint(30, 20));
    edit->move(120, 40);
    EXPECT_EQ(edit->pos(), QPoint(30, 40));
    edit->setGeometry(200, 60, 80, 22);
    EXPECT_EQ(edit->geometry(), QRect(30, 60, 80, 22));
    edit->setFixedX(10);
    EXPECT_EQ(edit->pos(), QPoint(10, 60));
    edit->move(0, 5);
    EXPECT_EQ(edit->pos(), QPoint(10, 5));
}

QStringList Column(const QTableWidget& list, int column) {
    QStringList texts;
    for (int row = 0; row < list.rowCount(); ++row)
        texts << (list.item(row, column) ? list.item(row, column)->text() : QStringLiteral("-"));
    return texts;
}

TEST_F(FieldHelpers, AddLinesToListCtrl) {
    QTableWidget list(1, 2);
    list.setItem(0, 0, new QTableWidgetItem(QStringLiteral("old")));

    const QStringList wrongSize{QStringLiteral("one")};
    EXPECT_EQ(AddLinesToListCtrl(QStringLiteral("138\r\n139"), &list, &wrongSize), QString());
    EXPECT_EQ(list.rowCount(), 1);

    EXPECT_EQ(AddLinesToListCtrl(QStringLiteral("  138\r\n139\r\n"), &list), QStringLiteral("138,139,"));
    const QStringList names{QStringLiteral("张三"), QStringLiteral("李四")};
    EXPECT_EQ(AddLinesToListCtrl(QStringLiteral("150\r\n151"), &list, &names), QStringLiteral("150,151,"));
    EXPECT_EQ(Column(list, 0), (QStringList{"old", "138", "139", "150", "151"}));
    EXPECT_EQ(Column(list, 1), (QStringList{"-", "-", "-", QStringLiteral("张三"), QStringLiteral("李四")}));
    EXPECT_EQ(JoinListColumn(&list), QStringLiteral("old,138,139,150,151"));

    // A list made without columns still receives the cells.
    QTableWidget bare;
    EXPECT_EQ(AddLinesToListCtrl(QStringLiteral("a\r\nb"), &bare, &names), QStringLiteral("a,b,"));
    EXPECT_EQ(Column(bare, 0), (QStringList{"a", "b"}));
    EXPECT_EQ(Column(bare, 1), names);
    EXPECT_EQ(JoinListColumn(&bare), QStringLiteral("a,b"));
    QTableWidget none;
    EXPECT_EQ(JoinListColumn(&none), QString());
}

TEST_F(FieldHelpers, RemoveDuplicateRowsKeepsTheLast) {
    struct Case {
        QStringList texts;
        QStringList kept; // "text/row it came from"
    };
    const Case cases[] = {
        {{"A", "B", "A"}, {"B/1", "A/2"}},
        {{"A", "A", "A"}, {"A/2"}},
        {{"B", "A", "B", "A"}, {"B/2", "A/3"}},
        {{"A", "B", "C"}, {"A/0", "B/1", "C/2"}},
        {{}, {}},
    };
    for (const Case& c : cases) {
        QTableWidget list(static_cast<int>(c.texts.size()), 2);
        for (int row = 0; row < c.texts.size(); ++row) {
            list.setItem(row, 0, new QTableWidgetItem(c.texts[row]));
            list.setItem(row, 1, new QTableWidgetItem(QString::number(row)));
        }
        RemoveDuplicateRows(&list);
        QStringList kept;
        for (int row = 0; row < list.rowCount(); ++row)
            kept << list.item(row, 0)->text() + QLatin1Char('/') + list.item(row, 1)->text();
        EXPECT_EQ(kept, c.kept) << c.texts.join(QLatin1Char(',')).toStdString();
    }
}

TEST_F(FieldHelpers, LoadVisibleFields) {
    QComboBox combo;
    combo.addItem(QStringLiteral("全部"));
    LoadVisibleFields(&combo, QStringLiteral("AND fieldID>18"));
    ASSERT_EQ(combo.count(), 3);
    EXPECT_EQ(combo.itemText(0), QStringLiteral("全部"));
    EXPECT_EQ(combo.itemText(1), QStringLiteral("传真"));
    EXPECT_EQ(combo.itemText(2), QStringLiteral("备注"));
}

} // namespace
