#pragma once
// A loopback microblog service for tests: python3's http.server
// (tests/support/weibo_peer.py) on 127.0.0.1 with a port the system chooses,
// optionally HTTPS with a self-signed certificate (the recipe of
// http_server.h). Started by the constructor, stopped by the destructor.
//
// API routes answer what the test set with setAnswer() for their path
// (status, body, delay); a path without an answer gets 404 "no answer set".
// Every request is recorded: method, path, query and body.
//
// Picture routes, fixed:
//   /pic/length.jpg      200, kPictureSize bytes with a Content-Length
//   /pic/chunked         200, chunked, kPictureSize bytes in pieces
//   /pic/truncated.jpg   200, Content-Length kPictureSize but half of it, then the connection closes
//   /pic/redirect        302, "Location: /pic/length.jpg"
//   /pic/redirect-twice  302, "Location: /pic/redirect"
//   /pic/redirect-file   302, "Location: file:///etc/hostname"
//   /pic/dir/            200, kPictureSize bytes (an address ending in "/")
//   /pic/huge.jpg        200, kHugeSize (11 MiB) with a Content-Length
//   /pic/missing.jpg     404
// The picture bytes are picture() (deterministic).
#include "tests/support/http_server.h"
#include "tests/support/python_peer.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <memory>
#include <vector>

// method, path (without the query), query (as sent) and headers, plus the body.
struct WeiboPeerRequest : HttpRequestRecord {
    QByteArray body;
};

class WeiboPeer {
public:
    enum class Scheme { Http, Https };
    static constexpr int kPictureSize = 3000;
    static constexpr int kHugeSize = 11 * 1024 * 1024;

    explicit WeiboPeer(Scheme scheme = Scheme::Http);
    ~WeiboPeer();
    WeiboPeer(const WeiboPeer&) = delete;
    WeiboPeer& operator=(const WeiboPeer&) = delete;

    // False when the peer could not start; errorString() says why.
    bool isRunning() const { return m_peer.port() != 0; }
    QString errorString() const { return m_error; }
    quint16 port() const { return m_peer.port(); }
    // "http://127.0.0.1:<port>" (https for Scheme::Https): the WeiboApiUrl.
    QString baseUrl() const;
    // baseUrl() + path.
    QString url(const QString& path) const;
    // "[Deployment]" lines pointing WeiboApiUrl here (and WeiboRedirectUrl at
    // `redirectUrl`), for a test's "ServerInfo.ini".
    QByteArray deploymentIni(const QString& redirectUrl = QStringLiteral("https://app.example.com/cb"),
                             bool allowInvalidCertificates = false) const;

    // The answer to every later request for `path` (no query), e.g.
    // "/2/statuses/user_timeline.json": `status` and `body`, sent after
    // `delayMs`. False when it could not be stored.
    bool setAnswer(const QString& path, int status, const QByteArray& body, int delayMs = 0);

    // Every request received so far, waiting up to `timeoutMs` until there
    // are at least `atLeast`.
    std::vector<WeiboPeerRequest> requests(size_t atLeast = 0, int timeoutMs = 5000);

    // The bytes of the picture routes.
    static QByteArray picture(int size = kPictureSize);

private:
    void readOutput();

    Scheme m_scheme;
    QString m_error;
    std::unique_ptr<QTemporaryDir> m_dir; // answers and certificate
    PythonPeer m_peer;                    // after the folder: stopped before it goes
    std::vector<WeiboPeerRequest> m_requests;
};
