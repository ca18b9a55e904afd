// The standalone loopback service (corvelane-loopback-service) as a trial
// run uses it: the client sends, fetches replies and reports, and reads the
// account information from it; another account is refused.
#include "platform/ini.h"
#include "service/service_state.h"
#include "service/web_service_client.h"
#include "tests/support/service_fixture.h"
#include "tests/support/test_helpers.h"
#include "tests/support/trial_service_program.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <gtest/gtest.h>

#include <climits>

namespace {

class TrialService : public ServiceTest {};

TEST_F(TrialService, SendsRepliesReportsAndAccountInformation) {
    TrialServiceProgram program(QStringLiteral(CORVELANE_LOOPBACK_SERVICE_PROGRAM), kSerial, kPassword);
    ASSERT_GT(program.port(), 0);
    SetServiceUrl(program.url());

    CWebServiceClient client(QString::fromLatin1(kSerial), QString::fromLatin1(kPassword));
    std::string first;
    ASSERT_EQ(client.CallSmsSend(first, "13800138000", QStringLiteral("会议改到三点"), QString(), ""), 0);
    EXPECT_EQ(first, "2026121000001");
    ASSERT_EQ(client.CallGxmt(QStringLiteral("13800138000,13900139000"), QStringLiteral("a,b"), QString(),
                              QStringLiteral("1,2")),
              0);

    std::vector<RECV_MSG> messages;
    ASSERT_EQ(client.RecevieMSG(messages), 0);
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[0].msgContent, QStringLiteral("你好，请问明天几点开会？"));
    EXPECT_EQ(messages[0].sendNum, "13800138000");
    EXPECT_EQ(messages[0].recvNum, "1069000001");
    EXPECT_EQ(messages[1].msgContent, QStringLiteral("收到，谢谢！"));
    // Each message is handed out once.
    std::vector<RECV_MSG> again;
    EXPECT_EQ(client.RecevieMSG(again), -1);
    EXPECT_TRUE(again.empty());

    std::vector<RECV_REPORT> reports;
    ASSERT_EQ(client.GetReport(reports), 0);
    ASSERT_EQ(reports.size(), 3u);
    EXPECT_EQ(reports[0].rrid, "2026121000001");
    // gxmt items are reported under the rrid the client gave each of them.
    EXPECT_EQ(reports[1].number, "13800138000");
    EXPECT_EQ(reports[1].rrid, "1");
    EXPECT_EQ(reports[2].number, "13900139000");
    EXPECT_EQ(reports[2].rrid, "2");
    std::vector<RECV_REPORT> none;
    EXPECT_EQ(client.GetReport(none), -1);

    ACCOUNT_SERVICE_INFO info;
    EXPECT_EQ(client.CallGetAllInfo2(info), 0);
    EXPECT_EQ(info.rights, 0);
    EXPECT_EQ(info.serviceCode, "10690000");
    EXPECT_EQ(info.update, "0");
    EXPECT_EQ(info.servers, QStringList(QStringLiteral("127.0.0.1:%1").arg(program.port())));
    EXPECT_EQ(client.CallGetStatus(), 0);

    // A changed password holds from then on, for the digest as well.
    EXPECT_EQ(client.CallUDPPwd(QStringLiteral("fresh")), 0);
    std::string id;
    EXPECT_EQ(client.CallSmsSend(id, "13800138000", QStringLiteral("hi"), QString(), ""), -1);
    CWebServiceClient renewed(QString::fromLatin1(kSerial), QStringLiteral("fresh"));
    EXPECT_EQ(renewed.CallSmsSend(id, "13800138000", QStringLiteral("hi"), QString(), ""), 0);
    EXPECT_EQ(id, "2026121000003");
    EXPECT_TRUE(m_boxes->texts().isEmpty()) << m_boxes->texts().join(QLatin1Char('|')).toStdString();
}

