#include "core/odbc_reader.h"

#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <cctype>

namespace {

const std::string kEmpty;

std::string Lower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

// One column's value, read in pieces until the driver has no more.
bool ReadValue(SQLHSTMT stmt, SQLUSMALLINT column, std::string& out) {
    out.clear();
    char buffer[8192];
    for (;;) {
        SQLLEN indicator = 0;
        const SQLRETURN rc = SQLGetData(stmt, column, SQL_C_CHAR, buffer, sizeof buffer, &indicator);
        if (rc == SQL_NO_DATA)
            return true;
        if (!SQL_SUCCEEDED(rc))
            return false;
        if (indicator == SQL_NULL_DATA) {
            out.clear();
            return true;
        }
        size_t piece;
        if (rc == SQL_SUCCESS_WITH_INFO &&
            (indicator == SQL_NO_TOTAL || indicator >= static_cast<SQLLEN>(sizeof buffer)))
            piece = sizeof buffer - 1; // truncated: the buffer minus its terminator
        else
            piece = static_cast<size_t>(std::max<SQLLEN>(indicator, 0));
        out.append(buffer, std::min(piece, sizeof buffer - 1));
        if (rc == SQL_SUCCESS)
            return true;
    }
}

// A floating column's text as a person writes the number: no exponent, no
// trailing zeros after the point, no point for a whole number. Drivers give
// "13800138000.0" or "1.38e+10" for a mobile number stored as a double.
void PlainNumber(std::string& text) {
    if (text.empty())
        return;
    if (text.find_first_of("eE") != std::string::npos) {
        bool ok = false;
        const double value = QByteArray::fromStdString(text).toDouble(&ok);
        if (!ok)
            return;
        text = QByteArray::number(value, 'f', 6).toStdString();
    }
    const size_t point = text.find('.');
    if (point == std::string::npos)
        return;
    if (text.find_first_not_of("+-0123456789.") != std::string::npos)
        return;
    size_t end = text.size();
    while (end > point + 1 && text[end - 1] == '0')
        --end;
    if (end == point + 1)
        end = point;
    text.resize(end);
}

bool IsFloatingType(SQLSMALLINT type) {
    return type == SQL_REAL || type == SQL_FLOAT || type == SQL_DOUBLE;
}

} // namespace

const std::string& OdbcRow::value(std::string_view name) const {
    if (!m_names)
        return kEmpty;
    const std::string key = Lower(name);
    for (size_t i = 0; i < m_names->size(); ++i)
        if ((*m_names)[i] == key)
            return at(i);
    return kEmpty;
}

const std::string& OdbcRow::at(size_t index) const {
    return index < m_values.size() ? m_values[index] : kEmpty;
}

bool OdbcRow::hasColumn(std::string_view name) const {
    return m_names && std::find(m_names->begin(), m_names->end(), Lower(name)) != m_names->end();
}

OdbcReader::OdbcReader() = default;

OdbcReader::~OdbcReader() {
    close();
}

void OdbcReader::setError(short handleType, void* handle, const char* what) {
    m_error = QString::fromLatin1(what);
    if (!handle)
        return;
    for (SQLSMALLINT record = 1; record <= 8; ++record) {
        SQLCHAR state[8] = {};
        SQLCHAR text[1024] = {};
        SQLINTEGER native = 0;
        SQLSMALLINT length = 0;
        if (!SQL_SUCCEEDED(
                SQLGetDiagRec(handleType, handle, record, state, &native, text, sizeof text, &length)))
            break;
        m_error += QStringLiteral("\n[%1] %2")
                       .arg(QString::fromLatin1(reinterpret_cast<const char*>(state)),
                            QString::fromUtf8(reinterpret_cast<const char*>(text)).trimmed());
    }
}

bool OdbcReader::open(const QString& connectString) {
    close();
    m_error.clear();
    SQLHENV env = SQL_NULL_HENV;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env))) {
        m_error = QStringLiteral("SQLAllocHandle failed");
        return false;
    }
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLHDBC dbc = SQL_NULL_HDBC;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc))) {
        setError(SQL_HANDLE_ENV, env, "SQLAllocHandle failed");
        SQLFreeHandle(SQL_HANDLE_ENV, env);
        return false;
    }
    SQLSetConnectAttr(dbc, SQL_ATTR_ACCESS_MODE, reinterpret_cast<SQLPOINTER>(SQL_MODE_READ_ONLY), 0);
    QByteArray text = connectString.toUtf8();
    SQLCHAR out[1024];
    SQLSMALLINT outLength = 0;
    const SQLRETURN rc = SQLDriverConnect(dbc, nullptr, reinterpret_cast<SQLCHAR*>(text.data()),
                                          static_cast<SQLSMALLINT>(text.size()), out, sizeof out, &outLength,
                                          SQL_DRIVER_NOPROMPT);
    if (!SQL_SUCCEEDED(rc)) {
        setError(SQL_HANDLE_DBC, dbc, "SQLDriverConnect failed");
        SQLFreeHandle(SQL_HANDLE_DBC, dbc);
        SQLFreeHandle(SQL_HANDLE_ENV, env);
        return false;
    }
    m_env = env;
    m_dbc = dbc;
    return true;
}

