#include "core/http.h"

#include "core/curl_handles.h"
#include "core/deployment.h"
#include "core/log.h"
#include "platform/encoding.h"

#include <curl/curl.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr long kConnectTimeoutSeconds = 10;
constexpr long kTotalTimeoutSeconds = 60;

std::atomic<int> g_transfers{0};

thread_local HttpCancel* t_cancel = nullptr;

int AbortWhenCancelled(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return static_cast<HttpCancel*>(user)->cancelled() ? 1 : 0;
}

curl_socket_t OpenCancellableSocket(void* user, curlsocktype, curl_sockaddr* address) {
    const int fd = ::socket(address->family, address->socktype | SOCK_CLOEXEC, address->protocol);
    if (fd < 0)
        return CURL_SOCKET_BAD;
    if (!static_cast<HttpCancel*>(user)->addSocket(fd)) {
        ::close(fd);
        return CURL_SOCKET_BAD;
    }
    return fd;
}

int CloseCancellableSocket(void* user, curl_socket_t fd) {
    static_cast<HttpCancel*>(user)->removeSocket(fd);
    return ::close(fd);
}

bool NeedsEscape(unsigned char c) {
    if (c <= 0x20 || c >= 0x7F)
        return true;
    switch (c) {
    case '#':
    case '"':
    case '<':
    case '>':
    case '\\':
    case '^':
    case '`':
    case '{':
    case '|':
    case '}':
        return true;
    default:
        return false;
    }
}

std::string EscapeQuery(std::string_view query) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(query.size());
    for (char ch : query) {
        auto c = static_cast<unsigned char>(ch);
        if (NeedsEscape(c)) {
            out.push_back('%');
            out.push_back(digits[c >> 4]);
            out.push_back(digits[c & 0x0F]);
        } else {
            out.push_back(ch);
        }
    }
    return out;
}

struct Sink {
    std::string* buffer;
    size_t limit;
    bool capped = false;
};

size_t WriteAnswer(char* data, size_t size, size_t count, void* user) {
    auto* sink = static_cast<Sink*>(user);
    const size_t total = size * count;
    const size_t room = sink->limit - sink->buffer->size();
    const size_t take = total < room ? total : room;
    sink->buffer->append(data, take);
    if (take < total) {
        // Stop reading: libcurl ends the transfer with a write error, which
        // HttpGet knows to be the cap and not a failure.
        sink->capped = true;
        return take;
    }
    return total;
}

HttpAnswer Fail(const QString& logName, const QString& url, const QString& why) {
    HttpAnswer answer;
    answer.errorText = why;
    LogWriteString(g_logRun, QStringLiteral("ERROR,%1,%2,url=%3")
                                 .arg(logName, QString::fromStdString(LogEscape(why)),
                                      QString::fromStdString(LogEscape(url))));
    return answer;
}

// The response headers the caller may need; reset at each new status line,
// so only the last answer's count (after a 100 Continue or a redirect).
struct HeaderSink {
    std::optional<long long> contentLength;
};

size_t ReadHeader(char* data, size_t size, size_t count, void* user) {
    auto* sink = static_cast<HeaderSink*>(user);
    const size_t total = size * count;
    std::string_view line(data, total);
    if (line.substr(0, 5) == "HTTP/") {
        sink->contentLength.reset();
        return total;
    }
    constexpr std::string_view name = "content-length:";
    if (line.size() > name.size()) {
        std::string lower(line.substr(0, name.size()));
        for (char& c : lower)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (lower == name) {
            std::string value(line.substr(name.size()));
            char* end = nullptr;
            errno = 0;
            const long long n = std::strtoll(value.c_str(), &end, 10);
            if (errno == 0 && end != value.c_str() && n >= 0)
                sink->contentLength = n;
        }
    }
    return total;
}

} // namespace

// curl_global_init is not thread-safe itself; the first transfer of any
// thread does it, exactly once. It is never undone: the program ends first.
bool CurlGlobalInit() {
    static std::once_flag once;
    static CURLcode result = CURLE_OK;
    std::call_once(once, [] { result = curl_global_init(CURL_GLOBAL_DEFAULT); });
    return result == CURLE_OK;
}

void HttpCancel::cancel() {
    m_cancelled = true;
    std::lock_guard lock(m_mutex);
    // The socket stays open (libcurl closes it): shut down, a waiting poll
    // returns at once instead of at the next progress tick.
    for (int fd : m_sockets)
        ::shutdown(fd, SHUT_RDWR);
}

