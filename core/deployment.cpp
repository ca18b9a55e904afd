#include "core/deployment.h"

#include "core/paths.h"
#include "platform/ini.h"

#include <iterator>

namespace {

struct Entry {
    DeploymentKey key;
    const char* name;
    const char* defaultValue;
};

// Ports and paths are the service's; only the host names are ours.
constexpr Entry kEntries[] = {
    {DeploymentKey::MainEndpoint, "MainEndpoint", CORVELANE_MAIN_ENDPOINT},
    {DeploymentKey::BackupEndpoint, "BackupEndpoint", "http://backup.corvelane.invalid:8060/webservice.asmx"},
    {DeploymentKey::IntlEndpoint, "IntlEndpoint", "http://backup.corvelane.invalid:8060/gjwebservice.asmx"},
    {DeploymentKey::BalanceUrl, "BalanceUrl", "http://backup.corvelane.invalid/GetBalance.ashx"},
    {DeploymentKey::VersionUploadUrl, "VersionUploadUrl",
     "http://sync.corvelane.invalid:1180/apis/rims-provider/snExt/synchro/saveCSV"},
    {DeploymentKey::SelfServiceHost, "SelfServiceHost", "selfservice.corvelane.invalid"},
    {DeploymentKey::WebHost, "WebHost", "www.corvelane.invalid"},
    {DeploymentKey::FtpHost, "FtpHost", "ftp.corvelane.invalid"},
    {DeploymentKey::ServiceNamespace, "ServiceNamespace", CORVELANE_SERVICE_NAMESPACE},
    {DeploymentKey::NumberLocationHost, "NumberLocationHost", "location.corvelane.invalid"},
    {DeploymentKey::WeiboApiUrl, "WeiboApiUrl", "https://weibo-api.corvelane.invalid"},
    {DeploymentKey::WeiboRedirectUrl, "WeiboRedirectUrl", "https://weibo.corvelane.invalid/authorized"},
};
static_assert(std::size(kEntries) == kDeploymentKeyCount);

// EntryOf indexes by the enum's value.
constexpr bool EntriesInEnumOrder() {
    for (size_t i = 0; i < std::size(kEntries); ++i)
        if (static_cast<size_t>(kEntries[i].key) != i)
            return false;
    return true;
}
static_assert(EntriesInEnumOrder());

const Entry& EntryOf(DeploymentKey key) {
    auto i = static_cast<size_t>(key);
    return i < std::size(kEntries) ? kEntries[i] : kEntries[0];
}

} // namespace

QString DeploymentKeyName(DeploymentKey key) {
    return QString::fromLatin1(EntryOf(key).name);
}

QString DeploymentDefault(DeploymentKey key) {
    return QString::fromLatin1(EntryOf(key).defaultValue);
}

QString DeploymentValue(DeploymentKey key) {
    QString value =
        ini::ReadString(ServerIniPath(), QString::fromLatin1(kDeploymentSection), DeploymentKeyName(key))
            .trimmed();
    return value.isEmpty() ? DeploymentDefault(key) : value;
}

QString ServerIniPath() {
    return AppPath(QStringLiteral("ServerInfo.ini"));
}

bool AllowInvalidCertificates() {
    return ini::ReadInt(ServerIniPath(), QString::fromLatin1(kDeploymentSection),
                        QStringLiteral("AllowInvalidCertificates"), 0) != 0;
}

QString OldDatabaseConnectTemplate() {
    const QString value = ini::ReadString(ServerIniPath(), QString::fromLatin1(kDeploymentSection),
                                          QStringLiteral("OldDatabaseConnect"))
                              .trimmed();
    return value.isEmpty() ? QString::fromLatin1(kOldDatabaseConnectDefault) : value;
}

bool IsRefusedHost(const QString& host) {
    QString h = host.trimmed().toLower();
    if (h.startsWith(QLatin1Char('[')))
        return false; // an IPv6 literal is never a name under .invalid
    // "name:port" (one colon); more colons would be a bare IPv6 address.
    if (h.count(QLatin1Char(':')) == 1)
        h.truncate(h.indexOf(QLatin1Char(':')));
    while (h.endsWith(QLatin1Char('.')))
        h.chop(1);
    if (h.isEmpty())
        return true;
    return h == QLatin1String("invalid") || h.endsWith(QLatin1String(".invalid"));
}
