// The receive job against the loopback messaging service and a real
// database: the receive window, storing a batch, unsubscribing, the
// interactive rules, the automatic reply and forward, and their records.
#include "automation/received_traffic.h"
#include "service/web_service_client.h"

#include "core/database.h"
#include "core/helpers.h"
#include "core/sql.h"
#include "platform/encoding.h"
#include "platform/worker_thread.h"
#include "tests/support/contacts_fixture.h"
#include "tests/support/raw_http_peer.h"
#include "tests/support/service_fixture.h"
#include "tests/support/test_helpers.h"

#include <QDateTime>
#include <QTimer>
#include <gtest/gtest.h>

#include <mutex>

using namespace std::chrono_literals;

namespace {

constexpr const char* kServiceNumber = "10690000";

QString Q(const char* utf8) {
    return QString::fromUtf8(utf8);
}

int Count(const std::string& sql) {
    SqlStatement st(g_pDB, sql);
    return st.step() == SQLITE_ROW ? static_cast<int>(st.int64(0)) : -1;
}

// One record of a "mo" answer as the service writes it: id, receiving
// number, sender, the text as percent-encoded code page 936, send time.
std::string MoRecord(const std::string& id, const std::string& recvNum, const std::string& sender,
                     const char* textUtf8, const std::string& time) {
    return id + "," + recvNum + "," + sender + "," + UrlEncode(enc::ToGbk(QString::fromUtf8(textUtf8))) +
           "," + time;
}

std::string MoAnswer(const std::vector<std::string>& records) {
    std::string out;
    for (const std::string& r : records)
        out += (out.empty() ? "" : "\r\n") + r;
    return out;
}

RECV_MSG Msg(const char* id, const char* sender, const char* text, const char* time = "2026-12-10 10:00:00",
             const char* recvNum = "10690000") {
    return RECV_MSG{Q(id), Q(sender), Q(text), Q(time), Q(recvNum)};
}

class RecordingSink : public ReceiveJobSink {
public:
    void SetStatusText(const QString& text) override {
        std::lock_guard lock(m_mutex);
        statuses << text;
    }
    void NothingToReceive() override {
        std::lock_guard lock(m_mutex);
        ++nothing;
    }
    void BatchStored(bool manual, const QString& filter) override {
        std::lock_guard lock(m_mutex);
        stored << QStringLiteral("%1|%2").arg(manual ? 1 : 0).arg(filter);
    }
    std::mutex m_mutex;
    QStringList statuses;
    int nothing = 0;
    QStringList stored;
};

class ReceiveJobTest : public ServiceTest {
protected:
    void SetUp() override {
        ServiceTest::SetUp();
        LoadContactsFixture();
        m_in.serial = serial();
        m_in.password = password();
        m_in.serviceNumber = QString::fromLatin1(kServiceNumber);
        m_in.signature = Q("示例公司");
        m_in.settings.assign(10, SYSSETTING{});
        m_in.databasePath = SystemDatabasePath();
    }

    std::unique_ptr<ReceivedTraffic> job(bool manual = false) {
        m_state = std::make_shared<ReceiveJobState>();
        m_state->manual = manual;
        return std::make_unique<ReceivedTraffic>(m_in, g_pDB, &m_sink, m_state);
    }
    void receive(const std::vector<std::string>& records, bool manual = false) {
        m_main->scriptOnce("mo", LoopbackAnswer::Text(MoAnswer(records)));
        job(manual)->Run();
    }
    void addRule(const char* name, const char* content, const std::string& sqlDes) {
        SqlStatement st(g_pDB, "INSERT INTO interactiveMsgSql (recID,name,content,sqlDes) VALUES (?,?,?,?)");
        st.bind(1, static_cast<int64_t>(Count("SELECT COUNT(*) FROM interactiveMsgSql") + 1))
            .bind(2, name)
            .bind(3, content)
            .bind(4, sqlDes);
        ASSERT_EQ(st.exec(), SQLITE_OK);
    }
    std::vector<LoopbackCall> sends() const {
        std::vector<LoopbackCall> out;
        for (const LoopbackCall& c : m_main->calls())
            if (c.operation != "mo")
                out.push_back(c);
        return out;
    }

