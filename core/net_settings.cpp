#include "core/net_settings.h"

#include "core/app_globals.h"
#include "core/convert.h"
#include "core/deployment.h"
#include "core/helpers.h"
#include "core/log.h"
#include "core/paths.h"
#include "core/sql.h"
#include "platform/ini.h"

#include <QFile>

#include <chrono>
#include <climits>
#include <random>
#include <sys/stat.h>

namespace {

constexpr int kServerPickRange = 8;
constexpr int kDefaultAddressMaxChars = 100;
constexpr int kHidWndMaxChars = 20;
constexpr mode_t kOwnerOnly = 0600;


QString ProxyKey(const QString& path, const char* key) {
    return ini::ReadString(path, kNetSettingSection, key, QString(), kProxyValueMaxChars);
}

// Drops the group and other bits of an existing file; a missing file is fine.
bool MakeOwnerOnly(const QString& path) {
    const QByteArray native = QFile::encodeName(path);
    struct stat st {};
    if (::stat(native.constData(), &st) != 0)
        return true;
    const mode_t mode = st.st_mode & 07777;
    if ((mode & 077) == 0)
        return true;
    return ::chmod(native.constData(), mode & ~static_cast<mode_t>(077)) == 0;
}

} // namespace

QString NormaliseEndpoint(const QString& address) {
    if (address.contains(QLatin1String("http")))
        return address;
    const qsizetype colon = address.indexOf(QLatin1Char(':'));
    const QString host = colon >= 0 ? address.left(colon) : address;
    return QStringLiteral("http://%1:8060/webservice.asmx").arg(host);
}

QString ServerListEntryAddress(const QString& entry) {
    const qsizetype colon = entry.indexOf(QLatin1Char(':'));
    const QString hostPort = colon >= 0 ? entry.left(colon + 1) + QLatin1String("8060") : entry;
    return QStringLiteral("http://%1/webservice.asmx").arg(hostPort);
}

PickGenerator TimeSeededPickGenerator() {
    const auto seed =
        static_cast<std::mt19937::result_type>(std::chrono::system_clock::now().time_since_epoch().count());
    return [engine = std::mt19937(seed)]() mutable { return static_cast<unsigned>(engine()); };
}

ServerPicks DrawServerPicks(const PickGenerator& generator) {
    PickGenerator fallback;
    const PickGenerator* draw = &generator;
    if (!generator) {
        fallback = TimeSeededPickGenerator();
        draw = &fallback;
    }
    ServerPicks picks;
    picks.first = static_cast<int>((*draw)() % kServerPickRange);
    picks.second = static_cast<int>((*draw)() % kServerPickRange);
    return picks;
}

ServerChoice LoadServerChoice(sqlite3* db, ServerPicks picks, const QString& mainEndpoint,
                              const QString& defaultAddress) {
    ServerChoice choice;
    std::string error;
    const int rc = ExecSql(&error, db, "SELECT disName,address FROM serverAddress ORDER BY disName",
                           [&](int columns, char** values, char**) {
                               const int row = choice.rowsRead++;
                               if (columns >= 2 && (row == picks.first || row == picks.second)) {
                                   choice.names << Utf8ToUnicode(values[0] ? values[0] : "");
                                   choice.addresses << Utf8ToUnicode(values[1] ? values[1] : "");
                               }
                               return true;
                           });
    if (rc != SQLITE_OK)
        LogSqlError(error, rc, "查询服务器列表出错了");
    choice.addresses << mainEndpoint;
    for (int i = 0; i < choice.addresses.size(); ++i) {
        if (NormaliseEndpoint(choice.addresses[i]) == defaultAddress) {
            choice.selected = i;
            break;
        }
    }
    return choice;
}

bool StoreServerList(sqlite3* db, const QStringList& entries) {
    SqlTransaction transaction(db);
    if (!transaction.active()) {
        LogSqlError(db ? sqlite3_errmsg(db) : "no database", SQLITE_ERROR, "删除原来记录出错了");
        return false;
    }
    std::string error;
    int rc = ExecSql(&error, db, "DELETE FROM serverAddress");
    if (rc != SQLITE_OK) {
        LogSqlError(error, rc, "删除原来记录出错了");
        return false;
    }
    SqlStatement insert(db, "INSERT INTO serverAddress (disName,address) VALUES (?1,?2)");
    for (int i = 0; i < entries.size(); ++i) {
        if (entries[i].trimmed().isEmpty())
            continue;
        insert.bind(1, QStringLiteral("服务器%1").arg(i + 1)).bind(2, ServerListEntryAddress(entries[i]));
        rc = insert.exec();
        if (rc != SQLITE_OK) {
            LogSqlError(sqlite3_errmsg(db), rc, "写服务器地址出错了");
            return false;
        }
    }
    return transaction.commit() == SQLITE_OK;
}

QString ProxyInfoPath() {
    return AppPath(QString::fromLatin1(kProxyInfoFile));
}

ProxyInfo ReadProxyInfo(const QString& path) {
    ProxyInfo info;
    // The switch is a profile integer ("0x1" is on), as every reader of the
    // file has always taken it.
    info.agency = ini::ReadInt(path, QString::fromLatin1(kNetSettingSection), QStringLiteral("Agency"), 0);
    info.server = ProxyKey(path, "Server");
    info.port = ProxyKey(path, "Port");
    info.userName = ProxyKey(path, "UserName");
    info.passwd = ProxyKey(path, "Passwd");
    return info;
}

bool SaveProxyInfo(const ProxyInfo& info, const QString& path) {
    if (!MakeOwnerOnly(path)) {
        LogWriteString(g_logRun, QStringLiteral("ERROR,cannot make %1 owner-only").arg(path));
        return false;
    }
    const auto write = [&](const char* key, const QString& value) {
        return ini::WriteString(path, kNetSettingSection, key, value, kOwnerOnly);
    };
    bool ok = write("Agency", QString::number(info.agency));
    ok = write("Server", info.server) && ok;
    ok = write("Port", info.port) && ok;
    ok = write("UserName", info.userName) && ok;
    ok = write("Passwd", info.passwd) && ok;
    if (!ok)
        LogWriteString(g_logRun, QStringLiteral("ERROR,cannot write %1").arg(path));
    return ok;
}

int ProxyPortNumber(const QString& port) {
    return LeadingNumber(port);
}

QString ReadDefaultAddress() {
    return ini::ReadString(ServerIniPath(), kServerAddressSection, "defaultAddress", QString(),
                           kDefaultAddressMaxChars)
        .trimmed();
}

bool WriteDefaultAddress(const QString& endpoint) {
    const bool ok = ini::WriteString(ServerIniPath(), kServerAddressSection, "defaultAddress", endpoint);
    if (!ok)
        LogWriteString(g_logRun, QStringLiteral("ERROR,cannot write %1").arg(ServerIniPath()));
    return ok;
}

int ReadHidWnd() {
    return LeadingNumber(
        ini::ReadString(ServerIniPath(), kServerAddressSection, "hidWnd", QString(), kHidWndMaxChars));
}

bool WriteHidWnd(int hide) {
    const bool ok =
        ini::WriteString(ServerIniPath(), kServerAddressSection, "hidWnd", QString::number(hide));
    if (!ok)
        LogWriteString(g_logRun, QStringLiteral("ERROR,cannot write %1").arg(ServerIniPath()));
    return ok;
}
