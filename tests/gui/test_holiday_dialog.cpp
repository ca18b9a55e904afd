// The holiday greetings: checks of what is typed into a row, saving rows
// (one transaction, new ids), the reminder settings kept on every way out,
// and the greeting handed to the SMS composer.
#include "core/app_globals.h"
#include "core/database.h"
#include "core/sql.h"
#include "core/string_table.h"
#include "gui/automation/holiday_dialog.h"
#include "gui/sms/send_sms_dialog.h"
#include "gui/widgets/modal_runner.h"
#include "platform/ini.h"
#include "tests/support/dialog_driver.h"
#include "tests/support/msgbox_recorder.h"
#include "tests/support/program_folder.h"
#include "tests/support/test_helpers.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QLineEdit>
#include <QRadioButton>
#include <QTableWidget>
#include <QTextEdit>

#include <gtest/gtest.h>

namespace {

enum { Month = 1, Day = 2, Name = 3, Content = 4 };

class HolidayDialog : public ProgramFolderTest {
protected:
    void SetUp() override {
        ProgramFolderTest::SetUp();
        m_savedIni = g_strAccountIni;
        g_strAccountIni = m_folder->file(QStringLiteral("SN-HOLIDAY.ini"));
    }
    void TearDown() override {
        SetModalRunner({});
        SetUiLanguage(kLangChinese);
        g_strAccountIni = m_savedIni;
        ProgramFolderTest::TearDown();
    }
    static void Exec(const std::string& sql) {
        std::string error;
        ASSERT_EQ(ExecSql(&error, g_pDB, sql), SQLITE_OK) << error;
    }
    static std::vector<std::string> Stored() {
        return QueryRows(g_pDB, "SELECT month,day,name,content,recID,type FROM holidaySMS ORDER BY recID");
    }
    static QTableWidget* List(CDlgHoliday& d) { return Child<QTableWidget>(d, "1043"); }
    static QString Cell(CDlgHoliday& d, int row, int column) {
        const QTableWidgetItem* item = List(d)->item(row, column);
        return item ? item->text() : QString();
    }
    QString Ini(const char* key) {
        return ini::ReadString(g_strAccountIni, QStringLiteral("HolidayTip"), QString::fromLatin1(key),
                               QStringLiteral("<none>"));
    }

    QString m_savedIni;
    MessageBoxRecorder m_boxes;
};

// Each case types into a fresh row of one kind: the cells before the last
// are accepted, the last one gives the box (or none).
TEST_F(HolidayDialog, MonthAndDayChecks) {
    const QString monthRange = QStringLiteral("月份应在1-12之间");
    const QString dayRange = QStringLiteral("日期应在1-31之间");
    const QString noSuchDay = QStringLiteral("该月没有这一天");
    const struct {
        int type;
        std::vector<std::pair<int, const char*>> edits;
        QString box; // empty: accepted
    } cases[] = {
        {0, {{Month, ""}}, QStringLiteral("所编辑内容不能为空")},
        {0, {{Name, "  "}}, QStringLiteral("所编辑内容不能为空")},
        {0, {{Month, "0"}}, monthRange},
        {0, {{Month, "13"}}, monthRange},
        {0, {{Month, "1.5"}}, monthRange},
        {0, {{Month, "x"}}, monthRange},
        {0, {{Day, "0"}}, dayRange},
        {0, {{Day, "32"}}, dayRange},
        {0, {{Month, "2"}, {Day, "30"}}, noSuchDay},
        {0, {{Month, "04"}, {Day, "31"}}, noSuchDay},
        {0, {{Day, "31"}, {Month, "4"}}, noSuchDay},
        {2, {{Month, "2"}, {Day, "30"}}, noSuchDay},
        {0, {{Month, "2"}, {Day, "29"}}, QString()},
        {0, {{Month, "12"}, {Day, "31"}}, QString()},
        {1, {{Month, "2"}, {Day, "30"}}, QString()},
        {1, {{Month, "2"}, {Day, "32"}}, dayRange},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "type " << c.type << ", last edit " << c.edits.back().second);
        CDlgHoliday dialog;
        dialog.OnType(c.type);
        dialog.OnAddHoliday();
        m_boxes.clear();
        for (size_t i = 0; i < c.edits.size(); ++i) {
            const bool last = i + 1 == c.edits.size();
            const bool accepted =
                dialog.EndCellEdit(0, c.edits[i].first, QString::fromUtf8(c.edits[i].second));
            if (!last) {
                ASSERT_TRUE(accepted);
                continue;
            }
            EXPECT_EQ(accepted, c.box.isEmpty());
            EXPECT_EQ(m_boxes.texts(), c.box.isEmpty() ? QStringList{} : QStringList{c.box});
            EXPECT_EQ(Cell(dialog, 0, c.edits[i].first),
                      c.box.isEmpty() ? QString::fromUtf8(c.edits[i].second).trimmed() : QString());
            if (!c.box.isEmpty()) {
                EXPECT_EQ(m_boxes.shown().front().type & mb::IconMask, mb::IconWarning);
            }
        }
    }
    EXPECT_TRUE(Stored().empty()) << "no row was complete";
}

