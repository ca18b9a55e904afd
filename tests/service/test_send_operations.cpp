// The send wrappers (SMS, international SMS, automatic replies, gxmt, fax,
// voice, MMS) against the loopback service, and the attachment encoder.
#include "core/account.h"
#include "core/app_globals.h"
#include "platform/ini.h"
#include "service/web_service_client.h"
#include "tests/support/raw_http_peer.h"
#include "tests/support/service_fixture.h"
#include "tests/support/test_helpers.h"

#include <QDir>
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

namespace {

QString Q(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// Bytes that are not all alike, so their base64 shows a misplaced byte.
QByteArray Pattern(qint64 n, int seed = 7) {
    QByteArray out(n, '\0');
    for (qint64 i = 0; i < n; ++i)
        out[i] = static_cast<char>((i * 31 + seed) & 0xFF);
    return out;
}

// A line-broken base64 text: its bytes, after checking the line layout
// (76 characters and CR LF to a complete line, nothing after a shorter one).
QByteArray DecodeLines(const std::string& text) {
    const QList<QByteArray> lines = QByteArray::fromStdString(text).split('\n');
    QByteArray joined;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QByteArray line = lines[i];
        const bool last = i + 1 == lines.size();
        if (!last) {
            EXPECT_TRUE(line.endsWith('\r')) << "line " << i;
            line.chop(1);
            EXPECT_EQ(line.size(), 76) << "line " << i;
        } else {
            // A padded group may complete the last line: it still ends without CR LF.
            EXPECT_LE(line.size(), 76) << "last line";
        }
        joined += line;
    }
    const auto decoded = QByteArray::fromBase64Encoding(joined, QByteArray::AbortOnBase64DecodingErrors);
    EXPECT_TRUE(decoded.decodingStatus == QByteArray::Base64DecodingStatus::Ok);
    return decoded.decoded;
}

// "name,<base64>" split at its first comma.
std::pair<std::string, QByteArray> Attachment(const std::string& text) {
    const size_t comma = text.find(',');
    if (comma == std::string::npos)
        return {text, {}};
    return {text.substr(0, comma), DecodeLines(text.substr(comma + 1))};
}

class SendOperations : public ServiceTest {
protected:
    void SetUp() override {
        ServiceTest::SetUp();
        m_mmsMax = g_nMmsMaxSize;
    }
    void TearDown() override {
        g_nMmsMaxSize = m_mmsMax;
        ServiceTest::TearDown();
    }

    CWebServiceClient Client() { return CWebServiceClient(Q(kSerial), Q(kPassword)); }

    QString WriteFile(const QString& relative, const QByteArray& bytes) {
        m_folder->writeFile(relative, bytes);
        return m_folder->file(relative);
    }
    // The only call of an operation on the main service.
    LoopbackCall OnlyCall(const std::string& operation) {
        auto calls = m_main->calls(operation);
        EXPECT_EQ(calls.size(), 1u) << operation;
        return calls.empty() ? LoopbackCall{} : calls[0];
    }
    // The one request a raw peer got, body only.
    static std::string OnlyBody(const RawHttpPeer& peer) {
        const auto r = peer.requests();
        EXPECT_EQ(r.size(), 1u);
        return r.empty() ? std::string() : RequestBody(r[0]);
    }

    int m_mmsMax = 0;
};

// --------------------------------------------------------------------- SMS

TEST_F(SendOperations, SmsRequestCarriesTheClientsAccountAndTheTextsAsGiven) {
    m_main->script("qxSmsSend", LoopbackAnswer::Text("20240501"));
    // The client's own account, not the logged-in record's.
    CWebServiceClient client(Q("SN-OTHER"), Q("pw"));
    std::string id;
    EXPECT_EQ(
        client.CallSmsSend(id, "13800000000,13900000000", Q("你好，世界"), Q("2024-05-01 08:00:00"), "12"),
        0);
    EXPECT_EQ(id, "20240501");
    const LoopbackCall call = OnlyCall("qxSmsSend");
    EXPECT_EQ(call.action, "http://ns.corvelane.invalid/qxSmsSend");
    EXPECT_EQ(call.field("sn"), "SN-OTHER");
    EXPECT_EQ(call.field("pwd"), UpperMd5("SN-OTHERpw"));
    EXPECT_EQ(call.field("mobile"), "13800000000,13900000000");
    EXPECT_EQ(call.field("content"), "你好，世界");
    EXPECT_EQ(call.field("ext"), "12");
    EXPECT_EQ(call.field("stime"), "2024-05-01 08:00:00");
    EXPECT_EQ(call.field("rrid"), "");
    const QString log = runLog();
    EXPECT_TRUE(log.contains(Q("call qxSmsSend\r\n")));
    EXPECT_TRUE(log.contains(Q("qxSmsSend，webResult=20240501\r\n")));
    EXPECT_TRUE(m_boxes->shown().empty());
}

TEST_F(SendOperations, SmsResultDecidesByItsFirstFiveBytes) {
    const std::string seventy(70, '8');
    struct Case {
        std::string result;
        int rc;
        std::string id; // "kept" when untouched
    } cases[] = {
        {"-4", -1, "kept"},
        {"-1", -1, "kept"},
        {"  -4", -1, "kept"},
        {"0", 0, "0"},
        {"123456789012", 0, "123456789012"}, // first five bytes positive
        {"1234-", 0, "1234-"},
        {seventy, 0, std::string(63, '8')},
        // No number at all: a broken answer, never a send id of 0.
        {"", -1, "kept"},
        {"abc", -1, "kept"},
        {" -", -1, "kept"},
        {"     7", -1, "kept"}, // the number lies past the five bytes that decide
    };
    CWebServiceClient client = Client();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.result);
        m_main->script("qxSmsSend", LoopbackAnswer::Text(c.result));
        std::string id = "kept";
        EXPECT_EQ(client.CallSmsSend(id, "13800000000", Q("x"), QString(), ""), c.rc);
        EXPECT_EQ(id, c.id);
    }
    EXPECT_TRUE(m_boxes->shown().empty());
}

