#include "updater/companion_utils.h"

#include <QDir>
#include <QFile>

#include <zlib.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

QByteArray Native(const QString& path) {
    return QFile::encodeName(path);
}

bool RemoveTree(int parentFd, const char* name) {
    struct stat st {};
    if (::fstatat(parentFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT;
    if (!S_ISDIR(st.st_mode))
        return ::unlinkat(parentFd, name, 0) == 0;
    // O_NOFOLLOW|O_DIRECTORY: a folder swapped for a link is not entered.
    const int fd = ::openat(parentFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return false;
    }
    std::vector<std::string> entries;
    while (dirent* e = ::readdir(dir)) {
        if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0)
            entries.emplace_back(e->d_name);
    }
    for (const std::string& entry : entries)
        RemoveTree(fd, entry.c_str());
    ::closedir(dir);
    return ::unlinkat(parentFd, name, AT_REMOVEDIR) == 0;
}

QString ExeOf(pid_t pid) {
    char buf[4096];
    const std::string link = "/proc/" + std::to_string(pid) + "/exe";
    const ssize_t n = ::readlink(link.c_str(), buf, sizeof buf - 1);
    if (n <= 0)
        return QString();
    QString exe = QFile::decodeName(QByteArray(buf, static_cast<qsizetype>(n)));
    if (exe.endsWith(QLatin1String(" (deleted)")))
        exe.chop(10);
    return exe;
}

bool Owned(pid_t pid) {
    struct stat st {};
    const std::string dir = "/proc/" + std::to_string(pid);
    return ::stat(dir.c_str(), &st) == 0 && st.st_uid == ::getuid();
}

} // namespace

bool CreateFolderPath(const QString& path) {
    QString p = path;
    p.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (p.size() > 1 && p.endsWith(QLatin1Char('/')))
        p.chop(1);
    if (!p.startsWith(QLatin1Char('/')))
        return false;
    struct stat st {};
    if (::stat(Native(p).constData(), &st) == 0)
        return S_ISDIR(st.st_mode);
    const qsizetype slash = p.lastIndexOf(QLatin1Char('/'));
    if (slash > 0 && !CreateFolderPath(p.left(slash)))
        return false;
    return ::mkdir(Native(p).constData(), 0755) == 0 || errno == EEXIST;
}

bool DeleteFolder(const QString& path) {
    QString p = path;
    while (p.size() > 1 && p.endsWith(QLatin1Char('/')))
        p.chop(1);
    const QByteArray native = Native(p);
    const bool ok = RemoveTree(AT_FDCWD, native.constData());
    struct stat st {};
    return ok && ::lstat(native.constData(), &st) != 0;
}

std::vector<pid_t> FindProcessByName(const QString& executablePath) {
    std::vector<pid_t> found;
    if (executablePath.isEmpty())
        return found;
    DIR* proc = ::opendir("/proc");
    if (!proc)
        return found;
    const pid_t self = ::getpid();
    while (dirent* e = ::readdir(proc)) {
        char* end = nullptr;
        const long pid = std::strtol(e->d_name, &end, 10);
        if (pid <= 0 || *end != '\0' || pid == self)
            continue;
        if (Owned(static_cast<pid_t>(pid)) && ExeOf(static_cast<pid_t>(pid)) == executablePath)
            found.push_back(static_cast<pid_t>(pid));
    }
    ::closedir(proc);
    return found;
}

bool EndProcessesOf(const QString& executablePath, int graceMs, int limitMs) {
    using namespace std::chrono;
    const auto start = steady_clock::now();
    bool killed = false;
    for (;;) {
        const std::vector<pid_t> pids = FindProcessByName(executablePath);
        if (pids.empty())
            return true;
        const auto elapsed = duration_cast<milliseconds>(steady_clock::now() - start).count();
        if (elapsed >= limitMs)
            return false;
        const int sig = elapsed >= graceMs ? SIGKILL : SIGTERM;
        for (pid_t pid : pids) {
            if (sig == SIGKILL || !killed)
                ::kill(pid, sig);
        }
        killed = true;
        std::this_thread::sleep_for(milliseconds(100));
    }
}

QString GetTimeString(std::time_t time) {
    std::tm tm{};
    if (!localtime_r(&time, &tm))
        return QString();
    char buf[128];
    const size_t n = std::strftime(buf, sizeof buf, "%Y-%m-%d %H_%M_%S", &tm);
    return n == 0 ? QString() : QString::fromLatin1(buf, static_cast<qsizetype>(n));
}

bool UnGzipFile(const QString& targetPath, const QString& gzipPath) {
    const QByteArray target = Native(targetPath);
    const int in = ::open(Native(gzipPath).constData(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return false;
    gzFile gz = ::gzdopen(in, "rb");
    if (!gz) {
        ::close(in);
        return false;
    }
    ::unlink(target.constData()); // a planted link is replaced, never followed
    const int out = ::open(target.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (out < 0) {
        ::gzclose(gz);
        return false;
    }
    bool ok = true;
    qint64 written = 0;
    char buf[16384];
    for (;;) {
        const int n = ::gzread(gz, buf, sizeof buf);
        if (n < 0) {
            ok = false;
            break;
        }
        if (n == 0)
            break;
        // Stored (non-gzip) data is passed through by zlib: it is not an archive.
        if (::gzdirect(gz) != 0) {
            ok = false;
            break;
        }
        const char* p = buf;
        int left = n;
        while (left > 0) {
            const ssize_t w = ::write(out, p, static_cast<size_t>(left));
            if (w < 0 && errno == EINTR)
                continue;
            if (w <= 0) {
                ok = false;
                break;
            }
            p += w;
            left -= static_cast<int>(w);
        }
        if (!ok)
            break;
        written += n;
    }
    if (::gzdirect(gz) != 0)
        ok = false;
    if (::gzclose(gz) != Z_OK)
        ok = false;
    if (::close(out) != 0)
        ok = false;
    if (!ok || written == 0) {
        ::unlink(target.constData());
        return false;
    }
    return true;
}

std::string UrlEncodePath(std::string_view bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size());
    for (char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (c >= 0x80 || c < 0x20 || c == 0x7F || c == ' ' || c == '"' || c == '#' || c == '%') {
            out.push_back('%');
            out.push_back(digits[c >> 4]);
            out.push_back(digits[c & 0x0F]);
        } else {
            out.push_back(ch);
        }
    }
    return out;
}
