// Adding, deleting and renaming groups in the database, and the caption of
// a tree node.
#include "contacts/group_edit.h"
#include "core/sql.h"
#include "tests/support/contacts_fixture.h"
#include "tests/support/test_helpers.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

class GroupTreeEdit : public ContactsFixtureTest {
protected:
    static void Exec(const char* sql) {
        std::string error;
        ASSERT_EQ(ExecSql(&error, g_pDB, sql), SQLITE_OK) << error;
    }
    static qint64 Count(const std::string& sql) {
        SqlStatement st(g_pDB, sql);
        return st.step() == SQLITE_ROW ? st.int64(0) : -1;
    }
    // "id:name:parent" of every group, in GroupID order.
    static QStringList Groups() {
        QStringList rows;
        SqlStatement st(g_pDB,
                        "SELECT GroupID, GroupName, MasterID FROM ContactGroup ORDER BY GroupID, rowid");
        while (st.step() == SQLITE_ROW)
            rows << QStringLiteral("%1:%2:%3").arg(st.int64(0)).arg(st.qtext(1)).arg(st.int64(2));
        return rows;
    }
    // "groupID" of every contact, in rowid order.
    static QStringList ContactGroups() {
        QStringList rows;
        SqlStatement st(g_pDB, "SELECT groupID FROM ContactList ORDER BY rowid");
        while (st.step() == SQLITE_ROW)
            rows << QString::number(st.int64(0));
        return rows;
    }
    QStringList log() const { return LogLines(runLog()); }
};

TEST_F(GroupTreeEdit, AddTakesTheNextFreeIdAtInsertTimeAndStoresTheNameAsTyped) {
    // A group stored behind the caller's back, as an import does.
    Exec("INSERT INTO ContactGroup VALUES(6, 'X', 0)");
    struct Case {
        QString name;
        qint64 parent;
        qint64 id;
    };
    const Case cases[] = {{QStringLiteral("新组"), 4, 7},
                          {QStringLiteral("O'Brien"), 0, 8},
                          {QStringLiteral("' OR 1=1 --"), 3, 9},
                          {QStringLiteral("%_\""), 0, 10}};
    for (const Case& c : cases) {
        EXPECT_EQ(AddGroup(c.name, c.parent), c.id) << c.name.toStdString();
        SqlStatement st(g_pDB, "SELECT GroupName, MasterID FROM ContactGroup WHERE GroupID=?");
        st.bind(1, static_cast<int64_t>(c.id));
        ASSERT_EQ(st.step(), SQLITE_ROW);
        EXPECT_EQ(st.qtext(0), c.name);
        EXPECT_EQ(st.int64(1), c.parent);
    }
    EXPECT_EQ(Count("SELECT COUNT(*) FROM ContactGroup"), 10);
    EXPECT_EQ(Count("SELECT COUNT(DISTINCT GroupID) FROM ContactGroup"), 10);
}

