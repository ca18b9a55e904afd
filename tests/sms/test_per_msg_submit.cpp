// Personalised submission through gxmt: batches, what goes on the wire, the
// records before and after each call, outcomes, stopping, the resend road
// and a process killed in the middle of a call.
#include "sms/per_msg_rows.h"
#include "sms/per_msg_submission.h"
#include "sms/sms_submission.h"

#include "core/database.h"
#include "core/helpers.h"
#include "core/log.h"
#include "core/numbers.h"
#include "core/sql.h"
#include "platform/encoding.h"
#include "tests/support/call_gate.h"
#include "tests/support/raw_http_peer.h"
#include "tests/support/service_fixture.h"
#include "tests/support/test_helpers.h"

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

QStringList Split(const QString& list) {
    return list.isEmpty() ? QStringList() : list.split(QLatin1Char(','));
}

// A gxmt content list back to its texts: URL-decoded, then GBK.
QStringList DecodeContents(const std::string& contents) {
    QStringList texts;
    for (const QString& item : Split(QString::fromStdString(contents)))
        texts << enc::FromGbk(UrlDecode(item.toStdString()));
    return texts;
}

struct SenderLog {
    std::mutex mutex;
    std::vector<GxmtCall> calls;
    std::vector<GxmtCall> all() {
        std::lock_guard lock(mutex);
        return calls;
    }
};

// Answers at once on the submission's worker; by default every batch is
// accepted.
class InProcessGxmt : public GxmtSender {
public:
    using Answerer = std::function<GxmtAnswer(const GxmtCall&, int index)>;
    InProcessGxmt(std::shared_ptr<SenderLog> log, Answerer answerer)
        : m_log(std::move(log)), m_answerer(std::move(answerer)) {}
    GxmtAnswer Send(const GxmtCall& call) override {
        int index;
        {
            std::lock_guard lock(m_log->mutex);
            m_log->calls.push_back(call);
            index = static_cast<int>(m_log->calls.size()) - 1;
        }
        return m_answerer ? m_answerer(call, index) : GxmtAnswer{0, CallOutcome::Answered};
    }

private:
    std::shared_ptr<SenderLog> m_log;
    Answerer m_answerer;
};

const QDateTime kSubmitTime(QDate(2026, 3, 5), QTime(10, 20, 30));
const QString kStart = QString::number(kSubmitTime.toSecsSinceEpoch());

