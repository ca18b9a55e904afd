#include "core/sql.h"

#include "core/convert.h"
#include "core/log.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <mutex>

namespace {

void LogFailedStatement(int code, const char* message, std::string_view sql) {
    std::string line = "ERROR, ErrCode =" + std::to_string(code) + ",SQL error info=" + (message ? message : "") +
                       ",SQL=\u2193";
    LogWrite(g_logRun, line);
    LogWrite(g_logRun, sql);
}

struct CallbackFrame {
    SqlRowCallback callback;
    void* context;
    const SqlRowFunction* function;
    bool stopped = false;
};

int Trampoline(void* p, int columns, char** values, char** names) {
    auto* frame = static_cast<CallbackFrame*>(p);
    int rc = frame->function ? ((*frame->function)(columns, values, names) ? 0 : 1)
                             : frame->callback(frame->context, columns, values, names);
    if (rc != 0)
        frame->stopped = true;
    return rc;
}

int Exec(std::string* errorOut, sqlite3* db, std::string_view sql, CallbackFrame* frame) {
    if (!db)
        return SQLITE_ERROR;
    const std::string text(sql);
    char* message = nullptr;
    int rc = sqlite3_exec(db, text.c_str(), frame ? Trampoline : nullptr, frame, &message);
    // A row callback that has what it needs stops the query; that is no failure.
    if (rc == SQLITE_ABORT && frame && frame->stopped)
        rc = SQLITE_INTERRUPT;
    if (rc != SQLITE_OK && rc != SQLITE_INTERRUPT) {
        const char* msg = message ? message : sqlite3_errmsg(db);
        if (errorOut)
            *errorOut = msg ? msg : "";
        LogFailedStatement(rc, msg, text);
    }
    sqlite3_free(message);
    return rc;
}

bool IsIdentifier(std::string_view s) {
    if (s.empty() || !(std::isalpha(static_cast<unsigned char>(s[0])) || s[0] == '_'))
        return false;
    for (char c : s)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '_'))
            return false;
    return true;
}

std::string Lower(std::string_view s) {
    std::string out(s);
    for (auto& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

} // namespace

int ExecSql(std::string* errorOut, sqlite3* db, std::string_view sql, SqlRowCallback callback, void* context) {
    if (!callback)
        return Exec(errorOut, db, sql, nullptr);
    CallbackFrame frame{callback, context, nullptr};
    return Exec(errorOut, db, sql, &frame);
}

int ExecSql(std::string* errorOut, sqlite3* db, std::string_view sql, const SqlRowFunction& row) {
    if (!row)
        return Exec(errorOut, db, sql, nullptr);
    CallbackFrame frame{nullptr, nullptr, &row};
    return Exec(errorOut, db, sql, &frame);
}

void LogSqlError(const std::string& message, int code, std::string_view text) {
    if (code == 0)
        return;
    std::string line = "SQL ERROR:" + message + ",MY ERROR:";
    line.append(text);
    LogWrite(g_logRun, line);
}

void LogSqlError(const std::string& message, int code, const QString& text) {
    LogSqlError(message, code, std::string_view(UnicodeToUtf8(text)));
}

std::string SqlEscape(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size() + 2);
    for (char c : utf8) {
        out.push_back(c);
        if (c == '\'')
            out.push_back('\'');
    }
    return out;
}

std::string SqlEscape(const QString& text) { return SqlEscape(std::string_view(UnicodeToUtf8(text))); }

std::string SqlQuote(std::string_view utf8) { return "'" + SqlEscape(utf8) + "'"; }

std::string SqlQuote(const QString& text) { return "'" + SqlEscape(text) + "'"; }

std::string SqlErrorText(sqlite3* db) {
    return db ? std::string(sqlite3_errmsg(db)) : std::string("no database");
}

std::string DayRangeCondition(std::string_view column, const QDate& from, const QDate& to) {
    const std::string name(column);
    std::string condition;
    if (from.isValid())
        condition += " AND " + name + ">" + SqlQuote(from.toString(QStringLiteral("yyyy-MM-dd")));
    if (to.isValid()) {
        const QString day = to.toString(QStringLiteral("yyyy-MM-dd"));
        condition += " AND (" + name + "<" + SqlQuote(day) + " OR " + name + " like " +
                     SqlQuote(day + QLatin1Char('%')) + ")";
    }
    return condition;
}

std::string SqlParameterList(size_t count) {
    std::string list;
    list.reserve(count * 2);
    for (size_t i = 0; i < count; ++i)
        list += i ? ",?" : "?";
    return list;
}

bool IsTableColumn(sqlite3* db, std::string_view table, std::string_view column) {
    if (!db)
        return false;
    SqlStatement st(db, "SELECT 1 FROM pragma_table_info(?1) WHERE name = ?2 COLLATE NOCASE");
    st.bind(1, table).bind(2, column);
    return st.step() == SQLITE_ROW;
}

// ---------------------------------------------------------------- statement

SqlStatement::SqlStatement(sqlite3* db, std::string_view sql) : m_db(db), m_sql(sql) {
    if (!db) {
        m_prepareResult = SQLITE_ERROR;
        return;
    }
    m_prepareResult = sqlite3_prepare_v2(db, m_sql.c_str(), static_cast<int>(m_sql.size()), &m_stmt, nullptr);
    if (m_prepareResult != SQLITE_OK) {
        logFailure(m_prepareResult);
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
    }
}

SqlStatement::~SqlStatement() { sqlite3_finalize(m_stmt); }

