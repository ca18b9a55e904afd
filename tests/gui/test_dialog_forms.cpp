// The dialogs' forms in English: every text a form shows has its English under
// the dialog's own context, and the labels sit beside the boxes they name. And
// the placeholder main window's title with the rights of the login.
#include "core/app_globals.h"
#include "core/helpers.h"
#include "core/string_table.h"
#include "gui/channels/weibo_dialog.h"
#include "gui/channels/weibo_reply_dialog.h"
#include "gui/main/login_dialog.h"
#include "gui/main/main_window.h"
#include "gui/main/net_setting_dialog.h"
#include "gui/main/operator_rights_dialog.h"
#include "gui/main/recharge_dialog.h"
#include "gui/main/service_password_dialog.h"
#include "gui/main/test_speed_dialog.h"
#include "tests/support/dialog_driver.h"
#include "tests/support/program_folder.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QTableWidget>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

namespace {

class DialogFormsTest : public ProgramFolderTest {
protected:
    void SetUp() override {
        ProgramFolderTest::SetUp();
        m_title = g_strAppTitle;
        g_strAppTitle = QStringLiteral("Trial");
    }
    void TearDown() override {
        SetUiLanguage(kLangChinese);
        g_pLoginRights.reset();
        g_strAppTitle = m_title;
        ProgramFolderTest::TearDown();
    }

    QString m_title;
};


// The text of the label whose buddy is the control named `id`.
QString LabelOf(QWidget& dialog, const char* id) {
    for (QLabel* label : dialog.findChildren<QLabel*>()) {
        if (label->buddy() && label->buddy()->objectName() == QLatin1String(id))
            return label->text();
    }
    return QStringLiteral("(no label for %1)").arg(QLatin1String(id));
}

// The text of the control named `id`, or with "label:<id>" of its label.
QString Text(QWidget& dialog, const char* id) {
    const QString name = QString::fromLatin1(id);
    if (name.startsWith(QLatin1String("label:")))
        return LabelOf(dialog, id + 6);
    QWidget* w = Child<QWidget>(dialog, name);
    if (auto* label = qobject_cast<QLabel*>(w))
        return label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(w))
        return button->text();
    return QStringLiteral("(no text on %1)").arg(QLatin1String(id));
}

