// The contact editor in the real program on a real X server: log in, open
// "联系人" from the File menu, enter a contact with the keyboard, OK; the
// database then holds the row.
#include "tests/support/loopback_service.h"
#include "tests/support/program_run.h"
#include "tests/support/test_helpers.h"
#include "tests/support/xvfb_server.h"

#include <QProcess>
#include <gtest/gtest.h>

#include <sqlite3.h>

namespace {

using std::chrono::milliseconds;

void PrepareDatabase(ProgramRun& run) {
    run.writeFile(QStringLiteral("DB/.keep"), "");
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(run.file(QStringLiteral("DB/SystemData.db3")).toUtf8().constData(), &db),
              SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                           "CREATE TABLE Register (SerNum CHAR(30), PassWd CHAR(10), Sign CHAR(20));"
                           "INSERT INTO Register VALUES ('SN-E2E-1','pw','');"
                           "CREATE TABLE ContactGroup (GroupID INTEGER, GroupName TEXT, MasterID INTEGER);"
                           "INSERT INTO ContactGroup VALUES (7, 'Friends', 0);",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
}

// name|mobileNum|groupID of every contact.
QString Contacts(ProgramRun& run) {
    sqlite3* db = nullptr;
    QString out;
    if (sqlite3_open_v2(run.file(QStringLiteral("DB/SystemData.db3")).toUtf8().constData(), &db,
                        SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, "SELECT name, mobileNum, groupID FROM ContactList", -1, &st, nullptr) ==
            SQLITE_OK) {
            while (sqlite3_step(st) == SQLITE_ROW)
                out += QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0))) + '|' +
                       QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 1))) + '|' +
                       QString::number(sqlite3_column_int(st, 2)) + ';';
        }
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
    return out;
}

TEST(ContactEditorRun, ANewContactFromTheFileMenuIsStored) {
    if (!XvfbServer::Available())
        GTEST_SKIP() << "Xvfb or xdotool is not installed";
    XvfbServer x;
    ASSERT_FALSE(x.display().isEmpty()) << "Xvfb did not start";
    LoopbackMessagingService service;
    service.script("GetAllInfo2",
                   LoopbackAnswer::Registry({{"RESULT", "0"}, {"ROLES", "0"}, {"SERVICECODE", "1065"}}));

    ProgramRun run;
    PrepareDatabase(run);
    run.writeFile(QStringLiteral("ServerInfo.ini"),
                  "[Deployment]\r\nMainEndpoint=" + QByteArray::fromStdString(service.url()) + "\r\n");
    run.writeFile(QStringLiteral("SN-E2E-1.ini"), "[SysSetting]\r\nAuto7=0\r\n");
    run.environment().insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    run.environment().insert(QStringLiteral("DISPLAY"), x.display());
    run.environment().insert(QStringLiteral("LANG"), QStringLiteral("zh_CN.UTF-8"));
    QProcess* program = run.start();

    const QString login = QStringLiteral("登录");
    const QString main = QStringLiteral("当前登录权限");
    const QString editor = QStringLiteral("联系人信息");
    ASSERT_TRUE(WaitUntil([&] { return !x.windowNamed(login).isEmpty(); }, milliseconds(TimeBoundMs(15000))))
        << run.runLog().toStdString();
    ASSERT_TRUE(x.pressUntil(QStringLiteral("Return"), login, [&] { return !x.windowNamed(main).isEmpty(); }))
        << run.runLog().toStdString();

    // The File menu is the first of the menu bar; "联系人" its first entry.
    bool opened = false;
    for (int attempt = 0; attempt < 4 && !opened; ++attempt) {
        x.key(QStringLiteral("Escape"), main);
        x.click(main, 15, 10);
        x.key(QStringLiteral("Down"));
        x.key(QStringLiteral("Return"));
        opened = WaitUntil([&] { return !x.windowNamed(editor).isEmpty(); }, milliseconds(TimeBoundMs(3000)));
    }
    ASSERT_TRUE(opened) << run.runLog().toStdString();

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
    ASSERT_TRUE(WaitUntil([&] { return !Contacts(run).isEmpty(); }, milliseconds(TimeBoundMs(5000))))
        << run.runLog().toStdString();
    x.key(QStringLiteral("Return"));
    EXPECT_TRUE(WaitUntil([&] { return x.windowNamed(editor).isEmpty(); }, milliseconds(TimeBoundMs(5000))));

    EXPECT_EQ(run.command(QStringLiteral("quit")), 0);
    program->waitForFinished(TimeBoundMs(15000));
    EXPECT_EQ(program->state(), QProcess::NotRunning);
    EXPECT_EQ(Contacts(run), QStringLiteral("Alice|13700000009|7;"));
}

} // namespace