// Through the list's own editor: a refused month keeps the editor open with
// what was typed.
TEST_F(HolidayDialog, RefusedEditStaysOpenWithTheTypedText) {
    CDlgHoliday dialog;
    dialog.show();
    dialog.OnAddHoliday();
    auto editor = [&] { return List(dialog)->viewport()->findChild<QLineEdit*>(); };
    // What Enter does in the editor: its text goes through the list's delegate.
    auto commit = [&] { QMetaObject::invokeMethod(List(dialog), "commitData", Q_ARG(QWidget*, editor())); };
    ASSERT_TRUE(WaitUntil([&] { return editor() && editor()->isVisible(); }));
    Type(editor(), QStringLiteral("1x3"));
    EXPECT_EQ(editor()->text(), "13") << "only digits are taken";
    commit();
    EXPECT_EQ(m_boxes.texts(), QStringList{"月份应在1-12之间"});
    ASSERT_TRUE(WaitUntil([&] { return editor() && editor()->isVisible(); }));
    EXPECT_EQ(editor()->text(), "13");
    EXPECT_EQ(Cell(dialog, 0, Month), "");

    editor()->setText(QStringLiteral("12"));
    commit();
    EXPECT_EQ(Cell(dialog, 0, Month), "12");
}

TEST_F(HolidayDialog, RowsSavedWithQuotesAndEveryEditGetsANewId) {
    Exec("INSERT INTO holidaySMS (month,day,name,content,recID,type) VALUES (1,1,'元旦','新年快乐',7,0)");
    CDlgHoliday dialog;
    dialog.OnAddHoliday();
    ASSERT_EQ(List(dialog)->rowCount(), 2);
    for (const auto& [column, text] : std::vector<std::pair<int, QString>>{
             {Month, "2"}, {Day, "14"}, {Name, "Valentine's Day"}, {Content, "It's for you, \"dear\""}})
        ASSERT_TRUE(dialog.EndCellEdit(1, column, text));
    EXPECT_EQ(Stored(), (std::vector<std::string>{"1|1|元旦|新年快乐|7|0",
                                                  "2|14|Valentine's Day|It's for you, \"dear\"|8|0"}));
    EXPECT_EQ(dialog.RowRecId(1), 8);

    // An edit stores the row under a new id and drops the old record.
    ASSERT_TRUE(dialog.EndCellEdit(0, Name, QStringLiteral("新年")));
    EXPECT_EQ(dialog.RowRecId(0), 9);
    EXPECT_EQ(Stored(), (std::vector<std::string>{"2|14|Valentine's Day|It's for you, \"dear\"|8|0",
                                                  "1|1|新年|新年快乐|9|0"}));

    // Another kind lists only its own rows.
    Child<QRadioButton>(dialog, "1040")->click();
    EXPECT_EQ(dialog.CurrentType(), 2);
    EXPECT_EQ(List(dialog)->rowCount(), 0);
    Child<QRadioButton>(dialog, "1038")->click();
    EXPECT_EQ(List(dialog)->rowCount(), 2);
    EXPECT_EQ(Cell(dialog, 1, Name), "Valentine's Day");
}

TEST_F(HolidayDialog, FailedInsertKeepsTheOldRow) {
    Exec("INSERT INTO holidaySMS (month,day,name,content,recID,type) VALUES (5,1,'劳动节','节日快乐',3,0);"
         "CREATE TRIGGER no_holiday BEFORE INSERT ON holidaySMS BEGIN SELECT RAISE(ABORT,'refused'); END;");
    CDlgHoliday dialog;
    EXPECT_TRUE(dialog.EndCellEdit(0, Content, QStringLiteral("五一快乐")));
    EXPECT_EQ(Stored(), std::vector<std::string>{"5|1|劳动节|节日快乐|3|0"});
    EXPECT_EQ(dialog.RowRecId(0), 3);
    EXPECT_EQ(Cell(dialog, 0, Content), "节日快乐");
    EXPECT_TRUE(runLog().contains(QStringLiteral("新增假日祝福语出错了")));
}

TEST_F(HolidayDialog, AddReusesAnEmptyLastRowAndDeleteAsksFirst) {
    Exec("INSERT INTO holidaySMS (month,day,name,content,recID,type) VALUES (5,1,'劳动节','节日快乐',3,0)");
    CDlgHoliday dialog;
    dialog.show();
    dialog.OnAddHoliday();
    dialog.OnAddHoliday();
    EXPECT_EQ(List(dialog)->rowCount(), 2);

    List(dialog)->clearSelection();
    Click(dialog, "1037");
    EXPECT_EQ(m_boxes.texts(), QStringList{"请选择要删除的记录"});

    m_boxes.clear();
    List(dialog)->selectRow(0);
    m_boxes.queueAnswer(IDNO);
    Click(dialog, "1037");
    EXPECT_EQ(m_boxes.texts(), QStringList{"确定删除该行记录?"});
    EXPECT_EQ(Stored().size(), 1u);
    m_boxes.queueAnswer(IDYES);
    Click(dialog, "1037");
    EXPECT_TRUE(Stored().empty());
    EXPECT_EQ(List(dialog)->rowCount(), 1);
}

