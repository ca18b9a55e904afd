// Received messages, delivery reports, and the switch to the backup endpoint
// with the thread that switches back.
#include "platform/msgbox.h"
#include "service/service_state.h"
#include "service/web_service_client.h"
#include "tests/support/service_fixture.h"
#include "tests/support/test_helpers.h"

#include <QDir>
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

using namespace std::chrono_literals;

// Threads of this process right now.
int ThreadCount() {
    const QDir tasks(QStringLiteral("/proc/self/task"));
    return static_cast<int>(tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot).size());
}

// The loopback service's connection threads come and go on their own time;
// the count is read until it shows `expected` (at most two seconds).
int ThreadCountSettledAt(int expected) {
    int count = ThreadCount();
    for (int i = 0; i < 200 && count != expected; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        count = ThreadCount();
    }
    return count;
}

class ReceiveTest : public ServiceTest {
protected:
    void TearDown() override {
        ServiceTest::TearDown();
        SetBackupSwitchBackDelay(60s);
    }

    int receive(std::vector<RECV_MSG>& messages) {
        CWebServiceClient client(serial(), password());
        return client.RecevieMSG(messages);
    }

    std::string newClientEndpoint() const {
        CWebServiceClient client(serial(), password());
        return client.endpoint();
    }

    // Lines written since `from` lines were there.
    QStringList logSince(qsizetype from) const { return logLines().mid(from); }

    QString balloon() const { return MessageBoxTitle() + QStringLiteral("|您有新的短信，请注意查收！"); }

    // Two failed mo calls on the main endpoint; the backup answers `backupAnswer`.
    int switchToBackup(const std::string& backupAnswer = "1") {
        m_main->script("mo", LoopbackAnswer::SoapFault());
        m_backup->script("mo", LoopbackAnswer::Text(backupAnswer));
        std::vector<RECV_MSG> messages;
        return receive(messages);
    }
};

// ---------------------------------------------------------------- mo answers

TEST_F(ReceiveTest, RecordsAreParsedAndAppended) {
    // Text in code page 936, percent-encoded; a blank as "+"; a record of two
    // fields in the middle; a trailing CR LF. The first identifier is 1, which
    // must not be read as the "nothing new" code.
    m_main->script("mo",
                   LoopbackAnswer::Text("1,1069000188,13800000000,%C4%E3%BA%C3,2024-01-02 03:04:05\r\n"
                                        "102,1069\r\n"
                                        "103,1069000199,13900000000,ok+%B2%E2%CA%D4%21,"
                                        "2024-01-02 03:05:00\r\n"));
    std::vector<RECV_MSG> messages{{"old", "1", "kept", "t", "n"}};
    ASSERT_EQ(receive(messages), 0);

    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[0].receiveID, "old");
    EXPECT_EQ(messages[0].msgContent, "kept");
    const RECV_MSG& m = messages[1];
    EXPECT_EQ(m.receiveID, "1");
    EXPECT_EQ(m.recvNum, "1069000188");
    EXPECT_EQ(m.sendNum, "13800000000");
    EXPECT_EQ(m.msgContent, QStringLiteral("你好"));
    EXPECT_EQ(m.sendTime, "2024-01-02 03:04:05");
    EXPECT_EQ(messages[2].receiveID, "103");
    EXPECT_EQ(messages[2].msgContent, QStringLiteral("ok 测试!"));

    EXPECT_EQ(m_boxes->balloons(), QStringList{balloon()});
    EXPECT_TRUE(m_boxes->texts().isEmpty());
    // The count is that of the whole array the caller handed in.
    EXPECT_TRUE(logLines().contains(QStringLiteral("RecevieMSG 接收到3条短信（解析后）。")));

    const auto calls = m_main->calls("mo");
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].field("sn"), kSerial);
    EXPECT_EQ(calls[0].field("pwd"), digest());
}

TEST_F(ReceiveTest, NothingToFetchOrRefusedLeavesTheArray) {
    const struct {
        const char* name;
        LoopbackAnswer answer;
    } cases[] = {
        {"nothing new", LoopbackAnswer::Text("1")},
        {"wrong password", LoopbackAnswer::Text("-2")},
        {"no result element", LoopbackAnswer::Missing()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        m_main->script("mo", c.answer);
        std::vector<RECV_MSG> messages{{"old", "1", "kept", "t", "n"}};
        EXPECT_EQ(receive(messages), -1);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].msgContent, "kept");
    }
    EXPECT_TRUE(m_boxes->balloons().isEmpty());
    EXPECT_FALSE(runLog().contains(QStringLiteral("RecevieMSG 接收到")));
    EXPECT_TRUE(logLines().contains(QStringLiteral("mo，webResult=(null)")));
}

// ---------------------------------------------------------------- backup endpoint

