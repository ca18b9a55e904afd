// The address book's cloud copy against a real FTP server on 127.0.0.1
// (pyftpdlib): what an upload leaves on the server, what a download brings
// back and keeps, and every way a copy, the server or the settings can fail
// without touching the local tables.
#include "contacts/cloud_copy.h"
#include "core/account.h"
#include "core/compress.h"
#include "core/database.h"
#include "core/deployment.h"
#include "core/ftp_transfer.h"
#include "core/log.h"
#include "core/paths.h"
#include "core/sql.h"
#include "tests/support/contact_generator.h"
#include "tests/support/contacts_fixture.h"
#include "tests/support/ftp_server.h"
#include "tests/support/program_folder.h"
#include "tests/support/test_helpers.h"

#include <QCryptographicHash>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

const QString kSerial = QStringLiteral("SN-CLOUD-01");
const QString kConnectText = QStringLiteral("连接到服务器出错！");

QString Md5(const QByteArray& bytes) {
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex());
}

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class CloudCopy : public ::testing::Test {
protected:
    // The program folder's name; "XXXXXX" is made unique.
    virtual QString folderTemplate() const { return QString(); }

    void SetUp() override {
        m_folder = std::make_unique<ProgramFolder>(folderTemplate());
        g_logRun.daily = 1;
        ASSERT_TRUE(LogOpen(g_logRun, "run.txt", 1));
        ASSERT_EQ(OpenDatabase(), 0);
        LoadContactsFixture();
        g_pAccount.setField(kAccountSerial, kSerial);
        m_server = std::make_unique<LoopbackFtpServer>();
        ASSERT_TRUE(m_server->isRunning()) << m_server->errorString().toStdString();
        m_server->configure();
    }
    void TearDown() override {
        m_server.reset();
        g_pAccount.clear();
        CloseDatabase();
        LogClose(g_logRun);
        m_folder.reset();
    }

    QString runLog() const {
        return QString::fromUtf8(m_folder->readFile(
            QStringLiteral("enc/run.txt_%1.enc").arg(QString::fromStdString(g_logRun.date))));
    }

    // The three tables' rows (sorted: a refill renumbers rowids) and their
    // schema: columns, indexes and triggers.
    static std::vector<std::string> Snapshot() {
        std::vector<std::string> all;
        for (const char* table : {"ContactList", "ContactGroup", "fieldDisplay"}) {
            std::vector<std::string> rows = QueryRows(g_pDB, std::string("SELECT * FROM ") + table);
            std::sort(rows.begin(), rows.end());
            for (std::string& row : rows)
                all.push_back(std::string(table) + ":" + row);
        }
        for (const std::string& row :
             QueryRows(g_pDB, "SELECT type, name, sql FROM sqlite_master WHERE tbl_name IN "
                              "('ContactList', 'ContactGroup', 'fieldDisplay') ORDER BY type, name"))
            all.push_back("schema:" + row);
        return all;
    }
    static void Exec(const std::string& sql, sqlite3* db = g_pDB) {
        std::string error;
        ASSERT_EQ(ExecSql(&error, db, sql), SQLITE_OK) << error << "\n" << sql;
    }
    QString todaysBackup() const {
        return m_folder->file(QStringLiteral("DbBak/%1.db3").arg(QDate::currentDate().toString(Qt::ISODate)));
    }
    static QString NameOf(const QByteArray& compressed, const QString& serial = kSerial) {
        return serial + QLatin1Char('_') + Md5(compressed) + QStringLiteral(".db");
    }

    // A copy as another client would store it: the live tables copied by
    // CREATE TABLE AS SELECT into a database of their own, then `change`
    // run on it; the compressed bytes.
    QByteArray makeCopy(const std::string& change = std::string()) {
        const QString path = m_scratch.path() + QStringLiteral("/copy.db3");
        QFile::remove(path);
        sqlite3* db = nullptr;
        EXPECT_EQ(sqlite3_open(QFile::encodeName(path).constData(), &db), SQLITE_OK);
        {
            SqlStatement attach(db, "ATTACH ?1 AS src");
            EXPECT_EQ(attach.bind(1, SystemDatabasePath()).exec(), SQLITE_OK);
        }
        for (const char* table : {"ContactList", "ContactGroup", "fieldDisplay"})
            Exec(std::string("CREATE TABLE ") + table + " AS SELECT * FROM src." + table, db);
        Exec("DETACH src", db);
        if (!change.empty())
            Exec(change, db);
        sqlite3_close(db);
        return compressFile(path);
    }
    QByteArray compressFile(const QString& path) {
        const QString packed = m_scratch.path() + QStringLiteral("/copy.gz");
        EXPECT_TRUE(CompressFile(packed, path));
        return ReadAll(packed);
    }
    QByteArray compressBytes(const QByteArray& plain) {
        const QString path = m_scratch.path() + QStringLiteral("/plain");
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(plain);
        f.close();
        return compressFile(path);
    }
    void putCopy(const QByteArray& compressed, const QString& name = QString(),
                 const QDateTime& modified = QDateTime::currentDateTime().addSecs(-60)) {
        m_server->put(name.isEmpty() ? NameOf(compressed) : name, compressed, modified);
    }
    void clearServer() {
        for (const QString& name : m_server->files())
            QFile::remove(m_server->filePath(name));
    }

    std::unique_ptr<ProgramFolder> m_folder;
    std::unique_ptr<LoopbackFtpServer> m_server;
    QTemporaryDir m_scratch;
};