bool HttpCancel::addSocket(int fd) {
    std::lock_guard lock(m_mutex);
    if (m_cancelled)
        return false;
    m_sockets.push_back(fd);
    return true;
}

void HttpCancel::removeSocket(int fd) {
    std::lock_guard lock(m_mutex);
    m_sockets.erase(std::remove(m_sockets.begin(), m_sockets.end(), fd), m_sockets.end());
}

HttpCancelScope::HttpCancelScope(HttpCancel& cancel) : m_previous(t_cancel) {
    t_cancel = &cancel;
}

HttpCancelScope::~HttpCancelScope() {
    t_cancel = m_previous;
}

int HttpGetTransferCount() {
    return g_transfers.load();
}

size_t Utf8CompleteLength(std::string_view bytes) {
    // Look back over at most three continuation bytes for the lead byte of
    // the last sequence; anything else (ASCII, stray bytes) is left alone.
    size_t i = bytes.size();
    size_t continuation = 0;
    while (i > 0 && continuation < 3 && (static_cast<unsigned char>(bytes[i - 1]) & 0xC0) == 0x80) {
        --i;
        ++continuation;
    }
    if (i == 0)
        return bytes.size();
    const auto lead = static_cast<unsigned char>(bytes[i - 1]);
    size_t needed = 0;
    if ((lead & 0xE0) == 0xC0)
        needed = 1;
    else if ((lead & 0xF0) == 0xE0)
        needed = 2;
    else if ((lead & 0xF8) == 0xF0)
        needed = 3;
    else
        return bytes.size();
    return continuation < needed ? i - 1 : bytes.size();
}

