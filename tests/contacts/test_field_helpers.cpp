#include "contacts/contact_fields.h"
#include "contacts/group_tree.h"
#include "core/database.h"
#include "core/log.h"
#include "core/sql.h"
#include "tests/support/program_folder.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

// A program folder with the run log and a fresh database, for the tests of
// this suite (whose other tests need none, so there is no fixture class).
class DatabaseFolder {
public:
    DatabaseFolder() {
        g_logRun.daily = 1;
        m_ok = LogOpen(g_logRun, "run.txt", 1) && OpenDatabase() == 0;
    }
    ~DatabaseFolder() {
        CloseDatabase();
        LogClose(g_logRun);
    }
    bool ok() const { return m_ok; }
    QString runLog() const {
        return QString::fromUtf8(m_folder.readFile(
            QStringLiteral("enc/run.txt_%1.enc").arg(QString::fromStdString(g_logRun.date))));
    }

private:
    ProgramFolder m_folder;
    bool m_ok = false;
};

// (GroupID, GroupID of the parent or 0 for the top) in the order placed.
using Placed = std::vector<std::pair<int, int>>;

Placed Place(std::vector<TREE_GROUP> groups) {
    Placed placed;
    for (const GroupPlacement& p : PlaceGroups(groups)) {
        placed.emplace_back(groups[static_cast<size_t>(p.group)].GroupID,
                            p.parent < 0 ? 0 : groups[static_cast<size_t>(p.parent)].GroupID);
    }
    return placed;
}

