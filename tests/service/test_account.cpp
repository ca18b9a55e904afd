// Account operations (status, password, recharge, account information and
// rights, the timed balance call), the two plain HTTP queries, and the run-log
// lines of every wrapper.
#include "platform/ini.h"
#include "platform/msgbox.h"
#include "service/service_state.h"
#include "service/web_service_client.h"
#include "tests/support/service_fixture.h"
#include "tests/support/test_helpers.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

#include <chrono>
#include <functional>

namespace {

using namespace std::chrono_literals;

using AccountTest = ServiceTest;

// ---------------------------------------------------------------- rights

TEST(RightsOfRoles, MapsTheRolesNumber) {
    const struct {
        const char* roles;
        int mask;
    } cases[] = {
        {"0", 0},          {"1", 0x4000},      {"11", 0x7F78},     {"12", 0x7BF8},  {"13", 0x1400},
        {"19", 0},         {"20", -1},         {"9", -1},          {"32768", 32768}, {"-5", -5},
        {"", 0},           {"-40000", -40000}, {nullptr, 0},       {"40000", 40000}, {"65536", -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.roles ? c.roles : "(null)");
        EXPECT_EQ(RightsOfRoles(c.roles), c.mask);
    }
}

// ---------------------------------------------------------------- GetAllInfo2

TEST_F(AccountTest, AccountInformationIsRead) {
    m_main->script("GetAllInfo2", LoopbackAnswer::Registry({{"RESULT", "1"},
                                                            {"ROLES", "11"},
                                                            {"SLIST", "a|/b:80,c"},
                                                            {"UPDATE", "1"},
                                                            {"SERVICECODE", "1069000188"},
                                                            {"BALANCE", "99"}}));
    CWebServiceClient client(serial(), password());
    ACCOUNT_SERVICE_INFO info;
    EXPECT_EQ(client.CallGetAllInfo2(info), 1);
    EXPECT_EQ(info.rights, 0x7F78);
    EXPECT_EQ(info.servers, (QStringList{"a/b:80", "c"}));
    EXPECT_EQ(info.update, "1");
    EXPECT_EQ(info.serviceCode, "1069000188");
    EXPECT_TRUE(m_boxes->texts().isEmpty());

    const auto calls = m_main->calls("GetAllInfo2");
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].field("sn"), kSerial);
    EXPECT_EQ(calls[0].field("pwd"), kPassword);  // the plain password, not the digest
    EXPECT_EQ(calls[0].field("ver"), "4.61");
    EXPECT_EQ(calls[0].field("oem"), "");
}

