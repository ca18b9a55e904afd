#include "core/service_pages.h"

#include "core/account.h"
#include "core/deployment.h"
#include "core/helpers.h"
#include "core/log.h"
#include "core/md5.h"
#include "platform/ini.h"
#include "platform/url_open.h"

#include <QUrl>

namespace {

QString Encoded(const QString& value) {
    const QByteArray bytes = value.toUtf8();
    return QString::fromLatin1(UrlEncode(bytes.constData(), static_cast<size_t>(bytes.size())));
}

void LogNotOpened(const QString& why, const QString& url) {
    const qsizetype mark = url.indexOf(QLatin1Char('?'));
    const QString page = mark < 0 ? url : url.left(mark);
    LogWriteString(g_logRun,
                   QStringLiteral("ERROR,OpenServicePage,%1,url=%2")
                       .arg(QString::fromStdString(LogEscape(why)), QString::fromStdString(LogEscape(page))));
}

} // namespace

QString OpenAccountWebPage(const QString& page, const QString& key1, const QString& key2,
                           const QString& flag) {
    const AccountFields account = g_pAccount.get();
    const QString serial = account[kAccountSerial];
    const QString digest = QString::fromLatin1(MD5UpperOfAnsi(account[kAccountPassword]));
    QString url = QStringLiteral("%1?%2=%3&%4=%5").arg(page, key1, serial, key2, digest);
    if (!flag.isEmpty())
        return url + QStringLiteral("&flag=") + flag;
    OpenServicePage(url);
    return url;
}

bool OpenServicePage(const QString& url) {
    const QUrl parsed(url);
    const QString scheme = parsed.scheme().toLower();
    if (!parsed.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
        LogNotOpened(QStringLiteral("not an http(s) address"), url);
        return false;
    }
    if (IsRefusedHost(parsed.host())) {
        LogNotOpened(QStringLiteral("host not configured: \"%1\" (set it in ServerInfo.ini [Deployment])")
                         .arg(parsed.host()),
                     url);
        return false;
    }
    return OpenUrlExternally(url);
}

QString SelfServicePageUrl() {
    return QStringLiteral("http://%1/login.aspx").arg(DeploymentValue(DeploymentKey::SelfServiceHost));
}

QString AdministrationPageUrl() {
    const AccountFields account = g_pAccount.get();
    return QStringLiteral("http://%1/admin/index.php/index/login.html?admin_user=%2&admin_pass=%3")
        .arg(DeploymentValue(DeploymentKey::WebHost), Encoded(account[kAccountSerial]),
             Encoded(account[kAccountPassword]));
}

QString ChannelServerAddress(const QString& channel) {
    QString key;
    if (channel == QStringView(u"彩信"))
        key = QStringLiteral("ExtAddress1");
    else if (channel == QStringView(u"语音"))
        key = QStringLiteral("ExtAddress2");
    else
        return QString();
    return ini::ReadString(ServerIniPath(), QStringLiteral("ExtServerAddress"), key);
}
