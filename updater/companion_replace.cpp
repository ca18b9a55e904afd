#include "updater/companion_replace.h"

#include "platform/file_io.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray Native(const QString& path) {
    return QFile::encodeName(path);
}

} // namespace

mode_t NewFileMode(const QString& path) {
    const int fd = ::open(Native(path).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return 0644;
    char head[4] = {};
    const ssize_t n = ::read(fd, head, sizeof head);
    ::close(fd);
    if (n >= 4 && head[0] == '\x7f' && head[1] == 'E' && head[2] == 'L' && head[3] == 'F')
        return 0755;
    if (n >= 2 && head[0] == '#' && head[1] == '!')
        return 0755;
    return 0644;
}

bool ReplaceFileWith(const QString& target, const std::function<bool(const QString& temporary)>& fill) {
    const QByteArray native = Native(target);
    QByteArray pattern = native + ".new-XXXXXX";
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0)
        return false;
    ::close(fd);
    const QString temporary = QFile::decodeName(pattern);
    auto fail = [&] {
        ::unlink(pattern.constData());
        return false;
    };
    if (!fill(temporary))
        return fail();
    struct stat old {};
    const mode_t mode = ::lstat(native.constData(), &old) == 0 && S_ISREG(old.st_mode)
                            ? (old.st_mode & 07777)
                            : NewFileMode(temporary);
    const int written = ::open(pattern.constData(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
    if (written < 0)
        return fail();
    const bool synced = ::fchmod(written, mode) == 0 && ::fsync(written) == 0;
    ::close(written);
    if (!synced || ::rename(pattern.constData(), native.constData()) != 0)
        return fail();
    return true;
}

bool CopyFileContents(const QString& from, const QString& to) {
    const int in = ::open(Native(from).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (in < 0)
        return false;
    struct stat st {};
    if (::fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(in);
        return false;
    }
    const QByteArray target = Native(to);
    ::unlink(target.constData());
    const int out = ::open(target.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (out < 0) {
        ::close(in);
        return false;
    }
    bool ok = true;
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(in, buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            ok = false;
            break;
        }
        if (n == 0)
            break;
        if (!WriteAll(out, buf, static_cast<size_t>(n))) {
            ok = false;
            break;
        }
    }
    ok = ::fchmod(out, st.st_mode & 07777) == 0 && ok;
    ok = ::close(out) == 0 && ok;
    ::close(in);
    if (!ok)
        ::unlink(target.constData());
    return ok;
}

bool MoveNoReplace(const QString& from, const QString& to) {
    return ::renameat2(AT_FDCWD, Native(from).constData(), AT_FDCWD, Native(to).constData(),
                       RENAME_NOREPLACE) == 0;
}