// The three sends the SMS composer makes are answered as the real service
// answers them, and the log tells which numbers got which text.
TEST_F(TrialService, SmsInternationalAndVoiceSendsAreAnsweredAndLogged) {
    TrialServiceProgram program(QStringLiteral(CORVELANE_LOOPBACK_SERVICE_PROGRAM), kSerial, kPassword);
    ASSERT_GT(program.port(), 0);
    SetServiceUrl(program.url());
    ini::WriteString(m_folder->file("ServerInfo.ini"), "Deployment", "IntlEndpoint",
                     QString::fromStdString(program.url()));

    CWebServiceClient client(QString::fromLatin1(kSerial), QString::fromLatin1(kPassword));
    std::string id;
    EXPECT_EQ(client.CallSmsSend(id, "13800138000,13900139000", QStringLiteral("您好"), QString(), ""), 0);
    EXPECT_EQ(id, "2026121000001");
    EXPECT_EQ(client.CallSmsSendIntl(id, "0085212345678", QStringLiteral("hello"), QString(), ""), 0);
    EXPECT_EQ(id, "2026121000002");
    // Voice: an id above 10000 that fits the wrapper's int, one per send.
    const int first = client.CallAudioSend(QStringLiteral("t"), QStringLiteral("13800138000"), QString(),
                                           QStringLiteral("语音通知"), QString(), QString());
    const int second = client.CallAudioSend(QStringLiteral("t"), QStringLiteral("13800138000"), QString(),
                                            QStringLiteral("语音通知"), QString(), QString());
    EXPECT_GT(first, 10000);
    EXPECT_GT(second, first);
    EXPECT_LT(second, INT_MAX);

    QDeadlineTimer deadline(5000);
    while (!program.log().contains(QStringLiteral("-> %1").arg(second)) && !deadline.hasExpired())
        program.process().waitForReadyRead(100);
    const QString log = program.log();
    for (const char* line :
         {"qxSmsSend sn=SN-TEST-01 mobile=13800138000,13900139000 content=您好 -> 2026121000001",
          "qxSmsSend_g sn=SN-TEST-01 mobile=0085212345678 content=hello -> 2026121000002",
          "qxAudioSend sn=SN-TEST-01 mobile=13800138000 txt=语音通知 -> "})
        EXPECT_TRUE(log.contains(QString::fromUtf8(line))) << line << "\n" << log.toStdString();
    EXPECT_TRUE(m_boxes->texts().isEmpty()) << m_boxes->texts().join(QLatin1Char('|')).toStdString();
}

// The request log shows a digest by its first four characters only.
TEST_F(TrialService, RequestLogKeepsDigestsShort) {
    TrialServiceProgram program(QStringLiteral(CORVELANE_LOOPBACK_SERVICE_PROGRAM), kSerial, kPassword);
    ASSERT_GT(program.port(), 0);
    const std::string digest = UpperMd5(QByteArray(kSerial) + kPassword);
    const std::string balanceUrl = "http://127.0.0.1:" + std::to_string(program.port()) + "/GetBalance.ashx";
    ini::WriteString(m_folder->file("ServerInfo.ini"), "Deployment", "BalanceUrl", QString::fromStdString(balanceUrl));
    CWebServiceClient client(QString::fromLatin1(kSerial), QString::fromLatin1(kPassword));
    QString reply;
    EXPECT_EQ(client.HttpGetBalance(reply), 0);
    QDeadlineTimer deadline(5000);
    while (!program.log().contains(QStringLiteral("GET ")) && !deadline.hasExpired())
        program.process().waitForReadyRead(100);
    const QString log = program.log();
    EXPECT_TRUE(log.contains(QString::fromStdString("pwd=" + digest.substr(0, 4) + "..."))) << log.toStdString();
    EXPECT_FALSE(log.contains(QString::fromStdString(digest.substr(0, 8)))) << log.toStdString();
}

TEST_F(TrialService, AnotherAccountIsRefused) {
    TrialServiceProgram program(QStringLiteral(CORVELANE_LOOPBACK_SERVICE_PROGRAM), kSerial, kPassword);
    ASSERT_GT(program.port(), 0);
    SetServiceUrl(program.url());

    CWebServiceClient stranger(QString::fromLatin1(kSerial), QStringLiteral("wrong"));
    std::string id;
    EXPECT_EQ(stranger.CallSmsSend(id, "13800138000", QStringLiteral("hi"), QString(), ""), -1);
    EXPECT_TRUE(id.empty());
    std::vector<RECV_MSG> messages;
    EXPECT_EQ(stranger.RecevieMSG(messages), -1);
    ACCOUNT_SERVICE_INFO info;
    EXPECT_EQ(stranger.CallGetAllInfo2(info), -2);
    // The refusal gave nothing away: the account's messages still wait.
    CWebServiceClient owner(QString::fromLatin1(kSerial), QString::fromLatin1(kPassword));
    EXPECT_EQ(owner.RecevieMSG(messages), 0);
    EXPECT_EQ(messages.size(), 3u);
}

// The program ends cleanly on SIGTERM and when its standard input closes.
TEST_F(TrialService, EndsOnTerminationOrClosedInput) {
    for (const bool bySignal : {true, false}) {
        SCOPED_TRACE(bySignal ? "SIGTERM" : "stdin closed");
        TrialServiceProgram program(QStringLiteral(CORVELANE_LOOPBACK_SERVICE_PROGRAM), kSerial, kPassword);
        ASSERT_GT(program.port(), 0);
        if (bySignal)
            program.process().terminate();
        else
            program.process().closeWriteChannel();
        ASSERT_TRUE(program.process().waitForFinished(5000));
        EXPECT_EQ(program.process().exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(program.process().exitCode(), 0);
    }
}

} // namespace
