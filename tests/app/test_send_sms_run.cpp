// The SMS composer in the real program on a real X server: the add-in's
// "SendSMS" command opens it with two numbers and a text; Alt+N, then Enter
// on "确定发送?" and on "发送成功" send it. The service, the records and the
// day's send-record file then hold the batch.
#include "tests/support/screen_run.h"
#include "tests/support/test_helpers.h"
#include "tests/support/xvfb_server.h"

#include <QDate>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

namespace {

using std::chrono::milliseconds;

TEST(SendSmsRun, AnAddInCommandOpensTheComposerAndAltNSends) {
    if (!XvfbServer::Available())
        GTEST_SKIP() << "Xvfb or xdotool is not installed";
    XvfbServer x;
    ASSERT_FALSE(x.display().isEmpty()) << "Xvfb did not start";
    LoopbackMessagingService service;
    service.script("GetAllInfo2",
                   LoopbackAnswer::Registry({{"RESULT", "0"}, {"ROLES", "0"}, {"SERVICECODE", "1065"}}));
    service.script("qxSmsSend", LoopbackAnswer::Text("20261211001"));

    ProgramRun run;
    PrepareScreenRun(run, x, service, "SN-E2E-SMS");
    QProcess* program = run.start();

    const QString login = QStringLiteral("登录");
    const QString main = QStringLiteral("当前登录权限");
    const QString composer = QStringLiteral("发送短信");
    ASSERT_TRUE(WaitUntil([&] { return !x.windowNamed(login).isEmpty(); }, milliseconds(TimeBoundMs(15000))))
        << run.runLog().toStdString();
    ASSERT_TRUE(x.pressUntil(QStringLiteral("Return"), login, [&] { return !x.windowNamed(main).isEmpty(); }))
        << run.runLog().toStdString();

    ASSERT_EQ(run.command(QStringLiteral("SendSMS,|,|13800138000|13900139000,|,|您好")), 0);
    ASSERT_TRUE(WaitUntil([&] { return !x.windowNamed(composer).isEmpty(); }, milliseconds(TimeBoundMs(10000))))
        << run.runLog().toStdString();

    // The numbers arrive on the composer's first timer. Alt+N asks
    // "确定发送?" and Enter says yes; Enter then closes "发送成功". Each Enter
    // waits for its box, or it would land in the content box.
    BoxAnswerer boxes(x);
    const auto answerBox = [&] { return boxes.AnswerNext(); };
    // Pressed before the numbers are in, Alt+N gets "发送列表不能为空": closed,
    // and tried again.
    bool called = false;
    for (int attempt = 0; attempt < 5 && !called; ++attempt) {
        x.key(QStringLiteral("alt+n"), composer);
        ASSERT_TRUE(answerBox()) << run.runLog().toStdString();
        // Generous: on a loaded machine the call can take seconds to start.
        called = WaitUntil([&] { return !service.calls("qxSmsSend").empty(); }, milliseconds(TimeBoundMs(8000)));
    }
    ASSERT_TRUE(called) << run.runLog().toStdString();
    // The outcome is written after the answer, then the box says so.
    ASSERT_TRUE(WaitUntil([&] { return !DatabaseRows(run, "SELECT 1 FROM sendNums WHERE rrid<>''").isEmpty(); },
                          milliseconds(TimeBoundMs(10000))))
        << run.runLog().toStdString();
    ASSERT_TRUE(answerBox()) << run.runLog().toStdString();

    const auto calls = service.calls("qxSmsSend");
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].field("mobile").value_or(""), "13800138000,13900139000");
    EXPECT_EQ(calls[0].field("content").value_or(""), "您好");

    EXPECT_EQ(DatabaseRows(run, "SELECT content, count, isFail, isDraft, sendType FROM sendInfo"),
              QStringLiteral("您好|2|0|0|1;"));
    EXPECT_EQ(DatabaseRows(run, "SELECT numOrMailAddr, rrid, IFNULL(status,'-') FROM sendNums ORDER BY rowid"),
              QStringLiteral("13800138000|20261211001|-;13900139000|20261211001|-;"));

    QFile file(run.file(QStringLiteral("SendInfo/%1.txt").arg(QDate::currentDate().toString("yyyyMMdd"))));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << file.fileName().toStdString();
    const QList<QByteArray> lines = file.readAll().split('\n');
    ASSERT_GE(lines.size(), 2);
    EXPECT_TRUE(lines[0].startsWith(QByteArray("您好\x01" "13800138000\x01"))) << lines[0].toStdString();
    EXPECT_TRUE(lines[1].startsWith(QByteArray("您好\x01" "13900139000\x01"))) << lines[1].toStdString();

    EXPECT_EQ(run.command(QStringLiteral("quit")), 0);
    program->waitForFinished(TimeBoundMs(15000));
    EXPECT_EQ(program->state(), QProcess::NotRunning);
}

} // namespace
