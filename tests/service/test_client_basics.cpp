// The service client itself: what a client holds once built, where it sends,
// the HTTP proxy, the call sequence and its failures as the wire shows them,
// and the two result-text helpers.
#include "core/account.h"
#include "platform/ini.h"
#include "service/service_client_internal.h"
#include "service/service_state.h"
#include "service/web_service_client.h"
#include "tests/support/raw_http_peer.h"
#include "tests/support/service_fixture.h"
#include "tests/support/test_helpers.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <thread>

namespace {

QString Q(const char* utf8) {
    return QString::fromUtf8(utf8);
}

class ClientBasics : public ServiceTest {
protected:
    CWebServiceClient Client() { return CWebServiceClient(Q(kSerial), Q(kPassword)); }
    void SetDeployment(const char* key, const std::string& value) {
        ini::WriteString(m_folder->file("ServerInfo.ini"), "Deployment", key, QString::fromStdString(value));
    }
    int SendOne(CWebServiceClient& client, std::string* id = nullptr) {
        std::string scratch;
        return client.CallSmsSend(id ? *id : scratch, "13800000000", Q("测试"), QString(), "");
    }
};

// ------------------------------------------------------------ construction

TEST_F(ClientBasics, ChannelServerAddressesBecomeEndpoints) {
    struct Case {
        const char* address;
        std::string endpoint;
    };
    const std::string full = m_backup->url("/mms.asmx");
    const Case cases[] = {
        {"h:81", "http://h:81/webservice.asmx"},
        {" 127.0.0.1:8060 ", "http://127.0.0.1:8060/webservice.asmx"},
        {full.c_str(), full},
        {"", m_main->url()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.address);
        ini::WriteString(m_folder->file("ServerInfo.ini"), "ExtServerAddress", "ExtAddress1", Q(c.address));
        CWebServiceClient client = Client();
        SelectChannelServer(client, Q("彩信"));
        EXPECT_EQ(client.endpoint(), c.endpoint);
        // Another channel keeps the configured endpoint whatever the address.
        CWebServiceClient other = Client();
        SelectChannelServer(other, Q("传真"));
        EXPECT_EQ(other.endpoint(), m_main->url());
    }
    // A full URL is really used for the call.
    ini::WriteString(m_folder->file("ServerInfo.ini"), "ExtServerAddress", "ExtAddress1", Q(full.c_str()));
    CWebServiceClient client = Client();
    SelectChannelServer(client, Q("彩信"));
    EXPECT_EQ(SendOne(client), 0);
    ASSERT_EQ(m_backup->calls("qxSmsSend").size(), 1u);
    EXPECT_EQ(m_backup->calls("qxSmsSend")[0].path, "/mms.asmx");
}

TEST_F(ClientBasics, KeepsTheCredentialsAsUtf8AndTheirDigest) {
    CWebServiceClient client(Q(kSerial), Q(kPassword));
    EXPECT_EQ(client.sn(), kSerial);
    EXPECT_EQ(client.pwd(), kPassword);
    EXPECT_EQ(client.digest(), UpperMd5(QByteArray(kSerial) + kPassword));
    EXPECT_EQ(client.digest(), "7AEEBBC406F9C52AC40CD3463523C258");
}

TEST_F(ClientBasics, DigestOfSerialAloneIsTheMd5OfItsBytes) {
    CWebServiceClient client(Q("abc"), QString());
    EXPECT_EQ(client.digest(), "900150983CD24FB0D6963F7D28E17F72");
    EXPECT_EQ(client.pwd(), "");
}

TEST_F(ClientBasics, DigestIsTakenOverCodePage936WhileTheCopiesAreUtf8) {
    CWebServiceClient client(Q("测试"), Q("密码"));
    EXPECT_EQ(client.sn(), "\xe6\xb5\x8b\xe8\xaf\x95");
    EXPECT_EQ(client.pwd(), "\xe5\xaf\x86\xe7\xa0\x81");
    // "测试密码" in code page 936 is b2e2 cad4 c3dc c2eb.
    EXPECT_EQ(client.digest(), UpperMd5(QByteArray::fromHex("b2e2cad4c3dcc2eb")));
    EXPECT_EQ(client.digest(), "7651D1810E2E77360E2A0744579D4186");
}

TEST_F(ClientBasics, TimeOutsAndStringModeOfANewClient) {
    CWebServiceClient client = Client();
    EXPECT_EQ(client.proxy().recv_timeout, 150);
    EXPECT_EQ(client.proxy().send_timeout, 150);
    EXPECT_TRUE(client.proxy().imode & SOAP_C_UTFSTRING);
    EXPECT_TRUE(client.proxy().omode & SOAP_C_UTFSTRING);
}

// ---------------------------------------------------------------- endpoint

TEST_F(ClientBasics, WithoutAConfiguredUrlTheBuiltInMainEndpointIsUsed) {
    SetServiceUrl("");
    CWebServiceClient client = Client();
    EXPECT_EQ(client.endpoint(), m_main->url());
    EXPECT_EQ(client.proxy().soap_endpoint, client.endpoint().c_str());
    EXPECT_EQ(SendOne(client), 0);
    EXPECT_EQ(m_main->calls("qxSmsSend").size(), 1u);
    EXPECT_TRUE(m_backup->calls().empty());
}

TEST_F(ClientBasics, AConfiguredUrlTakesEffectWithTheNextClient) {
    SetServiceUrl(m_backup->url());
    CWebServiceClient onBackup = Client();
    EXPECT_EQ(onBackup.endpoint(), m_backup->url());

    SetServiceUrl(std::string());
    EXPECT_EQ(onBackup.endpoint(), m_backup->url()); // its own copy
    EXPECT_EQ(SendOne(onBackup), 0);
    EXPECT_EQ(m_backup->calls("qxSmsSend").size(), 1u);

    CWebServiceClient onMain = Client();
    EXPECT_EQ(onMain.endpoint(), m_main->url());
    EXPECT_EQ(SendOne(onMain), 0);
    EXPECT_EQ(m_main->calls("qxSmsSend").size(), 1u);
}

TEST_F(ClientBasics, SetEndpointAimsEveryLaterCall) {
    CWebServiceClient client = Client();
    client.SetEndpoint(nullptr);
    client.SetEndpoint(""); // would make the runtime print the request: never taken
    EXPECT_EQ(client.endpoint(), m_main->url());

    const std::string other = m_backup->url("/other.asmx");
    client.SetEndpoint(other.c_str());
    EXPECT_EQ(client.endpoint(), other);
    EXPECT_EQ(client.proxy().soap_endpoint, client.endpoint().c_str());
    EXPECT_EQ(SendOne(client), 0);
    EXPECT_EQ(SendOne(client), 0);
    const auto calls = m_backup->calls("qxSmsSend");
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].path, "/other.asmx");
    EXPECT_TRUE(m_main->calls().empty());
}

