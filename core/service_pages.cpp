#include "core/service_pages.h"

#include "core/account.h"
#include "core/deployment.h"
#include "core/md5.h"
#include "platform/ini.h"
#include "platform/url_open.h"

QString OpenAccountWebPage(const QString& page, const QString& key1, const QString& key2,
                           const QString& flag) {
    const AccountFields account = g_pAccount.get();
    const QString serial = account[kAccountSerial];
    const QString digest = QString::fromLatin1(MD5UpperOfAnsi(account[kAccountPassword]));
    QString url = QStringLiteral("%1?%2=%3&%4=%5").arg(page, key1, serial, key2, digest);
    if (!flag.isEmpty())
        return url + QStringLiteral("&flag=") + flag;
    OpenUrlExternally(url);
    return url;
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
