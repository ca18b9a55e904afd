#include "core/database.h"
#include "core/log.h"
#include "core/sql.h"
#include "platform/ini.h"
#include "tests/support/program_folder.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::string SchemaOf(sqlite3* db) {
    std::string out;
    SqlStatement st(db, "SELECT type, name, sql FROM sqlite_master ORDER BY type, name");
    while (st.step() == SQLITE_ROW)
        out += st.text(0) + " " + st.text(1) + ": " + st.text(2) + "\n";
    return out;
}

int64_t Scalar(sqlite3* db, const std::string& sql) {
    SqlStatement st(db, sql);
    return st.step() == SQLITE_ROW ? st.int64(0) : -1;
}

// The scrambled form of a plain database file: marker, then up to 32768 bytes XOR-ed.
QByteArray Scramble(QByteArray plain) {
    plain.replace(0, 13, "QEL Encode DB");
    for (qsizetype i = 13; i < plain.size() && i < 13 + 32768; ++i)
        plain[i] = static_cast<char>(plain[i] ^ 0x5C);
    return plain;
}

class DatabaseTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_folder = std::make_unique<ProgramFolder>();
        ASSERT_TRUE(LogOpen(g_logRun, "run.txt", 1));
    }
    void TearDown() override {
        CloseDatabase();
        LogClose(g_logRun);
        m_folder.reset();
    }
    QString runLog() const {
        return QString::fromUtf8(
            m_folder->readFile(QStringLiteral("enc/run.txt_%1.enc").arg(QString::fromStdString(g_logRun.date))));
    }
    // A database made outside the program, as an older client left it.
    void makeDatabase(const char* sql) {
        QDir().mkpath(m_folder->file("DB"));
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(m_folder->file("DB/SystemData.db3").toUtf8().constData(), &db), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(db);
    }
    std::unique_ptr<ProgramFolder> m_folder;
};

TEST_F(DatabaseTest, FreshFolderGetsTheWholeSchemaSeedsAndDefaults) {
    ASSERT_EQ(OpenDatabase(), 0);
    EXPECT_EQ(Scalar(g_pDB, "SELECT COUNT(*) FROM sqlite_master WHERE type='table'"), 19);
    EXPECT_EQ(Scalar(g_pDB, "SELECT COUNT(*) FROM sqlite_master WHERE name='CountmsgRecord'"), 0);
    EXPECT_EQ(Scalar(g_pDB, "SELECT COUNT(*) FROM sqlite_master WHERE type='index'"), 10);
    EXPECT_EQ(Scalar(g_pDB, "SELECT COUNT(*) FROM sqlite_master WHERE name IN ('index_perNO','index_groupDisplay','index_numOrMailAddr')"), 3);
    EXPECT_GT(Scalar(g_pDB, "SELECT COUNT(*) FROM CityInfo"), 0);
    EXPECT_EQ(Scalar(g_pDB, "SELECT COUNT(*) FROM accountInfo"), 22);
    EXPECT_EQ(Scalar(g_pDB, "SELECT COUNT(*) FROM accountInfo WHERE fieldName='0' AND fieldValue='AD'"), 1);
    EXPECT_EQ(Scalar(g_pDB, "SELECT COUNT(*) FROM accountInfo WHERE fieldName LIKE 'name%' AND fieldValue='0'"), 20);
    EXPECT_EQ(Scalar(g_pDB, "SELECT COUNT(*) FROM fieldDisplay"), 34);
    EXPECT_EQ(Scalar(g_pDB, "SELECT COUNT(*) FROM fieldDisplay WHERE fieldID=34 AND nameOfValue='dateDef2'"), 1);
    for (const char* empty : {"ContactList", "ContactGroup", "sendInfo", "Register", "holidaySMS"})
        EXPECT_EQ(Scalar(g_pDB, std::string("SELECT COUNT(*) FROM ") + empty), 0) << empty;
    EXPECT_TRUE(IsTableColumn(g_pDB, "Register", "Sign"));
    EXPECT_TRUE(IsTableColumn(g_pDB, "ContactList", "qq"));
    EXPECT_TRUE(IsTableColumn(g_pDB, "ContactList", "dateDef2"));

    ASSERT_EQ(ExecSql(nullptr, g_pDB, "INSERT INTO sendInfo (content) VALUES ('x');"
                                      "INSERT INTO sendNums (sendID) VALUES (1);"
                                      "INSERT INTO ContactList (name) VALUES ('n');"),
              SQLITE_OK);
    EXPECT_EQ(Scalar(g_pDB, "SELECT sendType * 10 + isDraft FROM sendInfo"), 10);
    EXPECT_EQ(Scalar(g_pDB, "SELECT taskID FROM sendNums"), 0);
    EXPECT_EQ(Scalar(g_pDB, "SELECT isDeleted + displayIndex FROM ContactList"), 0);
    EXPECT_FALSE(QFile::exists(m_folder->file("DB/CustomerData.db3")));
    // The expected failures of the start-up statements are no errors.
    EXPECT_FALSE(runLog().contains(QStringLiteral("ErrCode")));
    EXPECT_EQ(runLog().count(QStringLiteral("db中没有账号信息，新建Register 成功！")), 1);

    // The database holds the service password: only its owner may read it.
    struct stat st {};
    for (const auto& [name, mode] : {std::pair<const char*, unsigned>{"DB", 0700u},
                                     {"DB/SystemData.db3", 0600u},
                                     {"DB/SystemData.db3-wal", 0600u},
                                     {"DB/SystemData.db3-shm", 0600u}}) {
        ASSERT_EQ(::stat(m_folder->file(name).toUtf8().constData(), &st), 0) << name;
        EXPECT_EQ(st.st_mode & 0777, mode) << name;
    }
}