TEST_F(ClientBasics, AnUnconfiguredBuiltInHostIsNeverContacted) {
    // An empty deployment value keeps the shipped default under ".invalid".
    SetDeployment("MainEndpoint", "");
    CWebServiceClient client = Client();
    EXPECT_NE(client.endpoint().find(".invalid"), std::string::npos);
    std::string id = "kept";
    EXPECT_EQ(SendOne(client, &id), -1);
    EXPECT_EQ(id, "kept");
    EXPECT_TRUE(runLog().contains(Q("host not configured")));
    EXPECT_TRUE(runLog().contains(Q("Error,qxSmsSend，nRet=")));

    // Through a proxy the name would be looked up there: refused as well.
    RawHttpPeer proxy;
    SetProxySettings("127.0.0.1", proxy.port(), nullptr, nullptr);
    CWebServiceClient proxied = Client();
    EXPECT_EQ(SendOne(proxied), -1);
    EXPECT_TRUE(proxy.requests().empty());
}

// ------------------------------------------------------------------- proxy

TEST_F(ClientBasics, ProxySettingsAreCutAndNullTextsLeftEmpty) {
    const std::string host(200, 'h');
    const std::string user(40, 'u');
    EXPECT_TRUE(SetProxySettings(host.c_str(), 8080, user.c_str(), nullptr));
    ServiceSettings s = CurrentServiceSettings();
    EXPECT_EQ(s.proxyHost, std::string(127, 'h'));
    EXPECT_EQ(s.proxyPort, 8080);
    EXPECT_EQ(s.proxyUser, std::string(31, 'u'));
    EXPECT_EQ(s.proxyPwd, "");

    EXPECT_TRUE(SetProxySettings(nullptr, 0, nullptr, nullptr));
    s = CurrentServiceSettings();
    EXPECT_EQ(s.proxyHost, "");
    EXPECT_EQ(s.proxyPort, 0);
    EXPECT_EQ(s.proxyUser, "");
}

