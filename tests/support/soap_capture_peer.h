#pragma once
// An independent SOAP peer for wire-level tests: tests/support/soap_capture_peer.py,
// a stdlib-only Python script that shares nothing with our interface header.
// It listens on 127.0.0.1 with a port the system chooses, records every HTTP
// request byte for byte and answers in the .NET style (the response element
// in a default namespace). The constructor starts it, the destructor stops it.
//
// It also serves as an HTTP proxy for the proxy tests: a proxied request
// arrives with the absolute URI in its request line and is answered the same.
#include "tests/support/python_peer.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

#include <string>
#include <vector>

struct CapturedRequest {
    QByteArray requestLine; // "POST /webservice.asmx HTTP/1.1"
    QByteArray method;
    QByteArray target;                            // as sent: a path, or an absolute URI through a proxy
    QList<QPair<QByteArray, QByteArray>> headers; // in order, names as sent
    QByteArray body;                              // the exact bytes

    // The first header of that name (case-insensitive); `found` says whether there was one.
    QByteArray header(const QByteArray& name, bool* found = nullptr) const;
};

class SoapCapturePeer {
public:
    // Answers every operation with `result` in the namespace `serviceNamespace`.
    explicit SoapCapturePeer(const QString& serviceNamespace, const QString& result = QStringLiteral("8765"));
    SoapCapturePeer(const SoapCapturePeer&) = delete;
    SoapCapturePeer& operator=(const SoapCapturePeer&) = delete;

    bool isRunning() const { return m_peer.port() != 0; }
    QString errorString() const { return m_peer.error(); }
    quint16 port() const { return m_peer.port(); }
    // "http://127.0.0.1:<port>" + path
    std::string url(const std::string& path = "/webservice.asmx") const;

    // Every request so far, waiting up to `timeoutMs` until there are at least `atLeast`.
    std::vector<CapturedRequest> requests(size_t atLeast = 0, int timeoutMs = 5000);

private:
    void readOutput();

    PythonPeer m_peer;
    std::vector<CapturedRequest> m_requests;
};
