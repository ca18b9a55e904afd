// The contact list pane, driven as the main window and a user would.
#include "gui/contacts/address_list_dialog.h"
#include "gui/contacts/contact_frame.h"

#include "core/helpers.h"
#include "core/sql.h"
#include "core/string_table.h"
#include "gui/contacts/choose_group_dialog.h"
#include "gui/sms/send_sms_dialog.h"
#include "gui/widgets/modal_runner.h"
#include "gui/widgets/tree_helpers.h"
#include "tests/support/contacts_fixture.h"
#include "tests/support/dialog_driver.h"
#include "tests/support/msgbox_recorder.h"

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace {

void LeftClick(QWidget* w, const QPoint& pos) {
    const QPointF global = w->mapToGlobal(pos);
    QMouseEvent press(QEvent::MouseButtonPress, pos, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, pos, global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(w, &release);
}

class ContactFrame : public ContactsFixtureTest {
protected:
    void SetUp() override {
        ContactsFixtureTest::SetUp();
        g_pLoginRights = std::make_unique<QStringList>(QStringList{QStringLiteral("AD")});
        SortState::Pane(SortState::Kind::Normal).Reset();
        SortState::Pane(SortState::Kind::Duplicates).Reset();
    }
    void TearDown() override {
        SetModalRunner({});
        g_pLoginRights.reset();
        ContactsFixtureTest::TearDown();
    }

    // An operator holding every right but `missing` (0: none missing).
    static void LogInOperator(int missing) {
        QStringList rights(21, QStringLiteral("1"));
        rights[0] = QStringLiteral("OP");
        if (missing > 0)
            rights[missing] = QStringLiteral("0");
        g_pLoginRights = std::make_unique<QStringList>(rights);
    }

    static void Exec(const std::string& sql) {
        std::string error;
        ASSERT_EQ(ExecSql(&error, g_pDB, sql), SQLITE_OK) << error;
    }
    static qint64 Scalar(const std::string& sql) {
        SqlStatement st(g_pDB, sql);
        return st.step() == SQLITE_ROW ? st.int64(0) : -1;
    }
    static QString Label(CDlgContactFrame& pane, const char* id) { return Child<QLabel>(pane, id)->text(); }
    static bool Enabled(CDlgContactFrame& pane, const char* id) {
        return Child<QPushButton>(pane, id)->isEnabled();
    }

    // The column of a field in the list.
    static int FieldColumn(const char* column) {
        return 2 + VisibleFieldRegistry::IndexOfColumn(QString::fromLatin1(column));
    }
    // The shown names, top to bottom.
    static QStringList Names(CDlgContactFrame& pane) {
        QStringList names;
        for (int r = 0; r < pane.TotalRows(); ++r)
            names << pane.CellText(r, FieldColumn("name"));
        return names;
    }
    static std::set<int> TickedRows(CDlgContactFrame& pane) {
        std::set<int> rows;
        for (int r = 0; r < pane.TotalRows(); ++r)
            if (pane.IsRowTicked(r))
                rows.insert(r);
        return rows;
    }
    static std::map<QString, bool> MenuState(CDlgContactFrame& pane, int row) {
        std::map<QString, bool> state;
        std::unique_ptr<QMenu> menu = pane.CreateContextMenu(row);
        for (QObject* o : menu->findChildren<QObject*>()) {
            if (auto* a = qobject_cast<QAction*>(o); a && !a->objectName().isEmpty())
                state[a->objectName()] = a->isEnabled();
            if (auto* m = qobject_cast<QMenu*>(o); m && !m->objectName().isEmpty())
                state[m->objectName()] = m->isEnabled();
        }
        return state;
    }

    MessageBoxRecorder m_boxes;
};

TEST_F(ContactFrame, AnEmptyGroupShowsZeroAndGreysItsCommands) {
    CDlgContactFrame pane;
    pane.QueryContacts(5, false, -1);
    EXPECT_EQ(Label(pane, "1042"), "0");
    EXPECT_EQ(Label(pane, "1043"), "0");
    for (const char* id : {"1008", "1009", "1010", "1011", "1012"})
        EXPECT_FALSE(Enabled(pane, id)) << id;
    const std::map<QString, bool> menu = MenuState(pane, -1);
    for (const char* id : {"groupMenu", "sendMenu", "10002", "10004", "10008", "10010", "10021", "10001"})
        EXPECT_FALSE(menu.at(id)) << id;
    EXPECT_TRUE(menu.at("10012"));

    // A group with rows enables them again.
    pane.QueryContacts(4, false, -1);
    EXPECT_EQ(Label(pane, "1042"), "6");
    for (const char* id : {"1008", "1009", "1010", "1011", "1012"})
        EXPECT_TRUE(Enabled(pane, id)) << id;
}

TEST_F(ContactFrame, HeaderClicksSortAscendingDescendingAscending) {
    CDlgContactFrame pane;
    pane.QueryContacts(4, false, -1);
    const QStringList byDisplay = Names(pane);
    const int name = FieldColumn("name");
    CVirtualListCtrl* list = pane.List();
    const QStringList ascending{"丙", "丁", "甲", "李四", "戊", "乙"};
    QStringList descending = ascending;
    std::reverse(descending.begin(), descending.end());
    struct Step {
        int column;
        QStringList names;
        int arrowColumn;
        int arrowDirection;
    } steps[] = {
        {name, ascending, name, 1}, {name, descending, name, -1}, {name, ascending, name, 1},
        {0, ascending, name, 1},    {1, ascending, name, 1},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.column);
        list->horizontalHeader()->sectionClicked(s.column);
        EXPECT_EQ(Names(pane), s.names);
        EXPECT_EQ(list->SortColumn(), s.arrowColumn);
        EXPECT_EQ(list->SortDirection(), s.arrowDirection);
    }
    // The main window's query goes back to the default order and clears the arrow.
    pane.QueryContacts(4, false, -1);
    EXPECT_EQ(Names(pane), byDisplay);
    EXPECT_EQ(list->SortColumn(), -1);
    EXPECT_TRUE(pane.ListSql().endsWith(" ORDER BY displayIndex, rowid"));
}

TEST_F(ContactFrame, IllegalNumberFilterDeletesOnlyIllegalRowsOfTheGroup) {
    Exec("INSERT INTO ContactList (name, mobileNum, groupID, perNO, displayIndex) VALUES"
         " ('a', '13000000000', 6, 20, 1), ('b', '20000000000', 6, 21, 2), ('c', '0123456789', 6, 22, 3),"
         " ('d', '12999999999', 6, 23, 4), ('e', '2123', 6, 24, 5), ('f', 'abcdefghijk', 6, 25, 6),"
         " ('g', '2123', 4, 26, 8)");
    CDlgContactFrame pane;
    pane.QueryContacts(6, false, -1);
    pane.OnCommand(10012);
    EXPECT_EQ(m_boxes.texts(), (QStringList{LoadStr(184), QStringLiteral("删除非法号码3个")}));
    EXPECT_EQ(Names(pane), (QStringList{"a", "b", "c"}));
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM ContactList WHERE mobileNum='2123' AND groupID=4"), 1);

    m_boxes.clear();
    pane.OnCommand(10012);
    EXPECT_EQ(m_boxes.texts(), (QStringList{LoadStr(184), QStringLiteral("删除非法号码0个")}));
    EXPECT_EQ(Label(pane, "1042"), "3");

    // "No" changes nothing.
    m_boxes.clear();
    m_boxes.queueAnswer(IDNO);
    pane.QueryContacts(4, false, -1);
    pane.OnCommand(10012);
    EXPECT_EQ(m_boxes.texts(), QStringList{LoadStr(184)});
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM ContactList WHERE mobileNum='2123'"), 1);
}

TEST_F(ContactFrame, DuplicatesModeTicksRepetitionsAndDeleteLeavesOne) {
    struct Case {
        const char* label;
        int perNos[3];
    } cases[] = {{"three contacts", {30, 31, 32}}, {"two rows share a perNO", {30, 31, 31}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        LoadContactsFixture();
        Exec("DELETE FROM ContactList WHERE groupID=6;"
             "INSERT INTO ContactList (name, mobileNum, groupID, perNO, displayIndex) VALUES"
             " ('x1', '13700000001', 6, " +
             std::to_string(c.perNos[0]) +
             ", 3),"
             " ('x2', '13700000001', 6, " +
             std::to_string(c.perNos[1]) +
             ", 2),"
             " ('x3', '13700000001', 6, " +
             std::to_string(c.perNos[2]) +
             ", 1),"
             " ('y', '13700000002', 6, 40, 0)");
        CDlgContactFrame pane;
        pane.QueryContacts(6, false, -1);
        pane.OnCommand(1012);
        EXPECT_TRUE(pane.DuplicatesMode());
        EXPECT_EQ(Child<QPushButton>(pane, "1012")->text(), LoadStr(365));
        EXPECT_EQ(pane.TotalRows(), 3);
        EXPECT_EQ(TickedRows(pane), (std::set<int>{1, 2}));
        EXPECT_EQ(Label(pane, "1043"), "2");
        pane.OnCommand(1011);
        EXPECT_EQ(Scalar("SELECT COUNT(*) FROM ContactList WHERE mobileNum='13700000001'"), 1);
        EXPECT_EQ(Scalar("SELECT COUNT(*) FROM ContactList WHERE groupID=6"), 2);
        EXPECT_FALSE(pane.DuplicatesMode());
    }
    // Fewer than two rows in duplicates mode: the way back stays open.
    CDlgContactFrame pane;
    pane.QueryContacts(6, true, -1);
    EXPECT_EQ(pane.TotalRows(), 0);
    EXPECT_TRUE(Enabled(pane, "1012"));
    EXPECT_TRUE(MenuState(pane, -1).at("10011"));
    pane.OnCommand(10011);
    EXPECT_FALSE(pane.DuplicatesMode());
}

TEST_F(ContactFrame, DeleteTouchesOnlyTheTickedRowsOfTheView) {
    struct Case {
        const char* label;
        int group;
        const char* number;
        qint64 rowsLeftWithNumber;
    } cases[] = {
        // 张三 is in groups 1 and 2 with one perNO: only group 1's row goes.
        {"group view", 1, "13800000001", 1},
        // 李四 has three rows; the all-contacts view deletes the one ticked.
        {"all contacts", 0, "13800000002", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        LoadContactsFixture();
        CDlgContactFrame pane;
        pane.QueryContacts(c.group, false, -1);
        const qint64 before = Scalar("SELECT COUNT(*) FROM ContactList");
        int row = -1;
        for (int r = 0; r < pane.TotalRows() && row < 0; ++r)
            if (pane.CellText(r, FieldColumn("mobileNum")) == QLatin1String(c.number))
                row = r;
        ASSERT_GE(row, 0);
        pane.TickRow(row, true);
        pane.OnCommand(1011);
        EXPECT_EQ(m_boxes.texts().last(), QStringLiteral("1") + LoadStr(159));
        EXPECT_EQ(Scalar("SELECT COUNT(*) FROM ContactList"), before - 1);
        EXPECT_EQ(Scalar(std::string("SELECT COUNT(*) FROM ContactList WHERE mobileNum='") + c.number + "'"),
                  c.rowsLeftWithNumber);
        EXPECT_EQ(Label(pane, "1043"), "0");
    }
    // Nothing ticked: string 154, nothing deleted.
    m_boxes.clear();
    CDlgContactFrame pane;
    pane.QueryContacts(4, false, -1);
    pane.OnCommand(10010);
    EXPECT_EQ(m_boxes.texts(), QStringList{LoadStr(154)});
}

TEST_F(ContactFrame, MaskingFollowsRight16) {
    struct Case {
        const char* who;
        int missing; // -1 administrator
        const char* shown;
    } cases[] = {{"administrator", -1, "13800000002"},
                 {"operator with right 16", 0, "138****0002"},
                 {"operator without right 16", 16, "13800000002"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.who);
        if (c.missing < 0)
            g_pLoginRights = std::make_unique<QStringList>(QStringList{QStringLiteral("AD")});
        else
            LogInOperator(c.missing);
        CDlgContactFrame pane;
        pane.QueryContacts(4, false, -1);
        EXPECT_EQ(pane.CellText(0, FieldColumn("mobileNum")), c.shown);
    }
}

TEST_F(ContactFrame, RangeTicksIncludeTheCurrentRow) {
    CDlgContactFrame pane;
    pane.QueryContacts(4, false, -1);
    struct Step {
        int command;
        int currentRow;
        std::set<int> ticked;
    } steps[] = {
        {10015, 2, {0, 1, 2}}, {10016, 3, {0, 1, 2, 3, 4, 5}}, {10017, 1, {2, 3, 4, 5}}, {10018, 3, {2}},
        {10020, 0, {}},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.command);
        pane.SetCurrentRow(s.currentRow);
        pane.OnCommand(s.command);
        EXPECT_EQ(TickedRows(pane), s.ticked);
        EXPECT_EQ(Label(pane, "1043"), QString::number(s.ticked.size()));
    }
    // Between two ticked rows.
    pane.TickRow(1, true);
    pane.TickRow(3, true);
    pane.OnCommand(10019);
    EXPECT_EQ(TickedRows(pane), (std::set<int>{1, 2, 3}));
    // All, invert, invert.
    pane.OnCommand(1008);
    EXPECT_FALSE(Enabled(pane, "1008"));
    pane.OnCommand(1009);
    EXPECT_EQ(TickedRows(pane), std::set<int>{});
    pane.TickRow(4, true);
    pane.OnCommand(1009);
    EXPECT_EQ(TickedRows(pane), (std::set<int>{0, 1, 2, 3, 5}));
    EXPECT_TRUE(Enabled(pane, "1008"));
    // The re-query entry point clears every tick.
    pane.Requery();
    EXPECT_EQ(TickedRows(pane), std::set<int>{});
    EXPECT_EQ(Label(pane, "1043"), "0");
}

TEST_F(ContactFrame, MoveToTopUpAndDown) {
    CDlgContactFrame pane;
    pane.QueryContacts(4, false, -1);
    const int name = FieldColumn("name");
    // Group 4 by display order: 李四(5), then 甲 乙 丙 丁 戊 tied on 7.
    ASSERT_EQ(Names(pane), (QStringList{"李四", "甲", "乙", "丙", "丁", "戊"}));
    pane.TickRow(3, true);
    pane.TickRow(5, true);
    ASSERT_TRUE(pane.MoveSelectedToTop());
    EXPECT_EQ(Names(pane), (QStringList{"丙", "戊", "李四", "甲", "乙", "丁"}));
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM ContactList WHERE displayIndex < 1"), 2);
    EXPECT_EQ(TickedRows(pane), std::set<int>{});

    // Down from row 0 exchanges the display positions of rows 0 and 1.
    const qint64 first = Scalar("SELECT displayIndex FROM ContactList WHERE name='丙'");
    const qint64 second = Scalar("SELECT displayIndex FROM ContactList WHERE name='戊'");
    pane.CellText(0, name); // shown, so cached
    pane.SetCurrentRow(0);
    pane.OnCommand(10023);
    EXPECT_EQ(pane.CurrentRow(), 1);
    EXPECT_EQ(Scalar("SELECT displayIndex FROM ContactList WHERE name='丙'"), second);
    EXPECT_EQ(Scalar("SELECT displayIndex FROM ContactList WHERE name='戊'"), first);
    pane.OnCommand(10022);
    EXPECT_EQ(pane.CurrentRow(), 0);
    EXPECT_EQ(Scalar("SELECT displayIndex FROM ContactList WHERE name='丙'"), first);
    pane.Requery();
    EXPECT_EQ(Names(pane).mid(0, 2), (QStringList{"丙", "戊"}));
    // Up from the first row does nothing.
    pane.SetCurrentRow(0);
    pane.OnCommand(10022);
    EXPECT_EQ(pane.CurrentRow(), 0);
}

TEST_F(ContactFrame, EachMissingRightRefusesItsCommand) {
    const QString refusal = QStringLiteral("您没有相应权限进行此操作.");
    struct Case {
        int right;
        int command;
    } cases[] = {{1, 1003}, {2, 1011}, {2, 10010}, {2, 10012}, {3, 1010}, {4, 10002}, {4, 10003}};
    int opened = 0;
    SetModalRunner([&](QDialog&) {
        ++opened;
        return 2;
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        LogInOperator(c.right);
        m_boxes.clear();
        CDlgContactFrame pane;
        pane.QueryContacts(4, false, -1);
        pane.OnCommand(1008);
        pane.OnCommand(c.command);
        EXPECT_EQ(m_boxes.texts(), QStringList{refusal});
        EXPECT_EQ(pane.TotalRows(), 6);
    }
    EXPECT_EQ(opened, 0);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM ContactList"), 10);
}

TEST_F(ContactFrame, ComposersAndTheChooserGetTheTickedRows) {
    CDlgContactFrame pane;
    pane.QueryContacts(0, false, -1);
    const int mobile = FieldColumn("mobileNum");
    std::vector<int> ticked;
    for (int r = 0; r < pane.TotalRows(); ++r)
        if (pane.CellText(r, mobile) == QLatin1String("13800000002") ||
            pane.CellText(r, mobile) == QLatin1String("13900000005"))
            ticked.push_back(r);
    ASSERT_EQ(ticked.size(), 4u);
    for (int r : {ticked[0], ticked[3]})
        pane.TickRow(r, true);

    // The SMS composer receives the pane's selection.
    QStringList received;
    SetModalRunner([&](QDialog& dialog) {
        EXPECT_NE(dynamic_cast<CDlgSendSMS*>(&dialog), nullptr);
        pane.Selection().ForEachTicked(g_pDB, QStringLiteral("name"), [&](SqlStatement& row, qint64) {
            received << row.qtext(0);
            return true;
        });
        return 2;
    });
    pane.OnCommand(1007);
    EXPECT_EQ(received, (QStringList{"李四", "戊"}));

    // Copy from all contacts into group B (2), which holds 张三 only.
    SetModalRunner([&](QDialog& dialog) {
        auto* chooser = dynamic_cast<CDlgChooseGroup*>(&dialog);
        EXPECT_NE(chooser, nullptr);
        if (!chooser)
            return 2;
        EXPECT_FALSE(chooser->m_moveContacts);
        EXPECT_EQ(chooser->m_selection, &pane.Selection());
        chooser->OnInitDialog();
        auto* tree = Child<QTreeWidget>(dialog, "groupTree");
        QTreeWidgetItem* item = FindTreeItemByData(tree, nullptr, 2);
        EXPECT_NE(item, nullptr);
        if (item)
            item->setCheckState(0, Qt::Checked);
        chooser->OnOK();
        return dialog.result();
    });
    pane.OnCommand(10002);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM ContactList WHERE groupID=2"), 3);
    EXPECT_EQ(Label(pane, "1043"), "0");
}

TEST_F(ContactFrame, QueryOpensThePickerInQueryModeAndRequeries) {
    CDlgContactFrame pane;
    pane.QueryContacts(4, false, -1);
    pane.TickRow(0, true);
    bool queryMode = false;
    SetModalRunner([&](QDialog& dialog) {
        auto* picker = dynamic_cast<CDlgAddressList*>(&dialog);
        EXPECT_NE(picker, nullptr);
        queryMode = picker && picker->m_queryMode;
        Exec("DELETE FROM ContactList WHERE mobileNum='13900000001'");
        return 2;
    });
    pane.OnCommand(21004);
    EXPECT_TRUE(queryMode);
    // What the picker deleted is gone from the pane, and the ticks with it.
    EXPECT_EQ(pane.TotalRows(), 5);
    EXPECT_EQ(pane.TickedCount(), 0);
}

// The editor opens on the row itself: button 1010 with exactly one tick,
// a double-click and 10001 on the row under the mouse; a save re-queries.
TEST_F(ContactFrame, TheEditorOpensTheChosenRow) {
    CDlgContactFrame pane;
    pane.QueryContacts(4, false, -1);
    QStringList opened;
    SetModalRunner([&](QDialog& dialog) {
        opened << Child<QLineEdit>(dialog, "1004")->text();
        return 2;
    });
    pane.OnCommand(1010);
    EXPECT_EQ(m_boxes.texts(), QStringList{LoadStr(179)});
    pane.TickRow(2, true);
    pane.OnCommand(1010);
    pane.SetCurrentRow(4);
    pane.OnCommand(10001);
    pane.List()->doubleClicked(pane.List()->model()->index(5, 3));
    EXPECT_EQ(opened, (QStringList{"乙", "丁", "戊"}));
    pane.TickRow(3, true);
    m_boxes.clear();
    pane.OnCommand(1010);
    EXPECT_EQ(m_boxes.texts(), QStringList{LoadStr(179)});
    // A click on empty space with one ticked row takes that row.
    pane.OnCommand(10020);
    pane.TickRow(1, true);
    EXPECT_TRUE(MenuState(pane, -1).at("10001"));
    EXPECT_EQ(pane.CurrentRow(), 1);
}

// Clicking a row toggles its tick; clicking its check box toggles it once.
TEST_F(ContactFrame, ClicksToggleTicks) {
    CDlgContactFrame pane;
    pane.resize(800, 500);
    pane.show();
    pane.QueryContacts(4, false, -1);
    CVirtualListCtrl* list = pane.List();
    QCoreApplication::processEvents();
    const QRect cell = list->visualRect(list->model()->index(1, 3));
    LeftClick(list->viewport(), cell.center());
    EXPECT_EQ(TickedRows(pane), std::set<int>{1});
    LeftClick(list->viewport(), cell.center());
    EXPECT_EQ(TickedRows(pane), std::set<int>{});
    // The check box of row 2.
    const QModelIndex box = list->model()->index(2, 0);
    list->model()->setData(box, Qt::Checked, Qt::CheckStateRole);
    list->clicked(box);
    EXPECT_EQ(TickedRows(pane), std::set<int>{2});
    EXPECT_EQ(Label(pane, "1043"), "1");
    // Esc leaves the pane where it is.
    SendKey(list, Qt::Key_Escape);
    EXPECT_TRUE(pane.isVisible());
}

// The field dialogs ending with 1003 rebuild the columns from the fields.
TEST_F(ContactFrame, FieldDialogsRebuildTheColumns) {
    CDlgContactFrame pane;
    pane.QueryContacts(4, false, -1);
    const int before = pane.List()->ColumnCount();
    for (int command : {1005, 1006}) {
        SCOPED_TRACE(command);
        Exec(command == 1005 ? "UPDATE fieldDisplay SET isVisible=0 WHERE fieldID=2"
                             : "UPDATE fieldDisplay SET isVisible=0 WHERE fieldID=21");
        SetModalRunner([](QDialog&) { return 1003; });
        pane.OnCommand(command);
        EXPECT_EQ(pane.List()->ColumnCount(), before - (command == 1005 ? 1 : 2));
        EXPECT_EQ(pane.TotalRows(), 6);
        EXPECT_EQ(pane.List()->model()->headerData(2, Qt::Horizontal).toString(),
                  VisibleFieldRegistry::DisplayNames().value(0));
    }
    // Another result leaves the columns alone.
    Exec("UPDATE fieldDisplay SET isVisible=1 WHERE fieldID IN (2, 21)");
    SetModalRunner([](QDialog&) { return 2; });
    pane.OnCommand(1006);
    EXPECT_EQ(pane.List()->ColumnCount(), before - 2);
    VisibleFieldRegistry::Rebuild();
}

} // namespace
