#include "contacts/contact_record.h"
#include "contacts/contact_selection.h"
#include "contacts/industry.h"

#include "core/sql.h"
#include "tests/support/contacts_fixture.h"

#include <gtest/gtest.h>

namespace {

using ContactRecord = ContactsFixtureTest;

TEST(ContactRecordDefaults, BoolsDefaultToNo) {
    const CONTACTINFO record;
    EXPECT_EQ(record.boolDef1, "否");
    EXPECT_EQ(record.boolDef2, "否");
    EXPECT_TRUE(record.name.isEmpty());
    EXPECT_EQ(record.perNO, 0);
    EXPECT_TRUE(record.groupIds.empty());
    for (int id = 1; id <= 34; ++id)
        EXPECT_NE(ContactText(record, id), nullptr) << id;
    EXPECT_EQ(ContactText(record, 0), nullptr);
    EXPECT_EQ(ContactText(record, 35), nullptr);
}

TEST_F(ContactRecord, ReadsARowAndItsGroups) {
    CONTACTINFO record;
    ASSERT_TRUE(ReadContactByRowid(g_pDB, FixtureRowid("13800000002", 3), record));
    EXPECT_EQ(record.name, "李四");
    EXPECT_EQ(record.perNO, 3);
    EXPECT_EQ(record.groupIds, (std::vector<quint32>{3}));
    // NULL user columns read empty, also the yes/no ones.
    EXPECT_EQ(record.boolDef1, "");
    EXPECT_EQ(record.txtDef[1], "");

    ASSERT_TRUE(LoadContactGroups(g_pDB, record));
    std::vector<quint32> groups = record.groupIds;
    std::sort(groups.begin(), groups.end());
    EXPECT_EQ(groups, (std::vector<quint32>{1, 3, 4}));

    CONTACTINFO none;
    EXPECT_FALSE(ReadContactByRowid(g_pDB, 999999, none));
    EXPECT_EQ(FirstRowidOfPerNo(g_pDB, 1), FixtureRowid("13800000001", 1));
    EXPECT_EQ(FirstRowidOfPerNo(g_pDB, 4242), 0);
}

TEST_F(ContactRecord, TheRowCallbackAppendsOneGroupPerRow) {
    CONTACTINFO record;
    const std::string sql = ContactRowSelect() + " WHERE perNO=1";
    ASSERT_EQ(ExecSql(nullptr, g_pDB, sql, ReadContactRow, &record), SQLITE_OK);
    ASSERT_EQ(ExecSql(nullptr, g_pDB, sql + " AND groupID=1", ReadContactRow, &record), SQLITE_OK);
    EXPECT_EQ(record.groupIds, (std::vector<quint32>{1, 2, 1}));
    EXPECT_EQ(record.txtDef[1], "旧值");
    EXPECT_EQ(record.boolDef1, "是");
}

TEST_F(ContactRecord, ColumnsAreReadByNameNotPosition) {
    // A table whose columns stand in another order, as an older tool may
    // have made it.
    std::string columns;
    for (auto it = kContactColumns.rbegin(); it != kContactColumns.rend(); ++it)
        columns += std::string(columns.empty() ? "" : ",") + *it;
    ASSERT_EQ(ExecSql(nullptr, g_pDB, "DROP TABLE ContactList"), SQLITE_OK);
    ASSERT_EQ(ExecSql(nullptr, g_pDB, "CREATE TABLE ContactList(" + columns + ")"), SQLITE_OK);
    SqlStatement insert(g_pDB, "INSERT INTO ContactList(name,mobileNum,groupID,perNO,dateDef2,city) "
                               "VALUES('王五','13700000000',4,77,'2020-02-29','独城市')");
    ASSERT_EQ(insert.exec(), SQLITE_OK);
    CONTACTINFO record;
    ASSERT_TRUE(ReadContactByRowid(g_pDB, 1, record));
    EXPECT_EQ(record.name, "王五");
    EXPECT_EQ(record.mobileNum, "13700000000");
    EXPECT_EQ(record.city, "独城市");
    EXPECT_EQ(record.dateDef2, "2020-02-29");
    EXPECT_EQ(record.perNO, 77);
    EXPECT_EQ(record.groupIds, (std::vector<quint32>{4}));
}

// ---- ContactSelection ---------------------------------------------------------

using ContactSelectionTest = ContactsFixtureTest;

std::vector<QString> TickedNames(const ContactSelection& selection) {
    std::vector<QString> names;
    EXPECT_TRUE(selection.ForEachTicked(g_pDB, "name", [&](SqlStatement& row, qint64) {
        names.push_back(row.qtext(0));
        return true;
    }));
    return names;
}

TEST_F(ContactSelectionTest, TickedRowsAmongTiesComeBackInListOrder) {
    ContactSelection selection("SELECT name FROM ContactList WHERE groupID=4 AND displayIndex=7 "
                               "ORDER BY displayIndex, rowid");
    const qint64 second = FixtureRowid("13900000002", 4);
    const qint64 fourth = FixtureRowid("13900000004", 4);
    selection.Tick(fourth, true);
    selection.Tick(second, true);
    EXPECT_EQ(TickedNames(selection), (std::vector<QString>{"乙", "丁"}));

    // An update that changes the ticked rows keeps them ticked.
    ASSERT_EQ(ExecSql(nullptr, g_pDB, "UPDATE ContactList SET name=name||'!' WHERE groupID=4"), SQLITE_OK);
    EXPECT_EQ(TickedNames(selection), (std::vector<QString>{"乙!", "丁!"}));

    selection.TickAll();
    selection.Tick(second, false);
    EXPECT_EQ(TickedNames(selection), (std::vector<QString>{"甲!", "丙!", "丁!", "戊!"}));
    selection.Clear();
    EXPECT_TRUE(selection.IsEmpty());
    EXPECT_TRUE(TickedNames(selection).empty());
}

TEST_F(ContactSelectionTest, TheStatementIsKeptAsWritten) {
    ASSERT_EQ(ExecSql(nullptr, g_pDB, "UPDATE ContactList SET mark='Abc' WHERE mobileNum='13900000003'"), SQLITE_OK);
    ContactSelection selection("select name from ContactList where mark='Abc' order by displayIndex, rowid");
    EXPECT_EQ(ContactSelection::FromClause(selection.Statement()),
              "from ContactList where mark='Abc' order by displayIndex, rowid");
    selection.TickAll();
    EXPECT_EQ(TickedNames(selection), (std::vector<QString>{"丙"}));
    EXPECT_TRUE(ContactSelection::FromClause("SELECT fromage FROM ContactList").startsWith("FROM ContactList"));
    ContactSelection noFrom("SELECT 1");
    noFrom.TickAll();
    EXPECT_FALSE(noFrom.ForEachTicked(g_pDB, "name", [](SqlStatement&, qint64) { return true; }));
}

// ---- Lists ----------------------------------------------------------------------

TEST(ContactRecordLists, IndustriesEndWithOther) {
    EXPECT_EQ(g_industryNames.size(), 31u);
    EXPECT_STREQ(g_industryNames.back(), "其它");
    EXPECT_STREQ(g_industryNames.front(), "计算机软硬件");
}

class ContactRecordCities : public ProgramFolderTest {};

TEST_F(ContactRecordCities, ANewDatabaseHasProvincesAndAUserListIsKept) {
    SqlStatement provinces(g_pDB, "SELECT COUNT(DISTINCT Province) FROM CityInfo");
    ASSERT_EQ(provinces.step(), SQLITE_ROW);
    EXPECT_GE(provinces.int64(0), 4);
    ASSERT_EQ(ExecSql(nullptr, g_pDB, "DELETE FROM CityInfo; INSERT INTO CityInfo VALUES('我的省','我的市')"),
              SQLITE_OK);
    CloseDatabase();
    ASSERT_EQ(OpenDatabase(), 0);
    SqlStatement rows(g_pDB, "SELECT group_concat(Province||City) FROM CityInfo");
    ASSERT_EQ(rows.step(), SQLITE_ROW);
    EXPECT_EQ(rows.qtext(0), "我的省我的市");
}

} // namespace
