#pragma once
// The plain HTTP(S) GET of the service's web pages (balance, version upload)
// and the general request under it, on libcurl's easy interface: synchronous, like the call it replaces, and
// safe to call from any thread.
#include <QString>

#include <atomic>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The most answer bytes HttpGet keeps by default; the rest of a longer
// answer is not read.
constexpr int kHttpGetMaxAnswer = 2046;

// GET `url` + "?" + `query` (no "?" when `query` is empty). `query` is a byte
// text (code page 936, as the service expects); bytes that cannot stand in a
// URL (controls, blank, bytes >= 0x7F, '#' and " < > \ ^ ` { | }) are sent
// as %XX, the rest unchanged. Headers "Accept: */*" and
// "content-Type: application/x-www-form-urlencoded"; connect time-out 10 s,
// total time-out 60 s; http and https only, no redirects; HTTPS verifies
// certificates unless AllowInvalidCertificates() (deployment.h).
//
// `buffer` receives at most `maxAnswer` bytes of the answer (kHttpGetMaxAnswer
// unless the caller reads larger pages); a longer answer is cut there, which
// is not an error.
// Returns:
//   n >= 0  status 200: the number of bytes in `buffer` (0 for an empty
//           answer), `errorText` empty;
//   0       any other status: `errorText` = the answer as text (UTF-8 when valid,
//           else code page 936), or "HTTP <status>" when the answer is empty;
//   -1      no answer (bad URL, refused host, connection, TLS or time-out
//           failure, also one in the middle of the answer): `errorText` says why.
// A host under ".invalid" (IsRefusedHost) is refused before a transfer starts,
// so no name lookup leaves the machine. Failures are logged in g_logRun as
// "ERROR,HttpGet..." lines, without the query (it carries the password digest).
int HttpGet(QString& errorText, const QString& url, std::string_view query, std::string& buffer,
            int maxAnswer = kHttpGetMaxAnswer);

// ---- The general request ------------------------------------------------------
// HttpGet and every other HTTP(S) client of the program go through this one
// libcurl set-up: http and https only, a refused host (IsRefusedHost) fails
// before any name lookup, certificates are verified unless
// AllowInvalidCertificates(), connect time-out 10 s, total 60 s, and an
// HttpCancelScope on the calling thread is obeyed.

struct HttpRequestOptions {
    enum class Method { Get, Post };
    Method method = Method::Get;
    QString url;
    // GET: sent as url + "?" + query (no "?" when empty), bytes that cannot
    // stand in a URL escaped as HttpGet describes; POST: the request body,
    // sent as it is.
    std::string query;
    // Whole header lines, "Name: value".
    std::vector<std::string> headers;
    // The most answer bytes kept; the rest of a longer answer is not read
    // and the answer is marked `truncated` (not an error).
    size_t maxAnswer = kHttpGetMaxAnswer;
    // Off: a 3xx answer is handed back with its `location`.
    bool followRedirects = false;
    // The name the run log's "ERROR,<logName>,..." lines carry.
    QString logName = QStringLiteral("HttpRequest");
};

struct HttpAnswer {
    // The HTTP status, or -1 when no answer came (bad URL, refused host,
    // connection, TLS or time-out failure, cancelled): `errorText` says why.
    int status = -1;
    std::string body;
    // The body was cut at maxAnswer.
    bool truncated = false;
    // False when the connection ended before the announced length (or in
    // the middle of a chunked answer): `status` and the bytes that came are
    // kept, `errorText` says what happened.
    bool complete = false;
    QString errorText;
    // The announced Content-Length; none for a chunked or unannounced body.
    std::optional<long long> contentLength;
    // A 3xx answer's "Location", made absolute against the request's URL;
    // empty when there was none.
    QString location;
};

// Never throws; failures without an answer are logged in g_logRun as
// "ERROR,<logName>,<why>,url=<url>" (without the query, which may carry a
// password digest or a token).
HttpAnswer HttpRequest(const HttpRequestOptions& options);

// The length of the longest start of `bytes` that does not end inside a UTF-8
// sequence: an answer cut by the cap may end in the middle of a character,
// and those bytes would otherwise make the whole text look like code page 936.
size_t Utf8CompleteLength(std::string_view bytes);

// Stops transfers from another thread: a worker puts its HttpGet calls under
// an HttpCancel with HttpCancelScope; cancel() (from any thread) ends the
// running transfer at once (its connections are shut down, and libcurl's
// progress callback aborts it) and every later one before it starts. A
// cancelled HttpGet fails with -1, "cancelled".
class HttpCancel {
public:
    void cancel();
    bool cancelled() const { return m_cancelled; }

    // Used by HttpGet for the connections of its transfers.
    bool addSocket(int fd);
    void removeSocket(int fd);

private:
    std::atomic<bool> m_cancelled{false};
    std::mutex m_mutex;
    std::vector<int> m_sockets;
};

// While it lives, HttpGet on this thread obeys `cancel`.
class HttpCancelScope {
public:
    explicit HttpCancelScope(HttpCancel& cancel);
    ~HttpCancelScope();
    HttpCancelScope(const HttpCancelScope&) = delete;
    HttpCancelScope& operator=(const HttpCancelScope&) = delete;

private:
    HttpCancel* m_previous;
};

// libcurl's process-wide set-up, done once by the first transfer of any
// thread (HttpGet, OpFtpFile). False when it failed.
bool CurlGlobalInit();

// Test seam: how many transfers HttpGet and HttpRequest have handed to libcurl so far.
int HttpGetTransferCount();
