#include "tests/support/http_server.h"

#include <QDeadlineTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>

namespace {

QString ScriptPath() {
    return QStringLiteral(CORVELANE_TEST_SUPPORT_DIR "/http_server.py");
}

} // namespace

bool MakeSelfSignedCertificate(const QString& folder, QString& error) {
    const QString openssl = QStandardPaths::findExecutable(QStringLiteral("openssl"));
    if (openssl.isEmpty()) {
        error = QStringLiteral("openssl not found");
        return false;
    }
    QProcess p;
    p.setWorkingDirectory(folder);
    p.setProcessChannelMode(QProcess::MergedChannels);
    // An EC key: made in milliseconds, unlike RSA.
    p.start(openssl,
            {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"), QStringLiteral("ec"),
             QStringLiteral("-pkeyopt"), QStringLiteral("ec_paramgen_curve:prime256v1"),
             QStringLiteral("-nodes"), QStringLiteral("-keyout"), QStringLiteral("key.pem"),
             QStringLiteral("-out"), QStringLiteral("cert.pem"), QStringLiteral("-days"), QStringLiteral("2"),
             QStringLiteral("-subj"), QStringLiteral("/CN=127.0.0.1"), QStringLiteral("-addext"),
             QStringLiteral("subjectAltName=IP:127.0.0.1")});
    if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        error = QStringLiteral("openssl req failed: ") + QString::fromLocal8Bit(p.readAll());
        return false;
    }
    return true;
}

HttpRequestRecord RequestRecordFromJson(const QJsonObject& o) {
    HttpRequestRecord r;
    r.requestLine = o.value(QStringLiteral("line")).toString();
    const QStringList parts = r.requestLine.split(QLatin1Char(' '));
    r.method = parts.value(0);
    const QString target = parts.value(1);
    const qsizetype q = target.indexOf(QLatin1Char('?'));
    r.path = q < 0 ? target : target.left(q);
    r.query = q < 0 ? QString() : target.mid(q + 1);
    for (const QJsonValue& h : o.value(QStringLiteral("headers")).toArray()) {
        const QJsonArray pair = h.toArray();
        r.headers.append({pair.at(0).toString(), pair.at(1).toString()});
    }
    return r;
}

QString HttpRequestRecord::header(const QString& name) const {
    for (const auto& h : headers)
        if (h.first.compare(name, Qt::CaseInsensitive) == 0)
            return h.second;
    return QString();
}

bool HttpRequestRecord::hasExactHeader(const QString& name, const QString& value) const {
    for (const auto& h : headers)
        if (h.first == name && h.second == value)
            return true;
    return false;
}

LoopbackHttpServer::LoopbackHttpServer(Scheme scheme, const QString& folder) : m_scheme(scheme) {
    QStringList args;
    if (!folder.isEmpty())
        args << QStringLiteral("--folder") << folder;
    if (scheme == Scheme::Https) {
        m_certDir = std::make_unique<QTemporaryDir>();
        if (!m_certDir->isValid()) {
            m_error = QStringLiteral("no temporary folder for the certificate");
            return;
        }
        if (!MakeSelfSignedCertificate(m_certDir->path(), m_error))
            return;
        args << QStringLiteral("--cert") << m_certDir->filePath(QStringLiteral("cert.pem"))
             << QStringLiteral("--key") << m_certDir->filePath(QStringLiteral("key.pem"));
    }
    if (!m_peer.start(ScriptPath(), args))
        m_error = m_peer.error();
}

QString LoopbackHttpServer::url(const QString& path) const {
    return QStringLiteral("%1://127.0.0.1:%2%3")
        .arg(m_scheme == Scheme::Https ? QStringLiteral("https") : QStringLiteral("http"))
        .arg(port())
        .arg(path);
}

QString LoopbackHttpServer::certificatePath() const {
    return m_certDir ? m_certDir->filePath(QStringLiteral("cert.pem")) : QString();
}

void LoopbackHttpServer::readOutput() {
    for (const QByteArray& line : m_peer.takeLines()) {
        if (!line.startsWith("REQUEST "))
            continue;
        HttpRequestRecord r = RequestRecordFromJson(QJsonDocument::fromJson(line.mid(8)).object());
        m_requests.push_back(std::move(r));
    }
}

std::vector<HttpRequestRecord> LoopbackHttpServer::requests(size_t atLeast, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    readOutput();
    while (m_requests.size() < atLeast && m_peer.waitForOutput(deadline))
        readOutput();
    return m_requests;
}

QByteArray LoopbackHttpServer::shortBody() {
    return QByteArrayLiteral("short answer 123");
}

QByteArray LoopbackHttpServer::longBody() {
    QByteArray body(5000, '\0');
    for (int i = 0; i < body.size(); ++i)
        body[i] = static_cast<char>('a' + i % 26);
    return body;
}

QByteArray LoopbackHttpServer::missingBody() {
    return QByteArray("页面不存在 (not found)"); // the source is UTF-8, like the script's answer
}

QByteArray LoopbackHttpServer::gbkErrorBody() {
    // "余额不足" in code page 936.
    return QByteArray::fromHex("d3e0b6eeb2bbd7e3");
}