void OdbcReader::close() {
    if (m_dbc) {
        SQLDisconnect(static_cast<SQLHDBC>(m_dbc));
        SQLFreeHandle(SQL_HANDLE_DBC, static_cast<SQLHDBC>(m_dbc));
        m_dbc = nullptr;
    }
    if (m_env) {
        SQLFreeHandle(SQL_HANDLE_ENV, static_cast<SQLHENV>(m_env));
        m_env = nullptr;
    }
}

void* OdbcReader::newStatement() {
    m_error.clear();
    if (!m_dbc) {
        m_error = QStringLiteral("not connected");
        return nullptr;
    }
    SQLHSTMT stmt = SQL_NULL_HSTMT;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, static_cast<SQLHDBC>(m_dbc), &stmt))) {
        setError(SQL_HANDLE_DBC, m_dbc, "SQLAllocHandle failed");
        return nullptr;
    }
    return stmt;
}

bool OdbcReader::query(std::string_view sql, const RowFunction& row) {
    const SQLHSTMT stmt = static_cast<SQLHSTMT>(newStatement());
    if (!stmt)
        return false;
    std::string text(sql);
    SQLRETURN rc =
        SQLExecDirect(stmt, reinterpret_cast<SQLCHAR*>(text.data()), static_cast<SQLINTEGER>(text.size()));
    if (!SQL_SUCCEEDED(rc) && rc != SQL_NO_DATA) {
        setError(SQL_HANDLE_STMT, stmt, "SQLExecDirect failed");
        SQLFreeHandle(SQL_HANDLE_STMT, stmt);
        return false;
    }
    SQLSMALLINT columns = 0;
    SQLNumResultCols(stmt, &columns);
    std::vector<std::string> names;
    std::vector<bool> floating;
    for (SQLSMALLINT c = 1; c <= columns; ++c) {
        SQLCHAR name[256] = {};
        SQLSMALLINT length = 0, type = 0, digits = 0, nullable = 0;
        SQLULEN size = 0;
        SQLDescribeCol(stmt, c, name, sizeof name, &length, &type, &size, &digits, &nullable);
        names.push_back(Lower(reinterpret_cast<const char*>(name)));
        floating.push_back(IsFloatingType(type));
    }
    OdbcRow current;
    current.m_names = &names;
    current.m_values.resize(names.size());
    bool ok = true;
    while (columns > 0) {
        rc = SQLFetch(stmt);
        if (rc == SQL_NO_DATA)
            break;
        if (!SQL_SUCCEEDED(rc)) {
            setError(SQL_HANDLE_STMT, stmt, "SQLFetch failed");
            ok = false;
            break;
        }
        for (SQLSMALLINT c = 1; c <= columns; ++c) {
            if (!ReadValue(stmt, static_cast<SQLUSMALLINT>(c), current.m_values[c - 1])) {
                setError(SQL_HANDLE_STMT, stmt, "SQLGetData failed");
                current.m_values[c - 1].clear();
            } else if (floating[c - 1]) {
                PlainNumber(current.m_values[c - 1]);
            }
        }
        if (!row(current))
            break;
    }
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    return ok;
}

bool OdbcReader::scalar(std::string_view sql, std::string& value) {
    value.clear();
    return query(sql, [&](const OdbcRow& row) {
        value = row.at(0);
        return false;
    });
}

bool OdbcReader::tableNames(std::vector<std::string>& names) {
    names.clear();
    const SQLHSTMT stmt = static_cast<SQLHSTMT>(newStatement());
    if (!stmt)
        return false;
    SQLCHAR type[] = "TABLE";
    SQLRETURN rc = SQLTables(stmt, nullptr, 0, nullptr, 0, nullptr, 0, type, SQL_NTS);
    bool ok = SQL_SUCCEEDED(rc);
    while (ok) {
        rc = SQLFetch(stmt);
        if (rc == SQL_NO_DATA)
            break;
        if (!SQL_SUCCEEDED(rc)) {
            ok = false;
            break;
        }
        std::string name;
        ReadValue(stmt, 3, name);
        names.push_back(name);
    }
    if (!ok)
        setError(SQL_HANDLE_STMT, stmt, "SQLTables failed");
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    return ok;
}