class PerMsgSubmitTest : public ServiceTest {
protected:
    void SetUp() override {
        ServiceTest::SetUp();
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

    // Rows "13800000000 + i" with texts "t<i>" (or the given texts).
    void makeRows(int count, const QStringList& texts = {}, const QStringList& marks = {}) {
        m_rows.FreeRows();
        for (int i = 0; i < count; ++i) {
            VIRTUAL_LIST_PERMSG::Message m;
            m.key = 13800000000LL + i;
            m.text = i < texts.size() ? texts[i] : QStringLiteral("t%1").arg(i);
            m.mark = marks.value(i);
            m_rows.AppendMessage(std::move(m));
        }
    }

    std::unique_ptr<PerMsgSubmission> inProcess(InProcessGxmt::Answerer answerer = {}) {
        auto s =
            std::make_unique<PerMsgSubmission>(std::make_unique<InProcessGxmt>(m_sent, std::move(answerer)));
        s->SetClock([] { return kSubmitTime; });
        return s;
    }
    std::unique_ptr<PerMsgSubmission> service(std::unique_ptr<ServiceGxmtSender> sender = {}) {
        if (!sender)
            sender = std::make_unique<ServiceGxmtSender>();
        auto s = std::make_unique<PerMsgSubmission>(std::move(sender));
        s->SetClock([] { return kSubmitTime; });
        return s;
    }

    PerMsgSubmitRequest request(PerMsgRoad road = PerMsgRoad::Imported, int batchSize = 0) {
        PerMsgSubmitRequest r;
        r.rows = &m_rows;
        r.road = road;
        r.batchSize = batchSize;
        return r;
    }

    PerMsgSubmitResult run(PerMsgSubmission& s, PerMsgSubmitRequest r) {
        bool done = false;
        PerMsgSubmitResult result;
        QObject::connect(&s, &PerMsgSubmission::finished, [&](const PerMsgSubmitResult& got) {
            result = got;
            done = true;
        });
        EXPECT_TRUE(s.Start(std::move(r)));
        EXPECT_TRUE(WaitUntil([&] { return done; }, std::chrono::milliseconds(TimeBoundMs(60000))));
        EXPECT_FALSE(s.IsBusy());
        return result;
    }

    QString sendLog() const {
        return QString::fromUtf8(m_folder->readFile(
            QStringLiteral("enc/qx.txt_%1.enc").arg(QString::fromStdString(g_logSend.date))));
    }
    void clearRecords() {
        ExecSql(nullptr, g_pDB, "DELETE FROM sendInfo; DELETE FROM sendNums;");
        ExecSql(nullptr, g_pCustomerDB, "DELETE FROM CountmsgRecord;");
        m_folder->writeFile(QStringLiteral("SendInfo/20260305.txt"), {});
        m_sent->calls.clear();
        m_main->clear();
    }

    VIRTUAL_LIST_PERMSG m_rows;
    std::shared_ptr<SenderLog> m_sent = std::make_shared<SenderLog>();
};

// ------------------------------------------------------------ batches and the wire

TEST_F(PerMsgSubmitTest, BatchesRridsAndTimes) {
    struct Case {
        const char* setting; // entry 9's text
        int rows;
        std::vector<int> batches;
    };
    const Case cases[] = {
        {"500", 1200, {500, 500, 200}}, {"0", 501, {500, 1}}, {"-3", 3, {3}},
        {"x", 1000, {500, 500}},        {"9", 20, {9, 9, 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.setting);
        clearRecords();
        g_sysSettings[9] = SYSSETTING{1, Q(c.setting)};
        makeRows(c.rows);
        auto s = inProcess();
        PerMsgSubmitRequest r = request();
        r.timingTime = Q("2026-03-06 08:00:00");
        const PerMsgSubmitResult result = run(*s, r);
        EXPECT_TRUE(result.allSent());
        EXPECT_EQ(result.sentCount, c.rows);
        const auto calls = m_sent->all();
        ASSERT_EQ(calls.size(), c.batches.size());
        int row = 0;
        for (size_t b = 0; b < calls.size(); ++b) {
            EXPECT_EQ(calls[b].count, c.batches[b]);
            const QStringList rrids = Split(calls[b].rrids);
            const QStringList times = Split(calls[b].times);
            ASSERT_EQ(rrids.size(), c.batches[b]);
            EXPECT_EQ(times.size(), c.batches[b]); // one time per item
            EXPECT_EQ(Split(calls[b].numbers).size(), c.batches[b]);
            EXPECT_EQ(rrids.front(), kStart + QString::number(row));
            EXPECT_EQ(rrids.back(), kStart + QString::number(row + c.batches[b] - 1));
            EXPECT_EQ(times.front(), Q("2026-03-06 08:00:00"));
            row += c.batches[b];
        }
        // One record per message, each with its own id and rrid.
        EXPECT_EQ(QueryScalar(g_pDB, "SELECT COUNT(DISTINCT sendID) FROM sendInfo"), c.rows);
        EXPECT_EQ(QueryScalar(g_pDB, "SELECT COUNT(DISTINCT rrid) FROM sendNums"), c.rows);
        EXPECT_EQ(QueryScalar(g_pDB, "SELECT COUNT(*) FROM sendInfo i JOIN sendNums n ON n.sendID=i.sendID "
                                     "WHERE i.isFail=0 AND i.count=1 AND n.status IS NULL AND "
                                     "i.timingTime='2026-03-06 08:00:00'"),
                  c.rows);
    }
    // Sent at once: no times at all.
    clearRecords();
    makeRows(2);
    auto s = inProcess();
    run(*s, request());
    EXPECT_EQ(m_sent->all().at(0).times, QString());
}

TEST_F(PerMsgSubmitTest, WhatTheServiceReceives) {
    const QStringList texts{Q("您好，张三"), Q("a,b 'c' ก"), Q("第二行\r\n第三行")};
    makeRows(3, texts);
    // A landline keeps its zero on the wire.
    VIRTUAL_LIST_PERMSG::Message landline;
    landline.key = *PerMsgImportNumberKey(Q("01012345678"));
    landline.text = Q("座机");
    m_rows.AppendMessage(landline);
    auto s = service();
    PerMsgSubmitRequest r = request(PerMsgRoad::Imported);
    r.signedFlag = true;
    r.signature = Q("某公司");
    EXPECT_TRUE(run(*s, r).allSent());
    const auto calls = m_main->calls("gxmt");
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].field("mobile").value_or(""), "13800000000,13800000001,13800000002,01012345678");
    EXPECT_EQ(DecodeContents(calls[0].field("content").value_or("")),
              (QStringList{Q("您好，张三【某公司】"), Q("a,b 'c' ?【某公司】") /* no GBK character */,
                           Q("第二行\r\n第三行【某公司】"), Q("座机【某公司】")}));
    EXPECT_EQ(calls[0].field("stime").value_or("-"), "");
    EXPECT_EQ(QString::fromStdString(calls[0].field("rrid").value_or("")),
              QStringList({kStart + "0", kStart + "1", kStart + "2", kStart + "3"}).join(QLatin1Char(',')));
    // Recorded as sent, with the signature, the quote whole.
    EXPECT_EQ(QueryRows(g_pDB, "SELECT content FROM sendInfo ORDER BY sendID").at(1), "a,b 'c' ก【某公司】");
}

