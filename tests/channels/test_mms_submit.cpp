// The MMS submission: batches, outcomes through the loopback messaging
// service, the file check before the first batch, personalised copies, the
// channel server, stopping, replacing a stored record, and a hard end while
// the service holds a batch.
#include "channels/mms_submission.h"

#include "channels/mms_checks.h"

#include "core/app_globals.h"
#include "core/database.h"
#include "core/helpers.h"
#include "core/log.h"
#include "core/numbers.h"
#include "core/sql.h"
#include "platform/ini.h"
#include "tests/support/raw_http_peer.h"
#include "tests/support/service_fixture.h"
#include "tests/support/test_helpers.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTimer>

#include <mutex>

namespace {

QString Q(const char* utf8) {
    return QString::fromUtf8(utf8);
}

std::vector<SmsRecipient> Mobiles(int count, qint64 first = 13800000000LL) {
    std::vector<SmsRecipient> numbers;
    numbers.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        SmsRecipient r;
        r.key = first + i;
        r.number = std::to_string(r.key);
        r.name = QStringLiteral("N%1").arg(i);
        numbers.push_back(std::move(r));
    }
    return numbers;
}

// The calls an in-process sender saw, and its answers.
struct SenderLog {
    std::mutex mutex;
    std::vector<MmsSendCall> calls;
    std::vector<MmsSendCall> all() {
        std::lock_guard lock(mutex);
        return calls;
    }
};

class InProcessSender : public MmsSender {
public:
    using Answerer = std::function<MmsSendAnswer(const MmsSendCall&, int index)>;
    InProcessSender(std::shared_ptr<SenderLog> log, Answerer answerer = {})
        : m_log(std::move(log)), m_answerer(std::move(answerer)) {}
    MmsSendAnswer Send(const MmsSendCall& call) override {
        int index;
        {
            std::lock_guard lock(m_log->mutex);
            m_log->calls.push_back(call);
            index = static_cast<int>(m_log->calls.size()) - 1;
        }
        return m_answerer ? m_answerer(call, index) : MmsSendAnswer{0, CallOutcome::Answered};
    }

private:
    std::shared_ptr<SenderLog> m_log;
    Answerer m_answerer;
};

// The parts of a qxMmsSend content ("1_2.jpg,<base64>;1_1.txt,<base64>;"),
// name -> decoded bytes, in order.
std::vector<std::pair<std::string, QByteArray>> ContentParts(const std::string& content) {
    std::vector<std::pair<std::string, QByteArray>> parts;
    for (const QByteArray& part : QByteArray::fromStdString(content).split(';')) {
        if (part.isEmpty())
            continue;
        const qsizetype comma = part.indexOf(',');
        parts.emplace_back(part.left(comma).toStdString(), QByteArray::fromBase64(part.mid(comma + 1)));
    }
    return parts;
}

class MmsSubmit : public ServiceTest {
protected:
    void SetUp() override {
        ServiceTest::SetUp();
        ASSERT_TRUE(LogOpen(g_logSend, "qx.txt", 1));
        g_sysSettings.assign(10, SYSSETTING{});
        g_nMmsMaxSize = 51200;
    }
    void TearDown() override {
        LogClose(g_logSend);
        g_sysSettings.clear();
        ServiceTest::TearDown();
    }

    void setBatchSize(int size) { g_sysSettings[8] = SYSSETTING{1, QString::number(size)}; }

    std::unique_ptr<MmsSubmission> inProcess(InProcessSender::Answerer answerer = {}) {
        auto s =
            std::make_unique<MmsSubmission>(std::make_unique<InProcessSender>(m_sent, std::move(answerer)));
        s->SetFailurePauseMs(10);
        return s;
    }
    // Through the loopback service's main endpoint.
    std::unique_ptr<MmsSubmission> throughService() {
        auto sender = std::make_unique<ServiceMmsSender>();
        sender->client().SetTimeoutCap(20);
        auto s = std::make_unique<MmsSubmission>(std::move(sender));
        s->SetFailurePauseMs(10);
        return s;
    }

