#pragma once
// Copies of the database: the manual backup to a file the user chose, the
// restore from such a file, and the daily copy into "DbBak" (newest five
// kept). Plain logic without windows: results are codes and string ids, and
// everything but the restore's last step may run on a worker thread.
#include <QString>

#include <functional>

// Called after every step of a copy with the pages copied so far and the
// pages of the database; false stops the copy.
using DbCopyProgress = std::function<bool(int copied, int total)>;

enum class DbCopyStatus {
    Ok,
    SourceFailed,  // the database could not be opened or read
    TargetFailed,  // the temporary file could not be made or written
    Aborted,       // the progress callback said stop
    CheckFailed,   // the copy did not pass its quick_check
    PublishFailed, // the finished copy could not take the target's name
};

struct DbCopyResult {
    DbCopyStatus status = DbCopyStatus::Ok;
    // errno of the system call that failed (EEXIST when a copy that must not
    // replace found the target there); EIO for an engine failure.
    int error = 0;
    bool ok() const { return status == DbCopyStatus::Ok; }
};

// Copies the database at `source` while it stays open and in use (online
// backup from a connection of its own, in steps) into "<target>.tmp",
// checks the copy with quick_check, syncs it and renames it to `target`.
// With `replace` false an existing target is never replaced. On any failure
// the temporary file is removed and an existing target is left as it was.
DbCopyResult CopyDatabaseFile(const QString& source, const QString& target, bool replace,
                              const DbCopyProgress& progress = {});

// True when `path` names the live database file or one of its companion
// files (-wal, -shm, -journal), also through another name of the same file.
bool IsLiveDatabaseFile(const QString& path);

// The manual backup of DB/SystemData.db3 to `target`, replacing an existing
// file only with a complete, checked copy; the live database itself is
// refused. 354 on success, else 355 (the string ids of the outcome).
int BackupDatabaseTo(const QString& target, const DbCopyProgress& progress = {});

// The restore's outcome apart from the string ids 357, 358, 359 and 360.
inline constexpr int kRestoreFailed = -1;

// Checks a file chosen for a restore and copies it to "DB/SystemData.db3.tmp"
// (synced). 0 when it is ready; 357 (cannot be opened, or the live database
// itself), 358 (shorter than the header) or 359 (no SQLite header, or the
// copy fails its quick_check), each with its run-log line; kRestoreFailed
// when the copy could not be written. The open database is not touched, so
// this may run on a worker.
int PrepareRestore(const QString& candidate);

// Puts the prepared copy in place of the database: `stopWorkers` (the
// caller's: it joins every thread that may use the database), a checkpoint,
// every connection closed, "-wal" and "-shm" removed, the copy renamed over
// the database. 360 on success: the database stays closed and the program
// is to end. kRestoreFailed otherwise: the old database is open again.
// GUI thread only (it closes g_pDB).
int FinishRestore(const std::function<void()>& stopWorkers);

// PrepareRestore, then FinishRestore when the candidate was accepted.
int RestoreDatabaseFile(const QString& candidate, const std::function<void()>& stopWorkers);

// The daily copy "DbBak/<yyyy-mm-dd>.db3", made only when that file does not
// exist yet, then the expiry of all but the five newest copies. Logged to the
// run log; callable from any thread.
void AutoBackupDatabase();