TEST_F(DatabaseTest, OpeningAgainChangesNothing) {
    ASSERT_EQ(OpenDatabase(), 0);
    const std::string first = SchemaOf(g_pDB);
    ExecSql(nullptr, g_pDB, "UPDATE accountInfo SET fieldValue='1' WHERE fieldName='name17'");
    CloseDatabase();
    ASSERT_EQ(OpenDatabase(), 0);
    EXPECT_EQ(SchemaOf(g_pDB), first);
    EXPECT_EQ(Scalar(g_pDB, "SELECT COUNT(*) FROM accountInfo"), 22);
    EXPECT_EQ(Scalar(g_pDB, "SELECT fieldValue FROM accountInfo WHERE fieldName='name17'"), 1);
    EXPECT_FALSE(runLog().contains(QStringLiteral("ErrCode")));
    // Register was new only the first time.
    EXPECT_EQ(runLog().count(QStringLiteral("新建Register")), 1);
}

TEST_F(DatabaseTest, CustomisedInstallationGetsTheCustomerDatabase) {
    m_folder->writeFile("OEM/OemInfo.ini", "[System]\nCustomize=1\n");
    ASSERT_EQ(OpenDatabase(), 0);
    EXPECT_EQ(g_nCustomize, 1);
    ASSERT_NE(g_pCustomerDB, nullptr);
    EXPECT_TRUE(IsTableColumn(g_pCustomerDB, "CountmsgRecord", "numcount"));
    EXPECT_EQ(Scalar(g_pDB, "SELECT COUNT(*) FROM sqlite_master WHERE name='CountmsgRecord'"), 0);
    CloseDatabase();
    ASSERT_EQ(OpenDatabase(), 0);
    EXPECT_FALSE(runLog().contains(QStringLiteral("ErrCode")));
}

