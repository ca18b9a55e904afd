#include "core/paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <climits>
#include <mutex>
#include <unistd.h>

namespace {
std::mutex g_mutex;
QString g_override;

QString ExecutableFolder() {
    static const QString folder = [] {
        char buf[PATH_MAX];
        ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
        if (n <= 0)
            return QString();
        QString exe = QFile::decodeName(QByteArray(buf, n));
        int slash = exe.lastIndexOf(QLatin1Char('/'));
        return slash <= 0 ? QString() : exe.left(slash);
    }();
    return folder;
}
} // namespace

QString GetAppDirectory() {
    {
        std::lock_guard lock(g_mutex);
        if (!g_override.isEmpty())
            return g_override;
    }
    return ExecutableFolder();
}

void SetAppDirectory(const QString& folder) {
    std::lock_guard lock(g_mutex);
    g_override = folder;
    while (g_override.size() > 1 && g_override.endsWith(QLatin1Char('/')))
        g_override.chop(1);
}

QString AppPath(const QString& relative) { return GetAppDirectory() + QLatin1Char('/') + relative; }

QString OemInfoIniPath() {
    return AppPath(QStringLiteral("OEM/OemInfo.ini"));
}

bool CreateDirectoryTree(const QString& path) {
    QString p = path;
    p.replace(QLatin1Char('\\'), QLatin1Char('/'));
    while (p.size() > 1 && p.endsWith(QLatin1Char('/')))
        p.chop(1);
    if (p.isEmpty())
        return false;
    return QDir().mkpath(p);
}
