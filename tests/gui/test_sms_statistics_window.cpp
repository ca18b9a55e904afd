// The statistics window over a customised installation's CountmsgRecord:
// what the list shows, the ranged delete behind right 14, the export read
// back with openpyxl, and its screenshot.
#include "core/database.h"
#include "core/helpers.h"
#include "core/log.h"
#include "core/sql.h"
#include "gui/sms/time_send_dialog.h"
#include "gui/sms/tj_record_dialog.h"
#include "gui/widgets/modal_runner.h"
#include "gui/widgets/virtual_list_ctrl.h"
#include "platform/msgbox.h"
#include "tests/support/dialog_driver.h"
#include "tests/support/msgbox_recorder.h"
#include "tests/support/program_folder.h"
#include "tests/support/xlsx_reader.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

#include <map>
#include <memory>

namespace {

QStringList Rights(bool withDelete) {
    QStringList rights(21, QStringLiteral("1"));
    rights[0] = QStringLiteral("OP");
    rights[14] = withDelete ? QStringLiteral("1") : QStringLiteral("0");
    return rights;
}

class SmsStatistics : public ::testing::Test {
protected:
    void SetUp() override {
        m_folder = std::make_unique<ProgramFolder>();
        m_folder->writeFile("OEM/OemInfo.ini", "[System]\nCustomize=1\n");
        g_logRun.daily = 1;
        ASSERT_TRUE(LogOpen(g_logRun, "run.txt", 1));
        ASSERT_EQ(OpenDatabase(), 0);
        ASSERT_NE(g_pCustomerDB, nullptr);
        // sendID, mark, submitTime, isFail, msgcount, numcount
        ASSERT_EQ(
            ExecSql(nullptr, g_pCustomerDB,
                    "INSERT INTO CountmsgRecord VALUES (1, '市场部', '2026-03-01 08:00:00', 0, 10, 5);"
                    "INSERT INTO CountmsgRecord VALUES (2, '市场部', '2026-03-02 23:59:59', 0, 4, 2);"
                    "INSERT INTO CountmsgRecord VALUES (3, '', '2026-03-02 12:00:00', 0, 3, 3);"
                    "INSERT INTO CountmsgRecord VALUES (4, NULL, '2026-03-02 12:00:00', 0, 100, 100);"
                    "INSERT INTO CountmsgRecord VALUES (5, '市场部', '2026-03-02 10:00:00', 1, 50, 50);"
                    "INSERT INTO CountmsgRecord VALUES (6, 'O''Neil', '2026-03-03 00:00:00', 0, 7, 1);"),
            SQLITE_OK);
        g_pLoginRights = std::make_unique<QStringList>(QStringList{QStringLiteral("AD")});
    }
    void TearDown() override {
        SetNextFileName(std::nullopt);
        g_pLoginRights.reset();
        CloseDatabase();
        LogClose(g_logRun);
        m_folder.reset();
    }

    // What the list shows, row by row, as "mark|messages|numbers".
    static QStringList Shown(DlgTJRecord& dialog) {
        CVirtualListCtrl* list = Child<CVirtualListCtrl>(dialog, "31022");
        QStringList rows;
        for (int row = 0; row < list->ItemCount(); ++row) {
            QStringList cells;
            for (int column = 0; column < 3; ++column)
                cells << list->model()->index(row, column).data().toString();
            rows << cells.join('|');
        }
        return rows;
    }
    static void TickDay(DlgTJRecord& dialog, const char* tick, const char* picker, QDate day) {
        Child<QCheckBox>(dialog, tick)->setChecked(true);
        Child<QDateEdit>(dialog, picker)->setDate(day);
    }
    static qint64 Rows() {
        SqlStatement st(g_pCustomerDB, "SELECT COUNT(*) FROM CountmsgRecord");
        return st.step() == SQLITE_ROW ? st.int64(0) : -1;
    }
    QString runLog() const {
        return QString::fromUtf8(m_folder->readFile(
            QStringLiteral("enc/run.txt_%1.enc").arg(QString::fromStdString(g_logRun.date))));
    }

