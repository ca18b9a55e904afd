#pragma once
// The running program's inbox, in place of finding its window by class name:
// a local socket that only this user can reach, named after the window class
// "CSQXWND_QEL" and the user id. A second start sends "show", the companions
// send "quit", the spreadsheet add-in and `Corvelane --command` send commands.
// Messages are length-prefixed; the receiver acknowledges each one.
#include <QByteArray>
#include <QLocalServer>
#include <QObject>
#include <QString>

// The folder of the lock and the socket: $XDG_RUNTIME_DIR when it is set and
// exists, otherwise a folder of the user's own ("$HOME/.cache/Corvelane",
// mode 0700), never the world-writable temporary folder. Empty when no such
// folder can be made.
QString InstanceFolder();

// "<folder>/CSQXWND_QEL-<uid>", the socket's path.
QString InstanceChannelName();
// The lock file beside it: whoever holds it is the running program.
QString InstanceLockPath();

// True when a live process holds the instance lock, that is, a program runs
// (it may not listen yet). Quick: it never waits for the socket.
bool InstanceRunning();

// Delivers one message to the running program. True when it was received.
bool SendInstanceMessage(const QByteArray& message, int timeoutMs = 3000);

class InstanceServer : public QObject {
    Q_OBJECT
public:
    enum class Failure { None, AnotherInstance, Error };

    explicit InstanceServer(QObject* parent = nullptr);
    ~InstanceServer() override;
    // False when the inbox is not set up: see failure(). A socket left behind
    // by a program that died is removed and taken over.
    bool listen();
    // AnotherInstance only when a live process holds the lock; Error for any
    // other reason (errorString() then names it and the path).
    Failure failure() const { return m_failure; }
    QString errorString() const { return m_error; }

Q_SIGNALS:
    void messageReceived(const QByteArray& message);

private:
    bool fail(Failure failure, const QString& error);
    void onConnection();
    QLocalServer m_server;
    int m_lockFd = -1;
    Failure m_failure = Failure::None;
    QString m_error;
};
