#pragma once
// A loopback peer written in Python, as the tests' HTTP and SOAP peers are:
// the script listens on 127.0.0.1 with a port the system chooses, prints
// "PORT <n>" as its first line and then one record a line, and ends when its
// stdin closes, so it never outlives the test that started it. This class
// runs such a script under python3, reads the port and hands over the lines
// that follow; the destructor stops the script. Scripts run under
// /usr/bin/python3 when there is one.
#include <QByteArray>
#include <QDeadlineTimer>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>

class PythonPeer {
public:
    PythonPeer() = default;
    ~PythonPeer();
    PythonPeer(const PythonPeer&) = delete;
    PythonPeer& operator=(const PythonPeer&) = delete;

    // Runs `script` with `args` and waits for its port line. False when
    // python3 is missing, does not start or gives no port; error() says why.
    bool start(const QString& script, const QStringList& args = {});

    // 0 until start() succeeded.
    quint16 port() const { return m_port; }
    QString error() const { return m_error; }

    // The complete lines printed since the last call, without their line
    // ends; never waits.
    QList<QByteArray> takeLines();
    // Waits for more output until `deadline`. False, at once, when the
    // deadline has passed or the script is no longer running: nothing more
    // is worth waiting for.
    bool waitForOutput(const QDeadlineTimer& deadline);

private:
    QProcess m_process;
    quint16 m_port = 0;
    QString m_error;
    QByteArray m_pending; // stdout not yet split into lines
};
