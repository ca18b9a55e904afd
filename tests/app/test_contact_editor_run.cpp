// The contact editor in the real program on a real X server: log in, open
// "联系人" from the File menu, enter a contact with the keyboard, OK; the
// database then holds the row.
#include "tests/support/screen_run.h"
#include "tests/support/test_helpers.h"
#include "tests/support/xvfb_server.h"

#include <QProcess>
#include <gtest/gtest.h>

namespace {

using std::chrono::milliseconds;

// name|mobileNum|groupID of every contact.
const char kContacts[] = "SELECT name, mobileNum, groupID FROM ContactList";

TEST(ContactEditorRun, ANewContactFromTheFileMenuIsStored) {
    if (!XvfbServer::Available())
        GTEST_SKIP() << "Xvfb or xdotool is not installed";
    XvfbServer x;
    ASSERT_FALSE(x.display().isEmpty()) << "Xvfb did not start";
    LoopbackMessagingService service;
    service.script("GetAllInfo2",
                   LoopbackAnswer::Registry({{"RESULT", "0"}, {"ROLES", "0"}, {"SERVICECODE", "1065"}}));

    ProgramRun run;
    PrepareScreenRun(run, x, service, "SN-E2E-1",
                     "CREATE TABLE ContactGroup (GroupID INTEGER, GroupName TEXT, MasterID INTEGER);"
                     "INSERT INTO ContactGroup VALUES (7, 'Friends', 0);");
    QProcess* program = run.start();

    const QString login = QStringLiteral("登录");
    const QString main = QStringLiteral("当前登录权限");
    const QString editor = QStringLiteral("联系人信息");
    ASSERT_TRUE(WaitUntil([&] { return !x.windowNamed(login).isEmpty(); }, milliseconds(TimeBoundMs(15000))))
        << run.runLog().toStdString();
    ASSERT_TRUE(x.pressUntil(QStringLiteral("Return"), login, [&] { return !x.windowNamed(main).isEmpty(); }))
        << run.runLog().toStdString();

    // "联系人" is the File menu's first entry.
    ASSERT_TRUE(OpenFromFileMenu(x, 1, editor)) << run.runLog().toStdString();

    // The name has the focus; Tab leads through sex to the number, and on
    // through the page to the groups.
    x.key(QStringLiteral("ctrl+a"), editor);
    x.type(QStringLiteral("Alice"));
    x.key(QStringLiteral("Tab"));
    x.key(QStringLiteral("Tab"));
    x.type(QStringLiteral("13700000009"));
    for (int i = 0; i < 20; ++i)
        x.key(QStringLiteral("Tab"));
    x.key(QStringLiteral("Down"));
    x.key(QStringLiteral("space"));
    x.key(QStringLiteral("Return"));
    // "保存联系人信息成功", then the editor closes.
    ASSERT_TRUE(
        WaitUntil([&] { return !DatabaseRows(run, kContacts).isEmpty(); }, milliseconds(TimeBoundMs(5000))))
        << run.runLog().toStdString();
    // The row is written before the message box maps; a key sent in between
    // is lost, so press until the editor is gone.
    EXPECT_TRUE(
        x.pressUntil(QStringLiteral("Return"), QString(), [&] { return x.windowNamed(editor).isEmpty(); }));

    EXPECT_EQ(run.command(QStringLiteral("quit")), 0);
    program->waitForFinished(TimeBoundMs(15000));
    EXPECT_EQ(program->state(), QProcess::NotRunning);
    EXPECT_EQ(DatabaseRows(run, kContacts), QStringLiteral("Alice|13700000009|7;"));
}

} // namespace
