#include "updater/confined_path.h"

#include <QFile>
#include <QStringList>

#include <sys/stat.h>

namespace {

QStringList Segments(const QString& key) {
    QString k = key;
    k.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return k.split(QLatin1Char('/'), Qt::SkipEmptyParts);
}

} // namespace

QString ConfinedPath(const QString& root, const QString& key) {
    if (root.isEmpty() || key.isEmpty())
        return QString();
    if (key.startsWith(QLatin1Char('/')) || key.startsWith(QLatin1Char('\\')) ||
        (key.size() >= 2 && key.at(1) == QLatin1Char(':')))
        return QString();
    for (QChar c : key)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            return QString();
    const QStringList segments = Segments(key);
    if (segments.isEmpty())
        return QString();
    QString path = root;
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    for (const QString& segment : segments) {
        if (segment == QLatin1String(".."))
            return QString();
        if (segment == QLatin1String("."))
            continue;
        path += QLatin1Char('/') + segment;
        struct stat st {};
        if (::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISLNK(st.st_mode))
            return QString();
    }
    return path;
}

bool IsUserDataKey(const QString& key) {
    static const char* const kFolders[] = {"DB", "DbBak", "UpdateBak", "enc", "Log"};
    const QStringList segments = Segments(key);
    for (const QString& segment : segments) {
        if (segment == QLatin1String("."))
            continue;
        for (const char* folder : kFolders)
            if (segment.compare(QLatin1String(folder), Qt::CaseInsensitive) == 0)
                return true;
        return false;
    }
    return false;
}