    // How a submission ended, once it has.
    struct Ending {
        bool done = false;
        MmsSubmitResult result;
        bool wait() {
            return WaitUntil([this] { return done; }, std::chrono::milliseconds(TimeBoundMs(60000)));
        }
    };
    static std::shared_ptr<Ending> watch(MmsSubmission& s) {
        auto ending = std::make_shared<Ending>();
        QObject::connect(&s, &MmsSubmission::finished, [ending](const MmsSubmitResult& r) {
            ending->result = r;
            ending->done = true;
        });
        return ending;
    }

    MmsSubmitResult run(MmsSubmission& s, MmsSubmitRequest request) {
        const auto ending = watch(s);
        EXPECT_EQ(s.Start(std::move(request)), MmsStartResult::Started);
        EXPECT_TRUE(ending->wait());
        EXPECT_FALSE(s.IsBusy());
        return ending->result;
    }

    MmsSubmitRequest request(std::vector<SmsRecipient> numbers, std::vector<MMSCONTENT> frames = {}) {
        MmsSubmitRequest r;
        r.title = Q("标题");
        r.numbers = std::move(numbers);
        r.frames = frames.empty() ? std::vector<MMSCONTENT>{{QString(), QString(), QString(), Q("你好")}}
                                  : std::move(frames);
        return r;
    }

    QString writeFile(const QString& name, const QByteArray& bytes) {
        m_folder->writeFile(name, bytes);
        return m_folder->file(name);
    }

    std::vector<std::string> rows(const std::string& sql) { return QueryRows(g_pDB, sql); }

    std::shared_ptr<SenderLog> m_sent = std::make_shared<SenderLog>();
};

TEST_F(MmsSubmit, BatchesOfTheSetSizeEachRecordedWithItsNames) {
    auto s = inProcess();
    const MmsSubmitResult result = run(*s, request(Mobiles(12000)));
    const auto calls = m_sent->all();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].numCount, 5000);
    EXPECT_EQ(calls[1].numCount, 5000);
    EXPECT_EQ(calls[2].numCount, 2000);
    EXPECT_EQ(calls[2].numbers.substr(0, 24), "13800010000,13800010001,");
    EXPECT_EQ(calls[0].title, Q("标题"));
    EXPECT_EQ(result.sentCount, 12000);
    EXPECT_EQ(rows("SELECT count,isFail,isDraft,sendType FROM sendInfo ORDER BY sendID"),
              (std::vector<std::string>{"15000|0|0|4", "15000|0|0|4", "6000|0|0|4"}));
    // Names travel with their rows, not looked up again by the sent text.
    EXPECT_EQ(rows("SELECT numOrMailAddr,name,IFNULL(status,'-') FROM sendNums WHERE numOrMailAddr IN "
                   "('13800000000','13800011999') ORDER BY rowid"),
              (std::vector<std::string>{"13800000000|N0|-", "13800011999|N11999|-"}));
    EXPECT_EQ(QueryScalar(g_pDB, "SELECT COUNT(*) FROM attachmentContent"), 3);
    EXPECT_EQ(MmsSubmitEndMessage(result).text, Q("发送成功"));
}

