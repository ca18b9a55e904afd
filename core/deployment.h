#pragma once
// Every built-in address of the service, in one place.
//
// The shipped defaults are names under ".invalid" (RFC 6761): a build that
// was never configured for a deployment cannot reach anybody's server, and
// HttpGet refuses such a host before any name lookup. A deployment, the run
// script and the tests set the real addresses in the program folder's
// "ServerInfo.ini", in a section of our own:
//
//   [Deployment]
//   MainEndpoint=http://service.example.com:8060/webservice.asmx
//   BackupEndpoint=http://backup.example.com:8060/webservice.asmx
//   IntlEndpoint=http://backup.example.com:8060/gjwebservice.asmx
//   BalanceUrl=http://backup.example.com/GetBalance.ashx
//   VersionUploadUrl=http://sync.example.com:1180/apis/rims-provider/snExt/synchro/saveCSV
//   SelfServiceHost=self.example.com          ; host[:port], pages are http://<host>/<path>
//   WebHost=www.example.com                   ; host[:port]
//   FtpHost=ftp.example.com                   ; host[:port], the cloud copy's port 4000 when none
//   ServiceNamespace=http://ns.example.com/   ; the SOAP namespace URI, closing slash included
//   NumberLocationHost=where.example.com      ; host[:port] of the mobile-number location page
//   WeiboApiUrl=https://api.example.com      ; scheme, host and port of the microblog API
//   WeiboRedirectUrl=https://www.example.com/weibo ; the redirect address registered for the application
//   AllowInvalidCertificates=1                ; legacy HTTPS: no certificate check (default 0)
//   LocalTrial=1                              ; set by corvelane-provision for a local trial service
//   OldDatabaseConnect=DRIVER={SQLite3};Database=%1;NoCreat=1
//                                             ; ODBC connect string of the converter's source, %1 = its path
//
// A missing or empty key keeps the default. The other sections of
// "ServerInfo.ini" (ExtServerAddress, BackServer, ...) are read by the code
// that uses them. The file is read at each call, so a
// change takes effect without a restart.
#include <QString>

// The product's own display name, a deployment value like the hosts: version
// reports say "zodo2.0" under it, and a fixed OEM text under any other title.
inline constexpr const char kProductDisplayName[] = "Corvelane";

enum class DeploymentKey {
    MainEndpoint,       // the messaging web service
    BackupEndpoint,     // the same service on the backup host
    IntlEndpoint,       // the international service on the backup host
    BalanceUrl,         // the balance page of the backup host (HttpGetBalance)
    VersionUploadUrl,   // the account-synchronisation server (UploadClientVersion)
    SelfServiceHost,    // self-service site: "login.aspx" (self-service list, network disk)
    WebHost,            // the service's main web site: administration, net messages
    FtpHost,            // the contacts' cloud copy
    ServiceNamespace,   // SOAP namespace URI; the SOAPAction is this followed by the operation
    NumberLocationHost, // the page that tells where a mobile number is registered
    WeiboApiUrl,        // the microblog API: scheme, host and port, no path
    WeiboRedirectUrl,   // the redirect address registered with the microblog service
};

constexpr int kDeploymentKeyCount = static_cast<int>(DeploymentKey::WeiboRedirectUrl) + 1;

// The value in force: [Deployment] of ServerIniPath(), else the default.
QString DeploymentValue(DeploymentKey key);
// The compiled-in default (always under ".invalid").
QString DeploymentDefault(DeploymentKey key);
// The key's name in [Deployment] ("MainEndpoint", ...).
QString DeploymentKeyName(DeploymentKey key);

// The program folder's "ServerInfo.ini".
QString ServerIniPath();
// The name of our section in it.
inline constexpr const char* kDeploymentSection = "Deployment";

// [Deployment] AllowInvalidCertificates=1: HTTPS without certificate
// verification, for deployments whose servers still present self-signed
// certificates. Off unless set to a non-zero number.
bool AllowInvalidCertificates();

// The ODBC connect string the converter opens an older client's database
// with, "%1" standing for its path: [Deployment] OldDatabaseConnect, else the
// mdbtools driver (which ignores UID and PWD).
inline constexpr const char kOldDatabaseConnectDefault[] =
    "DRIVER={MDBTools};UID=sa;PWD=RivonaMeltkaBor@)517;DBQ=%1";
QString OldDatabaseConnectTemplate();

// True for a host that must never be contacted: "invalid" or a name ending
// in ".invalid", in any case, with or without a trailing dot or a ":port".
// Empty text is not a host name and is refused as well.
bool IsRefusedHost(const QString& host);
