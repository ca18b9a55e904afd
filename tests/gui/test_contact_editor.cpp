// The contact editor as a user drives it: what it shows for a stored
// contact, what one OK writes, and that nothing the user did not touch
// changes on the way through.
#include "contacts/contact_record.h"
#include "core/helpers.h"
#include "core/sql.h"
#include "core/string_table.h"
#include "gui/automation/auto_send_dialog.h"
#include "gui/contacts/contact_base_page.h"
#include "gui/contacts/contact_editor.h"
#include "gui/contacts/contact_info_dialog.h"
#include "gui/contacts/optional_date_edit.h"
#include "gui/widgets/modal_runner.h"
#include "tests/support/contacts_fixture.h"
#include "tests/support/dialog_driver.h"
#include "tests/support/msgbox_recorder.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include <gtest/gtest.h>

#include <functional>
#include <map>

namespace {

class ContactEditor : public ContactsFixtureTest {
protected:
    void TearDown() override {
        SetModalRunner({});
        g_pLoginRights.reset();
        ContactsFixtureTest::TearDown();
    }
    MessageBoxRecorder m_boxes;
};

std::map<std::string, std::string> Row(qint64 rowid) {
    std::map<std::string, std::string> row;
    SqlStatement st(g_pDB, ContactRowSelect() + " WHERE rowid=?");
    st.bind(1, static_cast<int64_t>(rowid));
    if (st.step() != SQLITE_ROW)
        return row;
    for (int c = 0; c < kContactColumnCount; ++c)
        row[kContactColumns[c]] = st.isNull(c) ? "<null>" : st.text(c);
    return row;
}

int64_t Scalar(const std::string& sql) {
    SqlStatement st(g_pDB, sql);
    return st.step() == SQLITE_ROW ? st.int64(0) : -1;
}

void TickGroup(QWidget& dialog, int group, bool ticked = true) {
    auto* tree = Child<QTreeWidget>(dialog, "1000");
    QTreeWidgetItemIterator it(tree);
    for (; *it; ++it) {
        if ((*it)->data(0, Qt::UserRole).toInt() == group) {
            (*it)->setCheckState(0, ticked ? Qt::Checked : Qt::Unchecked);
            return;
        }
    }
    FAIL() << "no group " << group;
}

std::vector<int> TickedGroups(QWidget& dialog) {
    std::vector<int> out;
    for (QTreeWidgetItemIterator it(Child<QTreeWidget>(dialog, "1000")); *it; ++it)
        if ((*it)->checkState(0) == Qt::Checked)
            out.push_back((*it)->data(0, Qt::UserRole).toInt());
    return out;
}

// Opens the editor on a row; `act` plays the user, then OK is clicked.
int EditRow(qint64 rowid, const std::function<void(QDialog&)>& act) {
    SetModalRunner([&](QDialog& dialog) {
        act(dialog);
        Click(dialog, "1");
        return dialog.result();
    });
    return OpenContactEditor(nullptr, rowid);
}

TEST_F(ContactEditor, ANewContactIsSavedInEveryTickedGroup) {
    CDlgContactInfo dialog;
    EXPECT_EQ(dialog.windowTitle(), "联系人信息");
    Fill(dialog, {{"1004", QStringLiteral("O'Brien")}, {"1006", QStringLiteral("13700000009")}});
    for (int group : {1, 3, 4})
        TickGroup(dialog, group);
    Click(dialog, "1");
    EXPECT_EQ(dialog.result(), 1003);
    EXPECT_EQ(m_boxes.texts(), QStringList{LoadStr(186)});
    SqlStatement st(
        g_pDB, "SELECT groupID, perNO, displayIndex, name FROM ContactList WHERE mobileNum='13700000009' "
               "ORDER BY rowid");
    // Tree order: A(1) > B > C(3), then D(4).
    for (const int group : {1, 3, 4}) {
        ASSERT_EQ(st.step(), SQLITE_ROW);
        EXPECT_EQ(st.int64(0), group);
        EXPECT_EQ(st.int64(1), 10 + (group == 1 ? 0 : group == 3 ? 1 : 2));
        EXPECT_EQ(st.int64(2), 0 - (group == 1 ? 0 : group == 3 ? 1 : 2));
        EXPECT_EQ(st.qtext(3), "O'Brien");
    }
}

TEST_F(ContactEditor, MissingOrIllegalInputIsShownAndTheDialogStaysOpen) {
    struct Case {
        QString mobile;
        bool tick;
        int message;
    };
    const Case cases[] = {
        {QStringLiteral("   "), true, 189},
        {QStringLiteral("13700000009"), false, 189},
        {QStringLiteral("12345678"), true, 190},
    };
    for (const Case& c : cases) {
        m_boxes.clear();
        CDlgContactInfo dialog;
        Fill(dialog, {{"1004", QStringLiteral("王五")}, {"1006", c.mobile}});
        if (c.tick)
            TickGroup(dialog, 4);
        Click(dialog, "1");
        EXPECT_EQ(dialog.result(), kStayedOpen) << c.mobile.toStdString();
        ASSERT_EQ(m_boxes.shown().size(), 1u);
        EXPECT_EQ(m_boxes.shown()[0].text, LoadStr(c.message));
        EXPECT_EQ(m_boxes.shown()[0].type & 0xF0, mb::IconWarning);
    }
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM ContactList"), 10);
}

TEST_F(ContactEditor, AFailedSaveIsShownAndASecondOkWritesEachGroupOnce) {
    CDlgContactInfo dialog;
    Fill(dialog, {{"1004", QStringLiteral("FAIL")}, {"1006", QStringLiteral("13700000009")}});
    TickGroup(dialog, 1);
    TickGroup(dialog, 4);
    Click(dialog, "1");
    EXPECT_EQ(dialog.result(), kStayedOpen);
    EXPECT_EQ(m_boxes.texts(), QStringList{QStringLiteral("保存联系人信息失败")});
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM ContactList"), 10);

    ASSERT_EQ(ExecSql(nullptr, g_pDB, "DROP TRIGGER fail_insert"), SQLITE_OK);
    m_boxes.clear();
    Click(dialog, "1");
    EXPECT_EQ(dialog.result(), 1003);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM ContactList WHERE name='FAIL' AND groupID=1"), 1);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM ContactList WHERE name='FAIL' AND groupID=4"), 1);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM ContactList"), 12);
}