TEST_F(CloudCopy, RoundTripRestoresTablesWithTheirSchemaAndMakesTodaysBackup) {
    const std::vector<std::string> before = Snapshot();
    const CloudCopyResult up = SyncLocal2Remote(g_pDB);
    ASSERT_TRUE(up.ok) << runLog().toStdString();
    EXPECT_TRUE(up.message.isEmpty());

    // One file, named by the digest of exactly its bytes, holding the three
    // tables as a zlib stream.
    const QStringList files = m_server->files();
    ASSERT_EQ(files.size(), 1);
    const QByteArray stored = ReadAll(m_server->filePath(files[0]));
    EXPECT_EQ(files[0], NameOf(stored));
    const QString inflated = m_scratch.path() + QStringLiteral("/inflated.db3");
    ASSERT_TRUE(UncompressFile(m_server->filePath(files[0]), inflated));
    {
        sqlite3* copy = nullptr;
        ASSERT_EQ(
            sqlite3_open_v2(QFile::encodeName(inflated).constData(), &copy, SQLITE_OPEN_READONLY, nullptr),
            SQLITE_OK);
        EXPECT_EQ(QueryRows(copy, "SELECT name FROM sqlite_master ORDER BY name"),
                  (std::vector<std::string>{"ContactGroup", "ContactList", "fieldDisplay"}));
        EXPECT_EQ(QueryScalar(copy, "SELECT COUNT(*) FROM ContactList"),
                  QueryScalar(g_pDB, "SELECT COUNT(*) FROM ContactList"));
        sqlite3_close(copy);
    }

    // Everything changes locally, then the copy comes back.
    Exec("DELETE FROM ContactList WHERE groupID = 4");
    Exec("UPDATE ContactList SET name = '改名' WHERE perNO = 1");
    Exec("INSERT INTO ContactGroup VALUES (9, '新组', 0)");
    Exec("UPDATE fieldDisplay SET name = '别名' WHERE fieldID = 21");
    ASSERT_NE(Snapshot(), before);
    ASSERT_FALSE(QFile::exists(todaysBackup()));
    const CloudCopyResult down = SyncRemote2Local(g_pDB);
    ASSERT_TRUE(down.ok) << runLog().toStdString();
    EXPECT_EQ(Snapshot(), before);
    EXPECT_TRUE(QFile::exists(todaysBackup()));

    // The local definition stays: its defaults and indexes work as before.
    Exec("INSERT INTO ContactList (name, perNO, groupID) VALUES ('新人', 777, 1)");
    EXPECT_EQ(QueryScalar(g_pDB, "SELECT isDeleted FROM ContactList WHERE perNO = 777"), 0);

    const QStringList log = LogLines(runLog());
    for (const char* line :
         {"SyncLocal2Remote...", "SyncLocal2Remote 成功！", "SyncRemote2Local...", "SyncRemote2Local 成功！"})
        EXPECT_TRUE(log.contains(QString::fromUtf8(line))) << line;
    EXPECT_FALSE(runLog().contains(QLatin1String("quillmarshden")));
}

