// MD5, the deployment constants, HttpGet against the loopback HTTP(S) peer,
// and the service-page helpers.
#include "core/account.h"
#include "core/deployment.h"
#include "core/http.h"
#include "core/md5.h"
#include "core/service_pages.h"
#include "platform/url_open.h"
#include "tests/support/http_server.h"
#include "tests/support/program_folder.h"
#include "tests/support/raw_http_peer.h"
#include "tests/support/test_helpers.h"

#include <QElapsedTimer>
#include <QThread>
#include <QUrl>
#include <gtest/gtest.h>

#include <atomic>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

namespace {

// ---------------------------------------------------------------- MD5

struct Md5Vector {
    const char* input;
    const char* digest;
};

// RFC 1321, appendix A.5.
const Md5Vector kRfc1321[] = {
    {"", "d41d8cd98f00b204e9800998ecf8427e"},
    {"a", "0cc175b9c0f1b6a831c399e269772661"},
    {"abc", "900150983cd24fb0d6963f7d28e17f72"},
    {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
    {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
    {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f"},
    {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
     "57edf4a22be3c955ac49da2e2107b67a"},
};

TEST(Md5, Rfc1321Suite) {
    for (const auto& v : kRfc1321) {
        SCOPED_TRACE(v.input);
        EXPECT_EQ(MD5HexString(v.input, std::strlen(v.input)), v.digest);
        EXPECT_EQ(MD5HexString(std::string_view(v.input)), v.digest);
    }
}

TEST(Md5, NullInputGivesNoDigest) {
    EXPECT_EQ(MD5HexString(nullptr, 0), "");
    EXPECT_EQ(MD5HexString(nullptr, 5), "");
    // A real pointer with no bytes is the empty input, which has a digest.
    const char empty = 0;
    EXPECT_EQ(MD5HexString(&empty, 0), "d41d8cd98f00b204e9800998ecf8427e");
}

TEST(Md5, BinaryBytesAndLowerCase) {
    const std::string bytes("\x00\xff\x80zz", 5);
    const std::string digest = MD5HexString(bytes);
    ASSERT_EQ(digest.size(), 32u);
    EXPECT_EQ(digest.find_first_not_of("0123456789abcdef"), std::string::npos);
    EXPECT_EQ(digest, MD5HexString(bytes.data(), bytes.size()));
}

TEST(Md5, FileDigestMatchesMemoryDigest) {
    ProgramFolder folder;
    // Empty, below one block, and several blocks with a partial last one.
    for (int size : {0, 3, 1024, 200 * 1024 + 17}) {
        SCOPED_TRACE(size);
        QByteArray content(size, '\0');
        for (int i = 0; i < size; ++i)
            content[i] = static_cast<char>((i * 131 + 7) & 0xFF);
        folder.writeFile(QStringLiteral("data.bin"), content);
        std::string out = "stale";
        ASSERT_TRUE(MD5File(folder.file(QStringLiteral("data.bin")), out));
        EXPECT_EQ(out, MD5HexString(content.constData(), static_cast<size_t>(content.size())));
    }
    folder.writeFile(QStringLiteral("abc.txt"), "abc");
    std::string out;
    ASSERT_TRUE(MD5File(folder.file(QStringLiteral("abc.txt")), out));
    EXPECT_EQ(out, "900150983cd24fb0d6963f7d28e17f72");
}

TEST(Md5, FileThatCannotBeOpenedFails) {
    ProgramFolder folder;
    struct Case {
        const char* what;
        QString path;
    };
    const Case cases[] = {
        {"missing file", folder.file(QStringLiteral("no-such-file.db"))},
        {"folder", folder.path()},
        {"empty path", QString()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::string out = "stale";
        EXPECT_FALSE(MD5File(c.path, out));
        // Never the digest of the empty input.
        EXPECT_EQ(out, "");
    }
}

TEST(Md5, ServiceDigestVectors) {
    struct Case {
        QString serial, password;
        const char* digest;
    };
    const Case cases[] = {
        {QStringLiteral("abc"), QString(), "900150983CD24FB0D6963F7D28E17F72"},
        {QStringLiteral("ab"), QStringLiteral("c"), "900150983CD24FB0D6963F7D28E17F72"},
        {QString(), QStringLiteral("abc"), "900150983CD24FB0D6963F7D28E17F72"},
        {QString(), QString(), "D41D8CD98F00B204E9800998ECF8427E"},
        // Code page 936 bytes, not UTF-8: "中" is D6 D0.
        {QString(), QString::fromUtf8("中"), nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.serial.toStdString() + "|" + c.password.toStdString());
        std::string expected;
        if (c.digest) {
            expected = c.digest;
        } else {
            expected = MD5HexString(std::string_view("\xD6\xD0", 2));
            for (char& ch : expected)
                ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
        }
        EXPECT_EQ(ServiceDigest(c.serial, c.password), expected);
    }
    EXPECT_EQ(MD5UpperOfAnsi(u"abc"), "900150983CD24FB0D6963F7D28E17F72");
}

// ---------------------------------------------------------------- deployment

TEST(Deployment, DefaultsAreUnderInvalid) {
    ProgramFolder folder; // no ServerInfo.ini
    for (int i = 0; i < kDeploymentKeyCount; ++i) {
        const auto key = static_cast<DeploymentKey>(i);
        SCOPED_TRACE(DeploymentKeyName(key).toStdString());
        const QString value = DeploymentValue(key);
        EXPECT_EQ(value, DeploymentDefault(key));
        const QUrl url =
            value.contains(QLatin1String("://")) ? QUrl(value) : QUrl(QStringLiteral("http://") + value);
        ASSERT_TRUE(url.isValid());
        EXPECT_TRUE(IsRefusedHost(url.host())) << url.host().toStdString();
    }
    EXPECT_EQ(DeploymentDefault(DeploymentKey::MainEndpoint),
              QStringLiteral("http://service.corvelane.invalid:8060/webservice.asmx"));
    EXPECT_TRUE(
        DeploymentDefault(DeploymentKey::BackupEndpoint).endsWith(QLatin1String(":8060/webservice.asmx")));
    EXPECT_TRUE(
        DeploymentDefault(DeploymentKey::IntlEndpoint).endsWith(QLatin1String(":8060/gjwebservice.asmx")));
    EXPECT_TRUE(DeploymentDefault(DeploymentKey::BalanceUrl).endsWith(QLatin1String("/GetBalance.ashx")));
    EXPECT_TRUE(DeploymentDefault(DeploymentKey::VersionUploadUrl)
                    .endsWith(QLatin1String(":1180/apis/rims-provider/snExt/synchro/saveCSV")));
    EXPECT_TRUE(DeploymentDefault(DeploymentKey::ServiceNamespace).startsWith(QLatin1String("http://")));
    EXPECT_TRUE(DeploymentDefault(DeploymentKey::ServiceNamespace).endsWith(QLatin1Char('/')));
    EXPECT_FALSE(AllowInvalidCertificates());
    EXPECT_EQ(ServerIniPath(), folder.file(QStringLiteral("ServerInfo.ini")));
}

TEST(Deployment, ServerInfoOverrides) {
    ProgramFolder folder;
    folder.writeFile(QStringLiteral("ServerInfo.ini"),
                     "[ExtServerAddress]\r\nExtAddress1=http://mms.example/ws\r\n"
                     "[deployment]\r\n"
                     "mainendpoint=http://127.0.0.1:9/webservice.asmx\r\n"
                     "BalanceUrl=  \r\n"
                     "FtpHost=127.0.0.1:2121\r\n"
                     "AllowInvalidCertificates=1\r\n");
    EXPECT_EQ(DeploymentValue(DeploymentKey::MainEndpoint),
              QStringLiteral("http://127.0.0.1:9/webservice.asmx"));
    EXPECT_EQ(DeploymentValue(DeploymentKey::FtpHost), QStringLiteral("127.0.0.1:2121"));
    // An empty value keeps the default.
    EXPECT_EQ(DeploymentValue(DeploymentKey::BalanceUrl), DeploymentDefault(DeploymentKey::BalanceUrl));
    EXPECT_EQ(DeploymentValue(DeploymentKey::WebHost), DeploymentDefault(DeploymentKey::WebHost));
    EXPECT_TRUE(AllowInvalidCertificates());

    folder.writeFile(QStringLiteral("ServerInfo.ini"), "[Deployment]\nAllowInvalidCertificates=0\n");
    EXPECT_FALSE(AllowInvalidCertificates());
    EXPECT_EQ(DeploymentValue(DeploymentKey::MainEndpoint), DeploymentDefault(DeploymentKey::MainEndpoint));
}

TEST(Deployment, KeyNames) {
    const char* names[] = {"MainEndpoint",     "BackupEndpoint",     "IntlEndpoint", "BalanceUrl",
                           "VersionUploadUrl", "SelfServiceHost",    "WebHost",      "FtpHost",
                           "ServiceNamespace", "NumberLocationHost", "WeiboApiUrl",  "WeiboRedirectUrl"};
    ASSERT_EQ(std::size(names), static_cast<size_t>(kDeploymentKeyCount));
    for (int i = 0; i < kDeploymentKeyCount; ++i)
        EXPECT_EQ(DeploymentKeyName(static_cast<DeploymentKey>(i)), QLatin1String(names[i]));
}

TEST(Deployment, IsRefusedHost) {
    struct Case {
        const char* host;
        bool refused;
    };
    const Case cases[] = {
        {"invalid", true},
        {"INVALID", true},
        {"service.corvelane.invalid", true},
        {"Service.Corvelane.INVALID", true},
        {"service.corvelane.invalid.", true},
        {"service.corvelane.invalid:8060", true},
        {" backup.invalid ", true},
        {"", true},
        {"127.0.0.1", false},
        {"127.0.0.1:8060", false},
        {"localhost", false},
        {"example.com", false},
        {"invalid.example.com", false},
        {"notinvalid", false},
        {"host.invalidx", false},
        {"[::1]", false},
        {"::1", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsRefusedHost(QString::fromLatin1(c.host)), c.refused) << '"' << c.host << '"';
}

// ---------------------------------------------------------------- HttpGet

class HttpGetTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // A proxy from the environment must not carry loopback requests away.
        setenv("no_proxy", "127.0.0.1,localhost", 1);
        setenv("NO_PROXY", "127.0.0.1,localhost", 1);
    }

    ProgramFolder m_folder;
};

TEST_F(HttpGetTest, CancelEndsATransferThatWaitsForItsAnswer) {
    RawHttpPeer silent;
    silent.setReply({std::string(), 120000}); // takes the request, never answers
    const QString url = QString::fromStdString(silent.url("/saveCSV"));
    HttpCancel cancel;
    int result = 0;
    QString error;
    std::atomic<bool> done{false};
    std::thread worker([&] {
        HttpCancelScope scope(cancel);
        std::string answer;
        result = HttpGet(error, url, "sn=1", answer);
        done = true;
    });
    QElapsedTimer t;
    t.start();
    while (silent.requests().empty() && t.elapsed() < 10000)
        QThread::msleep(10);
    ASSERT_EQ(silent.requests().size(), 1u);
    EXPECT_FALSE(done.load());
    t.restart();
    cancel.cancel();
    worker.join();
    EXPECT_LT(t.elapsed(), 2000);
    EXPECT_EQ(result, -1);
    EXPECT_EQ(error, QStringLiteral("cancelled"));

    // Under a cancelled scope no later transfer starts; other threads are not touched.
    const int transfers = HttpGetTransferCount();
    std::thread after([&] {
        HttpCancelScope scope(cancel);
        std::string answer;
        result = HttpGet(error, url, "", answer);
    });
    after.join();
    EXPECT_EQ(result, -1);
    EXPECT_EQ(HttpGetTransferCount(), transfers);
}

TEST_F(HttpGetTest, AnswersByStatus) {
    LoopbackHttpServer server;
    ASSERT_TRUE(server.isRunning()) << server.errorString().toStdString();
    struct Case {
        const char* path;
        int result;
        QByteArray buffer;
        QString errorText;
    };
    const Case cases[] = {
        {"/short", int(LoopbackHttpServer::shortBody().size()), LoopbackHttpServer::shortBody(), QString()},
        // Cut at 2046 bytes, still a success.
        {"/long", kHttpGetMaxAnswer, LoopbackHttpServer::longBody().left(kHttpGetMaxAnswer), QString()},
        {"/empty", 0, QByteArray(), QString()},
        {"/missing", 0, LoopbackHttpServer::missingBody(),
         QString::fromUtf8(LoopbackHttpServer::missingBody())},
        {"/gbk-error", 0, LoopbackHttpServer::gbkErrorBody(), QString::fromUtf8("余额不足")},
        {"/empty-error", 0, QByteArray(), QStringLiteral("HTTP 503")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        QString errorText = QStringLiteral("stale");
        std::string buffer = "stale";
        const int n = HttpGet(errorText, server.url(QLatin1String(c.path)), "sn=1", buffer);
        EXPECT_EQ(n, c.result);
        EXPECT_EQ(QByteArray::fromStdString(buffer), c.buffer);
        EXPECT_EQ(errorText, c.errorText);
    }
    ASSERT_EQ(LoopbackHttpServer::longBody().size(), 5000);
}

TEST_F(HttpGetTest, QueryAndHeadersArrive) {
    LoopbackHttpServer server;
    ASSERT_TRUE(server.isRunning()) << server.errorString().toStdString();
    QString errorText;
    std::string buffer;
    ASSERT_GT(HttpGet(errorText, server.url(QStringLiteral("/short")), "sn=SN001&pwd=ABCDEF0123", buffer), 0)
        << errorText.toStdString();
    // No "?" without a query.
    ASSERT_GT(HttpGet(errorText, server.url(QStringLiteral("/short")), "", buffer), 0);
    // Bytes a request line cannot hold go as %XX; code page 936 bytes stay bytes.
    ASSERT_GT(HttpGet(errorText, server.url(QStringLiteral("/short")), "a=b c&d=\xD6\xD0#", buffer), 0);

    const auto requests = server.requests(3);
    ASSERT_EQ(requests.size(), 3u);
    const auto& r = requests[0];
    EXPECT_EQ(r.method, QStringLiteral("GET"));
    EXPECT_EQ(r.path, QStringLiteral("/short"));
    EXPECT_EQ(r.query, QStringLiteral("sn=SN001&pwd=ABCDEF0123"));
    EXPECT_TRUE(r.requestLine.startsWith(QLatin1String("GET /short?sn=SN001&pwd=ABCDEF0123 HTTP/1.")))
        << r.requestLine.toStdString();
    EXPECT_TRUE(r.hasExactHeader(QStringLiteral("Accept"), QStringLiteral("*/*")));
    EXPECT_TRUE(r.hasExactHeader(QStringLiteral("content-Type"),
                                 QStringLiteral("application/x-www-form-urlencoded")));
    EXPECT_EQ(r.header(QStringLiteral("Host")), QStringLiteral("127.0.0.1:%1").arg(server.port()));

    EXPECT_TRUE(requests[1].requestLine.startsWith(QLatin1String("GET /short HTTP/1.")))
        << requests[1].requestLine.toStdString();
    EXPECT_EQ(requests[2].query, QStringLiteral("a=b%20c&d=%D6%D0%23"));
}

TEST_F(HttpGetTest, ClosedPortIsATransportFailure) {
    const quint16 port = ClosedLoopbackPort();
    ASSERT_NE(port, 0);
    QString errorText;
    std::string buffer = "stale";
    EXPECT_EQ(HttpGet(errorText, QStringLiteral("http://127.0.0.1:%1/short").arg(port), "sn=1", buffer), -1);
    EXPECT_FALSE(errorText.isEmpty());
    EXPECT_TRUE(buffer.empty());
}

TEST_F(HttpGetTest, SelfSignedHttpsRefusedUnlessAllowed) {
    LoopbackHttpServer server(LoopbackHttpServer::Scheme::Https);
    ASSERT_TRUE(server.isRunning()) << server.errorString().toStdString();
    const QString url = server.url(QStringLiteral("/short"));
    ASSERT_TRUE(url.startsWith(QLatin1String("https://")));

    QString errorText;
    std::string buffer;
    EXPECT_EQ(HttpGet(errorText, url, "sn=1", buffer), -1);
    EXPECT_FALSE(errorText.isEmpty());

    m_folder.writeFile(QStringLiteral("ServerInfo.ini"), "[Deployment]\r\nAllowInvalidCertificates=1\r\n");
    errorText.clear();
    EXPECT_EQ(HttpGet(errorText, url, "sn=1", buffer), int(LoopbackHttpServer::shortBody().size()))
        << errorText.toStdString();
    EXPECT_EQ(QByteArray::fromStdString(buffer), LoopbackHttpServer::shortBody());
    EXPECT_TRUE(errorText.isEmpty());
    // Only the accepted connection got as far as a request.
    EXPECT_EQ(server.requests(1).size(), 1u);

    // The capped read works over TLS too.
    EXPECT_EQ(HttpGet(errorText, server.url(QStringLiteral("/long")), "", buffer), kHttpGetMaxAnswer);
}

TEST_F(HttpGetTest, RefusedHostsNeverReachLibcurl) {
    const QString urls[] = {
        QStringLiteral("http://service.corvelane.invalid:8060/webservice.asmx"),
        QStringLiteral("https://BACKUP.Corvelane.Invalid/GetBalance.ashx"),
        QStringLiteral("http://invalid/"),
        QStringLiteral("http://name.invalid./x"),
        QStringLiteral("http://name%2Einvalid/x"),
        QStringLiteral("http://user:pw@host.invalid:1180/x"),
        DeploymentValue(DeploymentKey::BalanceUrl), // the default of an unconfigured program
        DeploymentValue(DeploymentKey::VersionUploadUrl),
    };
    for (const QString& url : urls) {
        SCOPED_TRACE(url.toStdString());
        const int before = HttpGetTransferCount();
        QElapsedTimer timer;
        timer.start();
        QString errorText;
        std::string buffer = "stale";
        EXPECT_EQ(HttpGet(errorText, url, "sn=1&pwd=2", buffer), -1);
        // Refused before libcurl could look the name up or connect.
        EXPECT_EQ(HttpGetTransferCount(), before);
        EXPECT_TRUE(errorText.contains(QLatin1String("not configured"))) << errorText.toStdString();
        EXPECT_TRUE(buffer.empty());
        // Far below the 10-second connect time-out: nothing waited on the network.
        EXPECT_LT(timer.elapsed(), 5000);
    }
}

TEST_F(HttpGetTest, BadUrlsFailWithoutTransfer) {
    const QString urls[] = {
        QString(),
        QStringLiteral("not a url"),
        QStringLiteral("ftp://127.0.0.1/file"),
        QStringLiteral("file:///etc/passwd"),
    };
    for (const QString& url : urls) {
        SCOPED_TRACE(url.toStdString());
        const int before = HttpGetTransferCount();
        QString errorText;
        std::string buffer;
        EXPECT_EQ(HttpGet(errorText, url, "", buffer), -1);
        EXPECT_FALSE(errorText.isEmpty());
        EXPECT_EQ(HttpGetTransferCount(), before);
    }
}

// The failure lines go to the run log.
class HttpGetLogTest : public ProgramFolderTest {};

TEST_F(HttpGetLogTest, FailuresAreLogged) {
    QString errorText;
    std::string buffer;
    EXPECT_EQ(
        HttpGet(errorText, QStringLiteral("http://service.corvelane.invalid/x"), "pwd=SECRETDIGEST", buffer),
        -1);
    const quint16 port = ClosedLoopbackPort();
    EXPECT_EQ(
        HttpGet(errorText, QStringLiteral("http://127.0.0.1:%1/x").arg(port), "pwd=SECRETDIGEST", buffer),
        -1);
    const QString log = runLog();
    EXPECT_TRUE(log.contains(QLatin1String("ERROR,HttpGet,host not configured"))) << log.toStdString();
    EXPECT_TRUE(log.contains(QLatin1String("ERROR,HttpGet,curl error"))) << log.toStdString();
    // The query carries the password digest: it never reaches the log.
    EXPECT_FALSE(log.contains(QLatin1String("SECRETDIGEST")));
}

// ---------------------------------------------------------------- service pages

class ServicePagesTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_previousOpener = SetUrlOpener([this](const QString& url) {
            m_opened.push_back(url);
            return true;
        });
        m_previousAccount = g_pAccount.get();
        AccountFields fields;
        fields[kAccountSerial] = QStringLiteral("SN-0042");
        fields[kAccountPassword] = QString::fromUtf8("pw中");
        g_pAccount.set(fields);
    }
    void TearDown() override {
        SetUrlOpener(m_previousOpener);
        g_pAccount.set(m_previousAccount);
    }

    ProgramFolder m_folder;
    UrlOpener m_previousOpener;
    AccountFields m_previousAccount;
    std::vector<QString> m_opened;
};

TEST_F(ServicePagesTest, OpenAccountWebPageBuildsBothForms) {
    // The password alone, code page 936, upper case (not the serial+password digest).
    const QString digest = QString::fromLatin1(MD5UpperOfAnsi(QString::fromUtf8("pw中")));
    ASSERT_EQ(digest.size(), 32);
    ASSERT_NE(digest.toStdString(), ServiceDigest(QStringLiteral("SN-0042"), QString::fromUtf8("pw中")));
    const QString page = QStringLiteral("http://self.example/login.aspx");

    struct Case {
        QString flag;
        QString url;
        bool opened;
    };
    const Case cases[] = {
        {QStringLiteral("list"),
         page + QStringLiteral("?sn=SN-0042&pwd=") + digest + QStringLiteral("&flag=list"), false},
        {QStringLiteral("hard"),
         page + QStringLiteral("?sn=SN-0042&pwd=") + digest + QStringLiteral("&flag=hard"), false},
        {QString(), page + QStringLiteral("?sn=SN-0042&pwd=") + digest, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.flag.toStdString());
        m_opened.clear();
        EXPECT_EQ(OpenAccountWebPage(page, QStringLiteral("sn"), QStringLiteral("pwd"), c.flag), c.url);
        if (c.opened) {
            ASSERT_EQ(m_opened.size(), 1u);
            EXPECT_EQ(m_opened[0], c.url);
        } else {
            EXPECT_TRUE(m_opened.empty());
        }
    }
}

TEST_F(ServicePagesTest, PercentSignsInValuesAreNotPlaceholders) {
    AccountFields fields;
    fields[kAccountSerial] = QStringLiteral("%1%2");
    g_pAccount.set(fields);
    EXPECT_EQ(OpenAccountWebPage(QStringLiteral("p"), QStringLiteral("a"), QStringLiteral("b"),
                                 QStringLiteral("f")),
              QStringLiteral("p?a=%1%2&b=D41D8CD98F00B204E9800998ECF8427E&flag=f"));
}

TEST_F(ServicePagesTest, ChannelServerAddress) {
    struct Case {
        QString channel;
        QString address;
    };
    const Case withFile[] = {
        {QString::fromUtf8("彩信"), QStringLiteral("http://127.0.0.1:8061/mms.asmx")},
        {QString::fromUtf8("语音"), QStringLiteral("http://127.0.0.1:8062/voice.asmx")},
        {QString::fromUtf8("短信"), QString()},
        {QStringLiteral("MMS"), QString()},
        {QString(), QString()},
    };
    // Without the file every channel is empty.
    for (const auto& c : withFile)
        EXPECT_EQ(ChannelServerAddress(c.channel), QString()) << c.channel.toStdString();

    m_folder.writeFile(QStringLiteral("ServerInfo.ini"),
                       "[BackServer]\r\nBackAddress1=http://127.0.0.1:9/back\r\n"
                       "[ExtServerAddress]\r\n"
                       "ExtAddress1=http://127.0.0.1:8061/mms.asmx\r\n"
                       "ExtAddress2=http://127.0.0.1:8062/voice.asmx\r\n");
    for (const auto& c : withFile)
        EXPECT_EQ(ChannelServerAddress(c.channel), c.address) << c.channel.toStdString();

    // An empty key gives an empty address.
    m_folder.writeFile(QStringLiteral("ServerInfo.ini"), "[ExtServerAddress]\r\nExtAddress1=\r\n");
    EXPECT_EQ(ChannelServerAddress(QString::fromUtf8("彩信")), QString());
    EXPECT_EQ(ChannelServerAddress(QString::fromUtf8("语音")), QString());
}

} // namespace
