// The address-list picker driven as a user would: conditions, ranges,
// ticks, the hand-back to its opener, delete, export and initials.
#include "contacts/address_list.h"
#include "core/helpers.h"
#include "core/sql.h"
#include "gui/contacts/address_list_dialog.h"
#include "gui/sms/send_sms_dialog.h"
#include "gui/sms/senior_query_dialog.h"
#include "gui/widgets/modal_runner.h"
#include "gui/widgets/tree_helpers.h"
#include "tests/support/contacts_fixture.h"
#include "tests/support/dialog_driver.h"
#include "tests/support/msgbox_recorder.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// The opener's side of OK: records what it was handed.
struct ReceiverStandIn : PickedContactsReceiver {
    std::vector<std::string> picked; // number|name|perNO
    int calls = 0;
    void ReceivePickedContacts(const std::vector<PickedContact>& contacts) override {
        ++calls;
        for (const PickedContact& c : contacts)
            picked.push_back((c.number + "|" + c.name + "|" + QString::number(c.perNO)).toStdString());
    }
};

class AddressListDialog : public ContactsFixtureTest {
protected:
    void SetUp() override {
        ContactsFixtureTest::SetUp();
        g_pLoginRights = std::make_unique<QStringList>(QStringList{QStringLiteral("AD")});
        m_dialog = std::make_unique<CDlgAddressList>();
    }
    void TearDown() override {
        m_dialog.reset();
        SetModalRunner({});
        SetNextFileName(std::nullopt);
        g_pLoginRights.reset();
        ContactsFixtureTest::TearDown();
    }

    CDlgAddressList& Dialog() { return *m_dialog; }
    QString Label(const char* id) { return Child<QLabel>(*m_dialog, id)->text(); }
    int Rows() { return m_dialog->List()->ItemCount(); }
    // Column `column` of every listed row.
    QStringList Column(int column) {
        QStringList texts;
        for (int row = 0; row < Rows(); ++row)
            texts << m_dialog->CellText(row, column);
        return texts;
    }
    void TickGroups(std::initializer_list<qint64> groups) {
        auto* tree = Child<QTreeWidget>(*m_dialog, "1000");
        for (qint64 group : groups) {
            QTreeWidgetItem* item = FindTreeItemByData(tree, nullptr, group);
            ASSERT_NE(item, nullptr) << group;
            item->setCheckState(0, Qt::Checked);
        }
    }
    // The query field "序号" with the range typed, then "查询".
    void QueryRange(const QString& start, const QString& end) {
        Child<QComboBox>(*m_dialog, "21045")->setCurrentIndex(0);
        Child<QLineEdit>(*m_dialog, "1004")->setText(start);
        Child<QLineEdit>(*m_dialog, "1005")->setText(end);
        Click(*m_dialog, "1020");
    }
    void TickRow(int row) { m_dialog->SetCellChecked(row, 0, true); }

    MessageBoxRecorder m_boxes;
    std::unique_ptr<CDlgAddressList> m_dialog;
};

// Name column: list column 3 (the first visible field is the name).
constexpr int kNameColumn = 3;

TEST_F(AddressListDialog, OpensOnAllContactsWithTheFieldColumns) {
    Dialog().OnInitDialog();
    EXPECT_EQ(Rows(), 10);
    EXPECT_EQ(Label("1080"), "10");
    EXPECT_EQ(Label("1083"), "0");
    EXPECT_EQ(Dialog().CellText(0, 1), "1");
    EXPECT_EQ(Dialog().CellText(0, 2), "A");
    EXPECT_EQ(Dialog().CellText(0, kNameColumn), "张三");
    EXPECT_EQ(Child<QComboBox>(Dialog(), "21040")->currentText(), "包含");
    // Nobody has initials yet.
    EXPECT_TRUE(Child<QPushButton>(Dialog(), "1036")->isEnabled());
}

