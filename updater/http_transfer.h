#pragma once
// One HTTP(S) GET into a file on libcurl's easy interface, one reused handle
// per updater: connect time-out 10 s, a transfer that receives nothing for
// 60 s fails, environment proxies are honoured, HTTPS is verified unless
// AllowInvalidCertificates(). Redirects are not followed here: the caller
// decides.
#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>

inline constexpr int64_t kMaxDownloadLength = int64_t(1) << 30; // 1 GiB

struct TransferResult {
    enum Kind {
        Complete,     // status 2xx, the body's length as announced
        NoConnection, // no answer: connection, TLS or time-out before the headers
        HttpError,    // status 400 or above, or a 3xx other than 301/302/303
        Redirect,     // 301, 302 or 303: `location` holds the resolved target (may be empty)
        NoLength,     // no Content-Length, or 0
        TooLarge,     // more than kMaxDownloadLength
        CreateFailed, // the target could not be created
        Incomplete,   // the body ended early, ran long or broke off
        Aborted,      // the caller stopped it
    };
    Kind kind = NoConnection;
    long status = 0;
    QString headers;  // the raw header text of the answer
    QString location; // redirect target
    int64_t length = -1;
    int64_t received = 0;
    QString error; // libcurl's text
};

class CHttpTransfer {
public:
    CHttpTransfer();
    ~CHttpTransfer();
    CHttpTransfer(const CHttpTransfer&) = delete;
    CHttpTransfer& operator=(const CHttpTransfer&) = delete;

    // After each piece written: (bytes so far, announced length); false stops
    // the transfer. Also called while waiting, with the same counts, so a
    // stop request is seen during a stalled transfer.
    using Progress = std::function<bool(int64_t received, int64_t length)>;

    // GET `url` (already encoded) into `target`, created anew without
    // following a link there; only after a usable answer (2xx with a length).
    TransferResult Get(const QByteArray& url, const QString& target, const Progress& progress);

    static int TransferCount();

private:
    void* m_curl = nullptr;
};
