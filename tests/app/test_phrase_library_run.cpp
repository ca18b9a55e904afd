// The phrase library in the real program on a real X server: "短语库" from
// the "短信" menu, a group and its phrase clicked, "选择(&O)" opens the SMS
// composer with the phrase. The composer's "加入短语库(&I)" then hands that
// text back to a second library, which saves it into the group: read back
// from the database, the composer held exactly the phrase.
#include "tests/support/screen_run.h"
#include "tests/support/test_helpers.h"
#include "tests/support/trial_screen_run.h"

#include <QProcess>
#include <gtest/gtest.h>

namespace {

using std::chrono::milliseconds;

using PhraseLibraryRun = TrialScreenRun;

TEST_F(PhraseLibraryRun, ChoosingAPhraseOpensTheComposerWithIt) {
    ProgramRun run;
    QProcess* program = StartProgram(run, QString());
    ASSERT_TRUE(program);
    ASSERT_TRUE(DatabaseExec(run, "INSERT INTO smsSourceGroup (recID,parentID,content) VALUES (10,2,'问候');"
                                  "INSERT INTO smsSourceContent (recID,parentID,content,creatTime) VALUES "
                                  "(1,10,'周末愉快','2012-05-01 08:30');"));
    ASSERT_TRUE(LogIn()) << run.runLog().toStdString();

    const QString main = QStringLiteral("当前登录权限");
    const QString library = QStringLiteral("短语库");
    const QString composer = QStringLiteral("发送短信");
    const auto shown = [&](const QString& title) {
        return WaitUntil([&] { return !x->windowNamed(title).isEmpty(); }, milliseconds(TimeBoundMs(3000)));
    };
    // "短信" is the menu bar's fifth menu, "短语库" its fourth entry: the
    // File menu opened with a click, then the keys.
    bool opened = false;
    for (int attempt = 0; attempt < 4 && !opened; ++attempt) {
        x->key(QStringLiteral("Escape"), main);
        x->click(main, 15, 10);
        for (int i = 0; i < 4; ++i)
            x->key(QStringLiteral("Right"));
        for (int i = 0; i < 3; ++i)
            x->key(QStringLiteral("Down"));
        x->key(QStringLiteral("Return"));
        opened = shown(library);
    }
    ASSERT_TRUE(opened) << run.runLog().toStdString();

    // The first root clicked, then Down to its group; the first phrase row
    // clicked. Alt+O chooses it.
    const auto chooseGroup = [&] {
        x->click(library, 40, 18);
        x->key(QStringLiteral("Down"), library);
    };
    chooseGroup();
    x->click(library, 300, 45);
    ASSERT_TRUE(x->pressUntil(QStringLiteral("alt+o"), library, [&] {
        return !x->windowNamed(composer).isEmpty();
    })) << run.runLog().toStdString();
    EXPECT_TRUE(x->windowNamed(library).isEmpty());

    // Alt+I: a library with the composer's text in its editor; the group
    // chosen, Alt+S saves that text as a new phrase.
    ASSERT_TRUE(x->pressUntil(QStringLiteral("alt+i"), composer, [&] {
        return !x->windowNamed(library).isEmpty();
    })) << run.runLog().toStdString();
    chooseGroup();
    x->key(QStringLiteral("alt+s"), library);
    ASSERT_TRUE(WaitUntil(
        [&] { return DatabaseRows(run, "SELECT COUNT(*) FROM smsSourceContent") == QLatin1String("2;"); },
        milliseconds(TimeBoundMs(5000))))
        << DatabaseRows(run, "SELECT * FROM smsSourceContent").toStdString() << run.runLog().toStdString();
    EXPECT_EQ(DatabaseRows(run, "SELECT parentID, content FROM smsSourceContent ORDER BY rowid"),
              QStringLiteral("10|周末愉快;10|周末愉快;"));

    EXPECT_EQ(run.command(QStringLiteral("quit")), 0);
    program->waitForFinished(TimeBoundMs(15000));
    EXPECT_EQ(program->state(), QProcess::NotRunning);
}

} // namespace
