// The group chooser in its four modes, driven as a user would.
#include "contacts/contact_selection.h"
#include "core/sql.h"
#include "gui/contacts/choose_group_dialog.h"
#include "gui/widgets/tree_helpers.h"
#include "tests/support/contacts_fixture.h"
#include "tests/support/dialog_driver.h"
#include "tests/support/msgbox_recorder.h"

#include <QDir>
#include <QLabel>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <initializer_list>

namespace {

class ChooseGroup : public ContactsFixtureTest {
protected:
    static QTreeWidget* Tree(CDlgChooseGroup& dialog) { return Child<QTreeWidget>(dialog, "groupTree"); }
    static void TickGroups(CDlgChooseGroup& dialog, std::initializer_list<qint64> groups) {
        for (qint64 group : groups) {
            QTreeWidgetItem* item = FindTreeItemByData(Tree(dialog), nullptr, group);
            ASSERT_NE(item, nullptr) << group;
            item->setCheckState(0, Qt::Checked);
        }
    }
    static qint64 Count(const std::string& where) {
        SqlStatement st(g_pDB, "SELECT COUNT(*) FROM ContactList WHERE " + where);
        return st.step() == SQLITE_ROW ? st.int64(0) : -1;
    }
    static qint64 MasterOf(int group) {
        SqlStatement st(g_pDB, "SELECT MasterID FROM ContactGroup WHERE GroupID=?");
        st.bind(1, group);
        return st.step() == SQLITE_ROW ? st.int64(0) : -1;
    }
    // "name#data[children]" of the whole tree, in tree order.
    static QString Describe(const QTreeWidgetItem* item) {
        QStringList children;
        for (int i = 0; i < item->childCount(); ++i) {
            const QTreeWidgetItem* child = item->child(i);
            QString text = child->text(0) + QLatin1Char('#') + QString::number(TreeItemData(child));
            if (child->childCount() > 0)
                text += QLatin1Char('[') + Describe(child) + QLatin1Char(']');
            children << text;
        }
        return children.join(QLatin1Char(','));
    }