// Times and the automatic reply's numbers travel in code page 936; a value
// outside ASCII would put raw GBK bytes into the UTF-8 request, so it is
// refused before anything goes out.
TEST_F(SendOperations, TimesAndNumbersOutsideAsciiAreRefusedBeforeTheCall) {
    RawHttpPeer peer;
    peer.setReply({RawHttpPeer::SoapResultAnswer("qxSmsSend", "1")});
    ini::WriteString(m_folder->file("ServerInfo.ini"), "Deployment", "IntlEndpoint",
                     QString::fromStdString(peer.url()));
    CWebServiceClient client = Client();
    client.SetEndpoint(peer.url().c_str());
    struct Case {
        const char* name;
        std::function<int(std::string&)> call;
    };
    const Case cases[] = {
        {"sms stime", [&](std::string& id) { return client.CallSmsSend(id, "13800000000", Q("你好"), Q("2024年"), ""); }},
        {"intl stime",
         [&](std::string& id) { return client.CallSmsSendIntl(id, "85290000000", Q("你好"), Q("定时"), ""); }},
        {"auto mobile", [&](std::string& id) { return client.CallSmsSendAuto(Q("１３８"), Q("你好"), QString(), id); }},
        {"auto stime", [&](std::string& id) { return client.CallSmsSendAuto(Q("138"), Q("你好"), Q("定时"), id); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string id = "kept";
        EXPECT_EQ(c.call(id), -1);
        EXPECT_EQ(id, "kept");
    }
    EXPECT_TRUE(peer.requests().empty());
    EXPECT_EQ(runLog().count(Q("holds a character outside ASCII")), 4);

    // The content is UTF-8 and an ASCII time goes as it is.
    std::string id;
    EXPECT_EQ(client.CallSmsSend(id, "13800000000", Q("你好"), Q("2024-05-01 08:00:00"), ""), 0);
    const std::string body = OnlyBody(peer);
    EXPECT_NE(body.find("<ns1:stime>2024-05-01 08:00:00</ns1:stime>"), std::string::npos) << body;
    EXPECT_NE(body.find("<ns1:content>\xe4\xbd\xa0\xe5\xa5\xbd</ns1:content>"), std::string::npos) << body;
}

TEST_F(SendOperations, SmsNetworkFailureIsMinusOneWithoutABox) {
    m_main->script("qxSmsSend", LoopbackAnswer::SoapFault());
    CWebServiceClient client = Client();
    std::string id = "kept";
    EXPECT_EQ(client.CallSmsSend(id, "13800000000", Q("x"), QString(), ""), -1);
    EXPECT_EQ(id, "kept");
    EXPECT_TRUE(runLog().contains(Q("Error,qxSmsSend，nRet=")));
    EXPECT_TRUE(m_boxes->shown().empty());
}

TEST_F(SendOperations, InternationalSmsGoesToItsOwnEndpoint) {
    m_backup->script("qxSmsSend_g", LoopbackAnswer::Text("7001"));
    CWebServiceClient client = Client();
    std::string id;
    EXPECT_EQ(client.CallSmsSendIntl(id, "0044700900123", Q("hello 你好"), Q("2024-05-01 08:00:00"), "3"), 0);
    EXPECT_EQ(id, "7001");
    EXPECT_TRUE(m_main->calls().empty());
    const auto calls = m_backup->calls("qxSmsSend_g");
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].path, "/gjwebservice.asmx");
    EXPECT_EQ(calls[0].action, "http://ns.corvelane.invalid/qxSmsSend_g");
    EXPECT_EQ(calls[0].field("sn"), kSerial);
    EXPECT_EQ(calls[0].field("pwd"), digest());
    EXPECT_EQ(calls[0].field("mobile"), "0044700900123");
    EXPECT_EQ(calls[0].field("content"), "hello 你好");
    EXPECT_EQ(calls[0].field("ext"), "3");
    EXPECT_EQ(calls[0].field("stime"), "2024-05-01 08:00:00");
    EXPECT_EQ(calls[0].field("rrid"), "");
    EXPECT_EQ(client.endpoint(), m_main->url()); // the client's own copy stays
    const QString log = runLog();
    EXPECT_TRUE(log.contains(Q("call qxSmsSend_USCOREg\r\n")));
    EXPECT_TRUE(log.contains(Q("qxSmsSend，webResult=7001\r\n")));
}

