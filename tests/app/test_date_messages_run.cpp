// The date messages in the real program on a real X server, against the
// trial service program: a holiday today puts the reminder window up at
// start, and the birthday message set for the minute after start greets the
// contact born today through the service, recorded under that number.
#include "tests/support/screen_run.h"
#include "tests/support/test_helpers.h"
#include "tests/support/trial_screen_run.h"

#include <QDateTime>
#include <QProcess>
#include <QThread>
#include <gtest/gtest.h>

namespace {

using std::chrono::milliseconds;

constexpr const char* kNumber = "13912345678";

// The local time at which the program starts: early enough in its minute that
// login is done before the next one, and not so late in the day that the send
// minute falls on the next day (the birthday and holiday are today's).
QDateTime StartMoment() {
    for (;;) {
        const QDateTime now = QDateTime::currentDateTime();
        if (now.time().second() <= 45 && now.addSecs(120).date() == now.date())
            return now;
        QThread::msleep(static_cast<unsigned long>(1000 * (61 - now.time().second())));
    }
}

using DateMessagesRun = TrialScreenRun;

TEST_F(DateMessagesRun, HolidayReminderAtStartAndBirthdayGreetingInTheNextMinute) {
    const QDateTime start = StartMoment();
    const QDate today = start.date();
    const QString sendTime = start.addSecs(60).toString(QStringLiteral("HH:mm:00"));
    const std::string seed =
        QStringLiteral("INSERT INTO ContactList (name,mobileNum,birthDay,groupID,perNO,isDeleted) "
                       "VALUES ('寿星','%1','2000-%2',0,1,0);"
                       "INSERT INTO holidaySMS (month,day,name,content,recID,type) "
                       "VALUES (%3,%4,'测试节','节日快乐',1,0);")
            .arg(QLatin1String(kNumber), today.toString(QStringLiteral("MM-dd")))
            .arg(today.month())
            .arg(today.day())
            .toStdString();

    ProgramRun run;
    QProcess* program = StartProgram(
        run, QStringLiteral("[DateMSG]\r\nName1=birthDay\r\nAutoSend1=1\r\nPreDays1=0\r\nSendTime1=%1\r\n"
                            "Content1=生日快乐\r\n[HolidayTip]\r\nAutoTip=1\r\npreDays=0\r\n")
                 .arg(sendTime));
    ASSERT_TRUE(program);

    // The program has made its tables by the time it asks for the password;
    // the date lists are built at login.
    ASSERT_TRUE(DatabaseExec(run, seed.c_str()));
    ASSERT_TRUE(LogIn()) << run.runLog().toStdString();
    EXPECT_TRUE(WaitUntil([&] { return !x->windowNamed(QStringLiteral("节日/生日")).isEmpty(); },
                          milliseconds(TimeBoundMs(10000))))
        << run.runLog().toStdString();

    // The minute step comes once a minute: the greeting is out within 90 s.
    const auto greeted = [&] {
        return service->log().contains(
            QStringLiteral("qxSmsSend sn=%1 mobile=%2 ").arg(QLatin1String(kSerial), QLatin1String(kNumber)));
    };
    ASSERT_TRUE(WaitUntil(greeted, milliseconds(TimeBoundMs(90000))))
        << "send time " << sendTime.toStdString() << "\n"
        << service->log().toStdString() << run.runLog().toStdString();
    ASSERT_TRUE(WaitUntil(
        [&] {
            return DatabaseRows(run, "SELECT numOrMailAddr FROM sendNums") == QLatin1String(kNumber) + ';';
        },
        milliseconds(TimeBoundMs(10000))))
        << DatabaseRows(run, "SELECT * FROM sendNums").toStdString();
    const QStringList sends = service->log().split(QLatin1Char('\n')).filter(QStringLiteral("qxSmsSend sn="));
    ASSERT_EQ(sends.size(), 1) << service->log().toStdString();
    EXPECT_TRUE(sends[0].contains(QStringLiteral("content=生日快乐"))) << sends[0].toStdString();

    EXPECT_EQ(run.command(QStringLiteral("quit")), 0);
    program->waitForFinished(TimeBoundMs(15000));
    EXPECT_EQ(program->state(), QProcess::NotRunning);
}

} // namespace
