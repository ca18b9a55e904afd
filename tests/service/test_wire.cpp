// The client against a peer that shares nothing with our interface header: a
// Python script that records the request bytes and answers the way the .NET
// service does (default namespace, no prefixes). Our own gSOAP loopback
// service would agree with any mistake the generated code makes on both
// sides; this peer does not. The same peer also stands in for an HTTP proxy.
#include "core/deployment.h"
#include "platform/ini.h"
#include "service/service_state.h"
#include "service/web_service_client.h"
#include "tests/support/service_fixture.h"
#include "tests/support/soap_capture_peer.h"
#include "tests/support/test_helpers.h"

#include <QXmlStreamReader>
#include <gtest/gtest.h>

#include <cstring>

namespace {

constexpr const char* kSoap12Envelope = "http://www.w3.org/2003/05/soap-envelope";
// MD5 of "SN-TEST-01secret" in upper case, worked out apart from the client.
constexpr const char* kFixtureDigest = "7AEEBBC406F9C52AC40CD3463523C258";

struct XmlField {
    QString ns;
    QString name;
    QString text;
};

// The parts of a SOAP request that the service looks at.
struct SoapRequest {
    QString error; // empty when the body parsed
    QString envelopeNs;
    QString envelopeName;
    bool hasHeader = false;
    QString operationNs;
    QString operation;
    std::vector<XmlField> fields;
};

SoapRequest ParseSoapRequest(const QByteArray& body) {
    SoapRequest r;
    QXmlStreamReader xml(body);
    if (!xml.readNextStartElement()) {
        r.error = QStringLiteral("no root element");
        return r;
    }
    r.envelopeNs = xml.namespaceUri().toString();
    r.envelopeName = xml.name().toString();
    while (xml.readNextStartElement()) {
        if (xml.name() == QLatin1String("Header")) {
            r.hasHeader = true;
            xml.skipCurrentElement();
        } else if (xml.name() == QLatin1String("Body") && xml.readNextStartElement()) {
            r.operationNs = xml.namespaceUri().toString();
            r.operation = xml.name().toString();
            while (xml.readNextStartElement()) {
                XmlField f{xml.namespaceUri().toString(), xml.name().toString(), QString()};
                f.text = xml.readElementText(QXmlStreamReader::IncludeChildElements);
                r.fields.push_back(f);
            }
            break;
        } else {
            xml.skipCurrentElement();
        }
    }
    if (xml.hasError())
        r.error = xml.errorString();
    return r;
}

// "name=text" per field, in wire order, for readable comparisons.
QStringList FieldList(const SoapRequest& r) {
    QStringList out;
    for (const XmlField& f : r.fields)
        out << f.name + QLatin1Char('=') + f.text;
    return out;
}

QString ContentTypeFor(const QString& ns, const QString& operation) {
    return QStringLiteral("application/soap+xml; charset=utf-8; action=\"%1%2\"").arg(ns, operation);
}

class WireFormat : public ServiceTest {
protected:
    void setDeployment(const char* key, const QString& value) {
        ini::WriteString(m_folder->file("ServerInfo.ini"), "Deployment", key, value);
    }
};

// The SMS operations carry the fields in order, all qualified in the service
// namespace, the text as UTF-8 bytes; the .NET answer is read. The namespace
// is a deployment value, so an overridden one must reach the wire and the
// parser alike.
TEST_F(WireFormat, SmsRequestOnTheWireAndDotNetAnswer) {
    const QString builtInNs = DeploymentValue(DeploymentKey::ServiceNamespace);
    struct Case {
        const char* label;
        QString ns;
        bool international;
        const char* path;
        const char* element;
    };
    const Case cases[] = {
        {"qxSmsSend", builtInNs, false, "/webservice.asmx", "qxSmsSend"},
        {"qxSmsSend, namespace set by the deployment", QStringLiteral("http://ns.other.invalid/sms/"), false,
         "/webservice.asmx", "qxSmsSend"},
        {"qxSmsSend_g on the international endpoint", builtInNs, true, "/gjwebservice.asmx", "qxSmsSend_g"},
    };
    const QString content = QStringLiteral("短信测试：你好，世界！ ok");
    const QByteArray contentUtf8 = content.toUtf8();

    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        SoapCapturePeer peer(c.ns);
        ASSERT_TRUE(peer.isRunning()) << peer.errorString().toStdString();
        setDeployment("ServiceNamespace", c.ns == builtInNs ? QString() : c.ns);
        if (c.international)
            setDeployment("IntlEndpoint", QString::fromStdString(peer.url(c.path)));
        else
            SetServiceUrl(peer.url(c.path));

        std::string id;
        int rc;
        {
            CWebServiceClient client(QString::fromLatin1(kSerial), QString::fromLatin1(kPassword));
            rc = c.international ? client.CallSmsSendIntl(id, "13800138000,13900139000", content,
                                                          QStringLiteral("2026-12-10 10:00:00"), "")
                                 : client.CallSmsSend(id, "13800138000,13900139000", content,
                                                      QStringLiteral("2026-12-10 10:00:00"), "");
        }
        EXPECT_EQ(rc, 0);
        EXPECT_EQ(id, "8765");

        const auto requests = peer.requests(1);
        ASSERT_EQ(requests.size(), 1u);
        const CapturedRequest& req = requests[0];
        EXPECT_EQ(req.requestLine, QByteArray("POST ") + c.path + " HTTP/1.1");
        EXPECT_EQ(req.header("Host"), "127.0.0.1:" + QByteArray::number(peer.port()));
        EXPECT_EQ(QString::fromLatin1(req.header("Content-Type")), ContentTypeFor(c.ns, c.element));
        EXPECT_TRUE(req.body.contains(">" + contentUtf8 + "<")) << req.body.toStdString();

        const SoapRequest soap = ParseSoapRequest(req.body);
        ASSERT_TRUE(soap.error.isEmpty()) << soap.error.toStdString() << "\n" << req.body.toStdString();
        EXPECT_EQ(soap.envelopeNs, kSoap12Envelope);
        EXPECT_EQ(soap.envelopeName, "Envelope");
        EXPECT_FALSE(soap.hasHeader);
        EXPECT_EQ(soap.operationNs, c.ns);
        EXPECT_EQ(soap.operation, c.element);
        EXPECT_EQ(FieldList(soap),
                  QStringList({QStringLiteral("sn=SN-TEST-01"), QStringLiteral("pwd=") + kFixtureDigest,
                               QStringLiteral("mobile=13800138000,13900139000"),
                               QStringLiteral("content=") + content, QStringLiteral("ext="),
                               QStringLiteral("stime=2026-12-10 10:00:00"), QStringLiteral("rrid=")}));
        for (const XmlField& f : soap.fields)
            EXPECT_EQ(f.ns, c.ns) << f.name.toStdString();
    }
    // The international send went to its own endpoint only.
    EXPECT_TRUE(m_main->calls().empty());
}

