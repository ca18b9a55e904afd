// What the production driver makes of the converter's queries and connect
// string. No Access file can be made here, so the queries go through the
// mdbtools parser with no database open: a query it understands ends at
// "connect to a database first", one it does not ends at a syntax error.
#include "converter/old_db_converter.h"
#include "core/deployment.h"
#include "core/odbc_reader.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <cstdio>
#include <fcntl.h>
#include <string>
#include <unistd.h>

#ifdef CONVERTER_HAVE_MDBSQL
#include <mdbsql.h>

namespace {

// Runs `sql` through the parser; stderr (where it reports) and its own
// message, together.
std::string ParseOnly(const std::string& sql) {
    std::fflush(stderr);
    char name[] = "/tmp/keldrune-parse-XXXXXX";
    const int capture = mkstemp(name);
    const int saved = dup(STDERR_FILENO);
    dup2(capture, STDERR_FILENO);
    MdbSQL* parser = mdb_sql_init();
    mdb_sql_run_query(parser, sql.c_str());
    std::string message = mdb_sql_last_error(parser);
    mdb_sql_exit(parser);
    std::fflush(stderr);
    dup2(saved, STDERR_FILENO);
    close(saved);
    lseek(capture, 0, SEEK_SET);
    char buffer[4096];
    ssize_t n;
    while ((n = read(capture, buffer, sizeof buffer)) > 0)
        message.append(buffer, static_cast<size_t>(n));
    close(capture);
    unlink(name);
    return message;
}

} // namespace

TEST(ConverterDialect, EveryQueryParsesInMdbtools) {
    const auto queries = OldDatabaseQueries();
    ASSERT_GE(queries.size(), 10u);
    for (const std::string& sql : queries) {
        const std::string result = ParseOnly(sql);
        EXPECT_NE(result.find("connect to a database first"), std::string::npos) << sql << "\n-> " << result;
        EXPECT_EQ(result.find("syntax error"), std::string::npos) << sql << "\n-> " << result;
    }
    // The test itself tells a refused query apart.
    EXPECT_NE(ParseOnly("SELECT a FROM t ORDER BY").find("syntax error"), std::string::npos);
}
#endif

TEST(ConverterDialect, DefaultConnectStringReachesTheMdbtoolsDriver) {
    QTemporaryDir folder;
    const QString missing = folder.filePath(QStringLiteral("missing.mdb"));
    OdbcReader reader;
    EXPECT_FALSE(
        reader.open(QString::fromLatin1(kOldDatabaseConnectDefault).replace(QStringLiteral("%1"), missing)));
    EXPECT_FALSE(reader.lastError().isEmpty());
    EXPECT_FALSE(reader.lastError().contains(QStringLiteral("Can't open lib")))
        << reader.lastError().toStdString();
    EXPECT_FALSE(reader.lastError().contains(QStringLiteral("not found"), Qt::CaseInsensitive) &&
                 reader.lastError().contains(QStringLiteral("Data source name")))
        << reader.lastError().toStdString();
}
