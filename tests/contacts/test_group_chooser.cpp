#include "contacts/group_chooser.h"

#include "contacts/contact_record.h"
#include "core/sql.h"
#include "tests/support/contacts_fixture.h"
#include "tests/support/test_helpers.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using ChooseGroupLogic = ContactsFixtureTest;

const QString kGroup4List =
    QStringLiteral("SELECT name FROM ContactList WHERE groupID=4 ORDER BY displayIndex, rowid");
const QString kAllContacts = QStringLiteral("SELECT name FROM ContactList ORDER BY displayIndex, rowid");

qint64 Count(const std::string& where = "1") {
    SqlStatement st(g_pDB, "SELECT COUNT(*) FROM ContactList WHERE " + where);
    return st.step() == SQLITE_ROW ? st.int64(0) : -1;
}

qint64 MaxPerNo() {
    SqlStatement st(g_pDB, "SELECT MAX(perNO) FROM ContactList");
    return st.step() == SQLITE_ROW ? st.int64(0) : -1;
}

// "groupID:perNO:name" of the rows after `rowid`, in rowid order.
std::vector<std::string> RowsAfter(qint64 rowid) {
    SqlStatement st(g_pDB, "SELECT groupID,perNO,name FROM ContactList WHERE rowid>? ORDER BY rowid");
    st.bind(1, static_cast<int64_t>(rowid));
    std::vector<std::string> rows;
    while (st.step() == SQLITE_ROW)
        rows.push_back(std::to_string(st.int64(0)) + ":" + std::to_string(st.int64(1)) + ":" + st.text(2));
    return rows;
}

qint64 MaxRowid() {
    SqlStatement st(g_pDB, "SELECT MAX(rowid) FROM ContactList");
    return st.step() == SQLITE_ROW ? st.int64(0) : 0;
}

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

TEST_F(ChooseGroupLogic, CopyGivesEachCopyANewPerNo) {
    ContactSelection selection(kGroup4List);
    selection.Tick(FixtureRowid("13900000002", 4), true); // 乙
    selection.Tick(FixtureRowid("13900000001", 4), true); // 甲
    const qint64 first = MaxPerNo() + 1;
    const qint64 lastRow = MaxRowid();
    qint64 next = 0;
    ASSERT_TRUE(CopyContactsToGroups(selection, {1, 2, 3}, g_pDB, &next));
    const auto n = [&](int i) { return std::to_string(first + i); };
    // In list order (甲 before 乙, tied on displayIndex), each into the groups in order.
    EXPECT_EQ(RowsAfter(lastRow),
              (std::vector<std::string>{"1:" + n(0) + ":甲", "2:" + n(1) + ":甲", "3:" + n(2) + ":甲",
                                        "1:" + n(3) + ":乙", "2:" + n(4) + ":乙", "3:" + n(5) + ":乙"}));
    EXPECT_EQ(next, first + 6);

    // Every other column is copied as it is.
    CONTACTINFO original;
    CONTACTINFO copy;
    ASSERT_TRUE(ReadContactByRowid(g_pDB, FixtureRowid("13900000001", 4), original));
    ASSERT_TRUE(ReadContactByRowid(g_pDB, FixtureRowid("13900000001", 3), copy));
    EXPECT_EQ(copy.name, original.name);
    EXPECT_EQ(copy.mobileNum, original.mobileNum);
    SqlStatement st(
        g_pDB, "SELECT displayIndex,isDeleted FROM ContactList WHERE mobileNum='13900000001' AND groupID=3");
    ASSERT_EQ(st.step(), SQLITE_ROW);
    EXPECT_EQ(st.int64(0), 7);
    EXPECT_EQ(st.int64(1), 0);
}

TEST_F(ChooseGroupLogic, CopyFromAllContactsMeetsNoCopy) {
    // "All except" over the whole table: the copies land in the same table
    // and must not be copied again.
    ContactSelection selection(kAllContacts);
    selection.TickAll();
    const qint64 before = Count();
    ASSERT_TRUE(CopyContactsToGroups(selection, {4}, g_pDB));
    EXPECT_EQ(Count(), 2 * before);
    EXPECT_EQ(Count("groupID=4"), 5 + 1 + before);
}