TEST_F(MmsSubmit, OutcomesThroughTheService) {
    struct Case {
        const char* name;
        LoopbackAnswer answer;
        const char* info; // count|isFail
        const char* status;
        const char* message;
    };
    const QString unknownText = Q("有1个号码未收到服务应答，发送结果未知，请核对后再决定是否重发。");
    const Case cases[] = {
        {"accepted", LoopbackAnswer::Text("20260305001"), "3|0", "-", "发送成功"},
        {"-4", LoopbackAnswer::Text("-4"), "3|1", "-", "部分或全部发送失败,请到彩信发送失败记录里重发!"},
        {"fault", LoopbackAnswer::SoapFault(), "3|1", "-", "部分或全部发送失败,请到彩信发送失败记录里重发!"},
        // A missing result element is the service's answer; an empty one says nothing.
        {"no result element", LoopbackAnswer::Missing(), "3|1", "-",
         "部分或全部发送失败,请到彩信发送失败记录里重发!"},
        {"empty result", LoopbackAnswer::Text(""), "0|0", "未知", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(ExecSql(nullptr, g_pDB, "DELETE FROM sendInfo; DELETE FROM sendNums;"), 0);
        m_main->clear();
        m_main->script("qxMmsSend", c.answer);
        auto s = throughService();
        const MmsSubmitResult result = run(*s, request(Mobiles(1)));
        ASSERT_EQ(m_main->calls("qxMmsSend").size(), 1u);
        EXPECT_EQ(rows("SELECT count,isFail FROM sendInfo"), std::vector<std::string>{c.info});
        EXPECT_EQ(rows("SELECT IFNULL(status,'-') FROM sendNums"), std::vector<std::string>{c.status});
        EXPECT_EQ(MmsSubmitEndMessage(result).text, c.message ? Q(c.message) : unknownText);
    }
}

TEST_F(MmsSubmit, WhatReachesTheServiceDecodesToTheFrames) {
    const QByteArray picture = QByteArray("\xFF\xD8 picture ", 11).repeated(30);
    const QByteArray sound = QByteArray("#!AMR sound").repeated(12);
    const QString pic = writeFile(QStringLiteral("pics/a.jpg"), picture);
    const QString snd = writeFile(QStringLiteral("pics/b.amr"), sound);
    auto s = throughService();
    const MmsSubmitResult result =
        run(*s, request({Mobiles(1)[0], SmsRecipient{20085212345678LL, "0085212345678", QString()}},
                        {{QString(), pic, snd, Q("第一帧")}, {QString(), QString(), QString(), Q("二")}}));
    EXPECT_EQ(result.sentCount, 2);
    const auto calls = m_main->calls("qxMmsSend");
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(*calls[0].field("title"), "标题");
    EXPECT_EQ(*calls[0].field("mobile"), "13800000000,0085212345678"); // both zeros kept
    EXPECT_EQ(*calls[0].field("sn"), kSerial);
    EXPECT_EQ(*calls[0].field("pwd"), digest());
    const auto parts = ContentParts(*calls[0].field("content"));
    ASSERT_EQ(parts.size(), 4u);
    EXPECT_EQ(parts[0].first, "1_2.jpg");
    EXPECT_EQ(parts[0].second, picture);
    EXPECT_EQ(parts[1].first, "1_3.amr");
    EXPECT_EQ(parts[1].second, sound);
    EXPECT_EQ(parts[2].first, "1_1.txt");
    EXPECT_EQ(parts[2].second, Q("第一帧").toUtf8());
    EXPECT_EQ(parts[3].first, "2_1.txt");
    EXPECT_EQ(parts[3].second, Q("二").toUtf8());
    EXPECT_EQ(rows("SELECT numOrMailAddr FROM sendNums ORDER BY rowid"),
              (std::vector<std::string>{"13800000000", "0085212345678"}));
}

TEST_F(MmsSubmit, AFailedBatchPausesOnATimerThenTheRestGoOn) {
    setBatchSize(2);
    QElapsedTimer clock;
    std::vector<qint64> at;
    auto s = inProcess([&](const MmsSendCall&, int index) {
        at.push_back(clock.elapsed());
        return MmsSendAnswer{index == 0 ? -1 : 0, CallOutcome::Answered};
    });
    s->SetFailurePauseMs(400);
    int ticks = 0;
    QTimer gui;
    QObject::connect(&gui, &QTimer::timeout, [&] { ++ticks; });
    gui.start(20);
    clock.start();
    const MmsSubmitResult result = run(*s, request(Mobiles(5)));
    ASSERT_EQ(at.size(), 3u);
    EXPECT_GE(at[1] - at[0], 400); // the pause after the failure
    EXPECT_LT(at[2] - at[1], 300); // none after a success
    EXPECT_GE(ticks, 10);          // the GUI thread ran meanwhile
    EXPECT_EQ(result.failedCount, 2);
    EXPECT_EQ(result.sentCount, 3);
    EXPECT_EQ(rows("SELECT count,isFail FROM sendInfo ORDER BY sendID"),
              (std::vector<std::string>{"6|1", "6|0", "3|0"}));
    EXPECT_EQ(MmsSubmitEndMessage(result).text, Q("部分或全部发送失败,请到彩信发送失败记录里重发!"));
}

TEST_F(MmsSubmit, HeldThenClosedStaysUnknownWhileTheWindowLives) {
    m_main->script("qxMmsSend", LoopbackAnswer::Held());
    auto s = throughService();
    const auto ending = watch(*s);
    ASSERT_EQ(s->Start(request(Mobiles(3))), MmsStartResult::Started);
    // Pending on record before the answer, and a GUI timer fires while held.
    ASSERT_TRUE(m_main->waitForHeld());
    EXPECT_EQ(rows("SELECT count,isFail FROM sendInfo"), std::vector<std::string>{"0|0"});
    int ticks = 0;
    QTimer gui;
    QObject::connect(&gui, &QTimer::timeout, [&] { ++ticks; });
    gui.start(10);
    EXPECT_TRUE(WaitUntil([&] { return ticks >= 5; }));
    EXPECT_TRUE(s->IsBusy());
    EXPECT_EQ(s->Start(request(Mobiles(1))), MmsStartResult::Busy);
    // The service goes away with the request: no answer is ever read.
    m_main.reset();
    ASSERT_TRUE(ending->wait());
    const MmsSubmitResult& result = ending->result;
    EXPECT_EQ(result.unknownCount, 3);
    EXPECT_EQ(rows("SELECT count,isFail FROM sendInfo"), std::vector<std::string>{"0|0"});
    EXPECT_EQ(rows("SELECT DISTINCT status FROM sendNums"), std::vector<std::string>{"未知"});
    EXPECT_EQ(MmsSubmitEndMessage(result).text,
              Q("有3个号码未收到服务应答，发送结果未知，请核对后再决定是否重发。"));
}

TEST_F(MmsSubmit, TransportEndsDecideBetweenFailedAndUnknown) {
    // A peer that reads the request and closes: unknown. A closed port: not sent.
    RawHttpPeer peer;
    peer.setReply(RawHttpReply{});
    struct Case {
        std::string endpoint;
        const char* info;
    };
    const Case cases[] = {{peer.url(), "0|0"}, {ClosedEndpoint(), "3|1"}};
    for (const Case& c : cases) {
        ASSERT_EQ(ExecSql(nullptr, g_pDB, "DELETE FROM sendInfo"), 0);
        auto sender = std::make_unique<ServiceMmsSender>();
        sender->client().SetEndpoint(c.endpoint.c_str());
        sender->client().SetTimeoutCap(10);
        MmsSubmission s(std::move(sender));
        run(s, request(Mobiles(1)));
        EXPECT_EQ(rows("SELECT count,isFail FROM sendInfo"), std::vector<std::string>{c.info}) << c.endpoint;
    }
}

TEST_F(MmsSubmit, TheChannelServerOfExtAddress1) {
    const QString ini = m_folder->file("ServerInfo.ini");
    const std::string url = m_backup->url("/mms.asmx");
    const QString hostPort = QStringLiteral("127.0.0.1:%1").arg(m_backup->port());
    struct Case {
        QString address;
        LoopbackMessagingService* reached;
        const char* path;
    };
    const Case cases[] = {
        {QString::fromStdString(url), m_backup.get(), "/mms.asmx"},
        {hostPort, m_backup.get(), "/webservice.asmx"},
        {QString(), m_main.get(), "/webservice.asmx"}, // none: the configured endpoint
    };
    for (const Case& c : cases) {
        m_main->clear();
        m_backup->clear();
        ini::WriteString(ini, "ExtServerAddress", "ExtAddress1", c.address);
        auto s = std::make_unique<MmsSubmission>(std::make_unique<ServiceMmsSender>());
        const MmsSubmitResult result = run(*s, request(Mobiles(1)));
        EXPECT_EQ(result.sentCount, 1) << c.address.toStdString();
        const auto calls = c.reached->calls("qxMmsSend");
        ASSERT_EQ(calls.size(), 1u) << c.address.toStdString();
        EXPECT_EQ(calls[0].path, c.path);
    }
}

TEST_F(MmsSubmit, FilesAreCheckedOnceBeforeAnythingIsRecorded) {
    const QString big = writeFile(QStringLiteral("big.jpg"), QByteArray(60000, 'x'));
    const QString small = writeFile(QStringLiteral("small.jpg"), QByteArray(30000, 'x'));
    const QString sound = writeFile(QStringLiteral("s.amr"), QByteArray(30000, 's'));
    const QString missing = m_folder->file("missing.jpg");
    struct Case {
        std::vector<MMSCONTENT> frames;
        const char* message;
    };
    const Case cases[] = {
        {{{QString(), QString(), QString(), Q("a")}, {QString(), missing, QString(), QString()}},
         "第2帧图片文件打开失败"},
        {{{QString(), big, QString(), QString()}}, "第1帧图片大小超过50K"},
        {{{QString(), QString(), missing, QString()}}, "第1帧声音文件打开失败"},
        {{{QString(), QString(), big, QString()}}, "第1帧声音文件大小超过50K"},
        {{{QString(), small, sound, QString()}}, "本条彩信超过50K"},
    };
    for (const Case& c : cases) {
        m_boxes->clear();
        auto s = inProcess();
        EXPECT_EQ(s->Start(request(Mobiles(3000), c.frames)), MmsStartResult::FileProblem) << c.message;
        EXPECT_EQ(m_boxes->texts(), QStringList{Q(c.message)});
        EXPECT_FALSE(s->IsBusy());
    }
    EXPECT_TRUE(m_sent->all().empty());
    EXPECT_EQ(QueryScalar(g_pDB, "SELECT COUNT(*) FROM sendInfo"), 0);
    EXPECT_EQ(QueryScalar(g_pDB, "SELECT COUNT(*) FROM sendNums"), 0);
}

TEST_F(MmsSubmit, PersonalisedOneCallAndRecordPerNumber) {
    ASSERT_EQ(ExecSql(nullptr, g_pDB,
                      "INSERT INTO ContactList (name,mobileNum,mark,isDeleted,perNO,groupID) VALUES "
                      "('张三','13800000000','12.0',0,1,0),('李四','13800000001','7.5',0,2,0),"
                      "('王五','13800000002','3.0',0,3,0)"),
              0);
    writeFile(QStringLiteral("pics/张三.jpg"), QByteArray(100, 'a'));
    writeFile(QStringLiteral("pics/王五.jpg"), QByteArray(100, 'c'));
    const QString picture = m_folder->file("pics/<%姓名%>.jpg");
    auto s = inProcess();
    m_boxes->clear();
    const MmsSubmitResult result = run(*s, [&] {
        MmsSubmitRequest r =
            request(Mobiles(4), {{QString(), picture, QString(), Q("<%姓名%>您好，积分<%备注%>")},
                                 {QString(), QString(), QString(), Q("第二帧 <%姓名%>")}});
        r.personalised = true;
        return r;
    }());
    // 李四 has no picture: recorded failed without a call, the box shown once;
    // 13800000003 is nobody: empty values, and its picture path is missing too.
    const auto calls = m_sent->all();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].numbers, "13800000000");
    EXPECT_EQ(calls[0].frames[0].text, Q("张三您好，积分12"));
    EXPECT_EQ(calls[0].frames[0].picturePath, m_folder->file("pics/张三.jpg"));
    EXPECT_EQ(calls[0].frames[1].text, Q("第二帧 张三"));
    EXPECT_EQ(calls[1].numbers, "13800000002");
    EXPECT_EQ(calls[1].frames[0].text, Q("王五您好，积分3"));
    EXPECT_EQ(m_boxes->texts(), QStringList{Q("第1帧图片文件打开失败")});
    EXPECT_EQ(result.sentCount, 2);
    EXPECT_EQ(result.failedCount, 2);
    EXPECT_EQ(rows("SELECT n.numOrMailAddr,i.count,i.isFail FROM sendInfo i JOIN sendNums n ON "
                   "n.sendID=i.sendID ORDER BY i.sendID"),
              (std::vector<std::string>{"13800000000|3|0", "13800000001|3|1", "13800000002|3|0",
                                        "13800000003|3|1"}));
    // Each record keeps its own filled frames.
    EXPECT_EQ(
        rows("SELECT a.txtContent FROM attachmentContent a JOIN sendNums n ON n.sendID=a.sendID "
             "WHERE a.sendIDChildID='1' ORDER BY a.sendID"),
        (std::vector<std::string>{"张三您好，积分12", "李四您好，积分7.5", "王五您好，积分3", "您好，积分"}));
}

