#include "platform/instance_channel.h"

#include <QDataStream>
#include <QDir>
#include <QLocalSocket>

#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {
constexpr quint32 kMaxMessageBytes = 1 << 20;
constexpr char kAck = '1';
} // namespace

QString InstanceChannelName() {
    const QString name = QStringLiteral("CSQXWND_QEL-%1").arg(::getuid());
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime && QDir(QString::fromLocal8Bit(runtime)).exists())
        return QString::fromLocal8Bit(runtime) + QLatin1Char('/') + name;
    return name;
}

namespace {

// Whoever holds this lock is the running instance. The kernel drops it when
// the process ends, however it ends, so a crashed instance never blocks the next.
QString LockPath() {
    QString name = InstanceChannelName();
    if (!name.contains(QLatin1Char('/')))
        name = QDir::tempPath() + QLatin1Char('/') + name;
    return name + QStringLiteral(".lock");
}

} // namespace

bool SendInstanceMessage(const QByteArray& message, int timeoutMs) {
    QLocalSocket socket;
    // The instance that won the lock may not be listening yet: try for a while.
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        socket.connectToServer(InstanceChannelName());
        if (socket.waitForConnected(timeoutMs))
            break;
        if (clock.elapsed() > timeoutMs)
            return false;
        socket.abort();
        QThread::msleep(50);
    }
    QByteArray frame;
    QDataStream out(&frame, QIODevice::WriteOnly);
    out << static_cast<quint32>(message.size());
    frame.append(message);
    socket.write(frame);
    if (!socket.waitForBytesWritten(timeoutMs))
        return false;
    while (socket.bytesAvailable() < 1) {
        if (!socket.waitForReadyRead(timeoutMs))
            return false;
    }
    return socket.read(1) == QByteArray(1, kAck);
}

InstanceServer::InstanceServer(QObject* parent) : QObject(parent) {
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&m_server, &QLocalServer::newConnection, this, &InstanceServer::onConnection);
}

InstanceServer::~InstanceServer() {
    if (m_lockFd >= 0)
        ::close(m_lockFd);
}

bool InstanceServer::listen() {
    // Of two starts at the same moment exactly one gets the lock; the other
    // is the second instance and delivers its message instead.
    if (m_lockFd < 0) {
        m_lockFd = ::open(QFile::encodeName(LockPath()).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (m_lockFd < 0)
            return false;
    }
    if (::flock(m_lockFd, LOCK_EX | LOCK_NB) != 0)
        return false;
    const QString name = InstanceChannelName();
    QLocalServer::removeServer(name);  // left behind by an instance that died
    return m_server.listen(name);
}

void InstanceServer::onConnection() {
    while (QLocalSocket* socket = m_server.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            while (socket->bytesAvailable() >= 4) {
                QDataStream in(socket->peek(4));
                quint32 size = 0;
                in >> size;
                if (size > kMaxMessageBytes) {
                    socket->abort();
                    return;
                }
                if (socket->bytesAvailable() < 4 + static_cast<qint64>(size))
                    return;
                socket->read(4);
                const QByteArray message = socket->read(size);
                socket->write(QByteArray(1, kAck));
                socket->flush();
                Q_EMIT messageReceived(message);
            }
        });
    }
}
