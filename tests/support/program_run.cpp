#include "tests/support/program_run.h"

#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <stdexcept>
#include <sys/stat.h>

#ifndef CORVELANE_PROGRAM
#define CORVELANE_PROGRAM ""
#endif

ProgramRun::ProgramRun() : m_env(QProcessEnvironment::systemEnvironment()) {
    if (!m_dir.isValid())
        throw std::runtime_error("cannot create a program folder");
    const QString program = QStringLiteral(CORVELANE_PROGRAM);
    if (program.isEmpty() || !QFile::copy(program, file(QStringLiteral("Corvelane"))))
        throw std::runtime_error("cannot copy the program into its folder");
    ::chmod(QFile::encodeName(file(QStringLiteral("Corvelane"))).constData(), 0755);
    QDir().mkpath(file(QStringLiteral("run")));
    ::chmod(QFile::encodeName(file(QStringLiteral("run"))).constData(), 0700);
    m_env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    m_env.insert(QStringLiteral("XDG_RUNTIME_DIR"), file(QStringLiteral("run")));
}

ProgramRun::~ProgramRun() {
    for (auto& p : m_processes) {
        if (p->state() != QProcess::NotRunning) {
            p->kill();
            p->waitForFinished(3000);
        }
    }
}

void ProgramRun::writeFile(const QString& relative, const QByteArray& content, int mode) const {
    const QString path = file(relative);
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(content) != content.size())
        throw std::runtime_error("cannot write " + path.toStdString());
    f.close();
    ::chmod(QFile::encodeName(path).constData(), static_cast<mode_t>(mode));
}

QByteArray ProgramRun::readFile(const QString& relative) const {
    QFile f(file(relative));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QProcess* ProgramRun::start(const QStringList& arguments) {
    auto p = std::make_unique<QProcess>();
    p->setProgram(file(QStringLiteral("Corvelane")));
    p->setArguments(arguments);
    p->setWorkingDirectory(folder());
    p->setProcessEnvironment(m_env);
    p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p->start();
    p->waitForStarted(5000);
    m_processes.push_back(std::move(p));
    return m_processes.back().get();
}

int ProgramRun::run(const QStringList& arguments, int timeoutMs) {
    QProcess* p = start(arguments);
    if (!p->waitForFinished(timeoutMs)) {
        p->kill();
        p->waitForFinished(3000);
        return -1;
    }
    return p->exitStatus() == QProcess::NormalExit ? p->exitCode() : -1;
}

bool ProgramRun::waitForLog(const QString& text, int timeoutMs) const {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < timeoutMs) {
        if (runLog().contains(text))
            return true;
        QThread::msleep(25);
    }
    return false;
}

QString ProgramRun::runLog() const {
    return QString::fromUtf8(
        readFile(QStringLiteral("enc/run.txt_%1.enc").arg(QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")))));
}

QString ProgramRun::sendLog() const {
    return QString::fromUtf8(
        readFile(QStringLiteral("enc/qx.txt_%1.enc").arg(QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")))));
}
