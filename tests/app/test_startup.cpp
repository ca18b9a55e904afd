// Start-up decisions taken before the first window: language, the converter
// hand-over probes, skins, the companions and the program's inbox.
#include "core/companions.h"
#include "core/database.h"
#include "core/log.h"
#include "core/sql.h"
#include "core/startup.h"
#include "core/string_table.h"
#include "gui/main/app_control.h"
#include "gui/main/skin.h"
#include "platform/instance_channel.h"
#include "tests/support/program_folder.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

#include <QLocale>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

class StartupTest : public ProgramFolderTest {
protected:
    // A stub companion: records its arguments (one per line) and its working
    // folder in <name>.args.
    void writeStub(const char* name, mode_t mode = 0755) {
        const QString path = m_folder->file(QString::fromLatin1(name));
        m_folder->writeFile(QString::fromLatin1(name),
                            QByteArray("#!/bin/sh\nout=\"") + path.toUtf8() +
                                ".args\"\n: > \"$out\"\nfor a in \"$@\"; do printf '%s\\n' \"$a\" >> \"$out\"; done\n"
                                "printf 'cwd=%s\\n' \"$(pwd)\" >> \"$out\"\n");
        ::chmod(path.toUtf8().constData(), mode);
    }
    void forgetArgs(const char* name) { QFile::remove(m_folder->file(QString::fromLatin1(name) + ".args")); }
    QByteArray stubArgs(const char* name, int waitMs = 3000) {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < waitMs) {
            const QByteArray b = m_folder->readFile(QString::fromLatin1(name) + ".args");
            if (b.contains("cwd="))
                return b;
            QThread::msleep(20);
        }
        return m_folder->readFile(QString::fromLatin1(name) + ".args");
    }
};

TEST_F(StartupTest, LanguageFromLanguageIni) {
    struct Case {
        QByteArray bytes;
        int expected;
    } cases[] = {
        {QByteArray("\x09\x04\x00\x00", 4), kLangEnglish},
        {QByteArray("\x04\x08\x00\x00", 4), kLangChinese},
        {QByteArray("\x04\x08\x00\x00trailing", 12), kLangChinese},  // only four bytes count
    };
    for (const auto& c : cases) {
        m_folder->writeFile("Language.ini", c.bytes);
        EXPECT_EQ(ReadLanguageSetting(), c.expected);
    }
}

TEST_F(StartupTest, OtherIdsOfAKnownLanguageChooseByPrimaryLanguage) {
    const int localeRule = QLocale::system().language() == QLocale::Chinese ? kLangChinese : kLangEnglish;
    struct Case {
        QByteArray bytes;
        int id;       // what ReadLanguageSetting gives (and start-up logs)
        int language; // what SetUiLanguage then chooses
    } cases[] = {
        {QByteArray("\x09\x08\x00\x00", 4), 2057, kLangEnglish},     // English (UK)
        {QByteArray("\x04\x04\x00\x00", 4), 1028, kLangChinese},     // Chinese (traditional)
        {QByteArray("\x04\x10\x00\x00", 4), 4100, kLangChinese},     // Chinese (Singapore)
        {QByteArray("\x11\x04\x00\x00", 4), localeRule, localeRule}, // Japanese: the locale decides
    };
    for (const auto& c : cases) {
        m_folder->writeFile("Language.ini", c.bytes);
        const int id = ReadLanguageSetting();
        EXPECT_EQ(id, c.id);
        EXPECT_TRUE(SetUiLanguage(id)) << id;
        EXPECT_EQ(UiLanguage(), c.language) << id;
    }
    SetUiLanguage(kLangChinese);
}

