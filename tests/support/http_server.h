#pragma once
// A loopback HTTP(S) peer for tests: python3's http.server
// (tests/support/http_server.py) on 127.0.0.1 with a port the system
// chooses, started by the constructor and stopped by the destructor. HTTPS
// uses a self-signed certificate that `openssl req` makes in a temporary
// folder at start. Every request is recorded (request line and headers as
// received), so a test can check what arrived.
//
// Routes (see the script): /short and /long (200), /empty (200, no body),
// /missing (404, UTF-8 body), /gbk-error (500, code page 936 body),
// /empty-error (503, no body), /inform (an HTML page with a link and
// pictures), /picture.png, /big-page (2 MiB), /return_wx (net messages
// chosen by "sn=": cr, crlf, lf, long, empty), and the awkward answers of a
// download server: /redirect/<path> (302 to /<path>), /redirect-bare (302
// without Location), /short-body (less than its Content-Length), /no-length,
// /chunked, /slow (1 MB at 20 kB/s); anything else 404. In folder mode the
// files of a folder are served first, by their percent-decoded paths.
#include "tests/support/python_peer.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QPair>
#include <QString>
#include <QTemporaryDir>

#include <memory>
#include <vector>

// Makes "cert.pem" and "key.pem" in `folder`: a self-signed certificate for
// 127.0.0.1 (an EC key, made in milliseconds), as the HTTPS peers use. False
// with `error` when openssl is missing or fails.
bool MakeSelfSignedCertificate(const QString& folder, QString& error);

struct HttpRequestRecord {
    QString requestLine; // "GET /short?a=1 HTTP/1.1"
    QString method;
    QString path;                           // without the query
    QString query;                          // after the first "?", as sent (still %-encoded)
    QList<QPair<QString, QString>> headers; // in order, names as sent

    // First header of that name (case-insensitive); empty when absent.
    QString header(const QString& name) const;
    // True when a header line reads exactly "Name: value" (name case included).
    bool hasExactHeader(const QString& name, const QString& value) const;
};

// A record from the peers' "REQUEST <json>" line: "line" (the request line)
// and "headers" ([name, value] pairs).
HttpRequestRecord RequestRecordFromJson(const QJsonObject& o);

class LoopbackHttpServer {
public:
    enum class Scheme { Http, Https };

    explicit LoopbackHttpServer(Scheme scheme = Scheme::Http, const QString& folder = QString());
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    // False when the server could not start; errorString() says why.
    bool isRunning() const { return m_peer.port() != 0; }
    QString errorString() const { return m_error; }
    quint16 port() const { return m_peer.port(); }
    // "http://127.0.0.1:<port>" + path (https for Scheme::Https).
    QString url(const QString& path) const;
    // The self-signed certificate (PEM) of an HTTPS server.
    QString certificatePath() const;

    // Every request received so far, waiting up to `timeoutMs` until there
    // are at least `atLeast`.
    std::vector<HttpRequestRecord> requests(size_t atLeast = 0, int timeoutMs = 5000);

    // The bodies the routes answer with.
    static QByteArray shortBody();
    static QByteArray longBody(); // 5000 bytes
    static QByteArray missingBody();
    static QByteArray gbkErrorBody();

private:
    void readOutput();

    Scheme m_scheme;
    QString m_error;
    std::unique_ptr<QTemporaryDir> m_certDir;
    PythonPeer m_peer; // after the certificate: stopped before its folder goes
    std::vector<HttpRequestRecord> m_requests;
};
