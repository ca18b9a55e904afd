#pragma once
// Process-wide values the start window sets from the OEM settings.

// The MMS size limit in bytes (UserTempSetting/MmsMaxSize of the OEM file).
extern int g_nMmsMaxSize;
