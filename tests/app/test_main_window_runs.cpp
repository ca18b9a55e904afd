// The real program on a real X server (Xvfb), driven by keys as a user
// would: login, the main window and its feature-mask call, the add-in's
// commands, and the exit question.
#include "tests/support/screen_run.h"
#include "tests/support/test_helpers.h"

#include <QProcess>
#include <QStandardPaths>
#include <QThread>
#include <gtest/gtest.h>

#include <sqlite3.h>

namespace {

using XServer = XvfbServer;

bool WaitFor(const std::function<bool()>& condition, int ms);

bool WaitFor(const std::function<bool()>& condition, int ms) {
    for (int waited = 0; waited < ms; waited += 100) {
        if (condition())
            return true;
        QThread::msleep(100);
    }
    return condition();
}

TEST(ProgramRuns, MainWindowFromLoginToTheExitQuestion) {
    if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
        GTEST_SKIP() << "xdotool is not installed";
    XServer x;
    ASSERT_FALSE(x.display().isEmpty()) << "Xvfb did not start";
    LoopbackMessagingService service;
    service.script("GetAllInfo2",
                   LoopbackAnswer::Registry({{"RESULT", "0"}, {"ROLES", "0"}, {"SERVICECODE", "1065"}}));

    ProgramRun run;
    PrepareScreenRun(run, x, service, "SN-E2E-1");
    QProcess* program = run.start();

    // Enter at the login logs in with the initial empty password.
    ASSERT_TRUE(WaitFor([&] { return !x.windowNamed(QStringLiteral("登录")).isEmpty(); }, TimeBoundMs(15000)))
        << run.runLog().toStdString();
    ASSERT_TRUE(x.pressUntil(QStringLiteral("Return"), QStringLiteral("登录"), [&] {
        return run.runLog().contains(QStringLiteral("call GetAllInfo2"));
    })) << run.runLog().toStdString();
    // The log line comes before the request reaches the service.
    EXPECT_TRUE(WaitFor(
        [&] {
            for (const LoopbackCall& c : service.calls())
                if (c.operation == "GetAllInfo2")
                    return true;
            return false;
        },
        TimeBoundMs(10000)));
    ASSERT_TRUE(WaitFor([&] { return !x.windowNamed(QStringLiteral("当前登录权限")).isEmpty(); },
                        TimeBoundMs(10000)));

    // The add-in's "xtsz" opens the system settings; Esc closes them.
    EXPECT_EQ(run.command(QStringLiteral("xtsz")), 0);
    ASSERT_TRUE(
        WaitFor([&] { return !x.windowNamed(QStringLiteral("系统设置")).isEmpty(); }, TimeBoundMs(10000)));
    EXPECT_TRUE(x.pressUntil(QStringLiteral("Escape"), QStringLiteral("系统设置"),
                             [&] { return x.windowNamed(QStringLiteral("系统设置")).isEmpty(); }));

    // "rqdxsz" opens the date-message settings, which Esc closes as well.
    EXPECT_EQ(run.command(QStringLiteral("rqdxsz")), 0);
    ASSERT_TRUE(WaitFor([&] { return !x.windowNamed(QStringLiteral("设置日期类型短信")).isEmpty(); },
                        TimeBoundMs(10000)));
    EXPECT_TRUE(x.pressUntil(QStringLiteral("Escape"), QStringLiteral("设置日期类型短信"),
                             [&] { return x.windowNamed(QStringLiteral("设置日期类型短信")).isEmpty(); }));

    // "C" closes like the close box: the backup question, answered No.
    ASSERT_EQ(run.command(QStringLiteral("C")), 0)
        << run.runLog().toStdString() << program->readAllStandardError().toStdString();
    ASSERT_TRUE(
        WaitFor([&] { return !x.windowNamed(QStringLiteral("备份确认")).isEmpty(); }, TimeBoundMs(10000)));
    x.pressUntil(QStringLiteral("n"), QStringLiteral("备份确认"),
                 [&] { return program->state() == QProcess::NotRunning || program->waitForFinished(100); });
    program->waitForFinished(TimeBoundMs(10000));
    ASSERT_EQ(program->state(), QProcess::NotRunning) << run.runLog().toStdString();
    EXPECT_EQ(program->exitCode(), 0);
    EXPECT_TRUE(run.runLog().endsWith(QStringLiteral("  END.\r\n")));
    EXPECT_TRUE(run.sendLog().endsWith(QStringLiteral("  END.\r\n")));
}

} // namespace
