#pragma once
// The trial service (corvelane-loopback-service) in a process of its own on
// an ephemeral port of 127.0.0.1, for one trial account; its log is what it
// writes to standard error, a line per call.
#include <QByteArray>
#include <QProcess>
#include <QString>

#include <string>

class TrialServiceProgram {
public:
    // Starts `program` for the account `serial`; port() is 0 when it did not
    // announce its port within 15 s.
    TrialServiceProgram(const QString& program, const char* serial, const char* password);
    ~TrialServiceProgram();
    TrialServiceProgram(const TrialServiceProgram&) = delete;
    TrialServiceProgram& operator=(const TrialServiceProgram&) = delete;

    int port() const { return m_port; }
    std::string url() const { return "http://127.0.0.1:" + std::to_string(m_port) + "/webservice.asmx"; }
    QProcess& process() { return m_process; }
    // What the program logged so far.
    QString log();

private:
    QProcess m_process;
    QByteArray m_log;
    int m_port = 0;
};
