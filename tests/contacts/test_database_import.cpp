// Contacts from a table of an outside database, read through unixODBC with
// the SQLite driver standing in for the user's database.
#include "contacts/contact_import.h"
#include "core/odbc_reader.h"
#include "core/sql.h"
#include "tests/support/contacts_fixture.h"
#include "tests/support/test_helpers.h"

#include <gtest/gtest.h>

#include <QByteArray>

#include <string>
#include <vector>

namespace {

class DatabaseImport : public ContactsFixtureTest {
protected:
    void SetUp() override {
        ContactsFixtureTest::SetUp();
        m_source = m_folder->file(QStringLiteral("source.db"));
        // A table and columns whose names need quoting, a quote in a value,
        // NULL, and mobile numbers stored as REAL.
        Source("CREATE TABLE \"my list\" (\"name\" TEXT, \"mobile num\" REAL, \"select\" TEXT, note TEXT);"
               "INSERT INTO \"my list\" VALUES ('O''Brien', 13800000081, '钓鱼', 'n1');"
               "INSERT INTO \"my list\" VALUES (NULL, 13800000082, NULL, 'n2');"
               "INSERT INTO \"my list\" VALUES ('丙', 13800000083, '读书', NULL);");
    }
    void Source(const std::string& sql) const {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(m_source.toUtf8().constData(), &db), SQLITE_OK);
        char* error = nullptr;
        EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error), SQLITE_OK) << (error ? error : "");
        sqlite3_free(error);
        sqlite3_close(db);
    }
    ImportRequest Database(std::vector<int> groups = {4}) const {
        ImportRequest r;
        r.mode = kImportDatabase;
        r.connect = QStringLiteral("DRIVER={SQLite3};Database=%1;NoCreat=1").arg(m_source);
        r.table = QStringLiteral("my list");
        r.fieldMap = {
            {1, QStringLiteral("name")}, {3, QStringLiteral("mobile num")}, {21, QStringLiteral("select")}};
        r.groups = std::move(groups);
        return r;
    }
    static std::vector<std::string> NewRows() {
        return QueryRows(g_pDB, "SELECT name,mobileNum,txtDef1,groupID,perNO,displayIndex FROM ContactList "
                                "WHERE rowid>10 ORDER BY rowid");
    }
    static std::vector<std::string> Fields() {
        return QueryRows(g_pDB,
                         "SELECT fieldName,fieldValue,personID,fieldID FROM autoFieldInfo ORDER BY rowid");
    }
    QString m_source;
};

TEST_F(DatabaseImport, RecordsBecomeContactsWithTheirUserFieldsInBothPlaces) {
    const ImportRequest r = Database();
    const ImportOutcome o = RunContactImport(g_pDB, r);
    EXPECT_EQ(o.status, ImportOutcome::Status::Done) << o.detail.toStdString();
    EXPECT_EQ(ImportOutcomeText(r, o), QStringLiteral("源数据共3条记录,此次导入成功3条,失败0条"));
    EXPECT_EQ(NewRows(), (std::vector<std::string>{"O'Brien|13800000081|钓鱼|4|10|8", "|13800000082||4|11|9",
                                                   "丙|13800000083|读书|4|12|10"}));
    // Field 21 is named 爱好 in the fixture's field list.
    EXPECT_EQ(Fields(), (std::vector<std::string>{"爱好|钓鱼|10|21", "爱好||11|21", "爱好|读书|12|21"}));
}

TEST_F(DatabaseImport, ARecordInTwoGroupsSharesItsIdAndWritesItsFieldsOnce) {
    const ImportRequest r = Database({1, 3});
    const ImportOutcome o = RunContactImport(g_pDB, r);
    EXPECT_EQ(ImportOutcomeText(r, o), QStringLiteral("源数据共3条记录,此次导入成功3条,失败0条"));
    EXPECT_EQ(QueryRows(g_pDB,
                        "SELECT perNO, group_concat(groupID) FROM ContactList WHERE rowid>10 GROUP BY perNO"),
              (std::vector<std::string>{"10|1,3", "11|1,3", "12|1,3"}));
    EXPECT_EQ(Fields().size(), 3u);
}

TEST_F(DatabaseImport, ARefusedRecordLeavesNeitherRowsNorFields) {
    ExecSql(nullptr, g_pDB,
            "CREATE TRIGGER refuse BEFORE INSERT ON ContactList WHEN NEW.name='丙' AND NEW.groupID=3 "
            "BEGIN SELECT RAISE(ABORT, 'no'); END;");
    const ImportRequest r = Database({1, 3});
    const ImportOutcome o = RunContactImport(g_pDB, r);
    EXPECT_EQ(ImportOutcomeText(r, o), QStringLiteral("源数据共3条记录,此次导入成功2条,失败1条"));
    EXPECT_EQ(QueryScalar(g_pDB, "SELECT COUNT(*) FROM ContactList WHERE mobileNum='13800000083'"), 0);
    EXPECT_EQ(QueryScalar(g_pDB, "SELECT COUNT(*) FROM autoFieldInfo WHERE fieldValue='读书'"), 0);
    EXPECT_EQ(Fields().size(), 2u);
}