    ReceiveJobInputs m_in;
    RecordingSink m_sink;
    std::shared_ptr<ReceiveJobState> m_state;
};

const std::string kContactCount = "SELECT COUNT(*) FROM ContactList";

using ReceivedTrafficJob = ReceiveJobTest;
using InteractiveRules = ReceiveJobTest;
using AutoReplyForward = ReceiveJobTest;

} // namespace

// ---- the receive window ------------------------------------------------------------

TEST(ReceiveWindow, PeriodBoundsMidnightAndWeekends) {
    struct Case {
        const char* start;
        const char* end;
        bool skipWeekend;
        const char* when; // "yyyy-MM-dd HH:mm:ss"; 2026-12-11 is a Friday
        bool allowed;
    };
    const Case cases[] = {
        {"22:00:00", "07:00:00", false, "2026-12-11 22:00:00", true},
        {"22:00:00", "07:00:00", false, "2026-12-11 22:00:01", false},
        {"22:00:00", "07:00:00", false, "2026-12-11 00:00:00", false},
        {"22:00:00", "07:00:00", false, "2026-12-11 06:59:59", false},
        {"22:00:00", "07:00:00", false, "2026-12-11 07:00:00", true},
        {"22:00:00", "07:00:00", false, "2026-12-11 12:00:00", true},
        {"12:00:00", "13:30:00", false, "2026-12-11 12:00:00", true},
        {"12:00:00", "13:30:00", false, "2026-12-11 12:45:10", false},
        {"12:00:00", "13:30:00", false, "2026-12-11 13:30:00", true},
        {"12:00:00", "13:30:00", false, "2026-12-11 23:59:59", true},
        {"", "", false, "2026-12-11 03:00:00", true},
        {"", "", true, "2026-12-12 10:00:00", false}, // Saturday
        {"", "", true, "2026-12-13 10:00:00", false}, // Sunday
        {"", "", true, "2026-12-14 10:00:00", true},  // Monday
        {"", "", false, "2026-12-12 10:00:00", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.start) + "-" + c.end + " at " + c.when);
        ReceiveWindow w{c.skipWeekend, Q(c.start), Q(c.end)};
        const QDateTime now = QDateTime::fromString(Q(c.when), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        ASSERT_TRUE(now.isValid());
        EXPECT_EQ(IsInReceiveWindow(w, now), c.allowed);
    }
}

TEST(ReceiveWindow, PiecesOfAReceivedMessage) {
    struct TimeCase {
        const char* in;
        const char* out; // null: no time
    };
    for (const TimeCase& c :
         {TimeCase{"2026-12-10 9:5:3", "2026-12-10 09:05:03"},
          TimeCase{"2026/1/2 10:00", "2026-01-02 10:00:00"},
          TimeCase{"2026-12-10T23:59:59", "2026-12-10 23:59:59"},
          TimeCase{"2026-12-10 10:00:00.123", "2026-12-10 10:00:00"},
          TimeCase{"2026-02-30 10:00:00", nullptr}, TimeCase{"2026-12-10 24:00:00", nullptr},
          TimeCase{"yesterday", nullptr}, TimeCase{"", nullptr}}) {
        SCOPED_TRACE(c.in);
        const std::optional<QString> t = NormalizeSendTime(Q(c.in));
        ASSERT_EQ(t.has_value(), c.out != nullptr);
        if (c.out) {
            EXPECT_EQ(*t, Q(c.out));
        }
    }
    struct SubCase {
        const char* recv;
        const char* service;
        int number;
        const char* ext;
    };
    for (const SubCase& c :
         {SubCase{"10690000", "10690000", -1, "0"}, SubCase{"106900005", "10690000", 5, "5"},
          SubCase{"1069000001", "10690000", 1, "01"}, SubCase{"10690000ab", "10690000", -1, "0"},
          SubCase{"10690000123456", "10690000", -1, "0"}, SubCase{"1069", "10690000", -1, "0"},
          SubCase{"106900009", "", -1, "0"}, SubCase{"42", "", 42, "42"}}) {
        SCOPED_TRACE(std::string(c.recv) + " / " + c.service);
        EXPECT_EQ(SendReceiveNumber(Q(c.recv), Q(c.service)), c.number);
        EXPECT_EQ(ForwardExtension(Q(c.recv), Q(c.service)), Q(c.ext));
    }
}

