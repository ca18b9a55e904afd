// Contact import and export in the real program on a real X server: log in,
// pick a group, bring a GBK CSV file in through "导入" (Qt's file dialog,
// the columns 姓名 and 手机 mapped, finish), then export the group to an
// .xlsx workbook. After "quit" the database holds the rows and openpyxl
// reads them back from the workbook.
#include "platform/encoding.h"
#include "tests/support/screen_run.h"
#include "tests/support/test_helpers.h"
#include "tests/support/xlsx_reader.h"

#include <QFileInfo>
#include <QProcess>
#include <gtest/gtest.h>

namespace {

using std::chrono::milliseconds;

// The title of Qt's own file dialog on the screen (with or without Qt's
// Chinese translation); empty when none is.
QString FileDialogTitle(const XvfbServer& x) {
    for (const char* title : {"打开", "另存为", "Open", "Save As"})
        if (!x.windowNamed(QString::fromUtf8(title)).isEmpty())
            return QString::fromUtf8(title);
    return QString();
}

bool FileDialogShown(const XvfbServer& x) {
    return !FileDialogTitle(x).isEmpty();
}

// Types `path` into the file dialog's name box (it has the focus; a save
// dialog proposes a name there) and accepts it. The name is typed again only
// while the dialog is still there: a stray Return would reach the window
// below.
bool AnswerFileDialog(const XvfbServer& x, const QString& path) {
    if (!WaitUntil([&] { return FileDialogShown(x); }, milliseconds(TimeBoundMs(10000))))
        return false;
    for (int attempt = 0; attempt < 3; ++attempt) {
        const QString title = FileDialogTitle(x);
        if (title.isEmpty())
            return true;
        x.key(QStringLiteral("ctrl+a"), title);
        x.type(path);
        x.key(QStringLiteral("Return"));
        if (WaitUntil([&] { return !FileDialogShown(x); }, milliseconds(TimeBoundMs(5000))))
            return true;
    }
    return !FileDialogShown(x);
}

// Closes the window that has the keyboard (a message box) with Return. The
// key goes again while the box stays: one sent the moment the box takes the
// keyboard can be lost.
bool CloseFocusedBox(const XvfbServer& x) {
    const QString box = x.xdotool({QStringLiteral("getwindowfocus")});
    const auto shown = [&] {
        return x
            .xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--maxdepth"),
                      QStringLiteral("1"), QString()})
            .split(QLatin1Char('\n'))
            .contains(box);
    };
    for (int attempt = 0; attempt < 4 && shown(); ++attempt) {
        x.xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), box});
        x.key(QStringLiteral("Return"));
        WaitUntil([&] { return !shown(); }, milliseconds(TimeBoundMs(3000)));
    }
    return !shown();
}