TEST_F(SendOperations, InternationalSmsFailures) {
    CWebServiceClient client = Client();
    m_backup->script("qxSmsSend_g", LoopbackAnswer::Text("-4"));
    std::string id = "kept";
    EXPECT_EQ(client.CallSmsSendIntl(id, "0044700900123", Q("x"), QString(), ""), -1);
    EXPECT_EQ(id, "kept");
    m_backup->script("qxSmsSend_g", LoopbackAnswer::SoapFault());
    EXPECT_EQ(client.CallSmsSendIntl(id, "0044700900123", Q("x"), QString(), ""), -1);
    EXPECT_EQ(id, "kept");
    EXPECT_TRUE(runLog().contains(Q("Error,qxSmsSend_USCOREg，nRet=")));
    EXPECT_TRUE(m_boxes->shown().empty());
}

TEST_F(SendOperations, AutomaticReplyRequestAndLogLines) {
    m_main->script("qxSmsSend", LoopbackAnswer::Text("7007"));
    CWebServiceClient client = Client();
    std::string id;
    EXPECT_EQ(client.CallSmsSendAuto(Q("13800000000"), Q("自动回复"), Q("2024-05-01 08:00:00"), id), 0);
    EXPECT_EQ(id, "7007");
    const LoopbackCall call = OnlyCall("qxSmsSend");
    EXPECT_EQ(call.field("sn"), kSerial);
    EXPECT_EQ(call.field("pwd"), digest());
    EXPECT_EQ(call.field("mobile"), "13800000000");
    EXPECT_EQ(call.field("content"), "自动回复");
    EXPECT_EQ(call.field("ext"), "");
    EXPECT_EQ(call.field("stime"), "2024-05-01 08:00:00");
    EXPECT_EQ(call.field("rrid"), "");
    const QString log = runLog();
    EXPECT_TRUE(log.contains(Q("自动回复或者自动转发时call qxSmsSend\r\n")));
    EXPECT_TRUE(log.contains(Q("自动回复或者自动转发时qxSmsSend，webResult=7007\r\n")));

    m_main->script("qxSmsSend", LoopbackAnswer::Text("-2"));
    id = "kept";
    EXPECT_EQ(client.CallSmsSendAuto(Q("13800000000"), Q("x"), QString(), id), -1);
    EXPECT_EQ(id, "kept");
    m_main->script("qxSmsSend", LoopbackAnswer::SoapFault());
    EXPECT_EQ(client.CallSmsSendAuto(Q("13800000000"), Q("x"), QString(), id), -1);
    EXPECT_TRUE(runLog().contains(Q("自动回复或者自动转发时Error,qxSmsSend，nRet=")));
    EXPECT_TRUE(m_boxes->shown().empty());
}

TEST_F(SendOperations, AutomaticReplyNumbersGoAsTheyAre) {
    RawHttpPeer peer;
    peer.setReply({RawHttpPeer::SoapResultAnswer("qxSmsSend", "1")});
    CWebServiceClient client = Client();
    client.SetEndpoint(peer.url().c_str());
    std::string id;
    EXPECT_EQ(client.CallSmsSendAuto(Q("13800000000,13900000000"), Q("你好"), Q("2024-05-01"), id), 0);
    const std::string body = OnlyBody(peer);
    EXPECT_NE(body.find("<ns1:mobile>13800000000,13900000000</ns1:mobile>"), std::string::npos) << body;
    EXPECT_NE(body.find("<ns1:content>\xe4\xbd\xa0\xe5\xa5\xbd</ns1:content>"), std::string::npos) << body;
    EXPECT_NE(body.find("<ns1:stime>2024-05-01</ns1:stime>"), std::string::npos) << body;
}

