// The real programs: Brannock's silent check and single copy, Corvelane
// starting it and taking over a new copy, ending the main program and the
// update's processes.
#include "core/paths.h"
#include "platform/encoding.h"
#include "tests/support/msgbox_recorder.h"
#include "tests/support/program_run.h"
#include "tests/updater/updater_sandbox.h"
#include "updater/companion_end.h"
#include "updater/companion_utils.h"
#include "updater/updater_lock.h"

#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>

#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#ifndef BRANNOCK_PROGRAM
#define BRANNOCK_PROGRAM ""
#endif

namespace {

using UpdaterPrograms = UpdaterSandbox;

void InstallBrannock(const QString& folder) {
    const QString target = folder + QStringLiteral("/Brannock");
    QFile::remove(target);
    ASSERT_TRUE(QFile::copy(QStringLiteral(BRANNOCK_PROGRAM), target));
    ::chmod(QFile::encodeName(target).constData(), 0755);
}

QString DayLogOf(const QString& folder) {
    QByteArray bytes = UpdaterSandbox::Read(
        folder + QStringLiteral("/enc/update_%1.enc").arg(QDate::currentDate().toString(Qt::ISODate)));
    for (char& c : bytes)
        c = static_cast<char>(c ^ 0x5C);
    return enc::FromGbk(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
}

// Runs Brannock from the sandbox without a display.
int RunBrannock(const UpdaterSandbox& sandbox, const QString& program, const QStringList& arguments,
                qint64* elapsed = nullptr) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::ForwardedChannels);
    QElapsedTimer t;
    t.start();
    p.start(program, arguments);
    if (!p.waitForFinished(30000)) {
        p.kill();
        p.waitForFinished();
        return -1;
    }
    if (elapsed)
        *elapsed = t.elapsed();
    (void)sandbox;
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

TEST_F(UpdaterPrograms, SilentCheckWithoutADisplayAndASecondCopy) {
    InstallBrannock(prog());
    Write(prog(QStringLiteral("Update.dat")), "[FileVer]\nf.txt=1\n");
    serve(QStringLiteral("upd/update.dat"), "[FileVer]\nf.txt=2\n");
    EXPECT_EQ(
        RunBrannock(*this, prog(QStringLiteral("Brannock")), {descriptionUrl(), QStringLiteral("/hide")}), 0);
    EXPECT_EQ(haveNew(), QStringLiteral("1"));
    const QString log = DayLogOf(prog());
    EXPECT_TRUE(log.contains(QStringLiteral("  f.txt\r\n")));
    EXPECT_TRUE(log.endsWith(QStringLiteral("  update END")));

    // A second copy ends at once, silently, touching nothing.
    QFile::remove(prog(QStringLiteral("CsqxConfig.ini")));
    UpdaterLock held;
    ASSERT_TRUE(held.acquire());
    qint64 elapsed = 0;
    EXPECT_EQ(RunBrannock(*this, prog(QStringLiteral("Brannock")),
                          {descriptionUrl(), QStringLiteral("/hide")}, &elapsed),
              0);
    EXPECT_LT(elapsed, 5000);
    EXPECT_EQ(haveNew(), QStringLiteral("<none>"));
}

TEST_F(UpdaterPrograms, MainProgramStartsTheUpdaterAndTakesOverItsNewCopy) {
    ProgramRun run;
    InstallBrannock(run.folder());
    run.writeFile(QStringLiteral("Update.dat"), "[FileVer]\nf.txt=1\n");
    run.writeFile(QStringLiteral("ServerInfo.ini"),
                  "[UpdateServerAddress]\nUpdateUrl=" + descriptionUrl().toUtf8() + "\n");
    run.writeFile(QStringLiteral("CsqxConfig.ini"), "[Update]\nHaveNew=1\n");
    serve(QStringLiteral("upd/update.dat"), "[FileVer]\nf.txt=2\nBrannock.gz=9\n");
    serve(QStringLiteral("upd/f.txt"), "f");
    serve(QStringLiteral("upd/Brannock.gz"), Gzip(Read(QStringLiteral(BRANNOCK_PROGRAM)) + "#new"));

    // HaveNew=1: the start runs the real updater, which lists the files.
    run.environment().insert(QStringLiteral("no_proxy"), QStringLiteral("127.0.0.1"));
    run.start();
    QElapsedTimer t;
    t.start();
    while (!DayLogOf(run.folder()).contains(QStringLiteral("检测到以上文件需要升级")) && t.elapsed() < 20000)
        QThread::msleep(100);
    const QString log = DayLogOf(run.folder());
    EXPECT_TRUE(log.contains(QStringLiteral("  f.txt\r\n")));
    EXPECT_TRUE(log.contains(QStringLiteral("  Brannock.gz\r\n")));
    EXPECT_TRUE(EndProcessesOf(run.file(QStringLiteral("Brannock"))));

    // The update replaces the updater only by leaving its new copy in temp ...
    {
        SetAppDirectory(run.folder());
        MessageBoxRecorder boxes;
        RecordingView view;
        CBrannockEngine engine(view, run.folder(), true);
        engine.Start(descriptionUrl());
        engine.CheckUpdate();
        engine.DoUpdate();
        EXPECT_TRUE(engine.fullUpdateDone());
        SetAppDirectory(prog());
    }
    EXPECT_EQ(UpdaterSandbox::ModeOf(run.file(QStringLiteral("temp/Brannock"))), 0755);
    // ... which the next start of the main program moves over the updater.
    run.writeFile(QStringLiteral("CsqxConfig.ini"), "[Update]\nHaveNew=0\n");
    run.start();
    t.restart();
    while (QFileInfo::exists(run.file(QStringLiteral("temp/Brannock"))) && t.elapsed() < 20000)
        QThread::msleep(100);
    EXPECT_TRUE(run.readFile(QStringLiteral("Brannock")).endsWith("#new"));
    EXPECT_EQ(UpdaterSandbox::ModeOf(run.file(QStringLiteral("Brannock"))), 0755);
    EndProcessesOf(run.file(QStringLiteral("Brannock")));
}

TEST_F(UpdaterPrograms, EndsTheMainProgramAndOnlyTheFoldersProcesses) {
    ProgramRun run;
    QProcess* main = run.start();
    ASSERT_TRUE(run.waitForLog(QStringLiteral("INFO,language=")));
    const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(run.file(QStringLiteral("run"))));
    EXPECT_TRUE(EndMainProgram(run.folder()));
    qputenv("XDG_RUNTIME_DIR", saved);
    ASSERT_TRUE(main->waitForFinished(10000));
    EXPECT_TRUE(run.runLog().endsWith(QStringLiteral("  END.\r\n")));

    // A stub of the program folder ends; the same-named one outside survives.
    auto start = [](const QString& path) {
        QFile::copy(QStringLiteral("/bin/sleep"), path);
        ::chmod(QFile::encodeName(path).constData(), 0755);
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::execl(QFile::encodeName(path).constData(), "stub", "60", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        return pid;
    };
    QDir().mkpath(outside());
    const pid_t inside = start(prog(QStringLiteral("stub")));
    const pid_t outsider = start(outside(QStringLiteral("stub")));
    QThread::msleep(200);
    Write(prog(QStringLiteral("Update.dat")), "[FileVer]\n");
    serve(QStringLiteral("upd/update.dat"), "[FileVer]\nx.txt=1\n[CloseFiles]\nstub=\n");
    serve(QStringLiteral("upd/x.txt"), "x");
    runUpdate(true, true);
    int status = 0;
    EXPECT_EQ(::waitpid(inside, &status, WNOHANG), inside);
    EXPECT_EQ(::waitpid(outsider, &status, WNOHANG), 0);
    EXPECT_TRUE(dayLog().contains(QStringLiteral("强制结束进程stub")));
    ::kill(outsider, SIGKILL);
    ::waitpid(outsider, nullptr, 0);
}

} // namespace
