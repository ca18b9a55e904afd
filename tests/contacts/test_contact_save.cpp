// Saving a contact: which rows one save writes, that it writes them whole or
// not at all, and that it never touches what it was not asked to change.
#include "contacts/contact_save.h"

#include "core/sql.h"
#include "tests/support/contacts_fixture.h"

#include <gtest/gtest.h>

#include <map>

namespace {

using ContactEditorSave = ContactsFixtureTest;

// Every column of a row as text (NULL as "<null>"), by column name.
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

CONTACTINFO NewContact(const QString& name, const QString& mobile, std::vector<quint32> groups) {
    CONTACTINFO record;
    record.name = name;
    record.mobileNum = mobile;
    record.qq = QStringLiteral("12345");
    record.txtDef[0] = QStringLiteral("围棋");
    record.groupIds = std::move(groups);
    return record;
}

// Rows written for a mobile number: group, perNO, displayIndex.
std::vector<std::tuple<int64_t, int64_t, int64_t>> RowsOf(const char* mobile) {
    std::vector<std::tuple<int64_t, int64_t, int64_t>> rows;
    SqlStatement st(g_pDB,
                    "SELECT groupID, perNO, displayIndex FROM ContactList WHERE mobileNum=? ORDER BY rowid");
    st.bind(1, mobile);
    while (st.step() == SQLITE_ROW)
        rows.emplace_back(st.int64(0), st.int64(1), st.int64(2));
    return rows;
}

TEST_F(ContactEditorSave, ANewContactGetsOneRowPerGroupWithItsOwnPerNoAndPlace) {
    ContactSaveTarget target;
    target.nextDisplayIndex = NextContactDisplayIndex();
    ASSERT_EQ(target.nextDisplayIndex, 0); // the fixture's smallest displayIndex is 1
    const int64_t maxPerNO = Scalar("SELECT MAX(perNO) FROM ContactList");

    CONTACTINFO record = NewContact(QStringLiteral("  王五 "), QStringLiteral(" 13700000009 "), {4, 1, 3});
    ASSERT_EQ(SaveContact(record, target), ContactSaveResult::Saved);

    const auto rows = RowsOf("13700000009");
    ASSERT_EQ(rows.size(), 3u);
    for (size_t i = 0; i < rows.size(); ++i) {
        const auto [group, perNO, displayIndex] = rows[i];
        EXPECT_EQ(group, (std::array<int64_t, 3>{4, 1, 3}[i]));
        EXPECT_EQ(perNO, maxPerNO + 1 + static_cast<int64_t>(i));
        EXPECT_EQ(displayIndex, 0 - static_cast<int64_t>(i)); // m-1, m-2, m-3 for m = 1
    }
    EXPECT_EQ(target.nextDisplayIndex, -3);
    const auto first = Row(FixtureRowid("13700000009", 4));
    EXPECT_EQ(first.at("name"), "王五");
    EXPECT_EQ(first.at("qq"), "12345");
    EXPECT_EQ(first.at("txtDef1"), "围棋");
    EXPECT_EQ(first.at("boolDef1"), "否");
    EXPECT_EQ(first.at("birthDay"), "");
    EXPECT_EQ(first.at("firstLetter"), "");
    EXPECT_EQ(first.at("isDeleted"), "0");
    auto texts = [](std::map<std::string, std::string> row) {
        for (const char* own : {"groupID", "perNO", "displayIndex"})
            row.erase(own);
        return row;
    };
    EXPECT_EQ(texts(Row(FixtureRowid("13700000009", 1))), texts(first));
    EXPECT_EQ(texts(Row(FixtureRowid("13700000009", 3))), texts(first));
}

TEST_F(ContactEditorSave, TextsAreStoredAsTyped) {
    for (const QString& name : {QStringLiteral("O'Brien"), QStringLiteral("'; DROP TABLE ContactList;--")}) {
        ContactSaveTarget target;
        CONTACTINFO record = NewContact(name, QStringLiteral("13700000001"), {4});
        record.mark = name;
        ASSERT_EQ(SaveContact(record, target), ContactSaveResult::Saved) << name.toStdString();
        SqlStatement st(
            g_pDB, "SELECT name, mark FROM ContactList WHERE mobileNum='13700000001' ORDER BY rowid DESC");
        ASSERT_EQ(st.step(), SQLITE_ROW);
        EXPECT_EQ(st.qtext(0), name);
        EXPECT_EQ(st.qtext(1), name);
    }
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM ContactList"), 12);
}

TEST_F(ContactEditorSave, MissingOrIllegalInputWritesNothing) {
    struct Case {
        QString mobile;
        std::vector<quint32> groups;
        ContactSaveResult expected;
    };
    const Case cases[] = {
        {QStringLiteral("   "), {4}, ContactSaveResult::MissingRequired},
        {QStringLiteral("13700000001"), {}, ContactSaveResult::MissingRequired},
        {QStringLiteral("12345678"), {4}, ContactSaveResult::IllegalNumber},
        {QStringLiteral("1380000000a"), {4}, ContactSaveResult::IllegalNumber},
    };
    for (const Case& c : cases) {
        ContactSaveTarget target;
        CONTACTINFO record = NewContact(QStringLiteral("王五"), c.mobile, c.groups);
        EXPECT_EQ(SaveContact(record, target), c.expected) << c.mobile.toStdString();
    }
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM ContactList"), 10);
}

// 张三 is stored under one perNO in groups 1 and 2; the editor opened his row
// in group 1.
ContactSaveTarget OpenedZhangSan(CONTACTINFO& record) {
    const qint64 rowid = FixtureRowid("13800000001", 1);
    EXPECT_TRUE(ReadContactByRowid(g_pDB, rowid, record));
    EXPECT_TRUE(LoadContactGroups(g_pDB, record));
    ContactSaveTarget target;
    target.existing = true;
    target.oldGroups = record.groupIds;
    target.rowid = rowid;
    target.rowGroupId = 1;
    target.nextDisplayIndex = NextContactDisplayIndex();
    return target;
}

TEST_F(ContactEditorSave, AnEditUpdatesTheOpenedRowAndAddsNewGroupsOnly) {
    CONTACTINFO record;
    ContactSaveTarget target = OpenedZhangSan(record);
    const auto groupTwoBefore = Row(FixtureRowid("13800000001", 2));
    ASSERT_EQ(Scalar("UPDATE ContactList SET firstLetter='zs' WHERE mobileNum='13800000001' RETURNING 0"), 0);

    record.name = QStringLiteral("张三丰");
    record.groupIds = {1, 2, 4};
    ASSERT_EQ(SaveContact(record, target), ContactSaveResult::Saved);

    const auto opened = Row(FixtureRowid("13800000001", 1));
    EXPECT_EQ(opened.at("name"), "张三丰");
    EXPECT_EQ(opened.at("perNO"), "1");
    EXPECT_EQ(opened.at("displayIndex"), "1");
    EXPECT_EQ(opened.at("firstLetter"), "");
    auto groupTwo = Row(FixtureRowid("13800000001", 2));
    EXPECT_EQ(groupTwo.at("name"), "张三");
    EXPECT_EQ(groupTwo.at("firstLetter"), "zs");
    groupTwo["firstLetter"] = groupTwoBefore.at("firstLetter");
    EXPECT_EQ(groupTwo, groupTwoBefore);
    const auto added = Row(FixtureRowid("13800000001", 4));
    EXPECT_EQ(added.at("name"), "张三丰");
    EXPECT_EQ(added.at("perNO"), "10");
    EXPECT_EQ(added.at("displayIndex"), "0");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM ContactList"), 11);

    // Unticking the opened group and another one deletes nothing; the
    // opened row still takes the edit, in its own group, and the other
    // rows of the contact stay as they were.
    CONTACTINFO again;
    target = OpenedZhangSan(again);
    again.name = QStringLiteral("别人");
    again.groupIds = {4};
    ASSERT_EQ(SaveContact(again, target), ContactSaveResult::Saved);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM ContactList"), 11);
    EXPECT_EQ(Row(FixtureRowid("13800000001", 1)).at("name"), "别人");
    EXPECT_EQ(Row(FixtureRowid("13800000001", 1)).at("groupID"), "1");
    EXPECT_EQ(Row(FixtureRowid("13800000001", 2)).at("name"), "张三");
    EXPECT_EQ(Row(FixtureRowid("13800000001", 4)).at("name"), "张三丰");
}

TEST_F(ContactEditorSave, AFieldWithoutAControlKeepsItsStoredValue) {
    CONTACTINFO record;
    ContactSaveTarget target = OpenedZhangSan(record);
    target.keptFields = {22, 23, 24, 25, 26, 27, 28, 29, 30, 32, 33, 34};
    // Whatever the record says, a kept field is not written.
    record.txtDef[1] = QString();
    record.txtDef[0] = QStringLiteral("书法");
    ASSERT_EQ(SaveContact(record, target), ContactSaveResult::Saved);
    const auto row = Row(FixtureRowid("13800000001", 1));
    EXPECT_EQ(row.at("txtDef2"), "旧值");
    EXPECT_EQ(row.at("txtDef1"), "书法");
    EXPECT_EQ(row.at("boolDef1"), "是");
}

TEST_F(ContactEditorSave, AFailedStatementRollsTheWholeSaveBack) {
    struct Case {
        const char* what;
        bool existing;
    };
    for (const Case c : {Case{"new contact", false}, Case{"edit adding a group", true}}) {
        SCOPED_TRACE(c.what);
        LoadContactsFixture();
        CONTACTINFO record;
        ContactSaveTarget target;
        if (c.existing)
            target = OpenedZhangSan(record);
        else
            record = NewContact(QString(), QStringLiteral("13700000002"), {});
        record.groupIds = {1, 3, 4};
        record.name = QStringLiteral("FAIL");
        const ContactSaveTarget before = target;
        const auto opened = Row(FixtureRowid("13800000001", 1));

        EXPECT_EQ(SaveContact(record, target), ContactSaveResult::Failed);
        EXPECT_EQ(Scalar("SELECT COUNT(*) FROM ContactList"), 10);
        EXPECT_EQ(Row(FixtureRowid("13800000001", 1)), opened);
        EXPECT_EQ(target.nextDisplayIndex, before.nextDisplayIndex);
        EXPECT_TRUE(runLog().contains(
            QStringLiteral("SQL ERROR:x,MY ERROR:CDlgContactInfo::AddContact中SQL语句pSqlForInsert执行错误")))
            << runLog().toStdString();

        // Once the cause is gone the same save writes each group once.
        ASSERT_EQ(ExecSql(nullptr, g_pDB, "DROP TRIGGER fail_insert; DROP TRIGGER fail_update"), SQLITE_OK);
        ASSERT_EQ(SaveContact(record, target), ContactSaveResult::Saved);
        const char* mobile = c.existing ? "13800000001" : "13700000002";
        for (int group : {1, 3, 4})
            EXPECT_EQ(Scalar("SELECT COUNT(*) FROM ContactList WHERE name='FAIL' AND groupID=" +
                             std::to_string(group) + " AND mobileNum='" + mobile + "'"),
                      1)
                << group;
    }
}

} // namespace