TEST_F(ChooseGroupLogic, MoveFromAllContactsMovesTheTickedRowsOnly) {
    ContactSelection selection(kAllContacts);
    const qint64 zhangIn1 = FixtureRowid("13800000001", 1);
    const qint64 liIn3 = FixtureRowid("13800000002", 3);
    selection.Tick(zhangIn1, true);
    selection.Tick(liIn3, true);
    ASSERT_TRUE(MoveContactsToGroup(selection, 4, g_pDB));
    EXPECT_EQ(FixtureRowid("13800000001", 4), zhangIn1);
    EXPECT_EQ(Count("mobileNum='13800000002' AND groupID=3"), 0);
    // The row sharing 张三's perNO in group 2 stays where it was.
    EXPECT_EQ(Count("mobileNum='13800000001' AND groupID=2"), 1);
    EXPECT_EQ(Count("groupID=1"), 1); // 李四's row in 1 was not ticked
}

TEST_F(ChooseGroupLogic, FailureStoresNothing) {
    AddFailingContact();
    const qint64 rows = Count();
    ContactSelection selection(kGroup4List);
    selection.TickAll(); // 甲..戊 come first, the failing row last

    EXPECT_FALSE(CopyContactsToGroups(selection, {1}, g_pDB));
    EXPECT_EQ(Count(), rows);
    EXPECT_FALSE(MoveContactsToGroup(selection, 1, g_pDB));
    EXPECT_EQ(Count("groupID=4"), 7); // 甲..戊, 李四 and FAIL
    EXPECT_EQ(LogLines(runLog()).filter(QStringLiteral("复制或移动分组出错了")).size(), 2);

    // Nothing was left half done: without the failing row the copy goes through.
    selection.Tick(FixtureRowid("13900000009", 4), false);
    ASSERT_TRUE(CopyContactsToGroups(selection, {1}, g_pDB));
    EXPECT_EQ(Count("groupID=1"), 2 + 6);
}

TEST(ChooseGroupCondition, JoinsTheGroups) {
    const struct {
        QList<qint64> groups;
        const char* condition;
    } cases[] = {
        {{3, 5}, " AND (groupID=3 OR groupID=5)"},
        {{7}, " AND (groupID=7)"},
        {{1, 2, 10}, " AND (groupID=1 OR groupID=2 OR groupID=10)"},
        {{}, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(GroupCondition(c.groups), QString::fromLatin1(c.condition));
}

std::string Parents() {
    SqlStatement st(g_pDB,
                    "SELECT group_concat(link) FROM (SELECT GroupID||'<'||MasterID AS link FROM ContactGroup"
                    " ORDER BY GroupID)");
    return st.step() == SQLITE_ROW ? st.text(0) : std::string();
}

TEST_F(ChooseGroupLogic, ParentChangeNeverMakesACycle) {
    // A(1) > B(2) > C(3), D(4), E(5) under a missing parent (99).
    const struct {
        qint64 group;
        qint64 parent;
    } refused[] = {{1, 1}, {1, 2}, {1, 3}, {2, 3}, {2, 2}};
    for (const auto& c : refused)
        EXPECT_EQ(SetGroupParent(c.group, c.parent), ReparentResult::WouldCycle)
            << c.group << " under " << c.parent;
    EXPECT_EQ(Parents(), "1<0,2<1,3<2,4<0,5<99");

    EXPECT_EQ(SetGroupParent(3, 4), ReparentResult::Done);
    EXPECT_EQ(SetGroupParent(4, 3), ReparentResult::WouldCycle); // C is D's child now
    EXPECT_EQ(SetGroupParent(1, 5), ReparentResult::Done);       // E's parent is missing: no cycle
    EXPECT_EQ(SetGroupParent(5, 2), ReparentResult::WouldCycle); // B > A > E
    EXPECT_EQ(Parents(), "1<5,2<1,3<4,4<0,5<99");

    // A cycle already in the data ends the walk.
    ASSERT_EQ(ExecSql(nullptr, g_pDB,
                      "INSERT INTO ContactGroup (GroupID,GroupName,MasterID) VALUES (8,'x',9),(9,'y',8)"),
              SQLITE_OK);
    EXPECT_EQ(SetGroupParent(4, 8), ReparentResult::Done);
}

} // namespace
