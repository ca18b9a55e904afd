// The date job against the loopback messaging service and a real database:
// which call a minute's recipients get, what is recorded, and how a queue of
// minutes behaves when an answer is held and the program closes.
#include "automation/date_job.h"
#include "automation/date_rules.h"

#include "core/database.h"
#include "core/sql.h"
#include "platform/encoding.h"
#include "platform/ini.h"
#include "service/web_service_client.h"
#include "tests/support/raw_http_peer.h"
#include "tests/support/service_fixture.h"
#include "tests/support/test_helpers.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <gtest/gtest.h>

#include <thread>

namespace {

QString Q(const char* utf8) {
    return QString::fromUtf8(utf8);
}

class DateMessages : public ServiceTest {
protected:
    void SetUp() override {
        ServiceTest::SetUp();
        m_ini = m_folder->file(QStringLiteral("account.ini"));
    }
    void addContact(int perNO, const char* name, const char* mobile, const char* birthDay, int group = 1) {
        SqlStatement st(
            g_pDB,
            "INSERT INTO ContactList (name,mobileNum,birthDay,groupID,perNO,isDeleted) VALUES (?,?,?,?,?,0)");
        st.bind(1, name).bind(2, mobile).bind(3, birthDay).bind(4, group).bind(5, perNO);
        ASSERT_EQ(st.exec(), SQLITE_OK);
    }
    void setMessage(int n, const char* field, const char* content, const char* time = "09:00:00") {
        ini::WriteStrings(m_ini, QStringLiteral("DateMSG"),
                          {{QStringLiteral("Name%1").arg(n), Q(field)},
                           {QStringLiteral("AutoSend%1").arg(n), QStringLiteral("1")},
                           {QStringLiteral("PreDays%1").arg(n), QStringLiteral("0")},
                           {QStringLiteral("SendTime%1").arg(n), Q(time)},
                           {QStringLiteral("Content%1").arg(n), Q(content)}});
    }
    // The sends of one minute, from the settings as loaded on its day.
    std::vector<DateSend> due(const char* minute) {
        std::vector<DATEMSGVALUE> msgs;
        LoadDateMsgSettings(g_pDB, m_ini, QDate::fromString(Q(minute).left(10), QStringLiteral("yyyy-MM-dd")),
                            msgs);
        return DueDateSends(msgs, Q(minute));
    }
    std::vector<std::string> records() const {
        return QueryRows(
            g_pDB, "SELECT i.content,i.isFail,IFNULL(n.status,'<null>'),n.numOrMailAddr FROM sendInfo i "
                   "JOIN sendNums n ON n.sendID=i.sendID ORDER BY n.rowid");
    }
    std::vector<LoopbackCall> sends() const {
        std::vector<LoopbackCall> out;
        for (const LoopbackCall& c : m_main->calls())
            if (c.operation == "qxSmsSend" || c.operation == "gxmt")
                out.push_back(c);
        return out;
    }
    void sendAll(const std::vector<DateSend>& sends) {
        CWebServiceClient client(serial(), password());
        for (const DateSend& s : sends)
            SendDateMessage(g_pDB, client, s);
    }
    QString m_ini;
};

std::string Gxmt(const char* text) {
    return UrlEncode(enc::ToGbk(Q(text)));
}

} // namespace

TEST_F(DateMessages, PlainAndPersonalisedGreetings) {
    for (int g : {1, 2, 3})
        addContact(1, "张三", "13800000001", "1980-06-01", g);
    addContact(2, "王,五", "13800000002", "1980-06-01");
    setMessage(1, "birthDay", "生日快乐");
    setMessage(2, "birthDay", "<%姓名%>，生日快乐");

    const std::vector<DateSend> sends = due("2025-06-01 09:00");
    ASSERT_EQ(sends.size(), 2u);
    sendAll(sends);
    const auto calls = this->sends();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].operation, "qxSmsSend");
    EXPECT_EQ(calls[0].field("mobile"), "13800000001,13800000002");
    EXPECT_EQ(calls[0].field("content"), "生日快乐");
    EXPECT_EQ(calls[1].operation, "gxmt");
    EXPECT_EQ(calls[1].field("mobile"), "13800000001,13800000002");
    // The "," of a name stays inside its one item.
    EXPECT_EQ(calls[1].field("content"), Gxmt("张三，生日快乐") + "," + Gxmt("王,五，生日快乐"));
    EXPECT_EQ(records(), (std::vector<std::string>{
                             "生日快乐|0|<null>|13800000001", "生日快乐|0|<null>|13800000002",
                             "张三，生日快乐|0|<null>|13800000001", "王,五，生日快乐|0|<null>|13800000002"}));
}

