// The date-message settings: which keys OK writes and in which form, that a
// ticked message without a text writes nothing at all, when OK may be
// pressed, the user date fields' captions, and where an inserted field goes.
#include "automation/date_messages.h"
#include "core/app_globals.h"
#include "core/database.h"
#include "core/helpers.h"
#include "core/sql.h"
#include "core/string_table.h"
#include "gui/automation/date_msg_setting_dialog.h"
#include "gui/widgets/rich_edit.h"
#include "platform/ini.h"
#include "tests/support/dialog_driver.h"
#include "tests/support/msgbox_recorder.h"
#include "tests/support/program_folder.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTextCursor>
#include <QTimeEdit>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

const QString kMissing = QStringLiteral("<missing>");
const QString kUnused = QStringLiteral("----未启用,请先在软件主界面\"新增字段\"中启用后再设置");

// The controls of group N (1-4) by their ids.
struct GroupIds {
    const char* autoSend;
    const char* content;
    const char* sendTime;
    const char* preDays;
};
const GroupIds kGroups[] = {{"31015", "1012", "1019", "1014"},
                            {"21016", "21013", "1020", "31017"},
                            {"21018", "51021", "61022", "1023"},
                            {"21024", "41025", "61029", "61030"}};

DATEMSGVALUE Message(const char* name, int on, const char* preDays, const char* sendTime,
                     const char* content) {
    DATEMSGVALUE v;
    v.name = QString::fromUtf8(name);
    v.autoSend = on;
    v.preDays = QString::fromUtf8(preDays);
    v.sendTime = QString::fromUtf8(sendTime);
    v.content = QString::fromUtf8(content);
    return v;
}

class DateMsgSetting : public ProgramFolderTest {
protected:
    void SetUp() override {
        ProgramFolderTest::SetUp();
        m_savedIni = g_strAccountIni;
        g_strAccountIni = m_folder->file(QStringLiteral("SN0001.ini"));
        m_boxes = std::make_unique<MessageBoxRecorder>();
    }
    void TearDown() override {
        m_boxes.reset();
        g_strAccountIni = m_savedIni;
        ProgramFolderTest::TearDown();
    }