// -------------------------------------------------------------------- gxmt

TEST_F(SendOperations, GxmtSendsTheLoggedInAccountAndUtf8Lists) {
    m_main->script("gxmt", LoopbackAnswer::Text("3"));
    CWebServiceClient client(Q("SN-OTHER"), Q("pw"));
    EXPECT_EQ(client.CallGxmt(Q("13800000000,13900000000"), Q("早上好,晚上好"), Q("定时,定时"), Q("r1,r2")),
              0);
    const LoopbackCall call = OnlyCall("gxmt");
    EXPECT_EQ(call.action, "http://ns.corvelane.invalid/gxmt");
    EXPECT_EQ(call.field("sn"), kSerial);                 // the account record's serial number
    EXPECT_EQ(call.field("pwd"), UpperMd5("SN-OTHERpw")); // the client's digest
    EXPECT_EQ(call.field("mobile"), "13800000000,13900000000");
    EXPECT_EQ(call.field("content"), "早上好,晚上好");
    EXPECT_EQ(call.field("stime"), "定时,定时"); // UTF-8 here
    EXPECT_EQ(call.field("rrid"), "r1,r2");
    EXPECT_EQ(call.field("ext"), "");
    const QString log = runLog();
    EXPECT_TRUE(log.contains(Q("call gxmt\r\n")));
    EXPECT_TRUE(log.contains(Q("gxmt，webResult=3\r\n")));
}

TEST_F(SendOperations, GxmtResults) {
    CWebServiceClient client = Client();
    for (const auto& [result, rc] :
         {std::pair<const char*, int>{"0", 0}, {"15", 0}, {"-6", -1}, {"-99999", -1}, {"", -1}, {"abc", -1}}) {
        SCOPED_TRACE(result);
        m_main->script("gxmt", LoopbackAnswer::Text(result));
        EXPECT_EQ(client.CallGxmt(Q("1"), Q("x"), QString(), QString()), rc);
    }
    m_main->script("gxmt", LoopbackAnswer::Missing());
    EXPECT_EQ(client.CallGxmt(Q("1"), Q("x"), QString(), QString()), -1);
    m_main->script("gxmt", LoopbackAnswer::SoapFault());
    EXPECT_EQ(client.CallGxmt(Q("1"), Q("x"), QString(), QString()), -1);
    EXPECT_TRUE(runLog().contains(Q("Error,gxmt,nRet=")));
    EXPECT_TRUE(m_boxes->shown().empty());
}

// --------------------------------------------------------------------- fax

TEST_F(SendOperations, FaxOfExactlyTwoMegabytesIsSent) {
    const QByteArray bytes = Pattern(kFaxMaxBytes);
    const QString path = WriteFile("faxes/doc.tif", bytes);
    m_main->script("qxFaxSend", LoopbackAnswer::Text("1"));
    CWebServiceClient client(Q("SN-OTHER"), Q("pw"));
    EXPECT_EQ(client.CallFaxSend(Q("02088886666,02088887777"), path, Q("2024-05-01 08:00")), 0);
    const LoopbackCall call = OnlyCall("qxFaxSend");
    EXPECT_EQ(call.field("sn"), kSerial);
    EXPECT_EQ(call.field("pwd"), UpperMd5("SN-OTHERpw"));
    EXPECT_EQ(call.field("title"), "zx");
    EXPECT_EQ(call.field("mobile"), "02088886666,02088887777");
    EXPECT_EQ(call.field("srcnumber"), "");
    EXPECT_EQ(call.field("stime"), "2024-05-01 08:00");
    const auto [name, decoded] = Attachment(call.field("content").value_or(""));
    EXPECT_EQ(name, "doc.tif");
    EXPECT_TRUE(decoded == bytes);
    const QString log = runLog();
    EXPECT_TRUE(log.contains(Q("本次传真附件大小为:2097152字节\r\n")));
    EXPECT_TRUE(log.contains(Q("call qxFaxSend\r\n")));
    EXPECT_TRUE(log.contains(Q("qxFaxSend，webResult=1\r\n")));
    EXPECT_TRUE(m_boxes->shown().empty());
}

TEST_F(SendOperations, FaxOneByteOverTheLimitIsRefused) {
    const QString path = WriteFile("faxes/big.tif", Pattern(kFaxMaxBytes + 1));
    CWebServiceClient client = Client();
    EXPECT_EQ(client.CallFaxSend(Q("1"), path, QString()), kResultFileTooLarge);
    const auto shown = m_boxes->shown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, Q("传真文件不能超过2M."));
    EXPECT_EQ(shown[0].type & mb::IconMask, mb::IconError);
    EXPECT_TRUE(m_main->calls().empty());
}

