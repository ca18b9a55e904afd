// Timed submissions: the send times of one contact's greetings, and the
// writer that records a schedule before its one gxmt call and applies the
// call's outcome afterwards (through the real client and the loopback
// service, or a raw peer that never answers).
#include "automation/contact_greeting_times.h"
#include "automation/timed_submission.h"

#include "core/database.h"
#include "core/sql.h"
#include "service/web_service_client.h"
#include "tests/support/raw_http_peer.h"
#include "tests/support/service_fixture.h"
#include "tests/support/test_helpers.h"

#include <QTimeZone>

#include <optional>

namespace {

QString Q(const char* utf8) {
    return QString::fromUtf8(utf8);
}

QDateTime At(const char* text) {
    return QDateTime::fromString(QString::fromLatin1(text), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

TEST(TimedSubmissionTimes, OneTimePerYearThatHasTheDay) {
    struct Case {
        const char* what;
        const char* date;
        int daysBefore;
        const char* time;
        int years;
        const char* now;
        QStringList times;
        bool nearNow;
    };
    const Case cases[] = {
        {"29 February, 4 years from a common year: only the leap year",
         "1992-02-29",
         0,
         "09:00",
         4,
         "2025-01-10 08:00:00",
         {"2028-02-29 09:00:00"},
         false},
        {"29 February, 3 years: none", "1992-02-29", 0, "09:00", 3, "2025-01-10 08:00:00", {}, false},
        {"later today at a time already past: from next year on",
         "1990-06-15",
         0,
         "08:30",
         3,
         "2025-06-15 10:00:00",
         {"2026-06-15 08:30:00", "2027-06-15 08:30:00"},
         false},
        {"later today, time still ahead",
         "1990-06-15",
         0,
         "10:30",
         1,
         "2025-06-15 10:00:00",
         {"2025-06-15 10:30:00"},
         false},
        {"30 days before reach back into the old year; this year's is past",
         "1990-01-10",
         30,
         "09:00",
         3,
         "2024-12-01 08:00:00",
         {"2024-12-11 09:00:00", "2025-12-11 09:00:00"},
         false},
        {"days before over 29 February of a leap year",
         "1990-03-01",
         1,
         "09:00",
         1,
         "2024-01-01 00:00:00",
         {"2024-02-29 09:00:00"},
         false},
        {"the current minute is in time, and near",
         "1990-06-15",
         0,
         "10:00",
         1,
         "2025-06-15 10:00:40",
         {"2025-06-15 10:00:00"},
         true},
        {"five minutes ahead is near",
         "1990-06-15",
         0,
         "10:05",
         1,
         "2025-06-15 10:00:10",
         {"2025-06-15 10:05:00"},
         true},
        {"six minutes ahead is not",
         "1990-06-15",
         0,
         "10:06",
         1,
         "2025-06-15 10:00:10",
         {"2025-06-15 10:06:00"},
         false},
        {"a leading '-' of the month reads as 0",
         "1990-5-06",
         0,
         "09:00",
         1,
         "2025-01-01 00:00:00",
         {"2025-05-06 09:00:00"},
         false},
        {"no month and day: nothing", "1990-xx-yy", 0, "09:00", 3, "2025-01-01 00:00:00", {}, false},
        {"month 13: nothing", "1990-13-01", 0, "09:00", 3, "2025-01-01 00:00:00", {}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const ContactGreetingTimes got = GreetingTimes(
            QString::fromLatin1(c.date), c.daysBefore,
            QTime::fromString(QString::fromLatin1(c.time), QStringLiteral("HH:mm")), c.years, At(c.now));
        EXPECT_EQ(got.times, c.times);
        EXPECT_EQ(got.nearNow, c.nearNow);
    }
}

// A day before a spring-forward Sunday keeps its time of day: days are
// calendar days, not 86,400 seconds.
TEST(TimedSubmissionTimes, DaylightSavingKeepsTheTimeOfDay) {
    const QDateTime now(QDate(2024, 3, 1), QTime(8, 0), QTimeZone("Europe/Berlin"));
    const ContactGreetingTimes got = GreetingTimes(Q("1990-04-01"), 1, QTime(2, 30), 1, now);
    EXPECT_EQ(got.times, QStringList{"2024-03-31 02:30:00"});
}

class TimedSubmissionWriter : public ServiceTest {
protected:
    void SetUp() override {
        ServiceTest::SetUp();
        ExecSql(nullptr, g_pDB, "DELETE FROM sendInfo; DELETE FROM sendNums;");
    }
    // sendInfo rows (sendID order): content|submitTime|timingTime|count|isDraft|isFail|sendType|srNum.
    std::vector<std::string> jobs() const {
        return QueryRows(g_pDB, "SELECT content,submitTime,timingTime,count,isDraft,isFail,sendType,"
                                "send_receive_Num FROM sendInfo ORDER BY sendID");
    }
    // sendNums rows (rowid order): job index from 0|number|taskID|rrid|status.
    std::vector<std::string> numbers() const {
        return QueryRows(g_pDB, "SELECT sendID-(SELECT MIN(sendID) FROM sendInfo),numOrMailAddr,taskID,rrid,"
                                "IFNULL(status,'<null>') FROM sendNums ORDER BY rowid");
    }
    static TimedSubmission Schedule(const QString& content) {
        TimedSubmission s;
        s.submitTime = Q("2025-06-01 10:11:12");
        s.items = {{Q("13800000001"), content, Q("2025-06-15 09:00:00")},
                   {Q("13800000001"), content, Q("2026-06-15 09:00:00")}};
        return s;
    }
};

// The service's answer, or its silence, decides what the jobs say.
TEST_F(TimedSubmissionWriter, OutcomeOfTheOneCall) {
    struct Case {
        const char* what;
        std::optional<LoopbackAnswer> answer; // none: a peer that reads the request and hangs up
        SmsSendOutcome outcome;
        const char* countAndFail; // count|isDraft|isFail
        const char* status;
    };
    const Case cases[] = {
        {"accepted", LoopbackAnswer::Text("0"), SmsSendOutcome::Sent, "1|0|0", "<null>"},
        {"refused", LoopbackAnswer::Text("-4"), SmsSendOutcome::Failed, "1|0|1", "<null>"},
        {"a fault", LoopbackAnswer::SoapFault(), SmsSendOutcome::Failed, "1|0|1", "<null>"},
        {"closed after the request", std::nullopt, SmsSendOutcome::Unknown, "0|0|0", "未知"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ExecSql(nullptr, g_pDB, "DELETE FROM sendInfo; DELETE FROM sendNums;");
        m_main->clear();
        RawHttpPeer peer;
        peer.setReply({});
        CWebServiceClient client(serial(), password());
        if (c.answer)
            m_main->scriptOnce("gxmt", *c.answer);
        else
            client.SetEndpoint(peer.url().c_str());
        const TimedSubmissionResult result = SubmitTimed(g_pDB, client, Schedule(Q("生日快乐")));
        EXPECT_TRUE(result.pendingWritten);
        EXPECT_EQ(result.outcome, c.outcome);
        const std::string tail = std::string("|") + c.countAndFail + "|1|0";
        EXPECT_EQ(jobs(),
                  (std::vector<std::string>{"生日快乐|2025-06-01 10:11:12|2025-06-15 09:00:00" + tail,
                                            "生日快乐|2025-06-01 10:11:12|2026-06-15 09:00:00" + tail}));
        const std::string rowTail = std::string("|13800000001|0||") + c.status;
        EXPECT_EQ(numbers(), (std::vector<std::string>{"0" + rowTail, "1" + rowTail}));
        EXPECT_EQ((c.answer ? m_main->calls("gxmt").size() : peer.requests().size()), 1u);
    }
}

// Rows are pending ("未知", count 0) and committed while the call is out.
TEST_F(TimedSubmissionWriter, PendingUntilTheAnswer) {
    AutoSendRecord record;
    ASSERT_TRUE(WriteTimedPending(g_pDB, Schedule(Q("您好")), record));
    EXPECT_EQ(jobs(), (std::vector<std::string>{"您好|2025-06-01 10:11:12|2025-06-15 09:00:00|0|0|0|1|0",
                                                "您好|2025-06-01 10:11:12|2026-06-15 09:00:00|0|0|0|1|0"}));
    EXPECT_EQ(numbers(), (std::vector<std::string>{"0|13800000001|0||未知", "1|13800000001|0||未知"}));
    ASSERT_EQ(record.sendIds.size(), 2u);
    EXPECT_EQ(record.sendIds[1], record.sendIds[0] + 1);
}

// A schedule of several numbers per time (as a task sends): one job per
// time with all its numbers and the task's id, counted parts x numbers.
TEST_F(TimedSubmissionWriter, NumbersOfOneTimeShareTheirJob) {
    TimedSubmission s;
    s.submitTime = Q("2025-06-01 10:11:12");
    s.taskId = 42;
    s.partsPerNumber = 2;
    for (const char* time : {"2025-07-01 08:00:00", "2025-07-08 08:00:00"})
        for (const char* number : {"13800000001", "13800000002", "13800000003"})
            s.items.push_back({Q(number), Q("提醒"), Q(time)});
    CWebServiceClient client(serial(), password());
    ASSERT_EQ(SubmitTimed(g_pDB, client, s).outcome, SmsSendOutcome::Sent);
    EXPECT_EQ(QueryRows(g_pDB, "SELECT timingTime,count FROM sendInfo ORDER BY sendID"),
              (std::vector<std::string>{"2025-07-01 08:00:00|6", "2025-07-08 08:00:00|6"}));
    EXPECT_EQ(QueryRows(g_pDB, "SELECT sendID-(SELECT MIN(sendID) FROM sendInfo),COUNT(*),MIN(taskID),"
                               "MAX(taskID) FROM sendNums GROUP BY sendID ORDER BY sendID"),
              (std::vector<std::string>{"0|3|42|42", "1|3|42|42"}));
    const auto calls = m_main->calls("gxmt");
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].field("mobile").value_or(""),
              "13800000001,13800000002,13800000003,13800000001,13800000002,13800000003");
}

// A text with "'" and "," is recorded whole and sent as one item.
TEST_F(TimedSubmissionWriter, QuotesAndCommasStayOneItem) {
    const QString text = Q("It's 王五's day, 生日快乐");
    CWebServiceClient client(serial(), password());
    ASSERT_EQ(SubmitTimed(g_pDB, client, Schedule(text)).outcome, SmsSendOutcome::Sent);
    EXPECT_EQ(QueryRows(g_pDB, "SELECT DISTINCT content FROM sendInfo"),
              std::vector<std::string>{text.toStdString()});
    const auto calls = m_main->calls("gxmt");
    ASSERT_EQ(calls.size(), 1u);
    const QStringList contents = QString::fromStdString(calls[0].field("content").value_or("")).split(',');
    EXPECT_EQ(contents, (QStringList{GxmtContent(text), GxmtContent(text)}));
    EXPECT_EQ(calls[0].field("stime").value_or(""), "2025-06-15 09:00:00,2026-06-15 09:00:00");
}

// When the pending rows cannot be written, nothing is sent and nothing of
// the schedule is left behind.
TEST_F(TimedSubmissionWriter, FailedPendingWriteCallsNothing) {
    ExecSql(nullptr, g_pDB,
            "CREATE TRIGGER refuse AFTER INSERT ON sendNums WHEN NEW.numOrMailAddr='13800000001' "
            "BEGIN SELECT RAISE(ABORT, 'refused'); END;");
    CWebServiceClient client(serial(), password());
    const TimedSubmissionResult result = SubmitTimed(g_pDB, client, Schedule(Q("您好")));
    EXPECT_FALSE(result.pendingWritten);
    EXPECT_TRUE(result.record.empty());
    EXPECT_TRUE(jobs().empty());
    EXPECT_TRUE(numbers().empty());
    EXPECT_TRUE(m_main->calls().empty());
}

} // namespace