TEST_F(AccountTest, AccountInformationWithoutItsParts) {
    const ACCOUNT_SERVICE_INFO before{0x10, {"old"}, "u", "code"};
    const struct {
        const char* name;
        LoopbackAnswer answer;
        int result;
        ACCOUNT_SERVICE_INFO info;
    } cases[] = {
        {"no GetAllInfo2Result", LoopbackAnswer::Missing(), -1000, before},
        {"no RESULT", LoopbackAnswer::Registry({{"ROLES", "11"}, {"SLIST", "x"}}), -1000, before},
        {"no SLIST", LoopbackAnswer::Registry({{"RESULT", "0"}, {"ROLES", "-5"}}), 0, {-5, {}, "", ""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        m_main->script("GetAllInfo2", c.answer);
        CWebServiceClient client(serial(), password());
        ACCOUNT_SERVICE_INFO info = before;
        EXPECT_EQ(client.CallGetAllInfo2(info), c.result);
        EXPECT_EQ(info.rights, c.info.rights);
        EXPECT_EQ(info.servers, c.info.servers);
        EXPECT_EQ(info.update, c.info.update);
        EXPECT_EQ(info.serviceCode, c.info.serviceCode);
    }
    EXPECT_TRUE(m_boxes->texts().isEmpty());
}

TEST_F(AccountTest, AccountInformationNetworkFailure) {
    CWebServiceClient client(serial(), password());
    client.SetEndpoint(ClosedEndpoint().c_str());
    ACCOUNT_SERVICE_INFO info{0x10, {"old"}, "u", "code"};
    EXPECT_EQ(client.CallGetAllInfo2(info), -1);
    EXPECT_EQ(info.rights, 0x10);
    EXPECT_EQ(info.servers, QStringList{"old"});
    EXPECT_EQ(m_boxes->texts(), QStringList{"连接超时."});
}

TEST_F(AccountTest, ServerListTest) {
    const struct {
        const char* name;
        LoopbackAnswer answer;
        int result;
        QStringList servers;
        QStringList boxes;
    } cases[] = {
        {"accepted", LoopbackAnswer::Registry({{"RESULT", "0"}, {"SLIST", "a|/b:80,c"}}), 0, {"a/b:80", "c"},
         {}},
        {"refused", LoopbackAnswer::Registry({{"RESULT", "-3abc"}, {"SLIST", "s1"}}), -3, {"s1"}, {"-3abc"}},
        {"no RESULT", LoopbackAnswer::Registry({{"SLIST", "s1"}}), -1000, {"s1"}, {}},
        {"no answer", LoopbackAnswer::Missing(), -1000, {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        m_boxes->clear();
        m_main->clear();
        m_main->script("GetAllInfo2", c.answer);
        CWebServiceClient client(serial(), password());
        QStringList servers{"old"};
        EXPECT_EQ(client.CallGetAllInfo2Test(servers), c.result);
        EXPECT_EQ(servers, c.servers);
        EXPECT_EQ(m_boxes->texts(), c.boxes);
        const auto calls = m_main->calls("GetAllInfo2");
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(calls[0].field("sn"), kSerial);
        EXPECT_EQ(calls[0].field("pwd"), kPassword);
        EXPECT_EQ(calls[0].field("ver"), "");
        EXPECT_EQ(calls[0].field("oem"), "");
    }

    m_boxes->clear();
    m_main->script("GetAllInfo2", LoopbackAnswer::SoapFault());
    CWebServiceClient client(serial(), password());
    QStringList servers{"old"};
    EXPECT_NE(client.CallGetAllInfo2Test(servers), 0);
    EXPECT_TRUE(servers.isEmpty());
    EXPECT_EQ(m_boxes->texts(), QStringList{"网络错误."});
}

// ---------------------------------------------------------------- password, recharge, status

TEST_F(AccountTest, PasswordChangeAndRechargeResults) {
    using Call = std::function<int(CWebServiceClient&)>;
    const struct {
        const char* operation;
        Call call;
    } wrappers[] = {
        {"UDPPwd", [](CWebServiceClient& c) { return c.CallUDPPwd(QStringLiteral("新密码1")); }},
        {"ChargUp",
         [](CWebServiceClient& c) { return c.CallChargUp(QStringLiteral("卡123"), QStringLiteral("密")); }},
    };
    const struct {
        const char* name;
        LoopbackAnswer answer;
        int result;
        QStringList boxes;
    } answers[] = {
        {"refused", LoopbackAnswer::Text("-2"), -2, {"-2"}},
        {"refused with text", LoopbackAnswer::Text("-7 卡已使用"), -7, {"-7 卡已使用"}},
        {"accepted", LoopbackAnswer::Text("0"), 0, {}},
        {"no result", LoopbackAnswer::Missing(), -1000, {}},
        {"fault", LoopbackAnswer::SoapFault(), -1, {"网络错误."}},
    };
    for (const auto& w : wrappers) {
        for (const auto& a : answers) {
            SCOPED_TRACE(std::string(w.operation) + ": " + a.name);
            m_boxes->clear();
            m_main->script(w.operation, a.answer);
            CWebServiceClient client(serial(), password());
            EXPECT_EQ(w.call(client), a.result);
            EXPECT_EQ(m_boxes->texts(), a.boxes);
        }
    }
}

TEST_F(AccountTest, AccountRequestsCarryTheAccountRecord) {
    // These three send the logged-in account's own serial number and plain
    // password, whatever the client was built with.
    CWebServiceClient client(QStringLiteral("OTHER-SN"), QStringLiteral("other"));
    client.CallGetStatus();
    client.CallUDPPwd(QStringLiteral("新密码1"));
    client.CallChargUp(QStringLiteral("卡123"), QStringLiteral("密码"));
    for (const char* op : {"GetStatus", "UDPPwd", "ChargUp"}) {
        SCOPED_TRACE(op);
        const auto calls = m_main->calls(op);
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(calls[0].field("sn"), kSerial);
        EXPECT_EQ(calls[0].field("pwd"), kPassword);
    }
    EXPECT_EQ(m_main->calls("UDPPwd")[0].field("newpwd"), "新密码1");
    EXPECT_EQ(m_main->calls("ChargUp")[0].field("cardno"), "卡123");
    EXPECT_EQ(m_main->calls("ChargUp")[0].field("cardpwd"), "密码");
}

TEST_F(AccountTest, StatusIsTheLeadingNumber) {
    const struct {
        const char* answer;
        int result;
    } cases[] = {{"0", 0}, {"3abc", 3}, {"-2", -2}, {" 15", 15}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answer);
        m_main->script("GetStatus", LoopbackAnswer::Text(c.answer));
        CWebServiceClient client(serial(), password());
        EXPECT_EQ(client.CallGetStatus(), c.result);
    }
    EXPECT_TRUE(m_boxes->texts().isEmpty());  // a refusal is the caller's to show

    CWebServiceClient client(serial(), password());
    client.SetEndpoint(ClosedEndpoint().c_str());
    EXPECT_EQ(client.CallGetStatus(), -999);
    EXPECT_EQ(m_boxes->texts(), QStringList{"网络错误."});
}

// ---------------------------------------------------------------- timed balance

TEST_F(AccountTest, TimedBalanceCall) {
    m_main->script("balance", LoopbackAnswer::Text("100"));
    {
        CWebServiceClient client(serial(), password());
        EXPECT_GE(client.CallBalanceTimed(), 1);
        const auto calls = m_main->calls("balance");
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(calls[0].field("sn"), kSerial);
        EXPECT_EQ(calls[0].field("pwd"), digest());
    }
    {
        // The server speed test aims clients at other servers.
        m_backup->script("balance", LoopbackAnswer::Text("100", 50));
        CWebServiceClient client(serial(), password());
        client.SetEndpoint(m_backup->url().c_str());
        EXPECT_GE(client.CallBalanceTimed(), 40);
        EXPECT_EQ(m_backup->calls("balance").size(), 1u);
    }
    {
        CWebServiceClient client(serial(), password());
        client.SetEndpoint(ClosedEndpoint().c_str());
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(client.CallBalanceTimed(), -1);
        EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    }
    EXPECT_TRUE(m_boxes->texts().isEmpty());
}

// ---------------------------------------------------------------- HTTP queries

TEST_F(AccountTest, BalancePage) {
    const QByteArray gbk = QByteArray::fromHex("d3e0b6ee") + "100";  // "余额100" in code page 936
    const struct {
        const char* name;
        LoopbackPage page;
        int result;
        QString reply;
    } cases[] = {
        {"ok", {200, "100.5"}, 0, "100.5"},
        {"ok in code page 936", {200, gbk.toStdString()}, 0, QStringLiteral("余额100")},
        {"server error", {500, "boom"}, -3, "untouched"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        m_backup->scriptPage("/GetBalance.ashx", c.page);
        CWebServiceClient client(serial(), password());
        QString reply = QStringLiteral("untouched");
        EXPECT_EQ(client.HttpGetBalance(reply), c.result);
        EXPECT_EQ(reply, c.reply);
    }
    const auto requests = m_backup->pageRequests();
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(requests.back(), "/GetBalance.ashx?sn=" + std::string(kSerial) + "&pwd=" + digest());
    EXPECT_TRUE(m_main->pageRequests().empty());
}

TEST_F(AccountTest, ClientVersionUpload) {
    const std::string path = "/apis/rims-provider/snExt/synchro/saveCSV";
    m_main->scriptPage(path, {200, "ok"});
    {
        CWebServiceClient client(serial(), password());
        EXPECT_EQ(client.UploadClientVersion("zodo2.0"), 0);
    }
    const auto requests = m_main->pageRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0], path + "?sn=" + kSerial + "&pwd=" + digest() + "&csVersion=zodo2.0");

    ini::WriteString(m_folder->file("ServerInfo.ini"), "Deployment", "VersionUploadUrl",
                     QString::fromStdString(ClosedEndpoint(path)));
    CWebServiceClient client(serial(), password());
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(client.UploadClientVersion("zodo2.0"), -3);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    EXPECT_EQ(m_main->pageRequests().size(), 1u);
}

// ---------------------------------------------------------------- run-log lines

TEST_F(AccountTest, EveryWrapperLogsItsCallResultAndErrorLines) {
    m_folder->writeFile("fax.tif", QByteArray("II*\0fax", 7));
    const QString faxFile = m_folder->file("fax.tif");
    const QString d4 = QString::fromStdString(digest().substr(0, 4));
    const QString e = QRegularExpression::escape(QString::fromStdString(m_main->url()));
    const auto exact = [](const QString& s) { return QRegularExpression::escape(s); };

    using Call = std::function<void(CWebServiceClient&)>;
    struct Row {
        const char* wrapper;
        const char* operation;  // scripted on both services
        Call call;
        QString callLine;    // a pattern; empty: the wrapper writes no line
        QString resultLine;  // %1: the result text
        QString errorLine;   // %1: the runtime's code
        bool failsOnBackup = false;  // mo reports errors only once on the backup
    };
    const std::vector<Row> rows = {
        {"CallSmsSend", "qxSmsSend",
         [](CWebServiceClient& c) { std::string id; c.CallSmsSend(id, "13800000000", "hi", "", ""); },
         exact("call qxSmsSend"), "qxSmsSend，webResult=%1", "Error,qxSmsSend，nRet=%1"},
        {"CallSmsSendIntl", "qxSmsSend_g",
         [](CWebServiceClient& c) { std::string id; c.CallSmsSendIntl(id, "0044123", "hi", "", ""); },
         exact("call qxSmsSend_USCOREg"), "qxSmsSend，webResult=%1", "Error,qxSmsSend_USCOREg，nRet=%1"},
        {"CallSmsSendAuto", "qxSmsSend",
         [](CWebServiceClient& c) { std::string id; c.CallSmsSendAuto("13800000000", "hi", "", id); },
         exact("自动回复或者自动转发时call qxSmsSend"), "自动回复或者自动转发时qxSmsSend，webResult=%1",
         "自动回复或者自动转发时Error,qxSmsSend，nRet=%1"},
        {"CallGxmt", "gxmt", [](CWebServiceClient& c) { c.CallGxmt("13800000000", "hi", "", "r1"); },
         exact("call gxmt"), "gxmt，webResult=%1", "Error,gxmt,nRet=%1"},
        {"CallFaxSend", "qxFaxSend", [&](CWebServiceClient& c) { c.CallFaxSend("13800000000", faxFile, ""); },
         exact("call qxFaxSend"), "qxFaxSend，webResult=%1", "Error,qxFaxSend,nRet=%1"},
        {"CallAudioSend", "qxAudioSend",
         [](CWebServiceClient& c) { c.CallAudioSend("t", "13800000000", "", "hi", "", ""); },
         "^call qxAudioSend,param\\.sn=SN-TEST-01,param\\.pwd=" + d4 + "[^,]*,endpoint=" + e +
             ",proxy_host=,proxy_port=0$",
         "qxAudioSend，webResult=%1", "Error,qxAudioSend,nRet=%1"},
        {"CallMmsSend", "qxMmsSend",
         [](CWebServiceClient& c) { c.CallMmsSend({MMSCONTENT{"5", "", "", "hi"}}, "t", "13800000000", ""); },
         "^call qxMmsSend,param\\.sn=SN-TEST-01,param\\.pwd=" + d4 + "[^,]*,endpoint=" + e +
             ",proxy_host=,proxy_port=0$",
         "qxMmsSend，webResult=%1", "Error,qxMmsSend,nRet=%1"},
        {"RecevieMSG", "mo", [](CWebServiceClient& c) { std::vector<RECV_MSG> m; c.RecevieMSG(m); },
         exact("call mo"), "mo，webResult=%1", "Error,mo,nRet=%1", true},
        {"GetReport", "report", [](CWebServiceClient& c) { std::vector<RECV_REPORT> r; c.GetReport(r); },
         exact("call report"), "report，webResult=%1", "Error,report,nRet=%1"},
        {"CallGetStatus", "GetStatus", [](CWebServiceClient& c) { c.CallGetStatus(); },
         exact("call GetStatus"),
         "GetStatus，webResult=%1", "Error,GetStatus，nRet=%1"},
        {"CallUDPPwd", "UDPPwd", [](CWebServiceClient& c) { c.CallUDPPwd("new"); }, exact("call UDPPwd"),
         "UDPPwd，webResult=%1", "Error,UDPPwd，nRet=%1"},
        {"CallChargUp", "ChargUp", [](CWebServiceClient& c) { c.CallChargUp("card", "pw"); },
         exact("call ChargUp"),
         "ChargUp，webResult=%1", "Error,ChargUp，nRet=%1"},
        {"CallGetAllInfo2", "GetAllInfo2",
         [](CWebServiceClient& c) { ACCOUNT_SERVICE_INFO i; c.CallGetAllInfo2(i); },
         exact("call GetAllInfo2"),
         "GetAllInfo2，webResult=%1", "Error,GetAllInfo2，nRet=%1"},
        {"CallGetAllInfo2Test", "GetAllInfo2",
         [](CWebServiceClient& c) { QStringList s; c.CallGetAllInfo2Test(s); }, {}, {}, {}},
        {"CallBalanceTimed", "balance", [](CWebServiceClient& c) { c.CallBalanceTimed(); }, {}, {}, {}},
    };

    const QString resultText = QStringLiteral("12345");
    const auto scriptBoth = [&](const char* operation, const LoopbackAnswer& answer) {
        m_main->script(operation, answer);
        m_backup->script(operation, answer);
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.wrapper);
        const QRegularExpression callLine(row.callLine);
        const auto countCalls = [&](const QStringList& lines) {
            return row.callLine.isEmpty() ? 0 : static_cast<int>(lines.filter(callLine).size());
        };

        // Answered.
        scriptBoth(row.operation, std::string_view(row.operation) == "GetAllInfo2"
                                      ? LoopbackAnswer::Registry({{"RESULT", resultText.toStdString()}})
                                      : LoopbackAnswer::Text(resultText.toStdString()));
        qsizetype start = logLines().size();
        {
            CWebServiceClient client(serial(), password());
            row.call(client);
        }
        QStringList lines = logLines().mid(start);
        if (row.callLine.isEmpty()) {
            EXPECT_TRUE(lines.isEmpty()) << lines.join(QLatin1Char('\n')).toStdString();
        } else {
            EXPECT_EQ(countCalls(lines), 1) << lines.join(QLatin1Char('\n')).toStdString();
            const qsizetype result = lines.indexOf(row.resultLine.arg(resultText));
            EXPECT_GE(result, 0) << lines.join(QLatin1Char('\n')).toStdString();
            EXPECT_LT(lines.indexOf(callLine), result);
            EXPECT_TRUE(lines.filter(QStringLiteral("Error,")).isEmpty());
        }

        // Failed.
        scriptBoth(row.operation, LoopbackAnswer::SoapFault());
        if (row.failsOnBackup)
            SwitchToBackupEndpoint();
        start = logLines().size();
        {
            CWebServiceClient client(serial(), password());
            row.call(client);
        }
        if (row.failsOnBackup)
            StopBackupSwitchThread();
        lines = logLines().mid(start);
        if (row.callLine.isEmpty()) {
            EXPECT_TRUE(lines.isEmpty()) << lines.join(QLatin1Char('\n')).toStdString();
        } else {
            EXPECT_EQ(countCalls(lines), 1) << lines.join(QLatin1Char('\n')).toStdString();
            EXPECT_TRUE(lines.contains(row.errorLine.arg(SOAP_SVR_FAULT)))
                << lines.join(QLatin1Char('\n')).toStdString();
            EXPECT_TRUE(lines.filter(QStringLiteral("webResult")).isEmpty());
        }
    }
    // The digest is a credential: no line shows more than its first four characters.
    EXPECT_FALSE(runLog().contains(QString::fromStdString(digest().substr(0, 5))));
}

} // namespace
