#pragma once
// A stand-in for an older client's database: a SQLite file with the old
// tables and columns, read through the SQLite ODBC driver ("SQLite3") with
// the same queries as the real file. Dates are "YYYY-MM-DD HH:MM:SS" text;
// flags are 0/1 with some rows in the other spellings ("-1", "True").
#include <QString>

#include <string>

// The connect string that makes the converter read the stand-in.
inline constexpr const char kStandInConnect[] = "DRIVER={SQLite3};Database=%1;NoCreat=1";

// Writes the stand-in with its standard rows (described in the .cpp) to
// `path`, then runs `extraSql` on it (to drop a table, add rows, ...).
// Throws on failure.
void WriteOldDatabase(const QString& path, const std::string& extraSql = {});

// Every table of a SQLite file with every row, in one text: equal dumps mean
// equal contents.
std::string DumpDatabase(const QString& path);

// Writes [Deployment] OldDatabaseConnect into the program folder's ServerInfo.ini.
void UseStandInDriver();
