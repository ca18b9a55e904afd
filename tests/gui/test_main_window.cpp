// The main window against the loopback messaging service: the feature mask,
// the commands and their checks, the add-in's commands, timers and workers.
#include "core/account.h"
#include "core/app_globals.h"
#include "core/sql.h"
#include "core/string_table.h"
#include "gui/automation/task_tip_dialog.h"
#include "gui/automation/tip_window.h"
#include "gui/contacts/import_wnd_dialog.h"
#include "gui/main/app_control.h"
#include "gui/main/main_window.h"
#include "gui/sms/send_sms_dialog.h"
#include "gui/widgets/modal_runner.h"
#include "platform/ini.h"
#include "platform/url_open.h"
#include "platform/worker_thread.h"
#include "service/service_state.h"
#include "tests/support/service_fixture.h"
#include "tests/support/test_helpers.h"

#include <QAction>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QRandomGenerator>
#include <QTimer>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

using namespace std::chrono_literals;

namespace {

struct ModalSeen {
    QString className;
    QString title;
};

class MainWindowFixture : public ServiceTest {
protected:
    void SetUp() override {
        ServiceTest::SetUp();
        g_strAccountIni = m_folder->file(QStringLiteral("SN-TEST-01.ini"));
        // The exit question is answered per test where it matters.
        setAccountKey("SysSetting", "Auto7", "1");
        m_previousRunner = SetModalRunner([this](QDialog& dialog) {
            m_modals.push_back({QString::fromLatin1(dialog.metaObject()->className()), dialog.windowTitle()});
            if (m_onModal)
                return m_onModal(dialog);
            return int(IDCANCEL);
        });
    }
    void TearDown() override {
        m_window.reset();
        SetModalRunner(m_previousRunner);
        SetNextFileName(std::nullopt);
        ReopenMessageBoxes();
        ClearQuitRequest();
        g_strAccountIni.clear();
        ServiceTest::TearDown();
    }

    void setAccountKey(const char* section, const char* key, const char* value) {
        ini::WriteString(g_strAccountIni, QLatin1String(section), QLatin1String(key), QString::fromUtf8(value));
    }
    void scriptMask(const std::string& roles, const std::string& result = "0", const std::string& code = "",
                    int delayMs = 0) {
        LoopbackAnswer a = LoopbackAnswer::Registry({{"RESULT", result}, {"ROLES", roles}, {"SERVICECODE", code}});
        a.delayMs = delayMs;
        m_main->script("GetAllInfo2", a);
    }
    CCorvelaneDlg& open(const QStringList& rights = {QStringLiteral("AD")}) {
        m_window = std::make_unique<CCorvelaneDlg>(std::make_unique<QStringList>(rights));
        m_window->show();
        EXPECT_TRUE(WaitUntil([&] { return m_window->commandsReady(); }, std::chrono::milliseconds(TimeBoundMs(10000))));
        return *m_window;
    }
    QStringList modalClasses() const {
        QStringList names;
        for (const ModalSeen& m : m_modals)
            names << m.className;
        return names;
    }

