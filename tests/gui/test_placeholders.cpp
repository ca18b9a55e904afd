// The dialogs and views whose functions come in a later version: each shows
// its caption and the note, stores nothing and ends with cancel however it is
// closed, in both languages.
#include "contacts/contact_selection.h"
#include "core/string_table.h"
#include "gui/automation/batch_date_msg_dialog.h"
#include "gui/automation/create_task_dialog.h"
#include "gui/automation/task_tip_dialog.h"
#include "gui/automation/task_view.h"
#include "gui/channels/email_setting_dialog.h"
#include "gui/channels/send_email_dialog.h"
#include "gui/channels/send_fax_dialog.h"
#include "gui/channels/send_sound_dialog.h"
#include "gui/widgets/modal_runner.h"
#include "tests/support/dialog_driver.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <set>
#include <vector>

namespace {

const QString kNote = QStringLiteral("此功能将在后续版本中提供。");
const QString kNoteEnglish = QStringLiteral("This function comes in a later version.");

struct Placeholder {
    const char* name;
    std::function<std::unique_ptr<QDialog>()> make;
    QString chineseTitle;
    QString englishTitle;
};

// Every modal placeholder, each with the inputs its callers hand it.
std::vector<Placeholder> Placeholders() {
    static const ContactSelection ticked(QStringLiteral("SELECT name FROM ContactList ORDER BY name, rowid"));
    return {
        {"CDCreateTask1", [] { return std::make_unique<CDCreateTask1>(); }, "向导", "The wizard"},
        {"CDlgTaskTip",
         [] {
             auto d = std::make_unique<CDlgTaskTip>();
             d->SetTaskIds(QStringLiteral("12,15"));
             return d;
         },
         "任务界面提醒", "Task interface to remind"},
        {"CDlgBatchDateMSG", [] { return std::make_unique<CDlgBatchDateMSG>(); }, "批量日期短信",
         "Batch date message"},
        {"CDlgSendSound",
         [] {
             auto d = std::make_unique<CDlgSendSound>();
             d->SetRecipientSource(&ticked);
             return d;
         },
         "语音群发", "Voice mass"},
        {"CDlgSendFax",
         [] {
             auto d = std::make_unique<CDlgSendFax>();
             d->SetNumbers({QStringLiteral("02000000000")});
             return d;
         },
         "群发传真", "Mass fax"},
        {"CDlgSendEmail",
         [] {
             auto d = std::make_unique<CDlgSendEmail>();
             d->SetAddresses({QStringLiteral("a@example.invalid")});
             return d;
         },
         "群发邮件", "Mass Email"},
        {"DlgEmailSetting", [] { return std::make_unique<DlgEmailSetting>(); },
         "收取邮件并将其内容发送短信相关设置", "Email setting"},
    };
}

// The ways a user closes a dialog, each done from inside the dialog's own loop.
const struct {
    const char* name;
    std::function<void(QDialog&)> close;
} kClosings[] = {
    {"button", [](QDialog& d) { Click(d, "2"); }},
    {"Esc",
     [](QDialog& d) {
         QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
         QApplication::sendEvent(&d, &press);
     }},
    {"close box", [](QDialog& d) { d.close(); }},
};

// The language back to Chinese however the test ends.
struct ChineseAfterwards {
    ~ChineseAfterwards() { SetUiLanguage(kLangChinese); }
};

TEST(Placeholders, ShowCaptionAndNoteAndEndWithCancel) {
    ChineseAfterwards restore;
    for (const int language : {kLangChinese, kLangEnglish}) {
        const bool english = language == kLangEnglish;
        SCOPED_TRACE(english ? "English" : "Chinese");
        ASSERT_TRUE(SetUiLanguage(language));
        for (const Placeholder& p : Placeholders()) {
            SCOPED_TRACE(p.name);
            for (const auto& closing : kClosings) {
                SCOPED_TRACE(closing.name);
                std::unique_ptr<QDialog> dialog = p.make();
                EXPECT_EQ(dialog->windowTitle(), english ? p.englishTitle : p.chineseTitle);
                EXPECT_EQ(Child<QLabel>(*dialog, "note")->text(), english ? kNoteEnglish : kNote);
                EXPECT_EQ(Child<QPushButton>(*dialog, "2")->text(),
                          english ? QStringLiteral("Close") : QStringLiteral("关闭"));

                bool wasShown = false;
                QDialog* raw = dialog.get();
                QTimer::singleShot(0, raw, [&, raw] {
                    wasShown = raw->isVisible();
                    closing.close(*raw);
                });
                EXPECT_EQ(RunModal(*dialog), 2);
                EXPECT_TRUE(wasShown);
                EXPECT_FALSE(dialog->isVisible());
            }
        }
    }
}

TEST(Placeholders, ViewsShowNoteAndWhatTheyWereAskedFor) {
    QWidget mainWindow;
    CDlgTask tasks(&mainWindow);
    tasks.LoadTasks();

    const struct {
        QWidget* view;
        QString detail;
    } views[] = {
        {&tasks, QString()},
    };
    for (const auto& v : views) {
        SCOPED_TRACE(v.view->objectName().toStdString());
        EXPECT_EQ(v.view->parentWidget(), &mainWindow);
        EXPECT_EQ(Child<QLabel>(*v.view, "note")->text(), kNote);
        EXPECT_EQ(Child<QLabel>(*v.view, "detail")->text(), v.detail);
    }


    ChineseAfterwards restore;
    ASSERT_TRUE(SetUiLanguage(kLangEnglish));
    CDlgTask englishTasks(&mainWindow);
    EXPECT_EQ(Child<QLabel>(englishTasks, "note")->text(), kNoteEnglish);
}

} // namespace
