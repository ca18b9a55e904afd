// End-to-end runs of the real program: single instance, the inbox, the
// command line, the converter hand-over, the language, the skin, the version
// report.
#include "tests/support/program_run.h"
#include "tests/support/raw_http_peer.h"
#include "tests/support/test_helpers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QElapsedTimer>
#include <QThread>
#include <gtest/gtest.h>

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int CountLines(const QString& log, const QString& text) {
    int n = 0;
    for (const QString& line : log.split(QStringLiteral("\r\n")))
        if (line.endsWith(text))
            ++n;
    return n;
}

// A companion that records its arguments and working folder, then exits.
QByteArray Stub(const QString& record) {
    return "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\" >> \"" + record.toUtf8() +
           "\"; done\nprintf 'cwd=%s\\n' \"$(pwd)\" >> \"" + record.toUtf8() + "\"\n";
}

void MakeDatabase(ProgramRun& run, const char* sql) {
    run.writeFile(QStringLiteral("DB/.keep"), "");
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(run.file(QStringLiteral("DB/SystemData.db3")).toUtf8().constData(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
}

bool StillRunningAfter(QProcess* p, int ms) { return !p->waitForFinished(ms); }

TEST(ProgramRuns, SecondStartBringsTheFirstForwardAndQuitEndsIt) {
    ProgramRun run;
    QProcess* first = run.start();
    ASSERT_TRUE(run.waitForLog(QStringLiteral("INFO,language=")));

    QElapsedTimer t;
    t.start();
    EXPECT_EQ(run.run({}, 10000), 0);
    EXPECT_LT(t.elapsed(), TimeBoundMs(2000));
    EXPECT_EQ(first->state(), QProcess::Running);

    EXPECT_EQ(run.command(QStringLiteral("quit")), 0);
    ASSERT_TRUE(first->waitForFinished(10000));
    EXPECT_EQ(first->exitCode(), 0);

    EXPECT_EQ(CountLines(run.runLog(), QStringLiteral("  start...Version=4.610000")), 2);
    EXPECT_EQ(CountLines(run.sendLog(), QStringLiteral("  send run...Version=4.610000")), 2);
    EXPECT_TRUE(run.runLog().endsWith(QStringLiteral("  END.\r\n")));
    EXPECT_TRUE(run.sendLog().endsWith(QStringLiteral("  END.\r\n")));
}

TEST(ProgramRuns, CommandWithoutARunningProgramFailsAndStartsNothing) {
    ProgramRun run;
    EXPECT_NE(run.command(QStringLiteral("show")), 0);
    EXPECT_TRUE(run.runLog().isEmpty());
    EXPECT_FALSE(QFile::exists(run.file(QStringLiteral("DB/SystemData.db3"))));
}

TEST(ProgramRuns, SocketLeftBehindDoesNotStopAStart) {
    ProgramRun run;
    run.writeFile(QStringLiteral("run/CSQXWND_QEL-%1").arg(::getuid()), "left by a crash");
    QProcess* first = run.start();
    ASSERT_TRUE(run.waitForLog(QStringLiteral("INFO,language=")));
    EXPECT_EQ(run.command(QStringLiteral("quit")), 0);
    EXPECT_TRUE(first->waitForFinished(10000));
}

TEST(ProgramRuns, OldDatabaseGoesToTheConverterOnce) {
    ProgramRun run;
    run.writeFile(QStringLiteral("crm.mdb"), "old client data");
    run.writeFile(QStringLiteral("Keldrune"), Stub(run.file(QStringLiteral("keldrune.args"))), 0755);
    EXPECT_EQ(run.run({}, 10000), 0);
    EXPECT_EQ(run.readFile(QStringLiteral("keldrune.args")), "/auto\ncwd=" + run.folder().toUtf8() + "\n");
}

TEST(ProgramRuns, OldDatabaseWithContactsStartsNormally) {
    ProgramRun run;
    run.writeFile(QStringLiteral("crm.mdb"), "old client data");
    run.writeFile(QStringLiteral("Keldrune"), Stub(run.file(QStringLiteral("keldrune.args"))), 0755);
    MakeDatabase(run, "CREATE TABLE ContactList (name TEXT); INSERT INTO ContactList VALUES ('李娜');");
    QProcess* p = run.start();
    EXPECT_TRUE(StillRunningAfter(p, 1500));
    EXPECT_TRUE(run.readFile(QStringLiteral("keldrune.args")).isEmpty());
    EXPECT_EQ(run.command(QStringLiteral("quit")), 0);
    EXPECT_TRUE(p->waitForFinished(10000));
}

TEST(ProgramRuns, UnreadableTableMeansNoConversion) {
    ProgramRun run;
    run.writeFile(QStringLiteral("crm.mdb"), "old client data");
    run.writeFile(QStringLiteral("Keldrune"), Stub(run.file(QStringLiteral("keldrune.args"))), 0755);
    // A view over a missing table: the name exists, but reading it fails.
    MakeDatabase(run, "CREATE VIEW sendInfo AS SELECT * FROM gone;");
    QProcess* p = run.start();
    EXPECT_TRUE(run.waitForLog(QStringLiteral("MY ERROR:访问数据库出错")));
    EXPECT_TRUE(StillRunningAfter(p, 1000));
    EXPECT_TRUE(run.readFile(QStringLiteral("keldrune.args")).isEmpty());
    EXPECT_EQ(run.command(QStringLiteral("quit")), 0);
    EXPECT_TRUE(p->waitForFinished(10000));
}

TEST(ProgramRuns, LanguageFromTheFileOrTheSystemLocale) {
    struct Case {
        QByteArray languageIni;  // empty: no file
        const char* lang;
        const char* expected;
    } cases[] = {
        {QByteArray("\x09\x04\x00\x00", 4), "zh_CN.UTF-8", "INFO,language=1033"},
        // Another id of a known language keeps its id; its primary language chooses.
        {QByteArray("\x09\x08\x00\x00", 4), "zh_CN.UTF-8", "INFO,language=2057"},
        {QByteArray("\x04\x04\x00\x00", 4), "C", "INFO,language=1028"},
        // An unknown language falls to the locale rule.
        {QByteArray("\x11\x04\x00\x00", 4), "C", "INFO,language=1033"},
        {QByteArray(), "zh_CN.UTF-8", "INFO,language=2052"},
        {QByteArray(), "C", "INFO,language=1033"},
    };
    for (const auto& c : cases) {
        ProgramRun run;
        if (!c.languageIni.isEmpty())
            run.writeFile(QStringLiteral("Language.ini"), c.languageIni);
        for (const char* v : {"LC_ALL", "LC_MESSAGES", "LANGUAGE"})
            run.environment().remove(QString::fromLatin1(v));
        run.environment().insert(QStringLiteral("LANG"), QString::fromLatin1(c.lang));
        QProcess* p = run.start();
        EXPECT_TRUE(run.waitForLog(QString::fromLatin1(c.expected))) << c.lang;
        EXPECT_EQ(run.command(QStringLiteral("quit")), 0);
        EXPECT_TRUE(p->waitForFinished(10000));
    }
}

TEST(ProgramRuns, UpdateWaitingEndsTheProgramOtherwiseSilentCheckAndLogin) {
    struct Case {
        const char* haveNew;
        int updaterMode;
        bool ends;             // the program ends with the update started
        QByteArray recorded;   // what the stub updater got (before "cwd=")
    } cases[] = {
        {"1", 0755, true, "http://127.0.0.1:9/update.dat\n"},
        {"0", 0755, false, "http://127.0.0.1:9/update.dat\n/hide\n"},
        {"1", 0644, false, ""},  // an updater that cannot start: the login follows
    };
    for (const auto& c : cases) {
        ProgramRun run;
        run.writeFile(QStringLiteral("CsqxConfig.ini"), QByteArray("[Update]\nHaveNew=") + c.haveNew + "\n");
        run.writeFile(QStringLiteral("ServerInfo.ini"),
                      "[UpdateServerAddress]\nUpdateUrl=http://127.0.0.1:9/update.dat\n"
                      "[Deployment]\nVersionUploadUrl=http://127.0.0.1:9/saveCSV\n");
        run.writeFile(QStringLiteral("Brannock"), Stub(run.file(QStringLiteral("brannock.args"))), c.updaterMode);
        QProcess* p = run.start();
        if (c.ends) {
            ASSERT_TRUE(p->waitForFinished(15000)) << c.haveNew;
            EXPECT_TRUE(run.runLog().endsWith(QStringLiteral("  END.\r\n")));
            EXPECT_TRUE(run.sendLog().endsWith(QStringLiteral("  END.\r\n")));
        } else {
            EXPECT_TRUE(StillRunningAfter(p, 1500)) << c.haveNew;  // at the login
            EXPECT_EQ(run.command(QStringLiteral("quit")), 0);
            EXPECT_TRUE(p->waitForFinished(10000));
        }
        const QByteArray args = run.readFile(QStringLiteral("brannock.args"));
        EXPECT_EQ(args.left(args.indexOf("cwd=")), c.recorded) << c.haveNew << " " << c.updaterMode;
    }
}

TEST(ProgramRuns, NewUpdaterIsMovedInBeforeItStarts) {
    ProgramRun run;
    run.writeFile(QStringLiteral("Brannock"), "#!/bin/sh\necho old > \"" + run.file(QStringLiteral("which")).toUtf8() + "\"\n", 0755);
    run.writeFile(QStringLiteral("temp/Brannock"),
                  "#!/bin/sh\necho new > \"" + run.file(QStringLiteral("which")).toUtf8() + "\"\n", 0600);
    run.writeFile(QStringLiteral("ServerInfo.ini"), "[Deployment]\nVersionUploadUrl=http://127.0.0.1:9/saveCSV\n");
    QProcess* p = run.start();
    QElapsedTimer t;
    t.start();
    while (run.readFile(QStringLiteral("which")).isEmpty() && t.elapsed() < 10000)
        QThread::msleep(25);
    EXPECT_EQ(run.readFile(QStringLiteral("which")), "new\n");
    EXPECT_FALSE(QFile::exists(run.file(QStringLiteral("temp/Brannock"))));
    EXPECT_EQ(run.command(QStringLiteral("quit")), 0);
    EXPECT_TRUE(p->waitForFinished(10000));
}

QString LockFile() {
    return QStringLiteral("run/CSQXWND_QEL-%1.lock").arg(::getuid());
}

// A process of its own that holds the instance lock, as a running program would.
class LockHolder {
public:
    explicit LockHolder(const QString& path) {
        m_process.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"),
                                                             QStringLiteral("import fcntl,sys,time\n"
                                                                            "f=open(sys.argv[1],'w')\n"
                                                                            "fcntl.flock(f,fcntl.LOCK_EX)\n"
                                                                            "print('locked',flush=True)\n"
                                                                            "time.sleep(60)\n"),
                                                             path});
        m_process.waitForStarted(5000);
        QElapsedTimer t;
        t.start();
        while (!m_process.readAllStandardOutput().contains("locked") && t.elapsed() < 10000)
            m_process.waitForReadyRead(100);
    }
    ~LockHolder() {
        m_process.kill();
        m_process.waitForFinished(3000);
    }

private:
    QProcess m_process;
};

