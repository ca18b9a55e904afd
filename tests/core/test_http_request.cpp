// The general request under HttpGet: POST bodies, headers, and what comes
// back besides the body (length, redirect address, cut and broken answers).
#include "core/http.h"

#include "tests/support/program_folder.h"
#include "tests/support/weibo_peer.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

class HttpRequestTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        setenv("no_proxy", "127.0.0.1,localhost", 1);
        setenv("NO_PROXY", "127.0.0.1,localhost", 1);
    }
    void SetUp() override { ASSERT_TRUE(m_peer.isRunning()) << m_peer.errorString().toStdString(); }

    ProgramFolder m_folder;
    WeiboPeer m_peer;
};

TEST_F(HttpRequestTest, PostSendsTheBodyAndHeadersAsGiven) {
    ASSERT_TRUE(m_peer.setAnswer(QStringLiteral("/form"), 201, "created"));
    HttpRequestOptions options;
    options.method = HttpRequestOptions::Method::Post;
    options.url = m_peer.url(QStringLiteral("/form"));
    options.query = "&a=1&b=%E4%B8%AD+x&raw=\x01\xff"; // sent as it is, nothing escaped twice
    options.headers = {"Accept: */*", "X-Probe: yes"};
    const HttpAnswer answer = HttpRequest(options);
    EXPECT_EQ(answer.status, 201) << answer.errorText.toStdString();
    EXPECT_TRUE(answer.complete);
    EXPECT_FALSE(answer.truncated);
    EXPECT_EQ(answer.body, "created");
    EXPECT_EQ(answer.contentLength, 7LL);

    const auto requests = m_peer.requests(1);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method, QStringLiteral("POST"));
    EXPECT_EQ(requests[0].path, QStringLiteral("/form"));
    EXPECT_TRUE(requests[0].query.isEmpty());
    EXPECT_EQ(requests[0].body, QByteArray::fromStdString(options.query));
    EXPECT_TRUE(requests[0].hasExactHeader(QStringLiteral("X-Probe"), QStringLiteral("yes")));
    EXPECT_TRUE(requests[0].hasExactHeader(QStringLiteral("Accept"), QStringLiteral("*/*")));
}

TEST_F(HttpRequestTest, WhatComesBackBesidesTheBody) {
    const QByteArray picture = WeiboPeer::picture();
    struct Case {
        const char* path;
        size_t maxAnswer;
        int status;
        bool complete;
        bool truncated;
        std::optional<long long> contentLength;
        QByteArray body;
        QString location;
    };
    const Case cases[] = {
        {"/pic/length.jpg", 1 << 20, 200, true, false, picture.size(), picture, QString()},
        {"/pic/chunked", 1 << 20, 200, true, false, std::nullopt, picture, QString()},
        {"/pic/length.jpg", 1000, 200, true, true, picture.size(), picture.left(1000), QString()},
        {"/pic/truncated.jpg", 1 << 20, 200, false, false, picture.size(), picture.left(picture.size() / 2),
         QString()},
        {"/pic/redirect", 1 << 20, 302, true, false, 0, QByteArray(),
         m_peer.url(QStringLiteral("/pic/length.jpg"))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        HttpRequestOptions options;
        options.url = m_peer.url(QLatin1String(c.path));
        options.maxAnswer = c.maxAnswer;
        const HttpAnswer answer = HttpRequest(options);
        EXPECT_EQ(answer.status, c.status) << answer.errorText.toStdString();
        EXPECT_EQ(answer.complete, c.complete);
        EXPECT_EQ(answer.complete, answer.errorText.isEmpty()) << answer.errorText.toStdString();
        EXPECT_EQ(answer.truncated, c.truncated);
        EXPECT_EQ(answer.contentLength, c.contentLength);
        EXPECT_EQ(QByteArray::fromStdString(answer.body), c.body);
        EXPECT_EQ(answer.location, c.location);
    }

    // Followed on request: the final answer only.
    HttpRequestOptions follow;
    follow.url = m_peer.url(QStringLiteral("/pic/redirect"));
    follow.maxAnswer = 1 << 20;
    follow.followRedirects = true;
    const HttpAnswer answer = HttpRequest(follow);
    EXPECT_EQ(answer.status, 200);
    EXPECT_EQ(QByteArray::fromStdString(answer.body), picture);
    EXPECT_EQ(answer.contentLength, picture.size());
}

} // namespace
