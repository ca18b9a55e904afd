#include "core/db_backup.h"

#include "core/convert.h"
#include "core/database.h"
#include "core/log.h"
#include "core/paths.h"
#include "platform/file_io.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Pages per backup step: small enough that a writer of another connection
// is never held up for long, large enough that a big file is not slow.
constexpr int kPagesPerStep = 512;
// A step that finds the source busy is tried again after a short wait;
// this many waits in a row give up.
constexpr int kMaxBusyWaits = 500;
constexpr int kBusyWaitMs = 20;
// OpenConnection's busy time-out, set back after the restore's checkpoint.
constexpr int kBusyTimeoutMs = 10000;
constexpr int kCheckpointTimeoutMs = 2000;
// How many daily copies stay.
constexpr int kDailyCopiesKept = 5;

constexpr char kPlainMarker[] = "SQLite format";
constexpr size_t kMarkerLength = 13;

constexpr char kLogOpenError[] = "ERROR,恢复备份数据库时，打开备份文件出错！";
constexpr char kLogHeaderError[] = "ERROR,恢复备份数据库时，读取备份文件头出错！";
constexpr char kLogFormatError[] = "ERROR,恢复备份数据库时，备份文件格式错误！";

std::string Native(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

// The engine's files beside a database file.
constexpr const char* kCompanions[] = {"-wal", "-shm", "-journal"};

// Removes a file of ours and whatever the engine may have left beside it.
void RemoveWithCompanions(const std::string& path) {
    ::unlink(path.c_str());
    for (const char* suffix : kCompanions)
        ::unlink((path + suffix).c_str());
}

// Makes the rename of a file in `folder` durable.
void SyncFolder(const QString& folder) {
    const int fd = ::open(Native(folder).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

bool SyncFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    const int saved = errno;
    ::close(fd);
    errno = saved;
    return ok;
}

// An engine failure as an errno: the system's own when the engine kept one.
int EngineErrno(sqlite3* db) {
    const int e = db ? sqlite3_system_errno(db) : 0;
    return e ? e : EIO;
}

// A new, empty file only we can read, made where nothing may stand in the way
// (a stale file or a link of that name is removed first).
int CreatePrivateFile(const std::string& path) {
    RemoveWithCompanions(path);
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
}

// A database file of ours, opened for its check. The file is ours, so the
// check may rewrite it: it leaves WAL (a copy is a single file) first.
sqlite3* OpenCopy(const std::string& path) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        sqlite3_close_v2(db);
        return nullptr;
    }
    // Indexes of the contact list use the program's collation.
    sqlite3_create_collation_v2(db, "pinyin", SQLITE_UTF8, nullptr, PinyinCompare, nullptr);
    return db;
}

// True when quick_check answers a single "ok". The journal mode is made
// DELETE first, so the checked file is complete on its own.
bool CheckCopy(sqlite3* db) {
    sqlite3_exec(db, "PRAGMA journal_mode=DELETE", nullptr, nullptr, nullptr);
    // A sound file answers one row "ok"; a damaged one lists its problems.
    std::string first;
    return ProbeStep(db, "PRAGMA quick_check", first) == SQLITE_ROW && first == "ok";
}

// Copies the pages of `src` into `dst` in steps. Status Ok when all arrived.
DbCopyResult BackupPages(sqlite3* src, sqlite3* dst, const DbCopyProgress& progress) {
    sqlite3_backup* backup = sqlite3_backup_init(dst, "main", src, "main");
    if (!backup)
        return {DbCopyStatus::TargetFailed, EngineErrno(dst)};
    DbCopyStatus status = DbCopyStatus::Ok;
    int failure = SQLITE_OK;
    int busyWaits = 0;
    for (;;) {
        const int rc = sqlite3_backup_step(backup, kPagesPerStep);
        if (rc == SQLITE_OK || rc == SQLITE_DONE) {
            busyWaits = 0;
            const int total = sqlite3_backup_pagecount(backup);
            if (progress && !progress(total - sqlite3_backup_remaining(backup), total)) {
                status = DbCopyStatus::Aborted;
                break;
            }
            if (rc == SQLITE_DONE)
                break;
        } else if ((rc == SQLITE_BUSY || rc == SQLITE_LOCKED) && ++busyWaits <= kMaxBusyWaits) {
            sqlite3_sleep(kBusyWaitMs);
        } else {
            failure = rc;
            break;
        }
    }
    // The source is only read: a full disk, a read-only or unopenable file,
    // an I/O error are the copy's side; damage or lasting locks the source's.
    const int systemError = sqlite3_system_errno(dst);
    sqlite3_backup_finish(backup);
    switch (failure & 0xFF) {
    case SQLITE_OK:
        return {status, status == DbCopyStatus::Ok ? 0 : ECANCELED};
    case SQLITE_FULL:
    case SQLITE_READONLY:
    case SQLITE_CANTOPEN:
    case SQLITE_IOERR:
        return {DbCopyStatus::TargetFailed, systemError ? systemError : EIO};
    default:
        return {DbCopyStatus::SourceFailed, EngineErrno(src)};
    }
}

