#pragma once
// All SQL goes through here: ExecSql with its failure lines in the run log,
// one quoting helper, a prepared statement with bound values, a transaction
// guard, and ids handed out as "largest plus one" without ever repeating.
#include <QDate>
#include <QString>
#include <sqlite3.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

using SqlRowCallback = int (*)(void* context, int columns, char** values, char** names);

// Runs one or more UTF-8 statements. A null connection returns 1 and does
// nothing else. A callback that returns non-zero stops the query: the result
// is then SQLITE_INTERRUPT (9), not logged. Any other failure writes
// "ERROR, ErrCode =%d,SQL error info=%s,SQL=↓" and the statement to the run
// log and, with `errorOut`, hands back the engine's message.
int ExecSql(std::string* errorOut, sqlite3* db, std::string_view sql, SqlRowCallback callback = nullptr,
            void* context = nullptr);
// The same with a callable: return false to stop.
using SqlRowFunction = std::function<bool(int columns, char** values, char** names)>;
int ExecSql(std::string* errorOut, sqlite3* db, std::string_view sql, const SqlRowFunction& row);

// "SQL ERROR:%s,MY ERROR:%s" to the run log when `code` is not 0.
void LogSqlError(const std::string& message, int code, std::string_view text);
void LogSqlError(const std::string& message, int code, const QString& text);
inline void LogSqlError(const std::string& message, int code, const char* text) {
    LogSqlError(message, code, std::string_view(text));
}

// Text for inside single quotes: every ' doubled (sqlite3_mprintf "%q").
std::string SqlEscape(std::string_view utf8);
std::string SqlEscape(const QString& text);
// The whole literal, quotes included ('it''s').
std::string SqlQuote(std::string_view utf8);
std::string SqlQuote(const QString& text);
// The connection's last error message, for the run log ("no database"
// without a connection).
std::string SqlErrorText(sqlite3* db);
// The condition of a list filtered by days on the time column `column`
// ("yyyy-MM-dd hh:mm:ss" text): " AND <column>>'<from>'" when `from` is
// valid, " AND (<column><'<to>' OR <column> like '<to>%')" when `to` is, so
// the last day counts whole.
std::string DayRangeCondition(std::string_view column, const QDate& from, const QDate& to);
// "?,?,...,?" with `count` parameters, for an IN list or a VALUES row.
std::string SqlParameterList(size_t count);

// True when `column` is a column of `table` (names compare case-insensitively).
// Column names that come from data are checked with this before they enter SQL.
bool IsTableColumn(sqlite3* db, std::string_view table, std::string_view column);

// A prepared statement with bound values. A failure to prepare or to step is
// logged like ExecSql's.
class SqlStatement {
public:
    SqlStatement(sqlite3* db, std::string_view sql);
    ~SqlStatement();
    SqlStatement(const SqlStatement&) = delete;
    SqlStatement& operator=(const SqlStatement&) = delete;

    bool ok() const { return m_stmt != nullptr; }
    int prepareResult() const { return m_prepareResult; }

    // Parameters are numbered from 1.
    SqlStatement& bind(int index, std::string_view utf8);
    SqlStatement& bind(int index, const QString& text);
    SqlStatement& bind(int index, const char* utf8) { return bind(index, std::string_view(utf8)); }
    SqlStatement& bind(int index, int64_t value);
    SqlStatement& bind(int index, int value) { return bind(index, static_cast<int64_t>(value)); }
    SqlStatement& bind(int index, double value);
    SqlStatement& bindNull(int index);

    // SQLITE_ROW, SQLITE_DONE or an error (logged).
    int step();
    // Steps to the end; SQLITE_OK when it ran through.
    int exec();
    // Ready for the next set of values; bindings are kept until rebound.
    void reset();

    int columnCount() const;
    bool isNull(int column) const;
    int64_t int64(int column) const;
    double real(int column) const;
    std::string text(int column) const;
    QString qtext(int column) const;

    sqlite3_stmt* handle() const { return m_stmt; }

private:
    void logFailure(int code);
    sqlite3* m_db;
    sqlite3_stmt* m_stmt = nullptr;
    int m_prepareResult = SQLITE_OK;
    std::string m_sql;
};

// BEGIN IMMEDIATE now, COMMIT on commit(), ROLLBACK when dropped uncommitted.
class SqlTransaction {
public:
    explicit SqlTransaction(sqlite3* db);
    ~SqlTransaction();
    SqlTransaction(const SqlTransaction&) = delete;
    SqlTransaction& operator=(const SqlTransaction&) = delete;

    bool active() const { return m_active; }
    int beginResult() const { return m_beginResult; }
    // SQLITE_OK when committed.
    int commit();
    void rollback();

private:
    sqlite3* m_db;
    bool m_active = false;
    int m_beginResult = SQLITE_OK;
};

// New ids are the largest plus one, and this process never hands the same id
// out twice for one column of one database file, even when an earlier id has
// been reserved but not yet written. `count` ids in a row are reserved; the
// first is returned. 0 on a database failure.
// sendInfo.sendID also stays above every sendNums.sendID: number rows left
// without their job must never join a new one.
int64_t AllocateId(sqlite3* db, std::string_view table, std::string_view column, int64_t count = 1);
// The same, and above the largest value of every (table, column) of
// `alsoAbove` too (the ids of the first table and column are still the ones
// that never repeat).
using IdColumn = std::pair<std::string_view, std::string_view>;
int64_t AllocateId(sqlite3* db, std::string_view table, std::string_view column, int64_t count,
                   const std::vector<IdColumn>& alsoAbove);
