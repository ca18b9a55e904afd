#include "tests/support/python_peer.h"

#include <QFileInfo>
#include <QStandardPaths>

PythonPeer::~PythonPeer() {
    if (m_process.state() == QProcess::NotRunning)
        return;
    // Closing stdin ends the script; kill it if it does not go.
    m_process.closeWriteChannel();
    if (!m_process.waitForFinished(3000)) {
        m_process.kill();
        m_process.waitForFinished(3000);
    }
}

bool PythonPeer::start(const QString& script, const QStringList& args) {
    // Debian's own interpreter first: it sees the python3-* packages the
    // peers use (pyftpdlib); another python3 earlier on PATH may not.
    const QString system = QStringLiteral("/usr/bin/python3");
    const QString python =
        QFileInfo(system).isExecutable() ? system : QStandardPaths::findExecutable(QStringLiteral("python3"));
    if (python.isEmpty()) {
        m_error = QStringLiteral("python3 not found");
        return false;
    }
    // The script's own errors show in the test's output.
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(python, QStringList{script} + args);
    if (!m_process.waitForStarted(10000)) {
        m_error = QStringLiteral("python3 did not start: ") + m_process.errorString();
        return false;
    }
    // The first line is "PORT <n>". A script that ends early may still have
    // printed it, so what is left is read once more before giving up.
    QDeadlineTimer deadline(15000);
    while (!m_pending.contains('\n')) {
        if (deadline.hasExpired() || m_process.state() != QProcess::Running ||
            !m_process.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) {
            m_pending += m_process.readAllStandardOutput();
            if (m_pending.contains('\n'))
                break;
            m_error = QFileInfo(script).fileName() + QStringLiteral(" printed no port");
            return false;
        }
        m_pending += m_process.readAllStandardOutput();
    }
    const qsizetype eol = m_pending.indexOf('\n');
    const QByteArray first = m_pending.left(eol).trimmed();
    m_pending.remove(0, eol + 1);
    bool ok = false;
    const uint port = first.startsWith("PORT ") ? first.mid(5).toUInt(&ok) : 0;
    if (!ok || port == 0 || port > 65535) {
        m_error = QStringLiteral("unexpected first line: ") + QString::fromUtf8(first);
        return false;
    }
    m_port = static_cast<quint16>(port);
    return true;
}

QList<QByteArray> PythonPeer::takeLines() {
    m_pending += m_process.readAllStandardOutput();
    QList<QByteArray> lines;
    for (qsizetype eol; (eol = m_pending.indexOf('\n')) >= 0;) {
        lines.append(m_pending.left(eol));
        m_pending.remove(0, eol + 1);
    }
    return lines;
}

bool PythonPeer::waitForOutput(const QDeadlineTimer& deadline) {
    if (deadline.hasExpired() || m_process.state() != QProcess::Running)
        return false;
    m_process.waitForReadyRead(static_cast<int>(qMax<qint64>(1, deadline.remainingTime())));
    return true;
}
