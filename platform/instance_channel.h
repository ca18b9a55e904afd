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

// "CSQXWND_QEL-<uid>", inside $XDG_RUNTIME_DIR when it is set.
QString InstanceChannelName();

// Delivers one message to the running program. True when it was received.
bool SendInstanceMessage(const QByteArray& message, int timeoutMs = 3000);

class InstanceServer : public QObject {
    Q_OBJECT
public:
    explicit InstanceServer(QObject* parent = nullptr);
    ~InstanceServer() override;
    // False when another instance runs. A socket left behind by a program
    // that died is removed and taken over.
    bool listen();
    QString errorString() const { return m_server.errorString(); }

Q_SIGNALS:
    void messageReceived(const QByteArray& message);

private:
    void onConnection();
    QLocalServer m_server;
    int m_lockFd = -1;
};
