#pragma once
// Process-wide values the start window fills from the OEM settings, the
// shared settings files and the stored account. Set on the GUI thread before
// any worker starts; read-only afterwards.
#include <QString>

// The MMS size limit in bytes (UserTempSetting/MmsMaxSize of the OEM file).
extern int g_nMmsMaxSize;

// Branding ("OEM/OemInfo.ini" [CompanyInfo]).
extern QString g_strAppTitle;  // SoftWareName: the title of every message box
extern QString g_strCopyright;
extern QString g_strCompanyUrl;
extern QString g_strCompanyPhone;
extern QString g_strHotLine;
extern QString g_strNationwidePhone;
extern QString g_strInformUrl;

// "<program folder>/ServerInfo.ini".
extern QString g_strServerIni;
// "<program folder>/<serial number>.ini": the per-account settings file.
extern QString g_strAccountIni;