TEST_F(ClientBasics, ProxySettingsTakeEffectWithTheNextClient) {
    CWebServiceClient before = Client();
    RawHttpPeer proxy;
    proxy.setReply({RawHttpPeer::SoapResultAnswer("qxSmsSend", "1")});
    SetProxySettings("127.0.0.1", proxy.port(), nullptr, nullptr);
    EXPECT_EQ(SendOne(before), 0);
    EXPECT_EQ(m_main->calls().size(), 1u);
    EXPECT_TRUE(proxy.requests().empty());
    CWebServiceClient after = Client();
    EXPECT_FALSE(after.ApplyProxySettings()); // false even when a proxy is set
    EXPECT_EQ(SendOne(after), 0);
    const auto requests = proxy.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(RequestLine(requests[0]), "POST " + m_main->url() + " HTTP/1.1");
}

TEST_F(ClientBasics, TheInternationalEndpointServesOneCallOnly) {
    CWebServiceClient client = Client();
    std::string id;
    EXPECT_EQ(client.CallSmsSendIntl(id, "0044123", Q("hi"), QString(), ""), 0);
    EXPECT_EQ(m_backup->calls("qxSmsSend_g").size(), 1u);
    // The proxy is back on the client's own address, not on a text of the
    // finished call.
    EXPECT_EQ(client.endpoint(), m_main->url());
    EXPECT_EQ(client.proxy().soap_endpoint, client.endpoint().c_str());
    EXPECT_EQ(SendOne(client), 0);
    EXPECT_EQ(m_main->calls("qxSmsSend").size(), 1u);
    EXPECT_TRUE(m_backup->calls("qxSmsSend").empty());
}

// ------------------------------------------------------------- failures

TEST_F(ClientBasics, AClosedPortIsANetworkFailure) {
    const quint16 port = ClosedLoopbackPort();
    ASSERT_NE(port, 0);
    const std::string url = "http://127.0.0.1:" + std::to_string(port) + "/webservice.asmx";
    CWebServiceClient client = Client();
    client.SetEndpoint(url.c_str());
    std::string id = "kept";
    EXPECT_EQ(SendOne(client, &id), -1);
    EXPECT_EQ(id, "kept");
    EXPECT_TRUE(runLog().contains(Q("Error,qxSmsSend，nRet=")));
    EXPECT_TRUE(m_boxes->shown().empty()); // the SMS wrappers show nothing
}

TEST_F(ClientBasics, ASoapFaultIsANetworkFailure) {
    m_main->script("qxSmsSend", LoopbackAnswer::SoapFault());
    CWebServiceClient client = Client();
    EXPECT_EQ(SendOne(client), -1);
    EXPECT_TRUE(runLog().contains(Q("Error,qxSmsSend，nRet=")));
}