TEST_F(DatabaseTest, OldRegisterGainsTheSignatureAndKeepsItsRow) {
    makeDatabase("CREATE TABLE Register (SerNum CHAR(30), PassWd CHAR(10));"
                 "INSERT INTO Register VALUES ('SN-1', 'pw');");
    ASSERT_EQ(OpenDatabase(), 0);
    EXPECT_TRUE(IsTableColumn(g_pDB, "Register", "Sign"));
    SqlStatement st(g_pDB, "SELECT SerNum, PassWd, Sign IS NULL FROM Register");
    ASSERT_EQ(st.step(), SQLITE_ROW);
    EXPECT_EQ(st.text(0), "SN-1");
    EXPECT_EQ(st.text(1), "pw");
    EXPECT_EQ(st.int64(2), 1);
    EXPECT_EQ(st.step(), SQLITE_DONE);
    EXPECT_FALSE(runLog().contains(QStringLiteral("新建Register")));
}

TEST_F(DatabaseTest, OldDatabaseGainsMissingTablesAndColumns) {
    makeDatabase("CREATE TABLE ContactList (name TEXT);");
    ASSERT_EQ(OpenDatabase(), 0);
    EXPECT_TRUE(IsTableColumn(g_pDB, "Register", "Sign"));
    EXPECT_TRUE(IsTableColumn(g_pDB, "ContactList", "displayIndex"));
    EXPECT_TRUE(IsTableColumn(g_pDB, "ContactList", "boolDef2"));
}

std::string DisplayIndexes(sqlite3* db) {
    SqlStatement st(db, "SELECT group_concat(displayIndex) FROM (SELECT displayIndex FROM ContactList ORDER BY rowid)");
    return st.step() == SQLITE_ROW ? st.text(0) : std::string();
}

TEST_F(DatabaseTest, DisplayOrderIsLeftAloneWhenTheOemFileSaysDone) {
    makeDatabase("CREATE TABLE ContactList (name TEXT, displayIndex INTEGER(10) default 0);"
                 "INSERT INTO ContactList VALUES ('a', 50), ('b', 40);");
    m_folder->writeFile("OEM/OemInfo.ini", "[System]\nUpdateIndexValue=1\n");
    ASSERT_EQ(OpenDatabase(), 0);
    EXPECT_EQ(DisplayIndexes(g_pDB), "50,40");
}

TEST_F(DatabaseTest, DisplayOrderIsRewrittenOnceEvenWhenTheOemFileCannotRecordIt) {
    makeDatabase("CREATE TABLE ContactList (name TEXT, displayIndex INTEGER(10) default 0);"
                 "CREATE TABLE fieldDisplay (fieldID INTEGER, name TEXT, nameOfValue TEXT, inUse INTEGER,"
                 " isVisible INTEGER, indexField INTEGER);"
                 "INSERT INTO fieldDisplay VALUES (21, 'x', 'old', 0, 0, 20);"
                 "INSERT INTO ContactList VALUES ('a', 50), ('b', 40);");
    m_folder->writeFile("OEM/OemInfo.ini", "[System]\nUpdateIndexValue=0\n");
    ::chmod(m_folder->file("OEM/OemInfo.ini").toUtf8().constData(), 0444);

    ASSERT_EQ(OpenDatabase(), 0);
    EXPECT_EQ(DisplayIndexes(g_pDB), "1,2");
    EXPECT_EQ(Scalar(g_pDB, "SELECT COUNT(*) FROM fieldDisplay WHERE fieldID=21 AND nameOfValue='txtDef1'"), 1);
    EXPECT_TRUE(runLog().contains(QStringLiteral("UpdateIndexValue")));  // the failed write is logged
    EXPECT_EQ(ini::ReadInt(m_folder->file("OEM/OemInfo.ini"), "System", "UpdateIndexValue", -1), 0);

    // The user reorders; the next start must not undo it.
    ExecSql(nullptr, g_pDB, "UPDATE ContactList SET displayIndex = 10 - rowid");
    CloseDatabase();
    ASSERT_EQ(OpenDatabase(), 0);
    EXPECT_EQ(DisplayIndexes(g_pDB), "9,8");
}

