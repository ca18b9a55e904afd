#include "core/start_settings.h"

#include "core/app_globals.h"
#include "core/companions.h"
#include "core/convert.h"
#include "core/deployment.h"
#include "core/log.h"
#include "core/paths.h"
#include "core/program_files.h"
#include "core/sql.h"
#include "platform/ini.h"
#include "platform/msgbox.h"

#include <QDir>
#include <QFileInfo>

#include <climits>
#include <string>

namespace {

constexpr int kDefaultMmsMaxSize = 51200;
// The version texts of the version report.
constexpr const char kOwnVersionText[] = "zodo2.0";
constexpr const char kOemVersionText[] = "oem2.0";
// UpdateUrl is read with the length the updater accepts.
constexpr int kUpdateUrlMaxChars = 100;

QString OemFolder() {
    return AppPath(QStringLiteral("OEM"));
}

// A file named in the OEM settings, inside the OEM folder; empty when the
// name is empty or would lead elsewhere (the file is deployment data, not a
// path the program follows anywhere).
QString OemFile(const QString& name) {
    QString relative = name.trimmed();
    relative.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (relative.isEmpty())
        return QString();
    const QString folder = QDir::cleanPath(OemFolder());
    const QString path = QDir::cleanPath(folder + QLatin1Char('/') + relative);
    if (QDir::isAbsolutePath(relative) || !path.startsWith(folder + QLatin1Char('/'))) {
        LogWrite(g_logRun, "ERROR,OEM file outside the OEM folder ignored: " + LogEscape(name));
        return QString();
    }
    return path;
}

} // namespace

QString LoadBranding() {
    const QString ini = OemInfoIniPath();
    const auto read = [&ini](const char* key) {
        return ini::ReadString(ini, QStringLiteral("CompanyInfo"), QString::fromLatin1(key));
    };
    g_strAppTitle = read("SoftWareName");
    g_strCopyright = read("CopyRight");
    g_strCompanyUrl = read("defaultCompanyUrl");
    g_strCompanyPhone = read("defaultCompanyPhone");
    g_strHotLine = read("defaultHotLine");
    g_strNationwidePhone = read("defaultNationwidePhone");
    g_strInformUrl = read("defaultInformUrl");
    SetMessageBoxTitle(g_strAppTitle);
    return OemFile(read("defaultImage2Path"));
}

int MmsMaxSizeFromKiB(int kib) {
    if (kib <= 50)
        return kDefaultMmsMaxSize;
    // A value too large for a byte count is held at the largest one that fits.
    if (kib > INT_MAX / 1024)
        kib = INT_MAX / 1024;
    return kib * 1024;
}

int LoadMmsMaxSize() {
    const int kib =
        ini::ReadInt(OemInfoIniPath(), QStringLiteral("UserTempSetting"), QStringLiteral("MmsMaxSize"), 0);
    g_nMmsMaxSize = MmsMaxSizeFromKiB(kib);
    return g_nMmsMaxSize;
}

bool ShowWeiboPage() {
    return ini::ReadInt(OemInfoIniPath(), QStringLiteral("System"), QStringLiteral("ShowWeibo"), 0) != 0;
}

bool LoadStoredAccount(sqlite3* db, AccountRecord& account) {
    QString serial;
    QString password;
    QString signature;
    long long rowid = 0;
    bool found = false;

    std::string error;
    const int rc = ExecSql(&error, db, "SELECT rowid,SerNum,PassWd FROM Register",
                           [&](int columns, char** values, char**) {
                               if (columns < 3)
                                   return true;
                               const QString sn = QString::fromUtf8(values[1] ? values[1] : "").trimmed();
                               if (sn.isEmpty())
                                   return true;
                               serial = sn;
                               password = QString::fromUtf8(values[2] ? values[2] : "").trimmed();
                               rowid = values[0] ? std::stoll(values[0]) : 0;
                               found = true;
                               return false; // the first account row is the one
                           });
    const bool ok = rc == SQLITE_OK || rc == SQLITE_INTERRUPT;
    if (!ok)
        LogSqlError(db ? error : std::string("database not open"), rc, "查询账号信息失败！");

    if (found) {
        // The signature came later than the account: a table from before it
        // still gives the account itself.
        std::string signError;
        const int signRc =
            ExecSql(&signError, db, "SELECT Sign FROM Register WHERE rowid=" + std::to_string(rowid),
                    [&](int columns, char** values, char**) {
                        if (columns > 0 && values[0])
                            signature = QString::fromUtf8(values[0]).trimmed();
                        return false;
                    });
        if (signRc != SQLITE_OK && signRc != SQLITE_INTERRUPT)
            LogSqlError(signError, signRc, "查询账号信息失败！");
    }

    AccountFields fields = account.get();
    fields[kAccountSerial] = serial;
    fields[kAccountPassword] = password;
    fields[kAccountSignature] = signature;
    account.set(fields);
    return ok;
}

QString AccountIniPath(const QString& folder, const QString& serial) {
    QString name = serial;
    for (QChar& c : name)
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c == QChar(0))
            c = QLatin1Char('_');
    if (name == QLatin1String(".") || name == QLatin1String(".."))
        name.clear();
    return folder + QLatin1Char('/') + name + QLatin1String(".ini");
}

const char* ClientVersionText(const QString& appTitle) {
    return appTitle == QLatin1String(kProductDisplayName) ? kOwnVersionText : kOemVersionText;
}

bool StartUpdaterAtStart() {
    // The updater never replaces itself: a new copy it left waits in temp.
    MoveWaitingUpdater();
    const bool updaterExists = QFileInfo::exists(AppPath(QString::fromLatin1(kUpdaterExecutable)));
    const QString address = ini::ReadString(ServerIniPath(), QStringLiteral("UpdateServerAddress"),
                                            QStringLiteral("UpdateUrl"), QString(), kUpdateUrlMaxChars);
    const int haveNew = ini::ReadInt(AppPath(QString::fromLatin1(kConfigIni)), QStringLiteral("Update"),
                                     QStringLiteral("HaveNew"), 0);
    if (haveNew != 0 && updaterExists) {
        if (StartUpdater(address, false))
            return true;
        // Reporting a failed start as started would end every start of the
        // program without a login; the login follows instead.
        LogWrite(g_logRun,
                 "ERROR,the update waiting to be installed could not be started; going on to the login");
        return false;
    }
    // The silent check records in HaveNew whether the next start installs.
    StartUpdater(address, true);
    return false;
}

bool ReadServerAddresses(sqlite3* db, QStringList& addresses) {
    addresses.clear();
    std::string error;
    const int rc = ExecSql(&error, db, "SELECT disName,address FROM serverAddress ORDER BY disName",
                           [&](int columns, char** values, char**) {
                               if (columns > 1)
                                   addresses << QString::fromUtf8(values[1] ? values[1] : "");
                               return true;
                           });
    if (rc != SQLITE_OK) {
        LogSqlError(db ? error : std::string("database not open"), rc, "查询服务器列表出错了");
        return false;
    }
    return true;
}
