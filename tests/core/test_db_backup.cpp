#include "core/database.h"
#include "core/db_backup.h"
#include "core/log.h"
#include "core/sql.h"
#include "tests/support/program_folder.h"
#include "tests/support/test_helpers.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The scrambled form of a plain database file: marker, then up to 32768 bytes XOR-ed.
QByteArray Scramble(QByteArray plain) {
    plain.replace(0, 13, "QEL Encode DB");
    for (qsizetype i = 13; i < plain.size() && i < 13 + 32768; ++i)
        plain[i] = static_cast<char>(plain[i] ^ 0x5C);
    return plain;
}

void AddContacts(sqlite3* db, const QStringList& names) {
    SqlTransaction tx(db);
    int64_t next = 0;
    {
        SqlStatement max(db, "SELECT IFNULL(MAX(perNO), 0) FROM ContactList");
        ASSERT_EQ(max.step(), SQLITE_ROW);
        next = max.int64(0);
    }
    SqlStatement st(
        db, "INSERT INTO ContactList (name, mobileNum, groupID, perNO) VALUES (?1, '13800000000', 1, ?2)");
    for (const QString& name : names) {
        st.bind(1, name).bind(2, ++next);
        ASSERT_EQ(st.exec(), SQLITE_OK);
        st.reset();
    }
    ASSERT_EQ(tx.commit(), SQLITE_OK);
}

// The contact names in pinyin order: needs the program's collation.
QStringList ContactNames(sqlite3* db) {
    QStringList names;
    SqlStatement st(db, "SELECT name FROM ContactList ORDER BY name COLLATE pinyin");
    while (st.step() == SQLITE_ROW)
        names << st.qtext(0);
    return names;
}

// What a copy file holds, read through a connection of its own.
QStringList NamesInFile(const QString& path) {
    sqlite3* db = OpenConnection(path);
    if (!db)
        return {QStringLiteral("<cannot open>")};
    QStringList names = ContactNames(db);
    SqlStatement check(db, "PRAGMA quick_check");
    if (check.step() != SQLITE_ROW || check.text(0) != "ok")
        names << QStringLiteral("<quick_check failed>");
    CloseConnection(db);
    return names;
}

bool Exists(const QString& path) {
    return QFileInfo::exists(path) || QFileInfo(path).isSymLink();
}

