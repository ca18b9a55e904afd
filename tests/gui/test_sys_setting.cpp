// The system settings: the rules of ticked boxes, the order in which the
// keys reach the per-account settings file, the reply box's limit and the
// forward numbers' stored form.
#include "automation/auto_settings.h"
#include "core/app_globals.h"
#include "core/database.h"
#include "core/helpers.h"
#include "core/sql.h"
#include "core/string_table.h"
#include "core/sys_settings.h"
#include "gui/main/sys_setting_dialog.h"
#include "gui/widgets/modal_runner.h"
#include "gui/widgets/rich_edit.h"
#include "platform/ini.h"
#include "platform/msgbox.h"
#include "tests/support/dialog_driver.h"
#include "tests/support/msgbox_recorder.h"
#include "tests/support/program_folder.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QTimeEdit>
#include <QTimer>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

const QString kMissing = QStringLiteral("<missing>");

class SysSetting : public ProgramFolderTest {
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
        ClearSysSettings();
        ProgramFolderTest::TearDown();
    }

    QString key(const char* section, const char* name) const {
        return ini::ReadString(g_strAccountIni, QLatin1String(section), QLatin1String(name), kMissing);
    }
    bool fileExists() const { return QFile::exists(g_strAccountIni); }

    std::unique_ptr<MessageBoxRecorder> m_boxes;
    QString m_savedIni;
};

// Values every rule accepts, with every ruled box ticked.
SysSettingValues Acceptable() {
    SysSettingValues v;
    v.autoReceive = true;
    v.receiveSeconds = "5";
    v.autoReply = true;
    v.replyText = "收到";
    v.autoForward = true;
    v.forwardNumbers = "13800000001";
    v.sound = true;
    v.soundPath = "/tmp/ding.wav";
    v.birthday = true;
    v.birthdayDays = "30";
    v.diySmsCount = true;
    v.smsCount = "1";
    v.diyPerMsgCount = true;
    v.perMsgCount = "1";
    v.startTime = "22:00:00";
    v.endTime = "07:00:00";
    v.prefixInUse = true;
    v.pre1 = "<";
    v.pre2 = "/";
    v.pre3 = ">";
    return v;
}

void PasteInto(MyRichEditCtrl* edit, const QString& text) {
    QApplication::clipboard()->setText(text);
    edit->paste();
}

// ---------------------------------------------------------------- the save without a window

