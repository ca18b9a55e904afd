#include "tests/support/soap_capture_peer.h"

#include <QDeadlineTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>

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
    const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
    if (python.isEmpty()) {
        m_error = QStringLiteral("python3 not found");
        return;
    }
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(python,
                    {QStringLiteral(CORVELANE_TEST_SUPPORT_DIR "/soap_capture_peer.py"),
                     QStringLiteral("--namespace"), serviceNamespace, QStringLiteral("--result"), result});
    if (!m_process.waitForStarted(10000)) {
        m_error = QStringLiteral("python3 did not start: ") + m_process.errorString();
        return;
    }
    // The first line is "PORT <n>".
    QDeadlineTimer deadline(15000);
    while (!m_pending.contains('\n')) {
        if (deadline.hasExpired() || m_process.state() != QProcess::Running) {
            m_error = QStringLiteral("the peer printed no port");
            return;
        }
        m_process.waitForReadyRead(static_cast<int>(qMax<qint64>(1, deadline.remainingTime())));
        m_pending += m_process.readAllStandardOutput();
    }
    const qsizetype eol = m_pending.indexOf('\n');
    const QByteArray first = m_pending.left(eol).trimmed();
    m_pending.remove(0, eol + 1);
    bool ok = false;
    const uint port = first.startsWith("PORT ") ? first.mid(5).toUInt(&ok) : 0;
    if (!ok || port == 0 || port > 65535) {
        m_error = QStringLiteral("unexpected first line: ") + QString::fromUtf8(first);
        return;
    }
    m_port = static_cast<quint16>(port);
}

SoapCapturePeer::~SoapCapturePeer() {
    if (m_process.state() == QProcess::NotRunning)
        return;
    // Closing stdin ends the script; kill it if it does not go.
    m_process.closeWriteChannel();
    if (!m_process.waitForFinished(3000)) {
        m_process.kill();
        m_process.waitForFinished(3000);
    }
}

std::string SoapCapturePeer::url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(m_port) + path;
}

void SoapCapturePeer::readOutput() {
    m_pending += m_process.readAllStandardOutput();
    for (qsizetype eol; (eol = m_pending.indexOf('\n')) >= 0;) {
        const QByteArray line = m_pending.left(eol);
        m_pending.remove(0, eol + 1);
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
    while (m_requests.size() < atLeast && !deadline.hasExpired() && m_process.state() == QProcess::Running) {
        m_process.waitForReadyRead(static_cast<int>(qMax<qint64>(1, deadline.remainingTime())));
        readOutput();
    }
    return m_requests;
}