TEST_F(DateMessages, RefusedAndUnknownOutcomes) {
    addContact(1, "张三", "13800000001", "1980-06-01");
    setMessage(1, "birthDay", "生日快乐");
    m_main->scriptOnce("qxSmsSend", LoopbackAnswer::Text("-4"));
    sendAll(due("2025-06-01 09:00"));
    EXPECT_EQ(records(), (std::vector<std::string>{"生日快乐|1|<null>|13800000001"}));

    ExecSql(nullptr, g_pDB, "DELETE FROM sendInfo; DELETE FROM sendNums;");
    RawHttpPeer peer; // closes after reading the request
    peer.setReply({});
    CWebServiceClient client(serial(), password());
    client.SetEndpoint(peer.url().c_str());
    for (const DateSend& s : due("2025-06-01 09:00"))
        SendDateMessage(g_pDB, client, s);
    EXPECT_EQ(peer.requests().size(), 1u);
    EXPECT_EQ(records(), (std::vector<std::string>{"生日快乐|0|未知|13800000001"}));
}

TEST_F(DateMessages, AFieldNamingSqlSendsNothing) {
    addContact(1, "张三", "13800000001", "1980-06-01");
    setMessage(1, "birthDay;DELETE FROM ContactList", "生日快乐");
    EXPECT_TRUE(due("2025-06-01 09:00").empty());
    EXPECT_EQ(QueryRows(g_pDB, "SELECT COUNT(*) FROM ContactList"), std::vector<std::string>{"1"});
}

TEST_F(DateMessages, QueuedMinutesRunInOrderAndAHeldAnswerLeavesTheRestFailedAtClose) {
    addContact(1, "张三", "13800000001", "1980-06-01");
    addContact(2, "李四", "13800000002", "1980-06-02");
    setMessage(1, "birthDay", "生日快乐", "23:59:00");
    setMessage(2, "birthDay", "早安", "00:00:00");
    std::vector<DateSend> first = due("2025-06-01 23:59");
    std::vector<DateSend> second = due("2025-06-02 00:00");
    ASSERT_EQ(first.size(), 1u);
    ASSERT_EQ(second.size(), 1u);

    DateJobQueue queue;
    queue.setSetup({SystemDatabasePath(), serial(), password()});
    // Two minutes go out one after the other, in order.
    queue.Enqueue(first);
    queue.Enqueue(second);
    ASSERT_TRUE(queue.WaitIdle(20000));
    auto calls = sends();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].field("mobile"), "13800000001");
    EXPECT_EQ(calls[1].field("mobile"), "13800000002");

    // The first answer is held: the GUI's timers still run, the second
    // minute waits in the queue, and a close records it failed.
    m_main->clear();
    ExecSql(nullptr, g_pDB, "DELETE FROM sendInfo; DELETE FROM sendNums;");
    m_main->scriptOnce("qxSmsSend", LoopbackAnswer::Held());
    queue.Enqueue(first);
    queue.Enqueue(second);
    ASSERT_TRUE(m_main->waitForHeld());
    int fired = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] { ++fired; });
    tick.start(10);
    QElapsedTimer wait;
    wait.start();
    while (wait.elapsed() < 200)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_GT(fired, 3);
    EXPECT_TRUE(queue.busy());

    std::thread releaser([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        m_main->release();
    });
    QElapsedTimer closing;
    closing.start();
    EXPECT_TRUE(queue.Close(g_pDB, 10000));
    EXPECT_LT(closing.elapsed(), 10000);
    releaser.join();
    EXPECT_EQ(sends().size(), 1u);
    EXPECT_EQ(records(),
              (std::vector<std::string>{"生日快乐|0|<null>|13800000001", "早安|1|<null>|13800000002"}));
    EXPECT_TRUE(runLog().contains(QStringLiteral("recorded as failed")));
    queue.Enqueue(first);
    EXPECT_FALSE(queue.busy());
}
