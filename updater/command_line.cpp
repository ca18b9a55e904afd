#include "updater/command_line.h"

#include "platform/ini.h"
#include "updater/companion_log.h"

UpdaterCommandLine ParseCommandLine(const QStringList& arguments, const QString& programFolder) {
    UpdaterCommandLine line;
    companion::LogWriteW(QStringLiteral("从命令行传来%1个参数。").arg(arguments.size()));
    if (arguments.size() > 1) {
        line.address = arguments.at(1);
        companion::LogWriteW(
            QStringLiteral("从命令行传来升级地址，值为：%1").arg(companion::LogEscapeW(line.address)));
        if (arguments.size() == 3) {
            companion::LogWriteW(
                QStringLiteral("从命令行传来参数3为：%1").arg(companion::LogEscapeW(arguments.at(2))));
            if (arguments.at(2).compare(QLatin1String("/hide"), Qt::CaseInsensitive) == 0)
                line.interactive = false;
        }
    } else {
        line.address = ini::ReadString(programFolder + QStringLiteral("/ServerInfo.ini"),
                                       QStringLiteral("UpdateServerAddress"), QStringLiteral("UpdateUrl"),
                                       QString(), 100);
        companion::LogWriteW(QStringLiteral("从ServerInfo.ini读取升级地址，值为：%1")
                                 .arg(companion::LogEscapeW(line.address)));
    }
    return line;
}
