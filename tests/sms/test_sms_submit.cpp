// SMS submission and its records: batches, charges, the pending-then-outcome
// outbox, the send-record file, ids, stopping, and the voice follow-up,
// against in-process senders and the loopback messaging service.
#include "sms/send_records.h"
#include "sms/sms_submission.h"
#include "sms/voice_followup.h"

#include "core/database.h"
#include "core/helpers.h"
#include "core/log.h"
#include "core/numbers.h"
#include "core/sql.h"
#include "platform/ini.h"
#include "tests/support/call_gate.h"
#include "tests/support/hash_virtual_list.h"
#include "tests/support/raw_http_peer.h"
#include "tests/support/service_fixture.h"
#include "tests/support/test_helpers.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTimer>

#include <condition_variable>
#include <mutex>
#include <set>
#include <thread>

namespace {

QString Q(const char* utf8) {
    return QString::fromUtf8(utf8);
}

std::string Text(sqlite3* db, const std::string& sql) {
    SqlStatement st(db, sql);
    return st.step() == SQLITE_ROW ? (st.isNull(0) ? "<null>" : st.text(0)) : "<none>";
}

SmsRecipient Recipient(const std::string& number, const QString& name = QString()) {
    SmsRecipient r;
    r.number = number;
    r.key = *NumberKey(QString::fromStdString(number));
    r.name = name;
    return r;
}

SmsNumberLists Mobiles(int count, qint64 first = 13800000000LL) {
    SmsNumberLists lists;
    for (int i = 0; i < count; ++i)
        lists.domestic.push_back(Recipient(std::to_string(first + i), QStringLiteral("N%1").arg(i)));
    return lists;
}

// What the in-process sender saw.
struct SenderLog {
    std::mutex mutex;
    std::vector<SmsSendCall> calls;
    std::vector<SmsSendCall> all() {
        std::lock_guard lock(mutex);
        return calls;
    }
};

// Answers at once on the submission's worker: by default every batch is
// accepted with the reference "R<call number>".
class InProcessSender : public SmsSender {
public:
    using Answerer = std::function<SmsSendAnswer(const SmsSendCall&, int index)>;
    InProcessSender(std::shared_ptr<SenderLog> log, Answerer answerer = {})
        : m_log(std::move(log)), m_answerer(std::move(answerer)) {}
    SmsSendAnswer Send(const SmsSendCall& call) override {
        int index;
        {
            std::lock_guard lock(m_log->mutex);
            m_log->calls.push_back(call);
            index = static_cast<int>(m_log->calls.size()) - 1;
        }
        if (m_answerer)
            return m_answerer(call, index);
        return {0, CallOutcome::Answered, "R" + std::to_string(index + 1)};
    }

private:
    std::shared_ptr<SenderLog> m_log;
    Answerer m_answerer;
};

const QDateTime kSubmitTime(QDate(2026, 3, 5), QTime(10, 20, 30));

class SmsSubmit : public ServiceTest {
protected:
    void SetUp() override {
        ServiceTest::SetUp();
        // Both databases, as a customised installation has them.
        CloseDatabase();
        m_folder->writeFile("OEM/OemInfo.ini", "[System]\nCustomize=1\n");
        ASSERT_EQ(OpenDatabase(), 0);
        ASSERT_NE(g_pCustomerDB, nullptr);
        ASSERT_TRUE(LogOpen(g_logSend, "qx.txt", 1));
        g_sysSettings.assign(10, SYSSETTING{});
    }
    void TearDown() override {
        LogClose(g_logSend);
        SendInfoClose();
        g_sysSettings.clear();
        ServiceTest::TearDown();
    }

    void setBatchSize(int flag, const char* text) {
        g_sysSettings[8].flag = flag;
        g_sysSettings[8].text = Q(text);
    }

    std::unique_ptr<SmsSubmission> submission(InProcessSender::Answerer answerer = {}) {
        auto s =
            std::make_unique<SmsSubmission>(std::make_unique<InProcessSender>(m_sent, std::move(answerer)));
        s->SetClock([] { return kSubmitTime; });
        return s;
    }

    // Runs a submission to its end (events are handled meanwhile).
    SmsSubmitResult run(SmsSubmission& s, SmsSubmitRequest request) {
        bool done = false;
        SmsSubmitResult result;
        QObject::connect(&s, &SmsSubmission::finished, [&](const SmsSubmitResult& r) {
            result = r;
            done = true;
        });
        EXPECT_TRUE(s.Start(std::move(request)));
        EXPECT_TRUE(WaitUntil([&] { return done; }, std::chrono::milliseconds(TimeBoundMs(60000))));
        EXPECT_FALSE(s.IsBusy());
        return result;
    }

    static SmsSubmitRequest request(SmsNumberLists numbers, QStringList parts = {QStringLiteral("hello")}) {
        SmsSubmitRequest r;
        r.numbers = std::move(numbers);
        r.parts = std::move(parts);
        r.mark = QStringLiteral("sales");
        return r;
    }

    QByteArray sendRecordFile(const char* date) const {
        return m_folder->readFile(QStringLiteral("SendInfo/%1.txt").arg(date));
    }
    QString sendLog() const {
        return QString::fromUtf8(m_folder->readFile(
            QStringLiteral("enc/qx.txt_%1.enc").arg(QString::fromStdString(g_logSend.date))));
    }

