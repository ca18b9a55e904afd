#pragma once
// Statements whose text comes from outside the program's own code: a saved
// condition in a settings file, the advanced query's condition. They may
// read, never write, and must be one statement: a hand-edited value such as
// "1=1; DELETE FROM t" may not run a second one.
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

// True when `sql` prepares as exactly one statement that only reads, with
// nothing but blanks (or a ";" and blanks) after it. Nothing is run. On
// false, `why` (when given) says what was wrong, for the run log.
bool IsSingleReadOnlyStatement(sqlite3* db, std::string_view sql, std::string* why = nullptr);

// The same check, keeping the prepared statement for the caller to step and
// finalize; null on false. `prepareResult` (when given) gets the engine's
// code when the text did not prepare at all, SQLITE_OK otherwise.
sqlite3_stmt* PrepareSingleReadOnly(sqlite3* db, std::string_view sql, std::string* why = nullptr,
                                    int* prepareResult = nullptr);
