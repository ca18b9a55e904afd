#include "updater/updater_lock.h"

#include "platform/instance_channel.h"

#include <QFile>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

UpdaterLock::~UpdaterLock() {
    if (m_fd >= 0)
        ::close(m_fd);
}

QString UpdaterLock::LockPath() {
    const QString folder = InstanceFolder();
    return folder.isEmpty() ? QString() : folder + QStringLiteral("/Brannock-%1.lock").arg(::getuid());
}

bool UpdaterLock::acquire() {
    if (m_fd >= 0)
        return true;
    const QString path = LockPath();
    if (path.isEmpty())
        return false;
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return false;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}