TEST_F(ContactEditor, EditingARowTouchesThatRowAndAddsNewGroups) {
    const qint64 opened = FixtureRowid("13800000001", 1);
    const auto groupTwo = Row(FixtureRowid("13800000001", 2));
    std::vector<int> shownGroups;
    const int result = EditRow(opened, [&](QDialog& dialog) {
        shownGroups = TickedGroups(dialog);
        EXPECT_EQ(Child<QLineEdit>(dialog, "1004")->text(), "张三");
        // The switched-off field has no control; the one in use has.
        EXPECT_EQ(dialog.findChild<QWidget*>("22"), nullptr);
        EXPECT_EQ(Child<QCheckBox>(dialog, "31")->isChecked(), true);
        auto* name = Child<QLineEdit>(dialog, "1004");
        name->selectAll();
        Type(name, QStringLiteral("张三丰"));
        TickGroup(dialog, 4);
    });
    EXPECT_EQ(result, 1003);
    EXPECT_EQ(shownGroups, (std::vector<int>{1, 2}));
    EXPECT_EQ(Row(opened).at("name"), "张三丰");
    EXPECT_EQ(Row(opened).at("txtDef2"), "旧值");
    EXPECT_EQ(Row(FixtureRowid("13800000001", 2)), groupTwo);
    EXPECT_EQ(Row(FixtureRowid("13800000001", 4)).at("name"), "张三丰");
    EXPECT_EQ(Row(FixtureRowid("13800000001", 4)).at("txtDef2"), "旧值");

    // Unticking deletes nothing.
    EXPECT_EQ(EditRow(opened, [&](QDialog& dialog) { TickGroup(dialog, 2, false); }), 1003);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM ContactList WHERE mobileNum='13800000001'"), 3);
    EXPECT_EQ(Row(FixtureRowid("13800000001", 2)), groupTwo);

    // The perNO variant opens the first row of that perNO.
    EXPECT_EQ(EditRow(0, [](QDialog&) {}), IDCANCEL);
    QString shownName;
    SetModalRunner([&](QDialog& dialog) {
        shownName = Child<QLineEdit>(dialog, "1004")->text();
        return IDCANCEL;
    });
    EXPECT_EQ(OpenContactEditorForPerNo(nullptr, 3), IDCANCEL);
    EXPECT_EQ(shownName, "李四");
}