TEST_F(StartupTest, ConverterHandOverNeedsTwoEmptyTablesThatCouldBeSeen) {
    EXPECT_FALSE(OldDatabaseWaitsForConversion(g_pDB));  // no crm.mdb
    m_folder->writeFile("crm.mdb", "old data");
    EXPECT_TRUE(OldDatabaseWaitsForConversion(g_pDB));
    EXPECT_EQ(ProbeTableRows(g_pDB, "ContactList"), ProbeResult::Empty);

    ExecSql(nullptr, g_pDB, "INSERT INTO sendInfo (content) VALUES ('x')");
    EXPECT_EQ(ProbeTableRows(g_pDB, "sendInfo"), ProbeResult::HasRows);
    EXPECT_FALSE(OldDatabaseWaitsForConversion(g_pDB));
    ExecSql(nullptr, g_pDB, "DELETE FROM sendInfo");

    // A table that cannot be read is no empty table: nothing is converted over it.
    ExecSql(nullptr, g_pDB, "DROP TABLE sendInfo");
    EXPECT_FALSE(OldDatabaseWaitsForConversion(g_pDB));
    EXPECT_TRUE(runLog().contains(QStringLiteral("MY ERROR:访问数据库出错")));
    EXPECT_FALSE(runLog().contains(QStringLiteral("interrupted")));
}

TEST_F(StartupTest, SkinsAreStyleSheetsAndOnlyText) {
    m_folder->writeFile("urf/blue.urf", "QDialog { background: #0000ff; }");
    m_folder->writeFile("urf/binary.urf", QByteArray("\x00\xff\xfe skin", 8));
    m_folder->writeFile("CsqxConfig.ini", "[DefaultSkin]\ndefaultS=blue.urf\n");
    EXPECT_EQ(ConfiguredSkinPath(), m_folder->file("urf/blue.urf"));
    EXPECT_TRUE(LoadSkin(ConfiguredSkinPath()));
    EXPECT_TRUE(qApp->styleSheet().contains(QStringLiteral("#0000ff")));
    EXPECT_FALSE(LoadSkin(m_folder->file("urf/binary.urf")));
    EXPECT_FALSE(LoadSkin(QString()));
    EXPECT_TRUE(qApp->styleSheet().contains(QStringLiteral("#0000ff")));  // a refused file changes nothing
    UnloadSkin();
    EXPECT_TRUE(qApp->styleSheet().isEmpty());

    m_folder->writeFile("CsqxConfig.ini", "[DefaultSkin]\ndefaultS=../DB/SystemData.db3\n");
    EXPECT_TRUE(ConfiguredSkinPath().isEmpty());
}

TEST_F(StartupTest, OnlyRegularSkinFilesAreRead) {
    QDir().mkpath(m_folder->file("urf"));
    ASSERT_EQ(::mkfifo(m_folder->file("urf/pipe.urf").toUtf8().constData(), 0644), 0);
    ASSERT_EQ(::symlink("/dev/zero", m_folder->file("urf/zero.urf").toUtf8().constData()), 0);
    m_folder->writeFile("urf/big.urf", QByteArray(4 * 1024 * 1024 + 1, 'a'));
    for (const char* name : {"urf/pipe.urf", "urf/zero.urf", "urf/big.urf", "urf"}) {
        // A FIFO without a writer would block a plain open for ever.
        std::atomic<bool> done{false};
        bool loaded = true;
        std::thread loader([&] {
            loaded = LoadSkin(m_folder->file(QString::fromLatin1(name)));
            done = true;
        });
        QElapsedTimer t;
        t.start();
        while (!done && t.elapsed() < 5000)
            QThread::msleep(10);
        if (!done) {
            // Unblock the reader so the test can end, then fail.
            QFile writer(m_folder->file(QString::fromLatin1(name)));
            writer.open(QIODevice::WriteOnly);
        }
        loader.join();
        EXPECT_TRUE(done.load()) << name;
        EXPECT_FALSE(loaded) << name;
    }
    EXPECT_TRUE(qApp->styleSheet().isEmpty());
    EXPECT_TRUE(runLog().contains(QStringLiteral("ERROR,LoadSkin,not a regular file")));
}