TEST_F(ClientBasics, BrokenAnswersAreNetworkFailures) {
    RawHttpPeer peer;
    const std::string cases[] = {
        RawHttpPeer::HttpAnswer(500, "text/html", "<html>Internal error</html>"),
        RawHttpPeer::HttpAnswer(404, "text/plain", "not here"),
        RawHttpPeer::HttpAnswer(200, "application/soap+xml; charset=utf-8", "not xml at all"),
        RawHttpPeer::HttpAnswer(200, "application/soap+xml; charset=utf-8", "<SOAP-ENV:Envelope"),
        std::string(), // the connection closes without an answer
        "HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n<short",
    };
    for (const std::string& reply : cases) {
        SCOPED_TRACE(reply.substr(0, 60));
        peer.setReply({reply});
        CWebServiceClient client = Client();
        client.SetEndpoint(peer.url().c_str());
        std::string id = "kept";
        EXPECT_EQ(SendOne(client, &id), -1);
        EXPECT_EQ(id, "kept");
    }
}

TEST_F(ClientBasics, DeeplyNestedAnswersAreSurvived) {
    RawHttpPeer peer;
    std::string nested;
    for (int i = 0; i < 100000; ++i)
        nested += "<x>";
    for (int i = 0; i < 100000; ++i)
        nested += "</x>";
    const auto answer = [](const std::string& inside, const std::string& result) {
        return RawHttpPeer::HttpAnswer(
            200, "application/soap+xml; charset=utf-8",
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
            "<SOAP-ENV:Envelope xmlns:SOAP-ENV=\"http://www.w3.org/2003/05/soap-envelope\" "
            "xmlns:ns1=\"http://ns.corvelane.invalid/\"><SOAP-ENV:Body><ns1:qxSmsSendResponse>" +
                inside + "<ns1:qxSmsSendResult>" + result +
                "</ns1:qxSmsSendResult></ns1:qxSmsSendResponse></SOAP-ENV:Body></SOAP-ENV:Envelope>");
    };
    CWebServiceClient client = Client();
    client.SetEndpoint(peer.url().c_str());
    // Unknown elements beside the result are skipped, however deep, without
    // recursion: the result is still read.
    peer.setReply({answer(nested, "42")});
    std::string id;
    EXPECT_EQ(SendOne(client, &id), 0);
    EXPECT_EQ(id, "42");
    // Markup inside the result is the result's text.
    peer.setReply({answer("", "-3" + nested)});
    id = "kept";
    EXPECT_EQ(SendOne(client, &id), -1);
    EXPECT_EQ(id, "kept");
}

TEST_F(ClientBasics, AnAnswerLargerThanTheLimitIsRefused) {
    RawHttpPeer peer;
    peer.setReply({RawHttpPeer::SoapResultAnswer("qxSmsSend", std::string(17 * 1024 * 1024, '7'))});
    CWebServiceClient client = Client();
    client.SetEndpoint(peer.url().c_str());
    std::string id = "kept";
    EXPECT_EQ(SendOne(client, &id), -1);
    EXPECT_EQ(id, "kept");
}

TEST_F(ClientBasics, ALongResultTextIsLoggedByItsHeadAndLength) {
    // The cut lands inside a three-byte character: it backs off to its start.
    const std::string result = std::string(kMaxLoggedResultBytes - 1, 'x') + "你" + std::string(5000, 'y');
    m_main->script("qxSmsSend", LoopbackAnswer::Text(result));
    CWebServiceClient client = Client();
    EXPECT_EQ(SendOne(client), -1);
    const QString log = runLog();
    const QString expected = Q("qxSmsSend，webResult=") + QString(kMaxLoggedResultBytes - 1, QLatin1Char('x')) +
                             QStringLiteral("...(%1 bytes)\r\n").arg(result.size());
    EXPECT_TRUE(log.contains(expected));
    EXPECT_FALSE(log.contains(QStringLiteral("yyyy")));
}

TEST_F(ClientBasics, AnAnswerWithoutItsResultIsAFailureLoggedAsNull) {
    m_main->script("qxSmsSend", LoopbackAnswer::Missing());
    CWebServiceClient client = Client();
    std::string id = "kept";
    EXPECT_EQ(SendOne(client, &id), -1);
    EXPECT_EQ(id, "kept");
    EXPECT_TRUE(runLog().contains(Q("qxSmsSend，webResult=(null)")));
}