TEST_F(MmsSubmit, StopLetsTheBatchInFlightFinishAndRecordsTheRestFailed) {
    setBatchSize(2);
    m_main->scriptOnce("qxMmsSend", LoopbackAnswer::Held());
    auto s = throughService();
    const auto ending = watch(*s);
    ASSERT_EQ(s->Start(request(Mobiles(7))), MmsStartResult::Started);
    ASSERT_TRUE(m_main->waitForHeld());
    s->RequestStop();
    m_main->release();
    ASSERT_TRUE(ending->wait());
    const MmsSubmitResult& result = ending->result;
    EXPECT_EQ(m_main->calls("qxMmsSend").size(), 1u);
    EXPECT_TRUE(result.stoppedByRequest);
    EXPECT_EQ(result.sentCount, 2);
    EXPECT_EQ(result.failedCount, 5);
    EXPECT_EQ(rows("SELECT count,isFail FROM sendInfo ORDER BY sendID"),
              (std::vector<std::string>{"6|0", "6|1", "6|1", "3|1"}));
    EXPECT_EQ(QueryScalar(g_pDB, "SELECT COUNT(*) FROM sendNums WHERE status IS NOT NULL"), 0);
}

TEST_F(MmsSubmit, TheStoredRecordIsReplacedOnceAtTheEnd) {
    setBatchSize(2);
    // The stored record: one sendInfo row, its number and two frames.
    ASSERT_EQ(
        ExecSql(
            nullptr, g_pDB,
            "INSERT INTO sendInfo (content,count,isDraft,isFail,sendID,sendType) VALUES ('old',3,0,1,77,4);"
            "INSERT INTO sendNums (sendID,numOrMailAddr) VALUES (77,'13900000000');"
            "INSERT INTO attachmentContent (sendID,sendIDChildID,txtContent) VALUES "
            "(77,'1','a'),(77,'2','b');"),
        0);
    std::vector<std::string> during;
    auto s = inProcess();
    QObject::connect(s.get(), &MmsSubmission::progress, [&] {
        during.push_back(
            std::to_string(QueryScalar(g_pDB, "SELECT COUNT(*) FROM attachmentContent WHERE sendID=77")));
    });
    MmsSubmitRequest r = request(Mobiles(5));
    r.replaceId = 77;
    const MmsSubmitResult result = run(*s, r);
    // Whole after each earlier batch's outcome, gone with the last one.
    EXPECT_EQ(during, (std::vector<std::string>{"2", "2", "0"}));
    EXPECT_TRUE(result.replaced);
    for (const char* table : {"sendInfo", "sendNums", "attachmentContent"})
        EXPECT_EQ(QueryScalar(g_pDB, std::string("SELECT COUNT(*) FROM ") + table + " WHERE sendID=77"), 0)
            << table;
    EXPECT_EQ(QueryScalar(g_pDB, "SELECT COUNT(*) FROM sendInfo"), 3);
    EXPECT_EQ(result.lastSendId, QueryScalar(g_pDB, "SELECT MAX(sendID) FROM sendInfo"));
}