// ---- receiving ------------------------------------------------------------------------

TEST_F(ReceivedTrafficJob, StoresTheBatchAsReceived) {
    const int contacts = Count(kContactCount);
    receive(
        {MoRecord("1001", "106900005", "13800000001", "你好", "2026-12-10 9:5:3"),
         MoRecord("1002", "10690000", "13900000009", "it's 'quoted'", "2026/12/10 10:00"),
         MoRecord("1003", "10690000ab", "13900000008", "junk tail", "2026-12-10T10:01:00"),
         MoRecord("abc", "10690000", "13900000007", "text id", "yesterday"),
         MoRecord("123456789012345678901234567890", "1069", "13900000006", "long id", "2026-12-10 10:02:00"),
         MoRecord("1006", "10690000", "'; DELETE FROM ContactList; --", "hostile", "2026-12-10 10:03:00")});
    EXPECT_EQ(m_main->calls().front().fields.at("pwd"), digest());
    EXPECT_EQ(QueryRows(g_pDB, "SELECT typeof(receiveID),receiveID,sendNum,msgContent,sendTime,name,coName,"
                               "send_receive_Num FROM receivedMSGRecord ORDER BY rowid"),
              (std::vector<std::string>{
                  "integer|1001|13800000001|你好|2026-12-10 09:05:03|张三||5",
                  "integer|1002|13900000009|it's 'quoted'|2026-12-10 10:00:00|||-1",
                  "integer|1003|13900000008|junk tail|2026-12-10 10:01:00|||-1",
                  "text|abc|13900000007|text id|yesterday|||-1",
                  // The column's integer affinity keeps only a real number of
                  // an id too long for 64 bits; the log keeps the id itself.
                  "real|1.23456789012346e+29|13900000006|long id|2026-12-10 10:02:00|||-1",
                  "integer|1006|'; DELETE FROM ContactList; --|hostile|2026-12-10 10:03:00|||-1",
              }));
    EXPECT_EQ(Count(kContactCount), contacts);
    EXPECT_EQ(m_sink.stored, QStringList{QStringLiteral("0|")});
    EXPECT_TRUE(runLog().contains(QStringLiteral("bound as text: abc")));
    EXPECT_TRUE(runLog().contains(QStringLiteral("bound as text: 123456789012345678901234567890")));
}

TEST_F(ReceivedTrafficJob, SinceIsTheEarliestValidTime) {
    auto j = job();
    j->StoreBatch({Msg("1", "13900000001", "a", "2026-12-10 10:00:05"),
                   Msg("2", "13900000002", "b", "not a time"),
                   Msg("3", "13900000003", "c", "2026-12-10 9:59:59")});
    EXPECT_EQ(j->interactiveSince(), QStringLiteral("2026-12-10 09:59:59"));
    EXPECT_EQ(j->storedRowids().size(), 3u);
}

