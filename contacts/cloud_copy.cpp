#include "contacts/cloud_copy.h"

#include "core/account.h"
#include "core/compress.h"
#include "core/db_backup.h"
#include "core/ftp_transfer.h"
#include "core/log.h"
#include "core/md5.h"
#include "core/paths.h"
#include "core/sql.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <string>
#include <vector>

namespace {

constexpr const char* kTables[] = {"ContactList", "ContactGroup", "fieldDisplay"};

QString Tr(const char* text) {
    return QCoreApplication::translate("CloudCopy", text);
}

void Log(const QString& line) {
    LogWriteString(g_logRun, line);
}

// The serial number names the work files and the remote file: it must be
// a plain file name, and no pattern either, since a download looks for
// "<serial>_*".
bool IsPlainSerial(const QString& serial) {
    if (serial.isEmpty() || serial == QLatin1String(".") || serial == QLatin1String(".."))
        return false;
    for (QChar c : serial) {
        const char16_t u = c.unicode();
        if (u < 0x20 || u == 0x7F || u == '/' || u == '\\' || u == '*' || u == '?')
            return false;
    }
    return true;
}

struct WorkFiles {
    QString serial;
    QString copy;       // TempSyncDB/<serial>.db3
    QString compressed; // TempSyncDB/<serial>.db3.gz
};

// The account's serial number; false (logged) when it cannot name files.
bool TakeSerial(const char* caller, WorkFiles& files) {
    files.serial = g_pAccount.field(kAccountSerial);
    if (IsPlainSerial(files.serial))
        return true;
    Log(QStringLiteral("ERROR,%1,the serial number is no plain file name").arg(QLatin1String(caller)));
    return false;
}

// The work folder made and its old files gone; false (logged) when the
// folder cannot be made.
bool PrepareWorkFiles(const char* caller, WorkFiles& files) {
    const QString folder = AppPath(QStringLiteral("TempSyncDB"));
    if (!CreateDirectoryTree(folder)) {
        Log(QStringLiteral("ERROR,%1,cannot create %2").arg(QLatin1String(caller), folder));
        return false;
    }
    files.copy = folder + QLatin1Char('/') + files.serial + QStringLiteral(".db3");
    files.compressed = files.copy + QStringLiteral(".gz");
    for (const QString& old : {files.copy, files.copy + QStringLiteral("-journal"), files.compressed})
        QFile::remove(old);
    return true;
}

bool Exec(sqlite3* db, const std::string& sql) {
    return ExecSql(nullptr, db, sql) == SQLITE_OK;
}

bool Attach(sqlite3* db, const QString& path) {
    SqlStatement attach(db, "ATTACH ?1 AS Cloud_db");
    return attach.ok() && attach.bind(1, path).exec() == SQLITE_OK;
}

// "select count(perNO) from ContactList"; false on an engine failure.
bool CountContacts(sqlite3* db, qint64& count) {
    SqlStatement st(db, "select count(perNO) from ContactList");
    if (!st.ok() || st.step() != SQLITE_ROW)
        return false;
    count = st.int64(0);
    return true;
}

// Counts, then copies the three tables into the attached copy, all in one
// read transaction of the local database, so the copy is one consistent
// state and the limit holds for exactly what was copied.
enum class CopyOutcome { Copied, TooMany, Failed };
CopyOutcome CopyTables(sqlite3* db) {
    if (!Exec(db, "BEGIN"))
        return CopyOutcome::Failed;
    qint64 count = 0;
    CopyOutcome outcome = CopyOutcome::Copied;
    if (!CountContacts(db, count))
        outcome = CopyOutcome::Failed;
    else if (count > kCloudCopyMaxContacts)
        outcome = CopyOutcome::TooMany;
    for (const char* table : kTables) {
        if (outcome != CopyOutcome::Copied)
            break;
        if (!Exec(db, std::string("CREATE TABLE Cloud_db.") + table + " AS SELECT * FROM " + table))
            outcome = CopyOutcome::Failed;
    }
    if (outcome == CopyOutcome::Copied && !Exec(db, "COMMIT"))
        outcome = CopyOutcome::Failed;
    if (outcome != CopyOutcome::Copied)
        Exec(db, "ROLLBACK");
    return outcome;
}

QString TooManyContactsText() {
    return Tr("上传失败！联系人数量不能超过100000 ！");
}

// Column names of `schema`.`table` in their order.
std::vector<std::string> Columns(sqlite3* db, const char* schema, const char* table) {
    std::vector<std::string> names;
    SqlStatement st(db, std::string("PRAGMA ") + schema + ".table_info(" + table + ")");
    while (st.ok() && st.step() == SQLITE_ROW)
        names.push_back(st.text(1));
    return names;
}

std::string QuoteIdentifier(const std::string& name) {
    std::string out = "\"";
    for (char c : name) {
        out += c;
        if (c == '"')
            out += '"';
    }
    return out + '"';
}

bool SameIdentifier(const std::string& a, const std::string& b) {
    return QString::fromStdString(a).compare(QString::fromStdString(b), Qt::CaseInsensitive) == 0;
}

// Empties `table` and refills, from the attached copy, the columns both
// sides have; the local table keeps its definition, defaults and indexes.
bool RefillTable(sqlite3* db, const char* table) {
    const std::vector<std::string> local = Columns(db, "main", table);
    const std::vector<std::string> copy = Columns(db, "Cloud_db", table);
    std::string common;
    for (const std::string& column : local) {
        for (const std::string& other : copy) {
            if (SameIdentifier(column, other)) {
                common += (common.empty() ? "" : ",") + QuoteIdentifier(column);
                break;
            }
        }
    }
    if (common.empty()) {
        Log(QStringLiteral("ERROR,SyncRemote2Local,no common column in %1").arg(QLatin1String(table)));
        return false;
    }
    return Exec(db, std::string("DELETE FROM ") + table) &&
           Exec(db, std::string("INSERT INTO ") + table + "(" + common + ") SELECT " + common +
                        " FROM Cloud_db." + table);
}

// A downloaded copy is used only when it is a sound database holding the
// three tables as tables (a view or virtual table would run the copy's SQL).
bool IsUsableCopy(const QString& path, QString& why) {
    sqlite3* copy = nullptr;
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &copy, SQLITE_OPEN_READONLY, nullptr);
    struct Closer {
        sqlite3* db;
        ~Closer() { sqlite3_close(db); }
    } closer{copy};
    if (rc != SQLITE_OK) {
        why = QStringLiteral("cannot open: ") + QString::fromUtf8(sqlite3_errstr(rc));
        return false;
    }
    {
        SqlStatement check(copy, "PRAGMA quick_check");
        const int first = check.ok() ? check.step() : SQLITE_ERROR;
        if (first != SQLITE_ROW || check.text(0) != "ok" || check.step() != SQLITE_DONE) {
            why = QStringLiteral("quick_check failed");
            return false;
        }
    }
    for (const char* table : kTables) {
        SqlStatement st(copy, "SELECT 1 FROM sqlite_master WHERE type='table' AND name=?1 COLLATE NOCASE "
                              "AND sql NOT LIKE 'CREATE VIRTUAL%'");
        if (!st.ok() || st.bind(1, table).step() != SQLITE_ROW) {
            why = QStringLiteral("no table ") + QLatin1String(table);
            return false;
        }
    }
    return true;
}

} // namespace

