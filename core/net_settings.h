#pragma once
// Where the messaging service is reached and through which HTTP proxy: the
// endpoint rules, the server list the service hands out (table serverAddress),
// "ProxyInfo.ini" [NetSetting] and "ServerInfo.ini" [ServerAddress]. Plain
// functions without windows; the network settings and speed test dialogs
// gather input, call these and show the outcome.
#include <QString>
#include <QStringList>
#include <sqlite3.h>

#include <functional>

inline constexpr char kProxyInfoFile[] = "ProxyInfo.ini";
inline constexpr char kNetSettingSection[] = "NetSetting";
inline constexpr char kServerAddressSection[] = "ServerAddress";
// The characters read back of each key of "ProxyInfo.ini" [NetSetting].
inline constexpr int kProxyValueMaxChars = 100;

// ---- endpoints ------------------------------------------------------------------

// The endpoint of an address: one containing "http" is used as it stands;
// otherwise it is a host, of which the text before the first ":" is taken and
// the endpoint is "http://<host>:8060/webservice.asmx".
QString NormaliseEndpoint(const QString& address);

// The address stored for one entry of the service's server list: an entry
// with a ":" gets the port 8060 in place of whatever followed it, one without
// keeps no port; either way "http://<entry>/webservice.asmx".
QString ServerListEntryAddress(const QString& entry);

// ---- the server list ----------------------------------------------------------------

// Two row numbers from 0 to 7 (they may be equal): the rows of serverAddress
// offered in the network settings, so that users spread over the servers.
struct ServerPicks {
    int first = 0;
    int second = 0;
};

// A source of random numbers; production seeds one with the time, tests
// inject their own to get known picks.
using PickGenerator = std::function<unsigned()>;
PickGenerator TimeSeededPickGenerator();
ServerPicks DrawServerPicks(const PickGenerator& generator);

// What the server combo offers. `addresses` holds the picked rows and then
// the built-in main endpoint (always last); `names` the picked rows' disName.
struct ServerChoice {
    QStringList addresses;
    QStringList names;
    int selected = -1; // the first address whose endpoint equals defaultAddress
    int rowsRead = 0;  // rows of serverAddress read
};

// Reads "SELECT disName,address FROM serverAddress ORDER BY disName" and keeps
// the rows numbered picks.first or picks.second. A failed query is logged
// ("查询服务器列表出错了") and keeps what was read before it failed.
ServerChoice LoadServerChoice(sqlite3* db, ServerPicks picks, const QString& mainEndpoint,
                              const QString& defaultAddress);

// Replaces serverAddress by the service's list: row i is "服务器<i+1>" with
// ServerListEntryAddress(entry i); blank entries are skipped, keeping the
// numbering. One transaction: on any failure (logged "删除原来记录出错了" or
// "写服务器地址出错了") nothing changes and the result is false, so a failed
// refresh never leaves the user without the list there was before.
bool StoreServerList(sqlite3* db, const QStringList& entries);

// ---- ProxyInfo.ini [NetSetting] ---------------------------------------------------

// The one reader of this file: the start window and the network settings
// both take the proxy from here.
struct ProxyInfo {
    int agency = 0; // non-zero: use the proxy (a profile integer: "0x1" is 1)
    QString server;
    QString port;
    QString userName;
    QString passwd; // plain text: the file is owner-only
};

// "<program folder>/ProxyInfo.ini".
QString ProxyInfoPath();
// Each key at most 100 characters; a missing key is empty, Agency then 0.
ProxyInfo ReadProxyInfo(const QString& path = ProxyInfoPath());
// Writes the five keys in one replacement of the file. The file holds a password: it is created owner-only
// (0600), and an existing file readable by others is made owner-only before
// anything is written. False when any write failed.
bool SaveProxyInfo(const ProxyInfo& info, const QString& path = ProxyInfoPath());

// The proxy and the chosen endpoint (defaultAddress) as one change: both files
// are prepared as temporary files, each with all its keys, then renamed over
// the old ones. When the second rename fails the first file is put back, so
// either both are saved or neither. False (logged) when nothing was saved.
bool SaveNetworkSettings(const ProxyInfo& info, const QString& endpoint);

// Tests make a rename fail; null restores the system's rename.
using RenameFunction = std::function<int(const char* from, const char* to)>;
void SetSettingsRenameForTests(RenameFunction rename);

// The port text as a number, read as atoi does ("8080x" 8080, "x" 0).
int ProxyPortNumber(const QString& port);

// ---- ServerInfo.ini [ServerAddress] -----------------------------------------------

// The file is ServerIniPath() (core/deployment.h), its one path helper.
// The chosen endpoint, at most 100 characters, blanks trimmed; empty when none
// was chosen. The one reader of defaultAddress.
QString ReadDefaultAddress();
bool WriteDefaultAddress(const QString& endpoint);
// hidWnd: non-zero hides the speed test at start-up; at most 20 characters read.
int ReadHidWnd();
bool WriteHidWnd(int hide);
