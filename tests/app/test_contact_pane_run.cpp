// The contact list pane and the group tree in the real program on a real X
// server: log in, choose a group with the keyboard, add a contact from the
// pane, tick it and delete it, add a group and rename it; the database shows
// each step.
#include "tests/support/screen_run.h"
#include "tests/support/test_helpers.h"

#include <QProcess>
#include <QThread>
#include <gtest/gtest.h>

namespace {

using std::chrono::milliseconds;

void Shot(const XvfbServer& x, const char* name) {
    if (qEnvironmentVariableIsEmpty("CORVELANE_E2E_SHOTS"))
        return;
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), x.display());
    p.setProcessEnvironment(env);
    p.start(QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"),
                                       qEnvironmentVariable("CORVELANE_E2E_SHOTS") + "/" + name + ".png"});
    p.waitForFinished(5000);
}

TEST(ContactFrameRun, PaneAndTreeStepsReachTheDatabase) {
    if (!XvfbServer::Available())
        GTEST_SKIP() << "Xvfb or xdotool is not installed";
    XvfbServer x;
    ASSERT_FALSE(x.display().isEmpty()) << "Xvfb did not start";
    LoopbackMessagingService service;
    service.script("GetAllInfo2",
                   LoopbackAnswer::Registry({{"RESULT", "0"}, {"ROLES", "0"}, {"SERVICECODE", "1065"}}));

    ProgramRun run;
    PrepareScreenRun(run, x, service, "SN-E2E-2",
                     "CREATE TABLE ContactGroup (GroupID INTEGER, GroupName TEXT, MasterID INTEGER);"
                     "INSERT INTO ContactGroup VALUES (7, 'Friends', 0);");
    QProcess* program = run.start();

    const QString login = QStringLiteral("登录");
    const QString main = QStringLiteral("当前登录权限");
    ASSERT_TRUE(WaitUntil([&] { return !x.windowNamed(login).isEmpty(); }, milliseconds(TimeBoundMs(15000))))
        << run.runLog().toStdString();
    ASSERT_TRUE(x.pressUntil(QStringLiteral("Return"), login, [&] { return !x.windowNamed(main).isEmpty(); }))
        << run.runLog().toStdString();
    QThread::msleep(TimeBoundMs(1500));
    Shot(x, "1-main");

    // The tree takes the keyboard: the contacts node, then the group.
    x.click(main, 110, 400);
    x.key(QStringLiteral("Home"));
    x.key(QStringLiteral("Down"));
    QThread::msleep(TimeBoundMs(500));
    Shot(x, "2-group");

    // A contact from the pane's "增加联系人": the group is ticked already.
    const QString editor = QStringLiteral("联系人信息");
    ASSERT_TRUE(
        x.pressUntil(QStringLiteral("alt+l"), main, [&] { return !x.windowNamed(editor).isEmpty(); }));
    x.key(QStringLiteral("ctrl+a"), editor);
    x.type(QStringLiteral("Bob"));
    x.key(QStringLiteral("Tab"));
    x.key(QStringLiteral("Tab"));
    x.type(QStringLiteral("13700000008"));
    Shot(x, "3-editor");
    x.key(QStringLiteral("Return"));
    ASSERT_TRUE(WaitUntil([&] { return !DatabaseRows(run, "SELECT name FROM ContactList").isEmpty(); },
                          milliseconds(TimeBoundMs(5000))))
        << run.runLog().toStdString();
    EXPECT_EQ(DatabaseRows(run, "SELECT name, mobileNum, groupID FROM ContactList"), "Bob|13700000008|7;");
    // "保存联系人信息成功" maps after the row is written: press until it and
    // the editor are gone.
    EXPECT_TRUE(
        x.pressUntil(QStringLiteral("Return"), QString(), [&] { return x.windowNamed(editor).isEmpty(); }));
    QThread::msleep(TimeBoundMs(500));
    Shot(x, "4-added");

    // Tick the row's box, then "删除(D)" and yes to the question.
    x.click(main, 239, 234);
    QThread::msleep(TimeBoundMs(300));
    x.key(QStringLiteral("alt+d"), main);
    QThread::msleep(TimeBoundMs(800));
    Shot(x, "5-delete-question");
    x.key(QStringLiteral("Return"));
    EXPECT_TRUE(WaitUntil([&] { return DatabaseRows(run, "SELECT name FROM ContactList").isEmpty(); },
                          milliseconds(TimeBoundMs(5000))))
        << DatabaseRows(run, "SELECT name FROM ContactList").toStdString();

    // A new group from the contacts node's menu, then renamed with F2.
    const QString addGroup = QStringLiteral("增加分组");
    x.click(main, 45, 98, 3);
    QThread::msleep(TimeBoundMs(500));
    Shot(x, "6-menu");
    x.key(QStringLiteral("Down"));
    x.key(QStringLiteral("Return"));
    ASSERT_TRUE(
        WaitUntil([&] { return !x.windowNamed(addGroup).isEmpty(); }, milliseconds(TimeBoundMs(5000))));
    x.key(QStringLiteral("ctrl+a"), addGroup);
    x.type(QStringLiteral("Team"));
    x.key(QStringLiteral("Return"));
    ASSERT_TRUE(WaitUntil(
        [&] {
            return DatabaseRows(run, "SELECT GroupName FROM ContactGroup ORDER BY GroupID") ==
                   QStringLiteral("Friends;Team;");
        },
        milliseconds(TimeBoundMs(5000))))
        << DatabaseRows(run, "SELECT GroupName FROM ContactGroup").toStdString();
    QThread::msleep(TimeBoundMs(500));
    Shot(x, "7-group-added");
    x.click(main, 66, 113);
    x.key(QStringLiteral("Down"));
    x.key(QStringLiteral("F2"));
    QThread::msleep(TimeBoundMs(300));
    x.key(QStringLiteral("ctrl+a"));
    x.type(QStringLiteral("Crew"));
    x.key(QStringLiteral("Return"));
    EXPECT_TRUE(WaitUntil(
        [&] {
            return DatabaseRows(run, "SELECT GroupName FROM ContactGroup ORDER BY GroupID") ==
                   QStringLiteral("Friends;Crew;");
        },
        milliseconds(TimeBoundMs(5000))))
        << DatabaseRows(run, "SELECT GroupName FROM ContactGroup").toStdString();
    Shot(x, "8-renamed");

    EXPECT_EQ(run.command(QStringLiteral("quit")), 0);
    program->waitForFinished(TimeBoundMs(15000));
    EXPECT_EQ(program->state(), QProcess::NotRunning);
    // After the end the file holds every step.
    EXPECT_EQ(DatabaseRows(run, "SELECT COUNT(*) FROM ContactList"), "0;");
    EXPECT_EQ(DatabaseRows(run, "SELECT GroupName, MasterID FROM ContactGroup ORDER BY GroupID"),
              "Friends|0;Crew|0;");
}

} // namespace
