#include "core/database.h"
#include "core/log.h"
#include "core/sql.h"
#include "tests/support/program_folder.h"

#include <QStringList>
#include <gtest/gtest.h>

#include <set>
#include <thread>

namespace {

class SqlTest : public ProgramFolderTest {
protected:
    int logLines() const { return static_cast<int>(runLog().count(QLatin1Char('\n'))); }
};

int StopAtFirstRow(void* context, int, char**, char**) {
    ++*static_cast<int*>(context);
    return 1;
}

TEST_F(SqlTest, ExecSqlResultsAndFailureLines) {
    const int before = logLines();
    EXPECT_EQ(ExecSql(nullptr, nullptr, "SELECT 1"), 1);  // no connection: no line either
    EXPECT_EQ(logLines(), before);

    int rows = 0;
    EXPECT_EQ(ExecSql(nullptr, g_pDB, "SELECT * FROM fieldDisplay", StopAtFirstRow, &rows), SQLITE_INTERRUPT);
    EXPECT_EQ(rows, 1);
    EXPECT_EQ(ExecSql(nullptr, g_pDB, "SELECT * FROM fieldDisplay", [](int, char**, char**) { return false; }),
              SQLITE_INTERRUPT);
    EXPECT_EQ(logLines(), before);

    std::string message;
    EXPECT_EQ(ExecSql(&message, g_pDB, "SELEC 1"), SQLITE_ERROR);
    EXPECT_EQ(message, "near \"SELEC\": syntax error");
    const QStringList lines = runLog().split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_GE(lines.size(), 2);
    EXPECT_TRUE(lines[lines.size() - 2].endsWith(
        QStringLiteral("  ERROR, ErrCode =1,SQL error info=near \"SELEC\": syntax error,SQL=\u2193")))
        << lines[lines.size() - 2].toStdString();
    EXPECT_TRUE(lines.back().endsWith(QStringLiteral("  SELEC 1")));

    LogSqlError(message, 0, "not written");
    EXPECT_FALSE(runLog().contains(QStringLiteral("not written")));
    LogSqlError(message, SQLITE_ERROR, QStringLiteral("加载出错了"));
    EXPECT_TRUE(runLog().contains(QStringLiteral("SQL ERROR:near \"SELEC\": syntax error,MY ERROR:加载出错了")));
}

TEST_F(SqlTest, QuotedAndBoundTextRoundTrips) {
    const QString hostile = QStringLiteral("O'Brien'); DROP TABLE ContactList; --");
    ASSERT_EQ(ExecSql(nullptr, g_pDB, "INSERT INTO ContactList (name, perNO) VALUES (" + SqlQuote(hostile) + ", 1)"),
              SQLITE_OK);
    SqlStatement insert(g_pDB, "INSERT INTO ContactList (name, perNO) VALUES (?1, ?2)");
    ASSERT_EQ(insert.bind(1, hostile).bind(2, 2).exec(), SQLITE_OK);

    SqlStatement read(g_pDB, "SELECT name FROM ContactList ORDER BY perNO");
    for (int i = 0; i < 2; ++i) {
        ASSERT_EQ(read.step(), SQLITE_ROW);
        EXPECT_EQ(read.qtext(0), hostile);
    }
    EXPECT_EQ(read.step(), SQLITE_DONE);
    EXPECT_EQ(SqlEscape(std::string_view("it's")), "it''s");
}

TEST_F(SqlTest, StatementFailuresAreLogged) {
    SqlStatement bad(g_pDB, "SELECT nope FROM ContactList");
    EXPECT_FALSE(bad.ok());
    EXPECT_NE(bad.step(), SQLITE_ROW);
    EXPECT_TRUE(runLog().contains(QStringLiteral("no such column: nope,SQL=\u2193")));
}

TEST_F(SqlTest, TransactionCommitsOrRollsBack) {
    {
        SqlTransaction tx(g_pDB);
        ASSERT_TRUE(tx.active());
        ExecSql(nullptr, g_pDB, "INSERT INTO ContactGroup (GroupID, GroupName, MasterID) VALUES (1, 'lost', 0)");
    }  // dropped uncommitted
    {
        SqlTransaction tx(g_pDB);
        ExecSql(nullptr, g_pDB, "INSERT INTO ContactGroup (GroupID, GroupName, MasterID) VALUES (2, 'kept', 0)");
        EXPECT_EQ(tx.commit(), SQLITE_OK);
    }
    SqlStatement st(g_pDB, "SELECT group_concat(GroupName) FROM ContactGroup");
    ASSERT_EQ(st.step(), SQLITE_ROW);
    EXPECT_EQ(st.text(0), "kept");
}

TEST_F(SqlTest, ColumnCheckAndIdAllocation) {
    EXPECT_TRUE(IsTableColumn(g_pDB, "ContactList", "mobileNum"));
    EXPECT_TRUE(IsTableColumn(g_pDB, "contactlist", "MOBILENUM"));
    EXPECT_FALSE(IsTableColumn(g_pDB, "ContactList", "mobileNum; DROP TABLE x"));
    EXPECT_FALSE(IsTableColumn(g_pDB, "NoTable", "name"));

    EXPECT_EQ(AllocateId(g_pDB, "sendInfo", "sendID"), 1);  // empty table
    ExecSql(nullptr, g_pDB, "INSERT INTO sendInfo (content, sendID) VALUES ('x', 10)");
    const int64_t first = AllocateId(g_pDB, "sendInfo", "sendID");
    EXPECT_EQ(first, 11);
    // Reserved but not yet written: never handed out again.
    EXPECT_EQ(AllocateId(g_pDB, "sendInfo", "sendID", 2), 12);
    EXPECT_EQ(AllocateId(g_pDB, "sendInfo", "sendID"), 14);
    EXPECT_EQ(AllocateId(g_pDB, "sendInfo", "sendID; DROP TABLE sendInfo"), 0);
}

TEST_F(SqlTest, TwoThreadsWithTheirOwnConnectionsLoseNothing) {
    constexpr int kBatches = 40, kRows = 25;
    auto worker = [](int thread) {
        sqlite3* db = OpenConnection(SystemDatabasePath());
        ASSERT_NE(db, nullptr);
        for (int b = 0; b < kBatches; ++b) {
            SqlTransaction tx(db);
            ASSERT_TRUE(tx.active());
            const int64_t id = AllocateId(db, "sendInfo", "sendID");
            SqlStatement info(db, "INSERT INTO sendInfo (content, sendID) VALUES (?1, ?2)");
            info.bind(1, "thread " + std::to_string(thread)).bind(2, id).exec();
            SqlStatement num(db, "INSERT INTO sendNums (sendID, numOrMailAddr) VALUES (?1, ?2)");
            for (int r = 0; r < kRows; ++r)
                num.bind(1, id).bind(2, std::to_string(13800000000LL + r)).exec();
            ASSERT_EQ(tx.commit(), SQLITE_OK);
        }
        CloseConnection(db);
    };
    std::thread a(worker, 1), b(worker, 2);
    a.join();
    b.join();

    std::set<int64_t> ids;
    SqlStatement st(g_pDB, "SELECT sendID, (SELECT COUNT(*) FROM sendNums n WHERE n.sendID = i.sendID) FROM sendInfo i");
    while (st.step() == SQLITE_ROW) {
        EXPECT_TRUE(ids.insert(st.int64(0)).second) << "duplicate id " << st.int64(0);
        EXPECT_EQ(st.int64(1), kRows);
    }
    EXPECT_EQ(ids.size(), static_cast<size_t>(2 * kBatches));
}

} // namespace
