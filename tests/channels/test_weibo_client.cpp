// The microblog REST client against the loopback microblog peer: the token
// exchange, the timeline and comments parsed from JSON, replies, the failures
// the page shows, certificates, and a seeded mutation run over the answers.
#include "channels/weibo_client.h"

#include "core/deployment.h"
#include "core/http.h"
#include "tests/support/program_folder.h"
#include "tests/support/weibo_peer.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

namespace {

const QString kTimelinePath = QStringLiteral("/2/statuses/user_timeline.json");
const QString kCommentsPath = QStringLiteral("/2/comments/show.json");
const QString kReplyPath = QStringLiteral("/2/comments/reply.json");
const QString kTokenPath = QStringLiteral("/oauth2/access_token");
const QString kRedirect = QStringLiteral("https://app.example.com/cb?x=1&y=2");
const char kRedirectEncoded[] = "https%3A%2F%2Fapp.example.com%2Fcb%3Fx%3D1%26y%3D2";

// Two statuses as the service writes them, then entries that must be left
// out or read with their wrong-typed fields empty.
const char kTimeline[] = R"({"statuses":[
 {"created_at":"Tue May 31 17:46:55 +0800 2011","id":4987654321098765,"text":"早上好 🌅 good morning",
  "source":"<a href=\"http://example.com\">web</a>","original_pic":"http://pics.example.com/large/abc.jpg",
  "reposts_count":8,"comments_count":12,
  "retweeted_status":{"id":4987654321000001,"text":"reposted"},
  "user":{"screen_name":"小明😀","location":"北京 海淀区","description":"做点东西",
          "avatar_large":"http://pics.example.com/avatar/1.jpg","followers_count":1024,
          "friends_count":300,"statuses_count":5000,"verified":true}},
 {"created_at":"Wed Jun 01 08:00:00 +0800 2011","id":9007199254740992,"idstr":"9007199254740993",
  "text":"second","user":{"screen_name":"B","verified":false}},
 {"id":9007199254740993,"text":"an id the parser has already rounded"},
 {"id":12.5,"text":"not an integer"},
 {"idstr":"12x","text":"not a decimal idstr"},
 "not an object",
 {"id":77,"text":5,"comments_count":"7","user":"nobody","retweeted_status":{"id":1e300}},
 {"id":78,"text":"no user"}
]})";

const char kComments[] = R"({"comments":[
 {"created_at":"Wed Jun 01 00:50:25 +0800 2011","id":12438492184,"text":"第一条评论 👍",
  "user":{"screen_name":"评论者"}},
 {"created_at":"Wed Jun 01 01:00:00 +0800 2011","idstr":"9223372036854775807","text":"second",
  "user":{"screen_name":"C"}}
],"total_number":2})";

class WeiboClientTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // A proxy from the environment must not carry loopback requests away.
        setenv("no_proxy", "127.0.0.1,localhost", 1);
        setenv("NO_PROXY", "127.0.0.1,localhost", 1);
    }
    void SetUp() override {
        ASSERT_TRUE(m_peer.isRunning()) << m_peer.errorString().toStdString();
        m_folder.writeFile(QStringLiteral("ServerInfo.ini"), m_peer.deploymentIni(kRedirect));
    }

    ProgramFolder m_folder;
    WeiboPeer m_peer;
    CWeiboClient m_client;
};

TEST_F(WeiboClientTest, AuthorizeUrlNamesKeyAndEncodedRedirect) {
    const QString expected =
        m_peer.url(QStringLiteral("/oauth2/authorize?client_id=5093182746&redirect_uri=%1&response_type=code")
                       .arg(QLatin1String(kRedirectEncoded)));
    EXPECT_EQ(CWeiboClient::AuthorizeUrl(), expected);
    // A closing "/" in the configured address makes no "//".
    m_folder.writeFile(QStringLiteral("ServerInfo.ini"),
                       "[Deployment]\r\nWeiboApiUrl=" + m_peer.baseUrl().toUtf8() +
                           "/\r\nWeiboRedirectUrl=" + kRedirect.toUtf8() + "\r\n");
    EXPECT_EQ(CWeiboClient::AuthorizeUrl(), expected);
    EXPECT_EQ(CWeiboClient::ApiUrl(CWeiboClient::ApiUserTimeline), m_peer.url(kTimelinePath));
}