TEST_F(MmsSubmit, AFailedPendingWriteStopsBeforeTheCall) {
    ASSERT_EQ(
        ExecSql(
            nullptr, g_pDB,
            "CREATE TRIGGER fail BEFORE INSERT ON attachmentContent BEGIN SELECT RAISE(ABORT,'no'); END;"),
        0);
    auto s = inProcess();
    const MmsSubmitResult result = run(*s, request(Mobiles(3)));
    EXPECT_TRUE(result.stoppedByWriteFailure);
    EXPECT_TRUE(m_sent->all().empty());
    EXPECT_EQ(QueryScalar(g_pDB, "SELECT COUNT(*) FROM sendInfo"), 0);
    EXPECT_EQ(m_boxes->texts(), QStringList{Q("保存彩信附件记录出错了")});
    EXPECT_EQ(MmsSubmitEndMessage(result).text, Q("部分或全部发送失败,请到彩信发送失败记录里重发!"));
}

// The size text counts the texts' code page 936 bytes and the files' sizes;
// the send check counts the files only, the preview the texts as well.
TEST_F(MmsSubmit, SizesCountCodePage936BytesAndFileSizes) {
    const QString pic = writeFile(QStringLiteral("p.jpg"), QByteArray(2000, 'p'));
    const std::vector<MMSCONTENT> frames = {
        {QString(), pic, m_folder->file("missing.amr"), Q("ab中文😀")}, // 2 + 4 + 1 ("?")
        {QString(), QString(), QString(), QString(QChar(u'字')).repeated(10000)},
    };
    EXPECT_EQ(MmsSizeBytes(frames), 2000 + 7 + 20000);
    EXPECT_EQ(MmsSizeText(frames), Q("22007字节,约21KB"));
    EXPECT_EQ(MmsSizeText({}), Q("0字节,约0KB"));

    const std::vector<MMSCONTENT> near = {{QString(), pic, QString(), Q("中文")}};
    EXPECT_TRUE(CheckMmsFiles(near, 2002, false).problems.empty());
    EXPECT_EQ(CheckMmsFiles(near, 2003, true).problems, std::vector<QString>{Q("本条彩信超过1K")});
    EXPECT_EQ(CheckMmsFiles(near, 2004, true).totalBytes, 2004);
}