TEST_F(SendOperations, FaxThatCannotBeOpenedIsNotSent) {
    QDir().mkpath(m_folder->file("a-folder"));
    for (const QString& path : {m_folder->file("missing.tif"), QString(), m_folder->file("a-folder")}) {
        SCOPED_TRACE(path.toStdString());
        m_boxes->clear();
        CWebServiceClient client = Client();
        EXPECT_EQ(client.CallFaxSend(Q("1"), path, QString()), kResultFileNotOpened);
        EXPECT_EQ(m_boxes->texts(), QStringList{Q("打开传真文件失败")});
    }
    EXPECT_TRUE(runLog().contains(Q("打开传真文件失败\r\n")));
    EXPECT_TRUE(m_main->calls().empty());
}

TEST_F(SendOperations, FaxNameIsUtf8AndAnEmptyFileIsJustItsName) {
    const QString path = WriteFile(Q("传真/文件.pdf"), QByteArray());
    CWebServiceClient client = Client();
    EXPECT_EQ(client.CallFaxSend(Q("1"), path, QString()), 0);
    EXPECT_EQ(OnlyCall("qxFaxSend").field("content"), "文件.pdf,");
}

TEST_F(SendOperations, FaxResultsAndNetworkFailure) {
    const QString path = WriteFile("doc.tif", Pattern(100));
    CWebServiceClient client = Client();
    m_main->script("qxFaxSend", LoopbackAnswer::Text("-4"));
    EXPECT_EQ(client.CallFaxSend(Q("1"), path, QString()), -1);
    m_main->script("qxFaxSend", LoopbackAnswer::Missing());
    EXPECT_EQ(client.CallFaxSend(Q("1"), path, QString()), -1);
    m_main->script("qxFaxSend", LoopbackAnswer::Text("20"));
    EXPECT_EQ(client.CallFaxSend(Q("1"), path, QString()), 0);
    EXPECT_TRUE(m_boxes->shown().empty()); // the service's refusals show nothing here

    client.SetEndpoint(ClosedEndpoint().c_str());
    EXPECT_EQ(client.CallFaxSend(Q("1"), path, QString()), kResultNetworkFailure);
    EXPECT_EQ(m_boxes->texts(), QStringList{Q("网络错误.")});
    EXPECT_TRUE(runLog().contains(Q("Error,qxFaxSend,nRet=")));
}

// ------------------------------------------------------------------- voice

TEST_F(SendOperations, VoiceAtTheLimitIsSentWithAllItsFields) {
    const QByteArray bytes = Pattern(kVoiceMaxBytes, 3);
    const QString path = WriteFile("voice/greeting.wav", bytes);
    m_main->script("qxAudioSend", LoopbackAnswer::Text("10001"));
    CWebServiceClient client(Q("SN-OTHER"), Q("pw"));
    EXPECT_EQ(client.CallAudioSend(Q("主题"), Q("13800000000,13900000000"), path, Q("语音文字"),
                                   Q("2024-05-01 08:00"), Q("02012345678")),
              10001);
    const LoopbackCall call = OnlyCall("qxAudioSend");
    EXPECT_EQ(call.field("sn"), kSerial);
    EXPECT_EQ(call.field("pwd"), UpperMd5("SN-OTHERpw"));
    EXPECT_EQ(call.field("title"), "主题");
    EXPECT_EQ(call.field("mobile"), "13800000000,13900000000");
    EXPECT_EQ(call.field("txt"), "语音文字");
    EXPECT_EQ(call.field("srcnumber"), "02012345678");
    EXPECT_EQ(call.field("stime"), "2024-05-01 08:00");
    const auto [name, decoded] = Attachment(call.field("content").value_or(""));
    EXPECT_EQ(name, "greeting.wav");
    EXPECT_TRUE(decoded == bytes);
    const QString log = runLog();
    const std::string digest = UpperMd5("SN-OTHERpw");
    // The digest is a credential: the log keeps its beginning only.
    EXPECT_TRUE(log.contains(
        QString::fromStdString("call qxAudioSend,param.sn=SN-OTHER,param.pwd=" + digest.substr(0, 4) +
                               "...,endpoint=" + m_main->url() + ",proxy_host=,proxy_port=0\r\n")))
        << log.toStdString();
    EXPECT_FALSE(log.contains(QString::fromStdString(digest)));
    EXPECT_TRUE(log.contains(Q("qxAudioSend，webResult=10001\r\n")));
    EXPECT_TRUE(m_boxes->shown().empty());
}

