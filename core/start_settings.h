#pragma once
// What the start window reads before the login: the branding, the MMS size
// limit, the stored service account, the per-account settings file, the
// configured service address and proxy, the server list, and the updater
// start. Plain functions, so they run and are tested without a window.
#include "core/account.h"
#include "core/paths.h" // OemInfoIniPath

#include <QString>
#include <QStringList>
#include <sqlite3.h>

// Reads [CompanyInfo] of the OEM file into g_strAppTitle and the other
// branding globals (empty when missing) and titles every message box with
// g_strAppTitle. Returns the start picture's file: "OEM/<defaultImage2Path>"
// in the program folder, or empty when none is named or the name leads out
// of the OEM folder.
QString LoadBranding();

// The MMS size limit in bytes for a [UserTempSetting] MmsMaxSize value in
// KiB: only a value above 50 counts, anything else keeps 51200 bytes.
int MmsMaxSizeFromKiB(int kib);
// Reads MmsMaxSize of the OEM file into g_nMmsMaxSize and returns it.
int LoadMmsMaxSize();

// [System] ShowWeibo of the OEM file: not 0 puts the microblog page over the
// received messages (default 0, off).
bool ShowWeiboPage();

// Fills the serial number, the password and the signature of `account` from
// the first Register row with a non-empty serial number (all three trimmed).
// The signature is read by a statement of its own, so an old table without
// Sign still yields the serial number and password. With no such row the
// three fields are empty. False when the serial number could not be read
// (logged with "查询账号信息失败！").
bool LoadStoredAccount(sqlite3* db, AccountRecord& account);

// "<folder>/<serial>.ini". The serial number comes from the database, so it is
// made a plain file name: "/", "\" and NUL become "_", and a serial of "." or
// ".." counts as none, which gives "<folder>/.ini".
QString AccountIniPath(const QString& folder, const QString& serial);

// The version text the version report sends: "zodo2.0" under the product's
// own display name, one fixed text under any OEM title.
const char* ClientVersionText(const QString& appTitle);

// Moves a waiting updater into place, then starts the updater with UpdateUrl
// of [UpdateServerAddress] in ServerInfo.ini: to install when HaveNew of
// [Update] in CsqxConfig.ini is set and the updater exists, else for a silent
// check. True only when the install start really happened (the program then
// ends for the updater); a silent check, or any start that failed, gives false.
bool StartUpdaterAtStart();

// The address column of "SELECT disName,address FROM serverAddress ORDER BY
// disName". False when the query failed (logged "查询服务器列表出错了").
bool ReadServerAddresses(sqlite3* db, QStringList& addresses);
