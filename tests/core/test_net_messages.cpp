// The net-message page: its address, its parsing and its fetch against the
// loopback HTTP peer; the answer cap of HttpGet; service pages on hosts that
// were never configured.
#include "core/account.h"
#include "core/http.h"
#include "core/net_messages.h"
#include "core/service_pages.h"
#include "platform/url_open.h"
#include "tests/support/http_server.h"
#include "tests/support/program_folder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The records of the "cr", "crlf" and "lf" pages of http_server.py.
const std::vector<std::pair<QString, QString>> kRecords = {
    {QString::fromUtf8("第一条"), QString::fromUtf8("内容 一")},
    {QStringLiteral("Second"), QStringLiteral("two words")},
    {QString(), QStringLiteral("no title")},
};

std::vector<std::pair<QString, QString>> Pairs(const std::vector<NET_SMS>& messages) {
    std::vector<std::pair<QString, QString>> out;
    for (const auto& m : messages)
        out.emplace_back(m.title, m.content);
    return out;
}

const std::vector<NET_SMS> kOldList = {{QStringLiteral("old"), QStringLiteral("kept")}};

class ServicePages : public ProgramFolderTest {
protected:
    QString netUrl(const QString& serial) const {
        return m_server.url(QStringLiteral("/return_wx?sn=")) + serial;
    }
    LoopbackHttpServer m_server;
};

TEST_F(ServicePages, NetMessagesParseAlikeForEveryLineEnd) {
    ASSERT_TRUE(m_server.isRunning()) << m_server.errorString().toStdString();
    for (const char* serial : {"cr", "crlf", "lf"}) {
        SCOPED_TRACE(serial);
        std::vector<NET_SMS> messages = kOldList;
        ASSERT_TRUE(FetchNetMessages(netUrl(QLatin1String(serial)), messages));
        EXPECT_EQ(Pairs(messages), kRecords);
    }
}

TEST_F(ServicePages, NetMessagesReadOnlyUpToTheLimit) {
    ASSERT_TRUE(m_server.isRunning()) << m_server.errorString().toStdString();
    std::vector<NET_SMS> messages;
    ASSERT_TRUE(FetchNetMessages(netUrl(QStringLiteral("long")), messages));
    // 100 whole records, then the one the limit cuts: its content keeps the
    // six whole characters before byte 10239, the cut seventh is dropped.
    ASSERT_EQ(messages.size(), 101u);
    EXPECT_EQ(messages[0].title, QStringLiteral("T000"));
    EXPECT_EQ(messages[99].title, QStringLiteral("T099"));
    EXPECT_EQ(messages[99].content, QString(80, QLatin1Char('x')));
    EXPECT_EQ(messages[100].title, QStringLiteral("LAST"));
    EXPECT_EQ(messages[100].content, QString::fromUtf8("中中中中中中"));
}

TEST_F(ServicePages, NetMessagesFailureKeepsTheOldList) {
    ASSERT_TRUE(m_server.isRunning()) << m_server.errorString().toStdString();
    const struct {
        const char* what;
        QString url;
    } cases[] = {
        {"404", netUrl(QStringLiteral("unknown"))},
        {"empty page", netUrl(QStringLiteral("empty"))},
        {"unconfigured host", QStringLiteral("http://www.corvelane.invalid/return_wx?sn=cr")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<NET_SMS> messages = kOldList;
        EXPECT_FALSE(FetchNetMessages(c.url, messages));
        EXPECT_EQ(Pairs(messages), Pairs(kOldList));
    }
}

TEST_F(ServicePages, NetMessagesUrlEncodesTheSerial) {
    ASSERT_TRUE(m_server.isRunning()) << m_server.errorString().toStdString();
    const QString serial = QString::fromUtf8("a b&c=中%");
    const QString encoded = QStringLiteral("a+b%26c%3D%E4%B8%AD%25");
    EXPECT_EQ(NetMessagesUrl(QStringLiteral("www.example.com"), serial),
              QStringLiteral("http://www.example.com/return_wx?sn=") + encoded);

    // The deployment's host and the logged-in account.
    m_folder->writeFile(QStringLiteral("ServerInfo.ini"), QByteArray("[Deployment]\nWebHost=127.0.0.1:") +
                                                              QByteArray::number(m_server.port()) + "\n");
    const AccountFields previous = g_pAccount.get();
    AccountFields account;
    account[kAccountSerial] = serial;
    g_pAccount.set(account);
    const QString url = NetMessagesUrl();
    g_pAccount.set(previous);
    ASSERT_EQ(url, m_server.url(QStringLiteral("/return_wx?sn=")) + encoded);

    // It reaches the server as built, and the serial stays out of the log.
    std::vector<NET_SMS> messages;
    EXPECT_FALSE(FetchNetMessages(url, messages)); // no such serial: 404
    const auto requests = m_server.requests(1);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].path, QStringLiteral("/return_wx"));
    EXPECT_EQ(requests[0].query, QStringLiteral("sn=") + encoded);
    EXPECT_TRUE(runLog().contains(QLatin1String("HTTP status 404"))) << runLog().toStdString();
    EXPECT_FALSE(runLog().contains(encoded));
}