    static void UseField(int fieldID, const char* name, bool inUse) {
        SqlStatement st(g_pDB, "UPDATE fieldDisplay SET name=?, inUse=? WHERE fieldID=?");
        st.bind(1, QString::fromUtf8(name)).bind(2, inUse ? 1 : 0).bind(3, fieldID);
        ASSERT_EQ(st.exec(), SQLITE_OK);
    }
    QString key(const QString& name) const {
        return ini::ReadString(g_strAccountIni, "DateMSG", name, kMissing);
    }
    QByteArray iniBytes() const {
        QFile f(g_strAccountIni);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    static void Tick(QWidget& d, int group, bool on) {
        Child<QCheckBox>(d, kGroups[group - 1].autoSend)->setChecked(on);
    }
    static MyRichEditCtrl* Content(QWidget& d, int group) {
        return Child<MyRichEditCtrl>(d, kGroups[group - 1].content);
    }
    static QPushButton* Ok(QWidget& d) { return Child<QPushButton>(d, "1"); }

    std::unique_ptr<MessageBoxRecorder> m_boxes;
    QString m_savedIni;
};

TEST_F(DateMsgSetting, OkWritesEveryKeyOfAllFourMessages) {
    UseField(33, "结婚纪念日", true);
    ini::WriteString(g_strAccountIni, "SysSetting", "Auto1", "1");
    std::vector<DATEMSGVALUE> list = {Message("birthDay", 1, "3", "08:30:00", "  生日快乐<%姓名%>  \n"),
                                      Message("specialDay", 0, "7", "", "kept while off"),
                                      Message("dateDef1", 0, "", "", ""), Message("dateDef2", 0, "", "", "")};
    CDlgDateMSGSetting dialog(&list, nullptr);
    Tick(dialog, 3, true);
    Child<QTimeEdit>(dialog, kGroups[2].sendTime)->setTime(QTime(21, 5, 42));
    Child<QSpinBox>(dialog, kGroups[2].preDays)->setValue(12);
    Content(dialog, 3)->setPlainText(QStringLiteral("周年快乐"));
    Ok(dialog)->click();

    EXPECT_EQ(m_boxes->texts(), QStringList{LoadStr(165)});
    EXPECT_EQ(dialog.result(), 1003);
    const struct {
        const char* key;
        const char* value;
    } expected[] = {
        {"Name1", "birthDay"},
        {"AutoSend1", "1"},
        {"PreDays1", "3"},
        {"SendTime1", "08:30:00"},
        {"Content1", "生日快乐<%姓名%>"},
        {"Name2", "specialDay"},
        {"AutoSend2", "0"},
        {"PreDays2", "7"},
        {"SendTime2", "00:00:00"},
        {"Content2", "kept while off"},
        {"Name3", "dateDef1"},
        {"AutoSend3", "1"},
        {"PreDays3", "12"},
        {"SendTime3", "21:05:00"},
        {"Content3", "周年快乐"},
        {"Name4", "dateDef2"},
        {"AutoSend4", "0"},
        {"PreDays4", "0"},
        {"SendTime4", "00:00:00"},
        {"Content4", ""},
    };
    for (const auto& e : expected)
        EXPECT_EQ(key(QLatin1String(e.key)), QString::fromUtf8(e.value)) << e.key;
    EXPECT_EQ(ini::ReadString(g_strAccountIni, "SysSetting", "Auto1"), "1");
    // The window's list is the window's to reload.
    EXPECT_EQ(list[0].content, QStringLiteral("  生日快乐<%姓名%>  \n"));
}

TEST_F(DateMsgSetting, NothingIsWrittenWhileATickedMessageHasNoText) {
    UseField(33, "结婚纪念日", true);
    UseField(34, "入职日", true);
    const QByteArray before =
        "[DateMSG]\r\nName1=birthDay\r\nAutoSend1=0\r\nContent1=old\r\n[Other]\r\nk=v\r\n";
    const struct {
        const char* name;
        int emptyGroup; // 0: the file cannot be written
        QString shown;
    } cases[] = {
        {"birthday, blanks only", 1, LoadStr(191)},
        {"special day", 2, LoadStr(192)},
        {"user field 33", 3, QStringLiteral("结婚纪念日短信自动发送内容不能为空")},
        {"user field 34", 4, QStringLiteral("入职日短信自动发送内容不能为空")},
        {"read-only file", 0, QStringLiteral("设置文件无法写入:") + g_strAccountIni},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(g_strAccountIni);
        m_folder->writeFile(QStringLiteral("SN0001.ini"), before);
        if (c.emptyGroup == 0)
            ::chmod(QFile::encodeName(g_strAccountIni).constData(), 0444);
        m_boxes->clear();
        std::vector<DATEMSGVALUE> list;
        CDlgDateMSGSetting dialog(&list, nullptr);
        // Every group ticked; only the one under test lacks a text, and it
        // is not the first one checked, so earlier groups would have been
        // written by a save that stops midway.
        for (int group = 1; group <= kDateMsgCount; ++group) {
            Tick(dialog, group, true);
            Content(dialog, group)
                ->setPlainText(group == c.emptyGroup ? QStringLiteral("  \n ") : QStringLiteral("x"));
        }
        Ok(dialog)->click();
        EXPECT_EQ(m_boxes->texts(), QStringList{c.shown});
        EXPECT_EQ(dialog.result(), kStayedOpen);
        EXPECT_EQ(iniBytes(), before);
    }
}

TEST_F(DateMsgSetting, OkNeedsATickOrAMessageThatWasOn) {
    {
        std::vector<DATEMSGVALUE> list(4);
        CDlgDateMSGSetting dialog(&list, nullptr);
        EXPECT_FALSE(Ok(dialog)->isEnabled());
        EXPECT_FALSE(Child<QComboBox>(dialog, "41043")->isEnabled());
        Tick(dialog, 2, true);
        EXPECT_TRUE(Ok(dialog)->isEnabled());
        EXPECT_TRUE(Child<QComboBox>(dialog, "41043")->isEnabled());
        EXPECT_TRUE(Content(dialog, 2)->isEnabled());
        Tick(dialog, 2, false);
        EXPECT_FALSE(Ok(dialog)->isEnabled());
        EXPECT_FALSE(Content(dialog, 2)->isEnabled());
    }
    // One message on at opening: switching it off may be saved.
    std::vector<DATEMSGVALUE> list = {Message("birthDay", 0, "0", "", ""),
                                      Message("specialDay", 1, "2", "09:00:00", "节日快乐")};
    CDlgDateMSGSetting dialog(&list, nullptr);
    EXPECT_TRUE(Child<QCheckBox>(dialog, kGroups[1].autoSend)->isChecked());
    EXPECT_EQ(Child<QSpinBox>(dialog, kGroups[1].preDays)->value(), 2);
    Tick(dialog, 2, false);
    ASSERT_TRUE(Ok(dialog)->isEnabled());
    Ok(dialog)->click();
    EXPECT_EQ(dialog.result(), 1003);
    for (int n = 1; n <= kDateMsgCount; ++n)
        EXPECT_EQ(key(QStringLiteral("AutoSend%1").arg(n)), "0") << n;
    EXPECT_EQ(key("Content2"), "节日快乐");
}

TEST_F(DateMsgSetting, AnUnusedUserFieldCannotBeSwitchedOn) {
    UseField(33, "结婚纪念日", true);
    UseField(34, "入职日", false);
    std::vector<DATEMSGVALUE> list = {
        Message("birthDay", 0, "", "", ""), Message("specialDay", 0, "", "", ""),
        Message("dateDef1", 0, "", "", ""), Message("dateDef2", 1, "1", "10:00:00", "入职周年")};
    CDlgDateMSGSetting dialog(&list, nullptr);
    EXPECT_EQ(Child<QGroupBox>(dialog, "1110")->title(), QStringLiteral("结婚纪念日"));
    EXPECT_TRUE(Child<QCheckBox>(dialog, kGroups[2].autoSend)->isEnabled());
    EXPECT_EQ(Child<QGroupBox>(dialog, "1111")->title(), QStringLiteral("入职日") + kUnused);
    QCheckBox* box4 = Child<QCheckBox>(dialog, kGroups[3].autoSend);
    EXPECT_FALSE(box4->isChecked());
    EXPECT_FALSE(box4->isEnabled());
    for (const char* id : {kGroups[3].content, kGroups[3].sendTime, kGroups[3].preDays})
        EXPECT_FALSE(Child<QWidget>(dialog, id)->isEnabled()) << id;
    // It was on: saving switches it off in the file.
    EXPECT_FALSE(Child<QComboBox>(dialog, "41043")->isEnabled());
    Ok(dialog)->click();
    EXPECT_EQ(key("AutoSend4"), "0");
    EXPECT_EQ(key("Content4"), "入职周年");
}

TEST_F(DateMsgSetting, AFieldGoesToTheBoxThatHadTheCaret) {
    std::vector<DATEMSGVALUE> list = {Message("birthDay", 1, "0", "09:00:00", "生日快乐"),
                                      Message("specialDay", 1, "0", "09:00:00", "节日")};
    CDlgDateMSGSetting dialog(&list, nullptr);
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    QComboBox* fields = Child<QComboBox>(dialog, "41043");
    const int name = fields->findText(QStringLiteral("姓名"));
    ASSERT_GE(name, 0);

    // The birthday box had the caret after the special day was switched on.
    MyRichEditCtrl* birthday = Content(dialog, 1);
    birthday->setFocus();
    QApplication::processEvents();
    ASSERT_EQ(dialog.InsertionTarget(), birthday);
    QTextCursor cursor = birthday->textCursor();
    cursor.setPosition(2);
    cursor.setPosition(4, QTextCursor::KeepAnchor); // "快乐" selected
    birthday->setTextCursor(cursor);
    fields->setFocus(); // choosing in the combo takes the focus
    QApplication::processEvents();
    emit fields->activated(name);
    EXPECT_EQ(birthday->toPlainText(), QStringLiteral("生日<%姓名%>"));
    EXPECT_EQ(Content(dialog, 2)->toPlainText(), QStringLiteral("节日"));

    // Ticking a group makes its box the target.
    Tick(dialog, 3, false);
    Tick(dialog, 2, false);
    Tick(dialog, 2, true);
    EXPECT_EQ(dialog.InsertionTarget(), Content(dialog, 2));
}

TEST_F(DateMsgSetting, AContentHoldsAtMostThreeHundredCharacters) {
    std::vector<DATEMSGVALUE> list = {Message("birthDay", 1, "0", "09:00:00", "")};
    CDlgDateMSGSetting dialog(&list, nullptr);
    MyRichEditCtrl* edit = Content(dialog, 1);
    QApplication::clipboard()->setText(QString(299, QLatin1Char('a')) + QStringLiteral("😀b"));
    edit->paste();
    // The emoji would be cut in half at 300: it goes whole.
    EXPECT_EQ(edit->toPlainText(), QString(299, QLatin1Char('a')));
    edit->setPlainText(QString(350, QChar(u'生')));
    EXPECT_EQ(edit->toPlainText().size(), kMaxDateMsgContent);
}

TEST_F(DateMsgSetting, SpeaksEnglish) {
    ASSERT_TRUE(SetUiLanguage(kLangEnglish));
    struct Restore {
        ~Restore() { SetUiLanguage(kLangChinese); }
    } restore;
    UseField(33, "Anniversary", true);
    UseField(34, "Hire date", false);
    std::vector<DATEMSGVALUE> list;
    CDlgDateMSGSetting dialog(&list, nullptr);
    Child<QComboBox>(dialog, "41043")->clear(); // the field names are the user's own
    for (const QString& text : ShownTexts(dialog))
        EXPECT_FALSE(HasChinese(text)) << text.toStdString();
    EXPECT_EQ(dialog.windowTitle(), "Sets the date type messages");
    EXPECT_TRUE(Child<QGroupBox>(dialog, "1111")->title().startsWith("Hire date----"));
    Tick(dialog, 3, true);
    Ok(dialog)->click();
    EXPECT_EQ(m_boxes->texts(),
              QStringList{"Anniversary messages sent automatically content cannot be empty"});
}

class DateMsgSettingScreenshots : public DateMsgSetting {};

TEST_F(DateMsgSettingScreenshots, TwoMessagesOn) {
    const QString dir = qEnvironmentVariable("CORVELANE_SCREENSHOT_DIR");
    if (dir.isEmpty())
        GTEST_SKIP() << "CORVELANE_SCREENSHOT_DIR not set";
    UseField(33, "结婚纪念日", true);
    std::vector<DATEMSGVALUE> list = {Message("birthDay", 1, "1", "09:00:00", "<%姓名%>，祝您生日快乐！"),
                                      Message("specialDay", 0, "0", "", ""),
                                      Message("dateDef1", 1, "3", "10:30:00", "<%姓名%>，周年快乐！"),
                                      Message("dateDef2", 0, "0", "", "")};
    CDlgDateMSGSetting dialog(&list, nullptr);
    dialog.show();
    QCoreApplication::processEvents();
    ASSERT_TRUE(dialog.grab().save(QDir(dir).filePath(QStringLiteral("date-settings.png"))));
}

} // namespace