TEST_F(ContactEditor, WhatTheUserDidNotTouchSurvivesOpenAndOk) {
    const qint64 rowid = FixtureRowid("13900000003", 4);
    const QString longName(40, QChar(0x540D));
    SqlStatement set(g_pDB, "UPDATE ContactList SET name=?, province='外星省', city='火星市', sex='未知', "
                            "conIndusty='采矿', birthDay='去年春天', specialDay='2020/1/5', boolDef1=NULL, "
                            "txtDef2='关掉的值', mark=? WHERE rowid=?");
    set.bind(1, longName).bind(2, QString(150, QLatin1Char('m'))).bind(3, static_cast<int64_t>(rowid));
    ASSERT_EQ(set.exec(), SQLITE_OK);
    const auto before = Row(rowid);

    EXPECT_EQ(EditRow(rowid,
                      [&](QDialog& dialog) {
                          EXPECT_EQ(Child<QComboBox>(dialog, "21041")->currentText(), "外星省");
                          EXPECT_EQ(Child<QComboBox>(dialog, "1041")->currentText(), "火星市");
                          EXPECT_EQ(Child<QComboBox>(dialog, "21040")->currentText(), "未知");
                          EXPECT_EQ(Child<QComboBox>(dialog, "1043")->currentText(), "采矿");
                          EXPECT_FALSE(Child<OptionalDateEdit>(dialog, "21008")->hasDate());
                          EXPECT_EQ(Child<OptionalDateEdit>(dialog, "21009")->date(), QDate(2020, 1, 5));
                          // Longer than the limits, yet whole; typing adds nothing.
                          auto* name = Child<QLineEdit>(dialog, "1004");
                          EXPECT_EQ(name->text(), longName);
                          name->end(false);
                          Type(name, QStringLiteral("x"));
                          EXPECT_EQ(name->text(), longName);
                      }),
              1003);
    auto after = Row(rowid);
    EXPECT_EQ(after.at("firstLetter"), "");
    after["firstLetter"] = before.at("firstLetter");
    // An empty column may come back empty rather than NULL; nothing else changes.
    for (const auto& [column, value] : before)
        EXPECT_EQ(after.at(column) == "<null>" ? "" : after.at(column), value == "<null>" ? "" : value)
            << column;
}

TEST_F(ContactEditor, UserInputIsCutToTheLimit) {
    CDlgContactInfo dialog;
    auto* name = Child<QLineEdit>(dialog, "1004");
    QApplication::clipboard()->setText(QString(300, QLatin1Char('p')));
    name->paste();
    EXPECT_EQ(name->text(), QString(10, QLatin1Char('p')));
    name->clear();
    Type(name, QStringLiteral("abcdefghijklmno"));
    EXPECT_EQ(name->text(), "abcdefghij");
    // Pasting into the middle keeps both ends and only what fits.
    name->setText(QStringLiteral("abcdef"));
    name->setCursorPosition(3);
    QApplication::clipboard()->setText(QStringLiteral("123456789"));
    name->paste();
    EXPECT_EQ(name->text(), "abc1234def");
    auto* mobile = Child<QLineEdit>(dialog, "1006");
    Type(mobile, QString(20, QLatin1Char('1')));
    EXPECT_EQ(mobile->text().size(), 16);
    auto* mark = Child<QPlainTextEdit>(dialog, "1017");
    mark->setFocus();
    QApplication::clipboard()->setText(QString(300, QLatin1Char('m')));
    mark->paste();
    EXPECT_EQ(mark->toPlainText().size(), 100);
    auto* text = Child<QLineEdit>(dialog, "21");
    QApplication::clipboard()->setText(QString(300, QLatin1Char('t')));
    text->paste();
    EXPECT_EQ(text->text().size(), 250);
}

