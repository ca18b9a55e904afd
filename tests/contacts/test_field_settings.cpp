#include "contacts/field_settings.h"

#include "core/app_globals.h"
#include "core/sql.h"
#include "platform/ini.h"
#include "tests/support/contacts_fixture.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include <algorithm>

namespace {

class ContactFieldsSettings : public ContactsFixtureTest {
protected:
    QString accountIni() const { return m_folder->file(QStringLiteral("10001.ini")); }
    QString autoSend(const char* key) const {
        return ini::ReadString(accountIni(), QStringLiteral("DateMSG"), QString::fromLatin1(key),
                               QStringLiteral("-"));
    }
    static QString Column(int fieldId, const char* column) {
        SqlStatement st(g_pDB, std::string("SELECT ") + column + " FROM fieldDisplay WHERE fieldID=?");
        st.bind(1, fieldId);
        return st.step() == SQLITE_ROW ? st.qtext(0) : QStringLiteral("<none>");
    }
    static AUTOFIELD& Row(std::vector<AUTOFIELD>& rows, int fieldId) {
        auto it =
            std::find_if(rows.begin(), rows.end(), [&](const AUTOFIELD& r) { return r.fieldId == fieldId; });
        if (it == rows.end())
            throw std::runtime_error("no row for field " + std::to_string(fieldId));
        return *it;
    }
    static std::set<int> InUse(const std::vector<AUTOFIELD>& rows) {
        std::set<int> ids;
        for (const AUTOFIELD& row : rows)
            if (row.inUse)
                ids.insert(row.fieldId);
        return ids;
    }
    // One run of the dialog's work: load, change, save.
    bool SwitchAndSave(int fieldId, bool on, const QString& name = QString()) {
        std::vector<AUTOFIELD> rows = LoadAutoFields();
        const std::set<int> before = InUse(rows);
        Row(rows, fieldId).inUse = on;
        if (!name.isNull())
            Row(rows, fieldId).name = name;
        return SaveAutoFields(rows, before, accountIni());
    }
};

TEST_F(ContactFieldsSettings, OffersOnlyTheSwitchableFieldsWithTheirTypes) {
    const std::vector<AUTOFIELD> rows = LoadAutoFields();
    std::vector<int> ids;
    for (const AUTOFIELD& row : rows)
        ids.push_back(row.fieldId);
    std::vector<int> expected;
    for (int id = 5; id <= 34; ++id)
        if (id != 8 && id != 14 && id != 15 && id != 17 && id != 19)
            expected.push_back(id);
    EXPECT_EQ(ids, expected);

    const struct {
        int fieldId;
        const char* type;
    } cases[] = {{5, "日期"},  {6, "文本"},   {20, "文本"}, {21, "文本"},
                 {28, "数字"}, {31, "是/否"}, {34, "日期"}};
    for (const auto& c : cases) {
        const auto it = std::find_if(rows.begin(), rows.end(),
                                     [&](const AUTOFIELD& r) { return r.fieldId == c.fieldId; });
        ASSERT_NE(it, rows.end());
        EXPECT_STREQ(AutoFieldTypeText(it->fieldId, it->nameOfValue), c.type) << c.fieldId;
    }
    EXPECT_STREQ(AutoFieldTypeText(40, QStringLiteral("other")), "");
}

TEST_F(ContactFieldsSettings, NameChecks) {
    const std::vector<AUTOFIELD> rows = LoadAutoFields();
    const QStringList reserved = ReservedFieldNames();
    const int hobby = static_cast<int>(
        std::find_if(rows.begin(), rows.end(), [](const AUTOFIELD& r) { return r.fieldId == 21; }) -
        rows.begin());
    const int other = hobby + 1;
    const struct {
        const char* name;
        int row;
        int refusal;
    } cases[] = {
        {"", other, 155},      {"城市", other, 156},  {"姓名", other, 156},
        {"传真", other, 156},  {"EMail", other, 156}, // field 8's name in this database
        {"爱好", other, 157},                         // field 21's name
        {"爱好", hobby, 0},                           // a row keeps its own name
        {"O'Brien", other, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CheckFieldName(QString::fromUtf8(c.name), rows, c.row, reserved), c.refusal) << c.name;

    // A fixed field renamed by hand keeps its new name reserved as well.
    ASSERT_EQ(ExecSql(nullptr, g_pDB, "UPDATE fieldDisplay SET name='邮箱' WHERE fieldID=8"), SQLITE_OK);
    EXPECT_EQ(CheckFieldName(QStringLiteral("邮箱"), rows, other, ReservedFieldNames()), 156);
}

TEST_F(ContactFieldsSettings, SwitchingFieldsAndTheDateGreeting) {
    // On: the field becomes a list column; the greeting switch is not touched.
    ASSERT_TRUE(SwitchAndSave(33, true));
    EXPECT_EQ(Column(33, "inUse"), "1");
    EXPECT_EQ(Column(33, "isVisible"), "1");
    EXPECT_EQ(autoSend("AutoSend3"), "-");

    // Off: hidden, and the date's automatic greeting is switched off.
    ini::WriteString(accountIni(), QStringLiteral("DateMSG"), QStringLiteral("AutoSend3"),
                     QStringLiteral("1"));
    ASSERT_TRUE(SwitchAndSave(33, false));
    EXPECT_EQ(Column(33, "inUse"), "0");
    EXPECT_EQ(Column(33, "isVisible"), "0");
    EXPECT_EQ(autoSend("AutoSend3"), "0");
    EXPECT_EQ(autoSend("AutoSend4"), "0"); // 34 was off as well

    // On again: visible again, the greeting stays as the user set it.
    ini::WriteString(accountIni(), QStringLiteral("DateMSG"), QStringLiteral("AutoSend3"),
                     QStringLiteral("1"));
    ASSERT_TRUE(SwitchAndSave(33, true));
    EXPECT_EQ(Column(33, "isVisible"), "1");
    EXPECT_EQ(autoSend("AutoSend3"), "1");

    // A field that stays on keeps its visibility (the user may have hidden it).
    ASSERT_EQ(ExecSql(nullptr, g_pDB, "UPDATE fieldDisplay SET isVisible=0 WHERE fieldID=21"), SQLITE_OK);
    ASSERT_TRUE(SwitchAndSave(21, true, QStringLiteral("O'Brien's \"x\"")));
    EXPECT_EQ(Column(21, "isVisible"), "0");
    EXPECT_EQ(Column(21, "name"), "O'Brien's \"x\"");
}

TEST_F(ContactFieldsSettings, FailedSaveStoresAndWritesNothing) {
    ASSERT_EQ(ExecSql(nullptr, g_pDB,
                      "CREATE TRIGGER fail_field BEFORE UPDATE ON fieldDisplay WHEN NEW.name='FAIL'"
                      " BEGIN SELECT RAISE(ABORT, 'x'); END"),
              SQLITE_OK);
    std::vector<AUTOFIELD> rows = LoadAutoFields();
    const std::set<int> before = InUse(rows);
    Row(rows, 21).name = QStringLiteral("新爱好"); // stored before the failing row
    Row(rows, 33).inUse = 0;
    Row(rows, 34).name = QStringLiteral("FAIL");
    EXPECT_FALSE(SaveAutoFields(rows, before, accountIni()));
    EXPECT_EQ(Column(21, "name"), "爱好");
    EXPECT_EQ(autoSend("AutoSend3"), "-");
    EXPECT_EQ(autoSend("AutoSend4"), "-");
}

TEST_F(ContactFieldsSettings, OrderIsSavedByFieldId) {
    // Two fields of one name must keep their own places.
    ASSERT_EQ(ExecSql(nullptr, g_pDB, "UPDATE fieldDisplay SET name='QQ' WHERE fieldID=21"), SQLITE_OK);
    std::vector<FieldEntry> visible;
    std::vector<FieldEntry> hidden;
    ASSERT_TRUE(LoadFieldOrder(visible, hidden));
    ASSERT_GE(visible.size(), 4u);
    EXPECT_EQ(visible.front().name, "姓名");
    for (const FieldEntry& field : hidden)
        EXPECT_NE(field.fieldId, 22) << "a field not in use is offered";

    std::vector<int> shown;
    for (auto it = visible.rbegin(); it != visible.rend(); ++it)
        shown.push_back(it->fieldId);
    const int lastShown = shown.back(); // 姓名 goes last, 6 (QQ) is hidden
    shown.erase(std::remove(shown.begin(), shown.end(), 6), shown.end());
    ASSERT_TRUE(SaveFieldOrder(shown, {6}));

    SqlStatement st(
        g_pDB,
        "SELECT fieldID,indexField FROM fieldDisplay WHERE isVisible=1 AND inUse=1 ORDER BY indexField");
    std::vector<int> ids;
    int expectedIndex = 0;
    while (st.step() == SQLITE_ROW) {
        ids.push_back(static_cast<int>(st.int64(0)));
        EXPECT_EQ(st.int64(1), expectedIndex++);
    }
    EXPECT_EQ(ids, shown);
    EXPECT_EQ(ids.back(), lastShown);
    EXPECT_EQ(Column(6, "isVisible"), "0");
    EXPECT_EQ(Column(21, "isVisible"), "1");
}

TEST_F(ContactFieldsSettings, FailedOrderSaveStoresNothing) {
    ASSERT_EQ(
        ExecSql(
            nullptr, g_pDB,
            "CREATE TRIGGER fail_order BEFORE UPDATE ON fieldDisplay WHEN NEW.fieldID=6 AND NEW.isVisible=0"
            " BEGIN SELECT RAISE(ABORT, 'x'); END"),
        SQLITE_OK);
    EXPECT_FALSE(SaveFieldOrder({3, 1}, {6}));
    EXPECT_EQ(Column(1, "indexField"), "0");
    EXPECT_EQ(Column(3, "indexField"), "2");
    EXPECT_TRUE(runLog().contains(QStringLiteral("CDlgAlterFieldOrder类中SQL语句pSqlForHide执行错误")));
}

} // namespace