TEST_F(ReceiveTest, OneFaultIsRetriedOnTheSameEndpoint) {
    m_main->scriptOnce("mo", LoopbackAnswer::SoapFault());
    m_main->script("mo", LoopbackAnswer::Text("7,106901,13800000000,%C4%E3%BA%C3,2024-01-02 03:04:05"));
    std::vector<RECV_MSG> messages;
    ASSERT_EQ(receive(messages), 0);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].msgContent, QStringLiteral("你好"));

    EXPECT_EQ(m_main->calls("mo").size(), 2u);
    EXPECT_TRUE(m_backup->calls().empty());
    EXPECT_FALSE(IsBackupUrl());
    EXPECT_EQ(ServiceUrl(), "");
    EXPECT_EQ(newClientEndpoint(), m_main->url());
    EXPECT_FALSE(runLog().contains(QStringLiteral("主地址不通")));
}

TEST_F(ReceiveTest, RepeatedFaultsSwitchToBackupAndBackToTheConfiguredEndpoint) {
    SetBackupSwitchBackDelay(1000ms);
    const struct {
        const char* name;
        std::string configured;
        std::string expectedBack;  // the endpoint of a client built after the switch back
    } cases[] = {
        {"nothing configured", "", m_main->url()},
        {"a server configured", m_main->url("/custom.asmx"), m_main->url("/custom.asmx")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        m_main->clear();
        m_backup->clear();
        SetServiceUrl(c.configured);
        const qsizetype logStart = logLines().size();

        m_main->script("mo", LoopbackAnswer::SoapFault());
        m_backup->script("mo", LoopbackAnswer::Text("9,106901,13800000000,%C4%E3%BA%C3,2024-01-02 03:04:05"));
        std::vector<RECV_MSG> messages;
        ASSERT_EQ(receive(messages), 0);
        ASSERT_EQ(messages.size(), 1u);  // the third call, on the backup, answered
        EXPECT_EQ(messages[0].receiveID, "9");

        EXPECT_EQ(m_main->calls("mo").size(), 2u);
        const auto backupCalls = m_backup->calls("mo");
        ASSERT_EQ(backupCalls.size(), 1u);
        EXPECT_EQ(backupCalls[0].path, "/webservice.asmx");
        EXPECT_EQ(backupCalls[0].field("pwd"), digest());
        EXPECT_TRUE(IsBackupUrl());
        EXPECT_EQ(ServiceUrl(), m_backup->url());
        EXPECT_EQ(newClientEndpoint(), m_backup->url());
        EXPECT_TRUE(logSince(logStart).contains(QStringLiteral("主地址不通，已经自动切换到备用地址！")));

        ASSERT_TRUE(WaitUntil([] { return !IsBackupUrl(); }));
        EXPECT_EQ(ServiceUrl(), c.configured);
        EXPECT_EQ(newClientEndpoint(), c.expectedBack);
        // The thread logs its last line after it cleared the flag.
        ASSERT_TRUE(WaitUntil(
            [&] { return logSince(logStart).contains(QStringLiteral("强制结束ThreadTestNetwork线程")); }));
        const QStringList lines = logSince(logStart);
        EXPECT_TRUE(lines.contains(QStringLiteral("创建ThreadTestNetwork线程")));
        EXPECT_TRUE(lines.contains(QStringLiteral("ThreadTestNetwork检测到主地址已可用，自动切回！")));

        // Back on the main side, a client reaches the restored endpoint.
        m_main->script("mo", LoopbackAnswer::Text("1"));
        EXPECT_EQ(receive(messages), -1);
        const auto after = m_main->calls("mo");
        ASSERT_EQ(after.size(), 3u);
        EXPECT_EQ(after.back().path, c.configured.empty() ? "/webservice.asmx" : "/custom.asmx");
    }
}

TEST_F(ReceiveTest, OnTheBackupAFailureIsNotRetried) {
    // Main and backup both fail: the switch is made all the same.
    m_main->script("mo", LoopbackAnswer::SoapFault());
    m_backup->script("mo", LoopbackAnswer::SoapFault());
    std::vector<RECV_MSG> messages;
    EXPECT_EQ(receive(messages), -1);
    EXPECT_TRUE(IsBackupUrl());
    EXPECT_EQ(m_main->calls("mo").size(), 2u);
    EXPECT_EQ(m_backup->calls("mo").size(), 1u);

    const qsizetype logStart = logLines().size();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(receive(messages), -1);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    EXPECT_EQ(m_backup->calls("mo").size(), 2u);  // one call, no retry
    EXPECT_EQ(m_main->calls("mo").size(), 2u);
    const QStringList lines = logSince(logStart);
    EXPECT_TRUE(lines.contains(QStringLiteral("Error,mo,nRet=%1").arg(SOAP_SVR_FAULT)))
        << lines.join(QLatin1Char('\n')).toStdString();
    EXPECT_FALSE(lines.contains(QStringLiteral("主地址不通，已经自动切换到备用地址！")));
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(m_boxes->texts().isEmpty());
    EXPECT_TRUE(m_boxes->balloons().isEmpty());
}

TEST_F(ReceiveTest, AServerPickedDuringTheBackupWindowWins) {
    SetBackupSwitchBackDelay(300ms);
    switchToBackup();
    ASSERT_TRUE(IsBackupUrl());
    const std::string picked = m_main->url("/picked.asmx");
    SetServiceUrl(picked);
    ASSERT_TRUE(WaitUntil([] { return !IsBackupUrl(); }));
    EXPECT_EQ(ServiceUrl(), picked);
    EXPECT_EQ(newClientEndpoint(), picked);
}

TEST_F(ReceiveTest, ASecondSwitchStillRestoresTheConfiguredEndpoint) {
    // Two switches in a row: the second must not take the backup address
    // for the endpoint the user configured.
    SetBackupSwitchBackDelay(300ms);
    const std::string configured = m_main->url("/custom.asmx");
    SetServiceUrl(configured);
    SwitchToBackupEndpoint();
    SwitchToBackupEndpoint();
    EXPECT_TRUE(IsBackupUrl());
    EXPECT_EQ(ServiceUrl(), m_backup->url());
    ASSERT_TRUE(WaitUntil([] { return !IsBackupUrl(); }));
    EXPECT_EQ(ServiceUrl(), configured);
}

TEST_F(ReceiveTest, StopEndsTheWaitingThreadAtOnce) {
    SetBackupSwitchBackDelay(60s);
    const std::string configured = m_main->url("/custom.asmx");
    SetServiceUrl(configured);
    const int threadsBefore = ThreadCount();
    switchToBackup();
    ASSERT_TRUE(IsBackupUrl());
    EXPECT_EQ(ThreadCountSettledAt(threadsBefore + 1), threadsBefore + 1);

    const auto start = std::chrono::steady_clock::now();
    StopBackupSwitchThread();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
    EXPECT_EQ(ThreadCountSettledAt(threadsBefore), threadsBefore);

    // The backup state ends with its thread, and the configured endpoint is back.
    EXPECT_FALSE(IsBackupUrl());
    EXPECT_EQ(ServiceUrl(), configured);
    const QStringList lines = logLines();
    EXPECT_TRUE(lines.contains(QStringLiteral("强制结束ThreadTestNetwork线程")));
    EXPECT_FALSE(lines.contains(QStringLiteral("ThreadTestNetwork检测到主地址已可用，自动切回！")));
}

// ---------------------------------------------------------------- reports

TEST_F(ReceiveTest, ReportsAreParsedAndAppended) {
    m_main->script("report", LoopbackAnswer::Text("1,0,13800000000,RR-1,DELIVRD\r\n"
                                                  "bad,record\r\n"
                                                  "2,0,13900000000,RR-2,UNDELIV\r\n"));
    std::vector<RECV_REPORT> reports{{"old", "R0", "S"}};
    CWebServiceClient client(serial(), password());
    ASSERT_EQ(client.GetReport(reports), 0);
    ASSERT_EQ(reports.size(), 3u);
    EXPECT_EQ(reports[0].number, "old");
    EXPECT_EQ(reports[1].number, "13800000000");
    EXPECT_EQ(reports[1].rrid, "RR-1");
    EXPECT_EQ(reports[1].status, "DELIVRD");
    EXPECT_EQ(reports[2].number, "13900000000");
    EXPECT_EQ(reports[2].rrid, "RR-2");
    EXPECT_EQ(reports[2].status, "UNDELIV");

    const auto calls = m_main->calls("report");
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].field("sn"), kSerial);
    EXPECT_EQ(calls[0].field("pwd"), digest());
    EXPECT_EQ(calls[0].field("maxid"), "0");
    EXPECT_TRUE(logLines().contains(QStringLiteral("GetReport 接收到3条报告（解析后）。")));
    EXPECT_TRUE(m_boxes->balloons().isEmpty());
}

TEST_F(ReceiveTest, ReportFailuresReturnMinusOneWithoutSwitching) {
    const struct {
        const char* name;
        LoopbackAnswer answer;
    } cases[] = {
        {"nothing new", LoopbackAnswer::Text("1")},
        {"refused", LoopbackAnswer::Text("-2")},
        {"fault", LoopbackAnswer::SoapFault()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        m_main->clear();
        m_main->script("report", c.answer);
        std::vector<RECV_REPORT> reports{{"old", "R0", "S"}};
        CWebServiceClient client(serial(), password());
        EXPECT_EQ(client.GetReport(reports), -1);
        ASSERT_EQ(reports.size(), 1u);
        EXPECT_EQ(reports[0].rrid, "R0");
        EXPECT_EQ(m_main->calls("report").size(), 1u);  // no retry
    }
    EXPECT_TRUE(logLines().contains(QStringLiteral("Error,report,nRet=%1").arg(SOAP_SVR_FAULT)));
    EXPECT_FALSE(IsBackupUrl());
    EXPECT_EQ(ServiceUrl(), "");
    EXPECT_TRUE(m_backup->calls().empty());
    EXPECT_TRUE(m_boxes->texts().isEmpty());
}

} // namespace
