#include "core/sql_guard.h"

#include <sqlite3.h>

bool IsSingleReadOnlyStatement(sqlite3* db, std::string_view sql, std::string* why) {
    auto fail = [why](std::string text) {
        if (why)
            *why = std::move(text);
        return false;
    };
    if (!db)
        return fail("no connection");
    sqlite3_stmt* stmt = nullptr;
    const char* tail = nullptr;
    const int rc = sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &stmt, &tail);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(stmt);
        return fail(sqlite3_errmsg(db));
    }
    if (!stmt)
        return fail("no statement");
    const bool readOnly = sqlite3_stmt_readonly(stmt) != 0;
    sqlite3_finalize(stmt);
    if (!readOnly)
        return fail("not a read-only statement");
    // What follows may hold blanks, comments and semicolons, nothing that
    // prepares as a statement of its own.
    const char* end = sql.data() + sql.size();
    const char* rest = tail ? tail : end;
    while (rest < end) {
        sqlite3_stmt* next = nullptr;
        const char* after = nullptr;
        const int more = sqlite3_prepare_v2(db, rest, static_cast<int>(end - rest), &next, &after);
        sqlite3_finalize(next);
        if (more != SQLITE_OK || next)
            return fail("text after the statement");
        if (!after || after <= rest)
            break;
        rest = after;
    }
    return true;
}