TEST_F(PerMsgSubmitTest, RoadsDecideSignatureAndTimes) {
    struct Case {
        PerMsgRoad road;
        bool signature;
    };
    for (const Case& c : {Case{PerMsgRoad::Edited, false}, Case{PerMsgRoad::BatchDate, true}}) {
        SCOPED_TRACE(static_cast<int>(c.road));
        clearRecords();
        VIRTUAL_LIST_PERMSG rows;
        rows.AppendMessage({13800000000LL, 0, Q("a"), {}, Q("2026-04-01 09:00:00"), 0, 0});
        rows.AppendMessage({13800000001LL, 0, Q("b"), {}, Q("2026-05-02 09:00:00"), 0, 0});
        auto s = inProcess();
        PerMsgSubmitRequest r = request(c.road);
        r.rows = &rows;
        r.signedFlag = true;
        r.signature = Q("签");
        r.timingTime = c.road == PerMsgRoad::Edited ? Q("2026-03-06 08:00:00") : QString();
        EXPECT_TRUE(run(*s, r).allSent());
        const GxmtCall call = m_sent->all().at(0);
        EXPECT_EQ(DecodeContents(call.contents.toStdString()),
                  c.signature ? QStringList({Q("a【签】"), Q("b【签】")}) : QStringList({Q("a"), Q("b")}));
        if (c.road == PerMsgRoad::BatchDate) {
            EXPECT_EQ(call.times, Q("2026-04-01 09:00:00,2026-05-02 09:00:00"));
            EXPECT_EQ(QueryRows(g_pDB, "SELECT timingTime FROM sendInfo ORDER BY sendID"),
                      (std::vector<std::string>{"2026-04-01 09:00:00", "2026-05-02 09:00:00"}));
            // Each send-record line in the file of its own date.
            EXPECT_TRUE(m_folder->readFile(QStringLiteral("SendInfo/20260401.txt")).contains("13800000000"));
            EXPECT_TRUE(m_folder->readFile(QStringLiteral("SendInfo/20260502.txt")).contains("13800000001"));
        } else {
            EXPECT_EQ(call.times, Q("2026-03-06 08:00:00,2026-03-06 08:00:00"));
        }
    }
}

TEST_F(PerMsgSubmitTest, MarksStatisticsAndSendRecordLines) {
    makeRows(3, {Q("A"), Q("B"), Q("C\r\nD")}, {QString(), Q("m2"), Q("m3")});
    auto s = inProcess();
    EXPECT_TRUE(run(*s, request()).allSent());
    EXPECT_EQ(
        QueryRows(g_pCustomerDB, "SELECT mark,isFail,msgcount,numcount FROM CountmsgRecord ORDER BY sendID"),
        (std::vector<std::string>{"|0|1|1", "m2|0|1|1", "m3|0|1|1"}));
    // Each statistics row belongs to its message's record.
    EXPECT_EQ(QueryRows(g_pCustomerDB, "SELECT sendID FROM CountmsgRecord ORDER BY sendID"),
              QueryRows(g_pDB, "SELECT sendID FROM sendInfo ORDER BY sendID"));
    const QByteArray expected = QByteArray("A\x01"
                                           "13800000000\x01") +
                                kStart.toLatin1() + "0\x01" +
                                "2026-03-05 10:20:30\x01"
                                "2026-03-05 10:20:30\r\n" +
                                "B\x01"
                                "13800000001\x01" +
                                kStart.toLatin1() + "1\x01" +
                                "2026-03-05 10:20:30\x01"
                                "2026-03-05 10:20:30\r\n" +
                                "C D\x01"
                                "13800000002\x01" +
                                kStart.toLatin1() + "2\x01" +
                                "2026-03-05 10:20:30\x01"
                                "2026-03-05 10:20:30\r\n";
    EXPECT_EQ(m_folder->readFile(QStringLiteral("SendInfo/20260305.txt")), expected);
    EXPECT_TRUE(sendLog().contains(Q("PerSMS_S|13800000000,13800000001,13800000002|A\bB\bC\\r\\nD|")));
}