// Gives the finished copy its name; without `replace` an existing file of
// that name stays and the result is EEXIST.
int Publish(const std::string& tmp, const std::string& target, bool replace) {
    if (replace)
        return ::rename(tmp.c_str(), target.c_str()) == 0 ? 0 : errno;
    if (::renameat2(AT_FDCWD, tmp.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    // A file system without the flag: link() never replaces either.
    if (::link(tmp.c_str(), target.c_str()) != 0)
        return errno;
    ::unlink(tmp.c_str());
    return 0;
}

const char* StatusName(DbCopyStatus status) {
    switch (status) {
    case DbCopyStatus::Ok:
        return "ok";
    case DbCopyStatus::SourceFailed:
        return "source";
    case DbCopyStatus::TargetFailed:
        return "target";
    case DbCopyStatus::Aborted:
        return "aborted";
    case DbCopyStatus::CheckFailed:
        return "quick_check";
    case DbCopyStatus::PublishFailed:
        return "rename";
    }
    return "?";
}

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool IsFileOf(const QString& path, const QString& database) {
    const QFileInfo info(path);
    const QFileInfo live(database);
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    const bool sameFolder = !folder.isEmpty() && folder == QFileInfo(live.absolutePath()).canonicalFilePath();
    struct stat st {};
    const bool exists = ::stat(Native(path).c_str(), &st) == 0;
    for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
        const QString name = live.fileName() + QLatin1String(suffix);
        if (sameFolder && info.fileName() == name)
            return true;
        struct stat other {};
        if (exists && ::stat(Native(live.absolutePath() + QLatin1Char('/') + name).c_str(), &other) == 0 &&
            SameFile(st, other))
            return true;
    }
    return false;
}

// Reads up to n bytes, retrying after interruptions; the count read, or -1.
ssize_t ReadFull(int fd, char* buffer, size_t n) {
    size_t got = 0;
    while (got < n) {
        const ssize_t r = ::read(fd, buffer + got, n - got);
        if (r < 0 && errno == EINTR)
            continue;
        if (r < 0)
            return -1;
        if (r == 0)
            break;
        got += static_cast<size_t>(r);
    }
    return static_cast<ssize_t>(got);
}

bool CopyFd(int in, int out) {
    std::string buffer(1 << 20, '\0');
    for (;;) {
        const ssize_t r = ReadFull(in, buffer.data(), buffer.size());
        if (r < 0)
            return false;
        if (r == 0)
            return true;
        if (!WriteAll(out, buffer.data(), static_cast<size_t>(r)))
            return false;
    }
}

QString RestoreTempPath() {
    return SystemDatabasePath() + QStringLiteral(".tmp");
}

void LogRestoreFailure(const char* step, int error) {
    LogWrite(g_logRun, std::string("ERROR,RestoreDatabase,") + step + "," + std::strerror(error));
}

} // namespace

