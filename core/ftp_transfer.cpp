#include "core/ftp_transfer.h"

#include "core/curl_handles.h"
#include "core/deployment.h"
#include "core/http.h"
#include "core/log.h"

#include <QFile>
#include <QUrl>

#include <curl/curl.h>

#include <atomic>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr long kConnectTimeoutSeconds = 10;
constexpr long kStallSeconds = 60;
// A backstop for a server that drips: the largest copy moves in far less.
constexpr long kTotalTimeoutSeconds = 600;
constexpr const char kDefaultPort[] = "4000";
// The folder, absolute ("%2F"), entered with one CWD.
constexpr const char kFolderPath[] = "/%2FCLIENT_DB_FTP/";
constexpr int kMaxResponseChars = 256;

std::atomic<int> g_requests{0};

struct FileCloser {
    void operator()(FILE* f) const { std::fclose(f); }
};

bool UrlHasPart(CURLU* url, CURLUPart part) {
    const auto text = UrlPart(url, part);
    return text && *text;
}

std::string UrlText(CURLU* url, CURLUPart part, unsigned flags = 0) {
    const auto text = UrlPart(url, part, flags);
    return text ? std::string(text.get()) : std::string();
}

// A name the server may hold in the folder: no separators, no controls
// (which would end an FTP command), not "." or "..".
bool IsPlainRemoteName(const QString& name) {
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    for (QChar c : name)
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c.unicode() < 0x20 || c.unicode() == 0x7F)
            return false;
    return true;
}

// The connection and login of one OpFtpFile call; its requests share the
// easy handle, so they share the control connection too.
class FtpSession {
public:
    explicit FtpSession(bool getFile) : m_getFile(getFile) {}

    // False (logged) when the host is refused or unusable.
    bool open() {
        const QString host = DeploymentValue(DeploymentKey::FtpHost).trimmed();
        m_url.reset(curl_url());
        if (!m_url || !CurlGlobalInit())
            return refuse(host, QStringLiteral("libcurl initialisation failed"));
        const std::string text = "ftp://" + host.toStdString() + "/";
        if (curl_url_set(m_url.get(), CURLUPART_URL, text.c_str(), 0) != CURLUE_OK ||
            UrlHasPart(m_url.get(), CURLUPART_USER) || UrlHasPart(m_url.get(), CURLUPART_QUERY) ||
            UrlHasPart(m_url.get(), CURLUPART_FRAGMENT) || UrlText(m_url.get(), CURLUPART_PATH) != "/")
            return refuse(host, QStringLiteral("not a host[:port]"));
        // Decoded, since libcurl would resolve "%2Einvalid" as ".invalid".
        const QString decoded = QString::fromStdString(UrlText(m_url.get(), CURLUPART_HOST, CURLU_URLDECODE));
        if (IsRefusedHost(decoded))
            return refuse(host,
                          QStringLiteral("not configured (set FtpHost in ServerInfo.ini [Deployment])"));
        if (!UrlHasPart(m_url.get(), CURLUPART_PORT))
            curl_url_set(m_url.get(), CURLUPART_PORT, kDefaultPort, 0);
        m_curl.reset(curl_easy_init());
        if (!m_curl)
            return refuse(host, QStringLiteral("libcurl session failed"));
        return true;
    }