TEST_F(DatabaseTest, RightsRowsAreNeverDuplicated) {
    // Duplicate names keep the unique index from being made.
    makeDatabase("CREATE TABLE accountInfo (fieldName TEXT, fieldValue TEXT);"
                 "INSERT INTO accountInfo VALUES ('name01', '0'), ('name01', '1'), ('name16', '1');");
    ASSERT_EQ(OpenDatabase(), 0);
    CloseDatabase();
    ASSERT_EQ(OpenDatabase(), 0);
    EXPECT_EQ(Scalar(g_pDB, "SELECT COUNT(*) FROM sqlite_master WHERE name='index_fieldName'"), 0);
    for (int i = 16; i <= 20; ++i)
        EXPECT_EQ(Scalar(g_pDB, "SELECT COUNT(*) FROM accountInfo WHERE fieldName='name" + std::to_string(i) + "'"), 1);
    EXPECT_EQ(Scalar(g_pDB, "SELECT fieldValue FROM accountInfo WHERE fieldName='name16'"), 1);  // kept
}

TEST_F(DatabaseTest, ScrambledFileBecomesItsPlainSource) {
    ASSERT_EQ(OpenDatabase(), 0);
    for (int i = 0; i < 300; ++i)  // larger than the scrambled block
        ExecSql(nullptr, g_pDB, "INSERT INTO ContactList (name, mobileNum) VALUES ('联系人" + std::to_string(i) +
                                    "', '138" + std::to_string(10000000 + i) + "')");
    CloseDatabase();
    const QByteArray plain = m_folder->readFile("DB/SystemData.db3");
    ASSERT_GT(plain.size(), 13 + 32768);

    struct Case {
        const char* what;
        QByteArray source;
    } cases[] = {{"long file", plain}, {"file shorter than the block", plain.left(20000)}};
    for (const auto& c : cases) {
        m_folder->writeFile("DB/SystemData.db3", Scramble(c.source));
        EXPECT_EQ(UnscrambleDatabaseFile(m_folder->file("DB/SystemData.db3")), 0) << c.what;
        EXPECT_EQ(m_folder->readFile("DB/SystemData.db3"), c.source) << c.what;
        EXPECT_EQ(UnscrambleDatabaseFile(m_folder->file("DB/SystemData.db3")), 0) << c.what;  // plain: unchanged
        EXPECT_EQ(m_folder->readFile("DB/SystemData.db3"), c.source) << c.what;
    }
    EXPECT_EQ(QDir(m_folder->file("DB")).entryList(QDir::Files).size(), 1);  // no temporary left behind

    m_folder->writeFile("DB/SystemData.db3", Scramble(plain));
    ASSERT_EQ(OpenDatabase(), 0);
    EXPECT_EQ(Scalar(g_pDB, "SELECT COUNT(*) FROM ContactList"), 300);
    EXPECT_TRUE(runLog().contains(QStringLiteral("info,db解密完成.")));

    m_folder->writeFile("junk.db3", "neither marker here");
    EXPECT_EQ(UnscrambleDatabaseFile(m_folder->file("junk.db3")), -3);
    m_folder->writeFile("short.db3", "QEL");
    EXPECT_EQ(UnscrambleDatabaseFile(m_folder->file("short.db3")), -2);
    EXPECT_EQ(UnscrambleDatabaseFile(m_folder->file("missing.db3")), -1);
}

// A plain copy that cannot be written whole leaves the scrambled file as it
// was. The write is made to fail by a file-size limit, in a child process so
// the limit stays there.
TEST_F(DatabaseTest, UnscramblingThatCannotWriteKeepsTheScrambledFile) {
    ASSERT_EQ(OpenDatabase(), 0);
    CloseDatabase();
    const QByteArray scrambled = Scramble(m_folder->readFile("DB/SystemData.db3"));
    m_folder->writeFile("DB/SystemData.db3", scrambled);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        ::_exit(UnscrambleDatabaseFile(m_folder->file("DB/SystemData.db3")) + 100);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status) - 100, -4);
    EXPECT_EQ(m_folder->readFile("DB/SystemData.db3"), scrambled);
    EXPECT_TRUE(runLog().contains(QStringLiteral("error,db解密失败,")));
    // No half-written copy is left beside it.
    EXPECT_EQ(QDir(m_folder->file("DB")).entryList(QDir::Files), QStringList{QStringLiteral("SystemData.db3")});
}