namespace {

class ContactEditorCities : public ProgramFolderTest {};

TEST_F(ContactEditorCities, ANewDatabaseListsEveryProvinceWithItsCities) {
    EXPECT_EQ(Scalar("SELECT COUNT(DISTINCT Province) FROM CityInfo"), 34);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM CityInfo WHERE Province IS NULL OR City IS NULL OR City=''"), 0);
    EXPECT_EQ(
        Scalar(
            "SELECT COUNT(*) FROM (SELECT Province, City FROM CityInfo GROUP BY 1, 2 HAVING COUNT(*) > 1)"),
        0);
    struct Case {
        const char* province;
        int cities;
        const char* city;
    };
    for (const Case& c :
         {Case{"北京市", 1, "北京市"}, Case{"广东省", 21, "深圳市"}, Case{"新疆维吾尔自治区", 14, "喀什地区"},
          Case{"香港特别行政区", 1, "香港特别行政区"}}) {
        SqlStatement st(g_pDB, "SELECT COUNT(*), SUM(City=?) FROM CityInfo WHERE Province=?");
        st.bind(1, c.city).bind(2, c.province);
        ASSERT_EQ(st.step(), SQLITE_ROW);
        EXPECT_EQ(st.int64(0), c.cities) << c.province;
        EXPECT_EQ(st.int64(1), 1) << c.province;
    }
}

} // namespace
