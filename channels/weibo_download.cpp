#include "channels/weibo_download.h"

#include "core/deployment.h"
#include "core/helpers.h"
#include "core/http.h"
#include "core/log.h"
#include "core/paths.h"

#include <QDir>
#include <QRegularExpression>
#include <QSaveFile>
#include <QUrl>

namespace {

constexpr qsizetype kMaxNameLength = 100;
const QString kJpg = QStringLiteral(".jpg");

bool IsNameCharacter(QChar c) {
    const char16_t u = c.unicode();
    return (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9') || u == '.' ||
           u == '_' || u == '-';
}

bool IsWebScheme(const QUrl& url) {
    const QString scheme = url.scheme().toLower();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}

// The address without its double quotes, as the log lines show it.
QString Cleaned(const QString& url) {
    QString cleaned = url;
    cleaned.remove(QLatin1Char('"'));
    return cleaned;
}

QString Escaped(const QString& text) {
    return QString::fromStdString(LogEscape(text));
}

WeiboDownload Failed(const QString& line) {
    LogWriteString(g_logRun, QStringLiteral("ERROR,DownLoadFile,") + line);
    return {};
}

} // namespace

QString WeiboPictureFolder() {
    return AppPath(QStringLiteral("WeiboPic"));
}

QString WeiboPictureFileName(const QString& url) {
    QString name = Cleaned(url);
    const qsizetype end = name.indexOf(QRegularExpression(QStringLiteral("[?#]")));
    if (end >= 0)
        name.truncate(end);
    name = name.mid(name.lastIndexOf(QLatin1Char('/')) + 1);
    for (QChar& c : name)
        if (!IsNameCharacter(c))
            c = QLatin1Char('_');
    if (name == QLatin1String(".") || name == QLatin1String(".."))
        name.clear();
    if (name.isEmpty())
        name = CreateUniqueId();
    if (name.size() > kMaxNameLength)
        name.truncate(kMaxNameLength - kJpg.size());
    if (!name.contains(kJpg)) {
        name.truncate(kMaxNameLength - kJpg.size());
        name += kJpg;
    }
    return name;
}

WeiboDownload DownLoadFile(const QString& address, const QString& folder) {
    const QString url = Cleaned(address);
    const QString shown = Escaped(url);
    const QUrl parsed(url, QUrl::StrictMode);
    if (!parsed.isValid() || !IsWebScheme(parsed) || IsRefusedHost(parsed.host()))
        return Failed(QStringLiteral("OpenRequest打开下载地址出错！URL=%1").arg(shown));

    HttpRequestOptions options;
    options.url = url;
    options.maxAnswer = kWeiboPictureLimit; // the transport's own line says "HttpRequest"
    const HttpAnswer answer = HttpRequest(options);
    if (answer.status < 0)
        return Failed(QStringLiteral("SendRequest打开下载地址出错！URL=%1").arg(shown));

    if (answer.status == 301 || answer.status == 302 || answer.status == 303) {
        LogWriteString(g_logRun, QStringLiteral("ERROR,DownLoadFile,HTTP重定向，代码：%1！URL=%2,new URL=%3")
                                     .arg(answer.status)
                                     .arg(shown, Escaped(answer.location)));
        if (answer.location.isEmpty())
            return {};
        WeiboDownload moved;
        moved.kind = WeiboDownload::Kind::Redirect;
        moved.location = answer.location;
        return moved;
    }
    if (answer.status < 200 || answer.status >= 300)
        return Failed(QStringLiteral("http服务器返回错误代码：%1！URL=%2").arg(answer.status).arg(shown));

    const auto received = static_cast<long long>(answer.body.size());
    const long long announced = answer.contentLength.value_or(0);
    if (answer.truncated || answer.contentLength == 0LL || (!answer.contentLength && received == 0))
        return Failed(QStringLiteral("获取文件长度失败！URL=%1").arg(shown));
    if (!answer.complete || (answer.contentLength && announced != received))
        return Failed(QStringLiteral("下载文件不完整！总长度=%1,实际下载长度=%2,URL=%3")
                          .arg(announced)
                          .arg(received)
                          .arg(shown));

    const QString path = QDir(folder).filePath(WeiboPictureFileName(url));
    QSaveFile file(path);
    if (!CreateDirectoryTree(folder) || !file.open(QIODevice::WriteOnly) ||
        file.write(answer.body.data(), received) != received || !file.commit())
        return Failed(QStringLiteral("创建本地临时文件出错！file=%1！URL=%2").arg(Escaped(path), shown));

    WeiboDownload saved;
    saved.kind = WeiboDownload::Kind::Saved;
    saved.path = path;
    return saved;
}

QString DownloadFollowingOnce(const QString& url, const QString& folder) {
    WeiboDownload result = DownLoadFile(url, folder);
    if (result.kind == WeiboDownload::Kind::Redirect)
        result = DownLoadFile(result.location, folder); // a second redirect is not followed
    return result.kind == WeiboDownload::Kind::Saved ? result.path : QString();
}