TEST_F(SendOperations, VoiceOfMoreThan512000BytesIsRefused) {
    const QString path = WriteFile("voice/long.wav", Pattern(kVoiceMaxBytes + 1));
    CWebServiceClient client = Client();
    EXPECT_EQ(client.CallAudioSend(Q("t"), Q("1"), path, Q("x"), QString(), QString()), kResultFileTooLarge);
    EXPECT_EQ(m_boxes->texts(), QStringList{Q("语音文件不能超过500K.")});
    EXPECT_TRUE(m_main->calls().empty());
}

TEST_F(SendOperations, VoiceFileThatCannotBeOpenedIsNotSent) {
    CWebServiceClient client = Client();
    EXPECT_EQ(
        client.CallAudioSend(Q("t"), Q("1"), m_folder->file("missing.wav"), Q("x"), QString(), QString()),
        kResultFileNotOpened);
    EXPECT_EQ(m_boxes->texts(), QStringList{Q("打开语音文件失败")});
    EXPECT_TRUE(runLog().contains(Q("打开语音文件失败\r\n")));
    EXPECT_TRUE(m_main->calls().empty());
}

TEST_F(SendOperations, VoiceWithoutASoundFileSendsTheTextAlone) {
    m_main->script("qxAudioSend", LoopbackAnswer::Text("10002"));
    CWebServiceClient client = Client();
    EXPECT_EQ(client.CallAudioSend(Q("短信转语音主题"), Q("1"), QString(), Q("请回电"), QString(), Q("100")),
              10002);
    const LoopbackCall call = OnlyCall("qxAudioSend");
    EXPECT_EQ(call.field("content"), "");
    EXPECT_EQ(call.field("txt"), "请回电");
}

TEST_F(SendOperations, VoiceResultsGoThroughShowResultCode) {
    CWebServiceClient client = Client();
    m_main->script("qxAudioSend", LoopbackAnswer::Text("-4"));
    EXPECT_EQ(client.CallAudioSend(Q("t"), Q("1"), QString(), Q("x"), QString(), QString()), -4);
    EXPECT_EQ(m_boxes->texts(), QStringList{Q("错误代码:-4,原因:余额不足")});
    m_boxes->clear();
    m_main->script("qxAudioSend", LoopbackAnswer::Text("0"));
    EXPECT_EQ(client.CallAudioSend(Q("t"), Q("1"), QString(), Q("x"), QString(), QString()), 0);
    m_main->script("qxAudioSend", LoopbackAnswer::Missing());
    EXPECT_EQ(client.CallAudioSend(Q("t"), Q("1"), QString(), Q("x"), QString(), QString()), -1);
    // An answer without a number is as broken as a missing one.
    for (const char* broken : {"", "abc"}) {
        m_main->script("qxAudioSend", LoopbackAnswer::Text(broken));
        EXPECT_EQ(client.CallAudioSend(Q("t"), Q("1"), QString(), Q("x"), QString(), QString()), -1) << broken;
    }
    EXPECT_TRUE(m_boxes->shown().empty());

    client.SetEndpoint(ClosedEndpoint().c_str());
    EXPECT_EQ(client.CallAudioSend(Q("t"), Q("1"), QString(), Q("x"), QString(), QString()),
              kResultNetworkFailure);
    EXPECT_EQ(m_boxes->texts(), QStringList{Q("网络错误.")});
    EXPECT_TRUE(runLog().contains(Q("Error,qxAudioSend,nRet=")));
}

// --------------------------------------------------------------------- MMS