TEST_F(ReceivedTrafficJob, NothingWaiting) {
    struct Case {
        const char* what;
        std::string answer;
        bool manual;
        int boxes;
        bool countLine;
    };
    const Case cases[] = {
        {"nothing, manual", "1", true, 1, false},
        {"nothing, timer", "1", false, 0, false},
        {"refused, manual", "-2", true, 1, false},
        {"short record", "1,2,3", true, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        m_sink.nothing = 0;
        m_sink.stored.clear();
        receive({c.answer}, c.manual);
        EXPECT_EQ(m_sink.nothing, c.boxes);
        EXPECT_TRUE(m_sink.stored.isEmpty());
        EXPECT_EQ(logLines().count(QStringLiteral("ERROR,处理接收短信出错！caRevevieMSG.GetCount =0")),
                  c.countLine ? 1 : 0);
    }
    EXPECT_EQ(Count("SELECT COUNT(*) FROM receivedMSGRecord"), 0);
}

TEST_F(ReceivedTrafficJob, ManualBatchSelectsTheNodeWithTheSavedFilter) {
    m_in.show.showSome = true;
    m_in.show.sql =
        QStringLiteral(" AND sendNum like '138%'") + QString(120, QLatin1Char(' ')) + QStringLiteral("--end");
    receive({MoRecord("1", "10690000", "13800000001", "x", "2026-12-10 10:00:00")}, true);
    EXPECT_EQ(m_sink.stored, QStringList{QStringLiteral("1|") + m_in.show.sql});
}

TEST_F(ReceivedTrafficJob, AMessageThatCannotBeStoredIsLoggedWhole) {
    ASSERT_EQ(
        ExecSql(
            nullptr, g_pDB,
            "CREATE TRIGGER fail_received BEFORE INSERT ON receivedMSGRecord WHEN NEW.sendNum='13900000004' "
            "BEGIN SELECT RAISE(ABORT, 'refused'); END;"),
        SQLITE_OK);
    receive({MoRecord("1", "10690000", "13900000003", "kept", "2026-12-10 10:00:00"),
             MoRecord("2", "10690000", "13900000004", "lost, but logged", "2026-12-10 10:00:01")});
    EXPECT_EQ(QueryRows(g_pDB, "SELECT receiveID FROM receivedMSGRecord"), std::vector<std::string>{"1"});
    const QStringList lines = logLines();
    const int at = lines.indexOf(QStringLiteral("收短信时插入数据库时出错了"));
    ASSERT_GE(at, 0);
    ASSERT_LT(at + 1, lines.size());
    EXPECT_EQ(lines[at + 1],
              Q("receiveID=2,sendNum=13900000004,recvNum=10690000,sendTime=2026-12-10 10:00:01,"
                "msgContent=lost, but logged"));
}

// ---- unsubscribing ---------------------------------------------------------------------

TEST_F(ReceivedTrafficJob, Unsubscribe) {
    struct Case {
        const char* what;
        const char* keyword;
        const char* sender;
        const char* text;
        std::vector<std::string> removed; // numbers no longer in ContactList
    };
    const Case cases[] = {
        {"inside a longer text", "TD", "13800000001", "请TD我，谢谢", {"13800000001"}},
        {"case differs", "TD", "13800000001", "请td我", {}},
        {"empty keyword", "", "13800000001", "TD", {}},
        {"hostile sender", "TD", "' OR 1=1 --", "TD", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        LoadContactsFixture();
        ExecSql(nullptr, g_pDB, "DELETE FROM receivedMSGRecord");
        m_in.tdContact = Q(c.keyword);
        const int before = Count(kContactCount);
        job()->Unsubscribe({Msg("1", c.sender, c.text)});
        int removedRows = 0;
        for (const std::string& n : c.removed) {
            EXPECT_EQ(Count("SELECT COUNT(*) FROM ContactList WHERE mobileNum='" + n + "'"), 0);
            removedRows += 2; // 张三 is in two groups
        }
        EXPECT_EQ(Count(kContactCount), before - removedRows);
        EXPECT_EQ(Count("SELECT COUNT(*) FROM ContactList WHERE mobileNum='13800000002'"), 3);
    }
}

TEST_F(ReceivedTrafficJob, UnsubscribedMessageStaysStored) {
    m_in.tdContact = QStringLiteral("TD");
    receive({MoRecord("7", "10690000", "13800000001", "回复TD退订", "2026-12-10 10:00:00")});
    EXPECT_EQ(Count("SELECT COUNT(*) FROM ContactList WHERE mobileNum='13800000001'"), 0);
    EXPECT_EQ(QueryRows(g_pDB, "SELECT msgContent,name FROM receivedMSGRecord"),
              std::vector<std::string>{"回复TD退订|张三"});
}

// ---- the interactive rules ------------------------------------------------------------

const std::string kRuleAbc = "select sendNum from receivedMSGRecord\twhere 1=1  AND msgContent like '%ABC%' ";

TEST_F(InteractiveRules, NoMatchSendsNothing) {
    addRule("r", "reply", kRuleAbc);
    receive({MoRecord("1", "10690000", "13900000001", "xyz", "2026-12-10 10:00:00")});
    EXPECT_TRUE(sends().empty());
    EXPECT_EQ(Count("SELECT COUNT(*) FROM sendInfo"), 0);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM sendNums"), 0);
    EXPECT_TRUE(logLines().contains(QStringLiteral("正在处理互动短信...")));
    EXPECT_EQ(m_sink.statuses, (QStringList{QStringLiteral("正在处理互动短信..."), QString()}));
}

TEST_F(InteractiveRules, OneSendToThreeNumbers) {
    addRule("r", "谢谢您的回复", kRuleAbc);
    m_main->script("qxSmsSend", LoopbackAnswer::Text("20261210777"));
    receive({MoRecord("1", "10690000", "13900000001", "ABC", "2026-12-10 10:00:00"),
             MoRecord("2", "10690000", "13900000002", "xxABCxx", "2026-12-10 10:00:01"),
             MoRecord("3", "10690000", "13900000003", "AB C", "2026-12-10 10:00:02"),
             MoRecord("4", "10690000", "13900000004", "1ABC", "2026-12-10 10:00:03")});
    const auto calls = sends();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].operation, "qxSmsSend");
    EXPECT_EQ(calls[0].field("mobile"), "13900000001,13900000002,13900000004");
    EXPECT_EQ(calls[0].field("content"), "谢谢您的回复");
    EXPECT_EQ(
        QueryRows(g_pDB, "SELECT numOrMailAddr,rrid,IFNULL(status,'<null>') FROM sendNums ORDER BY rowid"),
        (std::vector<std::string>{"13900000001|20261210777|<null>", "13900000002|20261210777|<null>",
                                  "13900000004|20261210777|<null>"}));
    EXPECT_EQ(QueryRows(g_pDB, "SELECT content,count,isFail,sendType,isDraft FROM sendInfo"),
              std::vector<std::string>{"谢谢您的回复|3|0|1|0"});
    EXPECT_EQ(Count("SELECT COUNT(DISTINCT sendID) FROM sendNums"), 1);
}