TEST(FieldHelpers, GroupPlacement) {
    struct Case {
        const char* what;
        std::vector<TREE_GROUP> groups; // GroupID, MasterID
        Placed expected;
    };
    const Case cases[] = {
        {"hierarchy over passes: a child read before its parent waits for the next pass",
         {{1, 0, {}, false}, {5, 7, {}, false}, {7, 10, {}, false}, {10, 0, {}, false}, {2, 1, {}, false}},
         {{1, 0}, {10, 0}, {2, 1}, {7, 10}, {5, 7}}},
        {"orphan (parent never exists) is left out, with its children",
         {{1, 0, {}, false}, {4, 99, {}, false}, {8, 4, {}, false}, {2, 1, {}, false}},
         {{1, 0}, {2, 1}}},
        {"a cycle of parents ends and stays out",
         {{5, 6, {}, false}, {6, 5, {}, false}, {9, 9, {}, false}, {1, 0, {}, false}},
         {{1, 0}}},
        {"ids of 0 or less are never placed, nor their children",
         {{0, 0, {}, false}, {-1, 0, {}, false}, {3, 0, {}, false}, {4, -1, {}, false}},
         {{3, 0}}},
        {"siblings keep the array order",
         {{3, 0, {}, false}, {1, 0, {}, false}, {2, 3, {}, false}, {4, 3, {}, false}},
         {{3, 0}, {1, 0}, {2, 3}, {4, 3}}},
        {"nothing", {}, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Place(c.groups), c.expected) << c.what;

    std::vector<TREE_GROUP> groups{{1, 0, {}, false}, {2, 42, {}, false}};
    PlaceGroups(groups);
    EXPECT_TRUE(groups[0].placed);
    EXPECT_FALSE(groups[1].placed);
}

TEST(FieldHelpers, ReadContactGroupsSkipsIdsBelowOne) {
    DatabaseFolder folder;
    ASSERT_TRUE(folder.ok());
    ASSERT_EQ(ExecSql(nullptr, g_pDB,
                      "DELETE FROM ContactGroup;"
                      "INSERT INTO ContactGroup (GroupID,GroupName,MasterID) VALUES"
                      " (2,'销售',1),(0,'零',0),(-3,'负',0),(1,'总部',0)"),
              SQLITE_OK);
    const std::vector<TREE_GROUP> groups = ReadContactGroups();
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_EQ(groups[0].GroupID, 1); // ORDER BY MasterID
    EXPECT_EQ(groups[0].name, QStringLiteral("总部"));
    EXPECT_EQ(groups[1].GroupID, 2);
    EXPECT_EQ(groups[1].MasterID, 1);
    EXPECT_TRUE(ReadContactGroups(nullptr).empty());
}

TEST(FieldHelpers, ContactFieldValues) {
    DatabaseFolder folder;
    ASSERT_TRUE(folder.ok());
    // The deleted contact with the same number comes first, so a lookup that
    // forgot isDeleted would find it; the last fieldDisplay row names no
    // column, and its text must never run as SQL.
    ASSERT_EQ(ExecSql(nullptr, g_pDB,
                      "INSERT INTO ContactList (name,sex,mobileNum,perNO,isDeleted,mark,numDef1) VALUES"
                      " ('旧号码','男','13900000002',7,1,'deleted',NULL),"
                      " ('张三','男','13800000001',5,0,NULL,12),"
                      " ('李四','女','13900000002',8,0,'it''s',NULL);"
                      "INSERT INTO fieldDisplay (fieldID,name,nameOfValue,inUse,isVisible,indexField) VALUES"
                      " (99,'坏字段','mark FROM ContactList; DROP TABLE ContactList; --',0,0,99)"),
              SQLITE_OK);
    const QStringList names{QStringLiteral("姓名"), QStringLiteral("不存在"), QStringLiteral("性别"),
                            QStringLiteral("备注"), QStringLiteral("坏字段"), QStringLiteral("自定义数字1")};
    struct Case {
        const char* what;
        const char* mobile;
        int64_t perNO;
        QStringList expected;
    };
    const Case cases[] = {
        {"by perNO (the number is not looked at)",
         "13900000002",
         5,
         {QStringLiteral("张三"), "", QStringLiteral("先生"), "", "", QStringLiteral("12")}},
        {"by mobile, deleted contacts skipped",
         "13900000002",
         0,
         {QStringLiteral("李四"), "", QStringLiteral("女士"), QStringLiteral("it's"), "", ""}},
        {"no such contact", "10000000000", 0, {"", "", "", "", "", ""}},
    };
    for (const Case& c : cases) {
        QStringList out{QStringLiteral("before")};
        const std::vector<NAMEORID> refs =
            GetContactFieldValues(out, names, QString::fromUtf8(c.mobile), c.perNO);
        EXPECT_EQ(out, QStringList{QStringLiteral("before")} + c.expected) << c.what;
        ASSERT_EQ(refs.size(), static_cast<size_t>(names.size()));
        EXPECT_EQ(refs[0].nameOfValue, QStringLiteral("name"));
        EXPECT_EQ(refs[0].fieldID, 1);
        EXPECT_TRUE(refs[1].nameOfValue.isEmpty());
        EXPECT_EQ(refs[1].fieldID, 0);
        EXPECT_EQ(refs[5].fieldID, 28);
    }
    // One reader for many contacts, its statements reused in turn.
    ContactFieldReader reader(g_pDB, names);
    for (int round = 0; round < 2; ++round)
        for (const Case& c : cases) {
            QStringList out;
            reader.Read(out, QString::fromUtf8(c.mobile), c.perNO);
            EXPECT_EQ(out, c.expected) << c.what << ", reused reader";
        }
    EXPECT_TRUE(IsTableColumn(g_pDB, "ContactList", "mobileNum"));
    EXPECT_TRUE(folder.runLog().contains(QStringLiteral("查询字段值时出错了")));

    // Without a database every name still gets its (empty) value.
    QStringList out;
    GetContactFieldValues(out, names, QString(), 5, nullptr);
    EXPECT_EQ(out, QStringList(names.size(), QString()));
    EXPECT_TRUE(folder.runLog().contains(QStringLiteral("查询ID和名称时出错了")));
}

TEST(FieldHelpers, VisibleFieldNames) {
    DatabaseFolder folder;
    ASSERT_TRUE(folder.ok());
    ASSERT_EQ(ExecSql(nullptr, g_pDB,
                      "UPDATE fieldDisplay SET inUse=1,isVisible=1,indexField=-1 WHERE fieldID=21;"
                      "UPDATE fieldDisplay SET isVisible=0 WHERE fieldID=4;"
                      "UPDATE fieldDisplay SET inUse=0 WHERE fieldID=6"),
              SQLITE_OK);
    const QStringList names = VisibleFieldNames(QStringLiteral("AND fieldID<>3"));
    ASSERT_GE(names.size(), 3);
    EXPECT_EQ(names[0], QStringLiteral("自定义文本1"));
    EXPECT_EQ(names[1], QStringLiteral("姓名"));
    EXPECT_EQ(names[2], QStringLiteral("性别"));
    for (const char* absent : {"手机或小灵通", "生日", "QQ", "自定义文本2"})
        EXPECT_FALSE(names.contains(QString::fromUtf8(absent))) << absent;
    EXPECT_EQ(names.size(), 20 - 3 + 1);

    EXPECT_TRUE(VisibleFieldNames(QStringLiteral("AND nosuchcolumn=1")).isEmpty());
    EXPECT_TRUE(folder.runLog().contains(QStringLiteral("查询在用且可见的字段时出错了")));
}

} // namespace
