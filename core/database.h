#pragma once
// The program's database files: DB/SystemData.db3 (every table but one) and,
// for customised installations, DB/CustomerData.db3 (CountmsgRecord).
#include <QString>

#include <string>
#include <sqlite3.h>

// The GUI thread's connection to DB/SystemData.db3; null while closed.
extern sqlite3* g_pDB;
// The GUI thread's connection to DB/CustomerData.db3; open only when customised.
extern sqlite3* g_pCustomerDB;
// Customize of [System] in OEM/OemInfo.ini, read when the database opens.
extern int g_nCustomize;

QString SystemDatabasePath();    // <program folder>/DB/SystemData.db3
QString CustomerDatabasePath();  // <program folder>/DB/CustomerData.db3

// A connection for the calling thread: the "pinyin" collation registered,
// WAL journal, busy time-out. Each thread that touches a database opens its
// own. Null (logged) when the file cannot be opened.
sqlite3* OpenConnection(const QString& path);
void CloseConnection(sqlite3* db);

// 0 when DB/SystemData.db3 is open and migrated. Otherwise nothing is open
// and the file is left as it was: kDatabaseNotOpened when it could not be
// opened, kDatabaseDamaged when it is not a database or its pages are damaged,
// kDatabaseUnwritable when its folder is read-only or the disk is full. With
// `checkPages` the whole file is checked first (PRAGMA quick_check), as after
// a run that did not end cleanly.
inline constexpr int kDatabaseNotOpened = -1;
inline constexpr int kDatabaseDamaged = -2;
inline constexpr int kDatabaseUnwritable = -3;
int OpenDatabase(bool checkPages = false);
// The message for the user that says why OpenDatabase failed, naming the file.
QString DatabaseFailureText(int code);
void CloseDatabase();

// Runs `sql` and keeps the first column of its first row; the engine's
// result of the first step (SQLITE_ROW when a row came). No log line.
int ProbeStep(sqlite3* db, const char* sql, std::string& firstColumn);

// 0 when the file is now plain, -1 cannot be opened, -2 header unreadable,
// -3 neither marker. The scrambled form is rewritten through a temporary file.
int UnscrambleDatabaseFile(const QString& path);

// Gives the owner write permission on the program's own files again.
void ResetFileAttributes();

// The "pinyin" collation: code page 936 byte order of UTF-8 texts.
int PinyinCompare(void* context, int length1, const void* text1, int length2, const void* text2);

// Bit of PRAGMA user_version: the once-only display-order rewrite has run.
constexpr int kUserVersionDisplayIndexRewritten = 0x1;