TEST_F(CloudCopy, SameDataKeepsOneNameChangedDataAddsAFile) {
    ASSERT_TRUE(SyncLocal2Remote(g_pDB).ok);
    const QStringList first = m_server->files();
    ASSERT_EQ(first.size(), 1);
    ASSERT_TRUE(SyncLocal2Remote(g_pDB).ok);
    EXPECT_EQ(m_server->files(), first);
    Exec("UPDATE ContactList SET mark = '变了' WHERE perNO = 1");
    ASSERT_TRUE(SyncLocal2Remote(g_pDB).ok);
    const QStringList both = m_server->files();
    ASSERT_EQ(both.size(), 2);
    EXPECT_TRUE(both.contains(first[0]));
}

TEST_F(CloudCopy, ContactLimitIsCheckedBeforeAnyFileIsWritten) {
    const qint64 present = QueryScalar(g_pDB, "SELECT COUNT(perNO) FROM ContactList");
    const GeneratedContacts added = GenerateContacts(int(kCloudCopyMaxContacts + 1 - present), 4);
    const int requests = FtpRequestCount();
    const CloudCopyResult refused = SyncLocal2Remote(g_pDB);
    EXPECT_FALSE(refused.ok);
    EXPECT_EQ(refused.message, QStringLiteral("上传失败！联系人数量不能超过100000 ！"));
    EXPECT_FALSE(QFileInfo::exists(AppPath(QStringLiteral("TempSyncDB"))));
    EXPECT_EQ(FtpRequestCount(), requests);
    EXPECT_TRUE(m_server->files().isEmpty());

    // One contact fewer is within the limit.
    Exec("DELETE FROM ContactList WHERE perNO = " + std::to_string(added.firstPerNo));
    const CloudCopyResult accepted = SyncLocal2Remote(g_pDB);
    EXPECT_TRUE(accepted.ok) << runLog().toStdString();
    EXPECT_EQ(m_server->files().size(), 1);
}

TEST_F(CloudCopy, ACopyTooLargeToComeBackIsNotStored) {
    // Notes of random characters: about 5 MiB that no compressor makes small.
    QRandomGenerator random(11);
    SqlTransaction tx(g_pDB);
    SqlStatement st(g_pDB, "INSERT INTO ContactList (name, perNO, groupID, mark) VALUES ('噪声', ?1, 4, ?2)");
    for (int i = 0; i < 2500; ++i) {
        QByteArray note;
        for (int k = 0; k < 2000; ++k)
            note.append(char(0x21 + random.bounded(94)));
        ASSERT_EQ(st.bind(1, 5000 + i).bind(2, std::string_view(note.constData(), note.size())).exec(),
                  SQLITE_OK);
        st.reset();
    }
    ASSERT_EQ(tx.commit(), SQLITE_OK);

    const CloudCopyResult result = SyncLocal2Remote(g_pDB);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.message, QStringLiteral("上传失败！通讯录数据过大，无法保存到云端。"));
    EXPECT_GT(QFileInfo(AppPath(QStringLiteral("TempSyncDB/%1.db3.gz").arg(kSerial))).size(),
              kCloudCopyMaxCompressedBytes);
    EXPECT_TRUE(m_server->files().isEmpty());
}

