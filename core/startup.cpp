#include "core/startup.h"

#include "core/log.h"
#include "core/paths.h"
#include "core/program_files.h"
#include "core/sql.h"
#include "core/string_table.h"

#include <QFile>
#include <QLocale>

int ReadLanguageSetting() {
    QFile f(AppPath(QStringLiteral("Language.ini")));
    if (f.open(QIODevice::ReadOnly)) {
        const QByteArray b = f.read(4);
        if (b.size() == 4) {
            const auto u = [&](int i) { return static_cast<quint32>(static_cast<unsigned char>(b[i])); };
            const int id = static_cast<int>(u(0) | u(1) << 8 | u(2) << 16 | u(3) << 24);
            // Any English or Chinese id (2057, 1028, 4100, ...) is kept: its
            // primary language chooses. Another language falls to the locale.
            if (IsKnownUiLanguage(id))
                return id;
        }
    }
    return QLocale::system().language() == QLocale::Chinese ? kLangChinese : kLangEnglish;
}

ProbeResult ProbeTableRows(sqlite3* db, const char* table) {
    std::string message;
    const int rc = ExecSql(&message, db, std::string("select * from ") + table,
                           [](int, char**, char**) { return false; });
    if (rc == SQLITE_INTERRUPT)
        return ProbeResult::HasRows;
    if (rc == SQLITE_OK)
        return ProbeResult::Empty;
    LogSqlError(message, rc, "访问数据库出错");
    return ProbeResult::Failed;
}

bool OldDatabaseWaitsForConversion(sqlite3* db) {
    if (!QFile::exists(AppPath(QString::fromLatin1(kOldDatabase))))
        return false;
    if (ProbeTableRows(db, "ContactList") != ProbeResult::Empty)
        return false;
    return ProbeTableRows(db, "sendInfo") == ProbeResult::Empty;
}

QString RunMarkerPath() {
    std::string folder, base;
    LogFolderAndBase("run.txt", folder, base);
    return QString::fromStdString(folder) + QStringLiteral("/enc/Corvelane.running");
}

bool PreviousRunUnfinished() { return QFile::exists(RunMarkerPath()); }

void MarkRunStarted() {
    QFile marker(RunMarkerPath());
    if (!marker.open(QIODevice::WriteOnly | QIODevice::Truncate))
        LogWrite(g_logRun, "ERROR,run marker," + LogEscape(marker.errorString()));
}

void MarkRunEnded() { QFile::remove(RunMarkerPath()); }
