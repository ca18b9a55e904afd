// The mobile newspaper in the real program on a real X server, against the
// trial service program: "手机报" from the tool bar, a title and three
// pieces, "生成(&M)"; in the MMS composer a number through "添加新号码",
// then Alt+N and Enter send it. The service logs the MMS and the database
// holds one record with its three frames and its number.
#include "tests/support/screen_run.h"
#include "tests/support/test_helpers.h"
#include "tests/support/trial_screen_run.h"

#include <QProcess>
#include <QThread>
#include <gtest/gtest.h>

namespace {

using std::chrono::milliseconds;

using MobileNewsRun = TrialScreenRun;

// Points inside the windows (window-relative), as the windows lay out on the
// test's X server: the tool bar's "手机报", the composer's "添加新号码" and
// the number entry's "确定".
constexpr int kNewsButton[2] = {659, 45};
constexpr int kAddNumberButton[2] = {668, 548};
constexpr int kEntryOkButton[2] = {242, 297};

TEST_F(MobileNewsRun, ToolBarNewspaperBecomesAnMmsOfThreeFrames) {
    ProgramRun run;
    QProcess* program = StartProgram(run, QString());
    ASSERT_TRUE(program);
    ASSERT_TRUE(LogIn()) << run.runLog().toStdString();
    const QString main = QStringLiteral("当前登录权限");
    const QString paper = QStringLiteral("生成手机报");
    const QString composer = QStringLiteral("发送彩信");
    const QString entry = QStringLiteral("添加新号码");
    const auto shown = [&](const QString& title) {
        return WaitUntil([&] { return !x->windowNamed(title).isEmpty(); }, milliseconds(TimeBoundMs(3000)));
    };
    // Clicks until the window maps (a click can land before the window
    // under it takes input).
    const auto clickUntil = [&](const QString& window, const int(&at)[2], const QString& opens) {
        for (int attempt = 0; attempt < 4; ++attempt) {
            x->click(window, at[0], at[1]);
            if (shown(opens))
                return true;
        }
        return false;
    };

    ASSERT_TRUE(clickUntil(main, kNewsButton, paper)) << run.runLog().toStdString();
    // The title box has the focus; Tab leads on to the text.
    QThread::msleep(TimeBoundMs(300));
    x->type(QStringLiteral("News"));
    x->key(QStringLiteral("Tab"));
    const char* const pieces[] = {"one", "two", "three"};
    for (const char* piece : pieces) {
        if (piece != pieces[0]) {
            x->key(QStringLiteral("Return"));
            x->type(QStringLiteral("**"));
            x->key(QStringLiteral("Return"));
        }
        x->type(QString::fromLatin1(piece));
    }
    ASSERT_TRUE(x->pressUntil(QStringLiteral("alt+m"), paper, [&] {
        return !x->windowNamed(composer).isEmpty();
    })) << run.runLog().toStdString();

    QThread::msleep(TimeBoundMs(300));
    ASSERT_TRUE(clickUntil(composer, kAddNumberButton, entry)) << run.runLog().toStdString();
    QThread::msleep(TimeBoundMs(300));
    x->type(QStringLiteral("13800138000"));
    for (int attempt = 0; attempt < 4 && !x->windowNamed(entry).isEmpty(); ++attempt) {
        x->click(entry, kEntryOkButton[0], kEntryOkButton[1]);
        WaitUntil([&] { return x->windowNamed(entry).isEmpty(); }, milliseconds(TimeBoundMs(2000)));
    }
    ASSERT_TRUE(x->windowNamed(entry).isEmpty());

    // Alt+N asks "确定发送?": Enter says yes; Enter then closes "发送成功".
    BoxAnswerer boxes(*x);
    x->key(QStringLiteral("alt+n"), composer);
    ASSERT_TRUE(boxes.AnswerNext()) << run.runLog().toStdString();
    const auto sent = [&] { return service->log().contains(QStringLiteral("qxMmsSend sn=%1").arg(kSerial)); };
    ASSERT_TRUE(WaitUntil(sent, milliseconds(TimeBoundMs(10000))))
        << service->log().toStdString() << run.runLog().toStdString();
    // The outcome is written, then the box says so and the composer ends.
    ASSERT_TRUE(boxes.AnswerNext()) << run.runLog().toStdString();
    EXPECT_TRUE(
        WaitUntil([&] { return x->windowNamed(composer).isEmpty(); }, milliseconds(TimeBoundMs(5000))));

    const QStringList calls = service->log().split(QLatin1Char('\n')).filter(QStringLiteral("qxMmsSend sn="));
    ASSERT_EQ(calls.size(), 1) << service->log().toStdString();
    EXPECT_TRUE(calls[0].contains(QStringLiteral("mobile=13800138000"))) << calls[0].toStdString();
    EXPECT_EQ(DatabaseRows(run, "SELECT content, count, isFail, isDraft, sendType FROM sendInfo"),
              QStringLiteral("News|3|0|0|4;"));
    EXPECT_EQ(
        DatabaseRows(run, "SELECT sendIDChildID, txtContent FROM attachmentContent ORDER BY sendIDChildID"),
        QStringLiteral("1|one;2|two;3|three;"));
    EXPECT_EQ(DatabaseRows(run, "SELECT numOrMailAddr FROM sendNums"), QStringLiteral("13800138000;"));

    EXPECT_EQ(run.command(QStringLiteral("quit")), 0);
    program->waitForFinished(TimeBoundMs(15000));
    EXPECT_EQ(program->state(), QProcess::NotRunning);
}

} // namespace
