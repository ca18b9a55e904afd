#pragma once
// Reading another database through ODBC: one connection, statements run
// with SQLExecDirect, every value fetched as UTF-8 text. Long values are
// read whole, in pieces; NULL reads as "". Columns are found by name
// without regard to case. Only reads: the connection asks for read-only
// access, which a driver may ignore.
#include <QString>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

class OdbcRow {
public:
    // The value of the column `name` (any case); "" when there is none.
    const std::string& value(std::string_view name) const;
    // The value at `index` (from 0); "" past the end.
    const std::string& at(size_t index) const;
    bool hasColumn(std::string_view name) const;
    size_t size() const { return m_values.size(); }

private:
    friend class OdbcReader;
    const std::vector<std::string>* m_names = nullptr; // lower case
    std::vector<std::string> m_values;
};

class OdbcReader {
public:
    OdbcReader();
    ~OdbcReader();
    OdbcReader(const OdbcReader&) = delete;
    OdbcReader& operator=(const OdbcReader&) = delete;

    // SQLDriverConnect without a prompt. False with lastError() set.
    bool open(const QString& connectString);
    bool isOpen() const { return m_dbc != nullptr; }
    void close();

    // Runs `sql` and hands each row to `row` (return false to stop early).
    // False when the statement cannot run or a fetch fails, with lastError().
    using RowFunction = std::function<bool(const OdbcRow& row)>;
    bool query(std::string_view sql, const RowFunction& row);
    // The first value of the first row; false when the statement fails.
    bool scalar(std::string_view sql, std::string& value);

    // The names of the tables (SQLTables); false when the catalog cannot be
    // read, as for a file that is no database. Only entries of type "TABLE".
    bool tableNames(std::vector<std::string>& names);
    // The column names of `table`, in column order; false with lastError().
    bool columnNames(std::string_view table, std::vector<std::string>& names);
    // `name` as an identifier of this connection's driver: between its quote
    // characters (doubled inside), or as it stands when the driver has none.
    std::string quoteIdentifier(std::string_view name);

    // The driver's diagnostics of the last failure ("[state] text", one per line).
    QString lastError() const { return m_error; }

private:
    // A statement handle on the connection; null (with the error set) when
    // not connected or the driver refuses one.
    void* newStatement();
    void setError(short handleType, void* handle, const char* what);
    void* m_env = nullptr;
    void* m_dbc = nullptr;
    QString m_error;
};

// The data sources (SQLDataSources) and drivers (SQLDrivers) that unixODBC
// knows, by name.
struct OdbcSourceName {
    QString name;
    QString description;
};
std::vector<OdbcSourceName> OdbcDataSources();
std::vector<QString> OdbcDrivers();
// A connection string for `driver` and a database file: "Database=" for
// SQLite drivers, else "DBQ=". Empty when the path cannot stand in one
// (it holds ";", "{" or "}").
QString OdbcFileConnectString(const QString& driver, const QString& file);
