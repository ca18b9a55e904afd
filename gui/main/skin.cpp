#include "gui/main/skin.h"

#include "core/convert.h"
#include "core/log.h"
#include "core/paths.h"
#include "core/program_files.h"
#include "platform/encoding.h"
#include "platform/ini.h"

#include <QApplication>
#include <QFile>

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

bool LoadSkin(const QString& path) {
    if (path.isEmpty())
        return false;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly) || f.size() > kMaxSkinBytes) {
        LogWrite(g_logRun, "ERROR,LoadSkin,cannot read " + UnicodeToUtf8(path));
        return false;
    }
    const QByteArray bytes = f.readAll();
    if (!enc::IsValidUtf8(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size()))) ||
        bytes.contains('\0')) {
        LogWrite(g_logRun, "ERROR,LoadSkin,not a style sheet: " + UnicodeToUtf8(path));
        return false;
    }
    qApp->setStyleSheet(QString::fromUtf8(bytes));
    return true;
}

void UnloadSkin() {
    if (qApp)
        qApp->setStyleSheet(QString());
}