class DbBackup : public ProgramFolderTest {
protected:
    void SetUp() override {
        ProgramFolderTest::SetUp();
        AddContacts(g_pDB, {QStringLiteral("张三"), QStringLiteral("阿明")});
    }
    QString db() const { return SystemDatabasePath(); }
    QString today() const { return QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")); }
    QStringList logLines() const { return LogLines(runLog()); }
    static QStringList Original() { return {QStringLiteral("阿明"), QStringLiteral("张三")}; }
};

TEST_F(DbBackup, DailyCopyIsMadeOncePerDay) {
    AutoBackupDatabase();
    AddContacts(g_pDB, {QStringLiteral("李四")});
    AutoBackupDatabase();

    const QString copy = m_folder->file(QStringLiteral("DbBak/%1.db3").arg(today()));
    EXPECT_EQ(QDir(m_folder->file("DbBak")).entryList(QDir::Files | QDir::Hidden),
              QStringList{today() + QStringLiteral(".db3")});
    // The second run changed nothing: the copy is the first run's.
    EXPECT_EQ(NamesInFile(copy), Original());
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(copy).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    const QStringList lines = logLines();
    EXPECT_EQ(lines.count(QStringLiteral("自动备份DB成功。") + copy), 1);
    EXPECT_EQ(lines.filter(QStringLiteral("自动备份DB失败")),
              QStringList{QStringLiteral("自动备份DB失败,可能是今天已经备份过（文件已经存在），ERROR=%1。%2")
                              .arg(EEXIST)
                              .arg(copy)});
}

TEST_F(DbBackup, DailyCopiesBeyondFiveNewestExpire) {
    // With today's copy there are seven; names compare without regard to
    // case, and only "*.db3" (in any case) is a copy.
    const QStringList old = {"2024-01-01.DB3", "2024-01-02.db3", "2024-01-03.db3",
                             "2024-01-04.DB3", "2024-01-05.db3", "2024-01-06.db3"};
    for (const QString& name : old)
        m_folder->writeFile("DbBak/" + name, "old copy");
    m_folder->writeFile("DbBak/x.txt", "not a copy");
    m_folder->writeFile("DbBak/1999-01-01.db3.bak", "not a copy");

    AutoBackupDatabase();

    QStringList left = QDir(m_folder->file("DbBak")).entryList(QDir::Files | QDir::Hidden);
    left.sort();
    EXPECT_EQ(left, (QStringList{"1999-01-01.db3.bak", "2024-01-03.db3", "2024-01-04.DB3", "2024-01-05.db3",
                                 "2024-01-06.db3", today() + ".db3", "x.txt"}));
    EXPECT_EQ(logLines().filter(QStringLiteral("删除过期的自动备份文件")),
              (QStringList{"删除过期的自动备份文件" + m_folder->file("DbBak/2024-01-02.db3"),
                           "删除过期的自动备份文件" + m_folder->file("DbBak/2024-01-01.DB3")}));
}

TEST_F(DbBackup, CopyWhileAnotherConnectionWrites) {
    // Enough rows for the copy to take many steps.
    QStringList many;
    for (int i = 0; i < 20000; ++i)
        many << QStringLiteral("联系人%1").arg(i, 6, 10, QLatin1Char('0'));
    AddContacts(g_pDB, many);

    const QString target = m_folder->file("copy.db3");
    // Another connection holds an open write transaction: the copy does not
    // wait for it and leaves its rows out.
    sqlite3* writer = OpenConnection(db());
    ASSERT_NE(writer, nullptr);
    ASSERT_EQ(ExecSql(nullptr, writer, "BEGIN IMMEDIATE"), SQLITE_OK);
    ASSERT_EQ(ExecSql(nullptr, writer, "INSERT INTO ContactList (name, perNO) VALUES ('未提交', 999999)"),
              SQLITE_OK);
    int steps = 0;
    DbCopyResult r = CopyDatabaseFile(db(), target, true, [&](int copied, int total) {
        EXPECT_LE(copied, total);
        ++steps;
        return true;
    });
    ASSERT_TRUE(r.ok()) << static_cast<int>(r.status) << " errno " << r.error;
    EXPECT_GT(steps, 1);
    QStringList names = NamesInFile(target);
    EXPECT_EQ(names.size(), 20002);
    EXPECT_FALSE(names.contains(QStringLiteral("<quick_check failed>")));
    EXPECT_FALSE(names.contains(QStringLiteral("未提交")));
    EXPECT_EQ(ExecSql(nullptr, writer, "COMMIT"), SQLITE_OK); // the writer was never disturbed
    CloseConnection(writer);

    // Another connection commits between two steps: the copy starts over and
    // still ends consistent, with the change.
    steps = 0;
    r = CopyDatabaseFile(db(), target, true, [&](int, int) {
        if (++steps == 1) {
            EXPECT_EQ(ExecSql(nullptr, g_pDB, "UPDATE ContactList SET name='改名' WHERE perNO=999999"),
                      SQLITE_OK);
        }
        return true;
    });
    ASSERT_TRUE(r.ok()) << static_cast<int>(r.status) << " errno " << r.error;
    names = NamesInFile(target);
    EXPECT_EQ(names.size(), 20003);
    EXPECT_TRUE(names.contains(QStringLiteral("改名")));
    EXPECT_FALSE(names.contains(QStringLiteral("<quick_check failed>")));
    EXPECT_FALSE(Exists(target + ".tmp"));
    EXPECT_FALSE(Exists(target + "-wal"));
}

TEST_F(DbBackup, FailedCopyKeepsOlderBackup) {
    const QString target = m_folder->file("older.bak");
    const QByteArray older = "an older backup";
    struct Case {
        const char* what;
        DbCopyProgress progress;
    } cases[] = {
        {"stopped at the first step", [](int, int) { return false; }},
        {"stopped at the last step", [](int copied, int total) { return copied < total; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        m_folder->writeFile("older.bak", older);
        const DbCopyResult r = CopyDatabaseFile(db(), target, true, c.progress);
        EXPECT_EQ(r.status, DbCopyStatus::Aborted);
        EXPECT_EQ(BackupDatabaseTo(target, c.progress), 355);
        EXPECT_EQ(m_folder->readFile("older.bak"), older);
        EXPECT_FALSE(Exists(target + ".tmp"));
    }
    EXPECT_EQ(logLines().filter(QStringLiteral("ERROR,BackupDatabase,aborted,")).size(), 2);

    if (::geteuid() != 0) { // root writes into any folder
        QDir().mkpath(m_folder->file("locked"));
        m_folder->writeFile("locked/older.bak", older);
        ::chmod(QFile::encodeName(m_folder->file("locked")).constData(), 0500);
        EXPECT_EQ(BackupDatabaseTo(m_folder->file("locked/older.bak")), 355);
        ::chmod(QFile::encodeName(m_folder->file("locked")).constData(), 0700);
        EXPECT_EQ(m_folder->readFile("locked/older.bak"), older);
    }

    // The copy is complete but cannot take the name: what has it stays.
    m_folder->writeFile("taken.bak/inside", older);
    const DbCopyResult taken = CopyDatabaseFile(db(), m_folder->file("taken.bak"), true);
    EXPECT_EQ(taken.status, DbCopyStatus::PublishFailed);
    EXPECT_EQ(taken.error, EISDIR);
    EXPECT_EQ(m_folder->readFile("taken.bak/inside"), older);
    EXPECT_FALSE(Exists(m_folder->file("taken.bak.tmp")));

    // A complete copy does replace it.
    EXPECT_EQ(BackupDatabaseTo(target), 354);
    EXPECT_EQ(NamesInFile(target), Original());
}

TEST_F(DbBackup, BackupRefusesTheLiveDatabase) {
    ASSERT_EQ(::symlink(QFile::encodeName(db()).constData(),
                        QFile::encodeName(m_folder->file("link.bak")).constData()),
              0);
    const QString targets[] = {db(), db() + "-wal", m_folder->file("DB/../DB/SystemData.db3"),
                               m_folder->file("link.bak")};
    for (const QString& target : targets) {
        SCOPED_TRACE(target.toStdString());
        EXPECT_EQ(BackupDatabaseTo(target), 355);
        EXPECT_EQ(ContactNames(g_pDB), Original());
    }
    EXPECT_TRUE(QFileInfo(m_folder->file("link.bak")).isSymLink());
    EXPECT_EQ(NamesInFile(db()), Original());
}

TEST_F(DbBackup, RestoreRefusesWhatIsNoBackup) {
    // A real backup, to make the scrambled one from.
    ASSERT_EQ(BackupDatabaseTo(m_folder->file("good.bak")), 354);
    m_folder->writeFile("short.bak", "SQLite forma"); // 12 bytes
    m_folder->writeFile("text.bak", "SQLite Format is what this text talks about.\n");
    m_folder->writeFile("fake.bak", QByteArray("SQLite format 3\0", 16) + QByteArray(4080, '\x7f'));
    m_folder->writeFile("scrambled.bak", Scramble(m_folder->readFile("good.bak")));
    QDir().mkpath(m_folder->file("folder.bak"));

    const QString open = "ERROR,恢复备份数据库时，打开备份文件出错！";
    const QString header = "ERROR,恢复备份数据库时，读取备份文件头出错！";
    const QString format = "ERROR,恢复备份数据库时，备份文件格式错误！";
    struct Case {
        QString file;
        int id;
        QString line;
    } cases[] = {
        {m_folder->file("missing.bak"), 357, open},
        {m_folder->file("folder.bak"), 357, open},
        {db(), 357, open},
        {m_folder->file("short.bak"), 358, header},
        {m_folder->file("text.bak"), 359, format},
        {m_folder->file("fake.bak"), 359, format},
        {m_folder->file("scrambled.bak"), 359, format},
    };
    const QByteArray live = m_folder->readFile("DB/SystemData.db3");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        int stops = 0;
        EXPECT_EQ(RestoreDatabaseFile(c.file, [&] { ++stops; }), c.id);
        EXPECT_EQ(stops, 0);
        EXPECT_EQ(logLines().last(), c.line);
        EXPECT_FALSE(Exists(db() + ".tmp"));
        ASSERT_NE(g_pDB, nullptr);
        EXPECT_EQ(ContactNames(g_pDB), Original());
    }
    EXPECT_EQ(m_folder->readFile("DB/SystemData.db3"), live);
}

TEST_F(DbBackup, RestorePutsTheBackupInPlace) {
    const QString backup = m_folder->file("good.bak");
    ASSERT_EQ(BackupDatabaseTo(backup), 354);
    ASSERT_EQ(ExecSql(nullptr, g_pDB, "DELETE FROM ContactList WHERE name='张三'"), SQLITE_OK);
    AddContacts(g_pDB, {QStringLiteral("李四")});
    ASSERT_TRUE(Exists(db() + "-wal")); // changes waiting in the log of the old file

    int stops = 0;
    EXPECT_EQ(RestoreDatabaseFile(backup, [&] { ++stops; }), 360);
    EXPECT_EQ(stops, 1);
    EXPECT_EQ(g_pDB, nullptr);
    for (const char* suffix : {"-wal", "-shm", ".tmp"})
        EXPECT_FALSE(Exists(db() + suffix)) << suffix;

    ASSERT_EQ(OpenDatabase(), 0);
    EXPECT_EQ(ContactNames(g_pDB), Original());
    EXPECT_EQ(NamesInFile(backup), Original()); // the chosen file only read
}

TEST_F(DbBackup, FailedRestoreKeepsTheDatabase) {
    const QString backup = m_folder->file("good.bak");
    ASSERT_EQ(BackupDatabaseTo(backup), 354);
    AddContacts(g_pDB, {QStringLiteral("李四")});
    const QStringList now = {QStringLiteral("阿明"), QStringLiteral("李四"), QStringLiteral("张三")};

    sqlite3* reader = nullptr;
    sqlite3_stmt* reading = nullptr;
    struct Case {
        const char* what;
        std::function<void()> stopWorkers;
    } cases[] = {
        // A worker that did not stop: it still reads the old file.
        {"a reader left",
         [&] {
             reader = OpenConnection(db());
             sqlite3_prepare_v2(reader, "SELECT name FROM ContactList", -1, &reading, nullptr);
             sqlite3_step(reading);
         }},
        // The prepared copy vanished: the rename fails after every connection closed.
        {"the copy gone", [&] { QFile::remove(db() + ".tmp"); }},
    };
    int failures = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(RestoreDatabaseFile(backup, c.stopWorkers), kRestoreFailed);
        sqlite3_finalize(reading);
        reading = nullptr;
        CloseConnection(reader);
        reader = nullptr;
        ASSERT_NE(g_pDB, nullptr);
        EXPECT_EQ(ContactNames(g_pDB), now);
        EXPECT_FALSE(Exists(db() + ".tmp"));
        EXPECT_EQ(logLines().filter(QStringLiteral("ERROR,RestoreDatabase,")).size(), ++failures);
    }
    // The database is the old one in every respect: it takes writes.
    AddContacts(g_pDB, {QStringLiteral("王五")});
    EXPECT_EQ(ContactNames(g_pDB).size(), 4);
}

} // namespace
