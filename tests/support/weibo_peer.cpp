#include "tests/support/weibo_peer.h"

#include <QDeadlineTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace {

QString ScriptPath() {
    return QStringLiteral(CORVELANE_TEST_SUPPORT_DIR "/weibo_peer.py");
}

bool WriteWhole(const QString& path, const QByteArray& content) {
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size() && file.commit();
}

} // namespace

WeiboPeer::WeiboPeer(Scheme scheme) : m_scheme(scheme), m_dir(std::make_unique<QTemporaryDir>()) {
    if (!m_dir->isValid()) {
        m_error = QStringLiteral("no temporary folder for the answers");
        return;
    }
    QStringList args{QStringLiteral("--answers"), m_dir->path()};
    if (scheme == Scheme::Https) {
        if (!MakeSelfSignedCertificate(m_dir->path(), m_error))
            return;
        args << QStringLiteral("--cert") << m_dir->filePath(QStringLiteral("cert.pem"))
             << QStringLiteral("--key") << m_dir->filePath(QStringLiteral("key.pem"));
    }
    if (!m_peer.start(ScriptPath(), args))
        m_error = m_peer.error();
}

WeiboPeer::~WeiboPeer() = default;

QString WeiboPeer::baseUrl() const {
    return QStringLiteral("%1://127.0.0.1:%2")
        .arg(m_scheme == Scheme::Https ? QStringLiteral("https") : QStringLiteral("http"))
        .arg(port());
}

QString WeiboPeer::url(const QString& path) const {
    return baseUrl() + path;
}

QByteArray WeiboPeer::deploymentIni(const QString& redirectUrl, bool allowInvalidCertificates) const {
    QByteArray ini = "[Deployment]\r\nWeiboApiUrl=" + baseUrl().toUtf8() +
                     "\r\nWeiboRedirectUrl=" + redirectUrl.toUtf8() + "\r\n";
    if (allowInvalidCertificates)
        ini += "AllowInvalidCertificates=1\r\n";
    return ini;
}

bool WeiboPeer::setAnswer(const QString& path, int status, const QByteArray& body, int delayMs) {
    // The script reads the body, then the meta file: the body goes first, so
    // a request never sees a new status with an old body of another length.
    const QString stem = m_dir->filePath(QString::fromLatin1(path.toUtf8().toHex()));
    QJsonObject meta{{QStringLiteral("status"), status}, {QStringLiteral("delay_ms"), delayMs}};
    return WriteWhole(stem + QStringLiteral(".body"), body) &&
           WriteWhole(stem + QStringLiteral(".json"), QJsonDocument(meta).toJson(QJsonDocument::Compact));
}

void WeiboPeer::readOutput() {
    for (const QByteArray& line : m_peer.takeLines()) {
        if (!line.startsWith("REQUEST "))
            continue;
        const QJsonObject o = QJsonDocument::fromJson(line.mid(8)).object();
        WeiboPeerRequest r;
        static_cast<HttpRequestRecord&>(r) = RequestRecordFromJson(o);
        r.body = QByteArray::fromBase64(o.value(QStringLiteral("body")).toString().toLatin1());
        m_requests.push_back(std::move(r));
    }
}

std::vector<WeiboPeerRequest> WeiboPeer::requests(size_t atLeast, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    readOutput();
    while (m_requests.size() < atLeast && m_peer.waitForOutput(deadline))
        readOutput();
    return m_requests;
}

QByteArray WeiboPeer::picture(int size) {
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 7 + 3) % 256);
    return bytes;
}
