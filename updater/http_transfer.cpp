#include "updater/http_transfer.h"

#include "core/deployment.h"
#include "platform/file_io.h"

#include <QFile>
#include <QUrl>

#include <curl/curl.h>

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <mutex>
#include <unistd.h>

namespace {

constexpr long kConnectTimeoutSeconds = 10;
constexpr long kStallSeconds = 60;

std::atomic<int> g_transfers{0};

struct Job {
    CURL* curl = nullptr;
    QByteArray url;
    QByteArray target;
    const CHttpTransfer::Progress* progress = nullptr;
    TransferResult result;
    QByteArray headers;
    bool headersDone = false;
    bool usable = false; // the headers allowed a body into the file
    bool stopped = false;
    int fd = -1;
};

bool IsRedirect(long status) {
    return status == 301 || status == 302 || status == 303;
}

// At the end of the answer's headers: may the body be stored?
bool Decide(Job& job) {
    long status = 0;
    curl_easy_getinfo(job.curl, CURLINFO_RESPONSE_CODE, &status);
    job.result.status = status;
    job.result.headers = QString::fromLatin1(job.headers);
    if (status >= 400 || (status >= 300 && !IsRedirect(status)) || status < 200) {
        job.result.kind = IsRedirect(status) ? TransferResult::Redirect : TransferResult::HttpError;
        return false;
    }
    if (IsRedirect(status)) {
        // libcurl resolves the target only after a finished transfer; this
        // one stops at the headers, so the header is read here.
        job.result.kind = TransferResult::Redirect;
        for (const QByteArray& line : job.headers.split('\n')) {
            const QByteArray trimmed = line.trimmed();
            if (trimmed.size() > 9 && trimmed.left(9).toLower() == "location:") {
                const QByteArray value = trimmed.mid(9).trimmed();
                if (!value.isEmpty())
                    job.result.location = QUrl(QString::fromUtf8(job.url))
                                              .resolved(QUrl(QString::fromUtf8(value)))
                                              .toString(QUrl::FullyEncoded);
                break;
            }
        }
        return false;
    }
    curl_off_t length = -1;
    curl_easy_getinfo(job.curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
    job.result.length = length;
    if (length <= 0) {
        job.result.kind = TransferResult::NoLength;
        return false;
    }
    if (length > kMaxDownloadLength) {
        job.result.kind = TransferResult::TooLarge;
        return false;
    }
    ::unlink(job.target.constData()); // a planted link is replaced, never followed
    job.fd = ::open(job.target.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (job.fd < 0) {
        job.result.kind = TransferResult::CreateFailed;
        return false;
    }
    job.usable = true;
    return true;
}

size_t OnHeader(char* data, size_t size, size_t count, void* user) {
    auto& job = *static_cast<Job*>(user);
    const size_t n = size * count;
    const QByteArray line(data, static_cast<qsizetype>(n));
    if (line.startsWith("HTTP/")) {
        // A new answer (after "100 Continue"): its headers start afresh.
        job.headers.clear();
    }
    job.headers += line;
    if (line == "\r\n" || line == "\n") {
        long status = 0;
        curl_easy_getinfo(job.curl, CURLINFO_RESPONSE_CODE, &status);
        if (status == 100)
            return n;
        job.headersDone = true;
        if (!Decide(job)) {
            job.stopped = true;
            return 0;
        }
    }
    return n;
}

size_t OnBody(char* data, size_t size, size_t count, void* user) {
    auto& job = *static_cast<Job*>(user);
    const size_t n = size * count;
    if (!job.usable)
        return 0;
    if (job.result.received + static_cast<int64_t>(n) > job.result.length) {
        job.result.kind = TransferResult::Incomplete;
        job.stopped = true;
        return 0;
    }
    job.result.received += static_cast<int64_t>(n);
    if (job.progress && *job.progress && !(*job.progress)(job.result.received, job.result.length)) {
        job.result.kind = TransferResult::Aborted;
        job.stopped = true;
        return 0;
    }
    if (!WriteAll(job.fd, data, n)) {
        job.result.kind = TransferResult::Incomplete;
        job.stopped = true;
        return 0;
    }
    return n;
}

int OnWait(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    auto& job = *static_cast<Job*>(user);
    if (job.progress && *job.progress && !(*job.progress)(job.result.received, job.result.length)) {
        job.result.kind = TransferResult::Aborted;
        job.stopped = true;
        return 1;
    }
    return 0;
}

bool GlobalInit() {
    static std::once_flag once;
    static CURLcode result = CURLE_OK;
    std::call_once(once, [] { result = curl_global_init(CURL_GLOBAL_DEFAULT); });
    return result == CURLE_OK;
}

} // namespace

CHttpTransfer::CHttpTransfer() {
    if (GlobalInit())
        m_curl = curl_easy_init();
}

CHttpTransfer::~CHttpTransfer() {
    if (m_curl)
        curl_easy_cleanup(static_cast<CURL*>(m_curl));
}

int CHttpTransfer::TransferCount() {
    return g_transfers.load();
}

TransferResult CHttpTransfer::Get(const QByteArray& url, const QString& target, const Progress& progress) {
    Job job;
    job.curl = static_cast<CURL*>(m_curl);
    job.url = url;
    job.target = QFile::encodeName(target);
    job.progress = &progress;
    if (!job.curl) {
        job.result.error = QStringLiteral("libcurl not initialised");
        return job.result;
    }
    CURL* c = job.curl;
    // Reset keeps the open connections: the downloads of one run share them.
    curl_easy_reset(c);
    curl_easy_setopt(c, CURLOPT_URL, url.constData());
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_TIME, kStallSeconds);
    curl_easy_setopt(c, CURLOPT_HEADERFUNCTION, &OnHeader);
    curl_easy_setopt(c, CURLOPT_HEADERDATA, &job);
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, &OnBody);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, &job);
    curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, &OnWait);
    curl_easy_setopt(c, CURLOPT_XFERINFODATA, &job);
    curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
    if (AllowInvalidCertificates()) {
        curl_easy_setopt(c, CURLOPT_SSL_VERIFYPEER, 0L);
        curl_easy_setopt(c, CURLOPT_SSL_VERIFYHOST, 0L);
    }
    char errorBuffer[CURL_ERROR_SIZE] = {};
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, errorBuffer);
    ++g_transfers;
    const CURLcode rc = curl_easy_perform(c);
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, nullptr);
    job.result.error = QString::fromUtf8(errorBuffer[0] ? errorBuffer : curl_easy_strerror(rc));
    const bool closeFailed = job.fd >= 0 && ::close(job.fd) != 0;
    if (!job.stopped) {
        if (!job.headersDone)
            job.result.kind = TransferResult::NoConnection;
        else if (rc == CURLE_OK && job.usable && !closeFailed && job.result.received == job.result.length)
            job.result.kind = TransferResult::Complete;
        else
            job.result.kind = TransferResult::Incomplete;
    }
    return job.result;
}