TEST_F(DialogFormsTest, EveryFormSpeaksEnglish) {
    ASSERT_TRUE(SetUiLanguage(kLangEnglish));
    const QStringList addresses{QStringLiteral("http://a.test/webservice.asmx")};
    const QStringList adminRights{QStringLiteral("AD")};
    CWeiboClient weiboClient;
    const struct {
        const char* name;
        std::function<std::unique_ptr<QDialog>()> make;
        QString title;
        // Control id (or "label:<id>" for the label of that box) and its text.
        std::vector<std::pair<const char*, QString>> texts;
    } dialogs[] = {
        {"login",
         [] { return std::make_unique<CDlgModifyLogPW>(true); },
         "Trial--" + LoadStr(102),
         {{"1023", "Administrator"},
          {"1024", "Operator"},
          {"1114", LoadStr(103)},
          {"1113", LoadStr(104)},
          {"1", LoadStr(102)},
          {"2", "Cancel"}}},
        {"change of a login password",
         [&] { return std::make_unique<CDlgModifyLogPW>(false, &adminRights); },
         "Modify the login password",
         {{"1023", "Administrator"},
          {"1024", "Operator"},
          {"1115", "New password:"},
          {"1116", "Confirm the new password:"},
          {"1", "OK"},
          {"2", "Cancel"}}},
        {"service password",
         [] { return std::make_unique<CDlgModiSerPWD>(); },
         "Modify the account password",
         {{"label:1014", "Old password:"},
          {"label:21015", "New password:"},
          {"label:31016", "Confirm the new password:"},
          {"1", "OK"},
          {"2", "Cancel"}}},
        {"network settings",
         [] { return std::make_unique<CDlgNetSetting>(nullptr, [] { return 0u; }); },
         "Network Settings",
         {{"label:51044", "Select a server:"},
          {"1005", "Get servers"},
          {"1003", "Test speed"},
          {"1010", "Use a proxy server"},
          {"1036", "Test connection"},
          {"label:21015", "Server:"},
          {"label:31016", "Port:"},
          {"label:31017", "User name:"},
          {"label:31018", "Password:"},
          {"1092", "Note: choosing a server by hand is not recommended; do so only when the program "
                   "cannot work normally"},
          {"1", "OK"},
          {"2", "Cancel"}}},
        {"speed test",
         [&] { return std::make_unique<CDlgTestSpeed>(&addresses); },
         "Test speed",
         {{"1118", "Start test"},
          {"31006", "Use server"},
          {"1161", "Close"},
          {"1010", "Do not show at start-up"}}},
        {"operator rights",
         [&] { return std::make_unique<CDlgOperatorRights>(&adminRights); },
         "Operator rights",
         {{"10100", "Add"},
          {"10103", "Group management and export"},
          {"10106", "Modify the account password"},
          {"10119", "Data engine"},
          {"1", "Modify"},
          {"2", "Exit"}}},
        {"recharge",
         [] { return std::make_unique<CDlgRecharge>(); },
         "Recharge",
         {{"1053", "Please enter the recharge card's number and password"},
          {"label:1014", "Card number:"},
          {"label:21015", "Card password:"},
          {"1", "OK"},
          {"2", "Cancel"}}},
        {"microblog page waiting for the code",
         [] { return std::make_unique<CDlgWeibo>(nullptr); },
         "",
         {{"1179",
           "Log in to Weibo in your browser, authorise the program, then enter the authorisation code:"},
          {"1", "Login"},
          {"2", "Refresh"},
          {"1003", "Return"}}},
        {"microblog reply",
         [&] {
             return std::make_unique<CDlgWeiboReply>(
                 nullptr, weiboClient, [](std::function<void()>, std::function<void()>) { return false; });
         },
         "Weibo",
         {{"1", "Reply"}, {"2", "Cancel"}}},
    };
    for (const auto& d : dialogs) {
        SCOPED_TRACE(d.name);
        const std::unique_ptr<QDialog> dlg = d.make();
        EXPECT_EQ(dlg->windowTitle().toStdString(), d.title.toStdString());
        for (const auto& [id, text] : d.texts)
            EXPECT_EQ(Text(*dlg, id).toStdString(), text.toStdString()) << id;
        // Nothing the form shows was left without its English.
        for (const QString& shown : ShownTexts(*dlg))
            EXPECT_FALSE(HasChinese(shown)) << shown.toStdString();
    }

    CDlgTestSpeed speed(&addresses);
    const auto* list = Child<QTableWidget>(speed, "1014");
    ASSERT_EQ(list->columnCount(), CDlgTestSpeed::ColumnCount);
    const QStringList columns{"Server", "Description", "Response time (main)", "Result",
                              "Network delay (reference)"};
    for (int c = 0; c < list->columnCount(); ++c)
        EXPECT_EQ(list->horizontalHeaderItem(c)->text().toStdString(), columns[c].toStdString()) << c;
}

// ---------------------------------------------------------------- main window

TEST_F(DialogFormsTest, MainWindowTitleNamesTheKindOfTheLogin) {
    const struct {
        const char* name;
        int language;
        QStringList rights;
        QString title;
    } cases[] = {
        {"operator", kLangChinese, {"OPsecret", "1", "0"}, "Trial 当前登录权限--操作员"},
        {"administrator", kLangChinese, {"AD"}, "Trial 当前登录权限--管理员"},
        {"unknown kind", kLangChinese, {"XY"}, "Trial 当前登录权限--"},
        {"empty array", kLangChinese, {}, "Trial 当前登录权限--"},
        {"operator in English", kLangEnglish, {"OP"}, "Trial Current login rights--Operator"},
        {"administrator in English", kLangEnglish, {"ADpw"}, "Trial Current login rights--Administrator"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(SetUiLanguage(c.language));
        auto rights = std::make_unique<QStringList>(c.rights);
        const QStringList* published = rights.get();
        CCorvelaneDlg window(std::move(rights));
        EXPECT_EQ(g_pLoginRights.get(), published) << "the window publishes the login's array itself";
        EXPECT_EQ(window.windowTitle().toStdString(), c.title.toStdString());
        EXPECT_EQ(MainWindowTitle(g_pLoginRights.get()).toStdString(), c.title.toStdString());
    }
    // Before any login.
    ASSERT_TRUE(SetUiLanguage(kLangChinese));
    EXPECT_EQ(MainWindowTitle(nullptr).toStdString(), "Trial 当前登录权限--");
}

} // namespace