TEST_F(WeiboClientTest, TokenExchangeSendsEveryValueEncoded) {
    ASSERT_TRUE(m_peer.setAnswer(kTokenPath, 200, R"({"access_token":"2.00tok+en","expires_in":157679999})"));
    struct Case {
        const char* code;
        const char* sent;
    };
    const Case cases[] = {
        {"3f9a2b7c", "3f9a2b7c"},
        {"a+b&c", "a%2Bb%26c"},
        {"码 =", "%E7%A0%81+%3D"},
    };
    size_t requestCount = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        const std::optional<QString> token = m_client.GetAccessToken(QString::fromUtf8(c.code));
        ASSERT_TRUE(token.has_value()) << m_client.LastError().toStdString();
        EXPECT_EQ(*token, QStringLiteral("2.00tok+en"));
        EXPECT_EQ(m_client.AccessToken(), *token);
        const auto requests = m_peer.requests(++requestCount);
        ASSERT_EQ(requests.size(), requestCount);
        const WeiboPeerRequest& r = requests.back();
        EXPECT_EQ(r.method, QStringLiteral("POST"));
        EXPECT_EQ(r.path, kTokenPath);
        EXPECT_TRUE(r.query.isEmpty());
        EXPECT_EQ(r.body,
                  QByteArray("&client_id=5093182746&client_secret=7c1e94b05da3f28c6e0b9a47d13f5e82&code=") +
                      c.sent + "&redirect_uri=" + kRedirectEncoded + "&grant_type=authorization_code");
        EXPECT_TRUE(r.hasExactHeader(QStringLiteral("Accept"), QStringLiteral("*/*")));
        EXPECT_TRUE(r.hasExactHeader(QStringLiteral("content-Type"),
                                     QStringLiteral("application/x-www-form-urlencoded")));
    }

    // No token: an empty code sends nothing; a refused code or an answer
    // without a token leaves the kept token alone.
    EXPECT_FALSE(m_client.GetAccessToken(QString()).has_value());
    ASSERT_TRUE(m_peer.setAnswer(kTokenPath, 400, R"({"error":"invalid_grant","error_code":21325})"));
    EXPECT_FALSE(m_client.GetAccessToken(QStringLiteral("used")).has_value());
    EXPECT_EQ(m_client.LastError(), QStringLiteral(R"({"error":"invalid_grant","error_code":21325})"));
    ASSERT_TRUE(m_peer.setAnswer(kTokenPath, 200, R"({"access_token":12345})"));
    EXPECT_FALSE(m_client.GetAccessToken(QStringLiteral("odd")).has_value());
    EXPECT_EQ(m_client.AccessToken(), QStringLiteral("2.00tok+en"));
    EXPECT_EQ(m_peer.requests(requestCount + 2).size(), requestCount + 2);
}

