// Receiving in the real program on a real X server, against the trial
// service program: the receive timer fetches its three waiting messages,
// stores them, removes the sender who wrote "TD" from the contacts and
// answers all three with one automatic reply, recorded under the service's id.
#include "tests/support/screen_run.h"
#include "tests/support/test_helpers.h"
#include "tests/support/trial_screen_run.h"

#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

using std::chrono::milliseconds;

using ReceivedTrafficRun = TrialScreenRun;

TEST_F(ReceivedTrafficRun, TimerReceivesUnsubscribesAndReplies) {
    ProgramRun run;
    QProcess* program =
        StartProgram(run, QStringLiteral("[SysSetting]\r\nAuto7=0\r\nAuto1=1\r\nContent1=5\r\nAuto2=1\r\n"
                                         "Content2=已收到，谢谢\r\n[Td]\r\nTdContact=TD\r\n"));
    ASSERT_TRUE(program);

    ASSERT_TRUE(LogIn()) << run.runLog().toStdString();
    // The contact who will write "TD"; the first receive comes 5 s after the window.
    ASSERT_TRUE(DatabaseExec(run, "INSERT INTO ContactList (name,mobileNum,groupID,perNO,isDeleted) "
                                  "VALUES ('试用','13800138000',0,1,0)"));

    ASSERT_TRUE(WaitUntil([&] { return DatabaseRows(run, "SELECT COUNT(*) FROM receivedMSGRecord") == "3;"; },
                          milliseconds(TimeBoundMs(20000))))
        << run.runLog().toStdString();
    EXPECT_EQ(DatabaseRows(run, "SELECT msgContent,send_receive_Num FROM receivedMSGRecord ORDER BY rowid"),
              QStringLiteral("你好，请问明天几点开会？|1;收到，谢谢！|1;TD|1;"));
    EXPECT_TRUE(WaitUntil([&] {
        return DatabaseRows(run, "SELECT COUNT(*) FROM ContactList WHERE mobileNum='13800138000'") == "0;";
    }));
    // One reply to the three messages, recorded under the service's id.
    ASSERT_TRUE(WaitUntil([&] { return !DatabaseRows(run, "SELECT 1 FROM sendNums WHERE rrid<>''").isEmpty(); },
                          milliseconds(TimeBoundMs(10000))))
        << run.runLog().toStdString();
    // The service logs a call before it answers; its lines arrive through the pipe.
    EXPECT_TRUE(WaitUntil([&] { return service->log().contains(QStringLiteral("qxSmsSend sn=")); }));
    const QString trialLog = service->log();
    const QStringList sends = trialLog.split(QLatin1Char('\n')).filter(QStringLiteral("qxSmsSend sn="));
    ASSERT_EQ(sends.size(), 1) << trialLog.toStdString();
    EXPECT_TRUE(sends[0].contains(QStringLiteral("mobile=13800138000,13800138000,13800138000")));
    const QRegularExpressionMatch id = QRegularExpression(QStringLiteral("-> (\\d+)$")).match(sends[0].trimmed());
    ASSERT_TRUE(id.hasMatch()) << sends[0].toStdString();
    EXPECT_EQ(DatabaseRows(run, "SELECT numOrMailAddr,rrid FROM sendNums ORDER BY rowid"),
              QStringLiteral("13800138000|%1;").arg(id.captured(1)).repeated(3));
    EXPECT_TRUE(run.runLog().contains(QStringLiteral("正在处理互动短信...")));

    EXPECT_EQ(run.command(QStringLiteral("quit")), 0);
    program->waitForFinished(TimeBoundMs(15000));
    EXPECT_EQ(program->state(), QProcess::NotRunning);
}

} // namespace