    std::unique_ptr<ProgramFolder> m_folder;
    MessageBoxRecorder m_boxes;
};

const QStringList kAllTotals = {"|3|3", "O'Neil|7|1", "市场部|14|7"};

TEST_F(SmsStatistics, ListsTheTotalsOnOpeningAndQueriesTheTickedDays) {
    DlgTJRecord dialog;
    CVirtualListCtrl* list = Child<CVirtualListCtrl>(dialog, "31022");
    QStringList headings;
    for (int column = 0; column < list->ColumnCount(); ++column)
        headings << list->model()->headerData(column, Qt::Horizontal).toString() + ':' +
                        QString::number(list->columnWidth(column));
    EXPECT_EQ(headings, (QStringList{"短信归属:120", "短信成功扣费条数:150", "成功发送的手机个数:150"}));
    EXPECT_EQ(Shown(dialog), kAllTotals);

    // An unticked picker adds nothing, whatever day it shows.
    Child<QDateEdit>(dialog, "21008")->setDate(QDate(2030, 1, 1));
    Click(dialog, "1169");
    EXPECT_EQ(Shown(dialog), kAllTotals);

    TickDay(dialog, "toTick", "1009", QDate(2026, 3, 2));
    Click(dialog, "1169");
    EXPECT_EQ(Shown(dialog), (QStringList{"|3|3", "市场部|14|7"}));
    TickDay(dialog, "fromTick", "21008", QDate(2026, 3, 2));
    Click(dialog, "1169");
    EXPECT_EQ(Shown(dialog), (QStringList{"|3|3", "市场部|4|2"}));
    EXPECT_TRUE(m_boxes.texts().isEmpty());
}

TEST_F(SmsStatistics, EnterDoesNotCloseTheWindow) {
    DlgTJRecord dialog;
    dialog.show();
    SendKey(&dialog, Qt::Key_Return);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), kStayedOpen);
    SendKey(&dialog, Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), IDCANCEL);
}

TEST_F(SmsStatistics, DeleteNeedsRightFourteen) {
    const struct {
        const char* who;
        QStringList rights;
        QString box;
        qint64 rowsLeft;
        QStringList shown;
    } cases[] = {
        {"operator without 14", Rights(false), "您没有相应权限进行此操作.", 6, kAllTotals},
        {"operator with 14", Rights(true), "删除成功", 1, {}},
        {"administrator", {"AD"}, "删除成功", 1, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.who);
        m_boxes.clear();
        ASSERT_EQ(ExecSql(nullptr, g_pCustomerDB, "SAVEPOINT keep"), SQLITE_OK);
        g_pLoginRights = std::make_unique<QStringList>(c.rights);
        DlgTJRecord dialog;
        TickDay(dialog, "toTick", "1009", QDate(2026, 3, 2));
        Click(dialog, "1170");
        EXPECT_EQ(m_boxes.texts(), QStringList{c.box});
        // Every row of the range goes, the failed and the unmarked ones too.
        EXPECT_EQ(Rows(), c.rowsLeft);
        // A refusal leaves the list as it was; a delete queries the range again.
        EXPECT_EQ(Shown(dialog), c.shown);
        ASSERT_EQ(ExecSql(nullptr, g_pCustomerDB, "ROLLBACK TO keep; RELEASE keep"), SQLITE_OK);
    }
}

TEST_F(SmsStatistics, FailedDeleteIsNotReportedAsDone) {
    ASSERT_EQ(
        ExecSql(
            nullptr, g_pCustomerDB,
            "CREATE TRIGGER keep_rows BEFORE DELETE ON CountmsgRecord BEGIN SELECT RAISE(ABORT, 'x'); END"),
        SQLITE_OK);
    DlgTJRecord dialog;
    Click(dialog, "1170");
    ASSERT_EQ(m_boxes.shown().size(), 1u);
    EXPECT_EQ(m_boxes.shown()[0].text, QStringLiteral("删除失败"));
    EXPECT_EQ(Rows(), 6);
    EXPECT_EQ(Shown(dialog), kAllTotals);
}