DbCopyResult CopyDatabaseFile(const QString& source, const QString& target, bool replace,
                              const DbCopyProgress& progress) {
    const std::string nativeSource = Native(source);
    const std::string nativeTarget = Native(target);
    struct stat st {};
    if (!replace && ::lstat(nativeTarget.c_str(), &st) == 0)
        return {DbCopyStatus::PublishFailed, EEXIST}; // no need to copy what cannot be kept
    // OpenConnection would make a missing database; a copy of nothing is a failure.
    if (::stat(nativeSource.c_str(), &st) != 0)
        return {DbCopyStatus::SourceFailed, errno};
    if (!S_ISREG(st.st_mode))
        return {DbCopyStatus::SourceFailed, EINVAL};

    const QString tmpPath = target + QStringLiteral(".tmp");
    const std::string tmp = Native(tmpPath);
    const int fd = CreatePrivateFile(tmp);
    if (fd < 0)
        return {DbCopyStatus::TargetFailed, errno};
    ::close(fd);

    DbCopyResult result;
    sqlite3* src = OpenConnection(source);
    sqlite3* dst = nullptr;
    if (!src) {
        result = {DbCopyStatus::SourceFailed, EIO};
    } else if (sqlite3_open_v2(UnicodeToUtf8(tmpPath).c_str(), &dst, SQLITE_OPEN_READWRITE, nullptr) !=
               SQLITE_OK) {
        result = {DbCopyStatus::TargetFailed, EngineErrno(dst)};
    } else {
        // The copy is synced once at the end; until then it is only a temporary file.
        sqlite3_exec(dst, "PRAGMA journal_mode=DELETE", nullptr, nullptr, nullptr);
        sqlite3_exec(dst, "PRAGMA synchronous=OFF", nullptr, nullptr, nullptr);
        result = BackupPages(src, dst, progress);
    }
    CloseConnection(src);
    if (result.ok()) {
        sqlite3_create_collation_v2(dst, "pinyin", SQLITE_UTF8, nullptr, PinyinCompare, nullptr);
        if (!CheckCopy(dst))
            result = {DbCopyStatus::CheckFailed, EIO};
    }
    if (dst && sqlite3_close(dst) != SQLITE_OK) {
        sqlite3_close_v2(dst);
        if (result.ok())
            result = {DbCopyStatus::TargetFailed, EIO};
    }
    for (const char* suffix : kCompanions)
        ::unlink((tmp + suffix).c_str());
    if (result.ok() && !SyncFile(tmp))
        result = {DbCopyStatus::TargetFailed, errno};
    if (result.ok()) {
        if (const int e = Publish(tmp, nativeTarget, replace))
            result = {DbCopyStatus::PublishFailed, e};
    }
    if (!result.ok()) {
        ::unlink(tmp.c_str());
        return result;
    }
    SyncFolder(QFileInfo(target).absolutePath());
    return result;
}

bool IsLiveDatabaseFile(const QString& path) {
    return IsFileOf(path, SystemDatabasePath()) || IsFileOf(path, CustomerDatabasePath());
}

int BackupDatabaseTo(const QString& target, const DbCopyProgress& progress) {
    if (target.isEmpty() || IsLiveDatabaseFile(target)) {
        LogWrite(g_logRun, "ERROR,BackupDatabase,the target is the database itself," + LogEscape(target));
        return 355;
    }
    const DbCopyResult r = CopyDatabaseFile(SystemDatabasePath(), target, true, progress);
    if (!r.ok()) {
        LogWrite(g_logRun, std::string("ERROR,BackupDatabase,") + StatusName(r.status) + "," +
                               std::strerror(r.error) + "," + LogEscape(target));
        return 355;
    }
    return 354;
}