    MessageBoxRecorder m_boxes;
};

const QString kGroup4List =
    QStringLiteral("SELECT name FROM ContactList WHERE groupID=4 ORDER BY displayIndex, rowid");
const QString kAllContacts = QStringLiteral("SELECT name FROM ContactList ORDER BY displayIndex, rowid");

// A contact named "FAIL" in group 4 (last in its list), written past the
// fixture's trigger, so copying or moving it fails.
void AddFailingContact() {
    ASSERT_EQ(ExecSql(nullptr, g_pDB,
                      "DROP TRIGGER fail_insert;"
                      "INSERT INTO ContactList (name, mobileNum, groupID, perNO, isDeleted, displayIndex)"
                      " VALUES ('FAIL', '13900000009', 4, 50, 0, 99);"
                      "CREATE TRIGGER fail_insert BEFORE INSERT ON ContactList WHEN NEW.name='FAIL'"
                      " BEGIN SELECT RAISE(ABORT, 'x'); END;"),
              SQLITE_OK);
}

TEST_F(ChooseGroup, PromptAndTreeFollowTheMode) {
    const struct {
        int treeMode;
        bool move;
        bool query;
        const char* prompt;
        const char* tree;
    } cases[] = {
        {0, false, false, "将所选联系人复制到以下分组(请勾选)", "联系人#0[A#1[B#2[C#3]],D#4]"},
        {0, true, false, "将所选联系人移动到以下分组(请勾选)", "联系人#0[A#1[B#2[C#3]],D#4]"},
        {0, false, true, "请选择要查询的联系人分组", "联系人#0[A#1[B#2[C#3]],D#4]"},
        // Parent mode for B: neither B nor C is offered.
        {1, false, false, "将所选联系人复制到以下分组(请勾选)", "A#1,D#4"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.prompt);
        CDlgChooseGroup dialog;
        dialog.m_treeMode = c.treeMode;
        dialog.m_moveContacts = c.move;
        dialog.m_queryMode = c.query;
        dialog.m_currentGroup = 2;
        dialog.OnInitDialog();
        EXPECT_EQ(Child<QLabel>(dialog, "1087")->text(), QString::fromUtf8(c.prompt));
        EXPECT_EQ(Describe(Tree(dialog)->invisibleRootItem()), QString::fromUtf8(c.tree));
        // Groups have tick boxes; "all contacts" is no group and has none.
        const QTreeWidgetItem* first = Tree(dialog)->topLevelItem(0);
        EXPECT_EQ(first->flags().testFlag(Qt::ItemIsUserCheckable), c.treeMode == 1);
        EXPECT_EQ(first->data(0, Qt::CheckStateRole).isValid(), c.treeMode == 1);
    }
}

TEST_F(ChooseGroup, CopyTwoContactsIntoThreeGroups) {
    ContactSelection selection(kGroup4List);
    selection.Tick(FixtureRowid("13900000001", 4), true);
    selection.Tick(FixtureRowid("13900000002", 4), true);
    SqlStatement max(g_pDB, "SELECT MAX(perNO) FROM ContactList");
    ASSERT_EQ(max.step(), SQLITE_ROW);
    const qint64 first = max.int64(0) + 1;
    max.reset();

    CDlgChooseGroup dialog;
    dialog.m_selection = &selection;
    dialog.show();
    TickGroups(dialog, {1, 2, 3});
    Click(dialog, "1");
    EXPECT_EQ(dialog.result(), 1003);
    EXPECT_EQ(m_boxes.texts(), QStringList{"已成功将所选联系人复制到目标分组"});

    SqlStatement st(g_pDB, "SELECT perNO FROM ContactList WHERE perNO>=? ORDER BY perNO");
    st.bind(1, static_cast<int64_t>(first));
    std::vector<qint64> perNos;
    while (st.step() == SQLITE_ROW)
        perNos.push_back(st.int64(0));
    EXPECT_EQ(perNos, (std::vector<qint64>{first, first + 1, first + 2, first + 3, first + 4, first + 5}));
    EXPECT_EQ(dialog.m_nextPerNo, first + 6);
    EXPECT_EQ(Count("mobileNum IN ('13900000001','13900000002') AND groupID IN (1,2,3)"), 6);
    EXPECT_EQ(Count("mobileNum IN ('13900000001','13900000002') AND groupID=4"), 2);
}

TEST_F(ChooseGroup, MoveFromAllContactsGoesToTheFirstTickedGroupOnly) {
    ContactSelection selection(kAllContacts);
    const qint64 zhangIn1 = FixtureRowid("13800000001", 1);
    const qint64 jia = FixtureRowid("13900000001", 4);
    selection.Tick(zhangIn1, true);
    selection.Tick(jia, true);

    CDlgChooseGroup dialog;
    dialog.m_moveContacts = true;
    dialog.m_selection = &selection;
    dialog.show();
    TickGroups(dialog, {4, 2}); // tree order: B (under A) before D
    Click(dialog, "1");
    EXPECT_EQ(dialog.result(), 1003);
    EXPECT_EQ(m_boxes.texts(), QStringList{"已成功将所选联系人移动到目标分组"});
    EXPECT_EQ(FixtureRowid("13900000001", 2), jia);
    EXPECT_EQ(Count("mobileNum='13800000001' AND groupID=2"), 2);
    EXPECT_EQ(Count("mobileNum='13800000001' AND groupID=1"), 0);
    EXPECT_EQ(Count("groupID=4"), 5); // 乙..戊 and 李四
}

TEST_F(ChooseGroup, FailureCommitsNothingAndStaysOpen) {
    AddFailingContact();
    const struct {
        bool move;
        const char* shown;
    } cases[] = {
        {false, "未能将所选联系人复制到目标分组"},
        {true, "未能将所选联系人移动到目标分组"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.shown);
        m_boxes.clear();
        ContactSelection selection(kGroup4List);
        selection.TickAll();
        CDlgChooseGroup dialog;
        dialog.m_moveContacts = c.move;
        dialog.m_selection = &selection;
        dialog.show();
        TickGroups(dialog, {1});
        Click(dialog, "1");
        EXPECT_EQ(dialog.result(), kStayedOpen);
        EXPECT_EQ(m_boxes.texts(), QStringList{QString::fromUtf8(c.shown)});
        EXPECT_EQ(Count("groupID=1"), 2);
        EXPECT_EQ(Count("groupID=4"), 7);
    }
    EXPECT_EQ(runLog().count(QStringLiteral("复制或移动分组出错了")), 2);
}

TEST_F(ChooseGroup, TargetCountIsChecked) {
    const struct {
        int treeMode;
        std::initializer_list<qint64> ticked;
        const char* shown;
    } cases[] = {
        {0, {}, "目标分组不能为空"},
        {1, {}, "目标分组不能为空"},
        {1, {1, 4}, "目标分组只能有一个"},
    };
    ContactSelection selection(kGroup4List);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.shown);
        m_boxes.clear();
        CDlgChooseGroup dialog;
        dialog.m_treeMode = c.treeMode;
        dialog.m_currentGroup = 3;
        dialog.m_selection = &selection;
        dialog.show();
        TickGroups(dialog, c.ticked);
        Click(dialog, "1");
        EXPECT_EQ(dialog.result(), kStayedOpen);
        EXPECT_EQ(m_boxes.texts(), QStringList{QString::fromUtf8(c.shown)});
    }
    EXPECT_EQ(MasterOf(3), 2);
}