TEST_F(SmsStatistics, ExportWritesTheCurrentTotalsAsText) {
    DlgTJRecord dialog;
    TickDay(dialog, "fromTick", "21008", QDate(2026, 3, 2));
    Click(dialog, "1169");
    // A name typed with the old extension gets the file format's one.
    SetNextFileName(m_folder->file("totals.xls"));
    Click(dialog, "1135");
    EXPECT_EQ(m_boxes.texts(), QStringList{"导出记录成功"});
    EXPECT_FALSE(QFileInfo::exists(m_folder->file("totals.xls")));
    const auto sheets = ReadXlsx(m_folder->file("totals.xlsx"));
    ASSERT_EQ(sheets.size(), 1u);
    ASSERT_EQ(sheets.count(QStringLiteral("统计结果")), 1u);
    const std::vector<QStringList> expected = {
        {"短信归属", "短信成功扣费条数", "成功发送的手机个数"},
        {"", "3", "3"},
        {"O'Neil", "7", "1"},
        {"市场部", "4", "2"},
    };
    EXPECT_EQ(sheets.at(QStringLiteral("统计结果")), expected);
}

TEST_F(SmsStatistics, ExportCancelledOrFailed) {
    DlgTJRecord dialog;
    SetNextFileName(QString());
    Click(dialog, "1135");
    EXPECT_TRUE(m_boxes.texts().isEmpty());

    SetNextFileName(m_folder->file("no such folder/totals.xlsx"));
    Click(dialog, "1135");
    EXPECT_EQ(m_boxes.texts(), QStringList{"导出记录失败"});
    EXPECT_FALSE(QFileInfo::exists(m_folder->file("no such folder/totals.xlsx")));
}

TEST_F(SmsStatistics, WithoutTheCustomerDatabaseTheListIsEmpty) {
    CloseDatabase();
    m_folder->writeFile("OEM/OemInfo.ini", "[System]\nCustomize=0\n");
    ASSERT_EQ(OpenDatabase(), 0);
    ASSERT_EQ(g_pCustomerDB, nullptr);
    DlgTJRecord dialog;
    EXPECT_TRUE(Shown(dialog).isEmpty());
    EXPECT_TRUE(runLog().contains(QStringLiteral("加载记录列表出错了")));
    SetNextFileName(m_folder->file("totals.xlsx"));
    Click(dialog, "1135");
    EXPECT_EQ(m_boxes.texts(), QStringList{"导出记录失败"});
}

// Drawn for the documentation; only when a folder for the pictures is given.
TEST_F(SmsStatistics, Screenshots) {
    const QString dir = qEnvironmentVariable("CORVELANE_SCREENSHOT_DIR");
    if (dir.isEmpty())
        GTEST_SKIP() << "CORVELANE_SCREENSHOT_DIR not set";
    {
        DlgTJRecord dialog;
        TickDay(dialog, "toTick", "1009", QDate(2026, 3, 3));
        Click(dialog, "1169");
        dialog.show();
        ASSERT_TRUE(dialog.grab().save(QDir(dir).filePath(QStringLiteral("sms-statistics.png"))));
    }
    const auto previous =
        CDlgMSGTimeSend::SetClock([] { return QDateTime(QDate(2026, 3, 15), QTime(10, 30)); });
    CDlgMSGTimeSend picker;
    picker.show();
    const bool saved = picker.grab().save(QDir(dir).filePath(QStringLiteral("time-send.png")));
    CDlgMSGTimeSend::SetClock(previous);
    EXPECT_TRUE(saved);
}

} // namespace