TEST_F(ClientBasics, AnAnswerLaterThanTheTimeOutIsAFailure) {
    SetServiceTimeoutCap(1);
    m_main->script("qxSmsSend", LoopbackAnswer::Text("1", 4000));
    CWebServiceClient client = Client();
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(SendOne(client), -1);
    EXPECT_LT(timer.elapsed(), 3500);                 // not the whole delay
    EXPECT_EQ(m_main->calls("qxSmsSend").size(), 1u); // the request had gone out
    EXPECT_TRUE(runLog().contains(Q("Error,qxSmsSend，nRet=")));
}

TEST_F(ClientBasics, AnAnswerThatDripsEndsAtTheOperationsTimeOut) {
    SetServiceTimeoutCap(2);
    RawHttpPeer peer;
    // About 500 bytes, one every 300 ms: each byte comes well within the stall
    // time-out, the whole answer would take minutes.
    peer.setReply({RawHttpPeer::SoapResultAnswer("qxSmsSend", "1"), 0, 300});
    CWebServiceClient client = Client();
    client.SetEndpoint(peer.url().c_str());
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(SendOne(client), -1);
    EXPECT_LT(timer.elapsed(), 15000);
    EXPECT_EQ(peer.requests().size(), 1u);
    EXPECT_TRUE(runLog().contains(Q("Error,qxSmsSend，nRet=")));
}

TEST_F(ClientBasics, OneClientServesSeveralCallsInARow) {
    m_main->script("qxSmsSend", LoopbackAnswer::Text("5"));
    CWebServiceClient client = Client();
    for (int i = 0; i < 5; ++i) {
        std::string id;
        EXPECT_EQ(SendOne(client, &id), 0);
        EXPECT_EQ(id, "5");
    }
    m_main->script("qxSmsSend", LoopbackAnswer::SoapFault());
    EXPECT_EQ(SendOne(client), -1);
    m_main->script("qxSmsSend", LoopbackAnswer::Text("6"));
    std::string id;
    EXPECT_EQ(SendOne(client, &id), 0);
    EXPECT_EQ(id, "6");
    EXPECT_EQ(m_main->calls("qxSmsSend").size(), 7u);
}

TEST_F(ClientBasics, ClientsOnSeveralThreadsShareNothing) {
    m_main->setAnswerer([](const LoopbackCall& call) -> std::optional<LoopbackAnswer> {
        return LoopbackAnswer::Text("9" + call.field("mobile").value_or("?"));
    });
    constexpr int kThreads = 4;
    constexpr int kCalls = 5;
    std::atomic<int> good{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kCalls; ++i) {
                CWebServiceClient client(Q(kSerial), Q(kPassword));
                const std::string mobile = std::to_string(t) + "0" + std::to_string(i);
                std::string id;
                if (client.CallSmsSend(id, mobile, Q("x"), QString(), "") == 0 && id == "9" + mobile)
                    ++good;
            }
        });
    }
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(good, kThreads * kCalls);
    EXPECT_EQ(m_main->calls("qxSmsSend").size(), static_cast<size_t>(kThreads * kCalls));
}

// -------------------------------------------------------- result helpers

class ResultHelpers : public ServiceTest {
protected:
    void SetUp() override {
        ServiceTest::SetUp();
        m_title = MessageBoxTitle();
        SetMessageBoxTitle(Q("Corvelane"));
    }
    void TearDown() override {
        SetMessageBoxTitle(m_title);
        ServiceTest::TearDown();
    }
    QString m_title;
};

