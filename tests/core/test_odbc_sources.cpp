// The outside-database pieces of the contact import through unixODBC, with
// the SQLite driver standing in for the user's database.
#include "core/odbc_reader.h"
#include "tests/support/program_folder.h"

#include <gtest/gtest.h>

#include <QByteArray>

#include <algorithm>
#include <cstdlib>
#include <sqlite3.h>

namespace {

void MakeSource(const QString& path, const char* sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
    char* error = nullptr;
    EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, &error), SQLITE_OK) << (error ? error : "");
    sqlite3_free(error);
    sqlite3_close(db);
}

QString Connect(const QString& path) {
    return QStringLiteral("DRIVER={SQLite3};Database=%1;NoCreat=1").arg(path);
}

} // namespace

TEST(OdbcSources, AwkwardNamesAreQuotedAndNumbersReadPlain) {
    ProgramFolder folder;
    const QString path = folder.file(QStringLiteral("source.db"));
    MakeSource(path,
               "CREATE TABLE \"my \"\"list\"\" \"(\"select\" TEXT, \"mobile num\" REAL, big REAL, part REAL,"
               " n INTEGER);"
               "INSERT INTO \"my \"\"list\"\" \" VALUES('a', 13800138000, 1e20, 2.5, 7);"
               "INSERT INTO \"my \"\"list\"\" \" VALUES(NULL, NULL, -3, 0.125, NULL);");
    OdbcReader reader;
    ASSERT_TRUE(reader.open(Connect(path))) << reader.lastError().toStdString();

    std::vector<std::string> tables;
    ASSERT_TRUE(reader.tableNames(tables));
    EXPECT_EQ(tables, std::vector<std::string>{"my \"list\" "});

    std::vector<std::string> columns;
    ASSERT_TRUE(reader.columnNames(tables[0], columns)) << reader.lastError().toStdString();
    EXPECT_EQ(columns, (std::vector<std::string>{"select", "mobile num", "big", "part", "n"}));
    EXPECT_EQ(reader.quoteIdentifier("my \"list\" "), "\"my \"\"list\"\" \"");

    std::string sql = "SELECT ";
    for (const std::string& c : columns)
        sql += reader.quoteIdentifier(c) + ",";
    sql.back() = ' ';
    sql += "FROM " + reader.quoteIdentifier(tables[0]) + " ORDER BY rowid";
    std::vector<std::vector<std::string>> rows;
    ASSERT_TRUE(reader.query(sql, [&](const OdbcRow& row) {
        std::vector<std::string> values;
        for (size_t i = 0; i < row.size(); ++i)
            values.push_back(row.at(i));
        rows.push_back(values);
        return true;
    })) << reader.lastError().toStdString();
    const std::vector<std::vector<std::string>> expected = {
        {"a", "13800138000", "100000000000000000000", "2.5", "7"},
        {"", "", "-3", "0.125", ""},
    };
    EXPECT_EQ(rows, expected);

    EXPECT_FALSE(reader.columnNames("no such table", columns));
    EXPECT_FALSE(reader.lastError().isEmpty());
}

TEST(OdbcSources, DriversAndUserSourcesAreListed) {
    ProgramFolder folder;
    const QString ini = folder.file(QStringLiteral("odbc.ini"));
    folder.writeFile(QStringLiteral("odbc.ini"),
                     "[Corvelane Trial]\nDriver=SQLite3\nDescription=trial book\nDatabase=/nonexistent.db\n");
    const QByteArray saved = qgetenv("ODBCINI");
    qputenv("ODBCINI", ini.toUtf8());
    const std::vector<OdbcSourceName> sources = OdbcDataSources();
    if (saved.isNull())
        qunsetenv("ODBCINI");
    else
        qputenv("ODBCINI", saved);
    EXPECT_TRUE(std::any_of(sources.begin(), sources.end(), [](const OdbcSourceName& s) {
        return s.name == QStringLiteral("Corvelane Trial");
    })) << "the user's source from the odbc.ini named by ODBCINI";

    const std::vector<QString> drivers = OdbcDrivers();
    EXPECT_NE(std::find(drivers.begin(), drivers.end(), QStringLiteral("SQLite3")), drivers.end());
}

TEST(OdbcSources, FileConnectStrings) {
    const struct {
        const char* driver;
        const char* file;
        const char* expected;
    } cases[] = {
        {"SQLite3", "/home/u/book.db", "DRIVER={SQLite3};Database=/home/u/book.db"},
        {"MDBTools", "/home/u/crm.mdb", "DRIVER={MDBTools};DBQ=/home/u/crm.mdb"},
        {"SQLite3", "/home/u/a;b.db", ""},
        {"SQLite3", "/home/u/{b}.db", ""},
        {"SQLite3", "", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(OdbcFileConnectString(QString::fromUtf8(c.driver), QString::fromUtf8(c.file)),
                  QString::fromUtf8(c.expected))
            << c.file;
}