TEST(ProgramRuns, InboxThatCannotBeSetUpEndsTheProgramWithAnError) {
    ProgramRun run;
    // A folder where the lock file goes: no live holder, but no lock either.
    ASSERT_TRUE(QDir().mkpath(run.file(LockFile())));
    const int code = run.run({}, 10000);
    EXPECT_NE(code, 0);
    EXPECT_NE(code, -1); // ended by itself, not held
    EXPECT_TRUE(run.runLog().contains(QStringLiteral("ERROR,single instance,")));
    EXPECT_TRUE(run.runLog().contains(run.file(LockFile())));
    EXPECT_FALSE(QFile::exists(run.file(QStringLiteral("DB/SystemData.db3"))));
}

TEST(ProgramRuns, LockHeldByAnotherProcessIsASecondStart) {
    ProgramRun run;
    LockHolder holder(run.file(LockFile()));
    // It holds the lock but does not listen: a start is the second start and
    // ends quietly; a command knows a program runs but gets no answer.
    EXPECT_EQ(run.run({}, 10000), 0);
    EXPECT_FALSE(run.runLog().contains(QStringLiteral("ERROR,")));
    EXPECT_FALSE(QFile::exists(run.file(QStringLiteral("DB/SystemData.db3"))));
    EXPECT_EQ(run.command(QStringLiteral("quit")), 2);
}