void SqlStatement::logFailure(int code) { LogFailedStatement(code, sqlite3_errmsg(m_db), m_sql); }

SqlStatement& SqlStatement::bind(int index, std::string_view utf8) {
    if (m_stmt)
        sqlite3_bind_text(m_stmt, index, utf8.data(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
    return *this;
}

SqlStatement& SqlStatement::bind(int index, const QString& text) {
    return bind(index, std::string_view(UnicodeToUtf8(text)));
}

SqlStatement& SqlStatement::bind(int index, int64_t value) {
    if (m_stmt)
        sqlite3_bind_int64(m_stmt, index, value);
    return *this;
}

SqlStatement& SqlStatement::bind(int index, double value) {
    if (m_stmt)
        sqlite3_bind_double(m_stmt, index, value);
    return *this;
}

SqlStatement& SqlStatement::bindNull(int index) {
    if (m_stmt)
        sqlite3_bind_null(m_stmt, index);
    return *this;
}

int SqlStatement::step() {
    if (!m_stmt)
        return m_prepareResult == SQLITE_OK ? SQLITE_MISUSE : m_prepareResult;
    int rc = sqlite3_step(m_stmt);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
        logFailure(rc);
        sqlite3_reset(m_stmt);
    }
    return rc;
}

int SqlStatement::exec() {
    int rc;
    while ((rc = step()) == SQLITE_ROW) {
    }
    if (m_stmt)
        sqlite3_reset(m_stmt);
    return rc == SQLITE_DONE ? SQLITE_OK : rc;
}

void SqlStatement::reset() {
    if (m_stmt)
        sqlite3_reset(m_stmt);
}

int SqlStatement::columnCount() const { return m_stmt ? sqlite3_column_count(m_stmt) : 0; }

bool SqlStatement::isNull(int column) const {
    return !m_stmt || sqlite3_column_type(m_stmt, column) == SQLITE_NULL;
}

int64_t SqlStatement::int64(int column) const { return m_stmt ? sqlite3_column_int64(m_stmt, column) : 0; }

double SqlStatement::real(int column) const { return m_stmt ? sqlite3_column_double(m_stmt, column) : 0.0; }

std::string SqlStatement::text(int column) const {
    if (!m_stmt)
        return {};
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
    return p ? std::string(p, static_cast<size_t>(sqlite3_column_bytes(m_stmt, column))) : std::string();
}

QString SqlStatement::qtext(int column) const {
    if (!m_stmt)
        return {};
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
    return p ? QString::fromUtf8(p, sqlite3_column_bytes(m_stmt, column)) : QString();
}

// -------------------------------------------------------------- transaction

SqlTransaction::SqlTransaction(sqlite3* db) : m_db(db) {
    m_beginResult = ExecSql(nullptr, db, "BEGIN IMMEDIATE");
    m_active = m_beginResult == SQLITE_OK;
}

SqlTransaction::~SqlTransaction() { rollback(); }

int SqlTransaction::commit() {
    if (!m_active)
        return m_beginResult == SQLITE_OK ? SQLITE_MISUSE : m_beginResult;
    int rc = ExecSql(nullptr, m_db, "COMMIT");
    if (rc == SQLITE_OK)
        m_active = false;
    return rc;
}

void SqlTransaction::rollback() {
    if (!m_active)
        return;
    m_active = false;
    if (!sqlite3_get_autocommit(m_db))
        ExecSql(nullptr, m_db, "ROLLBACK");
}

// ---------------------------------------------------------------------- ids

int64_t AllocateId(sqlite3* db, std::string_view table, std::string_view column, int64_t count) {
    if (Lower(table) == "sendinfo" && Lower(column) == "sendid")
        return AllocateId(db, table, column, count, {IdColumn("sendNums", "sendID")});
    return AllocateId(db, table, column, count, {});
}

int64_t AllocateId(sqlite3* db, std::string_view table, std::string_view column, int64_t count,
                   const std::vector<IdColumn>& alsoAbove) {
    static std::mutex mutex;
    static std::map<std::string, int64_t> reserved;  // last id handed out, per file, table and column
    if (!db || count < 1 || !IsIdentifier(table) || !IsIdentifier(column))
        return 0;
    for (const auto& [otherTable, otherColumn] : alsoAbove)
        if (!IsIdentifier(otherTable) || !IsIdentifier(otherColumn))
            return 0;
    const char* file = sqlite3_db_filename(db, "main");
    std::string key = (file && *file) ? std::string(file) : "mem:" + std::to_string(reinterpret_cast<uintptr_t>(db));
    key += "|" + Lower(table) + "|" + Lower(column);

    const auto largest = [db](std::string_view t, std::string_view c, int64_t* value) {
        SqlStatement st(db, "SELECT MAX([" + std::string(c) + "]) FROM [" + std::string(t) + "]");
        if (st.step() != SQLITE_ROW)
            return false;
        *value = st.int64(0);  // NULL (empty table) reads as 0
        return true;
    };

    std::lock_guard lock(mutex);
    int64_t top = 0;
    if (!largest(table, column, &top))
        return 0;
    for (const auto& [otherTable, otherColumn] : alsoAbove) {
        int64_t other = 0;
        if (!largest(otherTable, otherColumn, &other))
            return 0;
        top = std::max(top, other);
    }
    int64_t next = top + 1;
    auto it = reserved.find(key);
    if (it != reserved.end() && it->second >= next)
        next = it->second + 1;
    reserved[key] = next + count - 1;
    return next;
}