TEST_F(GroupTreeEdit, DeleteTakesTheSubtreeAndItsContactsOnly) {
    // 6 under C, stored after any tree was filled; 7 and 8 name each other
    // as parents; 9 under the cycle.
    Exec("INSERT INTO ContactGroup VALUES(6, 'F', 3), (7, 'G', 8), (8, 'H', 7), (9, 'I', 7);"
         "INSERT INTO ContactList (name, mobileNum, groupID, perNO) VALUES ('六', '13700000006', 6, 20),"
         " ('七', '13700000007', 7, 21)");
    struct Case {
        qint64 group;
        std::vector<qint64> descendants;
        QStringList groupsLeft;
        QStringList contactGroupsLeft;
    };
    const Case cases[] = {
        {3,
         {6},
         {"1:A:0", "2:B:1", "4:D:0", "5:E:99", "7:G:8", "8:H:7", "9:I:7"},
         {"1", "2", "1", "4", "4", "4", "4", "4", "4", "7"}},
        {1, {2}, {"4:D:0", "5:E:99", "7:G:8", "8:H:7", "9:I:7"}, {"4", "4", "4", "4", "4", "4", "7"}},
        {7, {8, 9}, {"4:D:0", "5:E:99"}, {"4", "4", "4", "4", "4", "4"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(GroupDescendants(c.group), c.descendants) << c.group;
        ASSERT_TRUE(DeleteGroupTree(c.group)) << c.group;
        EXPECT_EQ(Groups(), c.groupsLeft) << c.group;
        EXPECT_EQ(ContactGroups(), c.contactGroupsLeft) << c.group;
    }
}

TEST_F(GroupTreeEdit, AFailingStatementChangesNothing) {
    const QStringList groupsBefore = Groups();
    const QStringList contactsBefore = ContactGroups();
    struct Case {
        const char* trigger;
        std::function<bool()> change;
        const char* logged;
    };
    const Case cases[] = {
        {"CREATE TRIGGER t BEFORE INSERT ON ContactGroup BEGIN SELECT RAISE(ABORT, 'no'); END",
         [] { return AddGroup(QStringLiteral("新"), 1) != 0; }, "更新组时出错了"},
        // The groups go first, then the contacts fail: the groups come back.
        {"CREATE TRIGGER t BEFORE DELETE ON ContactList WHEN OLD.groupID=2 BEGIN SELECT RAISE(ABORT, 'no'); "
         "END",
         [] { return DeleteGroupTree(1); }, "删除组时删除联系人出错了"},
        {"CREATE TRIGGER t BEFORE DELETE ON ContactGroup BEGIN SELECT RAISE(ABORT, 'no'); END",
         [] { return DeleteGroupTree(1); }, "删除组时删除分组出错了"},
        {"CREATE TRIGGER t BEFORE UPDATE ON ContactGroup BEGIN SELECT RAISE(ABORT, 'no'); END",
         [] { return RenameGroup(2, QStringLiteral("新")); }, "更新组时出错了"},
    };
    for (const Case& c : cases) {
        Exec(c.trigger);
        EXPECT_FALSE(c.change()) << c.trigger;
        EXPECT_EQ(Groups(), groupsBefore) << c.trigger;
        EXPECT_EQ(ContactGroups(), contactsBefore) << c.trigger;
        EXPECT_TRUE(log().contains(QString::fromUtf8(c.logged))) << c.trigger;
        Exec("DROP TRIGGER t");
    }
    // No transaction is left open behind a failure.
    EXPECT_TRUE(RenameGroup(2, QStringLiteral("B2")));
    EXPECT_TRUE(sqlite3_get_autocommit(g_pDB));
}

TEST_F(GroupTreeEdit, RenameRunsTheUpdateEvenForTheSameName) {
    Exec(
        "CREATE TABLE renamed(name TEXT);"
        "CREATE TRIGGER r AFTER UPDATE ON ContactGroup BEGIN INSERT INTO renamed VALUES(NEW.GroupName); END");
    for (const QString& name : {QStringLiteral("B"), QStringLiteral("it's"), QStringLiteral("B")})
        EXPECT_TRUE(RenameGroup(2, name));
    QStringList names;
    SqlStatement st(g_pDB, "SELECT name FROM renamed ORDER BY rowid");
    while (st.step() == SQLITE_ROW)
        names << st.qtext(0);
    EXPECT_EQ(names, (QStringList{"B", "it's", "B"}));
    EXPECT_EQ(Groups().at(1), QStringLiteral("2:B:1"));
}

TEST(GroupTreeCaption, NodeAndAtMostFiveAncestors) {
    struct Case {
        QStringList path;
        QString caption;
    };
    const Case cases[] = {
        {{"联系人"}, "联系人"},
        {{"联系人", "A"}, "联系人->A"},
        {{"联系人", "A", "B", "C"}, "联系人->A->B->C"},
        {{"短信", "草稿箱"}, "短信->草稿箱"},
        {{"联系人", "1", "2", "3", "4", "5", "6"}, "1->2->3->4->5->6"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GroupCaption(c.path), c.caption) << c.caption.toStdString();
}

} // namespace