// A null field is left out of the request; an empty one is sent empty.
TEST_F(WireFormat, NullFieldIsLeftOutEmptyFieldIsSent) {
    const QString ns = DeploymentValue(DeploymentKey::ServiceNamespace);
    SoapCapturePeer peer(ns);
    ASSERT_TRUE(peer.isRunning()) << peer.errorString().toStdString();
    SetServiceUrl(peer.url());

    CWebServiceClient client(QString::fromLatin1(kSerial), QString::fromLatin1(kPassword));
    std::string sn = kSerial, pwd = client.digest(), mobile = "13800138000", text = "hello", empty;
    _ns1__qxSmsSend req;
    _ns1__qxSmsSendResponse resp;
    req.sn = sn.data();
    req.pwd = pwd.data();
    req.mobile = mobile.data();
    req.content = text.data();
    req.ext = empty.data();
    req.stime = nullptr;
    req.rrid = nullptr;
    ASSERT_EQ(client.proxy().qxSmsSend(&req, resp), SOAP_OK);
    ASSERT_NE(resp.qxSmsSendResult, nullptr);
    EXPECT_STREQ(resp.qxSmsSendResult, "8765");

    const auto requests = peer.requests(1);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(QString::fromLatin1(requests[0].header("Content-Type")), ContentTypeFor(ns, "qxSmsSend"));
    const SoapRequest soap = ParseSoapRequest(requests[0].body);
    ASSERT_TRUE(soap.error.isEmpty()) << soap.error.toStdString();
    EXPECT_EQ(FieldList(soap),
              QStringList({QStringLiteral("sn=SN-TEST-01"), QStringLiteral("pwd=") + kFixtureDigest,
                           QStringLiteral("mobile=13800138000"), QStringLiteral("content=hello"),
                           QStringLiteral("ext=")}));
}