TEST_F(AddressListDialog, RowRangeMatrix) {
    Dialog().OnInitDialog();
    struct Case {
        std::initializer_list<qint64> groups;
        const char* start;
        const char* end;
        QStringList numbers; // column 1 of the listed rows
        QStringList names;
        bool refused = false;
    };
    const Case cases[] = {
        {{}, "5", "9", {"5", "6", "7", "8", "9"}, {"李四", "甲", "乙", "丙", "丁"}},
        {{}, "9", "", {"9", "10"}, {"丁", "戊"}},
        {{}, "9", "5", {}, {}},
        {{4}, "2", "3", {"2", "3"}, {"甲", "乙"}},
        {{4}, "5", "", {"5", "6"}, {"丁", "戊"}},
        {{}, "0", "3", {}, {}, true},
        {{}, "x", "", {}, {}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.start) + "-" + c.end);
        m_dialog = std::make_unique<CDlgAddressList>();
        Dialog().OnInitDialog();
        TickGroups(c.groups);
        Dialog().Reload();
        m_boxes.clear();
        QueryRange(QString::fromUtf8(c.start), QString::fromUtf8(c.end));
        if (c.refused) {
            EXPECT_EQ(m_boxes.texts(), QStringList{"序号起始值必须为大于0的整数"});
            continue;
        }
        EXPECT_TRUE(m_boxes.texts().isEmpty());
        EXPECT_EQ(Column(1), c.numbers);
        EXPECT_EQ(Column(kNameColumn), c.names);
        EXPECT_EQ(Label("1080"), QString::number(c.numbers.size()));
    }
}

TEST_F(AddressListDialog, RootWithGroupsListsAllContacts) {
    Dialog().OnInitDialog();
    TickGroups({3});
    Dialog().Reload();
    EXPECT_EQ(Column(kNameColumn), QStringList{"李四"});
    TickGroups({0});
    Dialog().Reload();
    EXPECT_EQ(Rows(), 10);
}