    std::shared_ptr<SenderLog> m_sent = std::make_shared<SenderLog>();
};

// ------------------------------------------------------------ pure rules

TEST(SmsSubmitRules, BatchSizeFromTheSettings) {
    struct Case {
        int flag;
        const char* text;
        bool single;
        int expected;
    };
    const Case cases[] = {
        {1, "3", false, 3},    {1, "0", false, 5000},   {1, "abc", false, 5000}, {1, "-7", false, 5000},
        {0, "3", false, 5000}, {1, " 12ab", false, 12}, {1, "3", true, 1},       {0, "", true, 1},
    };
    for (const Case& c : cases) {
        g_sysSettings.assign(10, SYSSETTING{});
        g_sysSettings[8] = SYSSETTING{c.flag, Q(c.text)};
        EXPECT_EQ(SmsBatchSize(c.single), c.expected) << c.flag << " '" << c.text << "' " << c.single;
    }
    g_sysSettings.clear();
    EXPECT_EQ(SmsBatchSize(false), 5000); // settings not loaded

    // Cutting a comma-separated list into batches of 2.
    g_sysSettings.assign(10, SYSSETTING{});
    g_sysSettings[8] = SYSSETTING{1, QStringLiteral("2")};
    std::string_view rest = "1,22,333,4444,55555";
    std::vector<std::pair<std::string, int>> batches;
    while (!rest.empty()) {
        int count = 0;
        std::string batch = CutNumberBatch(rest, false, &count, &rest);
        batches.emplace_back(batch, count);
    }
    const std::vector<std::pair<std::string, int>> expected = {{"1,22", 2}, {"333,4444", 2}, {"55555", 1}};
    EXPECT_EQ(batches, expected);
    g_sysSettings.clear();
}

TEST(SmsSubmitRules, OneOutcomeRuleForEverySender) {
    struct Case {
        int result;
        CallOutcome transport;
        bool voice;
        SmsSendOutcome expected;
    };
    const Case cases[] = {
        {0, CallOutcome::Answered, false, SmsSendOutcome::Sent},
        {-1, CallOutcome::Answered, false, SmsSendOutcome::Failed},  // "-4", a fault: refused, however late
        {-1, CallOutcome::NotSent, false, SmsSendOutcome::Failed},   // refused port, ".invalid"
        {-1, CallOutcome::NoAnswer, false, SmsSendOutcome::Unknown}, // closed after the request, time-out
        {10001, CallOutcome::Answered, true, SmsSendOutcome::Sent},
        {10000, CallOutcome::Answered, true, SmsSendOutcome::Failed},
        {0, CallOutcome::Answered, true, SmsSendOutcome::Failed},
        {-999, CallOutcome::NotSent, true, SmsSendOutcome::Failed},
        {-999, CallOutcome::NoAnswer, true, SmsSendOutcome::Unknown},
    };
    for (const Case& c : cases)
        EXPECT_EQ(OutcomeOfCall(c.result, c.transport, c.voice), c.expected) << c.result << " " << c.voice;
}

TEST(SmsSubmitRules, ChargedPartsAndEndMessages) {
    struct PartCase {
        QString text;
        int parts;
    };
    const PartCase parts[] = {
        {QString(70, QChar(0x4E2D)), 1}, {QString(71, QChar(0x4E2D)), 2},       {QString(140, u'a'), 1},
        {QString(141, u'a'), 3},         {QString(70, u'a') + QChar(0x100), 2}, {QString(), 1},
    };
    for (const PartCase& c : parts)
        EXPECT_EQ(RecordPartCount(c.text), c.parts) << c.text.size();

    const auto texts = [](const SmsSubmitResult& r) {
        QStringList out;
        for (const SmsEndMessage& m : SmsSubmitEndMessages(r))
            out << m.text;
        return out;
    };
    SmsSubmitResult ok;
    ok.allSent = true;
    EXPECT_EQ(texts(ok), QStringList{Q("发送成功")});
    SmsSubmitResult mixed;
    mixed.failedCount = 2;
    mixed.unknownCount = 7;
    EXPECT_EQ(texts(mixed),
              (QStringList{Q("部分发送失败,请到短信发送失败记录里重发."),
                           Q("有7个号码未收到服务应答，发送结果未知，请核对后再决定是否重发。")}));
    SmsSubmitResult stopped;
    stopped.stoppedByWriteFailure = true;
    EXPECT_EQ(texts(stopped), QStringList{Q("写短信记录出错，发送已停止。")});
}

// ------------------------------------------------------------ number lists

TEST_F(SmsSubmit, NumberListsSortByTheNumberNotTheKeysFirstDigit) {
    HashVirtualList list;
    const struct {
        const char* number;
        const char* name;
    } rows[] = {
        {"13800138000", "张三"}, {"01012345678", "landline"}, {"0085212345678", ""}, {"20000000000", "top"}};
    for (const auto& r : rows) {
        const qint64 key = *NumberKey(Q(r.number));
        const QString name = Q(r.name);
        list.SetItem(list.GetCount(), &key, *r.name ? &name : nullptr);
    }
    const SmsNumberLists lists = BuildNumberLists(list);
    std::vector<std::string> domestic, international;
    for (const auto& r : lists.domestic)
        domestic.push_back(r.number + "/" + r.name.toStdString());
    for (const auto& r : lists.international)
        international.push_back(r.number + "/" + r.name.toStdString());
    EXPECT_EQ(domestic,
              (std::vector<std::string>{"13800138000/张三", "01012345678/landline", "20000000000/top"}));
    EXPECT_EQ(international, std::vector<std::string>{"0085212345678/"});

    // Drafts leave out overlong keys.
    const qint64 overlong = kDraftKeyLimit;
    list.SetItem(list.GetCount(), &overlong, nullptr);
    int intl = -1;
    const auto draft = BuildDraftNumberList(list, &intl);
    EXPECT_EQ(draft.size(), 4u);
    EXPECT_EQ(intl, 1);
    EXPECT_TRUE(runLog().contains(Q("检查到过长号码过滤掉")));
}

// ------------------------------------------------------------ batches and rows

TEST_F(SmsSubmit, TwelveThousandNumbersMakeThreeCallsPerPartAndOneRowPerPart) {
    setBatchSize(0, ""); // the default 5,000
    auto s = submission();
    const QStringList parts = {QStringLiteral("[1/2]first"), QStringLiteral("[2/2]second")};
    const SmsSubmitResult result = run(*s, request(Mobiles(12000), parts));
    EXPECT_TRUE(result.allSent);
    EXPECT_EQ(result.sentCount, 12000);

    // Batch by batch, each batch once per part.
    const auto calls = m_sent->all();
    ASSERT_EQ(calls.size(), 6u);
    const int expectedCounts[] = {5000, 5000, 5000, 5000, 2000, 2000};
    for (size_t i = 0; i < calls.size(); ++i) {
        EXPECT_EQ(calls[i].numCount, expectedCounts[i]);
        EXPECT_EQ(calls[i].content, parts[static_cast<int>(i % 2)]);
        EXPECT_FALSE(calls[i].intlOperation);
    }
    EXPECT_EQ(calls[4].numbers.substr(0, 12), "13800010000,");

    // One success row per part with the summed count, no failure rows.
    EXPECT_EQ(QueryRows(g_pDB, "SELECT content,count,isFail,isDraft,sendType FROM sendInfo ORDER BY sendID"),
              (std::vector<std::string>{"[1/2]first|12000|0|0|1", "[2/2]second|12000|0|0|1"}));
    EXPECT_EQ(QueryScalar(g_pDB, "SELECT COUNT(*) FROM sendNums WHERE status IS NULL"), 24000);
    EXPECT_EQ(QueryScalar(g_pDB, "SELECT COUNT(DISTINCT rrid) FROM sendNums"), 6);
    // One statistics row per batch and part.
    EXPECT_EQ(
        QueryRows(g_pCustomerDB, "SELECT mark,isFail,msgcount,numcount FROM CountmsgRecord ORDER BY rowid"),
        (std::vector<std::string>{"sales|0|5000|5000", "sales|0|5000|5000", "sales|0|5000|5000",
                                  "sales|0|5000|5000", "sales|0|2000|2000", "sales|0|2000|2000"}));
    EXPECT_EQ(runLog().count(Q("writeRecordNew,写DB记录结束")), 6);
}

TEST_F(SmsSubmit, ChargesAndOperationsByList) {
    struct Case {
        const char* what;
        std::vector<std::string> numbers;
        bool korean;
        QString text;
        int expectedCount; // summed over the rows
        std::vector<bool> intlOperations;
    };
    std::vector<std::string> tenIntl;
    for (int i = 0; i < 10; ++i)
        tenIntl.push_back("008521234567" + std::to_string(i));
    const Case cases[] = {
        {"ten international numbers, one part", tenIntl, false, QStringLiteral("hi"), 120, {true}},
        {"Korean: every number through the international operation",
         {"13800000001", "13800000002", "00821012345678"},
         true,
         QStringLiteral("hi"),
         14,
         {true, true}},
        {"71 wide characters charge two per number",
         {"13800000001", "13800000002"},
         false,
         QString(71, QChar(0x4E2D)),
         4,
         {false}},
        {"141 ASCII characters charge three per number",
         {"13800000001"},
         false,
         QString(141, u'a'),
         3,
         {false}},
        {"a landline goes through the domestic operation, whole",
         {"01012345678"},
         false,
         QStringLiteral("hi"),
         1,
         {false}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ExecSql(nullptr, g_pDB, "DELETE FROM sendInfo; DELETE FROM sendNums;");
        m_sent->calls.clear();
        SmsNumberLists lists;
        for (const auto& n : c.numbers)
            (IsInternationalNumber(QString::fromStdString(n)) ? lists.international : lists.domestic)
                .push_back(Recipient(n));
        SmsSubmitRequest r = request(std::move(lists), {c.text});
        r.korean = c.korean;
        auto s = submission();
        EXPECT_TRUE(run(*s, std::move(r)).allSent);
        EXPECT_EQ(QueryScalar(g_pDB, "SELECT SUM(count) FROM sendInfo"), c.expectedCount);
        const auto calls = m_sent->all();
        ASSERT_EQ(calls.size(), c.intlOperations.size());
        for (size_t i = 0; i < calls.size(); ++i)
            EXPECT_EQ(calls[i].intlOperation, c.intlOperations[i]);
        if (c.numbers.size() == 1) {
            EXPECT_EQ(calls[0].numbers, c.numbers[0]);
        }
    }
}

TEST_F(SmsSubmit, QuotesAndNamesRoundTrip) {
    auto s = submission();
    SmsNumberLists lists;
    lists.domestic.push_back(Recipient("13800000001", Q("O'Brien \"x\"; DROP TABLE sendNums;--")));
    SmsSubmitRequest r = request(std::move(lists), {Q("it's '引号' \"q\"")});
    r.mark = Q("市场'部");
    EXPECT_TRUE(run(*s, std::move(r)).allSent);
    EXPECT_EQ(Text(g_pDB, "SELECT content FROM sendInfo"), "it's '引号' \"q\"");
    EXPECT_EQ(Text(g_pDB, "SELECT name FROM sendNums"), "O'Brien \"x\"; DROP TABLE sendNums;--");
    EXPECT_EQ(Text(g_pCustomerDB, "SELECT mark FROM CountmsgRecord"), "市场'部");
}

TEST_F(SmsSubmit, DraftIsOneRowWithTheCharge) {
    std::vector<SmsRecipient> numbers = {Recipient("13800000001", Q("a'b")), Recipient("13800000002"),
                                         Recipient("13800000003"), Recipient("0085212345678"),
                                         Recipient("00447700900123")};
    const qint64 id = SaveSmsDraft(g_pDB, Q("草稿'1"), numbers, 2, 7, false, 0, kSubmitTime);
    ASSERT_GT(id, 0);
    EXPECT_EQ(
        QueryRows(g_pDB,
                  "SELECT content,count,isDraft,isFail,sendType,send_receive_Num,timingTime FROM sendInfo"),
        std::vector<std::string>{"草稿'1|27|1|0|1|7|"});
    EXPECT_EQ(QueryRows(g_pDB, "SELECT numOrMailAddr,name,rrid,status FROM sendNums WHERE sendID=" +
                                   std::to_string(id) + " ORDER BY rowid LIMIT 1"),
              std::vector<std::string>{"13800000001|a'b||<null>"});
    EXPECT_EQ(QueryScalar(g_pDB, "SELECT COUNT(*) FROM sendNums"), 5);
    EXPECT_EQ(QueryScalar(g_pCustomerDB, "SELECT COUNT(*) FROM CountmsgRecord"), 0);

    // A draft with no numbers is still saved; a survey draft keeps its end.
    const qint64 survey = SaveSmsDraft(g_pDB, Q("调查"), {}, 0, 1, true, 30, kSubmitTime);
    ASSERT_GT(survey, id);
    EXPECT_EQ(
        Text(g_pDB, "SELECT sendType||'|'||timingTime FROM sendInfo WHERE sendID=" + std::to_string(survey)),
        "6|2026-03-05 10:50:30");
}

// The record a job replaces goes with the last batch's outcome, not the
// first: a resend interrupted halfway leaves the old record whole.
TEST_F(SmsSubmit, ReplacedRecordIsDeletedOnceAtTheEndOrKept) {
    setBatchSize(1, "2");
    for (bool keep : {false, true}) {
        SCOPED_TRACE(keep ? "keep-record flag" : "replace");
        ExecSql(nullptr, g_pDB, "DELETE FROM sendInfo; DELETE FROM sendNums;");
        ExecSql(nullptr, g_pCustomerDB, "DELETE FROM CountmsgRecord;");
        ExecSql(nullptr, g_pDB,
                "INSERT INTO sendInfo (content,sendID,isFail,isDraft) VALUES ('old',7,1,0);"
                "INSERT INTO sendNums (sendID,numOrMailAddr) VALUES (7,'13900000001'),(7,'13900000002');");
        ExecSql(nullptr, g_pCustomerDB, "INSERT INTO CountmsgRecord (sendID,mark,isFail) VALUES (7,'m',1)");
        std::vector<int64_t> oldRowsSeen;
        auto s = submission([&](const SmsSendCall&, int index) {
            oldRowsSeen.push_back(0); // filled below on the GUI thread
            return SmsSendAnswer{0, CallOutcome::Answered, "R" + std::to_string(index)};
        });
        // Watch the old record after every batch's outcome.
        QObject::connect(s.get(), &SmsSubmission::progress, [&](qint64, qint64) {
            oldRowsSeen.back() = QueryScalar(g_pDB, "SELECT COUNT(*) FROM sendNums WHERE sendID=7");
        });
        SmsSubmitRequest r = request(Mobiles(5));
        r.replaceId = 7;
        r.keepRecord = keep;
        EXPECT_TRUE(run(*s, std::move(r)).allSent);
        ASSERT_EQ(oldRowsSeen.size(), 3u);
        EXPECT_EQ(oldRowsSeen[0], 2);
        EXPECT_EQ(oldRowsSeen[1], 2);
        EXPECT_EQ(oldRowsSeen[2], keep ? 2 : 0);
        EXPECT_EQ(QueryScalar(g_pDB, "SELECT COUNT(*) FROM sendInfo WHERE sendID=7"), keep ? 1 : 0);
        EXPECT_EQ(QueryScalar(g_pCustomerDB, "SELECT COUNT(*) FROM CountmsgRecord WHERE sendID=7"),
                  keep ? 1 : 0);
        EXPECT_EQ(QueryScalar(g_pDB, "SELECT COUNT(*) FROM sendNums WHERE sendID<>7"), 5);
    }
}

// ------------------------------------------------------------ the send-record file

TEST_F(SmsSubmit, SendRecordLinesByteForByte) {
    struct Case {
        const char* what;
        QString timing;
        bool survey;
        const char* fileDate;
        const char* timingField;
        const char* recordTiming;
    };
    const Case cases[] = {
        {"sent now", QString(), false, "20260305", "2026-03-05 10:20:30", ""},
        {"timed", QStringLiteral("2026-03-07 08:15:00"), false, "20260307", "2026-03-07 08:15:00",
         "2026-03-07 08:15:00"},
        // A survey goes out now; its record keeps the end of the reply window.
        {"survey", QStringLiteral("2026-03-12 08:15:00"), true, "20260305", "2026-03-05 10:20:30",
         "2026-03-05 11:00:30"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QDir(m_folder->file("SendInfo")).removeRecursively();
        ExecSql(nullptr, g_pDB, "DELETE FROM sendInfo; DELETE FROM sendNums;");
        m_sent->calls.clear();
        SmsNumberLists lists;
        lists.domestic.push_back(Recipient("13800138000", Q("张三")));
        lists.domestic.push_back(Recipient("01012345678"));
        SmsSubmitRequest r = request(std::move(lists), {Q("第一行\r\n第二行\nit's")});
        r.timingTime = c.timing;
        r.survey = c.survey;
        r.surveyMinutes = 40;
        auto s = submission();
        EXPECT_TRUE(run(*s, std::move(r)).allSent);
        const QByteArray expected = QByteArray("第一行 第二行 it's\x01"
                                               "13800138000\x01张三\x01"
                                               "2026-03-05 10:20:30\x01") +
                                    c.timingField + "\r\n" +
                                    "第一行 第二行 it's\x01"
                                    "01012345678\x01\x01" +
                                    "2026-03-05 10:20:30\x01" + c.timingField + "\r\n";
        EXPECT_EQ(sendRecordFile(c.fileDate), expected);
        EXPECT_EQ(QDir(m_folder->file("SendInfo")).entryList(QDir::Files).size(), 1);
        EXPECT_EQ(Text(g_pDB, "SELECT timingTime FROM sendInfo"), c.recordTiming);
        EXPECT_EQ(QueryScalar(g_pDB, "SELECT sendType FROM sendInfo"), c.survey ? 6 : 1);
        // The service gets the composer's timing time.
        ASSERT_EQ(m_sent->all().size(), 1u);
        EXPECT_EQ(m_sent->all()[0].timingTime, c.timing);
    }
}

// ------------------------------------------------------------ outcomes

TEST_F(SmsSubmit, OutcomesOfInProcessCalls) {
    struct Case {
        const char* what;
        SmsSendAnswer answer;
        const char* status; // of the numbers afterwards
        int isFail;         // of the row holding them
        int count;          // charged on that row
        bool fileLine;
        const char* logState;
        const char* message;
    };
    const Case cases[] = {
        {"accepted", {0, CallOutcome::Answered, "991"}, "<null>", 0, 3, true, "成功", "发送成功"},
        {"refused",
         {-1, CallOutcome::Answered, ""},
         "<null>",
         1,
         3,
         false,
         "失败",
         "部分发送失败,请到短信发送失败记录里重发."},
        {"not sent",
         {-1, CallOutcome::NotSent, ""},
         "<null>",
         1,
         3,
         false,
         "失败",
         "部分发送失败,请到短信发送失败记录里重发."},
        {"no answer",
         {-1, CallOutcome::NoAnswer, ""},
         "未知",
         0,
         0,
         false,
         "未知",
         "有3个号码未收到服务应答，发送结果未知，请核对后再决定是否重发。"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ExecSql(nullptr, g_pDB, "DELETE FROM sendInfo; DELETE FROM sendNums;");
        ExecSql(nullptr, g_pCustomerDB, "DELETE FROM CountmsgRecord;");
        QDir(m_folder->file("SendInfo")).removeRecursively();
        auto s = submission([&](const SmsSendCall&, int) { return c.answer; });
        const SmsSubmitResult result = run(*s, request(Mobiles(3)));
        EXPECT_EQ(result.allSent, c.answer.result == 0);
        EXPECT_EQ(
            QueryRows(g_pDB,
                      "SELECT IFNULL(n.status,'<null>'), n.rrid, i.isFail, i.count FROM sendNums n JOIN "
                      "sendInfo i ON i.sendID=n.sendID GROUP BY 1,2,3,4"),
            std::vector<std::string>{std::string(c.status) + "|" + c.answer.rrid + "|" +
                                     std::to_string(c.isFail) + "|" + std::to_string(c.count)});
        EXPECT_EQ(QueryScalar(g_pDB, "SELECT COUNT(*) FROM sendInfo"), 1); // no empty success row is left
        EXPECT_EQ(!sendRecordFile("20260305").isEmpty(), c.fileLine);
        EXPECT_TRUE(sendLog().contains(Q("SendSms号码个数：3 状态：") + Q(c.logState) + "."));
        EXPECT_EQ(QueryScalar(g_pCustomerDB, "SELECT isFail FROM CountmsgRecord"),
                  c.answer.result == 0 ? 0 : 1);
        const auto messages = SmsSubmitEndMessages(result);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].text, Q(c.message));
    }
}

// Through the real client and the loopback service: what the service says
// decides, however late it says it.
TEST_F(SmsSubmit, OutcomesOfServiceCalls) {
    struct Case {
        const char* what;
        std::optional<LoopbackAnswer> answer; // none: the client is aimed at a closed port
        bool sent;
    };
    const Case cases[] = {
        {"an id", LoopbackAnswer::Text("20260305001"), true},
        {"-4", LoopbackAnswer::Text("-4"), false},
        {"-4, answered late", LoopbackAnswer::Text("-4", 1500), false},
        {"a fault", LoopbackAnswer::SoapFault(), false},
        {"refused port", std::nullopt, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ExecSql(nullptr, g_pDB, "DELETE FROM sendInfo; DELETE FROM sendNums;");
        m_main->clear();
        auto sender = std::make_unique<ServiceSmsSender>();
        if (c.answer)
            m_main->scriptOnce("qxSmsSend", *c.answer);
        else
            sender->client().SetEndpoint(ClosedEndpoint().c_str());
        SmsSubmission s(std::move(sender));
        s.SetClock([] { return kSubmitTime; });
        SmsNumberLists lists = Mobiles(2);
        lists.domestic.push_back(Recipient("01012345678"));
        const SmsSubmitResult result = run(s, request(std::move(lists), {Q("您好")}));
        EXPECT_EQ(result.allSent, c.sent);
        EXPECT_EQ(QueryScalar(g_pDB, "SELECT isFail FROM sendInfo"), c.sent ? 0 : 1);
        EXPECT_EQ(Text(g_pDB, "SELECT group_concat(rrid) FROM sendNums"),
                  c.sent ? "20260305001,20260305001,20260305001" : ",,");
        if (c.answer) {
            const auto calls = m_main->calls("qxSmsSend");
            ASSERT_EQ(calls.size(), 1u);
            EXPECT_EQ(calls[0].field("mobile").value_or(""), "13800000000,13800000001,01012345678");
        }
    }
}

// A request that went out but got no answer may have been delivered: it is
// neither sent nor failed, and no charge is counted for it.
TEST_F(SmsSubmit, UnansweredServiceCallsStayUnknown) {
    struct Case {
        const char* what;
        bool closeAfterRequest; // else the answer comes after the time-out
    };
    for (const Case& c : {Case{"closed after the request", true}, Case{"answer after the time-out", false}}) {
        SCOPED_TRACE(c.what);
        ExecSql(nullptr, g_pDB, "DELETE FROM sendInfo; DELETE FROM sendNums;");
        m_main->clear();
        RawHttpPeer peer;
        peer.setReply({}); // reads the whole request, then closes
        auto sender = std::make_unique<ServiceSmsSender>();
        if (c.closeAfterRequest) {
            sender->client().SetEndpoint(peer.url().c_str());
        } else {
            sender->client().SetTimeoutCap(1);
            m_main->scriptOnce("qxSmsSend", LoopbackAnswer::Text("20260305001", 3000));
        }
        SmsSubmission s(std::move(sender));
        s.SetClock([] { return kSubmitTime; });
        const SmsSubmitResult result = run(s, request(Mobiles(3), {Q("您好")}));
        EXPECT_FALSE(result.allSent);
        EXPECT_EQ(result.unknownCount, 3);
        EXPECT_EQ(result.failedCount, 0);
        EXPECT_EQ(QueryRows(g_pDB, "SELECT IFNULL(n.status,'<null>'), i.isFail, i.count FROM sendNums n "
                                   "JOIN sendInfo i ON i.sendID=n.sendID GROUP BY 1,2,3"),
                  std::vector<std::string>{"未知|0|0"});
        if (c.closeAfterRequest) {
            EXPECT_EQ(peer.requests().size(), 1u);
        }
    }
}

TEST_F(SmsSubmit, InternationalNumbersGoToTheInternationalEndpoint) {
    SmsNumberLists lists = Mobiles(1);
    lists.international.push_back(Recipient("0085212345678"));
    SmsSubmission s(std::make_unique<ServiceSmsSender>());
    EXPECT_TRUE(run(s, request(std::move(lists))).allSent);
    ASSERT_EQ(m_main->calls("qxSmsSend").size(), 1u);
    ASSERT_EQ(m_backup->calls("qxSmsSend_g").size(), 1u);
    EXPECT_EQ(m_backup->calls("qxSmsSend_g")[0].field("mobile").value_or(""), "0085212345678");
    EXPECT_EQ(QueryRows(g_pDB, "SELECT count FROM sendInfo ORDER BY sendID"),
              (std::vector<std::string>{"1", "12"}));
    EXPECT_TRUE(runLog().contains(Q("writeRecordNew，写db小灵通")));
}

// ------------------------------------------------------------ write failures

TEST_F(SmsSubmit, FailedPendingWriteSendsNothingMore) {
    setBatchSize(1, "2");
    struct Case {
        const char* what;
        const char* trigger;
        size_t calls;
        int64_t sentNumbers;
    };
    const Case cases[] = {
        {"first batch", "CREATE TRIGGER fail BEFORE INSERT ON sendNums BEGIN SELECT RAISE(ABORT,'disk'); END",
         0, 0},
        {"second batch",
         "CREATE TRIGGER fail BEFORE INSERT ON sendNums WHEN NEW.numOrMailAddr='13800000003' "
         "BEGIN SELECT RAISE(ABORT,'disk'); END",
         1, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ExecSql(nullptr, g_pDB,
                "DROP TRIGGER IF EXISTS fail; DELETE FROM sendInfo; DELETE FROM sendNums;"
                "INSERT INTO sendInfo (content,sendID,isFail) VALUES ('old draft',3,0);"
                "INSERT INTO sendNums (sendID,numOrMailAddr) VALUES (3,'13900000001');");
        ASSERT_EQ(ExecSql(nullptr, g_pDB, c.trigger), SQLITE_OK);
        m_sent->calls.clear();
        auto s = submission();
        SmsSubmitRequest r = request(Mobiles(5));
        r.replaceId = 3;
        const SmsSubmitResult result = run(*s, std::move(r));
        EXPECT_TRUE(result.stoppedByWriteFailure);
        EXPECT_FALSE(result.allSent);
        EXPECT_EQ(m_sent->all().size(), c.calls);
        EXPECT_EQ(QueryScalar(g_pDB, "SELECT COUNT(*) FROM sendNums WHERE sendID<>3"), c.sentNumbers);
        EXPECT_EQ(QueryScalar(g_pDB, "SELECT COUNT(*) FROM sendNums WHERE status IS NOT NULL"),
                  0); // nothing half-written
        EXPECT_EQ(QueryScalar(g_pDB, "SELECT COUNT(*) FROM sendNums WHERE sendID=3"),
                  1); // the old record is whole
        EXPECT_EQ(SmsSubmitEndMessages(result)[0].text, Q("写短信记录出错，发送已停止。"));
    }
    ExecSql(nullptr, g_pDB, "DROP TRIGGER fail");
}

TEST_F(SmsSubmit, FailedOutcomeTransactionLeavesUnknown) {
    ASSERT_EQ(ExecSql(nullptr, g_pDB,
                      "CREATE TRIGGER fail BEFORE UPDATE ON sendInfo BEGIN SELECT RAISE(ABORT,'disk'); END"),
              SQLITE_OK);
    auto s = submission();
    const SmsSubmitResult result = run(*s, request(Mobiles(2)));
    EXPECT_FALSE(result.allSent);
    EXPECT_TRUE(result.outcomeWriteFailed);
    EXPECT_EQ(result.unknownCount, 2);
    // Rolled back whole: the reference did not stick and nothing was counted.
    EXPECT_EQ(QueryRows(g_pDB, "SELECT status,rrid FROM sendNums"),
              (std::vector<std::string>{"未知|", "未知|"}));
    EXPECT_EQ(QueryScalar(g_pDB, "SELECT count FROM sendInfo"), 0);
    EXPECT_TRUE(sendRecordFile("20260305").isEmpty());
}

// ------------------------------------------------------------ ids

TEST_F(SmsSubmit, WriterThreadsAndASubmissionNeverShareAnId) {
    // Numbers left without their job never join a new one.
    ExecSql(nullptr, g_pDB, "INSERT INTO sendNums (sendID,numOrMailAddr) VALUES (40,'13900000000')");
    setBatchSize(1, "1");
    std::atomic<bool> stop{false};
    std::mutex idsMutex;
    std::vector<int64_t> threadIds;
    const auto writer = [&] {
        sqlite3* db = OpenConnection(SystemDatabasePath());
        ASSERT_NE(db, nullptr);
        while (!stop) {
            const int64_t id = AllocateId(db, "sendInfo", "sendID");
            ASSERT_GT(id, 0);
            SqlStatement ins(db, "INSERT INTO sendInfo (content,sendID) VALUES ('thread',?1)");
            ins.bind(1, id).exec();
            {
                std::lock_guard lock(idsMutex);
                threadIds.push_back(id);
            }
            // Paced, so the writers interleave with the submission instead of
            // starving it of the write lock.
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        CloseConnection(db);
    };
    std::thread a(writer), b(writer);
    auto s = submission();
    const SmsSubmitResult result = run(*s, request(Mobiles(20), {QStringLiteral("a"), QStringLiteral("b")}));
    // A draft saved meanwhile by the composer.
    const qint64 draft = SaveSmsDraft(g_pDB, Q("d"), {}, 0, 1, false, 0, kSubmitTime);
    stop = true;
    a.join();
    b.join();
    EXPECT_TRUE(result.allSent);

    std::set<int64_t> ids(threadIds.begin(), threadIds.end());
    EXPECT_EQ(ids.size(), threadIds.size());
    for (const std::string& row : QueryRows(g_pDB, "SELECT DISTINCT sendID FROM sendNums WHERE sendID<>40"))
        EXPECT_TRUE(ids.insert(std::stoll(row)).second) << row;
    EXPECT_TRUE(ids.insert(draft).second);
    EXPECT_GT(*ids.begin(), 40);
    EXPECT_FALSE(threadIds.empty());
    // Every sendInfo id belongs to one writer only.
    EXPECT_EQ(
        QueryScalar(g_pDB,
                    "SELECT COUNT(*) FROM (SELECT sendID FROM sendInfo GROUP BY sendID HAVING COUNT(*)>1)"),
        0);
}

// ------------------------------------------------------------ the GUI thread stays free

TEST_F(SmsSubmit, StopRecordsTheRestAsFailedAfterTheBatchInFlight) {
    setBatchSize(1, "2");
    ExecSql(nullptr, g_pDB,
            "INSERT INTO sendInfo (content,sendID,isFail) VALUES ('old',2,1);"
            "INSERT INTO sendNums (sendID,numOrMailAddr) VALUES (2,'13900000001');");
    auto gate = std::make_shared<Gate>();
    auto s = submission([gate](const SmsSendCall&, int index) {
        if (index == 0)
            gate->pass();
        return SmsSendAnswer{0, CallOutcome::Answered, "R" + std::to_string(index)};
    });
    bool done = false;
    SmsSubmitResult result;
    QObject::connect(s.get(), &SmsSubmission::finished, [&](const SmsSubmitResult& r) {
        result = r;
        done = true;
    });
    SmsSubmitRequest r = request(Mobiles(5), {QStringLiteral("a"), QStringLiteral("b")});
    r.replaceId = 2;
    ASSERT_TRUE(s->Start(std::move(r)));
    // The call waits; the GUI thread does not: a timer still fires.
    ASSERT_TRUE(WaitUntil([&] { return gate->waiters() == 1; }));
    bool timerFired = false;
    QTimer::singleShot(10, [&] { timerFired = true; });
    EXPECT_TRUE(WaitUntil([&] { return timerFired; }));
    EXPECT_TRUE(s->IsBusy());
    EXPECT_EQ(QueryRows(g_pDB, "SELECT DISTINCT status FROM sendNums WHERE sendID<>2"),
              std::vector<std::string>{"未知"});

    s->RequestStop();
    gate->release();
    ASSERT_TRUE(WaitUntil([&] { return done; }));
    EXPECT_TRUE(result.stoppedByRequest);
    EXPECT_EQ(result.sentCount, 0);
    EXPECT_EQ(result.failedCount, 5);
    ASSERT_EQ(m_sent->all().size(), 1u); // nothing after the stop
    // Part "a" of batch 1 was sent; everything else is on the failure rows.
    EXPECT_EQ(
        QueryRows(g_pDB,
                  "SELECT content,isFail,count,(SELECT COUNT(*) FROM sendNums n WHERE n.sendID=i.sendID) "
                  "FROM sendInfo i ORDER BY content,isFail"),
        (std::vector<std::string>{"a|0|2|2", "a|1|3|3", "b|1|5|5"}));
    EXPECT_EQ(QueryScalar(g_pDB, "SELECT COUNT(*) FROM sendNums WHERE status IS NOT NULL"), 0);
    EXPECT_EQ(QueryScalar(g_pDB, "SELECT COUNT(*) FROM sendInfo WHERE sendID=2"), 0); // replaced at the end
}

TEST_F(SmsSubmit, DestroyedWhileACallIsInFlightLeavesUnknown) {
    auto gate = std::make_shared<Gate>();
    auto s = submission([gate](const SmsSendCall&, int) {
        gate->pass();
        return SmsSendAnswer{0, CallOutcome::Answered, "late"};
    });
    ASSERT_TRUE(s->Start(request(Mobiles(2))));
    ASSERT_TRUE(WaitUntil([&] { return gate->waiters() == 1; }));
    std::thread opener([gate] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        gate->release();
    });
    s.reset(); // waits for the call; its answer reaches nobody
    opener.join();
    QCoreApplication::processEvents();
    EXPECT_EQ(QueryRows(g_pDB, "SELECT DISTINCT status FROM sendNums"), std::vector<std::string>{"未知"});
}

// ------------------------------------------------------------ voice follow-up

class InProcessVoiceSender : public VoiceSender {
public:
    InProcessVoiceSender(std::vector<SmsSendAnswer> answers,
                         std::shared_ptr<std::vector<VoiceSendCall>> calls)
        : m_answers(std::move(answers)), m_calls(std::move(calls)) {}
    SmsSendAnswer Send(const VoiceSendCall& call) override {
        m_calls->push_back(call);
        return m_answers[(m_calls->size() - 1) % m_answers.size()];
    }

private:
    std::vector<SmsSendAnswer> m_answers;
    std::shared_ptr<std::vector<VoiceSendCall>> m_calls;
};

VoiceFollowUpResult RunVoice(VoiceFollowUp& v, std::vector<std::vector<SmsRecipient>> batches,
                             const QString& text) {
    bool done = false;
    VoiceFollowUpResult result;
    QObject::connect(&v, &VoiceFollowUp::finished, [&](const VoiceFollowUpResult& r) {
        result = r;
        done = true;
    });
    EXPECT_TRUE(v.Start(std::move(batches), text, QStringLiteral("010-555")));
    EXPECT_TRUE(WaitUntil([&] { return done; }));
    return result;
}

TEST_F(SmsSubmit, VoiceFollowUpWritesOneVoiceRecordPerBatch) {
    ExecSql(nullptr, g_pDB, "INSERT INTO ContactList (perNO,name,mobileNum) VALUES (1,'李四','13800000002')");
    auto calls = std::make_shared<std::vector<VoiceSendCall>>();
    VoiceFollowUp v(
        std::make_unique<InProcessVoiceSender>(std::vector<SmsSendAnswer>{{10001, CallOutcome::Answered, {}},
                                                                          {-4, CallOutcome::Answered, {}},
                                                                          {-999, CallOutcome::NoAnswer, {}}},
                                               calls));
    v.SetClock([] { return kSubmitTime; });
    const std::vector<std::vector<SmsRecipient>> batches = {
        {Recipient("13800000001", Q("张三")), Recipient("13800000002")},
        {Recipient("13800000003")},
        {Recipient("13800000004")},
    };
    const VoiceFollowUpResult result = RunVoice(v, batches, Q("语音'内容"));
    EXPECT_EQ(result.sentBatches, 1);
    EXPECT_EQ(result.failedBatches, 1);
    EXPECT_EQ(result.unknownBatches, 1);
    ASSERT_EQ(calls->size(), 3u);
    EXPECT_EQ((*calls)[0].numbers, "13800000001,13800000002");
    EXPECT_EQ((*calls)[0].subject, Q("短信转语音主题"));
    EXPECT_EQ((*calls)[0].callerNumber, QStringLiteral("010-555"));
    EXPECT_EQ(
        QueryRows(g_pDB,
                  "SELECT content,count,isFail,isDraft,sendType,send_receive_Num,submitTime FROM sendInfo "
                  "ORDER BY sendID"),
        (std::vector<std::string>{"短信转语音主题|6|0|0|5|0|2026-03-05 10:20:30",
                                  "短信转语音主题|3|1|0|5|0|2026-03-05 10:20:30",
                                  "短信转语音主题|0|0|0|5|0|2026-03-05 10:20:30"}));
    EXPECT_EQ(QueryRows(g_pDB, "SELECT DISTINCT soundFileFullPath||'|'||txtContent FROM attachmentContent"),
              std::vector<std::string>{"|语音'内容"});
    EXPECT_EQ(QueryScalar(g_pDB, "SELECT COUNT(*) FROM attachmentContent"), 3);
    EXPECT_EQ(QueryRows(g_pDB, "SELECT numOrMailAddr,name,IFNULL(status,'-') FROM sendNums ORDER BY rowid"),
              (std::vector<std::string>{"13800000001|张三|-", "13800000002|李四|-", "13800000003||-",
                                        "13800000004||未知"}));
    EXPECT_EQ(VoiceFollowUpEndMessages(result).size(), 1u);
}

TEST_F(SmsSubmit, VoiceRecordNamesStopAtOneHundredNumbers) {
    ExecSql(nullptr, g_pDB, "INSERT INTO ContactList (perNO,name,mobileNum) VALUES (1,'李四','13800000000')");
    for (int n : {99, 100}) {
        SoundRecordInput input;
        input.numbers = Mobiles(n).domestic;
        input.info = {kVoiceChargePerNumber * n, Q("主题"), Q("文本")};
        const qint64 id = SaveSoundRecord(g_pDB, input, 0, 0, kSubmitTime);
        ASSERT_GT(id, 0);
        EXPECT_EQ(QueryScalar(g_pDB, "SELECT COUNT(*) FROM sendNums WHERE name<>'' AND sendID=" +
                                         std::to_string(id)),
                  n < 100 ? n : 0);
        EXPECT_EQ(Text(g_pDB, "SELECT count FROM sendInfo WHERE sendID=" + std::to_string(id)),
                  std::to_string(3 * n));
    }
}

TEST_F(SmsSubmit, VoiceFollowUpThroughTheService) {
    ini::WriteString(m_folder->file("ServerInfo.ini"), "ExtServerAddress", "ExtAddress2",
                     QString::fromStdString(m_backup->url("/voice.asmx")));
    m_backup->script("qxAudioSend", LoopbackAnswer::Text("10086"));
    VoiceFollowUp v(std::make_unique<ServiceVoiceSender>());
    const VoiceFollowUpResult result = RunVoice(v, {{Recipient("13800000001")}}, Q("您好"));
    EXPECT_EQ(result.sentBatches, 1);
    const auto calls = m_backup->calls("qxAudioSend");
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].path, "/voice.asmx");
    EXPECT_EQ(QueryRows(g_pDB, "SELECT sendType,count,isFail FROM sendInfo"),
              std::vector<std::string>{"5|3|0"});
}

// ------------------------------------------------------------ a hard end

// The process dies while the service holds batch 2: batch 1 stays sent,
// batch 2 stays "未知", and the database is sound.
TEST_F(SmsSubmit, KilledWhileTheServiceHoldsTheSecondBatch) {
    m_main->scriptOnce("qxSmsSend", LoopbackAnswer::Text("20260305001"));
    m_main->scriptOnce("qxSmsSend", LoopbackAnswer::Text("20260305002", 120000));
    QProcess driver;
    driver.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    driver.start(
        QStringLiteral(CORVELANE_SMS_SUBMIT_DRIVER),
        {m_folder->path(), QString::fromStdString(m_main->url()), QStringLiteral("4"), QStringLiteral("2")});
    ASSERT_TRUE(driver.waitForStarted());
    ASSERT_TRUE(WaitUntil([&] { return m_main->calls("qxSmsSend").size() == 2; },
                          std::chrono::milliseconds(TimeBoundMs(30000))));
    driver.kill(); // SIGKILL
    ASSERT_TRUE(driver.waitForFinished(TimeBoundMs(10000)));
    EXPECT_EQ(driver.exitStatus(), QProcess::CrashExit);
    EXPECT_FALSE(driver.readAllStandardOutput().contains("finished"));

    sqlite3* db = OpenConnection(SystemDatabasePath());
    ASSERT_NE(db, nullptr);
    EXPECT_EQ(Text(db, "PRAGMA quick_check"), "ok");
    EXPECT_EQ(QueryRows(db, "SELECT numOrMailAddr,IFNULL(status,'-'),rrid FROM sendNums ORDER BY rowid"),
              (std::vector<std::string>{"13800000000|-|20260305001", "13800000001|-|20260305001",
                                        "13800000002|未知|", "13800000003|未知|"}));
    EXPECT_EQ(QueryRows(db, "SELECT isFail,count FROM sendInfo"), std::vector<std::string>{"0|2"});
    CloseConnection(db);
}

} // namespace
