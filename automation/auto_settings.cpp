#include "automation/auto_settings.h"

#include "core/helpers.h"
#include "platform/ini.h"

#include <algorithm>

namespace {
const QString kSection = QStringLiteral("SysSetting");

int Flag(const QString& ini, const QString& key) { return ini::ReadInt(ini, kSection, key, 0); }
} // namespace

AutoSettingsLoad ReadAutoSettings(const QString& accountIni) {
    AutoSettingsLoad load;
    ClearSysSettings();
    for (int i = 0; i < 10; ++i) {
        int flag = 0;
        QString text;
        if (i <= 6) {
            flag = Flag(accountIni, QStringLiteral("Auto%1").arg(i + 1));
            text = ini::ReadString(accountIni, kSection, QStringLiteral("Content%1").arg(i + 1), QString(), 2048);
        } else if (i == 7) {
            flag = ini::ReadString(accountIni, kSection, QStringLiteral("TranspondName"), QString(), 100) ==
                           QLatin1String("1")
                       ? 1
                       : 0;
        } else {
            const bool batch = i == 8;
            flag = Flag(accountIni, batch ? QStringLiteral("DIYSmsCount") : QStringLiteral("DIYPerMsgCount"));
            if (flag != 0)
                text = ini::ReadString(accountIni, kSection,
                                       batch ? QStringLiteral("SmsCount") : QStringLiteral("PerMsgCount"), QString(),
                                       100);
        }
        if (i == 0 && flag != 0) {
            const long long seconds = std::max(0, text.trimmed().toInt());
            load.receiveIntervalMs = int(std::clamp<long long>(seconds * 1000, kMinReceiveIntervalMs, kMaxReceiveIntervalMs));
        }
        if (i == 4 && flag != 0)
            load.auto5Content = text;
        AddSysSetting(flag, text);
    }
    return load;
}