TEST_F(WeiboClientTest, TimelineIsParsedFieldByField) {
    ASSERT_TRUE(m_peer.setAnswer(kTimelinePath, 200, kTimeline));
    m_client.SetAccessToken(QStringLiteral("tok+/="));
    // Kept: the two statuses, the wrong-typed one and the one without "user".
    ASSERT_EQ(m_client.GetUserTimeline(), 4) << m_client.LastError().toStdString();
    EXPECT_TRUE(m_client.LastError().isEmpty());

    const auto requests = m_peer.requests(1);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method, QStringLiteral("GET"));
    EXPECT_EQ(requests[0].path, kTimelinePath);
    EXPECT_EQ(requests[0].query, QStringLiteral("&access_token=tok%2B%2F%3D&count=60"));

    WeiboRecord s;
    ASSERT_EQ(m_client.GetStatus(0, s), 0);
    EXPECT_EQ(s.id, 4987654321098765LL);
    EXPECT_EQ(s.text, QString::fromUtf8("早上好 🌅 good morning"));
    EXPECT_EQ(s.userName, QString::fromUtf8("小明😀"));
    EXPECT_EQ(s.createdAt, QStringLiteral("Tue May 31 17:46:55 +0800 2011"));
    EXPECT_EQ(s.originalPic, QStringLiteral("http://pics.example.com/large/abc.jpg"));
    EXPECT_EQ(s.avatarLarge, QStringLiteral("http://pics.example.com/avatar/1.jpg"));
    EXPECT_EQ(s.commentsCount, 12);
    EXPECT_EQ(s.repostsCount, 8);
    EXPECT_EQ(s.source, QStringLiteral("<a href=\"http://example.com\">web</a>"));
    EXPECT_EQ(s.retweetedId, 4987654321000001LL);
    EXPECT_EQ(s.location, QString::fromUtf8("北京 海淀区"));
    EXPECT_EQ(s.description, QString::fromUtf8("做点东西"));
    EXPECT_EQ(s.followersCount, 1024);
    EXPECT_EQ(s.friendsCount, 300);
    EXPECT_EQ(s.statusesCount, 5000);
    EXPECT_EQ(s.verified, QStringLiteral("true"));

    ASSERT_EQ(m_client.GetStatus(1, s), 0);
    EXPECT_EQ(s.id, 9007199254740993LL); // from "idstr", not the rounded number
    EXPECT_EQ(s.verified, QStringLiteral("false"));
    EXPECT_EQ(s.retweetedId, 0);

    // Wrong types read as empty or 0; an unusable reposted id as 0.
    ASSERT_EQ(m_client.GetStatus(2, s), 0);
    EXPECT_EQ(s.id, 77);
    EXPECT_TRUE(s.text.isEmpty());
    EXPECT_EQ(s.commentsCount, 0);
    EXPECT_TRUE(s.userName.isEmpty());
    EXPECT_EQ(s.retweetedId, 0);
    EXPECT_TRUE(s.verified.isEmpty());

    ASSERT_EQ(m_client.GetStatus(3, s), 0);
    EXPECT_EQ(s.id, 78);
    EXPECT_EQ(s.text, QStringLiteral("no user"));
    EXPECT_TRUE(s.userName.isEmpty());

    EXPECT_EQ(m_client.StatusCount(), 4);
    for (int outside : {-1, 4, 1000})
        EXPECT_EQ(m_client.GetStatus(outside, s), -1) << outside;
}

