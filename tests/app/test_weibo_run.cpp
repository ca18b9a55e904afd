// The microblog page in the real program on a real X server: with ShowWeibo
// in the OEM file and a stored token, the received node shows the page;
// "刷新" fetches the timeline from the loopback microblog peer and a
// double-click on a status fetches its comments, both with the token.
#include "platform/ini.h"
#include "tests/support/screen_run.h"
#include "tests/support/test_helpers.h"
#include "tests/support/trial_screen_run.h"
#include "tests/support/weibo_peer.h"

#include <QProcess>
#include <QThread>
#include <QUrlQuery>
#include <gtest/gtest.h>

namespace {

using std::chrono::milliseconds;

const QString kToken = QStringLiteral("2.00EndToEndToken");

// The peer's requests for `path`.
std::vector<WeiboPeerRequest> RequestsFor(WeiboPeer& peer, const QString& path) {
    std::vector<WeiboPeerRequest> out;
    for (const WeiboPeerRequest& r : peer.requests())
        if (r.path == path)
            out.push_back(r);
    return out;
}

QString Token(const WeiboPeerRequest& r) {
    return QUrlQuery(r.query).queryItemValue(QStringLiteral("access_token"), QUrl::FullyDecoded);
}

using WeiboRun = TrialScreenRun;

TEST_F(WeiboRun, ReceivedNodeShowsTheTimelineAndTheComments) {
    WeiboPeer peer;
    ASSERT_TRUE(peer.isRunning()) << peer.errorString().toStdString();
    const QString timeline = QStringLiteral("/2/statuses/user_timeline.json");
    const QString comments = QStringLiteral("/2/comments/show.json");
    ASSERT_TRUE(peer.setAnswer(
        timeline, 200,
        QStringLiteral(
            R"({"statuses":[)"
            R"({"idstr":"3456789012345678","text":"今天天气很好 😀","user":{"screen_name":"小明"}},)"
            R"({"idstr":"3456789012345679","text":"周末一起去爬山吧","user":{"screen_name":"小红"}}]})")
            .toUtf8()));
    ASSERT_TRUE(peer.setAnswer(
        comments, 200,
        QStringLiteral(
            R"({"comments":[{"idstr":"4000000000000001","text":"好呀","user":{"screen_name":"甲"}}]})")
            .toUtf8()));

    ProgramRun run;
    run.writeFile(QStringLiteral("OEM/OemInfo.ini"), "[System]\r\nShowWeibo=1\r\n");
    QProcess* program = StartProgram(
        run, QStringLiteral("[SysSetting]\r\nAuto7=0\r\n[WeiBo]\r\nAccessToken=%1\r\n").arg(kToken));
    ASSERT_TRUE(program);
    // Read at each request, so it may follow the start.
    ini::WriteString(run.file(QStringLiteral("ServerInfo.ini")), QStringLiteral("Deployment"),
                     QStringLiteral("WeiboApiUrl"), peer.baseUrl());
    ASSERT_TRUE(LogIn()) << run.runLog().toStdString();
    const QString main = QStringLiteral("当前登录权限");
    // The received node of the tree, then "刷新" at the page's top right.
    // The tree takes a selection only once the window's start-up is over,
    // so the pair is repeated until the request comes.
    ASSERT_TRUE(WaitUntil(
        [&] {
            x->click(main, 76, 173);
            QThread::msleep(300);
            x->click(main, 871, 105);
            return WaitUntil([&] { return !RequestsFor(peer, timeline).empty(); }, milliseconds(1000));
        },
        milliseconds(TimeBoundMs(20000))))
        << run.runLog().toStdString();
    // The first status: selected, then double-clicked, once its entry is in.
    QThread::msleep(500);
    x->click(main, 400, 135);
    x->xdotool({QStringLiteral("click"), QStringLiteral("--repeat"), QStringLiteral("2"),
                QStringLiteral("--delay"), QStringLiteral("80"), QStringLiteral("1")});
    ASSERT_TRUE(
        WaitUntil([&] { return !RequestsFor(peer, comments).empty(); }, milliseconds(TimeBoundMs(10000))))
        << run.runLog().toStdString();

    // A slow first answer may have let the pair of clicks come twice.
    const std::vector<WeiboPeerRequest> timelines = RequestsFor(peer, timeline);
    ASSERT_FALSE(timelines.empty());
    for (const WeiboPeerRequest& r : timelines)
        EXPECT_EQ(Token(r), kToken);
    const std::vector<WeiboPeerRequest> shown = RequestsFor(peer, comments);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(Token(shown[0]), kToken);
    EXPECT_EQ(QUrlQuery(shown[0].query).queryItemValue(QStringLiteral("id")),
              QStringLiteral("3456789012345678"));

    EXPECT_EQ(run.command(QStringLiteral("quit")), 0);
    program->waitForFinished(TimeBoundMs(15000));
    EXPECT_EQ(program->state(), QProcess::NotRunning);
    EXPECT_EQ(program->exitCode(), 0);
}

} // namespace