    // The folder's names, one a line (NLST).
    bool list(std::vector<QString>& names) {
        std::string body;
        if (!perform(kFolderPath, [&](CURL* h) {
                curl_easy_setopt(h, CURLOPT_DIRLISTONLY, 1L);
                curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &AppendBody);
                curl_easy_setopt(h, CURLOPT_WRITEDATA, &body);
            }))
            return false;
        size_t start = 0;
        while (start < body.size()) {
            size_t end = body.find('\n', start);
            if (end == std::string::npos)
                end = body.size();
            std::string line = body.substr(start, end - start);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            // Some servers list "folder/name".
            const size_t slash = line.find_last_of('/');
            if (slash != std::string::npos)
                line.erase(0, slash + 1);
            if (!line.empty())
                names.push_back(QString::fromUtf8(line));
            start = end + 1;
        }
        return true;
    }

    // The modification time the server tells (MDTM), -1 when none.
    qint64 modificationTime(const QString& name) {
        curl_off_t time = -1;
        if (!perform(filePath(name), [](CURL* h) {
                curl_easy_setopt(h, CURLOPT_NOBODY, 1L);
                curl_easy_setopt(h, CURLOPT_FILETIME, 1L);
            }))
            return -1;
        curl_easy_getinfo(m_curl.get(), CURLINFO_FILETIME_T, &time);
        return static_cast<qint64>(time);
    }

    bool download(const QString& name, const QString& localPath, qint64 maxBytes) {
        const QString part = localPath + QStringLiteral(".part");
        QFile::remove(part);
        std::unique_ptr<FILE, FileCloser> file(std::fopen(QFile::encodeName(part).constData(), "wbx"));
        if (!file)
            return localFailure(QStringLiteral("cannot write ") + part);
        Sink sink{file.get(), maxBytes, 0};
        const bool done = perform(filePath(name), [&](CURL* h) {
            curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &WriteFile);
            curl_easy_setopt(h, CURLOPT_WRITEDATA, &sink);
            if (maxBytes > 0)
                curl_easy_setopt(h, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(maxBytes));
        });
        const bool closed = std::fclose(file.release()) == 0;
        if (!done || !closed) {
            QFile::remove(part);
            return done ? localFailure(QStringLiteral("cannot write ") + part) : false;
        }
        if (std::rename(QFile::encodeName(part).constData(), QFile::encodeName(localPath).constData()) != 0) {
            QFile::remove(part);
            return localFailure(QStringLiteral("cannot rename ") + part);
        }
        return true;
    }

    // DELE of one name in the folder.
    bool remove(const QString& name) {
        const std::string command = "DELE " + name.toStdString();
        std::unique_ptr<curl_slist, SlistDeleter> quote(curl_slist_append(nullptr, command.c_str()));
        if (!quote)
            return localFailure(QStringLiteral("out of memory"));
        return perform(kFolderPath, [&](CURL* h) {
            curl_easy_setopt(h, CURLOPT_NOBODY, 1L);
            curl_easy_setopt(h, CURLOPT_QUOTE, quote.get());
        });
    }

    bool upload(const QString& localPath, const QString& name) {
        std::unique_ptr<FILE, FileCloser> file(std::fopen(QFile::encodeName(localPath).constData(), "rb"));
        if (!file)
            return localFailure(QStringLiteral("cannot read ") + localPath);
        const qint64 size = QFile(localPath).size();
        return perform(filePath(name), [&](CURL* h) {
            curl_easy_setopt(h, CURLOPT_UPLOAD, 1L);
            curl_easy_setopt(h, CURLOPT_READDATA, file.get());
            curl_easy_setopt(h, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(size));
        });
    }

    // A failure of the whole call, logged once: a connection or login that
    // never came about is the connect failure; anything after the login is
    // a failed transfer.
    FtpStatus fail(CURLcode code) {
        if (code == CURLE_OK)
            code = m_lastCode;
        if (!m_loggedIn)
            LogWriteString(g_logRun, QStringLiteral("ERROR,连接到FTP服务器出错！"));
        // Without any answer from the server, libcurl's own words say why.
        const QString response = m_lastResponse.isEmpty() ? QString::fromUtf8(m_error) : m_lastResponse;
        LogWriteString(
            g_logRun,
            QStringLiteral("ERROR,GetLastError=%1,OpFtpFile,bGetFile=%2,InternetGetLastResponseInfo=%3")
                .arg(int(code))
                .arg(m_getFile ? 1 : 0)
                .arg(QString::fromStdString(LogEscape(response.left(kMaxResponseChars)))));
        return m_loggedIn ? FtpStatus::Failed : FtpStatus::ConnectFailed;
    }

    CURLcode lastCode() const { return m_lastCode; }

private:
    struct Sink {
        FILE* file;
        qint64 limit;
        qint64 written;
    };

    static size_t AppendBody(char* data, size_t size, size_t count, void* user) {
        auto* body = static_cast<std::string*>(user);
        const size_t n = size * count;
        if (body->size() + n > 4 * 1024 * 1024)
            return 0; // a listing this long is no folder of copies
        body->append(data, n);
        return n;
    }

    static size_t WriteFile(char* data, size_t size, size_t count, void* user) {
        auto* sink = static_cast<Sink*>(user);
        const size_t n = size * count;
        // The size the server announces is not trusted: the bytes are counted.
        if (sink->limit > 0 && sink->written + static_cast<qint64>(n) > sink->limit)
            return 0;
        if (std::fwrite(data, 1, n, sink->file) != n)
            return 0;
        sink->written += static_cast<qint64>(n);
        return n;
    }

    // The server's answer lines (the account goes out, never comes back).
    static size_t OnResponse(char* data, size_t size, size_t count, void* user) {
        auto* self = static_cast<FtpSession*>(user);
        const size_t n = size * count;
        std::string line(data, n);
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
            line.pop_back();
        if (line.empty())
            return n;
        // 230 user logged in; 202 a login that needed no password.
        if (line.rfind("230", 0) == 0 || line.rfind("202", 0) == 0)
            self->m_loggedIn = true;
        self->m_lastResponse = QString::fromUtf8(line).left(kMaxResponseChars);
        return n;
    }

    std::string filePath(const QString& name) const {
        return kFolderPath + QUrl::toPercentEncoding(name).toStdString();
    }

    bool localFailure(const QString& why) {
        m_lastResponse = why.left(kMaxResponseChars);
        m_lastCode = CURLE_WRITE_ERROR;
        return false;
    }

    bool refuse(const QString& host, const QString& why) {
        LogWriteString(g_logRun, QStringLiteral("ERROR,OpFtpFile,host \"%1\" %2")
                                     .arg(QString::fromStdString(LogEscape(host)), why));
        return false;
    }

    template <typename Setup> bool perform(const std::string& path, Setup&& setup) {
        if (curl_url_set(m_url.get(), CURLUPART_PATH, path.c_str(), 0) != CURLUE_OK)
            return localFailure(QStringLiteral("bad path"));
        CURL* h = m_curl.get();
        // A reset keeps the handle's connection, so the login happens once.
        curl_easy_reset(h);
        curl_easy_setopt(h, CURLOPT_CURLU, m_url.get());
        curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "ftp");
        curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(h, CURLOPT_USERNAME, "imupdate");
        curl_easy_setopt(h, CURLOPT_PASSWORD, "quillmarshden");
        curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
        curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
        curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, kStallSeconds);
        curl_easy_setopt(h, CURLOPT_TIMEOUT, kTotalTimeoutSeconds);
        curl_easy_setopt(h, CURLOPT_FTP_FILEMETHOD, static_cast<long>(CURLFTPMETHOD_SINGLECWD));
        curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, &OnResponse);
        curl_easy_setopt(h, CURLOPT_HEADERDATA, this);
        m_error[0] = '\0';
        curl_easy_setopt(h, CURLOPT_ERRORBUFFER, m_error);
        setup(h);
        ++g_requests;
        m_lastCode = curl_easy_perform(h);
        curl_easy_setopt(h, CURLOPT_ERRORBUFFER, nullptr);
        return m_lastCode == CURLE_OK;
    }

    bool m_getFile;
    std::unique_ptr<CURLU, UrlDeleter> m_url;
    std::unique_ptr<CURL, EasyDeleter> m_curl;
    char m_error[CURL_ERROR_SIZE] = {};
    CURLcode m_lastCode = CURLE_OK;
    bool m_loggedIn = false;
    QString m_lastResponse;
};