TEST_F(WeiboClientTest, CommentsAndReply) {
    m_client.SetAccessToken(QStringLiteral("tok"));
    ASSERT_TRUE(m_peer.setAnswer(kCommentsPath, 200, kComments));
    ASSERT_EQ(m_client.GetComments(4987654321098765LL), 2) << m_client.LastError().toStdString();
    EXPECT_EQ(m_client.LastCommentedStatus(), 4987654321098765LL);
    WeiboRecord c;
    ASSERT_EQ(m_client.GetComment(0, c), 0);
    EXPECT_EQ(c.id, 12438492184LL);
    EXPECT_EQ(c.text, QString::fromUtf8("第一条评论 👍"));
    EXPECT_EQ(c.userName, QString::fromUtf8("评论者"));
    EXPECT_EQ(c.createdAt, QStringLiteral("Wed Jun 01 00:50:25 +0800 2011"));
    ASSERT_EQ(m_client.GetComment(1, c), 0);
    EXPECT_EQ(c.id, 9223372036854775807LL);
    EXPECT_EQ(m_client.GetComment(2, c), -1);

    // A status without comments, and one whose answer lacks the array.
    ASSERT_TRUE(m_peer.setAnswer(kCommentsPath, 200, R"({"comments":[],"total_number":0})"));
    EXPECT_EQ(m_client.GetComments(5), 0);
    ASSERT_TRUE(m_peer.setAnswer(kCommentsPath, 200, R"({"total_number":0})"));
    EXPECT_EQ(m_client.GetComments(6), 0);
    EXPECT_EQ(m_client.GetComment(0, c), -1);

    ASSERT_TRUE(m_peer.setAnswer(kReplyPath, 200, R"({"id":1})"));
    EXPECT_EQ(m_client.Reply(12438492184LL, 4987654321098765LL, QString::fromUtf8("回复 a+b&c=d 👍")), 0);
    ASSERT_TRUE(m_peer.setAnswer(kReplyPath, 403, R"({"error":"forbidden"})"));
    EXPECT_EQ(m_client.Reply(1, 2, QStringLiteral("x")), -1);
    EXPECT_EQ(m_client.LastError(), QStringLiteral(R"({"error":"forbidden"})"));

    const auto requests = m_peer.requests(5);
    ASSERT_EQ(requests.size(), 5u);
    EXPECT_EQ(requests[0].query, QStringLiteral("&access_token=tok&id=4987654321098765"));
    const WeiboPeerRequest& reply = requests[3];
    EXPECT_EQ(reply.method, QStringLiteral("POST"));
    EXPECT_EQ(reply.path, kReplyPath);
    EXPECT_EQ(reply.body, QByteArray("&access_token=tok&cid=12438492184&id=4987654321098765&comment=") +
                              "%E5%9B%9E%E5%A4%8D+a%2Bb%26c%3Dd+%F0%9F%91%8D");
}