// However the dialog is left, the reminder settings are written; a cleared
// box leaves the advance days as they were.
TEST_F(HolidayDialog, ReminderSettingsKeptOnEveryWayOut) {
    const struct {
        const char* name;
        int language;
        bool tick;
        int choice; // index into the combo, -1: none
        std::function<void(CDlgHoliday&)> leave;
        const char* autoTip;
        const char* preDays;
    } cases[] = {
        {"cleared, Esc", kLangChinese, false, -1, [](CDlgHoliday& d) { SendKey(&d, Qt::Key_Escape); }, "0",
         "10"},
        {"30 days, close box", kLangChinese, true, 6, [](CDlgHoliday& d) { d.close(); }, "1", "30"},
        {"30 days, English", kLangEnglish, true, 6, [](CDlgHoliday& d) { d.reject(); }, "1", "30"},
        {"3 days, choose", kLangChinese, true, 1,
         [](CDlgHoliday& d) {
             List(d)->selectRow(0);
             Click(d, "1041");
         },
         "1", "3"},
    };
    Exec("INSERT INTO holidaySMS (month,day,name,content,recID,type) VALUES (5,1,'劳动节','节日快乐',3,0)");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(SetUiLanguage(c.language));
        ASSERT_TRUE(ini::WriteStrings(g_strAccountIni, QStringLiteral("HolidayTip"),
                                      {{QStringLiteral("AutoTip"), QStringLiteral("1")},
                                       {QStringLiteral("preDays"), QStringLiteral("10")}}));
        CDlgHoliday dialog;
        dialog.show();
        auto* box = Child<QCheckBox>(dialog, "1006");
        auto* combo = Child<QComboBox>(dialog, "20999");
        EXPECT_TRUE(box->isChecked());
        EXPECT_TRUE(combo->isEnabled());
        EXPECT_EQ(combo->currentText(), c.language == kLangEnglish ? "10 days" : "10天");
        box->click(); // cleared
        EXPECT_FALSE(combo->isEnabled());
        EXPECT_EQ(combo->currentIndex(), -1);
        if (c.tick) {
            box->click();
            combo->setCurrentIndex(c.choice);
        }
        c.leave(dialog);
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(Ini("AutoTip"), c.autoTip);
        EXPECT_EQ(Ini("preDays"), c.preDays);
    }
}

TEST_F(HolidayDialog, ChosenGreetingReachesTheComposer) {
    Exec("INSERT INTO holidaySMS (month,day,name,content,recID,type) VALUES (10,1,'国庆','国庆快乐',4,0)");
    {
        CDlgHoliday dialog;
        dialog.show();
        Click(dialog, "1041");
        EXPECT_EQ(m_boxes.texts(), QStringList{"请选择内容"});
        EXPECT_TRUE(dialog.isVisible());
    }
    int runs = 0;
    SetModalRunner([&](QDialog& d) {
        auto* holiday = qobject_cast<CDlgHoliday*>(&d);
        if (!holiday)
            return 2;
        ++runs;
        List(*holiday)->selectRow(0);
        holiday->OnChoose();
        return holiday->result();
    });
    CDlgSendSMS composer(nullptr, 1);
    composer.show();
    Click(composer, "1011");
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(Child<QTextEdit>(composer, "21021")->toPlainText(), "国庆快乐");
}

class HolidayDialogScreenshots : public HolidayDialog {};

TEST_F(HolidayDialogScreenshots, Greetings) {
    const QString dir = qEnvironmentVariable("CORVELANE_SCREENSHOT_DIR");
    if (dir.isEmpty())
        GTEST_SKIP() << "CORVELANE_SCREENSHOT_DIR not set";
    Exec("INSERT INTO holidaySMS (month,day,name,content,recID,type) VALUES "
         "(1,1,'元旦','新年快乐，万事如意！',1,0),(5,1,'劳动节','劳动节快乐！',2,0),(10,1,'国庆','国庆快乐！'"
         ",3,0)");
    ASSERT_TRUE(ini::WriteStrings(g_strAccountIni, QStringLiteral("HolidayTip"),
                                  {{QStringLiteral("AutoTip"), QStringLiteral("1")},
                                   {QStringLiteral("preDays"), QStringLiteral("3")}}));
    CDlgHoliday dialog;
    dialog.show();
    List(dialog)->selectRow(1);
    QCoreApplication::processEvents();
    ASSERT_TRUE(dialog.grab().save(QDir(dir).filePath(QStringLiteral("holiday-greetings.png"))));
}

} // namespace