TEST_F(StartupTest, CompanionsStartFromTheProgramFolderWithArgumentLists) {
    writeStub("Brannock");
    writeStub("Keldrune");
    ASSERT_TRUE(StartUpdater(QStringLiteral("http://127.0.0.1:1/update.dat"), true));
    EXPECT_EQ(stubArgs("Brannock"), "http://127.0.0.1:1/update.dat\n/hide\ncwd=" + m_folder->path().toUtf8() + "\n");
    // An empty address is an argument of its own, never confused with "/hide".
    forgetArgs("Brannock");
    ASSERT_TRUE(StartUpdater(QString(), false));
    EXPECT_EQ(stubArgs("Brannock"), "\ncwd=" + m_folder->path().toUtf8() + "\n");
    ASSERT_TRUE(StartConverter(true));
    EXPECT_EQ(stubArgs("Keldrune"), "/auto\ncwd=" + m_folder->path().toUtf8() + "\n");

    writeStub("Brannock", 0644);  // not executable: not started, and said so
    EXPECT_FALSE(StartUpdater(QStringLiteral("x"), true));
    EXPECT_TRUE(runLog().contains(QStringLiteral("ERROR,start Brannock")));
}

TEST_F(StartupTest, WaitingUpdaterReplacesTheOldOneKeepingItsMode) {
    writeStub("Brannock", 0750);
    m_folder->writeFile("temp/Brannock", "#!/bin/sh\necho new\n");
    ::chmod(m_folder->file("temp/Brannock").toUtf8().constData(), 0600);
    MoveWaitingUpdater();
    EXPECT_EQ(m_folder->readFile("Brannock"), "#!/bin/sh\necho new\n");
    EXPECT_FALSE(QFile::exists(m_folder->file("temp/Brannock")));
    struct stat st {};
    ::stat(m_folder->file("Brannock").toUtf8().constData(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0750u);

    // A move that fails keeps the old updater.
    QDir().mkpath(m_folder->file("temp/Brannock/inside"));
    MoveWaitingUpdater();
    EXPECT_EQ(m_folder->readFile("Brannock"), "#!/bin/sh\necho new\n");
    EXPECT_TRUE(runLog().contains(QStringLiteral("ERROR,move temp/Brannock")));
}

TEST_F(StartupTest, WaitingUpdaterWhoseModeCannotBeSetIsLogged) {
    writeStub("Brannock", 0750);
    m_folder->writeFile("temp/Brannock", "#!/bin/sh\necho new\n");
    const ChmodFunction previous = SetChmodForTests([](const char*, mode_t) {
        errno = EROFS;
        return -1;
    });
    MoveWaitingUpdater();
    SetChmodForTests(previous);
    EXPECT_EQ(m_folder->readFile("Brannock"), "#!/bin/sh\necho new\n");
    EXPECT_TRUE(runLog().contains(QStringLiteral("ERROR,chmod Brannock,") +
                                  QString::fromLocal8Bit(std::strerror(EROFS)) +
                                  QStringLiteral(",mode=750")));
}

// The inbox: one listener per user (the tests use a folder of their own for
// it), length-prefixed messages, acknowledged.
class InboxTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_oldRuntime = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", m_dir.path().toUtf8());
    }
    void TearDown() override { qputenv("XDG_RUNTIME_DIR", m_oldRuntime); }
    QTemporaryDir m_dir;
    QByteArray m_oldRuntime;
};

