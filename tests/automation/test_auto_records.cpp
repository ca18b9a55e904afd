// The records of automatic sends and of the mail loop's batches: pending
// before the call, the outcome after it (through the real client and the
// loopback service), the mail record's counts and numbers, and ids that stay
// unique when two threads write at once.
#include "automation/interactive_records.h"

#include "core/database.h"
#include "core/sql.h"
#include "service/web_service_client.h"
#include "tests/support/raw_http_peer.h"
#include "tests/support/service_fixture.h"
#include "tests/support/test_helpers.h"

#include <future>
#include <set>
#include <thread>

namespace {

QString Q(const char* utf8) {
    return QString::fromUtf8(utf8);
}

std::vector<NUM_CONTENT> Items(const std::vector<const char*>& numbers, const QString& text) {
    std::vector<NUM_CONTENT> items;
    for (const char* n : numbers)
        items.push_back({QString::fromLatin1(n), text});
    return items;
}

class AutoRecords : public ServiceTest {
protected:
    // sendInfo rows (sendID order): isFail|count|sendType|isDraft|content.
    std::vector<std::string> jobs() const {
        return QueryRows(g_pDB, "SELECT isFail,count,sendType,isDraft,content FROM sendInfo ORDER BY sendID");
    }
    // sendNums rows (rowid order): number|rrid|status.
    std::vector<std::string> numbers() const {
        return QueryRows(g_pDB,
                         "SELECT numOrMailAddr,rrid,IFNULL(status,'<null>') FROM sendNums ORDER BY rowid");
    }
    int64_t orphans() const {
        return QueryScalar(g_pDB,
                           "SELECT COUNT(*) FROM sendNums WHERE sendID NOT IN (SELECT sendID FROM sendInfo)");
    }
};

// A text of 71 characters: two parts each.
const QString kLongText = QString(71, QChar(0x4F60));

// One automatic send to three numbers through the real client: the service's
// answer, or its silence, decides what the records say.
TEST_F(AutoRecords, OutcomesOfAutomaticSends) {
    struct Case {
        const char* what;
        std::optional<LoopbackAnswer> answer; // none: a peer that reads the request and hangs up
        std::vector<std::string> job;
        std::string rrid;
        const char* status;
    };
    const std::string kNoRrid;
    const Case cases[] = {
        {"accepted", LoopbackAnswer::Text("20261211001"), {"0|6|1|0"}, "20261211001", "<null>"},
        {"refused", LoopbackAnswer::Text("-4"), {"1|6|1|0"}, kNoRrid, "<null>"},
        {"a fault", LoopbackAnswer::SoapFault(), {"1|6|1|0"}, kNoRrid, "<null>"},
        // Sent whole, never answered: perhaps delivered, so neither counted
        // nor called failed.
        {"closed after the request", std::nullopt, {"0|0|1|0"}, kNoRrid, "未知"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ExecSql(nullptr, g_pDB, "DELETE FROM sendInfo; DELETE FROM sendNums;");
        m_main->clear();
        RawHttpPeer peer;
        peer.setReply({});
        CWebServiceClient client(serial(), password());
        if (c.answer)
            m_main->scriptOnce("qxSmsSend", *c.answer);
        else
            client.SetEndpoint(peer.url().c_str());
        const auto items = Items({"13800000001", "13800000002", "13800000003"}, kLongText);
        const int result = SendAndRecordInteractive(g_pDB, client, false, items, [&](std::string& rrid) {
            return client.CallSmsSendAuto(Q("13800000001,13800000002,13800000003"), kLongText, QString(),
                                          rrid);
        });
        EXPECT_EQ(result == 0, c.rrid.size() > 0);
        std::vector<std::string> job;
        for (const std::string& row : jobs())
            job.push_back(row.substr(0, row.rfind('|')));
        EXPECT_EQ(job, c.job);
        const std::string tail = "|" + c.rrid + "|" + c.status;
        EXPECT_EQ(numbers(), (std::vector<std::string>{"13800000001" + tail, "13800000002" + tail,
                                                       "13800000003" + tail}));
        EXPECT_EQ(orphans(), 0);
        if (c.answer)
            EXPECT_EQ(m_main->calls("qxSmsSend").size(), 1u);
        else
            EXPECT_EQ(peer.requests().size(), 1u);
    }
}

// Personalised: one record per number with its own text and parts, under
// consecutive ids; the outcome reaches every one of them.
TEST_F(AutoRecords, PersonalisedSendsGetOneRecordEach) {
    for (const bool accepted : {true, false}) {
        SCOPED_TRACE(accepted ? "accepted" : "refused");
        ExecSql(nullptr, g_pDB, "DELETE FROM sendInfo; DELETE FROM sendNums;");
        m_main->scriptOnce("gxmt", LoopbackAnswer::Text(accepted ? "0" : "-2"));
        CWebServiceClient client(serial(), password());
        const std::vector<NUM_CONTENT> items = {{Q("13800000001"), Q("张三，您好")},
                                                {Q("13800000002"), kLongText},
                                                {Q("13800000003"), Q("it's")}};
        SendAndRecordInteractive(g_pDB, client, true, items, [&](std::string&) {
            return client.CallGxmt(Q("13800000001,13800000002,13800000003"), Q("a,b,c"), QString(),
                                   QString());
        });
        const std::string fail = accepted ? "0" : "1";
        EXPECT_EQ(jobs(), (std::vector<std::string>{fail + "|1|1|0|张三，您好",
                                                    fail + "|2|1|0|" + kLongText.toStdString(),
                                                    fail + "|1|1|0|it's"}));
        EXPECT_EQ(QueryRows(g_pDB, "SELECT MAX(sendID)-MIN(sendID), COUNT(DISTINCT sendID) FROM sendInfo"),
                  std::vector<std::string>{"2|3"});
        EXPECT_EQ(QueryRows(g_pDB, "SELECT COUNT(*) FROM sendNums n JOIN sendInfo i ON i.sendID=n.sendID "
                                   "WHERE n.status IS NULL GROUP BY n.sendID"),
                  (std::vector<std::string>{"1", "1", "1"}));
    }
}

// The pending rows are committed before the call goes out, so another
// connection sees them while the service holds its answer.
TEST_F(AutoRecords, PendingRowsAreCommittedBeforeTheCall) {
    m_main->script("qxSmsSend", LoopbackAnswer::Held(LoopbackAnswer::Text("20261211002")));
    auto done = std::async(std::launch::async, [this] {
        sqlite3* db = OpenConnection(SystemDatabasePath());
        CWebServiceClient client(serial(), password());
        const int result = SendAndRecordInteractive(
            db, client, false, Items({"13800000001"}, Q("您好")), [&](std::string& rrid) {
                return client.CallSmsSendAuto(Q("13800000001"), Q("您好"), QString(), rrid);
            });
        CloseConnection(db);
        return result;
    });
    ASSERT_TRUE(m_main->waitForHeld());
    EXPECT_EQ(jobs(), std::vector<std::string>{"0|0|1|0|您好"});
    EXPECT_EQ(numbers(), std::vector<std::string>{"13800000001||未知"});
    m_main->release();
    EXPECT_EQ(done.get(), 0);
    EXPECT_EQ(jobs(), std::vector<std::string>{"0|1|1|0|您好"});
    EXPECT_EQ(numbers(), std::vector<std::string>{"13800000001|20261211002|<null>"});
}

// When the pending rows cannot be written, the service is not called and
// nothing of the send is left behind.
TEST_F(AutoRecords, FailedPendingWriteCallsNothing) {
    ExecSql(nullptr, g_pDB,
            "CREATE TRIGGER refuse AFTER INSERT ON sendNums WHEN NEW.numOrMailAddr='13800000002' "
            "BEGIN SELECT RAISE(ABORT, 'refused'); END;");
    for (const bool personalised : {false, true}) {
        SCOPED_TRACE(personalised ? "personalised" : "one text");
        CWebServiceClient client(serial(), password());
        bool called = false;
        const int result = SendAndRecordInteractive(
            g_pDB, client, personalised, Items({"13800000001", "13800000002"}, Q("您好")), [&](std::string&) {
                called = true;
                return 0;
            });
        EXPECT_EQ(result, -1);
        EXPECT_FALSE(called);
        EXPECT_TRUE(jobs().empty());
        EXPECT_TRUE(numbers().empty());
    }
    EXPECT_TRUE(m_main->calls().empty());
}

TEST_F(AutoRecords, WriteRecordCountsAndNumbers) {
    struct Case {
        const char* what;
        QString content;
        int numberCount;
        const char* numbers;
        int count; // parts x number count
        std::vector<std::string> rows;
    };
    const Case cases[] = {
        {"70 characters", QString(70, u'a'), 1, "13800000001", 1, {"13800000001"}},
        {"71 characters", QString(71, u'a'), 1, "13800000001", 2, {"13800000001"}},
        {"134 characters", QString(134, u'a'), 1, "13800000001", 3, {"13800000001"}},
        {"135 characters", QString(135, u'a'), 1, "13800000001", 3, {"13800000001"}},
        {"three counted, two given",
         Q("短信"),
         3,
         "13800000001,13800000002",
         3,
         {"13800000001", "13800000002"}},
        {"more given than counted",
         Q("短信"),
         2,
         "13800000001,13800000002,13800000003",
         2,
         {"13800000001", "13800000002"}},
        {"a trailing comma", Q("短信"), 2, "13800000001,", 2, {"13800000001"}},
        {"an apostrophe", Q("it's '; DELETE FROM sendInfo; --"), 1, "13800000001", 1, {"13800000001"}},
        {"a 16-character number", Q("短信"), 1, "0085298765432101", 1, {"0085298765432101"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ExecSql(nullptr, g_pDB, "DELETE FROM sendInfo; DELETE FROM sendNums;");
        const qint64 id =
            WriteRecord(g_pDB, false, c.content, c.numberCount, Q("2026-12-11 09:00:00"), c.numbers, "R-77");
        ASSERT_GT(id, 0);
        EXPECT_EQ(QueryRows(g_pDB, "SELECT content,submitTime,count,isFail,sendID FROM sendInfo"),
                  std::vector<std::string>{c.content.toStdString() + "|2026-12-11 09:00:00|" +
                                           std::to_string(c.count) + "|0|" + std::to_string(id)});
        std::vector<std::string> expected;
        for (const std::string& n : c.rows)
            expected.push_back(n + "|R-77|<null>");
        EXPECT_EQ(numbers(), expected);
        EXPECT_EQ(orphans(), 0);
    }
}

// The mail loop's pending pair: the batch's rows wait as "未知" and take the
// outcome's rrid, or the failure, afterwards.
TEST_F(AutoRecords, MailRecordPendingThenOutcome) {
    struct Case {
        const char* what;
        int result;
        CallOutcome transport;
        const char* job;
        const char* number;
    };
    const Case cases[] = {
        {"sent", 0, CallOutcome::Answered, "0|4", "13800000001|M-1|<null>"},
        {"refused", -1, CallOutcome::Answered, "1|4", "13800000001||<null>"},
        {"not sent", -1, CallOutcome::NotSent, "1|4", "13800000001||<null>"},
        {"no answer", -1, CallOutcome::NoAnswer, "0|0", "13800000001||未知"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ExecSql(nullptr, g_pDB, "DELETE FROM sendInfo; DELETE FROM sendNums;");
        AutoSendRecord record;
        ASSERT_TRUE(WriteRecordPending(g_pDB, QString(71, u'a'), 2, Q("2026-12-11 09:00:00"), "13800000001,,",
                                       record));
        EXPECT_EQ(QueryRows(g_pDB, "SELECT isFail,count FROM sendInfo"), std::vector<std::string>{"0|0"});
        EXPECT_EQ(numbers(), std::vector<std::string>{"13800000001||未知"});
        EXPECT_TRUE(WriteAutoSendOutcome(g_pDB, record, c.result, c.transport, "M-1"));
        EXPECT_EQ(QueryRows(g_pDB, "SELECT isFail,count FROM sendInfo"), std::vector<std::string>{c.job});
        EXPECT_EQ(numbers(), std::vector<std::string>{c.number});
    }
}

// The mail thread and the receive job write at the same time, each through
// its own connection: every send gets its own id and no number row is left
// without its job.
TEST_F(AutoRecords, TwoThreadsWritingGetUniqueIds) {
    constexpr int kRounds = 100;
    const QString path = SystemDatabasePath();
    auto mail = std::async(std::launch::async, [&] {
        sqlite3* db = OpenConnection(path);
        int written = 0;
        for (int i = 0; i < kRounds; ++i)
            written += WriteRecord(db, false, Q("邮件短信"), 2, Q("2026-12-11 09:00:00"),
                                   "13900000001,13900000002", "M-" + std::to_string(i)) > 0;
        CloseConnection(db);
        return written;
    });
    auto job = std::async(std::launch::async, [&] {
        sqlite3* db = OpenConnection(path);
        int written = 0;
        for (int i = 0; i < kRounds; ++i) {
            AutoSendRecord record;
            const bool personalised = i % 2 == 1;
            if (!WriteInteractiveRecord(db, personalised, Items({"13700000001", "13700000002"}, Q("回复")),
                                        record))
                continue;
            written += WriteAutoSendOutcome(db, record, 0, CallOutcome::Answered, "A-" + std::to_string(i));
        }
        CloseConnection(db);
        return written;
    });
    EXPECT_EQ(mail.get(), kRounds);
    EXPECT_EQ(job.get(), kRounds);
    // Mail: one job per round; replies: one per round, two when personalised.
    const int64_t jobs = kRounds + kRounds / 2 + 2 * (kRounds / 2);
    EXPECT_EQ(QueryScalar(g_pDB, "SELECT COUNT(*) FROM sendInfo"), jobs);
    EXPECT_EQ(QueryScalar(g_pDB, "SELECT COUNT(DISTINCT sendID) FROM sendInfo"), jobs);
    EXPECT_EQ(QueryScalar(g_pDB, "SELECT COUNT(*) FROM sendNums"), 4 * kRounds);
    EXPECT_EQ(orphans(), 0);
    // Each number row sits under a job of its own kind.
    EXPECT_EQ(QueryScalar(g_pDB, "SELECT COUNT(*) FROM sendNums n JOIN sendInfo i ON i.sendID=n.sendID "
                                 "WHERE (n.numOrMailAddr LIKE '139%') <> (i.content='邮件短信')"),
              0);
}

} // namespace