TEST_F(SendOperations, MmsPacksEveryFramesPartsInOrder) {
    const QByteArray picture = Pattern(100, 1);
    const QByteArray sound = Pattern(57, 2);
    const QByteArray third = Pattern(58, 3);
    std::vector<MMSCONTENT> frames(3);
    frames[0].picturePath = WriteFile("mms/a.jpg", picture);
    frames[0].soundPath = WriteFile("mms/b.amr", sound);
    frames[0].text = Q("你好");
    frames[1].text = Q("second");
    frames[2].picturePath = WriteFile("mms/c.GIF", third);
    m_main->script("qxMmsSend", LoopbackAnswer::Text("0"));
    CWebServiceClient client(Q("SN-OTHER"), Q("pw"));
    EXPECT_EQ(client.CallMmsSend(frames, Q("彩信标题"), Q("13800000000,13900000000"), Q("2024-05-01 08:00")),
              0);

    const LoopbackCall call = OnlyCall("qxMmsSend");
    EXPECT_EQ(call.field("sn"), "SN-OTHER"); // the client's, unlike fax and voice
    EXPECT_EQ(call.field("pwd"), UpperMd5("SN-OTHERpw"));
    EXPECT_EQ(call.field("title"), "彩信标题");
    EXPECT_EQ(call.field("mobile"), "13800000000,13900000000");
    EXPECT_EQ(call.field("stime"), "2024-05-01 08:00");
    const std::string expected = "1_2.jpg," + Base64EncodeLines(picture.toStdString()) + ";" + "1_3.amr," +
                                 Base64EncodeLines(sound.toStdString()) + ";" + "1_1.txt," +
                                 Base64EncodeLines("你好") + ";" + "2_1.txt," + Base64EncodeLines("second") +
                                 ";" + "3_2.GIF," + Base64EncodeLines(third.toStdString()) + ";";
    EXPECT_EQ(call.field("content"), expected);

    // Each part on its own, decoded.
    const QList<QByteArray> parts = QByteArray::fromStdString(call.field("content").value_or("")).split(';');
    ASSERT_EQ(parts.size(), 6); // five parts, each followed by ";"
    EXPECT_TRUE(parts[5].isEmpty());
    EXPECT_TRUE(Attachment(parts[0].toStdString()).second == picture);
    EXPECT_TRUE(Attachment(parts[1].toStdString()).second == sound);
    EXPECT_EQ(Attachment(parts[2].toStdString()).second, QByteArray("你好"));

    const QString log = runLog();
    EXPECT_TRUE(log.contains(QString::fromStdString(
        "call qxMmsSend,param.sn=SN-OTHER,param.pwd=" + UpperMd5("SN-OTHERpw").substr(0, 4) +
        "...,endpoint=" + m_main->url() + ",proxy_host=,proxy_port=0")));
    EXPECT_TRUE(log.contains(Q("qxMmsSend，webResult=0\r\n")));
}

TEST_F(SendOperations, MmsExtensionComesFromTheFileNameOnly) {
    std::vector<MMSCONTENT> frames(1);
    frames[0].picturePath = WriteFile("mms.d/picture", Pattern(10)); // no extension; a dot in the folder
    m_main->script("qxMmsSend", LoopbackAnswer::Text("0"));
    CWebServiceClient client = Client();
    EXPECT_EQ(client.CallMmsSend(frames, Q("t"), Q("1"), QString()), 0);
    const std::string content = OnlyCall("qxMmsSend").field("content").value_or("");
    EXPECT_EQ(content.substr(0, 4), "1_2,");
}

TEST_F(SendOperations, MmsSizeLimits) {
    g_nMmsMaxSize = 2048;
    CWebServiceClient client = Client();
    const QString atLimit = WriteFile("mms/limit.jpg", Pattern(2048));
    const QString over = WriteFile("mms/over.jpg", Pattern(2049));
    const QString overSound = WriteFile("mms/over.amr", Pattern(2049));
    const QString oneByte = WriteFile("mms/one.amr", Pattern(1));

    auto send = [&](const QString& picture, const QString& sound) {
        std::vector<MMSCONTENT> frames(2);
        frames[0].picturePath = picture;
        frames[1].soundPath = sound;
        frames[1].text = Q(std::string(5000, 't').c_str()); // the text does not count
        m_boxes->clear();
        return client.CallMmsSend(frames, Q("t"), Q("1"), QString());
    };
    EXPECT_EQ(send(over, QString()), kResultFileTooLarge);
    EXPECT_EQ(m_boxes->texts(), QStringList{Q("图片文件大小超过2K")});
    EXPECT_EQ(send(QString(), overSound), kResultFileTooLarge);
    EXPECT_EQ(m_boxes->texts(), QStringList{Q("声音文件大小超过2K")});
    EXPECT_EQ(send(atLimit, oneByte), kResultFileTooLarge); // each fits, together they do not
    EXPECT_EQ(m_boxes->texts(), QStringList{Q("本条彩信超过2K")});
    EXPECT_TRUE(m_main->calls().empty());

    EXPECT_EQ(send(atLimit, QString()), 0);
    EXPECT_TRUE(m_boxes->shown().empty());
    EXPECT_EQ(m_main->calls("qxMmsSend").size(), 1u);
}

TEST_F(SendOperations, MmsFileThatCannotBeOpenedIsNotSent) {
    CWebServiceClient client = Client();
    std::vector<MMSCONTENT> frames(1);
    frames[0].picturePath = m_folder->file("mms/missing.jpg");
    EXPECT_EQ(client.CallMmsSend(frames, Q("t"), Q("1"), QString()), kResultFileNotOpened);
    EXPECT_TRUE(runLog().contains(Q("打开图片文件失败\r\n")));
    frames[0].picturePath.clear();
    frames[0].soundPath = m_folder->file("mms/missing.amr");
    EXPECT_EQ(client.CallMmsSend(frames, Q("t"), Q("1"), QString()), kResultFileNotOpened);
    EXPECT_TRUE(runLog().contains(Q("打开声音文件失败\r\n")));
    EXPECT_TRUE(m_boxes->shown().empty()); // the composer records a failed batch
    EXPECT_TRUE(m_main->calls().empty());
}