HttpAnswer HttpRequest(const HttpRequestOptions& options) {
    const QString& url = options.url;
    const QString& logName = options.logName;
    const bool post = options.method == HttpRequestOptions::Method::Post;

    std::string full = url.toStdString();
    if (!post && !options.query.empty()) {
        full += '?';
        full += EscapeQuery(options.query);
    }

    // Parse with libcurl's own URL parser (no network), so the host checked
    // here is the host the transfer would use.
    std::unique_ptr<CURLU, UrlDeleter> parsed(curl_url());
    if (!parsed)
        return Fail(logName, url, QStringLiteral("out of memory"));
    if (CURLUcode rc = curl_url_set(parsed.get(), CURLUPART_URL, full.c_str(), 0); rc != CURLUE_OK)
        return Fail(logName, url,
                    QStringLiteral("bad URL (%1)").arg(QString::fromUtf8(curl_url_strerror(rc))));
    auto scheme = UrlPart(parsed.get(), CURLUPART_SCHEME);
    const QString schemeText = scheme ? QString::fromUtf8(scheme.get()).toLower() : QString();
    if (schemeText != QLatin1String("http") && schemeText != QLatin1String("https"))
        return Fail(logName, url, QStringLiteral("unsupported scheme \"%1\"").arg(schemeText));
    // Decoded, since libcurl would resolve "%2Einvalid" as ".invalid".
    auto host = UrlPart(parsed.get(), CURLUPART_HOST, CURLU_URLDECODE);
    const QString hostText = host ? QString::fromUtf8(host.get()) : QString();
    if (IsRefusedHost(hostText))
        return Fail(logName, url,
                    QStringLiteral("host not configured: \"%1\" (set it in ServerInfo.ini [Deployment])")
                        .arg(hostText));

    if (t_cancel && t_cancel->cancelled())
        return Fail(logName, url, QStringLiteral("cancelled"));
    if (!CurlGlobalInit())
        return Fail(logName, url, QStringLiteral("libcurl initialisation failed"));
    std::unique_ptr<CURL, EasyDeleter> curl(curl_easy_init());
    if (!curl)
        return Fail(logName, url, QStringLiteral("libcurl session failed"));

    std::unique_ptr<curl_slist, SlistDeleter> headers;
    for (const std::string& line : options.headers) {
        curl_slist* more = curl_slist_append(headers.get(), line.c_str());
        if (!more)
            return Fail(logName, url, QStringLiteral("out of memory"));
        headers.release();
        headers.reset(more);
    }

    HttpAnswer answer;
    char curlError[CURL_ERROR_SIZE] = {};
    Sink sink{&answer.body, options.maxAnswer};
    HeaderSink headerSink;
    const bool verify = !AllowInvalidCertificates();
    CURL* h = curl.get();
    curl_easy_setopt(h, CURLOPT_CURLU, parsed.get());
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, options.followRedirects ? 1L : 0L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L); // worker threads; time-outs without SIGALRM
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
    curl_easy_setopt(h, CURLOPT_TIMEOUT, kTotalTimeoutSeconds);
    if (post) {
        curl_easy_setopt(h, CURLOPT_POST, 1L);
        curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(options.query.size()));
        curl_easy_setopt(h, CURLOPT_POSTFIELDS, options.query.c_str());
    } else {
        curl_easy_setopt(h, CURLOPT_HTTPGET, 1L);
    }
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &WriteAnswer);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &sink);
    curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, &ReadHeader);
    curl_easy_setopt(h, CURLOPT_HEADERDATA, &headerSink);
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, curlError);
    curl_easy_setopt(h, CURLOPT_SSL_VERIFYPEER, verify ? 1L : 0L);
    curl_easy_setopt(h, CURLOPT_SSL_VERIFYHOST, verify ? 2L : 0L);
    if (t_cancel) {
        curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, &AbortWhenCancelled);
        curl_easy_setopt(h, CURLOPT_XFERINFODATA, t_cancel);
        curl_easy_setopt(h, CURLOPT_OPENSOCKETFUNCTION, &OpenCancellableSocket);
        curl_easy_setopt(h, CURLOPT_OPENSOCKETDATA, t_cancel);
        curl_easy_setopt(h, CURLOPT_CLOSESOCKETFUNCTION, &CloseCancellableSocket);
        curl_easy_setopt(h, CURLOPT_CLOSESOCKETDATA, t_cancel);
    }

    ++g_transfers;
    const CURLcode rc = curl_easy_perform(h);
    if (t_cancel && t_cancel->cancelled())
        return Fail(logName, url, QStringLiteral("cancelled"));

    long status = 0;
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
    answer.truncated = sink.capped;
    answer.contentLength = headerSink.contentLength;
    const QString why = QString::fromUtf8(curlError[0] ? curlError : curl_easy_strerror(rc));
    if (rc == CURLE_OK || (rc == CURLE_WRITE_ERROR && sink.capped)) {
        answer.complete = true;
    } else if (status > 0 && (rc == CURLE_PARTIAL_FILE || rc == CURLE_RECV_ERROR)) {
        // The answer began and broke off: the caller judges the bytes.
        answer.errorText = QStringLiteral("curl error %1: %2").arg(int(rc)).arg(why);
    } else {
        return Fail(logName, url, QStringLiteral("curl error %1: %2").arg(int(rc)).arg(why));
    }
    answer.status = static_cast<int>(status);
    if (status >= 300 && status < 400) {
        char* location = nullptr;
        if (curl_easy_getinfo(h, CURLINFO_REDIRECT_URL, &location) == CURLE_OK && location)
            answer.location = QString::fromUtf8(location);
    }
    return answer;
}

int HttpGet(QString& errorText, const QString& url, std::string_view query, std::string& buffer,
            int maxAnswer) {
    HttpRequestOptions options;
    options.url = url;
    options.query = std::string(query);
    options.headers = {"Accept: */*", "content-Type: application/x-www-form-urlencoded"};
    options.maxAnswer = static_cast<size_t>(std::max(maxAnswer, 0));
    options.logName = QStringLiteral("HttpGet");
    HttpAnswer answer = HttpRequest(options);
    buffer.clear();
    errorText.clear();
    if (answer.status < 0) {
        errorText = answer.errorText;
        return -1;
    }
    if (!answer.complete) {
        // HttpGet never hands over part of an answer.
        errorText = answer.errorText;
        LogWriteString(g_logRun, QStringLiteral("ERROR,HttpGet,%1,url=%2")
                                     .arg(QString::fromStdString(LogEscape(errorText)),
                                          QString::fromStdString(LogEscape(url))));
        return -1;
    }
    buffer = std::move(answer.body);
    if (answer.status == 200)
        return static_cast<int>(buffer.size());

    errorText = buffer.empty() ? QStringLiteral("HTTP %1").arg(answer.status) : enc::DecodeText(buffer);
    LogWriteString(g_logRun, QStringLiteral("ERROR,HttpGet,HTTP status %1,url=%2")
                                 .arg(answer.status)
                                 .arg(QString::fromStdString(LogEscape(url))));
    return 0;
}