// GetAllInfo2 in .NET style: the record's elements unprefixed in the default
// namespace, in an order of the service's own and with an element this
// client does not know. The fields are found by name, the rest ignored.
TEST_F(WireFormat, AccountInformationInDotNetStyle) {
    const QString ns = DeploymentValue(DeploymentKey::ServiceNamespace);
    SoapCapturePeer peer(ns, QStringLiteral("<SERVICECODE>10690000</SERVICECODE><UPDATE>1</UPDATE>"
                                            "<NEWFIELD>x</NEWFIELD><SLIST>a|/b:80,c</SLIST>"
                                            "<ROLES>11</ROLES><RESULT>0</RESULT>"));
    ASSERT_TRUE(peer.isRunning()) << peer.errorString().toStdString();
    SetServiceUrl(peer.url());

    ACCOUNT_SERVICE_INFO info;
    {
        CWebServiceClient client(QString::fromLatin1(kSerial), QString::fromLatin1(kPassword));
        EXPECT_EQ(client.CallGetAllInfo2(info), 0);
    }
    EXPECT_EQ(info.rights, 0x7F78);
    EXPECT_EQ(info.servers, QStringList({QStringLiteral("a/b:80"), QStringLiteral("c")}));
    EXPECT_EQ(info.update, "1");
    EXPECT_EQ(info.serviceCode, "10690000");

    const auto requests = peer.requests(1);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(QString::fromLatin1(requests[0].header("Content-Type")), ContentTypeFor(ns, "GetAllInfo2"));
    const SoapRequest soap = ParseSoapRequest(requests[0].body);
    EXPECT_EQ(soap.operation, "GetAllInfo2");
    EXPECT_EQ(FieldList(soap), QStringList({QStringLiteral("sn=SN-TEST-01"), QStringLiteral("pwd=secret"),
                                            QStringLiteral("ver=4.61"), QStringLiteral("oem=")}));
    EXPECT_TRUE(m_boxes->texts().isEmpty());
}

class ProxyPath : public ServiceTest {
protected:
    void TearDown() override {
        SetProxySettings(nullptr, 0, nullptr, nullptr);
        ServiceTest::TearDown();
    }
};

