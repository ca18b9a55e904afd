// The real program on a real X server (Xvfb), driven by keys as a user
// would: login, the main window and its feature-mask call, the add-in's
// commands, and the exit question.
#include "tests/support/loopback_service.h"
#include "tests/support/program_run.h"
#include "tests/support/test_helpers.h"

#include <QProcess>
#include <QStandardPaths>
#include <QThread>
#include <gtest/gtest.h>

#include <sqlite3.h>

namespace {

// An X server of its own for one test: Xvfb picks a free display and
// writes its number to our pipe.
class XServer {
public:
    XServer() {
        const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        if (xvfb.isEmpty())
            return;
        m_process.setProgram(xvfb);
        m_process.setArguments({QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                                QStringLiteral("0"), QStringLiteral("1280x1024x24"), QStringLiteral("-nolisten"),
                                QStringLiteral("tcp")});
        m_process.start();
        if (!m_process.waitForStarted(5000))
            return;
        for (int i = 0; i < 100 && !m_process.canReadLine(); ++i)
            m_process.waitForReadyRead(100);
        const QByteArray line = m_process.readLine().trimmed();
        if (!line.isEmpty())
            m_display = QStringLiteral(":") + QString::fromLatin1(line);
    }
    ~XServer() {
        m_process.terminate();
        if (!m_process.waitForFinished(3000))
            m_process.kill();
    }
    QString display() const { return m_display; }

    // xdotool with this display; its output.
    QString xdotool(const QStringList& arguments) const {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), m_display);
        p.setProcessEnvironment(env);
        p.start(QStringLiteral("xdotool"), arguments);
        p.waitForFinished(5000);
        return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
    }
    // The visible window whose title holds `name` (xdotool's own name search
    // cannot match UTF-8 titles); empty when none.
    QString windowNamed(const QString& name) const {
        const QStringList ids = xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                         QStringLiteral("--name"), QStringLiteral(".")})
                                    .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        for (const QString& id : ids)
            if (xdotool({QStringLiteral("getwindowname"), id}).contains(name))
                return id;
        return QString();
    }
    // Sends a key to the window that has the focus, or to the named one.
    void key(const QString& key, const QString& window = QString()) const {
        if (!window.isEmpty()) {
            const QString id = windowNamed(window);
            if (!id.isEmpty()) {
                xdotool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), id});
                xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), id});
            }
        }
        xdotool({QStringLiteral("key"), key});
    }

private:
    QProcess m_process;
    QString m_display;
};

bool WaitFor(const std::function<bool()>& condition, int ms);

// A key reaches a window only once it has the keyboard; on a loaded machine
// that can take a moment, so the key is sent again until `done` holds.
bool PressUntil(const XServer& x, const QString& key, const QString& window, const std::function<bool()>& done) {
    for (int attempt = 0; attempt < 4; ++attempt) {
        x.key(key, window);
        if (WaitFor(done, TimeBoundMs(3000)))
            return true;
    }
    return false;
}

bool WaitFor(const std::function<bool()>& condition, int ms) {
    for (int waited = 0; waited < ms; waited += 100) {
        if (condition())
            return true;
        QThread::msleep(100);
    }
    return condition();
}

void StoreAccount(ProgramRun& run) {
    run.writeFile(QStringLiteral("DB/.keep"), "");
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(run.file(QStringLiteral("DB/SystemData.db3")).toUtf8().constData(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                           "CREATE TABLE Register (SerNum CHAR(30), PassWd CHAR(10), Sign CHAR(20));"
                           "INSERT INTO Register VALUES ('SN-E2E-1','pw','');",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
}

TEST(ProgramRuns, MainWindowFromLoginToTheExitQuestion) {
    if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
        GTEST_SKIP() << "xdotool is not installed";
    XServer x;
    ASSERT_FALSE(x.display().isEmpty()) << "Xvfb did not start";
    LoopbackMessagingService service;
    service.script("GetAllInfo2", LoopbackAnswer::Registry({{"RESULT", "0"}, {"ROLES", "0"}, {"SERVICECODE", "1065"}}));

    ProgramRun run;
    StoreAccount(run);
    run.writeFile(QStringLiteral("ServerInfo.ini"),
                  "[Deployment]\r\nMainEndpoint=" + QByteArray::fromStdString(service.url()) + "\r\n");
    run.writeFile(QStringLiteral("SN-E2E-1.ini"), "[SysSetting]\r\nAuto7=0\r\n");
    run.environment().insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    run.environment().insert(QStringLiteral("DISPLAY"), x.display());
    run.environment().insert(QStringLiteral("LANG"), QStringLiteral("zh_CN.UTF-8"));
    QProcess* program = run.start();

    // Enter at the login logs in with the initial empty password.
    ASSERT_TRUE(WaitFor([&] { return !x.windowNamed(QStringLiteral("登录")).isEmpty(); }, TimeBoundMs(15000)))
        << run.runLog().toStdString();
    ASSERT_TRUE(PressUntil(x, QStringLiteral("Return"), QStringLiteral("登录"),
                           [&] { return run.runLog().contains(QStringLiteral("call GetAllInfo2")); }))
        << run.runLog().toStdString();
    bool called = false;
    for (const LoopbackCall& c : service.calls())
        called = called || c.operation == "GetAllInfo2";
    EXPECT_TRUE(called);
    ASSERT_TRUE(WaitFor([&] { return !x.windowNamed(QStringLiteral("当前登录权限")).isEmpty(); }, TimeBoundMs(10000)));

    // The add-in's "xtsz" opens the system settings; Esc closes them.
    EXPECT_EQ(run.command(QStringLiteral("xtsz")), 0);
    ASSERT_TRUE(WaitFor([&] { return !x.windowNamed(QStringLiteral("系统设置")).isEmpty(); }, TimeBoundMs(10000)));
    EXPECT_TRUE(PressUntil(x, QStringLiteral("Escape"), QStringLiteral("系统设置"),
                           [&] { return x.windowNamed(QStringLiteral("系统设置")).isEmpty(); }));

    // "C" closes like the close box: the backup question, answered No.
    ASSERT_EQ(run.command(QStringLiteral("C")), 0) << run.runLog().toStdString() << program->readAllStandardError().toStdString();
    ASSERT_TRUE(WaitFor([&] { return !x.windowNamed(QStringLiteral("备份确认")).isEmpty(); }, TimeBoundMs(10000)));
    PressUntil(x, QStringLiteral("n"), QStringLiteral("备份确认"),
               [&] { return program->state() == QProcess::NotRunning || program->waitForFinished(100); });
    program->waitForFinished(TimeBoundMs(10000));
    ASSERT_EQ(program->state(), QProcess::NotRunning) << run.runLog().toStdString();
    EXPECT_EQ(program->exitCode(), 0);
    EXPECT_TRUE(run.runLog().endsWith(QStringLiteral("  END.\r\n")));
    EXPECT_TRUE(run.sendLog().endsWith(QStringLiteral("  END.\r\n")));
}

} // namespace