TEST(ProgramRuns, CommandLineWithoutAStart) {
    ProgramRun run;
    // A command without its text is a usage error, never a start.
    const int alone = run.run({QStringLiteral("--command")}, 10000);
    EXPECT_NE(alone, 0);
    EXPECT_NE(alone, -1);

    QProcess* help = run.start({QStringLiteral("--help")});
    ASSERT_TRUE(help->waitForFinished(10000));
    EXPECT_EQ(help->exitCode(), 0);
    EXPECT_TRUE(help->readAllStandardOutput().contains("--command"));

    // Nothing runs: known at once from the free lock, without waiting for a socket.
    QElapsedTimer t;
    t.start();
    EXPECT_EQ(run.command(QStringLiteral("quit")), 1);
    EXPECT_LT(t.elapsed(), 2000);

    EXPECT_TRUE(run.runLog().isEmpty());
    EXPECT_FALSE(QFile::exists(run.file(QStringLiteral("DB/SystemData.db3"))));
}

TEST(ProgramRuns, ShowBringsTheLoginForward) {
    ProgramRun run;
    QProcess* first = run.start();
    ASSERT_TRUE(run.waitForLog(QStringLiteral("INFO,language=")));
    // The login follows the start window a moment later; on a loaded machine
    // the first "show" can still meet the start window, so it is sent again.
    bool shown = false;
    for (int attempt = 0; attempt < 10 && !shown; ++attempt) {
        EXPECT_EQ(run.command(QStringLiteral("show")), 0);
        shown = run.waitForLog(
            QStringLiteral("INFO,show requested through the program's inbox,window=CDlgModifyLogPW"), 1000);
    }
    EXPECT_TRUE(shown) << run.runLog().toStdString();
    EXPECT_EQ(run.command(QStringLiteral("quit")), 0);
    EXPECT_TRUE(first->waitForFinished(10000));
}