    std::unique_ptr<CCorvelaneDlg> m_window;
    std::vector<ModalSeen> m_modals;
    std::function<int(QDialog&)> m_onModal;
    ModalRunner m_previousRunner;
};

using MainWindow = MainWindowFixture;

// An entry counts as shown when neither it nor the submenu holding it is hidden.
bool EntryShown(const QAction* action) {
    if (!action || !action->isVisible())
        return false;
    for (QObject* holder : action->associatedObjects())
        if (auto* menu = qobject_cast<QMenu*>(holder); menu && !menu->menuAction()->isVisible())
            return false;
    return true;
}

bool TreeHasNode(QTreeWidget* tree, qint64 code) {
    for (QTreeWidgetItemIterator it(tree); *it; ++it)
        if ((*it)->data(0, Qt::UserRole).toLongLong() == code)
            return true;
    return false;
}

TEST_F(MainWindow, FeatureMaskDecidesButtonsEntriesAndNodes) {
    struct Case {
        std::string roles;
        std::vector<int> hiddenButtons;
        std::vector<int> hiddenEntries;
        std::vector<qint64> missingNodes;
    };
    // 50176 = 0x8000|0x4000|0x0400: the e-mail and MMS bits.
    const Case cases[] = {
        {"0", {5, 8, 14}, {32825}, {}},
        {"50176", {5, 8, 9, 11, 12, 14}, {32804, 32813, 32850, 32859, 32825}, {node::Email, node::Mms}},
        {"20",
         {5, 6, 7, 8, 9, 10, 11, 12, 13, 14},
         {32804, 32808, 32813, 32817, 32822, 32823, 32824, 32825, 32850, 32859},
         {node::Tasks, node::Fax, node::Email, node::Mms, node::Voice, node::NetManagement}},
    };
    for (const Case& c : cases) {
        scriptMask(c.roles);
        CCorvelaneDlg& w = open();
        for (int i = 0; i < 17; ++i) {
            const bool hidden = std::find(c.hiddenButtons.begin(), c.hiddenButtons.end(), i) != c.hiddenButtons.end();
            ASSERT_NE(w.toolButton(i), nullptr);
            EXPECT_EQ(w.toolButton(i)->isVisible(), !hidden) << "ROLES " << c.roles << " button " << i;
        }
        for (int id : {32804, 32808, 32813, 32817, 32822, 32823, 32824, 32825, 32850, 32859, 32793, 32826}) {
            const bool hidden = std::find(c.hiddenEntries.begin(), c.hiddenEntries.end(), id) != c.hiddenEntries.end();
            EXPECT_EQ(EntryShown(w.menuAction(id)), !hidden) << "ROLES " << c.roles << " entry " << id;
        }
        for (qint64 code : {node::Tasks, node::Fax, node::Email, node::Mms, node::Voice, node::NetManagement}) {
            const bool missing = std::find(c.missingNodes.begin(), c.missingNodes.end(), code) != c.missingNodes.end();
            EXPECT_EQ(TreeHasNode(w.tree(), code), !missing) << "ROLES " << c.roles << " node " << code;
        }
        EXPECT_TRUE(TreeHasNode(w.tree(), node::NetMessages));
        m_window.reset();
    }
}

TEST_F(MainWindow, ServiceNumberOnlyFromAnAcceptedAnswer) {
    scriptMask("50176", "0", "1065730");
    open();
    EXPECT_EQ(m_window->featureMask(), 0xC400);
    EXPECT_TRUE(m_window->statusText(0).contains(QStringLiteral("特服号:1065730"))) << m_window->statusText(0).toStdString();
    EXPECT_EQ(g_pAccount.field(kAccountServiceNumber), QStringLiteral("1065730"));
    m_window.reset();

    // A refused call fills the record too; none of it counts.
    scriptMask("50176", "-2", "1065730");
    open();
    EXPECT_EQ(m_window->featureMask(), 0);
    EXPECT_TRUE(m_window->statusText(0).endsWith(QStringLiteral("特服号:"))) << m_window->statusText(0).toStdString();
    EXPECT_TRUE(g_pAccount.field(kAccountServiceNumber).isEmpty());
}

TEST_F(MainWindow, OfflineStartShowsOneBoxAndWithholdsNothing) {
    SetServiceUrl(ClosedEndpoint());
    open();
    EXPECT_EQ(m_window->featureMask(), 0);
    EXPECT_EQ(m_boxes->texts().count(QStringLiteral("连接超时.")), 1);
    EXPECT_TRUE(m_window->toolButton(11)->isVisible());
}

TEST_F(MainWindow, HeldAnswerLeavesTheWindowPainting) {
    scriptMask("0", "0", "", TimeBoundMs(1500));
    m_window = std::make_unique<CCorvelaneDlg>(std::make_unique<QStringList>(QStringList{QStringLiteral("AD")}));
    m_window->show();
    bool ticked = false;
    QTimer::singleShot(100, [&] { ticked = true; });
    ASSERT_TRUE(WaitUntil([&] { return ticked; }, 1000ms));
    EXPECT_FALSE(m_window->commandsReady());
    EXPECT_EQ(m_window->statusText(2), QStringLiteral("正在处理..."));
    EXPECT_FALSE(m_window->grab().isNull());
    EXPECT_TRUE(WaitUntil([&] { return m_window->commandsReady(); }, std::chrono::milliseconds(TimeBoundMs(10000))));
    EXPECT_TRUE(m_window->statusText(2).isEmpty());
}

TEST_F(MainWindow, TitleNamesTheKindOfLogin) {
    g_strAppTitle = QStringLiteral("示例商号");
    open({QStringLiteral("OP1234")});
    EXPECT_EQ(m_window->windowTitle(), QStringLiteral("示例商号 当前登录权限--操作员"));
    g_strAppTitle.clear();
}

TEST_F(MainWindow, NodeCommandsShowTheirViews) {
    open();
    ASSERT_TRUE(WaitUntil([&] { return m_window->timer(1) && !m_window->timer(1)->isActive(); }));
    struct Case {
        int command;
        const char* viewClass;
    };
    const Case cases[] = {{32795, "CDlgMsgRecord"}, {32849, "CDlgTask"}, {32824, "CDlgNetMGT"},
                          {32810, "CDlgMsgRecord"}, {32811, "CDlgMsgRecord"}};
    for (const Case& c : cases) {
        m_window->OnMenuCommand(c.command);
        QWidget* shown = nullptr;
        for (QWidget* w : m_window->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
            if (w->isVisible() && QLatin1String(w->metaObject()->className()) == QLatin1String(c.viewClass))
                shown = w;
        EXPECT_NE(shown, nullptr) << c.command;
    }
}

TEST_F(MainWindow, SkinMenuListsTheSkinFilesAndStoresTheChoice) {
    m_folder->writeFile(QStringLiteral("urf/b.urf"), "QWidget { }");
    m_folder->writeFile(QStringLiteral("urf/a.urf"), "QWidget { }");
    m_folder->writeFile(QStringLiteral("urf/notes.txt"), "x");
    open();
    ASSERT_NE(m_window->menuAction(32860), nullptr);
    EXPECT_TRUE(m_window->menuAction(32860)->isChecked());
    ASSERT_NE(m_window->menuAction(32862), nullptr);
    EXPECT_EQ(m_window->menuAction(32861)->text(), QStringLiteral("a"));
    EXPECT_EQ(m_window->menuAction(32862)->text(), QStringLiteral("b"));
    EXPECT_EQ(m_window->menuAction(32863), nullptr);
    m_window->OnMenuCommand(32862);
    EXPECT_TRUE(m_window->menuAction(32862)->isChecked());
    EXPECT_FALSE(m_window->menuAction(32860)->isChecked());
    EXPECT_EQ(ini::ReadString(m_folder->file(QStringLiteral("CsqxConfig.ini")), QStringLiteral("DefaultSkin"),
                              QStringLiteral("defaultS")),
              QStringLiteral("b.urf"));
    m_window->OnMenuCommand(32860);
    EXPECT_TRUE(ini::ReadString(m_folder->file(QStringLiteral("CsqxConfig.ini")), QStringLiteral("DefaultSkin"),
                                QStringLiteral("defaultS"))
                    .isEmpty());
    // The language entry's id is never a skin.
    EXPECT_EQ(m_window->menuAction(32871)->text(), QStringLiteral("英语"));
}

// ---- commands ---------------------------------------------------------------------

using MenuCommands = MainWindowFixture;

TEST_F(MenuCommands, OperatorWithoutTheRightIsRefused) {
    QStringList rights{QStringLiteral("OP")};
    for (int i = 1; i <= 20; ++i)
        rights << QStringLiteral("0");
    open(rights);
    for (int id : {32826, 32827, 32828, 32832, 32790, 32804, 32808, 32817, 32774, 32776, 32777}) {
        m_boxes->clear();
        m_window->OnMenuCommand(id);
        EXPECT_EQ(m_boxes->texts(), QStringList{QStringLiteral("您没有相应权限进行此操作.")}) << id;
    }
    EXPECT_TRUE(m_modals.empty());
}

TEST_F(MenuCommands, WithheldFeatureSays339) {
    struct Case {
        int bit;
        std::vector<int> commands;
    };
    const Case cases[] = {{0x400, {32813, 32859}}, {0x100, {32823}}, {0x80, {32824, 32858}}};
    for (const Case& c : cases) {
        scriptMask(std::to_string(0x8000 | c.bit));
        open();
        for (int id : c.commands) {
            m_boxes->clear();
            m_window->OnMenuCommand(id);
            EXPECT_EQ(m_boxes->texts(), QStringList{LoadStr(339)}) << id;
        }
        m_window.reset();
    }
    EXPECT_TRUE(m_modals.empty());
}

TEST_F(MenuCommands, AddInSendSms) {
    open();
    m_window->OnCopyData("SendSMS,|,|13800000000");
    EXPECT_EQ(m_boxes->texts(), QStringList{LoadStr(352)});
    EXPECT_TRUE(m_modals.empty());

    QStringList numbers;
    QString content;
    m_onModal = [&](QDialog& d) {
        if (auto* sms = qobject_cast<CDlgSendSMS*>(&d)) {
            numbers = sms->numbers();
            content = sms->content();
        }
        return int(IDCANCEL);
    };
    m_window->OnCopyData(QByteArray("SendSMS,|,|13800000000|13900000000,|,|\xc4\xe3\xba\xc3"));
    EXPECT_EQ(modalClasses(), QStringList{QStringLiteral("CDlgSendSMS")});
    EXPECT_EQ(numbers, (QStringList{QStringLiteral("13800000000"), QStringLiteral("13900000000")}));
    EXPECT_EQ(content, QStringLiteral("你好"));

    // Stray bytes of nearly a mebibyte are text like any other.
    QByteArray stray(1000000, '\0');
    for (char& b : stray)
        b = char(QRandomGenerator::global()->bounded(256));
    m_window->OnCopyData("SendSMS,|,|" + stray + ",|,|x");
    EXPECT_EQ(m_modals.size(), 2u);
}

TEST_F(MenuCommands, NothingRunsUnderAnotherDialog) {
    open();
    m_onModal = [&](QDialog&) {
        m_window->OnCopyData("about");
        m_window->OnCopyData("xtsz");
        return int(IDCANCEL);
    };
    m_window->OnMenuCommand(32788);
    EXPECT_EQ(modalClasses(), QStringList{QStringLiteral("CDlgRecharge")});
    EXPECT_TRUE(runLog().contains(QStringLiteral("INFO,add-in command not run: a dialog is open")));
}

TEST_F(MenuCommands, NumberLocationAndDataSplit) {
    QStringList opened;
    const UrlOpener previous = SetUrlOpener([&](const QString& url) {
        opened << url;
        return true;
    });
    open();
    m_window->OnMenuCommand(32821);
    EXPECT_EQ(m_boxes->texts(), QStringList{QStringLiteral("手机号归属地查询地址未配置")});
    EXPECT_TRUE(opened.isEmpty());
    m_window->OnMenuCommand(32829);
    EXPECT_EQ(modalClasses(), QStringList{QStringLiteral("CDlgDataSplit")});
    SetUrlOpener(previous);
}

using DateMsgSettingCommands = MainWindowFixture;

TEST_F(DateMsgSettingCommands, MenuAndAddInOpenTheSettings) {
    open();
    m_window->OnMenuCommand(32835);
    m_window->OnCopyData("rqdxsz");
    EXPECT_EQ(modalClasses(),
              (QStringList{QStringLiteral("CDlgDateMSGSetting"), QStringLiteral("CDlgDateMSGSetting")}));
}

using ContactExportCommand = MainWindowFixture;

TEST_F(ContactExportCommand, MenuOpensTheGroupExport) {
    open();
    m_window->OnMenuCommand(32777);
    EXPECT_EQ(modalClasses(), QStringList{QStringLiteral("CDlgExportGroup")});
    EXPECT_TRUE(m_boxes->texts().isEmpty());
}

TEST_F(MenuCommands, AddInWordsReachTheirCommands) {
    open();
    m_window->OnCopyData("about");
    m_window->OnCopyData("xtsz");
    m_window->OnCopyData("wlsz");
    m_window->OnCopyData("nonsense");
    EXPECT_EQ(modalClasses(),
              (QStringList{QStringLiteral("CDlgAbout"), QStringLiteral("CDlgSYSSetting"), QStringLiteral("CDlgNetSetting")}));
}

TEST_F(MenuCommands, MailWorkerFollowsTheSavedSwitch) {
    open();
    EXPECT_FALSE(m_window->mailWorkerRunning());
    setAccountKey("EmailSetting", "Receive", "1");
    m_window->OnMenuCommand(32857);  // the dialog is cancelled: the file decides
    EXPECT_TRUE(m_window->mailWorkerRunning());
    setAccountKey("EmailSetting", "Receive", "0");
    m_onModal = [](QDialog&) { return int(IDOK); };
    m_window->OnMenuCommand(32857);
    EXPECT_TRUE(WaitUntil([&] { return !m_window->mailWorkerRunning(); }));
}

TEST_F(MenuCommands, LanguageSwitchTwiceRestoresTheFirstBytes) {
    const QString file = m_folder->file(QStringLiteral("Language.ini"));
    const QByteArray chinese("\x04\x08\0\0", 4);
    m_folder->writeFile(QStringLiteral("Language.ini"), chinese);
    SetUiLanguage(kLangChinese);
    open();
    m_window->OnMenuCommand(32871);
    EXPECT_TRUE(WaitUntil([&] { return !m_window->isVisible(); }));
    EXPECT_EQ(m_folder->readFile(QStringLiteral("Language.ini")), QByteArray("\x09\x04\0\0", 4));
    EXPECT_TRUE(m_window->restartOnClose());
    EXPECT_TRUE(RestartRequested());
    m_window.reset();

    // The restarted program speaks English; its switch goes back.
    SetUiLanguage(kLangEnglish);
    g_pAccount.set({QStringLiteral("SN-TEST-01"), QStringLiteral("secret")});
    open();
    m_window->OnMenuCommand(32871);
    EXPECT_TRUE(WaitUntil([&] { return !m_window->isVisible(); }));
    EXPECT_EQ(m_folder->readFile(QStringLiteral("Language.ini")), chinese);
    SetUiLanguage(kLangChinese);
}

TEST_F(MenuCommands, CompressionRunsOnAWorker) {
    open();
    bool finished = false;
    QObject::connect(m_window.get(), &CCorvelaneDlg::jobFinished, [&] { finished = true; });
    m_window->OnMenuCommand(32827);
    EXPECT_TRUE(WaitUntil([&] { return finished; }));
    EXPECT_TRUE(WaitUntil([&] { return m_boxes->texts().contains(LoadStr(340)); }));
}

TEST_F(MenuCommands, ImportNeedsAGroup) {
    open();
    m_window->OnMenuCommand(32776);
    EXPECT_EQ(m_boxes->texts(), QStringList{LoadStr(334)});
}

TEST_F(MenuCommands, ImportWindowRunsForTheSelectedGroupAndShowsItAfterwards) {
    ExecSql(nullptr, g_pDB, "INSERT INTO ContactGroup (GroupID,GroupName,MasterID) VALUES (7,'客户',0)");
    open();
    ASSERT_TRUE(WaitUntil([&] { return m_window->timer(1) && !m_window->timer(1)->isActive(); }));
    m_window->SelectNode(7);
    ASSERT_EQ(m_window->currentGroup(), 7);
    QTreeWidget* tree = m_window->tree();
    const struct {
        int result;
        qint64 newGroup;
        bool treeRebuilt;
    } cases[] = {{1002, 8, false}, {1003, 9, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.result);
        int target = 0;
        m_onModal = [&](QDialog& dialog) {
            if (auto* import = qobject_cast<CDlgImportWND*>(&dialog)) {
                target = import->m_nGroupId;
                // The import made a group under the target, as a group column does.
                ExecSql(nullptr, g_pDB,
                        "INSERT INTO ContactGroup (GroupID,GroupName,MasterID) VALUES (" +
                            std::to_string(c.newGroup) + ",'新组',7)");
            }
            return c.result;
        };
        m_window->OnMenuCommand(32776);
        EXPECT_EQ(target, 7);
        EXPECT_EQ(TreeHasNode(tree, c.newGroup), c.treeRebuilt);
        EXPECT_EQ(m_window->currentGroup(), 7);
        ASSERT_NE(tree->currentItem(), nullptr);
        EXPECT_EQ(tree->currentItem()->data(0, Qt::UserRole).toLongLong(), 7);
    }
    EXPECT_TRUE(m_boxes->texts().isEmpty()) << m_boxes->texts().join('|').toStdString();
}

// ---- timers --------------------------------------------------------------------------

using Timers = MainWindowFixture;

TEST_F(Timers, ReceiveTimerNeverPollsFasterThanFiveSeconds) {
    setAccountKey("SysSetting", "Auto1", "1");
    setAccountKey("SysSetting", "Content1", "abc");
    open();
    ASSERT_NE(m_window->timer(11), nullptr);
    EXPECT_TRUE(m_window->timer(11)->isActive());
    EXPECT_EQ(m_window->timer(11)->interval(), 5000);
}

// Timer 10 runs exactly while a date message or a reminder is on: switching
// one on arms it at once, switching all off stops it.
TEST_F(Timers, DateTimerFollowsTheDateMessages) {
    open();
    const auto dateTimerOn = [&] { return m_window->timer(10) && m_window->timer(10)->isActive(); };
    EXPECT_FALSE(dateTimerOn());
    setAccountKey("DateMSG", "Name1", "birthDay");
    setAccountKey("DateMSG", "AutoSend1", "1");
    setAccountKey("DateMSG", "PreDays1", "0");
    setAccountKey("DateMSG", "SendTime1", "09:00:00");
    setAccountKey("DateMSG", "Content1", "生日快乐");
    m_window->LoadDateMsgSettings();
    EXPECT_TRUE(dateTimerOn());
    EXPECT_EQ(m_window->timer(10)->timerType(), Qt::PreciseTimer);
    setAccountKey("DateMSG", "AutoSend1", "0");
    m_window->LoadDateMsgSettings();
    EXPECT_FALSE(dateTimerOn());
}

// A holiday today with its reminder on shows the reminder window at start,
// on its holiday tab.
TEST_F(Timers, HolidayTodayShowsTheReminderWindowAtStart) {
    const QDate today = QDate::currentDate();
    ASSERT_EQ(ExecSql(nullptr, g_pDB,
                      "INSERT INTO holidaySMS (month,day,name,content,recID,type) VALUES (" +
                          std::to_string(today.month()) + "," + std::to_string(today.day()) +
                          ",'测试节','节日快乐',1,0)"),
              SQLITE_OK);
    setAccountKey("HolidayTip", "AutoTip", "1");
    setAccountKey("HolidayTip", "preDays", "0");
    open();
    CDlgTipWnd* tips = m_window->tipWindow();
    ASSERT_NE(tips, nullptr);
    EXPECT_TRUE(tips->isVisible());
    EXPECT_EQ(tips->windowTitle(), QStringLiteral("节日/生日"));
    EXPECT_EQ(tips->ShownTab(), 0);
}

TEST_F(Timers, TwoTipsInOneMinuteOneReminder) {
    open();
    const QDateTime now(QDate(2026, 12, 10), QTime(10, 0, 20));
    m_window->setClock([now] { return now; });
    // The reminders' minutes count from when their timer is armed: arm it
    // again on the test's clock.
    if (QTimer* reminders = m_window->timer(12))
        reminders->stop();
    m_window->LoadTaskTips();
    m_window->taskTips() = {{QStringLiteral("2026-12-10 10:00"), QStringLiteral("0"), 12},
                            {QStringLiteral("2026-12-10 10:05"), QStringLiteral("5"), 15},
                            {QStringLiteral("2026-12-10 10:30"), QStringLiteral("10"), 17}};
    QString ids;
    m_onModal = [&](QDialog& d) {
        if (auto* tip = qobject_cast<CDlgTaskTip*>(&d))
            ids = tip->taskIds();
        return int(IDCANCEL);
    };
    m_window->OnTimer(12);
    EXPECT_EQ(ids, QStringLiteral("12,15"));
    m_window->OnTimer(12);  // the same minute once more
    EXPECT_EQ(m_modals.size(), 1u);
}

TEST_F(Timers, DailyCopyWaitsUntilNoDialogIsOpen) {
    open();
    const QString copy =
        m_folder->file(QStringLiteral("DbBak/%1.db3").arg(QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"))));
    m_onModal = [&](QDialog&) {
        m_window->OnTimer(14);
        // Under the dialog the copy waits.
        WaitUntil([] { return false; }, 300ms);
        EXPECT_TRUE(m_window->backupDue());
        EXPECT_FALSE(QFile::exists(copy));
        return int(IDCANCEL);
    };
    m_window->OnMenuCommand(32788);
    EXPECT_TRUE(WaitUntil([&] { return QFile::exists(copy); }, std::chrono::milliseconds(TimeBoundMs(5000))));
    EXPECT_FALSE(m_window->backupDue());
}

// ---- workers and closing ------------------------------------------------------------

using Workers = MainWindowFixture;

TEST_F(Workers, OneWorkerAtATimeAndABoundedJoin) {
    WorkerThread worker;
    std::atomic<bool> release{false};
    std::atomic<int> runs{0};
    ASSERT_TRUE(worker.start([&] {
        ++runs;
        while (!release)
            std::this_thread::sleep_for(1ms);
    }));
    EXPECT_FALSE(worker.start([&] { ++runs; }));
    EXPECT_TRUE(worker.running());
    release = true;
    EXPECT_TRUE(worker.join(5000));
    EXPECT_FALSE(worker.running());
    EXPECT_EQ(runs, 1);
    EXPECT_TRUE(worker.start([&] { ++runs; }));
    EXPECT_TRUE(worker.join(5000));
    EXPECT_EQ(runs, 2);
}

// Starting a worker that runs starts nothing: one thread, one start line.
TEST_F(Workers, StartingAgainKeepsOneWorker) {
    setAccountKey("EmailSetting", "Receive", "1");
    open();
    ASSERT_TRUE(m_window->mailWorkerRunning());
    m_window->OnMenuCommand(32857);  // the mail settings start it again when it does not run
    m_window->OnMenuCommand(32857);
    EXPECT_TRUE(m_window->mailWorkerRunning());
    m_window->OnClose(true);
    EXPECT_FALSE(m_window->mailWorkerRunning());
    EXPECT_EQ(LogLines(runLog()).count(QStringLiteral("INFO,mail thread started")), 1);
}

TEST_F(Workers, BothJoinedBeforeTheAccountIsCleared) {
    setAccountKey("EmailSetting", "Receive", "1");
    m_folder->writeFile(QStringLiteral("OEM/OemInfo.ini"), "[UserTempSetting]\r\nReport=1\r\n");
    open();
    EXPECT_TRUE(m_window->mailWorkerRunning());
    EXPECT_TRUE(m_window->reportWorkerRunning());
    m_window->OnClose(true);
    EXPECT_FALSE(m_window->mailWorkerRunning());
    EXPECT_FALSE(m_window->reportWorkerRunning());
    EXPECT_FALSE(g_pAccount.isSet());
    EXPECT_TRUE(m_boxes->texts().isEmpty());  // Auto7=1: no backup question
}

TEST_F(Workers, ExitAsksForABackupUnlessSwitchedOffOrQuit) {
    setAccountKey("SysSetting", "Auto7", "0");
    open();
    m_boxes->queueAnswer(IDNO);
    m_window->OnClose(true);
    EXPECT_EQ(m_boxes->texts(), QStringList{LoadStr(332)});
    m_window.reset();

    g_pAccount.set({QStringLiteral("SN-TEST-01"), QStringLiteral("secret")});
    m_boxes->clear();
    open();
    RequestQuit();
    EXPECT_TRUE(WaitUntil([&] { return !m_window->isVisible(); }));
    EXPECT_TRUE(m_boxes->texts().isEmpty());
}

TEST_F(Workers, WithoutATrayMinimisingDoesNotHide) {
    open();
    m_window->showMinimized();
    WaitUntil([] { return false; }, 200ms);
    EXPECT_TRUE(m_window->isVisible());
    EXPECT_TRUE(m_boxes->balloons().isEmpty());
}

} // namespace