TEST_F(SysSetting, EachRuleStopsTheSaveAtItsPlace) {
    // Each case breaks one rule; the key before the rule is written, the
    // key it guards is not.
    const struct {
        const char* name;
        std::function<void(SysSettingValues&)> change;
        int refusal;
        const char* writtenSection;
        const char* writtenKey;
        const char* missingSection;
        const char* missingKey;
    } cases[] = {
        {"receive every 4 s", [](auto& v) { v.receiveSeconds = "4"; }, 313, nullptr, nullptr, "SysSetting",
         "Auto1"},
        {"receive, no number", [](auto& v) { v.receiveSeconds = "abc"; }, 313, nullptr, nullptr, "SysSetting",
         "Auto1"},
        {"empty reply", [](auto& v) { v.replyText.clear(); }, 314, "SysSetting", "Content1", "SysSetting",
         "Auto2"},
        {"empty sound path", [](auto& v) { v.soundPath.clear(); }, 315, "SysSetting", "Content4",
         "SysSetting", "Auto5"},
        {"birthday 31 days", [](auto& v) { v.birthdayDays = "31"; }, 316, "SysSetting", "Content5",
         "SysSetting", "Auto6"},
        {"birthday -1 days", [](auto& v) { v.birthdayDays = "-1"; }, 316, "SysSetting", "Content5",
         "SysSetting", "Auto6"},
        {"mass batch 0", [](auto& v) { v.smsCount = "0"; }, 317, "SysSetting", "TranspondName", "SysSetting",
         "DIYSmsCount"},
        {"personalised batch 0", [](auto& v) { v.perMsgCount = "0"; }, 317, "SysSetting", "SmsCount",
         "SysSetting", "DIYPerMsgCount"},
        {"prefix without A", [](auto& v) { v.showPartNumber = false; }, 319, "SMPre", "inUse", "SMPre",
         "pre1"},
        {"opening digit", [](auto& v) { v.pre1 = "1"; }, 320, "SMPre", "inUse", "SMPre", "pre1"},
        {"closing digit", [](auto& v) { v.pre3 = "9"; }, 320, "SMPre", "inUse", "SMPre", "pre1"},
        {"round brackets",
         [](auto& v) {
             v.pre1 = "(";
             v.pre3 = ")";
         },
         321, "SysSetting", "EndTime", "SMPre", "pre1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(g_strAccountIni);
        SysSettingValues v = Acceptable();
        c.change(v);
        EXPECT_EQ(SaveSysSettings(g_strAccountIni, v), c.refusal);
        if (c.writtenKey)
            EXPECT_NE(key(c.writtenSection, c.writtenKey), kMissing);
        else
            EXPECT_FALSE(fileExists());
        EXPECT_EQ(key(c.missingSection, c.missingKey), kMissing);
        EXPECT_EQ(key("GroupName", "Name0"), kMissing);
    }
}

TEST_F(SysSetting, UntickedBoxesSkipTheirRules) {
    SysSettingValues v = Acceptable();
    v.autoReceive = v.autoReply = v.sound = v.birthday = v.diySmsCount = v.diyPerMsgCount = false;
    v.receiveSeconds = "1";
    v.replyText.clear();
    v.soundPath.clear();
    v.birthdayDays = "99";
    v.smsCount = v.perMsgCount = "0";
    v.prefixInUse = false;
    v.showPartNumber = false; // the "A" rule only binds a prefix in use
    EXPECT_EQ(SaveSysSettings(g_strAccountIni, v), 0);
    EXPECT_EQ(key("SysSetting", "Auto2"), "0");
    EXPECT_EQ(key("SysSetting", "Content2"), "");
    EXPECT_EQ(key("SysSetting", "Auto1"), "0");
    EXPECT_EQ(key("SysSetting", "Content1"), "1");
    EXPECT_EQ(key("SMPre", "inUse"), "0");
    EXPECT_EQ(key("SysSetting", "Auto100"), "0");
}

TEST_F(SysSetting, ReplyIsOneLineOfAtMostSeventyUnits) {
    const QString pair = QString::fromUtf8("\xF0\x9F\x98\x80"); // one character, two UTF-16 units
    const struct {
        const char* name;
        QString in;
        QString out;
    } cases[] = {
        {"80 characters", QString(80, 'x'), QString(70, 'x')},
        {"exactly 70", QString(70, 'y'), QString(70, 'y')},
        {"pair across the cut", QString(69, 'a') + pair + "bbb", QString(69, 'a')},
        {"pair ending at the cut", QString(68, 'a') + pair + "bbb", QString(68, 'a') + pair},
        {"line breaks", "一\r\n二\n三\r四", "一 二 三 四"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(NormalizeReplyText(c.in), c.out);
    }
}

// ---------------------------------------------------------------- the dialog

TEST_F(SysSetting, AutoReceiveBelowFiveSecondsIsRefusedBeforeAnyWrite) {
    CDlgSYSSetting dlg(&g_sysSettings);
    Child<QCheckBox>(dlg, "1010")->setChecked(true);
    Child<QSpinBox>(dlg, "41028")->setValue(4);
    Click(dlg, "1");
    EXPECT_EQ(m_boxes->texts(), QStringList{LoadStr(313)});
    EXPECT_EQ(m_boxes->shown().at(0).type & mb::IconMask, mb::IconWarning);
    EXPECT_EQ(dlg.result(), kStayedOpen);
    EXPECT_FALSE(fileExists());

    m_boxes->clear();
    Child<QSpinBox>(dlg, "41028")->setValue(5);
    Click(dlg, "1");
    EXPECT_EQ(m_boxes->texts(), QStringList{LoadStr(318)});
    EXPECT_EQ(m_boxes->shown().at(0).type & mb::IconMask, mb::IconInformation);
    EXPECT_EQ(dlg.result(), 1003);
    EXPECT_EQ(key("SysSetting", "Auto1"), "1");
    EXPECT_EQ(key("SysSetting", "Content1"), "5");
    // An empty reply was no obstacle: its box is not ticked.
    EXPECT_EQ(key("SysSetting", "Auto2"), "0");
    EXPECT_EQ(key("SysSetting", "Auto4"), "0");
    EXPECT_EQ(key("SMPre", "inUse"), "0");
}

TEST_F(SysSetting, PastedReplyIsCutAndCounted) {
    const QString pair = QString::fromUtf8("\xF0\x9F\x98\x80");
    const struct {
        const char* name;
        QString pasted;
        QString shown;
        const char* counter;
    } cases[] = {
        {"80 characters", QString(80, 'x'), QString(70, 'x'), "(最多70个字.已输入70个,还剩余0个.)"},
        {"pair at unit 70", QString(69, 'a') + pair + "bb", QString(69, 'a'),
         "(最多70个字.已输入69个,还剩余1个.)"},
        {"short", "你好", "你好", "(最多70个字.已输入2个,还剩余68个.)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CDlgSYSSetting dlg(&g_sysSettings);
        Child<QCheckBox>(dlg, "31015")->setChecked(true);
        auto* reply = Child<MyRichEditCtrl>(dlg, "1012");
        PasteInto(reply, c.pasted);
        EXPECT_EQ(reply->toPlainText(), c.shown);
        EXPECT_EQ(Child<QLabel>(dlg, "1112")->text(), QString::fromUtf8(c.counter));
    }
}

TEST_F(SysSetting, ReplyLineBreaksNeverReachTheFile) {
    CDlgSYSSetting dlg(&g_sysSettings);
    Child<QCheckBox>(dlg, "31015")->setChecked(true);
    auto* reply = Child<MyRichEditCtrl>(dlg, "1012");
    PasteInto(reply, "您好\r\n已收到\nInjected=1");
    EXPECT_EQ(reply->toPlainText(), "您好 已收到 Injected=1");
    reply->setFocus();
    SendKey(reply, Qt::Key_Return, Qt::NoModifier, "\r");
    SendKey(reply, Qt::Key_Enter, Qt::KeypadModifier, "\r");
    EXPECT_EQ(reply->toPlainText(), "您好 已收到 Injected=1");
    EXPECT_EQ(dlg.result(), kStayedOpen); // Enter in the reply is no OK either

    Click(dlg, "1");
    ASSERT_EQ(dlg.result(), 1003);
    EXPECT_EQ(key("SysSetting", "Content2"), "您好 已收到 Injected=1");
    EXPECT_EQ(key("SysSetting", "Injected"), kMissing);
    // Every line of the file is a section or a key.
    QFile f(g_strAccountIni);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts);
    for (QString line : lines) {
        line = line.trimmed();
        EXPECT_TRUE(line.startsWith('[') || line.contains('=')) << line.toStdString();
    }
    EXPECT_EQ(lines.filter(QStringLiteral("Content2=")).size(), 1);
}

TEST_F(SysSetting, ForwardNumbersAreStoredJoinedAndShownOnePerLine) {
    {
        CDlgSYSSetting dlg(&g_sysSettings);
        Child<QCheckBox>(dlg, "21016")->setChecked(true);
        auto* numbers = Child<MyRichEditCtrl>(dlg, "21013");
        numbers->setPlainText("13800000001\n13800000002");
        // A comma typed in the box starts a new line at once.
        numbers->moveCursor(QTextCursor::End);
        numbers->insertPlainText(",13800000003");
        EXPECT_EQ(numbers->toPlainText(), "13800000001\n13800000002\n13800000003");
        Click(dlg, "1");
        ASSERT_EQ(dlg.result(), 1003);
    }
    EXPECT_EQ(key("SysSetting", "Content3"), "13800000001,13800000002,13800000003");
    EXPECT_EQ(key("SysSetting", "Auto3"), "1");

    ReadAutoSettings(g_strAccountIni);
    CDlgSYSSetting again(&g_sysSettings);
    EXPECT_EQ(Child<MyRichEditCtrl>(again, "21013")->toPlainText(), "13800000001\n13800000002\n13800000003");
    EXPECT_TRUE(Child<QCheckBox>(again, "21016")->isChecked());
    EXPECT_TRUE(Child<MyRichEditCtrl>(again, "21013")->isEnabled());
}

TEST_F(SysSetting, RoundBracketsAreRefusedAfterTheKeysUpToInUse) {
    CDlgSYSSetting dlg(&g_sysSettings);
    Child<QCheckBox>(dlg, "1009")->setChecked(true);
    Type(Child<QLineEdit>(dlg, "1004"), "((");
    Type(Child<QLineEdit>(dlg, "1007"), ")");
    EXPECT_EQ(Child<QLineEdit>(dlg, "1004")->text(), "("); // one character
    Child<QTimeEdit>(dlg, "1187")->setTime(QTime(22, 0, 0));
    Click(dlg, "1");
    EXPECT_EQ(m_boxes->texts(), QStringList{LoadStr(321)});
    EXPECT_EQ(m_boxes->shown().at(0).type & mb::IconMask, mb::IconWarning);
    EXPECT_EQ(dlg.result(), kStayedOpen);
    EXPECT_EQ(key("SysSetting", "StartTime"), "22:00:00");
    EXPECT_EQ(key("SysSetting", "EndTime"), "00:00:00");
    EXPECT_EQ(key("SMPre", "inUse"), "1");
    for (const char* k : {"pre1", "pre2", "pre3", "bHasB"})
        EXPECT_EQ(key("SMPre", k), kMissing) << k;
    EXPECT_EQ(key("GroupName", "Name0"), kMissing);
    EXPECT_EQ(key("SysSetting", "Auto100"), kMissing);
}

TEST_F(SysSetting, OpeningShowsTheArrayAndTheFile) {
    for (const char* sql :
         {"INSERT INTO ContactGroup VALUES(0,'根',0)", "INSERT INTO ContactGroup VALUES(1,'客户',0)",
          "INSERT INTO ContactGroup VALUES(2,'客户二',0)", "INSERT INTO ContactGroup VALUES(3,'同事',0)"})
        ASSERT_EQ(ExecSql(nullptr, g_pDB, sql), SQLITE_OK);
    m_folder->writeFile("SN0001.ini",
                        "[SysSetting]\r\nAuto1=1\r\nContent1=30\r\nAuto2=0\r\nContent2=稍后回复\r\n"
                        "Auto3=1\r\nContent3=1,2\r\nAuto5=1\r\nContent5=/s/a.wav\r\nAuto6=1\r\n"
                        "Content6=3\r\nAuto7=1\r\nTranspondName=1\r\nDIYSmsCount=1\r\nSmsCount=200\r\n"
                        "StartTime=22:30:05\r\nEndTime=junk\r\nAuto100=1\r\n"
                        "[SMPre]\r\ninUse=1\r\npre1=<\r\npre2=.\r\npre3=>\r\nbHasB=1\r\n"
                        "[GroupName]\r\nName0=客户\r\nName2=同事\r\nName3=客\r\n");
    ReadAutoSettings(g_strAccountIni);
    CDlgSYSSetting dlg(&g_sysSettings);

    EXPECT_TRUE(Child<QCheckBox>(dlg, "1010")->isChecked());
    EXPECT_EQ(Child<QSpinBox>(dlg, "41028")->value(), 30);
    EXPECT_TRUE(Child<QSpinBox>(dlg, "41028")->isEnabled());
    EXPECT_FALSE(Child<QCheckBox>(dlg, "31015")->isChecked());
    EXPECT_EQ(Child<MyRichEditCtrl>(dlg, "1012")->toPlainText(), "稍后回复");
    EXPECT_FALSE(Child<MyRichEditCtrl>(dlg, "1012")->isEnabled());
    EXPECT_EQ(Child<QLabel>(dlg, "1112")->text(), "(最多70个字.已输入4个,还剩余66个.)");
    EXPECT_EQ(Child<MyRichEditCtrl>(dlg, "21013")->toPlainText(), "1\n2");
    EXPECT_EQ(Child<QLineEdit>(dlg, "1023")->text(), "/s/a.wav");
    EXPECT_TRUE(Child<QPushButton>(dlg, "1003")->isEnabled());
    EXPECT_EQ(Child<QSpinBox>(dlg, "31026")->value(), 3);
    EXPECT_TRUE(Child<QCheckBox>(dlg, "21024")->isChecked());
    EXPECT_TRUE(Child<QCheckBox>(dlg, "31007")->isChecked());
    EXPECT_EQ(Child<QSpinBox>(dlg, "21015")->value(), 200);
    EXPECT_FALSE(Child<QSpinBox>(dlg, "31016")->isEnabled());
    EXPECT_EQ(Child<QTimeEdit>(dlg, "1187")->time(), QTime(22, 30, 5));
    EXPECT_EQ(Child<QTimeEdit>(dlg, "1188")->time(), QTime(0, 0, 0)); // not a time: left alone
    EXPECT_TRUE(Child<QCheckBox>(dlg, "21025")->isChecked());
    EXPECT_FALSE(Child<QLineEdit>(dlg, "31025")->isVisibleTo(&dlg));
    EXPECT_FALSE(Child<QPushButton>(dlg, "21004")->isVisibleTo(&dlg));

    // Groups above the root, chosen by their exact name only.
    auto* forward = Child<QComboBox>(dlg, "1186");
    EXPECT_EQ(forward->count(), 3);
    EXPECT_EQ(forward->currentText(), "客户");
    EXPECT_EQ(Child<QComboBox>(dlg, "1185")->currentIndex(), -1);
    EXPECT_EQ(Child<QComboBox>(dlg, "21008")->currentText(), "同事");
    EXPECT_EQ(Child<QComboBox>(dlg, "21009")->currentIndex(), -1);

    EXPECT_TRUE(Child<QCheckBox>(dlg, "1009")->isChecked());
    EXPECT_EQ(Child<QLineEdit>(dlg, "1004")->text(), "<");
    EXPECT_EQ(Child<QComboBox>(dlg, "21040")->currentText(), ".");
    EXPECT_EQ(Child<QLineEdit>(dlg, "1007")->text(), ">");
    EXPECT_TRUE(Child<QCheckBox>(dlg, "1006")->isChecked());
    EXPECT_TRUE(Child<QCheckBox>(dlg, "1008")->isChecked());
    auto* preview = Child<QLabel>(dlg, "previewText");
    EXPECT_EQ(preview->text(), "<1.2>");
    Child<QCheckBox>(dlg, "1008")->setChecked(false);
    Click(dlg, "1126");
    EXPECT_EQ(preview->text(), "<1.>");
    Child<QCheckBox>(dlg, "1009")->setChecked(false);
    EXPECT_FALSE(Child<QLineEdit>(dlg, "1004")->isEnabled());
    Click(dlg, "1126");
    EXPECT_EQ(preview->text(), "[1/2]");

    // Saving unchanged keeps what was read.
    Child<QCheckBox>(dlg, "1009")->setChecked(true);
    Child<QCheckBox>(dlg, "1008")->setChecked(true);
    Click(dlg, "1");
    ASSERT_EQ(dlg.result(), 1003);
    EXPECT_EQ(key("SysSetting", "StartTime"), "22:30:05");
    EXPECT_EQ(key("SysSetting", "Content3"), "1,2");
    EXPECT_EQ(key("SysSetting", "Content7"), "");
    EXPECT_EQ(key("GroupName", "Name0"), "客户");
    EXPECT_EQ(key("GroupName", "Name1"), "");
    EXPECT_EQ(key("GroupName", "Name2"), "同事");
    EXPECT_EQ(key("SMPre", "pre2"), ".");
    EXPECT_EQ(key("SMPre", "bHasB"), "1");
    EXPECT_EQ(key("SysSetting", "Auto100"), "1");
}

TEST_F(SysSetting, WithoutAnArrayTheEntriesStayEmpty) {
    AddSysSetting(1, "60");
    CDlgSYSSetting dlg(nullptr);
    EXPECT_FALSE(Child<QCheckBox>(dlg, "1010")->isChecked());
    EXPECT_FALSE(Child<QSpinBox>(dlg, "41028")->isEnabled());
    EXPECT_TRUE(Child<MyRichEditCtrl>(dlg, "1012")->toPlainText().isEmpty());
    EXPECT_TRUE(Child<QCheckBox>(dlg, "1006")->isChecked());
}

TEST_F(SysSetting, SoundFileComesFromTheChooser) {
    CDlgSYSSetting dlg(&g_sysSettings);
    Child<QCheckBox>(dlg, "21018")->setChecked(true);
    SetNextFileName(QStringLiteral("/home/u/ding.wav"));
    Click(dlg, "1003");
    EXPECT_EQ(Child<QLineEdit>(dlg, "1023")->text(), "/home/u/ding.wav");
    SetNextFileName(QString()); // cancelled: the path stays
    Click(dlg, "1003");
    EXPECT_EQ(Child<QLineEdit>(dlg, "1023")->text(), "/home/u/ding.wav");
    SetNextFileName(std::nullopt);
}

TEST_F(SysSetting, AFileThatCannotBeWrittenIsNotReportedAsSaved) {
    m_folder->writeFile("SN0001.ini", "[SysSetting]\r\nAuto1=0\r\n");
    ASSERT_EQ(chmod(QFile::encodeName(g_strAccountIni).constData(), 0444), 0);
    CDlgSYSSetting dlg(&g_sysSettings);
    Click(dlg, "1");
    EXPECT_EQ(dlg.result(), kStayedOpen);
    ASSERT_EQ(m_boxes->texts().size(), 1);
    EXPECT_NE(m_boxes->texts()[0], LoadStr(318));
    EXPECT_TRUE(m_boxes->texts()[0].contains(g_strAccountIni));
    EXPECT_TRUE(runLog().contains("ERROR,CDlgSYSSetting,cannot write"));
}

TEST_F(SysSetting, ModalEndings) {
    const std::function<void(CDlgSYSSetting&)> actions[] = {
        [](CDlgSYSSetting& d) { Click(d, "1"); },
        [](CDlgSYSSetting& d) { Click(d, "2"); },
        [](CDlgSYSSetting& d) {
            QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QApplication::sendEvent(&d, &esc);
        },
        [](CDlgSYSSetting& d) { d.close(); },
    };
    const int results[] = {1003, IDCANCEL, IDCANCEL, IDCANCEL};
    for (size_t i = 0; i < std::size(actions); ++i) {
        SCOPED_TRACE(i);
        QFile::remove(g_strAccountIni);
        CDlgSYSSetting dlg(&g_sysSettings);
        QTimer::singleShot(0, &dlg, [&] {
            actions[i](dlg);
            if (dlg.isVisible())
                dlg.done(-1); // the action did not end it
        });
        EXPECT_EQ(dlg.exec(), results[i]);
        EXPECT_EQ(fileExists(), results[i] == 1003);
    }
}

TEST_F(SysSetting, SpeaksEnglish) {
    ASSERT_TRUE(SetUiLanguage(kLangEnglish));
    struct Restore {
        ~Restore() { SetUiLanguage(kLangChinese); }
    } restore;
    CDlgSYSSetting dlg(&g_sysSettings);
    for (const QString& text : ShownTexts(dlg))
        EXPECT_FALSE(HasChinese(text)) << text.toStdString();
    EXPECT_EQ(dlg.windowTitle(), "System Settings");
    EXPECT_EQ(Child<QLabel>(dlg, "1112")->text(), "(At most 70 characters. 0 entered, 70 left.)");
    EXPECT_EQ(Child<QPushButton>(dlg, "2")->text(), "Exit");
    QStringList menu;
    const std::unique_ptr<QMenu> contextMenu = Child<MyRichEditCtrl>(dlg, "1012")->BuildContextMenu();
    for (QAction* a : contextMenu->actions())
        if (!a->isSeparator())
            menu << a->text();
    EXPECT_EQ(menu, (QStringList{"Cut", "Copy", "Paste", "Delete", "Select All"}));
}

} // namespace