TEST_F(CloudCopy, ABadCopyChangesNothing) {
    QRandomGenerator random(5);
    QByteArray noise;
    for (int i = 0; i < 3300000; ++i)
        noise.append(char(random.generate() & 0xFF));
    const QByteArray valid = makeCopy();
    struct Case {
        const char* what;
        QByteArray compressed;
        QString name;        // empty: named by its digest; "-": none stored
        bool backupExpected; // the checks passed, the refill failed
    };
    const std::vector<Case> cases = {
        {"no copy at all", QByteArray(), QStringLiteral("-"), false},
        {"no copy for this account", valid, NameOf(valid, QStringLiteral("SN-OTHER")), false},
        {"no copy whose name starts with the serial", valid, QStringLiteral("x") + NameOf(valid), false},
        {"digest of other bytes", valid, NameOf(valid + "x"), false},
        {"a zlib bomb", compressBytes(QByteArray(40 * 1024 * 1024, '\0')), QString(), false},
        {"not a database", compressBytes(QByteArray(8192, 'a')), QString(), false},
        {"a damaged database",
         [&] {
             // A page of the copy overwritten: quick_check finds it.
             makeCopy();
             QByteArray plain = ReadAll(m_scratch.path() + QStringLiteral("/copy.db3"));
             plain.replace(4096, 4096, QByteArray(4096, '\xFF'));
             return compressBytes(plain);
         }(),
         QString(), false},
        {"a view in place of a table",
         makeCopy("DROP TABLE ContactGroup; CREATE VIEW ContactGroup AS "
                  "SELECT 1 AS GroupID, 'v' AS GroupName, 0 AS MasterID"),
         QString(), false},
        {"fieldDisplay missing", makeCopy("DROP TABLE fieldDisplay"), QString(), false},
        {"compressed over 3 MiB", compressBytes(noise), QString(), false},
        {"a contact the local trigger refuses",
         makeCopy("UPDATE ContactList SET name = 'FAIL' WHERE perNO = 2"), QString(), true},
        {"fieldDisplay without a common column",
         makeCopy("DROP TABLE fieldDisplay; CREATE TABLE "
                  "fieldDisplay (a, b); INSERT INTO fieldDisplay VALUES (1, 2)"),
         QString(), true},
    };
    const std::vector<std::string> before = Snapshot();
    for (const Case& c : cases) {
        clearServer();
        QDir(AppPath(QStringLiteral("DbBak"))).removeRecursively();
        if (c.name != QLatin1String("-"))
            putCopy(c.compressed, c.name);
        const CloudCopyResult result = SyncRemote2Local(g_pDB);
        EXPECT_FALSE(result.ok) << c.what;
        EXPECT_TRUE(result.message.isEmpty()) << c.what;
        EXPECT_EQ(Snapshot(), before) << c.what;
        EXPECT_EQ(QFile::exists(todaysBackup()), c.backupExpected) << c.what;
    }
    // The same database still takes a sound copy.
    clearServer();
    putCopy(makeCopy("UPDATE ContactList SET name = '好' WHERE perNO = 2"));
    EXPECT_TRUE(SyncRemote2Local(g_pDB).ok) << runLog().toStdString();
    EXPECT_EQ(QueryScalar(g_pDB, "SELECT COUNT(*) FROM ContactList WHERE name = '好'"), 1);
}

TEST_F(CloudCopy, TheNewestCopyWinsWhicheverIsListedFirst) {
    const QByteArray older = makeCopy("UPDATE ContactList SET name = '旧' WHERE perNO = 1");
    const QByteArray newer = makeCopy("UPDATE ContactList SET name = '新' WHERE perNO = 1");
    const QDateTime now = QDateTime::currentDateTime();
    // The two orders of modification times, so the listing order cannot decide.
    for (int flip = 0; flip < 2; ++flip) {
        clearServer();
        const QByteArray& first = flip ? newer : older;
        const QByteArray& second = flip ? older : newer;
        putCopy(first, QString(), now.addSecs(flip ? -100 : -3600));
        putCopy(second, QString(), now.addSecs(flip ? -3600 : -100));
        ASSERT_TRUE(SyncRemote2Local(g_pDB).ok) << runLog().toStdString();
        EXPECT_EQ(QueryRows(g_pDB, "SELECT DISTINCT name FROM ContactList WHERE perNO = 1"),
                  std::vector<std::string>{"新"})
            << flip;
    }
}

