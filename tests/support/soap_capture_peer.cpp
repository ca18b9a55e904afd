#include "tests/support/soap_capture_peer.h"

#include <QDeadlineTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

QByteArray CapturedRequest::header(const QByteArray& name, bool* found) const {
    for (const auto& h : headers) {
        if (h.first.compare(name, Qt::CaseInsensitive) == 0) {
            if (found)
                *found = true;
            return h.second;
        }
    }
    if (found)
        *found = false;
    return QByteArray();
}

SoapCapturePeer::SoapCapturePeer(const QString& serviceNamespace, const QString& result) {
    m_peer.start(QStringLiteral(CORVELANE_TEST_SUPPORT_DIR "/soap_capture_peer.py"),
                 {QStringLiteral("--namespace"), serviceNamespace, QStringLiteral("--result"), result});
}

std::string SoapCapturePeer::url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port()) + path;
}

void SoapCapturePeer::readOutput() {
    for (const QByteArray& line : m_peer.takeLines()) {
        if (!line.startsWith("REQUEST "))
            continue; // "BROKEN ...": a request that never completed is not recorded
        const QJsonObject o = QJsonDocument::fromJson(line.mid(8)).object();
        CapturedRequest r;
        r.requestLine = o.value(QStringLiteral("line")).toString().toLatin1();
        const QList<QByteArray> parts = r.requestLine.split(' ');
        r.method = parts.value(0);
        r.target = parts.value(1);
        for (const QJsonValue& h : o.value(QStringLiteral("headers")).toArray()) {
            const QJsonArray pair = h.toArray();
            r.headers.append({pair.at(0).toString().toLatin1(), pair.at(1).toString().toLatin1()});
        }
        r.body = QByteArray::fromBase64(o.value(QStringLiteral("body")).toString().toLatin1());
        m_requests.push_back(std::move(r));
    }
}

std::vector<CapturedRequest> SoapCapturePeer::requests(size_t atLeast, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    readOutput();
    while (m_requests.size() < atLeast && m_peer.waitForOutput(deadline))
        readOutput();
    return m_requests;
}