// A failure of the source, a cancel: nothing stays, and the user reads why.
TEST_F(DatabaseImport, AnImportThatDoesNotFinishLeavesNothing) {
    // Enough rows to pass a progress report, then a row the source cannot compute.
    std::string rows = "CREATE TABLE big (name TEXT, mobile TEXT);";
    for (int i = 0; i < 600; ++i)
        rows += "INSERT INTO big VALUES ('n" + std::to_string(i) + "', '" +
                std::to_string(13800000000LL + i) + "');";
    rows += "CREATE VIEW broken AS SELECT name, CASE WHEN rowid=500 THEN abs(-9223372036854775807-1) "
            "ELSE mobile END AS mobile FROM big;";
    Source(rows);
    const std::vector<std::string> before = QueryRows(g_pDB, "SELECT * FROM ContactList");

    ImportRequest broken = Database();
    broken.connect += QStringLiteral(";StepAPI=1"); // rows are computed as they are fetched
    broken.table = QStringLiteral("broken");
    broken.fieldMap = {{1, QStringLiteral("name")}, {3, QStringLiteral("mobile")}};
    qint64 reported = 0;
    ImportOutcome o = RunContactImport(g_pDB, broken, [&](qint64 done, qint64 total) {
        EXPECT_EQ(total, 600);
        reported = done;
        return true;
    });
    EXPECT_EQ(o.status, ImportOutcome::Status::SourceError);
    EXPECT_GE(reported, 256) << "the failure came midway";
    EXPECT_TRUE(ImportOutcomeText(broken, o).startsWith(QStringLiteral("连接数据库异常!\r\n错误信息:")));
    EXPECT_TRUE(ImportOutcomeText(broken, o).endsWith(QStringLiteral("\n本次没有导入任何联系人。")));
    EXPECT_TRUE(o.detail.contains(QStringLiteral("overflow"))) << o.detail.toStdString();
    EXPECT_EQ(QueryRows(g_pDB, "SELECT * FROM ContactList"), before);

    ImportRequest cancelled = broken;
    cancelled.table = QStringLiteral("big");
    o = RunContactImport(g_pDB, cancelled, [](qint64 done, qint64) { return done < 512; });
    EXPECT_EQ(o.status, ImportOutcome::Status::Cancelled);
    EXPECT_EQ(QueryRows(g_pDB, "SELECT * FROM ContactList"), before);

    ImportRequest missingTable = Database();
    missingTable.table = QStringLiteral("no such table");
    o = RunContactImport(g_pDB, missingTable);
    EXPECT_EQ(o.status, ImportOutcome::Status::SourceError);
    EXPECT_EQ(QueryRows(g_pDB, "SELECT * FROM ContactList"), before);
    EXPECT_TRUE(Fields().empty());
}

TEST_F(DatabaseImport, AConnectionThatFailsIsNamedButNeverLogged) {
    const QString secret = QStringLiteral("PWD=s3cr3t-word");
    const QString strings[] = {
        QStringLiteral("DRIVER={No Such Driver};%1").arg(secret),
        QStringLiteral("DRIVER={SQLite3};Database=%1;NoCreat=1;%2")
            .arg(m_folder->file(QStringLiteral("missing.db")), secret),
    };
    for (const QString& connect : strings) {
        ImportRequest r = Database();
        r.connect = connect;
        const ImportOutcome o = RunContactImport(g_pDB, r);
        EXPECT_EQ(o.status, ImportOutcome::Status::ConnectFailed) << connect.toStdString();
        EXPECT_EQ(ImportOutcomeText(r, o), QStringLiteral("连接数据库失败!\n本次没有导入任何联系人。"));
    }
    EXPECT_FALSE(runLog().contains(QStringLiteral("s3cr3t"))) << runLog().toStdString();
    EXPECT_TRUE(runLog().contains(QStringLiteral("连接数据库失败")));
}

// A data source the user set up in the odbc.ini that ODBCINI names is
// listed, and an import through it reads the same rows.
TEST_F(DatabaseImport, AUserDataSourceIsListedAndImportsAlike) {
    const QString ini = m_folder->file(QStringLiteral("odbc.ini"));
    m_folder->writeFile(
        QStringLiteral("odbc.ini"),
        QStringLiteral("[通讯录 Trial]\nDriver=SQLite3\nDescription=trial book\nDatabase=%1\n")
            .arg(m_source)
            .toUtf8());
    const QByteArray saved = qgetenv("ODBCINI");
    qputenv("ODBCINI", ini.toUtf8());
    const std::vector<OdbcSourceName> sources = OdbcDataSources();
    ImportRequest r = Database();
    r.connect = QStringLiteral("DSN=通讯录 Trial");
    const ImportOutcome o = RunContactImport(g_pDB, r);
    if (saved.isNull())
        qunsetenv("ODBCINI");
    else
        qputenv("ODBCINI", saved);
    EXPECT_TRUE(std::any_of(sources.begin(), sources.end(), [](const OdbcSourceName& s) {
        return s.name == QStringLiteral("通讯录 Trial");
    }));
    EXPECT_EQ(o.status, ImportOutcome::Status::Done) << o.detail.toStdString();
    EXPECT_EQ(o.imported, 3);
    EXPECT_EQ(NewRows().size(), 3u);
}

} // namespace