TEST_F(CloudCopy, AHighlyCompressibleCopyComesBack) {
    // The same long note on every contact: the copy shrinks far more than
    // twenty-fold.
    const QByteArray packed =
        makeCopy("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
                 "INSERT INTO ContactList (name, perNO, groupID, mark) "
                 "SELECT '备注' || i, 10000 + i, 4, printf('%.3000c', '#') FROM n");
    const qint64 plain = QFileInfo(m_scratch.path() + QStringLiteral("/copy.db3")).size();
    ASSERT_GE(plain / packed.size(), 66);
    putCopy(packed);
    ASSERT_TRUE(SyncRemote2Local(g_pDB).ok) << runLog().toStdString();
    EXPECT_EQ(QueryScalar(g_pDB, "SELECT COUNT(*) FROM ContactList WHERE perNO > 10000"), 3000);
}

TEST_F(CloudCopy, UnusableHostOrSerialSendsNothing) {
    const QString withUser = QStringLiteral("imupdate@") + m_server->hostValue();
    struct Case {
        const char* what;
        QString host;
        QString serial;
        QString message;
    };
    const Case cases[] = {
        {"host not configured", QString(""), kSerial, kConnectText},
        {"host under .invalid", QStringLiteral("ftp.example.invalid"), kSerial, kConnectText},
        {"host under .invalid with a port", QStringLiteral("FTP.Example.INVALID.:4000"), kSerial,
         kConnectText},
        {"an account in the host", withUser, kSerial, kConnectText},
        {"a path in the serial", m_server->hostValue(), QStringLiteral("../SN"), QString()},
        {"a pattern as serial", m_server->hostValue(), QStringLiteral("*"), QString()},
        {"no serial", m_server->hostValue(), QString(), QString()},
    };
    const std::vector<std::string> before = Snapshot();
    for (const Case& c : cases) {
        m_server->configure(c.host);
        g_pAccount.setField(kAccountSerial, c.serial);
        const int requests = FtpRequestCount();
        for (bool upload : {true, false}) {
            const CloudCopyResult result = upload ? SyncLocal2Remote(g_pDB) : SyncRemote2Local(g_pDB);
            EXPECT_FALSE(result.ok) << c.what << upload;
            EXPECT_EQ(result.message, c.message) << c.what << upload;
        }
        EXPECT_EQ(FtpRequestCount(), requests) << c.what;
        EXPECT_EQ(Snapshot(), before) << c.what;
    }
    EXPECT_TRUE(m_server->commands().isEmpty());
    EXPECT_TRUE(m_server->files().isEmpty());
}

TEST_F(CloudCopy, ARefusedLoginOrConnectionIsAConnectError) {
    LoopbackFtpServer otherPassword(QStringLiteral("another"));
    ASSERT_TRUE(otherPassword.isRunning());
    const QString hosts[] = {otherPassword.hostValue(),
                             QStringLiteral("127.0.0.1:%1").arg(ClosedLoopbackPort())};
    for (const QString& host : hosts) {
        m_server->configure(host);
        for (bool upload : {true, false}) {
            const CloudCopyResult result = upload ? SyncLocal2Remote(g_pDB) : SyncRemote2Local(g_pDB);
            EXPECT_FALSE(result.ok) << host.toStdString();
            EXPECT_EQ(result.message, kConnectText) << host.toStdString();
        }
    }
    EXPECT_TRUE(otherPassword.commands().contains(QStringLiteral("USER imupdate")));
    const QStringList log = LogLines(runLog());
    EXPECT_EQ(log.count(QStringLiteral("ERROR,连接到FTP服务器出错！")), 4);
    EXPECT_FALSE(runLog().contains(QLatin1String("quillmarshden")));
}

// A quote in the program folder's path reaches the statements only as a
// bound value.
class CloudCopyQuotedFolder : public CloudCopy {
protected:
    QString folderTemplate() const override { return QStringLiteral("corvelane-it's-XXXXXX"); }
};

TEST_F(CloudCopyQuotedFolder, RoundTripWorks) {
    ASSERT_TRUE(AppPath(QString()).contains(QLatin1Char('\'')));
    const std::vector<std::string> before = Snapshot();
    ASSERT_TRUE(SyncLocal2Remote(g_pDB).ok) << runLog().toStdString();
    Exec("DELETE FROM ContactList");
    ASSERT_TRUE(SyncRemote2Local(g_pDB).ok) << runLog().toStdString();
    EXPECT_EQ(Snapshot(), before);
}

} // namespace