TEST_F(ContactEditor, AMaskedNumberIsNeverWrittenBack) {
    struct Case {
        const char* who;
        QStringList rights;
        QString shown;
    };
    QStringList operatorWith16(21, QStringLiteral("1"));
    operatorWith16[0] = QStringLiteral("OP");
    const Case cases[] = {
        {"administrator", {QStringLiteral("AD")}, QStringLiteral("13800000002")},
        {"operator with right 16", operatorWith16, QStringLiteral("138****0002")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.who);
        g_pLoginRights = std::make_unique<QStringList>(c.rights);
        const qint64 rowid = FixtureRowid("13800000002", 3);
        QString shown;
        EXPECT_EQ(EditRow(rowid,
                          [&](QDialog& dialog) {
                              shown = Child<QLineEdit>(dialog, "1006")->text();
                              Fill(dialog, {{"1005", QStringLiteral("9")}});
                          }),
                  1003);
        EXPECT_EQ(shown, c.shown);
        EXPECT_EQ(Row(rowid).at("mobileNum"), "13800000002");
    }
    // A number typed over the masked one is saved as typed.
    const qint64 rowid = FixtureRowid("13800000002", 3);
    EXPECT_EQ(EditRow(rowid,
                      [&](QDialog& dialog) {
                          auto* mobile = Child<QLineEdit>(dialog, "1006");
                          mobile->selectAll();
                          Type(mobile, QStringLiteral("13600000000"));
                      }),
              1003);
    EXPECT_EQ(Row(rowid).at("mobileNum"), "13600000000");
}