TEST_F(WeiboClientTest, FailuresReportedToThePage) {
    struct Case {
        const char* name;
        int status;
        QByteArray body;
        int result;
        QString lastError;
    };
    const QByteArray huge = "{\"statuses\":[" + QByteArray(6 * 1024 * 1024, ' ') + "]}";
    const Case cases[] = {
        {"400 with an error body", 400, R"({"error":"expired_token","error_code":21327})", -1,
         QStringLiteral(R"({"error":"expired_token","error_code":21327})")},
        {"500 with a Chinese body", 500, "服务器错误", -1, QString::fromUtf8("服务器错误")},
        {"no JSON", 200, "<html>gateway</html>", 0, QString()},
        {"no statuses", 200, R"({"total_number":3})", 0, QString()},
        {"statuses not an array", 200, R"({"statuses":{"id":1}})", 0, QString()},
        // Cut at 5 MiB, the answer no longer parses.
        {"a 6 MiB answer", 200, huge, 0, QString()},
    };
    m_client.SetAccessToken(QStringLiteral("tok"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(m_peer.setAnswer(kTimelinePath, c.status, c.body));
        EXPECT_EQ(m_client.GetUserTimeline(), c.result);
        EXPECT_EQ(m_client.LastError(), c.lastError);
        WeiboRecord s;
        EXPECT_EQ(m_client.GetStatus(0, s), -1);
    }

    // Without a token nothing is sent.
    const size_t sent = m_peer.requests(std::size(cases)).size();
    m_client.SetAccessToken(QString());
    EXPECT_EQ(m_client.GetUserTimeline(), -1);
    EXPECT_EQ(m_client.LastError(), QStringLiteral("access_token is empty!"));
    EXPECT_EQ(m_client.GetComments(1), -1);
    EXPECT_EQ(m_client.LastError(), QStringLiteral("access_token is empty!"));
    EXPECT_EQ(m_client.Reply(1, 2, QString()), -1);
    EXPECT_EQ(m_client.LastError(), QString::fromUtf8("ERROR,回复内容为空！"));
    EXPECT_EQ(m_peer.requests(sent + 1, 300).size(), sent);
}

TEST_F(WeiboClientTest, UnconfiguredHostFailsWithoutConnecting) {
    m_folder.writeFile(QStringLiteral("ServerInfo.ini"), "");
    m_client.SetAccessToken(QStringLiteral("tok"));
    const int before = HttpGetTransferCount();
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(m_client.GetUserTimeline(), -1);
    EXPECT_TRUE(m_client.LastError().contains(QLatin1String("not configured")))
        << m_client.LastError().toStdString();
    EXPECT_FALSE(m_client.GetAccessToken(QStringLiteral("code")).has_value());
    EXPECT_EQ(HttpGetTransferCount(), before);
    EXPECT_LT(timer.elapsed(), 5000);
    EXPECT_TRUE(CWeiboClient::AuthorizeUrl().startsWith(DeploymentDefault(DeploymentKey::WeiboApiUrl)));
}

TEST(WeiboClientHttps, SelfSignedCertificateRefusedUnlessAllowed) {
    ProgramFolder folder;
    WeiboPeer peer(WeiboPeer::Scheme::Https);
    ASSERT_TRUE(peer.isRunning()) << peer.errorString().toStdString();
    ASSERT_TRUE(peer.baseUrl().startsWith(QLatin1String("https://")));
    ASSERT_TRUE(peer.setAnswer(kTimelinePath, 200, kTimeline));
    CWeiboClient client;
    client.SetAccessToken(QStringLiteral("tok"));

    folder.writeFile(QStringLiteral("ServerInfo.ini"), peer.deploymentIni());
    EXPECT_EQ(client.GetUserTimeline(), -1);
    EXPECT_FALSE(client.LastError().isEmpty());
    // The refused connection never got as far as a request (the token stayed home).
    EXPECT_TRUE(peer.requests(1, 300).empty());

    folder.writeFile(QStringLiteral("ServerInfo.ini"), peer.deploymentIni(kRedirect, true));
    EXPECT_EQ(client.GetUserTimeline(), 4) << client.LastError().toStdString();
    EXPECT_EQ(peer.requests(1).size(), 1u);
}

// Answers are outside input: bytes flipped, inserted and deleted with a fixed
// seed must never crash the parser or make it hold more than the answer had.
TEST(WeiboClientMutation, SeededMutationsOfTheAnswers) {
    const std::string fixtures[] = {kTimeline, kComments};
    std::mt19937 random(20110531);
    for (const std::string& fixture : fixtures) {
        for (int round = 0; round < 3000; ++round) {
            std::string text = fixture;
            const int edits = 1 + static_cast<int>(random() % 8);
            for (int e = 0; e < edits && !text.empty(); ++e) {
                const size_t at = random() % text.size();
                switch (random() % 3) {
                case 0:
                    text[at] = static_cast<char>(text[at] ^ (1 << (random() % 8)));
                    break;
                case 1:
                    text.insert(at, 1, static_cast<char>(random() % 256));
                    break;
                default:
                    text.erase(at, 1 + random() % 16);
                    break;
                }
            }
            for (const char* array : {"statuses", "comments"}) {
                const std::vector<WeiboRecord> records = CWeiboClient::ParseRecords(text, array);
                // Every record stands for at least one object of the answer,
                // and its texts come from the answer's bytes.
                qsizetype held = 0;
                for (const WeiboRecord& r : records)
                    held += r.text.size() + r.userName.size() + r.location.size() + r.description.size() +
                            r.source.size() + r.createdAt.size();
                ASSERT_LE(records.size() * 2, text.size()) << "round " << round;
                ASSERT_LE(held, static_cast<qsizetype>(text.size())) << "round " << round;
            }
        }
    }
    // Deep nesting is refused, not recursed into until the stack ends.
    const std::string deep = "{\"statuses\":" + std::string(200000, '[') + std::string(200000, ']') + "}";
    EXPECT_TRUE(CWeiboClient::ParseRecords(deep, "statuses").empty());
}

} // namespace