TEST(ProgramRuns, CommandWithALineBreakIsOneLogLine) {
    ProgramRun run;
    QProcess* p = run.start();
    ASSERT_TRUE(run.waitForLog(QStringLiteral("INFO,language=")));
    EXPECT_EQ(run.command(QStringLiteral("SendSMS,|,|1\r\nERROR,forged line")), 0);
    EXPECT_TRUE(run.waitForLog(
        QStringLiteral("INFO,command ignored (no handler yet): SendSMS,|,|1\\r\\nERROR,forged line\r\n")));
    EXPECT_FALSE(run.runLog().contains(QStringLiteral("\r\nERROR,forged")));
    EXPECT_EQ(run.command(QStringLiteral("quit")), 0);
    EXPECT_TRUE(p->waitForFinished(10000));
}

TEST(ProgramRuns, SkinThatIsAFifoDoesNotHoldTheStart) {
    ProgramRun run;
    QDir().mkpath(run.file(QStringLiteral("urf")));
    ASSERT_EQ(::mkfifo(QFile::encodeName(run.file(QStringLiteral("urf/pipe.urf"))).constData(), 0644), 0);
    run.writeFile(QStringLiteral("CsqxConfig.ini"), "[DefaultSkin]\ndefaultS=pipe.urf\n");
    QProcess* p = run.start();
    EXPECT_TRUE(run.waitForLog(QStringLiteral("ERROR,LoadSkin,not a regular file")));
    EXPECT_EQ(run.command(QStringLiteral("show")), 0);
    EXPECT_TRUE(run.waitForLog(QStringLiteral("window=CDlgModifyLogPW")));
    EXPECT_EQ(run.command(QStringLiteral("quit")), 0);
    EXPECT_TRUE(p->waitForFinished(10000));
}

