#pragma once
// The service's web pages for the logged-in account, and the address of a
// channel's own server.
#include <QString>

// Builds "<page>?<key1>=<serial>&<key2>=<digest>" with the account's serial
// number (g_pAccount field 0) and the upper-case MD5 of its password in code
// page 936 (the password alone, not the ServiceDigest of serial and password).
// The values go in as they are, as the service's pages expect them.
// With an empty `flag` the address is opened in the user's browser
// (OpenServicePage) and returned; with a flag, "&flag=<flag>" is appended
// and the address is only returned, for the caller to open itself.
QString OpenAccountWebPage(const QString& page, const QString& key1, const QString& key2,
                           const QString& flag);

// Opens a page of the service in the user's browser (OpenUrlExternally).
// Only http and https; a host that IsRefusedHost (a deployment never
// configured) is not opened but logged as "ERROR,OpenServicePage,..." with
// the address cut before its query, which carries the account's data.
// False when nothing was opened.
bool OpenServicePage(const QString& url);

// "http://<SelfServiceHost>/login.aspx": the self-service list and the
// network disk, keyed with OpenAccountWebPage(page, "sn", "pwd", flag).
QString SelfServicePageUrl();

// The administration page of the main web site, signed in with the
// account's serial number and its plain password (both URL-encoded, UTF-8):
// "http://<WebHost>/admin/index.php/index/login.html?admin_user=..&admin_pass=..".
// It carries the password: open it, never log or show it.
QString AdministrationPageUrl();

// The address text of a channel's own server from the program folder's
// "ServerInfo.ini", section [ExtServerAddress]: "彩信" (MMS) gives ExtAddress1,
// "语音" (voice) gives ExtAddress2, any other channel (and a missing key) an
// empty text. SelectChannelServer (service client) builds on it.
QString ChannelServerAddress(const QString& channel);
