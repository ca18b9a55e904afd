#include "automation/auto_settings.h"
#include "core/helpers.h"
#include "platform/ini.h"
#include "tests/support/program_folder.h"

#include <gtest/gtest.h>

namespace {
struct IntervalCase {
    const char* auto1;
    const char* content1;
    int expectedMs;
};

TEST(Timers, ReceiveIntervalFromSettings) {
    const IntervalCase cases[] = {
        {"1", "30", 30000}, {"1", "5", 5000},   {"1", "0", 5000},  {"1", "abc", 5000},
        {"1", "4", 5000},   {"0", "30", 0},     {"", "30", 0},     {"1", "99999999", kMaxReceiveIntervalMs},
    };
    for (const IntervalCase& c : cases) {
        ProgramFolder folder;
        const QString ini = folder.file(QStringLiteral("S1.ini"));
        ini::WriteString(ini, QStringLiteral("SysSetting"), QStringLiteral("Auto1"), QLatin1String(c.auto1));
        ini::WriteString(ini, QStringLiteral("SysSetting"), QStringLiteral("Content1"), QLatin1String(c.content1));
        EXPECT_EQ(ReadAutoSettings(ini).receiveIntervalMs, c.expectedMs) << c.auto1 << "/" << c.content1;
    }
}

TEST(Timers, SysSettingEntries) {
    ProgramFolder folder;
    const QString ini = folder.file(QStringLiteral("S1.ini"));
    const QString s = QStringLiteral("SysSetting");
    ini::WriteString(ini, s, QStringLiteral("Auto5"), QStringLiteral("1"));
    ini::WriteString(ini, s, QStringLiteral("Content5"), QStringLiteral("/snd/a.wav"));
    ini::WriteString(ini, s, QStringLiteral("Auto6"), QStringLiteral("0"));
    ini::WriteString(ini, s, QStringLiteral("Content6"), QStringLiteral("3"));
    ini::WriteString(ini, s, QStringLiteral("TranspondName"), QStringLiteral("1 "));
    ini::WriteString(ini, s, QStringLiteral("DIYSmsCount"), QStringLiteral("1"));
    ini::WriteString(ini, s, QStringLiteral("SmsCount"), QStringLiteral("200"));
    ini::WriteString(ini, s, QStringLiteral("DIYPerMsgCount"), QStringLiteral("0"));
    ini::WriteString(ini, s, QStringLiteral("PerMsgCount"), QStringLiteral("50"));
    AddSysSetting(9, QStringLiteral("stale"));
    const AutoSettingsLoad load = ReadAutoSettings(ini);
    ASSERT_EQ(g_sysSettings.size(), 10u);
    EXPECT_EQ(load.auto5Content, QStringLiteral("/snd/a.wav"));
    EXPECT_EQ(g_sysSettings[5].flag, 0);
    EXPECT_EQ(g_sysSettings[5].text, QStringLiteral("3"));  // texts are kept even when off
    // The profile read trims the value, so "1 " counts as "1".
    EXPECT_EQ(g_sysSettings[7].flag, 1);
    EXPECT_EQ(g_sysSettings[8].flag, 1);
    EXPECT_EQ(g_sysSettings[8].text, QStringLiteral("200"));
    EXPECT_EQ(g_sysSettings[9].flag, 0);
    EXPECT_TRUE(g_sysSettings[9].text.isEmpty());
}
} // namespace
