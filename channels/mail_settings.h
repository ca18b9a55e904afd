#pragma once
// [EmailSetting] of the per-account settings file, as far as the main
// window needs it: whether the mail-to-SMS worker should run.
#include <QString>

// True when [EmailSetting] Receive of `accountIni` is not 0.
bool MailReceiveEnabled(const QString& accountIni);
