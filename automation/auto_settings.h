#pragma once
// The automatic-processing settings of [SysSetting] in the per-account
// settings file, as the main window keeps them in g_sysSettings.
#include <QString>

struct AutoSettingsLoad {
    // The receive timer's period: 0 when automatic receiving is off, else
    // Content1 seconds, at least kMinReceiveIntervalMs (0 or a text that is
    // no number would poll on every pass of the event loop).
    int receiveIntervalMs = 0;
    // Entry 4's text when its flag is set: the reminder sound.
    QString auto5Content;
};

inline constexpr int kMinReceiveIntervalMs = 5000;
// A hand-edited file cannot overflow the period: at most a day.
inline constexpr int kMaxReceiveIntervalMs = 86400 * 1000;

// Empties g_sysSettings and fills its ten entries from `accountIni`:
// entries 0-6 from Auto1-Auto7 and Content1-Content7, entry 7's flag 1
// exactly when TranspondName is "1", entries 8 and 9 from DIYSmsCount /
// SmsCount and DIYPerMsgCount / PerMsgCount (the text only when the flag is
// not 0).
AutoSettingsLoad ReadAutoSettings(const QString& accountIni);
