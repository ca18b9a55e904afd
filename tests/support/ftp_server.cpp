#include "tests/support/ftp_server.h"

#include "core/deployment.h"
#include "platform/ini.h"

#include <QDir>
#include <QFile>

LoopbackFtpServer::LoopbackFtpServer(const QString& password) {
    if (!m_root.isValid() || !QDir(m_root.path()).mkdir(QStringLiteral("CLIENT_DB_FTP"))) {
        m_error = QStringLiteral("cannot make the served folder");
        return;
    }
    const QString script = QStringLiteral(CORVELANE_TEST_SUPPORT_DIR "/ftp_peer.py");
    if (!m_peer.start(script,
                      {QStringLiteral("--root"), m_root.path(), QStringLiteral("--password"), password}))
        m_error = m_peer.error();
}

QString LoopbackFtpServer::hostValue() const {
    return QStringLiteral("127.0.0.1:%1").arg(port());
}

void LoopbackFtpServer::configure(const QString& value) const {
    ini::WriteString(ServerIniPath(), QLatin1String(kDeploymentSection),
                     DeploymentKeyName(DeploymentKey::FtpHost), value.isNull() ? hostValue() : value);
}

QString LoopbackFtpServer::folder() const {
    return m_root.path() + QStringLiteral("/CLIENT_DB_FTP");
}

QStringList LoopbackFtpServer::files() const {
    return QDir(folder()).entryList(QDir::Files, QDir::Name);
}

void LoopbackFtpServer::put(const QString& name, const QByteArray& content, const QDateTime& modified) const {
    QFile f(filePath(name));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(content) != content.size())
        throw std::runtime_error("cannot write " + f.fileName().toStdString());
    f.close();
    setModified(name, modified);
}

void LoopbackFtpServer::setModified(const QString& name, const QDateTime& modified) const {
    QFile f(filePath(name));
    if (!f.open(QIODevice::ReadWrite) || !f.setFileTime(modified, QFileDevice::FileModificationTime))
        throw std::runtime_error("cannot set the time of " + f.fileName().toStdString());
}

QStringList LoopbackFtpServer::commands() {
    // What the script printed a moment ago may still be in the pipe.
    const QDeadlineTimer settle(300);
    while (m_peer.waitForOutput(settle)) {
    }
    for (const QByteArray& line : m_peer.takeLines())
        if (line.startsWith("CMD "))
            m_commands << QString::fromUtf8(line.mid(4)).trimmed();
    return m_commands;
}
