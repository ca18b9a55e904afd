#include "gui/main/skin.h"

#include "core/convert.h"
#include "core/log.h"
#include "core/paths.h"
#include "core/program_files.h"
#include "platform/encoding.h"
#include "platform/ini.h"

#include <QApplication>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr qint64 kMaxSkinBytes = 4 * 1024 * 1024;
}

QString ConfiguredSkinPath() {
    const QString name = ini::ReadString(AppPath(QString::fromLatin1(kConfigIni)), QStringLiteral("DefaultSkin"),
                                         QStringLiteral("defaultS"), QString(), 256);
    // A name that reaches out of the skin folder is no skin of ours.
    if (name.isEmpty() || name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')) || name == QLatin1String("..") )
        return QString();
    return AppPath(QStringLiteral("urf/") + name);
}

void SaveConfiguredSkin(const QString& fileName) {
    ini::WriteString(AppPath(QString::fromLatin1(kConfigIni)), QStringLiteral("DefaultSkin"), QStringLiteral("defaultS"),
                     fileName);
}

namespace {

// Reads a skin file only when it is a regular file, and at most the cap: a
// skin name that is a FIFO would hold the start forever, and one linked to a
// device such as /dev/zero would fill memory. Opened non-blocking, so not
// even the open waits on a FIFO.
bool ReadSkinFile(const QString& path, QByteArray& bytes) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int err = errno;
        LogWrite(g_logRun, "ERROR,LoadSkin,cannot read " + LogEscape(path) + "," + std::strerror(err));
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > kMaxSkinBytes) {
        LogWrite(g_logRun, "ERROR,LoadSkin,not a regular file of at most 4 MiB: " + LogEscape(path));
        ::close(fd);
        return false;
    }
    bytes.resize(static_cast<qsizetype>(st.st_size));
    qsizetype got = 0;
    int readError = 0;
    while (got < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + got, static_cast<size_t>(bytes.size() - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            readError = errno;
        if (n <= 0)
            break; // at 0 the file shrank meanwhile: what was read counts
        got += n;
    }
    ::close(fd);
    bytes.truncate(got);
    if (readError != 0) {
        LogWrite(g_logRun, "ERROR,LoadSkin,cannot read " + LogEscape(path) + "," + std::strerror(readError));
        return false;
    }
    return true;
}

} // namespace

bool LoadSkin(const QString& path) {
    if (path.isEmpty())
        return false;
    QByteArray bytes;
    if (!ReadSkinFile(path, bytes))
        return false;
    if (!enc::IsValidUtf8(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size()))) ||
        bytes.contains('\0')) {
        LogWrite(g_logRun, "ERROR,LoadSkin,not a style sheet: " + LogEscape(path));
        return false;
    }
    qApp->setStyleSheet(QString::fromUtf8(bytes));
    return true;
}

void UnloadSkin() {
    if (qApp)
        qApp->setStyleSheet(QString());
}
