#include "channels/mail_settings.h"
#include "platform/ini.h"
#include "tests/support/program_folder.h"

#include <gtest/gtest.h>

namespace {
TEST(MenuCommands, MailReceiveSetting) {
    ProgramFolder folder;
    const QString ini = folder.file(QStringLiteral("S1.ini"));
    EXPECT_FALSE(MailReceiveEnabled(ini));
    ini::WriteString(ini, QStringLiteral("EmailSetting"), QStringLiteral("Receive"), QStringLiteral("1"));
    EXPECT_TRUE(MailReceiveEnabled(ini));
    ini::WriteString(ini, QStringLiteral("EmailSetting"), QStringLiteral("Receive"), QStringLiteral("0"));
    EXPECT_FALSE(MailReceiveEnabled(ini));
}
} // namespace
