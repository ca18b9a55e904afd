#include "platform/instance_channel.h"

#include <QDataStream>
#include <QDir>
#include <QLocalSocket>

#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr quint32 kMaxMessageBytes = 1 << 20;
constexpr char kAck = '1';
constexpr char kProgramFolderName[] = "Corvelane";
// InstanceRunning holds the lock for a moment; a start that meets it then
// looks again before it takes itself for the second start.
constexpr int kLockAttempts = 10;
constexpr int kLockRetryMs = 20;

QString ErrnoText(int err) {
    return QString::fromLocal8Bit(std::strerror(err));
}

// A folder only this user can enter: made 0700 when missing, refused when it
// is a link or somebody else's, tightened to 0700 when it is looser.
QString OwnFolder(const QByteArray& path) {
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST)
        return {};
    struct stat st {};
    if (::lstat(path.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid())
        return {};
    if ((st.st_mode & 0777) != 0700 && ::chmod(path.constData(), 0700) != 0)
        return {};
    return QFile::decodeName(path);
}

QString PrivateFolder() {
    QByteArray cache = qgetenv("XDG_CACHE_HOME");
    if (cache.isEmpty() || !cache.startsWith('/')) {
        QByteArray home = qgetenv("HOME");
        if (home.isEmpty()) {
            if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir)
                home = pw->pw_dir;
        }
        if (home.isEmpty())
            return {};
        cache = home + "/.cache";
        ::mkdir(cache.constData(), 0700);
    }
    return OwnFolder(cache + '/' + kProgramFolderName);
}

} // namespace

QString InstanceFolder() {
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir(QFile::decodeName(runtime)).exists())
        return QFile::decodeName(runtime);
    return PrivateFolder();
}

QString InstanceChannelName() {
    const QString name = QStringLiteral("CSQXWND_QEL-%1").arg(::getuid());
    const QString folder = InstanceFolder();
    return folder.isEmpty() ? QString() : folder + QLatin1Char('/') + name;
}

QString InstanceLockPath() {
    const QString name = InstanceChannelName();
    return name.isEmpty() ? QString() : name + QStringLiteral(".lock");
}

bool InstanceRunning() {
    const QString path = InstanceLockPath();
    if (path.isEmpty())
        return false;
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return errno != ENOENT; // a lock that cannot be looked at may be held
    // Whoever runs holds the lock exclusively; a shared lock shows it without
    // taking anything from a start that comes at the same moment.
    bool held = false;
    if (::flock(fd, LOCK_SH | LOCK_NB) == 0)
        ::flock(fd, LOCK_UN);
    else
        held = errno == EWOULDBLOCK;
    ::close(fd);
    return held;
}

bool SendInstanceMessage(const QByteArray& message, int timeoutMs) {
    QLocalSocket socket;
    // The instance that won the lock may not be listening yet: try for a while.
    QElapsedTimer clock;
    clock.start();
    const QString name = InstanceChannelName();
    if (name.isEmpty())
        return false;
    for (;;) {
        socket.connectToServer(name);
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

bool InstanceServer::fail(Failure failure, const QString& error) {
    m_failure = failure;
    m_error = error;
    return false;
}

bool InstanceServer::listen() {
    m_failure = Failure::None;
    m_error.clear();
    const QString lockPath = InstanceLockPath();
    if (lockPath.isEmpty())
        return fail(Failure::Error,
                    QStringLiteral("no folder of the user's own for the lock (HOME not set?)"));
    // Of two starts at the same moment exactly one gets the lock; the other
    // is the second instance and delivers its message instead.
    if (m_lockFd < 0) {
        m_lockFd =
            ::open(QFile::encodeName(lockPath).constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (m_lockFd < 0)
            return fail(Failure::Error,
                        QStringLiteral("cannot open the lock file: %1: %2").arg(ErrnoText(errno), lockPath));
    }
    for (int attempt = 1;; ++attempt) {
        if (::flock(m_lockFd, LOCK_EX | LOCK_NB) == 0)
            break;
        const int err = errno;
        if (err == EINTR)
            continue;
        if (err != EWOULDBLOCK)
            return fail(Failure::Error,
                        QStringLiteral("cannot lock the lock file: %1: %2").arg(ErrnoText(err), lockPath));
        if (attempt >= kLockAttempts)
            return fail(Failure::AnotherInstance, QStringLiteral("another process holds %1").arg(lockPath));
        QThread::msleep(kLockRetryMs);
    }
    const QString name = InstanceChannelName();
    QLocalServer::removeServer(name);  // left behind by an instance that died
    if (!m_server.listen(name))
        return fail(Failure::Error,
                    QStringLiteral("cannot listen on the socket: %1: %2").arg(m_server.errorString(), name));
    return true;
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
                // Handled from the event loop, not from here: a command may
                // open a modal dialog, and in its loop this socket can go
                // away (the sender disconnects and it is deleted).
                QMetaObject::invokeMethod(
                    this, [this, message] { Q_EMIT messageReceived(message); }, Qt::QueuedConnection);
            }
        });
    }
}
