#include "core/sql_guard.h"

#include <sqlite3.h>

sqlite3_stmt* PrepareSingleReadOnly(sqlite3* db, std::string_view sql, std::string* why, int* prepareResult) {
    if (prepareResult)
        *prepareResult = SQLITE_OK;
    auto fail = [why](std::string text) -> sqlite3_stmt* {
        if (why)
            *why = std::move(text);
        return nullptr;
    };
    if (!db)
        return fail("no connection");
    sqlite3_stmt* stmt = nullptr;
    const char* tail = nullptr;
    const int rc = sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &stmt, &tail);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(stmt);
        if (prepareResult)
            *prepareResult = rc;
        return fail(sqlite3_errmsg(db));
    }
    if (!stmt)
        return fail("no statement");
    if (!sqlite3_stmt_readonly(stmt)) {
        sqlite3_finalize(stmt);
        return fail("not a read-only statement");
    }
    // What follows may hold blanks, comments and semicolons, nothing that
    // prepares as a statement of its own.
    const char* end = sql.data() + sql.size();
    const char* rest = tail ? tail : end;
    while (rest < end) {
        sqlite3_stmt* next = nullptr;
        const char* after = nullptr;
        const int more = sqlite3_prepare_v2(db, rest, static_cast<int>(end - rest), &next, &after);
        sqlite3_finalize(next);
        if (more != SQLITE_OK || next) {
            sqlite3_finalize(stmt);
            return fail("text after the statement");
        }
        if (!after || after <= rest)
            break;
        rest = after;
    }
    return stmt;
}

bool IsSingleReadOnlyStatement(sqlite3* db, std::string_view sql, std::string* why) {
    sqlite3_stmt* stmt = PrepareSingleReadOnly(db, sql, why);
    sqlite3_finalize(stmt);
    return stmt != nullptr;
}