// The process dies while the service holds batch 2: batch 1 stays sent,
// batch 2 stays "未知", and the database is sound.
TEST_F(MmsSubmit, KilledWhileTheServiceHoldsTheSecondBatch) {
    m_main->scriptOnce("qxMmsSend", LoopbackAnswer::Text("20260305001"));
    m_main->scriptOnce("qxMmsSend", LoopbackAnswer::Held());
    QProcess driver;
    driver.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    driver.start(
        QStringLiteral(CORVELANE_MMS_SUBMIT_DRIVER),
        {m_folder->path(), QString::fromStdString(m_main->url()), QStringLiteral("4"), QStringLiteral("2")});
    ASSERT_TRUE(driver.waitForStarted());
    ASSERT_TRUE(m_main->waitForHeld(TimeBoundMs(30000)));
    EXPECT_EQ(m_main->calls("qxMmsSend").size(), 2u);
    driver.kill(); // SIGKILL
    ASSERT_TRUE(driver.waitForFinished(TimeBoundMs(10000)));
    EXPECT_EQ(driver.exitStatus(), QProcess::CrashExit);
    EXPECT_FALSE(driver.readAllStandardOutput().contains("finished"));

    sqlite3* db = OpenConnection(SystemDatabasePath());
    ASSERT_NE(db, nullptr);
    EXPECT_EQ(QueryRows(db, "PRAGMA quick_check"), std::vector<std::string>{"ok"});
    EXPECT_EQ(QueryRows(db, "SELECT i.count,i.isFail,n.numOrMailAddr,IFNULL(n.status,'-') FROM sendInfo i "
                            "JOIN sendNums n ON n.sendID=i.sendID ORDER BY n.rowid"),
              (std::vector<std::string>{"6|0|13800000000|-", "6|0|13800000001|-", "0|0|13800000002|未知",
                                        "0|0|13800000003|未知"}));
    EXPECT_EQ(QueryScalar(db, "SELECT COUNT(*) FROM attachmentContent"), 2);
    CloseConnection(db);
}

} // namespace