TEST_F(InteractiveRules, PersonalisedRepliesGoThroughGxmt) {
    addRule("p", "<%姓名%>，您好", kRuleAbc);
    receive({MoRecord("1", "10690000", "13800000001", "ABC", "2026-12-10 10:00:00"),
             MoRecord("2", "10690000", "13800000002", "ABC", "2026-12-10 10:00:01"),
             MoRecord("3", "10690000", "13900000009", "ABC", "2026-12-10 10:00:02")});
    const auto calls = sends();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].operation, "gxmt");
    EXPECT_EQ(calls[0].field("mobile"), "13800000001,13800000002,13900000009");
    const auto encoded = [](const char* text) { return UrlEncode(enc::ToGbk(Q(text))); };
    EXPECT_EQ(calls[0].field("content"),
              encoded("张三，您好") + "," + encoded("李四，您好") + "," + encoded("，您好"));
    EXPECT_EQ(QueryRows(g_pDB, "SELECT content,count FROM sendInfo ORDER BY sendID"),
              (std::vector<std::string>{"张三，您好|1", "李四，您好|1", "，您好|1"}));
    EXPECT_EQ(Count("SELECT COUNT(DISTINCT sendID) FROM sendNums"), 3);
}

TEST_F(InteractiveRules, ContactFormAndQuotedValue) {
    // The form with a contact condition, and a value holding a quote as the
    // rules dialog stores it (the quote doubled inside the literal).
    addRule("c", "reply",
            "select sendNum from receivedMSGRecord\twhere 1=1  AND msgContent like '%it''s%'  and sendNum in "
            "\t\t\t\t\t\t\t( select distinct mobileNum  from ContactList where 1=1  AND name like '%张%' )");
    receive({MoRecord("1", "10690000", "13800000001", "it's me", "2026-12-10 10:00:00"),
             MoRecord("2", "10690000", "13800000002", "it's me", "2026-12-10 10:00:01"),
             MoRecord("3", "10690000", "13800000001", "its me", "2026-12-10 10:00:02")});
    const auto calls = sends();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].field("mobile"), "13800000001");
}