TEST(ServicePagesParse, Cases) {
    const struct {
        const char* what;
        std::string page;
        std::vector<std::pair<QString, QString>> records;
    } cases[] = {
        {"no line end at all", "title:a content:b", {}},
        {"text before the first title is skipped",
         "junk\rmore junk title:A\rcontent:B\r",
         {{QStringLiteral("A"), QStringLiteral("B")}}},
        {"last content line without its line end",
         "title:A\r\ncontent:B",
         {{QStringLiteral("A"), QStringLiteral("B")}}},
        {"title line cut before its line end",
         "title:A\ncontent:B\ntitle:C",
         {{QStringLiteral("A"), QStringLiteral("B")}}},
        {"short lines give empty texts", "title\rcont\r", {{QString(), QString()}}},
        {"one character after the key is skipped, whatever it is",
         "title=x\ncontent y\n",
         {{QStringLiteral("x"), QStringLiteral("y")}}},
        {"cut two-byte sequence dropped",
         "title:A\ncontent:\xc3\xa9\xc3",
         {{QStringLiteral("A"), QString::fromUtf8("é")}}},
        {"cut four-byte sequence dropped",
         "title:A\ncontent:z\xf0\x9f\x98",
         {{QStringLiteral("A"), QStringLiteral("z")}}},
        {"whole four-byte sequence kept",
         "title:A\ncontent:\xf0\x9f\x98\x80",
         {{QStringLiteral("A"), QString::fromUtf8("\xf0\x9f\x98\x80")}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Pairs(ParseNetMessages(c.page)), c.records);
    }
}

TEST(ServicePagesParse, Utf8CompleteLength) {
    const struct {
        std::string bytes;
        size_t length;
    } cases[] = {
        {"", 0},      {"abc", 3},          {"a\xe4\xb8\xad", 4},     {"a\xe4\xb8", 1},
        {"a\xe4", 1}, {"\xf0\x9f\x98", 0}, {"a\x80\x80\x80\x80", 5}, // stray continuation bytes are not a cut
                                                                     // sequence
        {"a\xff", 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.bytes));
        EXPECT_EQ(Utf8CompleteLength(c.bytes), c.length);
    }
}

TEST_F(ServicePages, HttpGetTakesALargerLimit) {
    ASSERT_TRUE(m_server.isRunning()) << m_server.errorString().toStdString();
    QString errorText;
    std::string buffer;
    // The default stays 2046; a caller may read more, or less.
    EXPECT_EQ(HttpGet(errorText, m_server.url(QStringLiteral("/big-page")), "", buffer), kHttpGetMaxAnswer);
    EXPECT_EQ(HttpGet(errorText, m_server.url(QStringLiteral("/big-page")), "", buffer, 1 << 20), 1 << 20);
    EXPECT_EQ(buffer, std::string(1 << 20, 'a'));
    EXPECT_EQ(HttpGet(errorText, m_server.url(QStringLiteral("/long")), "", buffer, 100), 100);
    EXPECT_TRUE(errorText.isEmpty());
}

TEST_F(ServicePages, UnconfiguredHostOpensNothingAndLogsNoQuery) {
    std::vector<QString> opened;
    const UrlOpener previous = SetUrlOpener([&](const QString& url) {
        opened.push_back(url);
        return true;
    });
    const AccountFields previousAccount = g_pAccount.get();
    AccountFields account;
    account[kAccountSerial] = QStringLiteral("SN77");
    account[kAccountPassword] = QStringLiteral("Plain!Secret");
    g_pAccount.set(account);

    // No ServerInfo.ini: every host is the ".invalid" default.
    const QString admin = AdministrationPageUrl();
    EXPECT_TRUE(admin.contains(QLatin1String("admin_user=SN77&admin_pass=Plain%21Secret")))
        << admin.toStdString();
    EXPECT_FALSE(OpenServicePage(admin));
    EXPECT_EQ(OpenAccountWebPage(SelfServicePageUrl(), QStringLiteral("sn"), QStringLiteral("pwd"), QString())
                  .section(QLatin1Char('?'), 0, 0),
              SelfServicePageUrl());
    EXPECT_FALSE(OpenServicePage(QStringLiteral("file:///etc/passwd")));
    EXPECT_TRUE(opened.empty());

    // Configured, the same pages open.
    m_folder->writeFile(QStringLiteral("ServerInfo.ini"),
                        "[Deployment]\nWebHost=www.example.com\nSelfServiceHost=self.example.com\n");
    EXPECT_TRUE(OpenServicePage(AdministrationPageUrl()));
    OpenAccountWebPage(SelfServicePageUrl(), QStringLiteral("sn"), QStringLiteral("pwd"), QString());
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[0],
              QStringLiteral("http://www.example.com/admin/index.php/index/login.html?admin_user=SN77&"
                             "admin_pass=Plain%21Secret"));
    EXPECT_TRUE(opened[1].startsWith(QLatin1String("http://self.example.com/login.aspx?sn=SN77&pwd=")));

    SetUrlOpener(previous);
    g_pAccount.set(previousAccount);

    const QString log = runLog();
    EXPECT_EQ(log.count(QLatin1String("ERROR,OpenServicePage,host not configured")), 2) << log.toStdString();
    EXPECT_TRUE(log.contains(QLatin1String("ERROR,OpenServicePage,not an http(s) address")));
    EXPECT_FALSE(log.contains(QLatin1String("Plain")));
    EXPECT_FALSE(log.contains(QLatin1String("admin_user")));
    EXPECT_FALSE(log.contains(QLatin1String("SN77")));
}

} // namespace