TEST_F(InboxTest, OneListenerAndMessagesArrive) {
    EXPECT_FALSE(SendInstanceMessage("show", 200));  // nobody listens
    InstanceServer first;
    ASSERT_TRUE(first.listen());
    InstanceServer second;
    EXPECT_FALSE(second.listen());

    QList<QByteArray> received;
    QObject::connect(&first, &InstanceServer::messageReceived, [&](const QByteArray& m) { received << m; });
    QByteArray gbk("SendSMS,|,|13800000000,|,|\xc4\xe3\xba\xc3");
    bool delivered = false;
    // The sender blocks; the listener answers from the event loop.
    std::thread sender([&] { delivered = SendInstanceMessage(gbk); });
    QElapsedTimer t;
    t.start();
    while (received.isEmpty() && t.elapsed() < 3000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    sender.join();
    EXPECT_TRUE(delivered);
    ASSERT_EQ(received.size(), 1);
    EXPECT_EQ(received.front(), gbk);
}

TEST_F(InboxTest, OnlyALiveHolderMakesASecondStart) {
    EXPECT_FALSE(InstanceRunning()); // no lock file yet
    {
        InstanceServer first;
        ASSERT_TRUE(first.listen());
        EXPECT_TRUE(InstanceRunning());
        InstanceServer second;
        EXPECT_FALSE(second.listen());
        EXPECT_EQ(second.failure(), InstanceServer::Failure::AnotherInstance);
    }
    EXPECT_FALSE(InstanceRunning()); // the file stays, the lock went

    // A lock file that cannot be opened or locked is no other instance.
    const QString lock = InstanceLockPath();
    ASSERT_TRUE(QFile::remove(lock));
    ASSERT_TRUE(QDir().mkpath(lock));
    InstanceServer blocked;
    EXPECT_FALSE(blocked.listen());
    EXPECT_EQ(blocked.failure(), InstanceServer::Failure::Error);
    EXPECT_TRUE(blocked.errorString().contains(lock));
    ASSERT_TRUE(QDir(lock).removeRecursively());

    // Nor is a lock file that is a link: it would lock (or create) elsewhere.
    ASSERT_EQ(::symlink(m_dir.filePath(QStringLiteral("elsewhere")).toUtf8().constData(),
                        lock.toUtf8().constData()),
              0);
    InstanceServer linked;
    EXPECT_FALSE(linked.listen());
    EXPECT_EQ(linked.failure(), InstanceServer::Failure::Error);
    EXPECT_FALSE(QFile::exists(m_dir.filePath(QStringLiteral("elsewhere"))));
}

TEST(InboxFolder, WithoutARuntimeFolderAFolderOfTheUsersOwn) {
    const QByteArray oldRuntime = qgetenv("XDG_RUNTIME_DIR");
    const QByteArray oldHome = qgetenv("HOME");
    const QByteArray oldCache = qgetenv("XDG_CACHE_HOME");
    QTemporaryDir home;
    qunsetenv("XDG_RUNTIME_DIR");
    qunsetenv("XDG_CACHE_HOME");
    qputenv("HOME", home.path().toUtf8());
    const QString folder = InstanceFolder();
    const QString lock = InstanceLockPath();
    bool listened = false;
    {
        InstanceServer server;
        listened = server.listen();
    }
    qputenv("XDG_RUNTIME_DIR", oldRuntime);
    qputenv("HOME", oldHome);
    if (!oldCache.isEmpty())
        qputenv("XDG_CACHE_HOME", oldCache);

    EXPECT_EQ(folder, home.path() + QStringLiteral("/.cache/Corvelane"));
    EXPECT_TRUE(lock.startsWith(folder + QLatin1Char('/')));
    EXPECT_TRUE(listened);
    struct stat st {};
    ASSERT_EQ(::lstat(folder.toUtf8().constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
}

TEST_F(InboxTest, SocketLeftBehindDoesNotStopAStart) {
    {
        InstanceServer dead;
        ASSERT_TRUE(dead.listen());
        // The lock goes with the process; here it goes with the object, the
        // socket file stays as a crash would leave it.
    }
    QFile leftover(InstanceChannelName());
    if (!leftover.exists()) {
        ASSERT_TRUE(leftover.open(QIODevice::WriteOnly));
    }
    InstanceServer next;
    EXPECT_TRUE(next.listen());
}

TEST(AppControl, QuitEndsTheOpenDialogs) {
    QDialog outer;
    int outerResult = -1, innerResult = -1;
    QTimer::singleShot(0, [&] {
        QDialog inner(&outer);
        QTimer::singleShot(0, [] { HandleInstanceMessage("quit"); });
        innerResult = inner.exec();
    });
    outerResult = outer.exec();
    EXPECT_EQ(innerResult, QDialog::Rejected);
    EXPECT_EQ(outerResult, QDialog::Rejected);
    EXPECT_TRUE(QuitRequested());
    ClearQuitRequest();
}

} // namespace
