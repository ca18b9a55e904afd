#pragma once
// Statements whose text comes from outside the program's own code: a saved
// condition in a settings file, the advanced query's condition. They may
// read, never write, and must be one statement: a hand-edited value such as
// "1=1; DELETE FROM t" may not run a second one.
#include <string>
#include <string_view>

struct sqlite3;

// True when `sql` prepares as exactly one statement that only reads, with
// nothing but blanks (or a ";" and blanks) after it. Nothing is run. On
// false, `why` (when given) says what was wrong, for the run log.
bool IsSingleReadOnlyStatement(sqlite3* db, std::string_view sql, std::string* why = nullptr);