// ------------------------------------------------------------ outcomes

TEST_F(PerMsgSubmitTest, OutcomesThroughTheService) {
    struct Case {
        const char* what;
        std::function<void(ServiceGxmtSender&, RawHttpPeer&)> arrange;
        const char* status; // of the numbers
        int isFail;
        int count;
        const char* logMark;
        bool fileLine;
        std::vector<const char*> boxes;
    };
    const char* k247 = "部分发送失败，请到失败记录里重新发送";
    const char* kUnknown = "有2个号码未收到服务应答，发送结果未知，请核对后再决定是否重发。";
    const Case cases[] = {
        {"an id",
         [this](auto&, auto&) { m_main->scriptOnce("gxmt", LoopbackAnswer::Text("9001")); },
         "<null>",
         0,
         1,
         "PerSMS_S",
         true,
         {"发送成功"}},
        {"-4",
         [this](auto&, auto&) { m_main->scriptOnce("gxmt", LoopbackAnswer::Text("-4")); },
         "<null>",
         1,
         1,
         "PerSMS_F",
         false,
         {k247}},
        {"a fault",
         [this](auto&, auto&) { m_main->scriptOnce("gxmt", LoopbackAnswer::SoapFault()); },
         "<null>",
         1,
         1,
         "PerSMS_F",
         false,
         {k247}},
        {"a missing result",
         [this](auto&, auto&) { m_main->scriptOnce("gxmt", LoopbackAnswer::Missing()); },
         "<null>",
         1,
         1,
         "PerSMS_F",
         false,
         {k247}},
        {"late past the time-out",
         [this](auto& sender, auto&) {
             sender.client().SetTimeoutCap(1);
             m_main->scriptOnce("gxmt", LoopbackAnswer::Text("9001", 3000));
         },
         "未知",
         0,
         0,
         "PerSMS_U",
         false,
         {kUnknown}},
        {"closed after the request",
         [](auto& sender, auto& peer) { sender.client().SetEndpoint(peer.url().c_str()); },
         "未知",
         0,
         0,
         "PerSMS_U",
         false,
         {kUnknown}},
        {"nothing sent",
         [](auto& sender, auto&) { sender.client().SetEndpoint(ClosedEndpoint().c_str()); },
         "<null>",
         1,
         1,
         "PerSMS_F",
         false,
         {k247}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        clearRecords();
        makeRows(2, {Q("甲"), Q("乙")});
        RawHttpPeer peer;
        peer.setReply({});
        auto sender = std::make_unique<ServiceGxmtSender>();
        c.arrange(*sender, peer);
        auto s = service(std::move(sender));
        const PerMsgSubmitResult result = run(*s, request());
        EXPECT_EQ(QueryRows(g_pDB, "SELECT DISTINCT IFNULL(n.status,'<null>')||'|'||i.isFail||'|'||i.count "
                                   "FROM sendNums n JOIN sendInfo i ON i.sendID=n.sendID"),
                  std::vector<std::string>{std::string(c.status) + "|" + std::to_string(c.isFail) + "|" +
                                           std::to_string(c.count)});
        EXPECT_TRUE(sendLog().contains(Q(c.logMark))) << c.logMark;
        EXPECT_EQ(!m_folder->readFile(QStringLiteral("SendInfo/20260305.txt")).isEmpty(), c.fileLine);
        QStringList boxes;
        for (const SmsEndMessage& m : PerMsgEndMessages(result, false))
            boxes << m.text;
        QStringList expected;
        for (const char* b : c.boxes)
            expected << Q(b);
        EXPECT_EQ(boxes, expected);
        // The statistics never count an unsent message as sent.
        EXPECT_EQ(QueryScalar(g_pCustomerDB, "SELECT COUNT(*) FROM CountmsgRecord WHERE isFail=0"),
                  c.isFail == 0 && std::string(c.status) != "未知" ? 2 : 0);
    }
    EXPECT_EQ(PerMsgEndMessages(PerMsgSubmitResult{}, true).at(0).text, Q("提交成功"));
}

TEST_F(PerMsgSubmitTest, FailedPendingWriteSendsNothing) {
    struct Case {
        const char* what;
        const char* trigger;
        size_t calls;
        int64_t recorded;
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
        clearRecords();
        ExecSql(nullptr, g_pDB, "DROP TRIGGER IF EXISTS fail");
        ASSERT_EQ(ExecSql(nullptr, g_pDB, c.trigger), SQLITE_OK);
        makeRows(5);
        auto s = inProcess();
        const PerMsgSubmitResult result = run(*s, request(PerMsgRoad::Imported, 2));
        EXPECT_TRUE(result.stoppedByWriteFailure);
        EXPECT_EQ(m_sent->all().size(), c.calls);
        EXPECT_EQ(QueryScalar(g_pDB, "SELECT COUNT(*) FROM sendNums"), c.recorded);
        EXPECT_EQ(QueryScalar(g_pDB, "SELECT COUNT(*) FROM sendInfo"), c.recorded); // nothing half-written
        EXPECT_EQ(PerMsgEndMessages(result, false).at(0).text, Q("写短信记录出错，发送已停止。"));
    }
    ExecSql(nullptr, g_pDB, "DROP TRIGGER fail");
}

TEST_F(PerMsgSubmitTest, FailedOutcomeWriteLeavesUnknown) {
    ASSERT_EQ(ExecSql(nullptr, g_pDB,
                      "CREATE TRIGGER fail BEFORE UPDATE ON sendInfo BEGIN SELECT RAISE(ABORT,'x'); END"),
              SQLITE_OK);
    makeRows(2);
    auto s = inProcess();
    const PerMsgSubmitResult result = run(*s, request());
    EXPECT_TRUE(result.outcomeWriteFailed);
    EXPECT_EQ(result.unknownCount, 2);
    EXPECT_EQ(
        QueryRows(g_pDB,
                  "SELECT DISTINCT n.status||'|'||i.count FROM sendNums n JOIN sendInfo i USING(sendID)"),
        std::vector<std::string>{"未知|0"});
    EXPECT_TRUE(m_folder->readFile(QStringLiteral("SendInfo/20260305.txt")).isEmpty());
}

TEST_F(PerMsgSubmitTest, IdsStayUniqueBesideOtherWriters) {
    makeRows(30);
    auto composer = std::make_unique<SmsSubmission>(std::make_unique<ServiceSmsSender>());
    SmsSubmitRequest composerRequest;
    for (int i = 0; i < 10; ++i) {
        SmsRecipient r;
        r.key = 13900000000LL + i;
        r.number = std::to_string(r.key);
        composerRequest.numbers.domestic.push_back(r);
    }
    composerRequest.parts = {Q("composer")};
    g_sysSettings[8] = SYSSETTING{1, Q("1")};
    bool composerDone = false;
    QObject::connect(composer.get(), &SmsSubmission::finished,
                     [&](const SmsSubmitResult&) { composerDone = true; });

    std::atomic<bool> stop{false};
    std::vector<int64_t> writerIds;
    std::thread writer([&] {
        sqlite3* db = OpenConnection(SystemDatabasePath());
        while (!stop) {
            const int64_t id = AllocateId(db, "sendInfo", "sendID");
            SqlStatement ins(db, "INSERT INTO sendInfo (content,sendID) VALUES ('automatic',?1)");
            ins.bind(1, id).exec();
            writerIds.push_back(id);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        CloseConnection(db);
    });
    ASSERT_TRUE(composer->Start(std::move(composerRequest)));
    auto s = inProcess();
    EXPECT_TRUE(run(*s, request(PerMsgRoad::Imported, 3)).allSent());
    EXPECT_TRUE(WaitUntil([&] { return composerDone; }, std::chrono::milliseconds(TimeBoundMs(60000))));
    stop = true;
    writer.join();
    EXPECT_FALSE(writerIds.empty());
    EXPECT_EQ(
        QueryScalar(g_pDB,
                    "SELECT COUNT(*) FROM (SELECT sendID FROM sendInfo GROUP BY sendID HAVING COUNT(*)>1)"),
        0);
    // Every personalised number is under a record of its own text.
    EXPECT_EQ(QueryScalar(g_pDB, "SELECT COUNT(*) FROM sendNums n JOIN sendInfo i USING(sendID) "
                                 "WHERE n.numOrMailAddr LIKE '138%' AND i.content LIKE 't%'"),
              30);
}

// ------------------------------------------------------------ stopping and resending

TEST_F(PerMsgSubmitTest, QuitInBatchTwoRecordsTheRestFailedThenResendsItExactly) {
    makeRows(7, {}, {Q("m0"), Q("m1"), Q("m2"), Q("m3"), Q("m4"), Q("m5"), Q("m6")});
    auto gate = std::make_shared<Gate>();
    auto s = inProcess([gate](const GxmtCall&, int index) {
        if (index == 1)
            gate->pass();
        return GxmtAnswer{0, CallOutcome::Answered};
    });
    bool done = false;
    PerMsgSubmitResult result;
    QObject::connect(s.get(), &PerMsgSubmission::finished, [&](const PerMsgSubmitResult& r) {
        result = r;
        done = true;
    });
    ASSERT_TRUE(s->Start(request(PerMsgRoad::Imported, 3)));
    ASSERT_TRUE(WaitUntil([&] { return gate->waiters() == 1; }));
    // The GUI thread is free while the answer is held.
    bool timerFired = false;
    QTimer::singleShot(5, [&] { timerFired = true; });
    EXPECT_TRUE(WaitUntil([&] { return timerFired; }));
    EXPECT_TRUE(s->IsBusy());
    s->RequestStop();
    gate->release();
    ASSERT_TRUE(WaitUntil([&] { return done; }));
    EXPECT_TRUE(result.stoppedByRequest);
    EXPECT_EQ(result.sentCount, 6);
    EXPECT_EQ(result.failedCount, 1);
    EXPECT_EQ(m_sent->all().size(), 2u);
    EXPECT_EQ(
        QueryRows(g_pDB,
                  "SELECT n.numOrMailAddr||'|'||i.content||'|'||i.isFail||'|'||i.count||'|'||"
                  "IFNULL(n.status,'-') FROM sendNums n JOIN sendInfo i USING(sendID) WHERE i.isFail=1"),
        std::vector<std::string>{"13800000006|t6|1|1|-"});
    EXPECT_EQ(QueryRows(g_pCustomerDB, "SELECT mark||'|'||isFail FROM CountmsgRecord WHERE isFail=1"),
              std::vector<std::string>{"m6|1"});

    // Resent exactly: the one failed message, once.
    const std::vector<qint64> failed{QueryScalar(g_pDB, "SELECT sendID FROM sendInfo WHERE isFail=1")};
    VIRTUAL_LIST_PERMSG resendRows;
    ASSERT_EQ(LoadFailedRows(g_pDB, failed, 0, 10, resendRows), 1);
    m_sent->calls.clear();
    auto again = inProcess();
    PerMsgSubmitRequest r = request(PerMsgRoad::Resend);
    r.rows = &resendRows;
    EXPECT_TRUE(run(*again, r).allSent());
    ASSERT_EQ(m_sent->all().size(), 1u);
    EXPECT_EQ(m_sent->all()[0].numbers, Q("13800000006"));
    EXPECT_EQ(DecodeContents(m_sent->all()[0].contents.toStdString()), QStringList{Q("t6")});
    EXPECT_EQ(QueryScalar(g_pDB, "SELECT COUNT(*) FROM sendInfo WHERE isFail=1"), 0);
}

class PerMsgResend : public PerMsgSubmitTest {
protected:
    // A failed record with its numbers, as the record views hold it.
    void failedRecord(qint64 id, const char* content, const std::vector<const char*>& numbers,
                      const char* timing = "") {
        SqlStatement info(g_pDB, "INSERT INTO sendInfo (content,submitTime,timingTime,count,isFail,sendID) "
                                 "VALUES(?1,'2026-01-01 00:00:00',?2,?3,1,?4)");
        info.bind(1, content)
            .bind(2, timing)
            .bind(3, static_cast<int>(numbers.size()))
            .bind(4, static_cast<int64_t>(id));
        ASSERT_EQ(info.exec(), SQLITE_OK);
        for (const char* n : numbers) {
            SqlStatement num(g_pDB, "INSERT INTO sendNums (sendID,numOrMailAddr,rrid) VALUES(?1,?2,'old')");
            ASSERT_EQ(num.bind(1, static_cast<int64_t>(id)).bind(2, n).exec(), SQLITE_OK);
        }
        SqlStatement stat(g_pCustomerDB,
                          "insert into CountmsgRecord (sendID,mark,submitTime,isFail,msgcount,numcount) "
                          "values (?1,'mk','2026-01-01 00:00:00',1,?2,?2)");
        ASSERT_EQ(stat.bind(1, static_cast<int64_t>(id)).bind(2, static_cast<int>(numbers.size())).exec(),
                  SQLITE_OK);
    }

    PerMsgSubmitResult resend(const std::vector<qint64>& ids, int batchSize,
                              InProcessGxmt::Answerer answerer = {}) {
        m_rows.FreeRows();
        PerMsgResendRows maker(m_rows, g_pDB, ids);
        while (maker.Step(1)) {
        }
        EXPECT_FALSE(maker.Failed());
        if (m_rows.GetCount() == 0)
            return {};
        auto s = inProcess(std::move(answerer));
        return run(*s, request(PerMsgRoad::Resend, batchSize));
    }
};

TEST_F(PerMsgResend, OneNumberRecordIsUpdatedInPlace) {
    failedRecord(70, "hello#*#mk", {"13800000001"});
    EXPECT_TRUE(resend({70}, 500).allSent());
    const auto call = m_sent->all().at(0);
    EXPECT_EQ(DecodeContents(call.contents.toStdString()), QStringList{Q("hello")});
    EXPECT_EQ(call.times, Q("2026-03-05 10:20:00")); // no timing: this minute
    EXPECT_EQ(QueryRows(g_pDB, "SELECT sendID||'|'||isFail||'|'||count||'|'||submitTime FROM sendInfo"),
              std::vector<std::string>{"70|0|1|2026-03-05 10:20:30"});
    EXPECT_EQ(QueryRows(g_pDB, "SELECT rrid||'|'||IFNULL(status,'-') FROM sendNums"),
              std::vector<std::string>{(kStart + "0|-").toStdString()});
    EXPECT_EQ(QueryRows(g_pCustomerDB, "SELECT isFail FROM CountmsgRecord WHERE sendID=70"),
              std::vector<std::string>{"0"});
    // A repeated resend finds nothing to send.
    m_sent->calls.clear();
    resend({70}, 500);
    EXPECT_TRUE(m_sent->all().empty());
}

TEST_F(PerMsgResend, SentNumbersOfALargerRecordMoveUnderOneCopy) {
    failedRecord(80, "group text", {"13800000001", "13800000002", "13800000003"}, "2026-02-01 09:00:00");
    // Batches of one: the second number fails.
    const PerMsgSubmitResult result = resend({80}, 1, [](const GxmtCall&, int index) {
        return GxmtAnswer{index == 1 ? -1 : 0, CallOutcome::Answered};
    });
    EXPECT_EQ(result.sentCount, 2);
    EXPECT_EQ(result.failedCount, 1);
    EXPECT_EQ(m_sent->all().at(0).times, Q("2026-02-01 09:00:00"));
    EXPECT_EQ(QueryRows(g_pDB,
                        "SELECT i.sendID=80,i.isFail,i.count,group_concat(n.numOrMailAddr),"
                        "group_concat(IFNULL(n.status,'-')) FROM sendInfo i JOIN sendNums n USING(sendID) "
                        "GROUP BY i.sendID ORDER BY i.sendID=80"),
              (std::vector<std::string>{"0|0|2|13800000001,13800000003|-,-", "1|1|1|13800000002|-"}));
    EXPECT_EQ(QueryRows(g_pCustomerDB,
                        "SELECT sendID=80,isFail,msgcount,numcount FROM CountmsgRecord ORDER BY sendID=80"),
              (std::vector<std::string>{"0|0|1|1", "0|0|1|1", "1|1|1|1"}));

    // The rest resent: the failed record empties and goes; nothing is sent twice.
    m_sent->calls.clear();
    EXPECT_TRUE(resend({80}, 1).allSent());
    ASSERT_EQ(m_sent->all().size(), 1u);
    EXPECT_EQ(m_sent->all()[0].numbers, Q("13800000002"));
    EXPECT_EQ(QueryScalar(g_pDB, "SELECT COUNT(*) FROM sendInfo WHERE isFail=1"), 0);
    EXPECT_EQ(QueryScalar(g_pDB, "SELECT COUNT(*) FROM sendNums WHERE status IS NOT NULL"), 0);
    m_sent->calls.clear();
    resend({80}, 1);
    EXPECT_TRUE(m_sent->all().empty());
}

TEST_F(PerMsgResend, UnknownNumbersAreNotSentAgainUnasked) {
    failedRecord(90, "x", {"13800000001", "13800000002"});
    const PerMsgSubmitResult result = resend({90}, 500, [](const GxmtCall&, int) {
        return GxmtAnswer{-1, CallOutcome::NoAnswer};
    });
    EXPECT_EQ(result.unknownCount, 2);
    EXPECT_EQ(QueryRows(g_pDB, "SELECT DISTINCT status FROM sendNums"), std::vector<std::string>{"未知"});
    m_sent->calls.clear();
    resend({90}, 500);
    EXPECT_TRUE(m_sent->all().empty());
}

TEST_F(PerMsgResend, OnlyFailedSmsRecordsGiveRows) {
    failedRecord(100, "fax.tif", {"13800000001"});
    ExecSql(nullptr, g_pDB, "UPDATE sendInfo SET sendType=2 WHERE sendID=100");
    failedRecord(101, "sent", {"13800000002"});
    ExecSql(nullptr, g_pDB, "UPDATE sendInfo SET isFail=0 WHERE sendID=101");
    failedRecord(102, "ok", {"13800000003", "not a number"});
    VIRTUAL_LIST_PERMSG rows;
    EXPECT_EQ(LoadFailedRows(g_pDB, {100, 101, 102}, 0, 3, rows), 1);
    VIRTUAL_LIST_PERMSG::Message m;
    ASSERT_TRUE(rows.GetMessage(0, &m));
    EXPECT_EQ(m.sourceId, 102);
    EXPECT_EQ(NumberFromKey(m.key), Q("13800000003"));
}

// ------------------------------------------------------------ a hard end

TEST_F(PerMsgSubmitTest, KilledWhileTheServiceHoldsTheSecondBatch) {
    m_main->scriptOnce("gxmt", LoopbackAnswer::Text("9001"));
    m_main->scriptOnce("gxmt", LoopbackAnswer::Held());
    QProcess driver;
    driver.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    driver.start(
        QStringLiteral(CORVELANE_PER_MSG_SUBMIT_DRIVER),
        {m_folder->path(), QString::fromStdString(m_main->url()), QStringLiteral("5"), QStringLiteral("2")});
    ASSERT_TRUE(driver.waitForStarted());
    ASSERT_TRUE(m_main->waitForHeld(TimeBoundMs(30000)));
    driver.kill(); // SIGKILL
    ASSERT_TRUE(driver.waitForFinished(TimeBoundMs(10000)));
    EXPECT_EQ(driver.exitStatus(), QProcess::CrashExit);
    EXPECT_FALSE(driver.readAllStandardOutput().contains("finished"));
    m_main->release();

    sqlite3* db = OpenConnection(SystemDatabasePath());
    ASSERT_NE(db, nullptr);
    EXPECT_EQ(Text(db, "PRAGMA quick_check"), "ok");
    EXPECT_EQ(QueryRows(db, "SELECT n.numOrMailAddr||'|'||IFNULL(n.status,'-')||'|'||i.isFail||'|'||i.count "
                            "FROM sendNums n JOIN sendInfo i USING(sendID) ORDER BY n.rowid"),
              (std::vector<std::string>{"13800000000|-|0|1", "13800000001|-|0|1", "13800000002|未知|0|0",
                                        "13800000003|未知|0|0"}));
    CloseConnection(db);
}

} // namespace
