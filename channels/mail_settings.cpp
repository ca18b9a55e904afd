#include "channels/mail_settings.h"

#include "platform/ini.h"

bool MailReceiveEnabled(const QString& accountIni) {
    return ini::ReadInt(accountIni, QStringLiteral("EmailSetting"), QStringLiteral("Receive"), 0) != 0;
}
