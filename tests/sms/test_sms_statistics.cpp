// The statistics of successful submissions per charge mark: which rows a
// date range takes, which rows count, and what the ranged delete removes.
#include "core/database.h"
#include "core/log.h"
#include "core/sql.h"
#include "sms/sms_statistics.h"
#include "tests/support/program_folder.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <memory>

namespace {

// A customised installation, so the customer database with CountmsgRecord exists.
class SmsStatistics : public ::testing::Test {
protected:
    void SetUp() override {
        m_folder = std::make_unique<ProgramFolder>();
        m_folder->writeFile("OEM/OemInfo.ini", "[System]\nCustomize=1\n");
        g_logRun.daily = 1;
        ASSERT_TRUE(LogOpen(g_logRun, "run.txt", 1));
        ASSERT_EQ(OpenDatabase(), 0);
        ASSERT_NE(g_pCustomerDB, nullptr);
        // sendID, mark, submitTime, isFail, msgcount, numcount
        ASSERT_EQ(ExecSql(nullptr, g_pCustomerDB,
                          "INSERT INTO CountmsgRecord VALUES (1, 'A', '2026-03-01 08:00:00', 0, 10, 5);"
                          "INSERT INTO CountmsgRecord VALUES (2, 'A', '2026-03-02 23:59:59', 0, 4, 2);"
                          "INSERT INTO CountmsgRecord VALUES (3, '', '2026-03-02 12:00:00', 0, 3, 3);"
                          "INSERT INTO CountmsgRecord VALUES (4, NULL, '2026-03-02 12:00:00', 0, 100, 100);"
                          "INSERT INTO CountmsgRecord VALUES (5, 'A', '2026-03-02 10:00:00', 1, 50, 50);"
                          "INSERT INTO CountmsgRecord VALUES (6, 'B', '2026-03-03 00:00:00', 0, 7, 1);"
                          "INSERT INTO CountmsgRecord VALUES (7, 'O''Neil', '2026-03-01 09:00:00', 0, 2, 2);"
                          "INSERT INTO CountmsgRecord VALUES (8, 'B', '2026-02-28 18:00:00', 0, 1, 1);"),
                  SQLITE_OK);
    }
    void TearDown() override {
        CloseDatabase();
        LogClose(g_logRun);
        m_folder.reset();
    }

    // "mark|msgcount|numcount" per row of the query, in its order.
    static QStringList Totals(const std::string& query) {
        QStringList rows;
        SqlStatement st(g_pCustomerDB, query);
        while (st.step() == SQLITE_ROW)
            rows << st.qtext(0) + '|' + st.qtext(1) + '|' + st.qtext(2);
        return rows;
    }
    static qint64 Scalar(const std::string& sql) {
        SqlStatement st(g_pCustomerDB, sql);
        return st.step() == SQLITE_ROW ? st.int64(0) : -1;
    }
    static QString SendIds() {
        QStringList ids;
        SqlStatement st(g_pCustomerDB, "SELECT sendID FROM CountmsgRecord ORDER BY sendID");
        while (st.step() == SQLITE_ROW)
            ids << st.qtext(0);
        return ids.join(',');
    }

    std::unique_ptr<ProgramFolder> m_folder;
};

const QDate kMar2(2026, 3, 2);

struct RangeCase {
    const char* name;
    StatisticsRange range;
    QStringList totals;
    const char* keptAfterDelete;
};

const RangeCase kRanges[] = {
    // The empty mark counts; the NULL mark (sendID 4) and the failed batch (5) never do.
    {"all", {}, {"|3|3", "A|14|7", "B|8|2", "O'Neil|2|2"}, ""},
    // "到" takes the whole day: 23:59:59 of it too, nothing of the next.
    {"to", {std::nullopt, kMar2}, {"|3|3", "A|14|7", "B|1|1", "O'Neil|2|2"}, "6"},
    {"from", {kMar2, std::nullopt}, {"|3|3", "A|4|2", "B|7|1"}, "1,7,8"},
    {"one day", {kMar2, kMar2}, {"|3|3", "A|4|2"}, "1,6,7,8"},
    {"empty", {QDate(2026, 3, 4), std::nullopt}, {}, "1,2,3,4,5,6,7,8"},
    {"upside down", {QDate(2026, 3, 3), QDate(2026, 3, 1)}, {}, "1,2,3,4,5,6,7,8"},
};

TEST_F(SmsStatistics, TotalsPerMarkWithinTheRange) {
    for (const RangeCase& c : kRanges) {
        SCOPED_TRACE(c.name);
        const std::string query = StatisticsQuery(StatisticsDateCondition(c.range));
        EXPECT_EQ(Totals(query), c.totals);
        EXPECT_EQ(Scalar(StatisticsCountQuery(query)), c.totals.size());
    }
}

TEST_F(SmsStatistics, RangedDeleteRemovesEveryRowOfTheRange) {
    for (const RangeCase& c : kRanges) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(ExecSql(nullptr, g_pCustomerDB, "SAVEPOINT keep"), SQLITE_OK);
        // Failed batches and rows without a mark go with their range too.
        EXPECT_EQ(DeleteStatistics(g_pCustomerDB, StatisticsDateCondition(c.range)), SQLITE_OK);
        EXPECT_EQ(SendIds(), QString::fromLatin1(c.keptAfterDelete));
        ASSERT_EQ(ExecSql(nullptr, g_pCustomerDB, "ROLLBACK TO keep; RELEASE keep"), SQLITE_OK);
    }
}

TEST_F(SmsStatistics, DateConditionText) {
    EXPECT_EQ(StatisticsDateCondition({}), "");
    EXPECT_EQ(StatisticsDateCondition({kMar2, kMar2}),
              " AND submitTime>'2026-03-02' AND (submitTime<'2026-03-02' OR submitTime like '2026-03-02%')");
}

TEST_F(SmsStatistics, DeleteFailureIsReported) {
    ASSERT_EQ(
        ExecSql(
            nullptr, g_pCustomerDB,
            "CREATE TRIGGER keep_rows BEFORE DELETE ON CountmsgRecord BEGIN SELECT RAISE(ABORT, 'x'); END"),
        SQLITE_OK);
    EXPECT_NE(DeleteStatistics(g_pCustomerDB, StatisticsDateCondition({std::nullopt, kMar2})), SQLITE_OK);
    EXPECT_EQ(SendIds(), QStringLiteral("1,2,3,4,5,6,7,8"));
}

} // namespace