TEST_F(InteractiveRules, ThatCouldChangeDataAreRefused) {
    const int contacts = Count(kContactCount);
    addRule("a", "r1", "select sendNum from receivedMSGRecord; delete from ContactList");
    addRule("b", "r2", "UPDATE ContactList SET name='x' WHERE 1=1");
    addRule("c", "r3", "select sendNum from receivedMSGRecord where 1=1");
    receive({MoRecord("1", "10690000", "13900000001", "hi", "2026-12-10 10:00:00")});
    EXPECT_EQ(Count(kContactCount), contacts);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM ContactList WHERE name='x'"), 0);
    const auto calls = sends();
    ASSERT_EQ(calls.size(), 1u); // only the harmless rule answered
    EXPECT_EQ(calls[0].field("content"), "r3");
    EXPECT_EQ(logLines().filter(QStringLiteral("不是一条只读查询")).size(), 2);
}

TEST_F(InteractiveRules, AnswerOnlyTheNewBatch) {
    addRule("all", "again?", "select sendNum from receivedMSGRecord where 1=1");
    receive({MoRecord("1", "10690000", "13900000001", "first", "2026-12-10 10:00:00")});
    // The second batch is older by its own time stamps and repeats an id.
    receive({MoRecord("1", "10690000", "13900000002", "second", "2026-12-10 09:00:00")});
    const auto calls = sends();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].field("mobile"), "13900000001");
    EXPECT_EQ(calls[1].field("mobile"), "13900000002");
}

// ---- reply and forward -------------------------------------------------------------------

TEST_F(AutoReplyForward, ReplyToEveryMessage) {
    m_in.settings[1] = SYSSETTING{1, Q("已收到")};
    receive({MoRecord("1", "10690000", "13900000001", "a", "2026-12-10 10:00:00"),
             MoRecord("2", "10690000", "13900000001", "b", "2026-12-10 10:00:01")});
    const auto calls = sends();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].field("mobile"), "13900000001,13900000001");
    EXPECT_EQ(calls[0].field("content"), "已收到");
    EXPECT_EQ(Count("SELECT COUNT(*) FROM sendNums"), 2);
    EXPECT_EQ(QueryRows(g_pDB, "SELECT count FROM sendInfo"), std::vector<std::string>{"2"});
}

