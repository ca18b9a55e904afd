#pragma once
// One file to or from the service's FTP server for the contacts' cloud copy,
// on libcurl's easy interface: synchronous, for a worker thread.
//
// The server is [Deployment] FtpHost of "ServerInfo.ini" (host[:port], port
// 4000 when none); a host under ".invalid" is refused before any name
// lookup. Passive mode, the proxies of the environment (ftp_proxy,
// all_proxy, no_proxy), a 10 s connect time-out, and a transfer that moves
// nothing for 60 s fails. Every file lives in the folder "/CLIENT_DB_FTP".
// The account is the service's fixed one and never appears in a log line.
#include <QString>
#include <QtGlobal>

enum class FtpStatus {
    Done,
    // No connection or no login: the host is unset, unreachable, no FTP
    // server, or refused the account. Logged "ERROR,连接到FTP服务器出错！".
    ConnectFailed,
    // Connected, but the transfer failed (nothing matched, the server
    // refused, the connection broke, a local file error).
    Failed,
};

struct FtpFileResult {
    FtpStatus status = FtpStatus::Failed;
    // A fetch: the name of the file it took.
    QString remoteName;
    bool ok() const { return status == FtpStatus::Done; }
};

// `bGetFile` true, a fetch: `remoteName` is a pattern ('*' any run, '?' one
// character) matched against the folder's listing. Of several matches the
// one with the newest modification time (MDTM) wins, the first listed when
// the server tells no times. It is downloaded into "<localPath>.part" and
// renamed to `localPath` only when complete; one over `maxFetchBytes` bytes
// (when that is positive) fails.
// `bGetFile` false, a store: a file of exactly that name is deleted, then
// `localPath` is uploaded under `remoteName`, which must be a plain name.
// A failed transfer logs "ERROR,GetLastError=%d,OpFtpFile,bGetFile=%d,
// InternetGetLastResponseInfo=%s" with libcurl's code and the server's last
// answer line.
FtpFileResult OpFtpFile(const QString& localPath, const QString& remoteName, bool bGetFile,
                        qint64 maxFetchBytes = 0);

// True when `name` matches `pattern` ('*' any run, '?' one character),
// case-sensitively, as a fetch picks its candidates.
bool FtpNameMatches(QStringView pattern, QStringView name);

// Test seam: how many requests OpFtpFile has handed to libcurl so far.
int FtpRequestCount();