TEST_F(SendOperations, MmsResultsAndNetworkFailure) {
    CWebServiceClient client = Client();
    std::vector<MMSCONTENT> frames(1);
    frames[0].text = Q("x");
    m_main->script("qxMmsSend", LoopbackAnswer::Text("-4"));
    EXPECT_EQ(client.CallMmsSend(frames, Q("t"), Q("1"), QString()), -1);
    m_main->script("qxMmsSend", LoopbackAnswer::Missing());
    EXPECT_EQ(client.CallMmsSend(frames, Q("t"), Q("1"), QString()), -1);
    m_main->script("qxMmsSend", LoopbackAnswer::Text("12"));
    EXPECT_EQ(client.CallMmsSend(frames, Q("t"), Q("1"), QString()), 0);
    client.SetEndpoint(ClosedEndpoint().c_str());
    EXPECT_EQ(client.CallMmsSend(frames, Q("t"), Q("1"), QString()), -1);
    EXPECT_TRUE(runLog().contains(Q("Error,qxMmsSend,nRet=")));
    EXPECT_TRUE(m_boxes->shown().empty());
}

// ------------------------------------------------------------------ base64

TEST(Base64Lines, DemandedCapacity) {
    EXPECT_EQ(Base64EncodedLength(0), 2u);
    EXPECT_EQ(Base64EncodedLength(2), 6u);
    EXPECT_EQ(Base64EncodedLength(3), 6u);
    EXPECT_EQ(Base64EncodedLength(57), 80u);
    EXPECT_EQ(Base64EncodedLength(58), 84u);
}

TEST(Base64Lines, Rfc4648Vectors) {
    const std::pair<const char*, const char*> vectors[] = {
        {"", ""},
        {"f", "Zg=="},
        {"fo", "Zm8="},
        {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="},
        {"fooba", "Zm9vYmE="},
        {"foobar", "Zm9vYmFy"},
    };
    for (const auto& [in, out] : vectors)
        EXPECT_EQ(Base64EncodeLines(std::string_view(in)), out) << in;
}

TEST(Base64Lines, LineBreaksFollowEveryCompleteLine) {
    const std::string b57 = Base64EncodeLines(Pattern(57).toStdString());
    EXPECT_EQ(b57.size(), 78u);
    EXPECT_EQ(b57.substr(76), "\r\n");
    const std::string b58 = Base64EncodeLines(Pattern(58).toStdString());
    EXPECT_EQ(b58.size(), 82u);
    EXPECT_EQ(b58.substr(0, 78), b57);
    EXPECT_EQ(b58.substr(80), "==");
    const std::string b2 = Base64EncodeLines(Pattern(2).toStdString());
    EXPECT_EQ(b2.size(), 4u);
    EXPECT_EQ(b2.back(), '=');
    EXPECT_NE(b2[2], '=');
    const std::string b114 = Base64EncodeLines(Pattern(114).toStdString());
    EXPECT_EQ(b114.size(), 156u);
    EXPECT_EQ(b114.substr(154), "\r\n");
}

TEST(Base64Lines, RoundTripsEverySize) {
    for (int n = 0; n <= 400; ++n) {
        SCOPED_TRACE(n);
        const QByteArray bytes = Pattern(n, n);
        const std::string text = Base64EncodeLines(bytes.toStdString());
        EXPECT_LE(text.size(), Base64EncodedLength(n));
        EXPECT_TRUE(DecodeLines(text) == bytes);
    }
}

TEST(Base64Lines, RefusesMissingArgumentsAndShortBuffers) {
    const unsigned char in[58] = {1, 2, 3};
    char out[100];
    std::memset(out, 'z', sizeof out);
    size_t capacity = 83; // one short of the demand for 58 bytes
    EXPECT_FALSE(Base64EncodeLines(out, &capacity, in, sizeof in));
    EXPECT_EQ(capacity, 83u);
    EXPECT_EQ(out[0], 'z');
    capacity = 84;
    EXPECT_FALSE(Base64EncodeLines(nullptr, &capacity, in, sizeof in));
    EXPECT_FALSE(Base64EncodeLines(out, nullptr, in, sizeof in));
    EXPECT_FALSE(Base64EncodeLines(out, &capacity, nullptr, sizeof in));
    EXPECT_EQ(out[0], 'z');
    EXPECT_TRUE(Base64EncodeLines(out, &capacity, in, sizeof in));
    EXPECT_EQ(capacity, 82u);
    EXPECT_EQ(out[82], 'z'); // no terminator written
}

} // namespace
