// The personalised SMS in the real program on a real X server, against the
// trial service program: "个性短信" from the SMS menu, "导入Excel" of a
// three-row GBK CSV file, the number column picked, "全部字段", "完成",
// then "立即发送" and Yes. One gxmt call carries the three numbers, and the
// database and the day's send-record file hold three messages.
#include "platform/encoding.h"
#include "tests/support/screen_run.h"
#include "tests/support/test_helpers.h"
#include "tests/support/trial_screen_run.h"

#include <QDate>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <gtest/gtest.h>

namespace {

using std::chrono::milliseconds;

// The title of Qt's own file dialog on the screen; empty when none is.
QString FileDialogTitle(const XvfbServer& x) {
    for (const char* title : {"打开", "Open"})
        if (!x.windowNamed(QString::fromUtf8(title)).isEmpty())
            return QString::fromUtf8(title);
    return QString();
}

using PerMsgRun = TrialScreenRun;

TEST_F(PerMsgRun, ImportedRowsGoOutInOneGxmtCall) {
    ProgramRun run;
    run.writeFile(QStringLiteral("in/people.csv"),
                  QByteArray::fromStdString(enc::ToGbk(u"手机,姓名\r\n"
                                                       u"13800138000,张三\r\n"
                                                       u"13900139000,李四\r\n"
                                                       u"13700137000,王五\r\n")));
    const QString csv = run.file(QStringLiteral("in/people.csv"));
    QProcess* program = StartProgram(run, QString());
    ASSERT_TRUE(program);
    ASSERT_TRUE(LogIn()) << run.runLog().toStdString();

    const QString dialog = QStringLiteral("个性短信");
    ASSERT_TRUE(OpenFromMenu(*x, 4, 3, dialog)) << run.runLog().toStdString();

    // The list has the focus, "导入Excel" comes next.
    const QString wizard = QStringLiteral("Excel数据导入窗口");
    x->key(QStringLiteral("Tab"), dialog);
    x->key(QStringLiteral("space"), dialog);
    ASSERT_TRUE(
        WaitUntil([&] { return !x->windowNamed(wizard).isEmpty(); }, milliseconds(TimeBoundMs(10000))));
    const QString firstPage = x->windowNamed(wizard);

    // Page 1: the path box has the focus, "浏览..." is next; after the file
    // dialog the separator box and "下一步" follow it.
    x->key(QStringLiteral("Tab"), wizard);
    ASSERT_TRUE(
        x->pressUntil(QStringLiteral("space"), wizard, [&] { return !FileDialogTitle(*x).isEmpty(); }));
    const QString title = FileDialogTitle(*x);
    x->key(QStringLiteral("ctrl+a"), title);
    x->type(csv);
    x->key(QStringLiteral("Return"));
    ASSERT_TRUE(WaitUntil([&] { return FileDialogTitle(*x).isEmpty(); }, milliseconds(TimeBoundMs(10000))));
    x->key(QStringLiteral("Tab"), wizard);
    x->key(QStringLiteral("Tab"), wizard);
    x->key(QStringLiteral("space"), wizard);
    QString secondPage;
    ASSERT_TRUE(WaitUntil(
        [&] {
            secondPage = x->windowNamed(wizard);
            return !secondPage.isEmpty() && secondPage != firstPage;
        },
        milliseconds(TimeBoundMs(10000))))
        << run.runLog().toStdString();

    // Page 2: the number column has the focus (its first entry is 手机);
    // End in the field list takes "全部字段"; Return is "完成".
    x->key(QStringLiteral("Down"), wizard);
    x->key(QStringLiteral("Tab"), wizard);
    x->key(QStringLiteral("End"), wizard);
    x->key(QStringLiteral("Return"), wizard);
    ASSERT_TRUE(WaitUntil([&] { return x->windowNamed(wizard).isEmpty(); }, milliseconds(TimeBoundMs(10000))))
        << run.runLog().toStdString();

    // The rows in, "立即发送" has the focus: space, then Yes to "确定发送?"
    // and Return on "发送成功", which ends the dialog. The few rows are in
    // at the first turn of the dialog's timer.
    QThread::msleep(500);
    x->key(QStringLiteral("space"), dialog);
    ASSERT_TRUE(WaitUntil(
        [&] {
            return service->log().contains(QStringLiteral("gxmt sn=")) ||
                   x->xdotool({QStringLiteral("getwindowfocus")}) != x->windowNamed(dialog);
        },
        milliseconds(TimeBoundMs(10000))));
    ASSERT_TRUE(x->pressUntil(QStringLiteral("Return"), QString(), [&] {
        return service->log().contains(QStringLiteral("gxmt sn="));
    })) << run.runLog().toStdString();
    ASSERT_TRUE(x->pressUntil(QStringLiteral("Return"), QString(), [&] {
        return x->windowNamed(dialog).isEmpty();
    })) << run.runLog().toStdString();

    const QStringList sends = service->log().split(QLatin1Char('\n')).filter(QStringLiteral("gxmt sn="));
    ASSERT_EQ(sends.size(), 1) << service->log().toStdString();
    EXPECT_TRUE(sends[0].contains(QStringLiteral(" mobile=13800138000,13900139000,13700137000 ")))
        << sends[0].toStdString();

    EXPECT_EQ(DatabaseRows(run, "SELECT content, isFail, count FROM sendInfo ORDER BY sendID").toStdString(),
              "13800138000张三|0|1;13900139000李四|0|1;13700137000王五|0|1;");
    EXPECT_EQ(DatabaseRows(run, "SELECT numOrMailAddr, IFNULL(status,'-') FROM sendNums ORDER BY sendID")
                  .toStdString(),
              "13800138000|-;13900139000|-;13700137000|-;");
    QFile file(run.file(QStringLiteral("SendInfo/%1.txt").arg(QDate::currentDate().toString("yyyyMMdd"))));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << file.fileName().toStdString();
    const QList<QByteArray> lines = file.readAll().split('\n');
    ASSERT_GE(lines.size(), 3);
    EXPECT_TRUE(lines[0].startsWith(QByteArray("13800138000张三\x01"
                                               "13800138000\x01")))
        << lines[0].toStdString();
    EXPECT_TRUE(lines[2].startsWith(QByteArray("13700137000王五\x01"
                                               "13700137000\x01")))
        << lines[2].toStdString();

    EXPECT_EQ(run.command(QStringLiteral("quit")), 0);
    program->waitForFinished(TimeBoundMs(15000));
    EXPECT_EQ(program->state(), QProcess::NotRunning);
}

} // namespace
