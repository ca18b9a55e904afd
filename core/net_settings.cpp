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
#include <unistd.h>

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

RenameFunction& SettingsRename() {
    static RenameFunction rename;
    return rename;
}

int RenameFile(const QString& from, const QString& to) {
    const QByteArray a = QFile::encodeName(from), b = QFile::encodeName(to);
    return SettingsRename() ? SettingsRename()(a.constData(), b.constData()) : ::rename(a.constData(), b.constData());
}

std::vector<ini::KeyValue> ProxyKeys(const ProxyInfo& info) {
    return {{QStringLiteral("Agency"), QString::number(info.agency)},
            {QStringLiteral("Server"), info.server},
            {QStringLiteral("Port"), info.port},
            {QStringLiteral("UserName"), info.userName},
            {QStringLiteral("Passwd"), info.passwd}};
}

} // namespace

void SetSettingsRenameForTests(RenameFunction rename) { SettingsRename() = std::move(rename); }

bool SaveNetworkSettings(const ProxyInfo& info, const QString& endpoint) {
    const QString proxyPath = ProxyInfoPath();
    const QString serverPath = ServerIniPath();
    auto fail = [](const QString& why) {
        LogWriteString(g_logRun, QStringLiteral("ERROR,SaveNetworkSettings,%1").arg(why));
        return false;
    };
    if (!MakeOwnerOnly(proxyPath))
        return fail(QStringLiteral("cannot make %1 owner-only").arg(proxyPath));
    QByteArray proxyContent, serverContent;
    mode_t proxyMode = kOwnerOnly, serverMode = 0644;
    if (!ini::PrepareWrite(proxyPath, kNetSettingSection, ProxyKeys(info), kOwnerOnly, proxyContent, proxyMode) ||
        !ini::PrepareWrite(serverPath, kServerAddressSection, {{QStringLiteral("defaultAddress"), endpoint}}, 0644,
                           serverContent, serverMode))
        return fail(QStringLiteral("cannot read or may not write the settings files"));
    const QString proxyTmp = ini::WriteTemporary(proxyPath, proxyContent, proxyMode);
    const QString serverTmp = proxyTmp.isEmpty() ? QString() : ini::WriteTemporary(serverPath, serverContent, serverMode);
    if (serverTmp.isEmpty()) {
        QFile::remove(proxyTmp);
        return fail(QStringLiteral("cannot write a temporary file"));
    }
    // The old proxy file stays reachable under a second name until both are in.
    const QString proxyOld = proxyPath + QStringLiteral(".old");
    QFile::remove(proxyOld);
    const bool hadProxy = QFile::exists(proxyPath);
    if (hadProxy && ::link(QFile::encodeName(proxyPath).constData(), QFile::encodeName(proxyOld).constData()) != 0) {
        QFile::remove(proxyTmp);
        QFile::remove(serverTmp);
        return fail(QStringLiteral("cannot keep %1 for a roll-back").arg(proxyPath));
    }
    if (RenameFile(proxyTmp, proxyPath) != 0) {
        QFile::remove(proxyTmp);
        QFile::remove(serverTmp);
        QFile::remove(proxyOld);
        return fail(QStringLiteral("cannot replace %1").arg(proxyPath));
    }
    if (RenameFile(serverTmp, serverPath) != 0) {
        QFile::remove(serverTmp);
        const bool restored = hadProxy ? ::rename(QFile::encodeName(proxyOld).constData(),
                                                  QFile::encodeName(proxyPath).constData()) == 0
                                       : QFile::remove(proxyPath);
        return fail(QStringLiteral("cannot replace %1; %2 %3")
                        .arg(serverPath, proxyPath,
                             restored ? QStringLiteral("put back") : QStringLiteral("NOT put back")));
    }
    QFile::remove(proxyOld);
    return true;
}

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
        LogSqlError(SqlErrorText(db), SQLITE_ERROR, "删除原来记录出错了");
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
        LogWriteString(g_logRun, QStringLiteral("ERROR,cannot make %1 owner-only").arg(QString::fromStdString(LogEscape(path))));
        return false;
    }
    const bool ok = ini::WriteStrings(path, kNetSettingSection, ProxyKeys(info), kOwnerOnly);
    if (!ok)
        LogWriteString(g_logRun, QStringLiteral("ERROR,cannot write %1").arg(QString::fromStdString(LogEscape(path))));
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
        LogWriteString(g_logRun, QStringLiteral("ERROR,cannot write %1").arg(QString::fromStdString(LogEscape(ServerIniPath()))));
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
        LogWriteString(g_logRun, QStringLiteral("ERROR,cannot write %1").arg(QString::fromStdString(LogEscape(ServerIniPath()))));
    return ok;
}