CloudCopyResult SyncLocal2Remote(sqlite3* db) {
    CloudCopyResult result;
    Log(QStringLiteral("SyncLocal2Remote..."));
    if (!db)
        return result;
    WorkFiles files;
    if (!TakeSerial("SyncLocal2Remote", files))
        return result;
    // The limit is checked before any file is made, and again in the copy's
    // own transaction.
    qint64 count = 0;
    if (!CountContacts(db, count)) {
        LogSqlError(SqlErrorText(db), 1, "SyncContact2Cloud");
        result.message = Tr("读取原始数据库出错！");
        return result;
    }
    if (count > kCloudCopyMaxContacts) {
        result.message = TooManyContactsText();
        return result;
    }
    if (!PrepareWorkFiles("SyncLocal2Remote", files))
        return result;

    if (!Attach(db, files.copy)) {
        Log(QStringLiteral("SyncCloud2Contact()失败！attach "));
        QFile::remove(files.copy);
        return result;
    }
    // The copy is a plain file of its own, whatever the live database's journal.
    Exec(db, "PRAGMA Cloud_db.journal_mode=DELETE");
    const CopyOutcome copied = CopyTables(db);
    const bool detached = Exec(db, "DETACH Cloud_db");
    if (copied != CopyOutcome::Copied || !detached) {
        if (copied == CopyOutcome::TooMany)
            result.message = TooManyContactsText();
        else
            Log(QStringLiteral("访问本地数据库失败！"));
        QFile::remove(files.copy);
        return result;
    }

    // A copy beyond these sizes could never come back through a download.
    const QString tooLarge = Tr("上传失败！通讯录数据过大，无法保存到云端。");
    if (QFileInfo(files.copy).size() > kCloudCopyMaxBytes) {
        Log(QStringLiteral("ERROR,SyncLocal2Remote,the copy holds %1 bytes")
                .arg(QFileInfo(files.copy).size()));
        result.message = tooLarge;
        return result;
    }
    if (!CompressFile(files.compressed, files.copy)) {
        Log(QStringLiteral("ERROR,压缩数据失败！"));
        return result;
    }
    if (QFileInfo(files.compressed).size() > kCloudCopyMaxCompressedBytes) {
        Log(QStringLiteral("ERROR,SyncLocal2Remote,the compressed copy holds %1 bytes")
                .arg(QFileInfo(files.compressed).size()));
        result.message = tooLarge;
        return result;
    }
    std::string digest;
    if (!MD5File(files.compressed, digest)) {
        Log(QStringLiteral("ERROR,压缩数据失败！"));
        return result;
    }
    const QString remoteName = QStringLiteral("%1_%2.db").arg(files.serial, QString::fromStdString(digest));
    const FtpFileResult sent = OpFtpFile(files.compressed, remoteName, false);
    if (!sent.ok()) {
        if (sent.status == FtpStatus::ConnectFailed)
            result.message = Tr("连接到服务器出错！");
        Log(QStringLiteral("ERROR,SyncLocal2Remote  OpFtpFile 失败！"));
        return result;
    }
    Log(QStringLiteral("SyncLocal2Remote 成功！"));
    result.ok = true;
    return result;
}

