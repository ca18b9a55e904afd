#pragma once
// Runs the real Corvelane from a temporary program folder, offscreen, with an
// inbox (runtime folder) of its own, so end-to-end runs never meet each other
// or a program the developer has open.
#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>
#include <vector>

class ProgramRun {
public:
    ProgramRun();
    ~ProgramRun();

    QString folder() const { return m_dir.path(); }
    QString file(const QString& relative) const { return m_dir.path() + QLatin1Char('/') + relative; }
    void writeFile(const QString& relative, const QByteArray& content, int mode = 0644) const;
    QByteArray readFile(const QString& relative) const;
    QProcessEnvironment& environment() { return m_env; }

    // Starts Corvelane with `arguments` and leaves it running.
    QProcess* start(const QStringList& arguments = {});
    // Runs Corvelane to its end (at most `timeoutMs`); returns the exit code,
    // or -1 when it was still running (it is then killed).
    int run(const QStringList& arguments = {}, int timeoutMs = 10000);
    // Sends a command to the running program; the exit code of the sender.
    int command(const QString& text) { return run({QStringLiteral("--command"), text}); }
    // Waits until the run log holds `text`.
    bool waitForLog(const QString& text, int timeoutMs = 10000) const;
    // Today's run log and send log.
    QString runLog() const;
    QString sendLog() const;

private:
    QTemporaryDir m_dir;
    QProcessEnvironment m_env;
    std::vector<std::unique_ptr<QProcess>> m_processes;
};