bool OdbcReader::columnNames(std::string_view table, std::vector<std::string>& names) {
    names.clear();
    const SQLHSTMT stmt = static_cast<SQLHSTMT>(newStatement());
    if (!stmt)
        return false;
    // A statement that returns no row but describes every column: it works for
    // drivers whose catalog functions are thin, and names a missing table as
    // the driver's own error.
    const std::string sql = "SELECT * FROM " + quoteIdentifier(table) + " WHERE 1=0";
    std::string text = sql;
    const SQLRETURN rc =
        SQLExecDirect(stmt, reinterpret_cast<SQLCHAR*>(text.data()), static_cast<SQLINTEGER>(text.size()));
    bool ok = SQL_SUCCEEDED(rc) || rc == SQL_NO_DATA;
    if (ok) {
        SQLSMALLINT columns = 0;
        SQLNumResultCols(stmt, &columns);
        for (SQLSMALLINT c = 1; c <= columns; ++c) {
            SQLCHAR name[512] = {};
            SQLSMALLINT length = 0, type = 0, digits = 0, nullable = 0;
            SQLULEN size = 0;
            if (!SQL_SUCCEEDED(
                    SQLDescribeCol(stmt, c, name, sizeof name, &length, &type, &size, &digits, &nullable))) {
                ok = false;
                break;
            }
            names.emplace_back(reinterpret_cast<const char*>(name));
        }
    }
    if (!ok)
        setError(SQL_HANDLE_STMT, stmt, "SQLExecDirect failed");
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    return ok;
}

std::string OdbcReader::quoteIdentifier(std::string_view name) {
    std::string quote;
    if (m_dbc) {
        SQLCHAR buffer[8] = {};
        SQLSMALLINT length = 0;
        if (SQL_SUCCEEDED(SQLGetInfo(static_cast<SQLHDBC>(m_dbc), SQL_IDENTIFIER_QUOTE_CHAR, buffer,
                                     sizeof buffer, &length)))
            quote.assign(reinterpret_cast<const char*>(buffer));
    }
    // A blank means the driver cannot quote: the name goes as it stands.
    if (quote.empty() || quote == " ")
        return std::string(name);
    std::string out = quote;
    for (size_t i = 0; i < name.size();) {
        if (name.compare(i, quote.size(), quote) == 0) {
            out += quote + quote;
            i += quote.size();
        } else {
            out += name[i++];
        }
    }
    out += quote;
    return out;
}

namespace {

// Walks SQLDataSources or SQLDrivers; `next` fetches one entry.
template <typename Next> void ListEntries(Next next) {
    SQLHENV env = SQL_NULL_HENV;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env)))
        return;
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    while (next(env, direction))
        direction = SQL_FETCH_NEXT;
    SQLFreeHandle(SQL_HANDLE_ENV, env);
}

} // namespace

std::vector<OdbcSourceName> OdbcDataSources() {
    std::vector<OdbcSourceName> sources;
    ListEntries([&](SQLHENV env, SQLUSMALLINT direction) {
        SQLCHAR name[SQL_MAX_DSN_LENGTH + 1] = {};
        SQLCHAR description[512] = {};
        SQLSMALLINT nameLength = 0, descriptionLength = 0;
        const SQLRETURN rc = SQLDataSources(env, direction, name, sizeof name, &nameLength, description,
                                            sizeof description, &descriptionLength);
        if (!SQL_SUCCEEDED(rc))
            return false;
        sources.push_back({QString::fromUtf8(reinterpret_cast<const char*>(name)),
                           QString::fromUtf8(reinterpret_cast<const char*>(description))});
        return true;
    });
    return sources;
}

std::vector<QString> OdbcDrivers() {
    std::vector<QString> drivers;
    ListEntries([&](SQLHENV env, SQLUSMALLINT direction) {
        SQLCHAR name[512] = {};
        SQLCHAR attributes[2048] = {};
        SQLSMALLINT nameLength = 0, attributesLength = 0;
        const SQLRETURN rc = SQLDrivers(env, direction, name, sizeof name, &nameLength, attributes,
                                        sizeof attributes, &attributesLength);
        if (!SQL_SUCCEEDED(rc))
            return false;
        drivers.push_back(QString::fromUtf8(reinterpret_cast<const char*>(name)));
        return true;
    });
    return drivers;
}

QString OdbcFileConnectString(const QString& driver, const QString& file) {
    // Inside a connection string these would end the value or the braces.
    static const QString kBreaking = QStringLiteral(";{}");
    for (const QChar c : kBreaking)
        if (file.contains(c) || driver.contains(c))
            return {};
    if (driver.isEmpty() || file.isEmpty())
        return {};
    const QString key = driver.contains(QStringLiteral("sqlite"), Qt::CaseInsensitive)
                            ? QStringLiteral("Database")
                            : QStringLiteral("DBQ");
    return QStringLiteral("DRIVER={%1};%2=%3").arg(driver, key, file);
}