// With a proxy port the request goes to the proxy with the absolute URI of
// the endpoint and, when a user is set, Basic proxy credentials.
TEST_F(ProxyPath, RequestGoesThroughTheProxy) {
    SoapCapturePeer proxy(DeploymentValue(DeploymentKey::ServiceNamespace));
    ASSERT_TRUE(proxy.isRunning()) << proxy.errorString().toStdString();
    // Nothing listens at the endpoint itself: only the proxy can answer.
    const std::string endpoint =
        "http://127.0.0.1:" + std::to_string(ClosedLoopbackPort()) + "/webservice.asmx";
    SetServiceUrl(endpoint);

    struct Case {
        std::string user;
        std::string password;
        const char* authorization; // null: no Proxy-Authorization header
    };
    const Case cases[] = {
        {"corvelane", "pr0xy pass", "Basic Y29ydmVsYW5lOnByMHh5IHBhc3M="},
        // 31 characters each: the longest the settings keep, sent whole.
        {std::string(31, 'u'), std::string(30, 'p') + "!",
         "Basic dXV1dXV1dXV1dXV1dXV1dXV1dXV1dXV1dXV1dXV1dTpwcHBwcHBwcHBwcHBwcHBwcHBwcHBwcHBwcHBwcHAh"},
        {"", "", nullptr},
    };
    size_t seen = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.user);
        SetProxySettings("127.0.0.1", proxy.port(), c.user.c_str(), c.password.c_str());
        std::string id;
        {
            CWebServiceClient client(QString::fromLatin1(kSerial), QString::fromLatin1(kPassword));
            EXPECT_EQ(client.CallSmsSend(id, "13800138000", QStringLiteral("hi"), QString(), ""), 0);
        }
        EXPECT_EQ(id, "8765");
        const auto requests = proxy.requests(++seen);
        ASSERT_EQ(requests.size(), seen);
        const CapturedRequest& req = requests.back();
        EXPECT_EQ(req.requestLine, QByteArray::fromStdString("POST " + endpoint + " HTTP/1.1"));
        bool found = false;
        const QByteArray auth = req.header("Proxy-Authorization", &found);
        if (c.authorization)
            EXPECT_EQ(auth, c.authorization);
        else
            EXPECT_FALSE(found) << auth.toStdString();
    }
}

// Port 0 means no proxy, even with a host and credentials stored.
TEST_F(ProxyPath, PortZeroGoesDirect) {
    SoapCapturePeer peer(DeploymentValue(DeploymentKey::ServiceNamespace));
    ASSERT_TRUE(peer.isRunning()) << peer.errorString().toStdString();
    SetServiceUrl(peer.url());
    SetProxySettings("127.0.0.1", 0, "corvelane", "pr0xy pass");

    CWebServiceClient client(QString::fromLatin1(kSerial), QString::fromLatin1(kPassword));
    EXPECT_EQ(client.proxy().proxy_host, nullptr);
    EXPECT_EQ(client.proxy().proxy_userid, nullptr);
    std::string id;
    EXPECT_EQ(client.CallSmsSend(id, "13800138000", QStringLiteral("hi"), QString(), ""), 0);
    const auto requests = peer.requests(1);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].requestLine, "POST /webservice.asmx HTTP/1.1");
    bool found = true;
    requests[0].header("Proxy-Authorization", &found);
    EXPECT_FALSE(found);
}

// The settings hold a host of 127 characters and a user and password of 31;
// those reach the connection whole, longer ones cut to that.
TEST_F(ProxyPath, LongSettingsReachTheConnection) {
    struct Case {
        size_t hostLength, userLength, keptHost, keptUser;
    };
    for (const Case& c : {Case{127, 31, 127, 31}, Case{128, 32, 127, 31}}) {
        SCOPED_TRACE(c.hostLength);
        std::string host(c.hostLength, 'h'), user(c.userLength, 'u'), password(c.userLength, 'p');
        host.back() = 'H', user.back() = 'U', password.back() = 'P'; // a lost last character shows
        SetProxySettings(host.c_str(), 3128, user.c_str(), password.c_str());
        CWebServiceClient client(QString::fromLatin1(kSerial), QString::fromLatin1(kPassword));
        const soap& ctx = client.proxy();
        ASSERT_NE(ctx.proxy_host, nullptr);
        ASSERT_NE(ctx.proxy_userid, nullptr);
        ASSERT_NE(ctx.proxy_passwd, nullptr);
        EXPECT_EQ(std::string(ctx.proxy_host), host.substr(0, c.keptHost));
        EXPECT_EQ(ctx.proxy_port, 3128);
        EXPECT_EQ(std::string(ctx.proxy_userid), user.substr(0, c.keptUser));
        EXPECT_EQ(std::string(ctx.proxy_passwd), password.substr(0, c.keptUser));
    }
}

} // namespace
