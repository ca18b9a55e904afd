#pragma once
// The address book's copy on the service's FTP server: the tables
// ContactList, ContactGroup and fieldDisplay in a small SQLite database,
// compressed as one zlib stream and stored as "<serial>_<md5>.db" (the
// lower-case MD5 of the compressed file) in "/CLIENT_DB_FTP". The work files
// "TempSyncDB/<serial>.db3" and "<serial>.db3.gz" stay in the program folder
// until the next run.
//
// Both directions run on a worker thread with a connection of their own and
// open no window: what the user is to be told comes back in the result.
#include <QString>
#include <sqlite3.h>

struct CloudCopyResult {
    bool ok = false;
    // A message for the user besides the caller's "同步失败！", empty when
    // there is none: "读取原始数据库出错！", the contact limit, the size
    // limit, "连接到服务器出错！".
    QString message;
};

// The most contacts an upload takes.
inline constexpr qint64 kCloudCopyMaxContacts = 100000;

// Uploads the three tables of `db`, copied in one read transaction, to the
// server. Refused, before any file is written, when the serial number is no
// plain file name or the book holds more than kCloudCopyMaxContacts
// contacts; refused with its message when the copy exceeds 30 MiB or its
// compressed form 3 MiB (a download could never take it back). An earlier
// copy of the same data is replaced.
CloudCopyResult SyncLocal2Remote(sqlite3* db);

// Replaces the three tables of `db` with the newest copy of this serial
// number on the server. The copy must match the digest in its name, inflate
// to at most 30 MiB, pass quick_check and hold the three as tables; only
// then the daily backup runs and one transaction empties each table and
// refills the columns both sides have, keeping the local schema, defaults
// and indexes. Any failure leaves the tables as they were.
CloudCopyResult SyncRemote2Local(sqlite3* db);