TEST_F(ResultHelpers, ShowResultCodeNamesTheReason) {
    const char* const reasons[] = {"操作失败",     "序列号密码不正确", "参数格式不正确", "余额不足",
                                   "数据格式错误", "参数有误",         "权限有限"};
    for (int code = -1; code >= -7; --code) {
        m_boxes->clear();
        const std::string text = std::to_string(code);
        EXPECT_EQ(ShowResultCode(text.c_str()), code);
        const auto shown = m_boxes->shown();
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].text, Q("错误代码:%1,原因:%2").arg(code).arg(Q(reasons[-code - 1])));
        EXPECT_EQ(shown[0].type & mb::IconMask, mb::IconError);
        EXPECT_EQ(shown[0].title, Q("Corvelane"));
    }
}

TEST_F(ResultHelpers, ShowResultCodeOtherCodes) {
    EXPECT_EQ(ShowResultCode("-2"), -2);
    EXPECT_EQ(m_boxes->texts(), QStringList{Q("错误代码:-2,原因:序列号密码不正确")});
    m_boxes->clear();
    EXPECT_EQ(ShowResultCode("-9"), -9);
    EXPECT_EQ(m_boxes->texts(), QStringList{Q("错误代码:-9,原因:参数有误")});
    m_boxes->clear();
    EXPECT_EQ(ShowResultCode("-2147483648"), INT_MIN);
    EXPECT_EQ(m_boxes->texts(), QStringList{Q("错误代码:-2147483648,原因:参数有误")});
    m_boxes->clear();
    EXPECT_EQ(ShowResultCode("15"), 15);
    EXPECT_EQ(ShowResultCode("0"), 0);
    EXPECT_EQ(ShowResultCode("abc"), 0);
    EXPECT_EQ(ShowResultCode(nullptr), 0);
    EXPECT_TRUE(m_boxes->shown().empty());
}

TEST_F(ResultHelpers, ShowResultTextShowsTheWholeResult) {
    EXPECT_EQ(ShowResultText("-3参数格式不正确"), -3);
    const auto shown = m_boxes->shown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, Q("-3参数格式不正确"));
    EXPECT_EQ(shown[0].type & mb::IconMask, mb::IconError);
    EXPECT_EQ(shown[0].title, Q("Corvelane"));
    m_boxes->clear();
    EXPECT_EQ(ShowResultText("  -12 x"), -12);
    EXPECT_EQ(m_boxes->texts(), QStringList{Q("  -12 x")});
    m_boxes->clear();
    EXPECT_EQ(ShowResultText("100 yuan"), 100);
    EXPECT_EQ(ShowResultText(""), 0);
    EXPECT_EQ(ShowResultText(nullptr), 0);
    EXPECT_TRUE(m_boxes->shown().empty());
}

TEST(LeadingNumber, ReadsAsAtoiDoes) {
    EXPECT_EQ(LeadingNumber(nullptr), 0);
    EXPECT_EQ(LeadingNumber(""), 0);
    EXPECT_EQ(LeadingNumber("abc"), 0);
    EXPECT_EQ(LeadingNumber("42"), 42);
    EXPECT_EQ(LeadingNumber(" \t\n+42x"), 42);
    EXPECT_EQ(LeadingNumber("-4"), -4);
    EXPECT_EQ(LeadingNumber("-"), 0);
    EXPECT_EQ(LeadingNumber("- 4"), 0);
    EXPECT_EQ(LeadingNumber("--4"), 0);
    EXPECT_EQ(LeadingNumber("2147483647"), INT_MAX);
    EXPECT_EQ(LeadingNumber("99999999999999999999"), INT_MAX);
    EXPECT_EQ(LeadingNumber("-99999999999999999999"), INT_MIN);
}

TEST(LeadingNumber, OnlyTheGivenBytesCount) {
    EXPECT_EQ(LeadingNumber("123456789012", 5), 12345);
    EXPECT_EQ(LeadingNumber("-4", 5), -4);
    EXPECT_EQ(LeadingNumber("    -4", 5), 0); // the digit lies beyond the first five bytes
    EXPECT_EQ(LeadingNumber("   -4", 5), -4);
    EXPECT_EQ(LeadingNumber("-1234567", 5), -1234);
    EXPECT_EQ(LeadingNumber("7", 0), 0);
}

} // namespace