FtpFileResult Fetch(FtpSession& session, const QString& localPath, const QString& pattern, qint64 maxBytes) {
    FtpFileResult result;
    std::vector<QString> names;
    if (!session.list(names)) {
        result.status = session.fail(session.lastCode());
        return result;
    }
    std::vector<QString> candidates;
    for (const QString& name : names)
        if (IsPlainRemoteName(name) && FtpNameMatches(pattern, name))
            candidates.push_back(name);
    if (candidates.empty()) {
        result.status = session.fail(CURLE_REMOTE_FILE_NOT_FOUND);
        return result;
    }
    // The newest by modification time; the first listed wins ties and
    // stands when the server tells no times.
    size_t chosen = 0;
    if (candidates.size() > 1) {
        qint64 newest = -1;
        for (size_t i = 0; i < candidates.size(); ++i) {
            const qint64 t = session.modificationTime(candidates[i]);
            if (t > newest) {
                newest = t;
                chosen = i;
            }
        }
    }
    if (!session.download(candidates[chosen], localPath, maxBytes)) {
        result.status = session.fail(session.lastCode());
        return result;
    }
    result.status = FtpStatus::Done;
    result.remoteName = candidates[chosen];
    return result;
}

FtpFileResult Store(FtpSession& session, const QString& localPath, const QString& name) {
    FtpFileResult result;
    std::vector<QString> names;
    if (!session.list(names)) {
        result.status = session.fail(session.lastCode());
        return result;
    }
    for (const QString& listed : names) {
        if (listed != name)
            continue;
        if (!session.remove(name))
            LogWriteString(
                g_logRun, QStringLiteral("ERROR,OpFtpFile,DELE failed,code=%1").arg(int(session.lastCode())));
        break;
    }
    if (!session.upload(localPath, name)) {
        result.status = session.fail(session.lastCode());
        return result;
    }
    result.status = FtpStatus::Done;
    result.remoteName = name;
    return result;
}

} // namespace

bool FtpNameMatches(QStringView pattern, QStringView name) {
    // Iterative wildcard match with one back-track point for the last '*'.
    qsizetype p = 0, n = 0, star = -1, mark = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == QLatin1Char('?') || pattern[p] == name[n])) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == QLatin1Char('*')) {
            star = p++;
            mark = n;
        } else if (star >= 0) {
            p = star + 1;
            n = ++mark;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == QLatin1Char('*'))
        ++p;
    return p == pattern.size();
}

FtpFileResult OpFtpFile(const QString& localPath, const QString& remoteName, bool bGetFile,
                        qint64 maxFetchBytes) {
    FtpSession session(bGetFile);
    if (!session.open()) {
        LogWriteString(g_logRun, QStringLiteral("ERROR,连接到FTP服务器出错！"));
        return FtpFileResult{FtpStatus::ConnectFailed, QString()};
    }
    if (!bGetFile && !IsPlainRemoteName(remoteName)) {
        LogWriteString(g_logRun, QStringLiteral("ERROR,OpFtpFile,not a plain remote name"));
        return FtpFileResult{FtpStatus::Failed, QString()};
    }
    return bGetFile ? Fetch(session, localPath, remoteName, maxFetchBytes)
                    : Store(session, localPath, remoteName);
}

int FtpRequestCount() {
    return g_requests.load();
}