TEST_F(AutoReplyForward, TargetsThenGroup) {
    m_in.settings[2] = SYSSETTING{1, Q("13700000001, ,13700000002")};
    m_in.settings[7] = SYSSETTING{1, QString()};
    m_in.groupNames[QStringLiteral("name0")] = Q("D");
    m_in.groupNames[QStringLiteral("name5")] = Q("C");
    // The stored name of the sender's last row counts.
    ASSERT_EQ(
        ExecSql(nullptr, g_pDB,
                "INSERT INTO receivedMSGRecord (receiveID,sendNum,name) VALUES (90,'13600000001','旧名'),"
                "(91,'13600000001','新名'),(92,'13800000001',NULL)"),
        SQLITE_OK);
    job()->AutoForward({Msg("1", "13600000001", "在吗", "2026-12-10 10:00:00", "10690000"),
                        Msg("2", "13800000001", "你好", "2026-12-10 10:00:01", "106900005")});
    const auto calls = sends();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(
        calls[0].field("mobile"),
        "13700000001,13700000002,13800000002,13900000001,13900000002,13900000003,13900000004,13900000005");
    EXPECT_EQ(calls[0].field("content"), "2026-12-10 10:00:00号码13600000001新名回复：在吗【示例公司】");
    EXPECT_EQ(calls[1].field("mobile"), "13700000001,13700000002,13800000002");
    EXPECT_EQ(calls[1].field("content"), "2026-12-10 10:00:01号码13800000001回复：你好【示例公司】");
    EXPECT_EQ(Count("SELECT COUNT(*) FROM sendNums"), 11);
    EXPECT_EQ(QueryRows(g_pDB, "SELECT count FROM sendInfo ORDER BY sendID"),
              (std::vector<std::string>{"8", "3"}));
}

TEST_F(AutoReplyForward, OutcomesAreRecorded) {
    m_in.settings[1] = SYSSETTING{1, Q("已收到")};
    auto j = job();
    const std::vector<RECV_MSG> batch{Msg("1", "13900000001", "a")};
    // Refused by the service: a failure, counted.
    m_main->scriptOnce("qxSmsSend", LoopbackAnswer::Text("-2"));
    j->AutoReply(batch);
    EXPECT_EQ(QueryRows(g_pDB, "SELECT isFail,count FROM sendInfo"), std::vector<std::string>{"1|1"});
    // The connection closes after the request: nobody knows, nothing counted.
    ExecSql(nullptr, g_pDB, "DELETE FROM sendInfo; DELETE FROM sendNums;");
    RawHttpPeer peer;
    peer.setReply({});
    j->client().SetEndpoint(peer.url().c_str());
    j->AutoReply(batch);
    EXPECT_EQ(peer.requests().size(), 1u);
    EXPECT_EQ(QueryRows(g_pDB,
                        "SELECT i.isFail,i.count,IFNULL(n.status,'<null>') FROM sendInfo i JOIN sendNums n "
                        "ON n.sendID=i.sendID"),
              std::vector<std::string>{"0|0|未知"});
}

// ---- the job on a worker ---------------------------------------------------------------

TEST_F(ReceivedTrafficJob, HeldAnswerLeavesTheGuiTimerRunning) {
    m_main->scriptOnce("mo", LoopbackAnswer::Held(LoopbackAnswer::Text(
                                 MoRecord("1", "10690000", "13900000001", "x", "2026-12-10 10:00:00"))));
    auto state = std::make_shared<ReceiveJobState>();
    WorkerThread worker;
    const ReceiveJobInputs in = m_in;
    ASSERT_TRUE(worker.start([in, state, this] { RunReceiveJob(in, &m_sink, state); }));
    ASSERT_TRUE(m_main->waitForHeld(TimeBoundMs(5000)));
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(20);
    EXPECT_TRUE(WaitUntil([&] { return ticks >= 5; }, std::chrono::milliseconds(TimeBoundMs(3000))));
    EXPECT_TRUE(worker.running());
    m_main->release();
    ASSERT_TRUE(worker.join(TimeBoundMs(10000)));
    EXPECT_EQ(Count("SELECT COUNT(*) FROM receivedMSGRecord"), 1);
}