TEST_F(ContactEditor, DateSwitchesNeedADateAndANumberAndKeepTheAnswer) {
    struct Case {
        const char* what;
        const char* box;
        const char* picker;
        QDate date;
        QString mobile;
        int answer;
        int message; // 0 = none
        bool stays;
    };
    const Case cases[] = {
        {"birthday without a date", "31007", "21008", QDate(), QStringLiteral("13700000009"), 1003, 182,
         false},
        {"special day without a date", "31008", "21009", QDate(), QStringLiteral("13700000009"), 1003, 181,
         false},
        {"without a number", "31007", "21008", QDate(1990, 5, 6), QString(), 1003, 183, false},
        {"stored", "31007", "21008", QDate(1990, 5, 6), QStringLiteral("13700000009"), 1003, 0, true},
        {"cancelled", "31008", "21009", QDate(1990, 5, 6), QStringLiteral("13700000009"), IDCANCEL, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        m_boxes.clear();
        QString asked;
        SetModalRunner([&](QDialog& dialog) {
            auto* autoSend = qobject_cast<CDlgAutoSend*>(&dialog);
            asked = autoSend ? autoSend->windowTitle() : QStringLiteral("?");
            return c.answer;
        });
        CDlgContactInfo dialog;
        Fill(dialog, {{"1006", c.mobile}});
        if (c.date.isValid())
            Child<OptionalDateEdit>(dialog, c.picker)->pickDate(c.date);
        Click(dialog, c.box);
        EXPECT_EQ(Child<QCheckBox>(dialog, c.box)->isChecked(), c.stays);
        EXPECT_EQ(m_boxes.texts(), c.message ? QStringList{LoadStr(c.message)} : QStringList());
        EXPECT_EQ(asked.isEmpty(), c.message != 0);
    }
}

TEST_F(ContactEditor, ListsAreSortedAndAOneCityProvinceChoosesItsCity) {
    ASSERT_EQ(ExecSql(nullptr, g_pDB, "INSERT INTO CityInfo VALUES('安徽省','合肥市'),('安徽省','芜湖市')"),
              SQLITE_OK);
    CDlgContactInfo dialog;
    auto items = [](QComboBox* combo) {
        QStringList out;
        for (int i = 0; i < combo->count(); ++i)
            out << combo->itemData(i).toString();
        return out;
    };
    auto* sex = Child<QComboBox>(dialog, "21040");
    EXPECT_EQ(items(sex), (QStringList{"男", "女"}));
    EXPECT_EQ(sex->currentIndex(), -1);
    auto* province = Child<QComboBox>(dialog, "21041");
    EXPECT_EQ(items(province), (QStringList{"安徽省", "两城省", "一城省"}));
    auto* industry = Child<QComboBox>(dialog, "1043");
    EXPECT_EQ(industry->count(), 31);
    EXPECT_EQ(industry->itemText(30), "其它");
    auto* city = Child<QComboBox>(dialog, "1041");
    province->setCurrentIndex(province->findData(QStringLiteral("一城省")));
    EXPECT_EQ(city->currentText(), "独城市");
    province->setCurrentIndex(province->findData(QStringLiteral("安徽省")));
    EXPECT_EQ(items(city), (QStringList{"合肥市", "芜湖市"}));
    EXPECT_EQ(city->currentIndex(), -1);
}

TEST_F(ContactEditor, UserFieldsStoreYesNoAndDatesAsText) {
    ASSERT_EQ(ExecSql(nullptr, g_pDB,
                      "UPDATE fieldDisplay SET name='入会', inUse=1 WHERE fieldID=33;"
                      "UPDATE fieldDisplay SET name='电话号', inUse=1 WHERE fieldID=6;"),
              SQLITE_OK);
    struct Case {
        const char* what;
        int clicks;     // on the yes/no field 31
        QDate joined;   // field 33
        QDate birthday; // the birthday picker
        const char* boolDef1;
        const char* dateDef1;
        const char* birthDay;
    };
    const Case cases[] = {
        {"untouched", 0, QDate(), QDate(), "否", "", ""},
        {"ticked", 1, QDate(2021, 3, 4), QDate(1990, 12, 1), "是", "2021-03-04", "1990-12-01"},
        {"ticked and unticked", 2, QDate(), QDate(), "否", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(ExecSql(nullptr, g_pDB, "DELETE FROM ContactList WHERE mobileNum='13700000009'"),
                  SQLITE_OK);
        CDlgContactInfo dialog;
        EXPECT_EQ(Child<QLabel>(dialog, "1144")->text(), "电话号:");
        Fill(dialog, {{"1006", QStringLiteral("13700000009")}});
        TickGroup(dialog, 4);
        for (int i = 0; i < c.clicks; ++i)
            Click(dialog, "31");
        if (c.joined.isValid())
            Child<OptionalDateEdit>(dialog, "33")->pickDate(c.joined);
        if (c.birthday.isValid())
            Child<OptionalDateEdit>(dialog, "21008")->pickDate(c.birthday);
        Click(dialog, "1");
        ASSERT_EQ(dialog.result(), 1003);
        const auto row = Row(FixtureRowid("13700000009", 4));
        EXPECT_EQ(row.at("boolDef1"), c.boolDef1);
        EXPECT_EQ(row.at("dateDef1"), c.dateDef1);
        EXPECT_EQ(row.at("birthDay"), c.birthDay);
        EXPECT_EQ(row.at("specialDay"), "");
        EXPECT_EQ(row.at("txtDef2"), "");
    }
}

TEST_F(ContactEditor, ARecordWithoutGroupsIsSavedAsANewContact) {
    CONTACTINFO record;
    record.name = QStringLiteral("来自短信");
    record.mobileNum = QStringLiteral("13700000009");
    CDlgContactInfo dialog(record);
    dialog.SetPresetGroup(3);
    EXPECT_EQ(TickedGroups(dialog), (std::vector<int>{3}));
    EXPECT_EQ(Child<QLineEdit>(dialog, "1004")->text(), "来自短信");
    Click(dialog, "1");
    EXPECT_EQ(dialog.result(), 1003);
    EXPECT_EQ(Row(FixtureRowid("13700000009", 3)).at("name"), "来自短信");
    EXPECT_EQ(Row(FixtureRowid("13700000009", 3)).at("perNO"), "10");
}

} // namespace