TEST_F(AddressListDialog, OkHandsBackTickedRowsWithNumbersInListOrder) {
    ASSERT_EQ(ExecSql(nullptr, g_pDB,
                      "UPDATE ContactList SET conFax='F'||perNO WHERE name IN ('甲','戊');"
                      "UPDATE ContactList SET mobileNum='' WHERE name='丙'"),
              SQLITE_OK);
    struct Case {
        bool fax;
        std::vector<std::string> picked;
    };
    const Case cases[] = {
        {false, {"13800000001|张三|1", "13900000001|甲|5", "13900000005|戊|9"}},
        {true, {"F5|甲|5", "F9|戊|9"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fax);
        m_dialog = std::make_unique<CDlgAddressList>();
        ReceiverStandIn receiver;
        Dialog().m_forFax = c.fax;
        Dialog().m_forSms = !c.fax;
        Dialog().m_receiver = &receiver;
        Dialog().OnInitDialog();
        for (int row : {9, 7, 5, 0}) // 戊, 丙 (no mobile), 甲, 张三
            TickRow(row);
        EXPECT_EQ(Label("1083"), "4");
        Click(Dialog(), "1012");
        EXPECT_EQ(Dialog().result(), 1003);
        EXPECT_EQ(receiver.calls, 1);
        EXPECT_EQ(receiver.picked, c.picked);
    }
}

TEST_F(AddressListDialog, ANewQueryClearsTheTicks) {
    Dialog().OnInitDialog();
    TickRow(1);
    Dialog().OnSelectAll();
    EXPECT_EQ(Label("1083"), "10");
    Click(Dialog(), "1020");
    EXPECT_EQ(Label("1083"), "0");
    EXPECT_TRUE(Dialog().Selection().IsEmpty());
    EXPECT_FALSE(*Dialog().CellChecked(1, 0));
}

TEST_F(AddressListDialog, DeleteNeedsRightTwoAndRemovesExactlyTheTickedRows) {
    QStringList withoutDelete(21, QStringLiteral("1"));
    withoutDelete[0] = QStringLiteral("OP");
    withoutDelete[2] = QStringLiteral("0");
    g_pLoginRights = std::make_unique<QStringList>(withoutDelete);
    Dialog().OnInitDialog();
    TickRow(1); // 张三 in group 2: the same perNO as row 0
    Click(Dialog(), "41033");
    EXPECT_EQ(m_boxes.texts(), QStringList{"您没有相应权限进行此操作."});
    EXPECT_NE(FixtureRowid("13800000001", 2), 0);

    g_pLoginRights = std::make_unique<QStringList>(QStringList{QStringLiteral("AD")});
    m_boxes.clear();
    m_boxes.queueAnswer(IDYES);
    Click(Dialog(), "41033");
    EXPECT_EQ(m_boxes.texts(), QStringList{"1条记录已选中,确定删除?"});
    EXPECT_EQ(FixtureRowid("13800000001", 2), 0);
    EXPECT_NE(FixtureRowid("13800000001", 1), 0);
    EXPECT_EQ(Rows(), 9);
    EXPECT_EQ(Label("1083"), "0");

    m_boxes.clear();
    Click(Dialog(), "41033");
    EXPECT_EQ(m_boxes.texts(), QStringList{"请至少选择一条记录进行此项操作"});
}

TEST_F(AddressListDialog, AdvancedConditionSurvivesReloadsAndThePressedLetterGreys) {
    SetModalRunner([](QDialog& dialog) {
        if (auto* query = qobject_cast<CDlgSeniorQuery*>(&dialog))
            emit query->ConditionChosen(QStringLiteral(" AND groupID=4"));
        return 1003;
    });
    Dialog().OnInitDialog();
    Click(Dialog(), "1182");
    EXPECT_EQ(Rows(), 6);
    // The typed content is ignored from now on; group ticks and letters still count.
    Child<QLineEdit>(Dialog(), "1004")->setText(QStringLiteral("甲"));
    Click(Dialog(), "1020");
    EXPECT_EQ(Rows(), 6);

    m_boxes.queueAnswer(IDYES); // generate the missing initials first
    const int y = 9965 + ('Y' - 'A');
    Click(Dialog(), std::to_string(y).c_str());
    EXPECT_EQ(m_boxes.texts(), QStringList{"有联系人没有生成首字母,可能查询不全.是否现在生成?"});
    EXPECT_EQ(Column(kNameColumn), QStringList{"乙"});
    EXPECT_FALSE(Child<QPushButton>(Dialog(), std::to_string(y).c_str())->isEnabled());
    EXPECT_FALSE(Child<QPushButton>(Dialog(), "1036")->isEnabled());

    const int l = 9965 + ('L' - 'A');
    m_boxes.clear();
    Click(Dialog(), std::to_string(l).c_str());
    EXPECT_TRUE(m_boxes.texts().isEmpty());
    EXPECT_EQ(Column(kNameColumn), QStringList{"李四"}); // only 李四's row in group 4
    EXPECT_TRUE(Child<QPushButton>(Dialog(), std::to_string(y).c_str())->isEnabled());
    EXPECT_FALSE(Child<QPushButton>(Dialog(), std::to_string(l).c_str())->isEnabled());

    TickGroups({0});
    Dialog().Reload();
    EXPECT_EQ(Rows(), 6);
}

TEST_F(AddressListDialog, HeaderClicksSortFieldColumnsOnly) {
    Dialog().OnInitDialog();
    const QStringList initial = Column(kNameColumn);
    EXPECT_TRUE(Dialog().HeaderClicked(0));
    EXPECT_TRUE(Dialog().HeaderClicked(1));
    EXPECT_EQ(Column(kNameColumn), initial);
    Dialog().HeaderClicked(kNameColumn);
    const QStringList ascending = Column(kNameColumn);
    EXPECT_EQ(ascending.front(), "丙"); // pinyin order: bing, ding, jia, li, ...
    Dialog().HeaderClicked(kNameColumn);
    QStringList descending = Column(kNameColumn);
    std::reverse(descending.begin(), descending.end());
    EXPECT_EQ(descending, ascending);
    Dialog().HeaderClicked(kNameColumn);
    EXPECT_EQ(Column(kNameColumn), ascending);
}

TEST_F(AddressListDialog, ExportNeedsRightFour) {
    Dialog().OnInitDialog();
    const QString path = m_folder->file("picked.xls");
    SetNextFileName(path);
    Dialog().OnMenuCommand(10011, 0);
    EXPECT_EQ(m_boxes.texts(), QStringList{"导出联系人成功"});
    EXPECT_TRUE(QFile::exists(path + "x"));

    QStringList withoutExport(21, QStringLiteral("1"));
    withoutExport[0] = QStringLiteral("OP");
    withoutExport[4] = QStringLiteral("0");
    g_pLoginRights = std::make_unique<QStringList>(withoutExport);
    m_boxes.clear();
    SetNextFileName(m_folder->file("second.xlsx"));
    Dialog().OnMenuCommand(10011, 0);
    EXPECT_EQ(m_boxes.texts(), QStringList{"您没有相应权限进行此操作."});
    EXPECT_FALSE(QFile::exists(m_folder->file("second.xlsx")));
    SetNextFileName(std::nullopt);
}

TEST_F(AddressListDialog, MenuRangesIncludeTheClickedRow) {
    struct Case {
        const char* what;
        std::vector<int> before; // ticked rows first
        int command;
        int row;
        std::vector<int> ticked;
    };
    const Case cases[] = {
        {"above", {}, 10004, 2, {0, 1, 2}},
        {"below", {}, 10005, 7, {7, 8, 9}},
        {"untick above", {0, 1, 2, 3, 9}, 10006, 2, {3, 9}},
        {"untick below", {0, 5, 6, 9}, 10007, 6, {0, 5}},
        {"between", {2, 6}, 10008, 0, {2, 3, 4, 5, 6}},
        {"reverse", {1, 8}, 10003, 0, {0, 2, 3, 4, 5, 6, 7, 9}},
        {"none", {1, 8}, 10009, 0, {}},
        {"all", {}, 10002, 0, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        m_dialog = std::make_unique<CDlgAddressList>();
        Dialog().OnInitDialog();
        for (int row : c.before)
            TickRow(row);
        Dialog().OnMenuCommand(c.command, c.row);
        std::vector<int> ticked;
        for (int row = 0; row < Rows(); ++row)
            if (*Dialog().CellChecked(row, 0))
                ticked.push_back(row);
        EXPECT_EQ(ticked, c.ticked);
        EXPECT_EQ(Label("1083"), QString::number(c.ticked.size()));
    }
}

TEST_F(AddressListDialog, ShowAndEditSavesTheOpenedRow) {
    Dialog().OnInitDialog();
    // Row 1 is 张三's second row (group 2); row 0 shares its perNO.
    const qint64 opened = FixtureRowid("13800000001", 2);
    QString shownName;
    SetModalRunner([&](QDialog& dialog) {
        auto* name = Child<QLineEdit>(dialog, "1004");
        shownName = name->text();
        name->selectAll();
        Type(name, QStringLiteral("张三丰"));
        Click(dialog, "1");
        return dialog.result();
    });
    Dialog().OnMenuCommand(10001, 1);
    EXPECT_EQ(shownName, "张三");
    SqlStatement st(g_pDB, "SELECT name FROM ContactList WHERE rowid=?");
    st.bind(1, static_cast<int64_t>(opened));
    ASSERT_EQ(st.step(), SQLITE_ROW);
    EXPECT_EQ(st.qtext(0), "张三丰");
    // The list was queried again and shows the change.
    EXPECT_EQ(Dialog().CellText(1, kNameColumn), "张三丰");
}

TEST_F(AddressListDialog, QueryModeSendsTheTickedRowsToTheSmsComposer) {
    QStringList composers;
    SetModalRunner([&](QDialog& dialog) {
        composers << dialog.metaObject()->className();
        return 1003;
    });
    Dialog().m_queryMode = true;
    Dialog().OnInitDialog();
    EXPECT_EQ(Child<QPushButton>(Dialog(), "1012")->text(), "发送短信");
    TickRow(2);
    Click(Dialog(), "1012");
    EXPECT_EQ(Dialog().result(), 1003);
    EXPECT_EQ(composers, QStringList{"CDlgSendSMS"});
}

class AddressListDialogScreenshots : public AddressListDialog {};

TEST_F(AddressListDialogScreenshots, OneGroupTicked) {
    const QString dir = qEnvironmentVariable("CORVELANE_SCREENSHOT_DIR");
    if (dir.isEmpty())
        GTEST_SKIP() << "CORVELANE_SCREENSHOT_DIR not set";
    Dialog().resize(940, 600);
    Dialog().show();
    Dialog().OnInitDialog();
    TickGroups({4});
    Dialog().Reload();
    QCoreApplication::processEvents();
    ASSERT_TRUE(Dialog().grab().save(QDir(dir).filePath(QStringLiteral("address-list.png"))));
}

} // namespace