TEST(ProgramRuns, VersionReportToAHostThatNeverAnswersHoldsNothingUp) {
    RawHttpPeer silent;
    silent.setReply({std::string(), 120000}); // takes the request, answers never
    ProgramRun run;
    run.writeFile(QStringLiteral("ServerInfo.ini"),
                  "[Deployment]\nVersionUploadUrl=" + QByteArray::fromStdString(silent.url("/saveCSV")) +
                      "\n");
    QProcess* p = run.start();
    ASSERT_TRUE(run.waitForLog(QStringLiteral("INFO,language=")));
    // The login is up while the report still waits for its answer.
    QElapsedTimer t;
    t.start();
    while (silent.requests().empty() && t.elapsed() < 10000)
        QThread::msleep(20);
    ASSERT_EQ(silent.requests().size(), 1u);
    t.restart();
    EXPECT_EQ(run.command(QStringLiteral("show")), 0);
    EXPECT_TRUE(run.waitForLog(QStringLiteral("window=CDlgModifyLogPW"), TimeBoundMs(2000)));
    EXPECT_LT(t.elapsed(), TimeBoundMs(2000));
    // "quit" stops the report and the program ends at once.
    t.restart();
    EXPECT_EQ(run.command(QStringLiteral("quit")), 0);
    EXPECT_TRUE(p->waitForFinished(TimeBoundMs(2000)));
    EXPECT_LT(t.elapsed(), TimeBoundMs(2000));
    EXPECT_EQ(p->exitCode(), 0);
    EXPECT_TRUE(run.runLog().endsWith(QStringLiteral("  END.\r\n")));
}

} // namespace

namespace {

// A database whose pages past the first are damaged: the first read works,
// only a check of the whole file finds the damage.
QByteArray DatabaseWithDamagedPages(const QString& path) {
    QDir().mkpath(QFileInfo(path).path());
    sqlite3* db = nullptr;
    EXPECT_EQ(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
    sqlite3_exec(db,
                 "PRAGMA journal_mode=DELETE; CREATE TABLE filler (t TEXT);"
                 "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i < 2000) "
                 "INSERT INTO filler SELECT printf('%0100d', i) FROM n;",
                 nullptr, nullptr, nullptr);
    sqlite3_close(db);
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadWrite));
    QByteArray bytes = f.readAll();
    for (qsizetype i = 4096 * 3; i < 4096 * 6 && i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(0xA5);
    f.seek(0);
    f.write(bytes);
    return bytes;
}

} // namespace

TEST(ProgramRuns, DatabaseThatIsNoDatabaseIsNeverUsed) {
    ProgramRun run;
    QByteArray junk(64, '\0');
    for (int i = 0; i < junk.size(); ++i)
        junk[i] = static_cast<char>((i * 37 + 11) & 0xFF);
    run.writeFile(QStringLiteral("DB/SystemData.db3"), junk);
    const int code = run.run({}, 10000);
    EXPECT_NE(code, 0);
    EXPECT_NE(code, -1);
    EXPECT_EQ(run.readFile(QStringLiteral("DB/SystemData.db3")), junk);
    const QString log = run.runLog();
    EXPECT_EQ(log.count(QStringLiteral("ERROR,")), 1) << log.toStdString();
    EXPECT_TRUE(log.contains(QStringLiteral("ERROR,OpenDatabase,first read,")));
    EXPECT_FALSE(log.contains(QStringLiteral("CREATE TABLE")));
}

TEST(ProgramRuns, DamagedPagesAreFoundAfterARunThatDidNotEnd) {
    ProgramRun run;
    const QByteArray damaged = DatabaseWithDamagedPages(run.file(QStringLiteral("DB/SystemData.db3")));
    // The previous run left its marker: it never reached "END.".
    run.writeFile(QStringLiteral("enc/Corvelane.running"), QByteArray());
    const int code = run.run({}, 10000);
    EXPECT_NE(code, 0);
    EXPECT_NE(code, -1);
    EXPECT_EQ(run.readFile(QStringLiteral("DB/SystemData.db3")), damaged);
    EXPECT_TRUE(run.runLog().contains(QStringLiteral("ERROR,OpenDatabase,quick_check,")));
    // The next start checks the file again.
    EXPECT_TRUE(QFile::exists(run.file(QStringLiteral("enc/Corvelane.running"))));
}