TEST_F(ChooseGroup, ParentModeMovesTheGroupAndRefusesACycle) {
    {
        // The tree changed after the dialog opened: D went under C, so D now
        // lies below A and cannot become A's parent.
        CDlgChooseGroup dialog;
        dialog.m_treeMode = 1;
        dialog.m_currentGroup = 1;
        dialog.show();
        ASSERT_EQ(ExecSql(nullptr, g_pDB, "UPDATE ContactGroup SET MasterID=3 WHERE GroupID=4"), SQLITE_OK);
        TickGroups(dialog, {4});
        Click(dialog, "1");
        EXPECT_EQ(dialog.result(), kStayedOpen);
        EXPECT_EQ(m_boxes.texts(), QStringList{"不能将分组移到它自己或它的下级分组之下"});
        EXPECT_EQ(MasterOf(1), 0);
    }
    m_boxes.clear();
    ASSERT_EQ(ExecSql(nullptr, g_pDB, "UPDATE ContactGroup SET MasterID=0 WHERE GroupID=4"), SQLITE_OK);
    CDlgChooseGroup dialog;
    dialog.m_treeMode = 1;
    dialog.m_currentGroup = 2;
    dialog.show();
    TickGroups(dialog, {4});
    Click(dialog, "1");
    EXPECT_EQ(dialog.result(), 1003);
    EXPECT_EQ(MasterOf(2), 4);
    EXPECT_EQ(MasterOf(3), 2);
    EXPECT_TRUE(m_boxes.texts().isEmpty());
}

TEST_F(ChooseGroup, QueryModeBuildsTheCondition) {
    ASSERT_EQ(ExecSql(nullptr, g_pDB, "UPDATE ContactGroup SET MasterID=0 WHERE GroupID=5"), SQLITE_OK);
    CDlgChooseGroup dialog;
    dialog.m_queryMode = true;
    dialog.show();
    TickGroups(dialog, {5, 3});
    Click(dialog, "1");
    EXPECT_EQ(dialog.result(), 1003);
    EXPECT_EQ(dialog.m_groupCondition, " AND (groupID=3 OR groupID=5)");
    EXPECT_TRUE(m_boxes.texts().isEmpty());
}

TEST_F(ChooseGroup, CancelDoesNothing) {
    ContactSelection selection(kGroup4List);
    selection.TickAll();
    CDlgChooseGroup dialog;
    dialog.m_selection = &selection;
    dialog.show();
    TickGroups(dialog, {1});
    Click(dialog, "2");
    EXPECT_EQ(dialog.result(), 2);
    EXPECT_EQ(Count("groupID=1"), 2);
}

class ChooseGroupScreenshots : public ChooseGroup {};

TEST_F(ChooseGroupScreenshots, CopyMode) {
    const QString dir = qEnvironmentVariable("CORVELANE_SCREENSHOT_DIR");
    if (dir.isEmpty())
        GTEST_SKIP() << "CORVELANE_SCREENSHOT_DIR not set";
    CDlgChooseGroup dialog;
    dialog.show();
    TickGroups(dialog, {2});
    ASSERT_TRUE(dialog.grab().save(QDir(dir).filePath(QStringLiteral("choose-group.png"))));
}

} // namespace
