#include "core/sql.h"
#include "tests/support/program_folder.h"
#include "tests/support/record_generator.h"

#include <gtest/gtest.h>

#include <string>

namespace {

qint64 Count(const char* sql) {
    SqlStatement st(g_pDB, sql);
    return st.step() == SQLITE_ROW ? st.int64(0) : -1;
}

using RecordGenerator = ProgramFolderTest;

// The record-view tests lean on these properties of the generated rows; a
// generator that drifts from them would let those tests pass vacuously.
TEST_F(RecordGenerator, WritesEveryKindOfRowTheViewsMeet) {
    RecordGeneratorOptions options;
    options.records = 160;
    options.received = 200;
    const GeneratedRecords g = GenerateRecords(options);
    ASSERT_TRUE(g.ok);

    // Every category, ten records each.
    EXPECT_EQ(Count("SELECT COUNT(*) FROM sendInfo WHERE sendType=1 AND isDraft=0 AND isFail=0"), 10);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM sendInfo WHERE sendType=6 AND isDraft=0"), 10);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM sendInfo WHERE sendType=3 AND isDraft=1"), 10);
    EXPECT_EQ(Count("SELECT COUNT(DISTINCT sendType*100+isDraft*10+isFail) FROM sendInfo"), 16);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM sendNums"), 160 * 3);
    EXPECT_GT(Count("SELECT COUNT(*) FROM sendNums WHERE status='未知'"), 0);
    EXPECT_GT(Count("SELECT COUNT(*) FROM sendNums WHERE status IS NULL"), 0);

    // Record 7 holds its first number twice.
    const QString first = GeneratedRecordNumber(7, 0);
    EXPECT_EQ(GeneratedRecordNumber(7, 2), first);
    SqlStatement twice(g_pDB, "SELECT COUNT(*) FROM sendNums WHERE sendID=?1 AND numOrMailAddr=?2");
    twice.bind(1, static_cast<int64_t>(g.firstSendID + 7)).bind(2, first);
    ASSERT_EQ(twice.step(), SQLITE_ROW);
    EXPECT_EQ(twice.int64(0), 2);

    // Survey replies: a double replier, and a NULL-time message from a number
    // that is no survey's recipient.
    EXPECT_EQ(g.surveyReplies, 10 * 3 + 1);
    EXPECT_EQ(g.receivedRows, 200 + g.surveyReplies);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM receivedMSGRecord WHERE sendTime IS NULL"), 1);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM receivedMSGRecord r WHERE sendTime IS NULL AND sendNum IN "
                    "(SELECT numOrMailAddr FROM sendNums n JOIN sendInfo i ON i.sendID=n.sendID WHERE sendType=6)"),
              0);
    EXPECT_GT(Count("SELECT COUNT(*) FROM (SELECT sendNum FROM receivedMSGRecord WHERE send_receive_Num>0 "
                    "AND msgContent LIKE 'A%' GROUP BY sendNum, send_receive_Num HAVING COUNT(*)=2)"),
              0);

    // Received: unread both ways, quotes, commas over two lines, a repeated id.
    EXPECT_GT(Count("SELECT COUNT(*) FROM receivedMSGRecord WHERE alreadyRead IS NULL"), 0);
    EXPECT_GT(Count("SELECT COUNT(*) FROM receivedMSGRecord WHERE alreadyRead=0"), 0);
    EXPECT_GT(Count("SELECT COUNT(*) FROM receivedMSGRecord WHERE msgContent LIKE '%''%'"), 0);
    EXPECT_GT(Count("SELECT COUNT(*) FROM receivedMSGRecord WHERE msgContent LIKE '%,%' AND "
                    "instr(msgContent, char(10))>0"),
              0);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM (SELECT receiveID FROM receivedMSGRecord GROUP BY receiveID "
                    "HAVING COUNT(*)>1)"),
              4);
    // The time stamps cross a month boundary correctly.
    EXPECT_EQ(GeneratedTime(31LL * 86400 + 61), QStringLiteral("2024-02-01 00:01:01"));
    EXPECT_EQ(GeneratedTime(60LL * 86400), QStringLiteral("2024-03-01 00:00:00"));
}

} // namespace
