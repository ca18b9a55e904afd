// End-to-end runs of the real program: single instance, the inbox, the
// converter hand-over, the language.
#include "tests/support/program_run.h"

#include <QElapsedTimer>
#include <QThread>
#include <gtest/gtest.h>

#include <sqlite3.h>
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
    EXPECT_EQ(run.run({}, 5000), 0);
    EXPECT_LT(t.elapsed(), 2000);
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

} // namespace