TEST_F(DatabaseTest, ResetFileAttributesGivesTheOwnerWriteAccess) {
    const char* names[] = {"DB/SystemData.db3", "Corvelane", "ServerInfo.ini", "CsqxConfig.ini", "Brannock",
                           "OEM/OemInfo.ini"};
    for (const char* name : names) {
        m_folder->writeFile(name, "x");
        ASSERT_EQ(::chmod(m_folder->file(name).toUtf8().constData(), 0444), 0);
    }
    m_folder->writeFile("other.ini", "x");
    ::chmod(m_folder->file("other.ini").toUtf8().constData(), 0444);
    ResetFileAttributes();
    struct stat st {};
    for (const char* name : names) {
        ASSERT_EQ(::stat(m_folder->file(name).toUtf8().constData(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0644u) << name; // the owner's write bit, nothing more
    }
    ::stat(m_folder->file("other.ini").toUtf8().constData(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0444u); // only the program's own files
}

TEST_F(DatabaseTest, FileThatIsNoDatabaseIsLeftAloneAndNamed) {
    const QByteArray junk = QByteArray("not a database at all, just bytes ").repeated(2);
    m_folder->writeFile("DB/SystemData.db3", junk);
    EXPECT_EQ(OpenDatabase(), kDatabaseDamaged);
    EXPECT_EQ(g_pDB, nullptr);
    EXPECT_EQ(m_folder->readFile("DB/SystemData.db3"), junk);
    EXPECT_FALSE(QFile::exists(m_folder->file("DB/SystemData.db3-wal")));
    EXPECT_EQ(runLog().count(QStringLiteral("ERROR,")), 1);
    EXPECT_TRUE(DatabaseFailureText(kDatabaseDamaged).contains(SystemDatabasePath()));
    EXPECT_NE(DatabaseFailureText(kDatabaseUnwritable), DatabaseFailureText(kDatabaseDamaged));
}

TEST_F(DatabaseTest, PageCheckFindsDamageTheFirstReadMisses) {
    ASSERT_EQ(OpenDatabase(), 0);
    ExecSql(nullptr, g_pDB,
            "PRAGMA journal_mode=DELETE;"
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i < 3000) "
            "INSERT INTO ContactList (name) SELECT printf('%0100d', i) FROM n;");
    CloseDatabase();
    QByteArray bytes = m_folder->readFile("DB/SystemData.db3");
    ASSERT_GT(bytes.size(), 4096 * 40);
    for (qsizetype i = bytes.size() - 4096 * 8; i < bytes.size() - 4096 * 4; ++i)
        bytes[i] = static_cast<char>(0xA5);
    m_folder->writeFile("DB/SystemData.db3", bytes);
    EXPECT_EQ(OpenDatabase(true), kDatabaseDamaged);
    EXPECT_EQ(m_folder->readFile("DB/SystemData.db3"), bytes);
    EXPECT_TRUE(runLog().contains(QStringLiteral("ERROR,OpenDatabase,quick_check,")));
}

TEST_F(DatabaseTest, UnopenableDatabaseIsReported) {
    QDir().mkpath(m_folder->file("DB/SystemData.db3"));  // a folder where the file should be
    EXPECT_EQ(OpenDatabase(), -1);
    EXPECT_EQ(g_pDB, nullptr);
    EXPECT_TRUE(runLog().contains(QStringLiteral("ERROR,打开数据库出错!")));
}

} // namespace