CloudCopyResult SyncRemote2Local(sqlite3* db) {
    CloudCopyResult result;
    if (!db)
        return result;
    Log(QStringLiteral("SyncRemote2Local..."));
    WorkFiles files;
    if (!TakeSerial("SyncRemote2Local", files) || !PrepareWorkFiles("SyncRemote2Local", files))
        return result;

    const FtpFileResult fetched =
        OpFtpFile(files.compressed, files.serial + QStringLiteral("_*"), true, kCloudCopyMaxCompressedBytes);
    if (!fetched.ok()) {
        if (fetched.status == FtpStatus::ConnectFailed)
            result.message = Tr("连接到服务器出错！");
        Log(QStringLiteral("ERROR,SyncRemote2Local OpFtpFile"));
        return result;
    }
    // The name carries the digest of the compressed file: a copy that does
    // not match it was cut short or is somebody else's.
    std::string digest;
    if (!MD5File(files.compressed, digest) ||
        fetched.remoteName.compare(
            QStringLiteral("%1_%2.db").arg(files.serial, QString::fromStdString(digest)),
            Qt::CaseInsensitive) != 0) {
        Log(QStringLiteral("ERROR,SyncRemote2Local,%1 does not match its digest")
                .arg(QString::fromStdString(LogEscape(fetched.remoteName))));
        return result;
    }
    if (!UncompressFile(files.compressed, files.copy)) {
        Log(QStringLiteral("ERROR,解压数据失败！"));
        return result;
    }
    if (QString why; !IsUsableCopy(files.copy, why)) {
        Log(QStringLiteral("ERROR,SyncRemote2Local,the copy is not usable: %1").arg(why));
        return result;
    }

    AutoBackupDatabase();

    if (!Attach(db, files.copy)) {
        Log(QStringLiteral("SyncRemote2Local()失败！attach "));
        return result;
    }
    bool replaced = false;
    {
        SqlTransaction tx(db);
        replaced = tx.active();
        for (const char* table : kTables)
            replaced = replaced && RefillTable(db, table);
        replaced = replaced && tx.commit() == SQLITE_OK;
        // Dropped uncommitted, the transaction rolls back.
    }
    // Once committed the tables are replaced, whatever the detach says.
    if (!Exec(db, "DETACH Cloud_db"))
        Log(QStringLiteral("ERROR,SyncRemote2Local,detach Cloud_db"));
    if (!replaced) {
        Log(QStringLiteral("访问本地数据库失败！"));
        return result;
    }
    Log(QStringLiteral("SyncRemote2Local 成功！"));
    result.ok = true;
    return result;
}
