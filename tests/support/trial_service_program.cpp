#include "tests/support/trial_service_program.h"

#include <QDeadlineTimer>
#include <QProcessEnvironment>

TrialServiceProgram::TrialServiceProgram(const QString& program, const char* serial, const char* password) {
    // The password travels in the environment, never on the command line.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("CORVELANE_TRIAL_PASSWORD"), QString::fromLatin1(password));
    m_process.setProcessEnvironment(env);
    m_process.start(program, {QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--serial"),
                              QString::fromLatin1(serial)});
    QByteArray out;
    QDeadlineTimer deadline(15000);
    while (!out.contains('\n') && !deadline.hasExpired() && m_process.state() != QProcess::NotRunning) {
        m_process.waitForReadyRead(static_cast<int>(qMax<qint64>(1, deadline.remainingTime())));
        out += m_process.readAllStandardOutput();
    }
    const QByteArray line = out.left(out.indexOf('\n')).trimmed();
    if (line.startsWith("PORT "))
        m_port = line.mid(5).toInt();
}

TrialServiceProgram::~TrialServiceProgram() {
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.kill();
    m_process.waitForFinished(5000);
}

QString TrialServiceProgram::log() {
    m_log += m_process.readAllStandardError();
    return QString::fromUtf8(m_log);
}