int PrepareRestore(const QString& candidate) {
    const int in = ::open(Native(candidate).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat st {};
    // Only a regular file: a FIFO or a device would hang or never end.
    if (in < 0 || ::fstat(in, &st) != 0 || !S_ISREG(st.st_mode) || IsLiveDatabaseFile(candidate)) {
        if (in >= 0)
            ::close(in);
        LogWrite(g_logRun, kLogOpenError);
        return 357;
    }
    char head[kMarkerLength];
    if (ReadFull(in, head, kMarkerLength) != static_cast<ssize_t>(kMarkerLength)) {
        ::close(in);
        LogWrite(g_logRun, kLogHeaderError);
        return 358;
    }
    if (std::memcmp(head, kPlainMarker, kMarkerLength) != 0) {
        ::close(in);
        LogWrite(g_logRun, kLogFormatError);
        return 359;
    }

    // The check runs on a copy of ours: the chosen file is only read, and what
    // was checked is what will be put in place.
    const std::string tmp = Native(RestoreTempPath());
    const int out = CreatePrivateFile(tmp);
    bool ok = out >= 0 && ::lseek(in, 0, SEEK_SET) == 0 && CopyFd(in, out);
    int error = errno;
    if (out >= 0 && ::close(out) != 0 && ok) {
        ok = false;
        error = errno;
    }
    ::close(in);
    if (!ok) {
        ::unlink(tmp.c_str());
        LogRestoreFailure("copy", error);
        return kRestoreFailed;
    }

    sqlite3* db = OpenCopy(UnicodeToUtf8(RestoreTempPath()));
    const bool sound = db && CheckCopy(db);
    if (db && sqlite3_close(db) != SQLITE_OK)
        sqlite3_close_v2(db);
    for (const char* suffix : kCompanions)
        ::unlink((tmp + suffix).c_str());
    if (!sound) {
        ::unlink(tmp.c_str());
        LogWrite(g_logRun, kLogFormatError);
        return 359;
    }
    if (!SyncFile(tmp)) {
        error = errno;
        ::unlink(tmp.c_str());
        LogRestoreFailure("fsync", error);
        return kRestoreFailed;
    }
    return 0;
}

int FinishRestore(const std::function<void()>& stopWorkers) {
    const QString database = SystemDatabasePath();
    const std::string nativeDatabase = Native(database);
    const std::string tmp = Native(RestoreTempPath());
    if (stopWorkers)
        stopWorkers();

    // With every worker joined nobody reads the old file any more; a checkpoint
    // that still finds a reader means somebody does, and the file stays.
    if (g_pDB) {
        sqlite3_busy_timeout(g_pDB, kCheckpointTimeoutMs);
        const int rc =
            sqlite3_wal_checkpoint_v2(g_pDB, nullptr, SQLITE_CHECKPOINT_TRUNCATE, nullptr, nullptr);
        sqlite3_busy_timeout(g_pDB, kBusyTimeoutMs);
        if (rc != SQLITE_OK) {
            LogWrite(g_logRun, std::string("ERROR,RestoreDatabase,checkpoint,") + sqlite3_errstr(rc));
            ::unlink(tmp.c_str());
            return kRestoreFailed;
        }
    }
    if (g_pCustomerDB)
        sqlite3_wal_checkpoint_v2(g_pCustomerDB, nullptr, SQLITE_CHECKPOINT_TRUNCATE, nullptr, nullptr);
    CloseDatabase();

    // Once the connections are closed, a failed step puts the old file back in use.
    auto reopen = [&](const char* step, int error) {
        LogRestoreFailure(step, error);
        ::unlink(tmp.c_str());
        const int rc = OpenDatabase();
        if (rc != 0)
            LogWrite(g_logRun, "ERROR,RestoreDatabase,reopen," + std::to_string(rc));
        return kRestoreFailed;
    };
    // A -wal left beside the new file would be replayed into it.
    for (const char* suffix : {"-wal", "-shm"}) {
        if (::unlink((nativeDatabase + suffix).c_str()) != 0 && errno != ENOENT)
            return reopen("unlink", errno);
    }
    if (::rename(tmp.c_str(), nativeDatabase.c_str()) != 0)
        return reopen("rename", errno);
    SyncFolder(QFileInfo(database).absolutePath());
    return 360;
}

int RestoreDatabaseFile(const QString& candidate, const std::function<void()>& stopWorkers) {
    const int rc = PrepareRestore(candidate);
    return rc == 0 ? FinishRestore(stopWorkers) : rc;
}

namespace {

// Deletes all but the newest daily copies. Names are dates, so the newest
// come first in descending order; names compare without regard to case.
void ExpireDailyCopies(const QString& folder) {
    QStringList names;
    const QFileInfoList entries =
        QDir(folder).entryInfoList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    for (const QFileInfo& entry : entries)
        if (entry.fileName().endsWith(QLatin1String(".db3"), Qt::CaseInsensitive))
            names << entry.fileName();
    std::stable_sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        return a.compare(b, Qt::CaseInsensitive) > 0;
    });
    for (qsizetype i = kDailyCopiesKept; i < names.size(); ++i) {
        const QString path = folder + QLatin1Char('/') + names[i];
        ::unlink(Native(path).c_str());
        LogWrite(g_logRun, "删除过期的自动备份文件" + LogEscape(path));
    }
}

} // namespace

void AutoBackupDatabase() {
    // The idle handler and the cloud copy may both ask for it.
    static std::mutex running;
    std::lock_guard<std::mutex> lock(running);

    const QString folder = AppPath(QStringLiteral("DbBak"));
    // The copies hold what the database holds: the folder is the user's alone.
    if (!QFileInfo::exists(folder) && CreateDirectoryTree(folder))
        ::chmod(Native(folder).c_str(), 0700);
    const QString target = folder + QLatin1Char('/') +
                           QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")) +
                           QStringLiteral(".db3");
    const DbCopyResult r = CopyDatabaseFile(SystemDatabasePath(), target, false);
    if (r.ok()) {
        LogWrite(g_logRun, "自动备份DB成功。" + LogEscape(target));
    } else {
        char line[160];
        std::snprintf(line, sizeof line, "自动备份DB失败,可能是今天已经备份过（文件已经存在），ERROR=%u。",
                      static_cast<unsigned>(r.error));
        LogWrite(g_logRun, line + LogEscape(target));
    }
    ExpireDailyCopies(folder);
}