TEST(ImportExportRun, AGbkFileComesInThroughTheWizardAndGoesOutAsAWorkbook) {
    if (!XvfbServer::Available())
        GTEST_SKIP() << "Xvfb or xdotool is not installed";
    XvfbServer x;
    ASSERT_FALSE(x.display().isEmpty()) << "Xvfb did not start";
    LoopbackMessagingService service;
    service.script("GetAllInfo2",
                   LoopbackAnswer::Registry({{"RESULT", "0"}, {"ROLES", "0"}, {"SERVICECODE", "1065"}}));

    ProgramRun run;
    PrepareScreenRun(run, x, service, "SN-E2E-3",
                     "CREATE TABLE ContactGroup (GroupID INTEGER, GroupName TEXT, MasterID INTEGER);"
                     "INSERT INTO ContactGroup VALUES (7, 'Friends', 0);"
                     "INSERT INTO ContactGroup VALUES (8, 'Family', 0);");
    // The notes column stays unmapped: the mobile number's list offers it
    // after 手机.
    run.writeFile(QStringLiteral("in/contacts.csv"),
                  QByteArray::fromStdString(enc::ToGbk(u"姓名,手机,备注\r\n"
                                                       u"张三,13800000001,同事\r\n"
                                                       u"李四,13800000002,邻居\r\n"
                                                       u"王五,13800000003,\r\n")));
    const QString csv = run.file(QStringLiteral("in/contacts.csv"));
    const QString workbook = run.file(QStringLiteral("out/contacts.xlsx"));
    run.writeFile(QStringLiteral("out/.keep"), "");
    QProcess* program = run.start();

    const QString login = QStringLiteral("登录");
    const QString main = QStringLiteral("当前登录权限");
    ASSERT_TRUE(WaitUntil([&] { return !x.windowNamed(login).isEmpty(); }, milliseconds(TimeBoundMs(15000))))
        << run.runLog().toStdString();
    ASSERT_TRUE(x.pressUntil(QStringLiteral("Return"), login, [&] { return !x.windowNamed(main).isEmpty(); }))
        << run.runLog().toStdString();

    // A contact of the other group, which the export must leave out.
    ASSERT_TRUE(DatabaseExec(
        run, "INSERT INTO ContactList (name, mobileNum, groupID) VALUES ('赵六', '13900000009', 8)"));

    // The group: the tree takes the keyboard, the contacts node, its first
    // group. Without a group "导入" only says so.
    x.click(main, 110, 400);
    x.key(QStringLiteral("Home"));
    x.key(QStringLiteral("Down"));

    // The wizard's steps share a title; each step is a window of its own,
    // shown in place of the one before.
    const QString wizard = QStringLiteral("导入联系人窗口");
    ASSERT_TRUE(OpenFromFileMenu(x, 2, wizard)) << run.runLog().toStdString();
    const QString sourceStep = x.windowNamed(wizard);
    auto nextStep = [&](const QString& before) {
        QString id;
        WaitUntil(
            [&] {
                id = x.windowNamed(wizard);
                return !id.isEmpty() && id != before;
            },
            milliseconds(TimeBoundMs(15000)));
        return id != before ? id : QString();
    };

    // "浏览..." is the first window's default button: Return opens the file
    // dialog. Then "下一步", the last control, one Shift+Tab from the first.
    ASSERT_TRUE(x.pressUntil(QStringLiteral("Return"), wizard, [&] { return FileDialogShown(x); }));
    ASSERT_TRUE(AnswerFileDialog(x, csv));
    x.key(QStringLiteral("shift+Tab"), wizard);
    x.key(QStringLiteral("space"), wizard);
    const QString mappingStep = nextStep(sourceStep);
    ASSERT_FALSE(mappingStep.isEmpty()) << run.runLog().toStdString();

    // The mapping step: the group-column list has the focus, then come the
    // two buttons, the rows' scroll area and one list per field: 姓名, 性别,
    // 手机或小灵通. Down takes a list's first column still free.
    for (int i = 0; i < 4; ++i)
        x.key(QStringLiteral("Tab"), wizard);
    x.key(QStringLiteral("Down"), wizard); // 姓名 <- 姓名
    x.key(QStringLiteral("Tab"), wizard);
    x.key(QStringLiteral("Tab"), wizard);
    x.key(QStringLiteral("Down"), wizard); // 手机或小灵通 <- 手机
    for (int i = 0; i < 4; ++i)
        x.key(QStringLiteral("shift+Tab"), wizard);
    x.key(QStringLiteral("space"), wizard); // "下一步"
    const QString groupStep = nextStep(mappingStep);
    ASSERT_FALSE(groupStep.isEmpty()) << run.runLog().toStdString();

    // "完成". The group step ticks the chosen group a moment after it
    // shows; pressed before that, "完成" only says no group is ticked. That
    // box takes the keyboard; once it is closed, "完成" again.
    const auto imported = [&] {
        return DatabaseRows(run, "SELECT COUNT(*) FROM ContactList WHERE groupID = 7") ==
                   QStringLiteral("3;") ||
               x.windowNamed(wizard).isEmpty();
    };
    const auto boxShown = [&] { return x.xdotool({QStringLiteral("getwindowfocus")}) != groupStep; };
    x.key(QStringLiteral("shift+Tab"), wizard);
    for (int attempt = 0; attempt < 4 && !imported(); ++attempt) {
        x.key(QStringLiteral("space"), wizard);
        if (WaitUntil([&] { return imported() || boxShown(); }, milliseconds(TimeBoundMs(5000))) &&
            !imported()) {
            ASSERT_TRUE(CloseFocusedBox(x));
        }
    }
    ASSERT_TRUE(WaitUntil(imported, milliseconds(TimeBoundMs(5000)))) << run.runLog().toStdString();
    // The outcome's box maps after the commit; the wizard ends with it.
    ASSERT_TRUE(
        x.pressUntil(QStringLiteral("Return"), QString(), [&] { return x.windowNamed(wizard).isEmpty(); }));

    // The export: the group ticked, "xls格式" ticked, "确定" the default
    // button, the workbook named in the save dialog.
    const QString exportWindow = QStringLiteral("选择组");
    ASSERT_TRUE(OpenFromFileMenu(x, 3, exportWindow)) << run.runLog().toStdString();
    x.key(QStringLiteral("Home"), exportWindow);
    x.key(QStringLiteral("space"), exportWindow);
    x.key(QStringLiteral("Tab"), exportWindow);
    x.key(QStringLiteral("space"), exportWindow);
    ASSERT_TRUE(x.pressUntil(QStringLiteral("Return"), exportWindow, [&] { return FileDialogShown(x); }));
    ASSERT_TRUE(AnswerFileDialog(x, workbook));
    ASSERT_TRUE(WaitUntil([&] { return QFileInfo::exists(workbook); }, milliseconds(TimeBoundMs(15000))))
        << run.runLog().toStdString();
    // "导出联系人成功", then the dialog ends.
    EXPECT_TRUE(x.pressUntil(QStringLiteral("Return"), QString(),
                             [&] { return x.windowNamed(exportWindow).isEmpty(); }));

    EXPECT_EQ(run.command(QStringLiteral("quit")), 0);
    program->waitForFinished(TimeBoundMs(15000));
    EXPECT_EQ(program->state(), QProcess::NotRunning);

    // Texts compared as UTF-8, so that a failure reads.
    EXPECT_EQ(DatabaseRows(run, "SELECT name, mobileNum, mark, groupID FROM ContactList ORDER BY mobileNum")
                  .toStdString(),
              "张三|13800000001||7;李四|13800000002||7;王五|13800000003||7;赵六|13900000009||8;");
    const auto sheets = ReadXlsx(workbook);
    ASSERT_EQ(sheets.size(), 1u);
    EXPECT_EQ(sheets.begin()->first.toStdString(), "Sheet1");
    QStringList nameAndNumber;
    for (const QStringList& row : sheets.begin()->second)
        nameAndNumber << row.value(0) + QLatin1Char('|') + row.value(2);
    EXPECT_EQ(nameAndNumber.join(QLatin1Char(';')).toStdString(),
              "姓名|手机或小灵通;张三|13800000001;李四|13800000002;王五|13800000003");
}

} // namespace
