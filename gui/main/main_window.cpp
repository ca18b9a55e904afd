#include "gui/main/main_window.h"

#include "automation/auto_settings.h"
#include "automation/date_rules.h"
#include "automation/interactive_records.h"
#include "automation/received_traffic.h"
#include "automation/report_thread.h"
#include "channels/mail_settings.h"
#include "channels/mail_thread.h"
#include "core/account.h"
#include "core/app_globals.h"
#include "core/database.h"
#include "core/db_backup.h"
#include "core/helpers.h"
#include "core/log.h"
#include "core/paths.h"
#include "core/program_files.h"
#include "core/string_table.h"
#include "gui/automation/task_tip_dialog.h"
#include "gui/automation/tip_window.h"
#include "gui/main/app_control.h"
#include "gui/main/backup_commands.h"
#include "gui/main/gui_globals.h"
#include "gui/sms/received_record_view.h"
#include "gui/widgets/information_pane.h"
#include "gui/widgets/modal_runner.h"
#include "gui/widgets/widget_helpers.h"
#include "gui/widgets/zsplitter.h"
#include "platform/ini.h"
#include "platform/msgbox.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>

ACCOUNT_SERVICE_INFO g_accountServiceInfo;

namespace {
QPointer<CCorvelaneDlg> g_mainWindow;
QLabel* g_statusLabels[3] = {};

constexpr int kJoinBoundMs = 60000;

QString Tr(const char* text) { return QCoreApplication::translate("CCorvelaneDlg", text); }

} // namespace

void g_hStatusBar(int part, const QString& text) {
    if (!g_mainWindow || part < 0 || part > 2 || !g_statusLabels[part])
        return;
    g_statusLabels[part]->setText(text);
}

ACCOUNT_SERVICE_INFO FetchFeatureMask(int timeoutSeconds) {
    const AccountFields account = g_pAccount.get();
    if (account[kAccountSerial].isEmpty())
        return {};
    CWebServiceClient client(account[kAccountSerial], account[kAccountPassword]);
    if (timeoutSeconds > 0)
        client.SetTimeoutCap(timeoutSeconds);
    ACCOUNT_SERVICE_INFO info;
    // The wrapper fills its record even for a refused call.
    return client.CallGetAllInfo2(info) < 0 ? ACCOUNT_SERVICE_INFO() : info;
}

QString MainWindowTitle(const QStringList* rights) {
    const QString kind = rights && !rights->isEmpty() ? rights->front() : QString();
    QString who;
    if (kind.startsWith(QLatin1String("OP")))
        who = Tr("操作员");
    else if (kind.startsWith(QLatin1String("AD")))
        who = Tr("管理员");
    // The translated text keeps the two "%s" of its source.
    const QStringList parts = Tr("%s 当前登录权限--%s").split(QLatin1String("%s"));
    if (parts.size() != 3)
        return g_strAppTitle;
    return parts[0] + g_strAppTitle + parts[1] + who + parts[2];
}

CCorvelaneDlg::CCorvelaneDlg(std::unique_ptr<QStringList> loginRights, QWidget* parent)
    : QDialog(parent), m_clock([] { return QDateTime::currentDateTime(); }) {
    g_pLoginRights = std::move(loginRights);
    g_mainWindow = this;
    g_accountServiceInfo = ACCOUNT_SERVICE_INFO();
    setObjectName(QStringLiteral("CCorvelaneDlg"));
    setWindowTitle(MainWindowTitle(g_pLoginRights.get()));
    setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint);
    if (!g_hLogoIcon.isNull())
        setWindowIcon(g_hLogoIcon);
    setMinimumSize(1000, 700);
    SetSharedFonts(UiLanguage());

    m_menuBar = new QMenuBar(this);
    m_toolBar = new QToolBar(this);
    m_toolBar->setObjectName(QStringLiteral("toolBar"));
    m_toolBar->setIconSize(QSize(32, 32));
    m_toolBar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    m_tree = new QTreeWidget(this);
    m_tree->setObjectName(QStringLiteral("1000"));
    m_tree->setHeaderHidden(true);
    m_browser = new InformationPane(this);
    m_browser->setObjectName(QStringLiteral("1001"));
    m_splitter = new ZSplitter(this);
    m_splitter->setObjectName(QStringLiteral("1002"));
    // The bar moves the right edges of the tree and the information pane
    // and may only move sideways; it stays hidden as the layout wants.
    m_splitter->AddLinked(m_tree, 8);
    m_splitter->AddLinked(m_browser, 8);
    m_splitter->SetDirections(12);
    m_splitter->hide();
    connect(m_splitter, &ZSplitter::moved, this, [this](const QRect& rect, QWidget* linked) {
        if (linked == m_tree && m_currentView) {
            QRect r = m_currentView->geometry();
            r.setLeft(rect.right() + 3);
            m_currentView->setGeometry(r);
        }
    });

    m_statusBar = new QStatusBar(this);
    m_statusBar->setSizeGripEnabled(false);
    static const int kWidths[3] = {380, 160, 0};
    for (int i = 0; i < 3; ++i) {
        m_statusParts[i] = new QLabel(m_statusBar);
        m_statusParts[i]->setTextFormat(Qt::PlainText);
        m_statusParts[i]->setObjectName(QStringLiteral("statusPart%1").arg(i));
        if (kWidths[i])
            m_statusParts[i]->setFixedWidth(kWidths[i]);
        m_statusBar->addWidget(m_statusParts[i], kWidths[i] ? 0 : 1);
        g_statusLabels[i] = m_statusParts[i];
    }
    m_statusParts[1]->setText(QStringLiteral("%1: %2").arg(LoadStr(366)).arg(kProgramVersion, 0, 'f', 2));
    ShowAccountInStatusBar();

    SetUpTree();
    SetInstanceCommandHandler([this](const QByteArray& command) { OnCopyData(command); });
    resize(1000, 700);
}

CCorvelaneDlg::~CCorvelaneDlg() {
    SetInstanceCommandHandler(nullptr);
    JoinWorkers();
    g_trayIcon = nullptr;
    m_trayIcon.reset();
    for (QLabel*& label : g_statusLabels)
        label = nullptr;
}

void CCorvelaneDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!m_initDone) {
        m_initDone = true;
        // After the first paint, so the window is up while the service answers.
        QTimer::singleShot(0, this, [this] { OnInitDialog(); });
    }
}

void CCorvelaneDlg::OnInitDialog() {
    if (m_closing)
        return;
    // The tray icon: hiding to it makes sense only where a tray exists.
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        m_trayIcon = std::make_unique<QSystemTrayIcon>(windowIcon().isNull() ? QIcon() : windowIcon());
        m_trayIcon->setToolTip(g_strAppTitle.left(127));
        connect(m_trayIcon.get(), &QSystemTrayIcon::activated, this,
                [this](QSystemTrayIcon::ActivationReason r) { OnTrayNotify(r); });
        m_trayIcon->show();
        g_trayIcon = m_trayIcon.get();
    }
    m_statusParts[2]->setText(Tr("正在处理..."));
    QPointer<CCorvelaneDlg> self(this);
    m_infoWorker.start([self] {
        const ACCOUNT_SERVICE_INFO info = FetchFeatureMask();
        QMetaObject::invokeMethod(
            qApp,
            [self, info] {
                if (self)
                    self->ApplyFeatureMask(info);
            },
            Qt::QueuedConnection);
    });
}

void CCorvelaneDlg::ApplyFeatureMask(const ACCOUNT_SERVICE_INFO& info) {
    if (m_closing || m_commandsReady)
        return;
    g_accountServiceInfo = info;
    g_pAccount.setField(kAccountServiceNumber, info.serviceCode);
    ShowAccountInStatusBar();
    BuildToolBar();
    BuildMenu();
    FillMainTree();
    m_statusParts[2]->clear();
    m_commandsReady = true;
    StartTimers();
    StartWorkers();
    OnSize();
    emit commandsBuilt();
}

// ---- timers ----------------------------------------------------------------

void CCorvelaneDlg::StartTimer(int id, int periodMs, bool precise) {
    QTimer*& t = m_timers[id];
    if (!t) {
        t = new QTimer(this);
        t->setObjectName(QStringLiteral("timer%1").arg(id));
        connect(t, &QTimer::timeout, this, [this, id] { OnTimer(id); });
    }
    t->setTimerType(precise ? Qt::PreciseTimer : Qt::CoarseTimer);
    t->start(periodMs);
}

void CCorvelaneDlg::KillTimer(int id) {
    if (QTimer* t = timer(id))
        t->stop();
}

QTimer* CCorvelaneDlg::timer(int id) const {
    auto it = m_timers.find(id);
    return it == m_timers.end() ? nullptr : it->second;
}

void CCorvelaneDlg::StartTimers() {
    StartTimer(1, 50);
    StartTimer(14, 60000);
    LoadDateMsgSettings();
    LoadAutoSettings();
}

void CCorvelaneDlg::OnTimer(int id) {
    if (m_closing)
        return;
    const QDateTime now = m_clock();
    switch (id) {
    case 1:
        KillTimer(1);
        m_busy = false;
        if (QTreeWidgetItem* contacts = m_tree->topLevelItemCount() ? m_tree->topLevelItem(0) : nullptr)
            m_tree->setCurrentItem(contacts->childCount() ? contacts->child(0) : contacts);
        if (!g_strInformUrl.isEmpty())
            m_browser->fetch(g_strInformUrl);
        break;
    case 10:
        for (const QString& minute : m_dateGuard.Tick(now))
            HandleDateMinute(minute);
        break;
    case 11:
        ReceiveMessages(0);
        break;
    case 12: {
        QStringList due;
        for (const QString& minute : m_taskGuard.Tick(now)) {
            const QString ids =
                DueTaskTipIds(m_taskTips, QDateTime::fromString(minute, QStringLiteral("yyyy-MM-dd HH:mm")));
            if (!ids.isEmpty())
                due << ids;
        }
        // Minutes caught up together remind in one window.
        if (!due.isEmpty()) {
            CDlgTaskTip tip(this);
            tip.SetTaskIds(due.join(QLatin1Char(',')));
            RunModal(tip);
        }
        break;
    }
    case 13:
        KillTimer(13);
        break;
    case 14:
        KillTimer(14);
        m_bAutoBackupDue = true;
        ArmIdle();
        break;
    default:
        break;
    }
}

// The daily copy waits for a moment when nothing but this window is modal:
// never under a dialog, never in the middle of a command.
bool CCorvelaneDlg::IdleForBackup() const {
    if (CurrentModalDialog())
        return false;
    QWidget* modal = QApplication::activeModalWidget();
    return !modal || modal == this;
}

void CCorvelaneDlg::ArmIdle() {
    if (m_idleArmed)
        return;
    m_idleArmed = true;
    QTimer::singleShot(0, this, [this] {
        m_idleArmed = false;
        if (!m_bAutoBackupDue || m_closing)
            return;
        if (!IdleForBackup()) {
            QTimer::singleShot(1000, this, [this] { ArmIdle(); });
            return;
        }
        OnKickIdle();
    });
}

void CCorvelaneDlg::OnKickIdle() {
    if (!m_bAutoBackupDue || !IdleForBackup())
        return;
    m_bAutoBackupDue = false;
    m_backupWorker.start([] { AutoBackupDatabase(); });
}

// ---- automatic settings ----------------------------------------------------

void CCorvelaneDlg::LoadAutoSettings() {
    const AutoSettingsLoad load = ReadAutoSettings(g_strAccountIni);
    m_strAuto5Content = load.auto5Content;
    if (load.receiveIntervalMs > 0)
        StartTimer(11, load.receiveIntervalMs);
    else
        KillTimer(11);
    LoadReminders(m_clock().date());
    UpdateDateTimer();
    if (!m_birthdayNumbers.empty() || !m_holidays.empty())
        ShowBirthdayTips();
}

void CCorvelaneDlg::LoadReminders(const QDate& day) {
    m_birthdayNumbers.clear();
    m_holidays.clear();
    m_birthdayTipOn = g_sysSettings.size() > 5 && g_sysSettings[5].flag != 0;
    if (m_birthdayTipOn)
        m_birthdayNumbers = BirthdayReminderNumbers(g_pDB, LeadDays(g_sysSettings[5].text), day);
    const HolidayTipSettings holiday = HolidayTipSettings::Read(g_strAccountIni);
    m_holidayTipOn = holiday.on;
    if (m_holidayTipOn) {
        m_strHolidayPreDays = holiday.preDays;
        m_holidays = DueHolidays(g_pDB, LeadDays(m_strHolidayPreDays), day);
    }
}

void CCorvelaneDlg::LoadDateMsgSettings() {
    LoadDateMsgSettings(m_clock().date());
}

void CCorvelaneDlg::LoadDateMsgSettings(const QDate& day) {
    m_strToday = day.toString(QStringLiteral("yyyy-MM-dd"));
    m_bDateMsgEnabled = false;
    m_bDateMsgEnabled = ::LoadDateMsgSettings(g_pDB, g_strAccountIni, day, m_dateMsgs);
    UpdateDateTimer();
}

void CCorvelaneDlg::UpdateDateTimer() {
    if (m_closing)
        return;
    const bool on = m_bDateMsgEnabled || m_birthdayTipOn || m_holidayTipOn;
    QTimer* t = timer(10);
    if (!on) {
        KillTimer(10);
        m_dateGuard.Disarm();
    } else if (!t || !t->isActive()) {
        m_dateGuard.Arm(m_clock());
        StartTimer(10, 60000, true);
    }
}

void CCorvelaneDlg::HandleDateMinute(const QString& minute) {
    if (minute.left(10) != m_strToday) {
        const QDate day = QDate::fromString(minute.left(10), QStringLiteral("yyyy-MM-dd"));
        LoadDateMsgSettings(day);
        LoadReminders(day);
        UpdateDateTimer();
        if (!m_birthdayNumbers.empty() || !m_holidays.empty())
            ShowBirthdayTips();
    }
    std::vector<DateSend> sends = DueDateSends(m_dateMsgs, minute);
    if (sends.empty())
        return;
    const AccountFields account = g_pAccount.get();
    m_dateJobs.setSetup({SystemDatabasePath(), account[kAccountSerial], account[kAccountPassword]});
    m_dateJobs.Enqueue(std::move(sends));
}

CDlgTipWnd* CCorvelaneDlg::tipWindow() const {
    return m_tipWnd;
}

void CCorvelaneDlg::ShowBirthdayTips() {
    if (m_closing)
        return;
    if (!m_tipWnd)
        m_tipWnd = new CDlgTipWnd(this);
    m_tipWnd->SetLists(m_birthdayNumbers, m_holidays);
    m_tipWnd->show();
    m_tipWnd->raise();
}

void CCorvelaneDlg::LoadTaskTips() {
    ::LoadTaskTips(m_taskTips);
    QTimer* t = timer(12);
    if (!t || !t->isActive())
        m_taskGuard.Arm(m_clock());
    StartTimer(12, 60000, true);
}

namespace {
// The receive job's view of the window: every step is posted to the GUI
// thread and does nothing once the window is gone.
class WindowReceiveSink : public ReceiveJobSink {
public:
    explicit WindowReceiveSink(CCorvelaneDlg* window) : m_window(window) {}
    void SetStatusText(const QString& text) override {
        Post([text](CCorvelaneDlg*) { g_hStatusBar(2, text); });
    }
    void NothingToReceive() override {
        Post([](CCorvelaneDlg*) { ShowMessageBox(LoadStr(353), mb::Ok | mb::IconInformation, g_strAppTitle); });
    }
    void BatchStored(bool manual, const QString& filter) override {
        Post([manual, filter](CCorvelaneDlg* w) { w->ShowReceivedBatch(manual, filter); });
    }

private:
    void Post(std::function<void(CCorvelaneDlg*)> step) {
        QPointer<CCorvelaneDlg> window = m_window;
        QMetaObject::invokeMethod(
            qApp,
            [window, step = std::move(step)] {
                if (window && !window->closing())
                    step(window);
            },
            Qt::QueuedConnection);
    }
    QPointer<CCorvelaneDlg> m_window;
};
} // namespace

bool CCorvelaneDlg::IsInReceiveWindow() const {
    return ::IsInReceiveWindow(ReceiveWindow::Read(g_strAccountIni), m_clock());
}

void CCorvelaneDlg::ReceiveMessages(int manual) {
    if (m_closing)
        return;
    if (!manual && !IsInReceiveWindow())
        return;
    if (m_receiveWorker.running()) {
        // A timer call under a running job is skipped; the command makes the
        // running job answer as to a command.
        if (manual && m_receiveJob)
            m_receiveJob->manual = true;
        return;
    }
    auto state = std::make_shared<ReceiveJobState>();
    state->manual = manual != 0;
    m_receiveJob = state;
    const ReceiveJobInputs inputs = ReceiveJobInputs::Collect(g_strAccountIni);
    auto sink = std::make_shared<WindowReceiveSink>(this);
    m_receiveWorker.start([inputs, sink, state] { RunReceiveJob(inputs, sink.get(), state); });
}

void CCorvelaneDlg::LookupContactName(const QString& number, QString out[2]) {
    ::LookupContactName(g_pDB, number, out);
}

bool CCorvelaneDlg::WriteInteractiveRecord(bool personalised, const std::vector<NUM_CONTENT>& items,
                                           AutoSendRecord& record) {
    return ::WriteInteractiveRecord(g_pDB, personalised, items, record);
}

void CCorvelaneDlg::ShowReceivedBatch(bool manual, const QString& filter) {
    if (m_closing)
        return;
    if (manual) {
        const QTreeWidgetItem* before = m_tree->currentItem();
        SelectNode(node::Received);
        // Choosing the node has just queried its view.
        if (m_tree->currentItem() != before)
            return;
    }
    auto it = m_views.find(3134);
    if (it != m_views.end() && it->second)
        static_cast<CDlgMsgRecord1Received*>(it->second)->QueryRecords(filter, -1);
}

// ---- workers -----------------------------------------------------------------

void CCorvelaneDlg::StartMailWorker() {
    if (m_mailWorker.running())
        return;
    m_mailControl->running = true;
    m_mailControl->stop.reset();
    MailWorkerSetup setup;
    setup.databasePath = SystemDatabasePath();
    m_mailWorker.start([control = m_mailControl, setup] { EmailThreadProc(*control, setup); });
}

void CCorvelaneDlg::StopLoops() {
    m_mailControl->running = false;
    m_mailControl->stop.set();
    m_reportControl->running = false;
    m_reportControl->stop.set();
    if (m_receiveJob)
        m_receiveJob->stop = true;
}

void CCorvelaneDlg::StartWorkers() {
    if (MailReceiveEnabled(g_strAccountIni))
        StartMailWorker();
    if (ini::ReadInt(OemInfoIniPath(), QStringLiteral("UserTempSetting"), QStringLiteral("Report"), 0) != 0 &&
        !m_reportWorker.running()) {
        // The worker gets copies: the account may be cleared while it runs.
        const AccountFields account = g_pAccount.get();
        ReportWorkerSetup setup;
        setup.databasePath = SystemDatabasePath();
        setup.serial = account[kAccountSerial];
        setup.password = account[kAccountPassword];
        m_reportControl->running = true;
        m_reportControl->stop.reset();
        m_reportWorker.start([control = m_reportControl, setup] { ReportThreadProc(*control, setup); });
    }
}

void CCorvelaneDlg::JoinWorkers() {
    StopLoops();
    struct Named {
        WorkerThread* worker;
        const char* name;
    };
    const Named workers[] = {{&m_mailWorker, "mail"},
                             {&m_reportWorker, "report"},
                             {&m_infoWorker, "feature mask"},
                             {&m_jobWorker, "job"},
                             {&m_backupWorker, "daily copy"},
                             {&m_receiveWorker, "receive"}};
    // Date sends still queued are recorded failed; the call in flight ends
    // within the same bound.
    if (!m_dateJobs.Close(g_pDB, kJoinBoundMs))
        LogWrite(g_logRun,
                 "ERROR,the date job did not end within 60 s; the program ends without waiting for it");
    for (const Named& w : workers) {
        if (!w.worker->join(kJoinBoundMs))
            LogWrite(g_logRun, std::string("ERROR,the ") + w.name +
                                   " worker did not end within 60 s; the program ends without waiting for it");
    }
}

// ---- closing -----------------------------------------------------------------

void CCorvelaneDlg::OnClose(bool ask) {
    if (m_closing)
        return;
    m_closing = true;
    for (auto& [id, t] : m_timers)
        t->stop();
    StopLoops();
    if (ask && !QuitRequested() &&
        ini::ReadInt(g_strAccountIni, QStringLiteral("SysSetting"), QStringLiteral("Auto7"), 0) == 0) {
        if (ShowMessageBox(LoadStr(332), mb::YesNo | mb::IconQuestion, LoadStr(333)) == IDYES)
            BackupDatabase(this);
    }
    // Questions of workers get the cautious answer now, so no join waits on
    // a box; then every worker ends before what it uses goes away.
    CloseMessageBoxes();
    JoinWorkers();
    for (auto& [id, view] : m_views)
        delete view;
    m_views.clear();
    m_currentView = nullptr;
    g_pAccount.clear();
    m_numContents.clear();
    if (m_restartOnClose)
        RequestRestart();
    done(0);
}

void CCorvelaneDlg::closeEvent(QCloseEvent* event) {
    if (!m_closing) {
        event->ignore();
        // Out of the event handler: the question and the joins run from the loop.
        QTimer::singleShot(0, this, [this] { OnClose(true); });
        return;
    }
    QDialog::closeEvent(event);
}

void CCorvelaneDlg::keyPressEvent(QKeyEvent* event) {
    // Enter and Esc do nothing in the main window.
    if (!SwallowEnterAndEsc(event))
        QDialog::keyPressEvent(event);
}

void CCorvelaneDlg::accept() {}

void CCorvelaneDlg::reject() {
    // Esc does nothing; a "quit" from the program's inbox ends the window
    // through here without a question.
    if (QuitRequested())
        OnClose(false);
}

// ---- look ----------------------------------------------------------------------

void CCorvelaneDlg::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    OnSize();
}

void CCorvelaneDlg::OnSize() {
    const int w = width(), h = height();
    const int menuHeight = m_menuBar->sizeHint().height();
    m_menuBar->setGeometry(0, 0, w, menuHeight);
    const int toolHeight = m_toolBar->sizeHint().height();
    m_toolBar->setGeometry(0, menuHeight, w - 2, toolHeight);
    const int statusHeight = m_statusBar->sizeHint().height();
    const int bottom = h - statusHeight;
    const int top = menuHeight + toolHeight + 5;
    const int treeWidth = 220;
    // The tree above the information pane on the left, the view on the right.
    const int paneHeight = std::max(120, (bottom - top) / 3);
    m_tree->setGeometry(2, top, treeWidth, bottom - top - paneHeight - 3);
    m_browser->setGeometry(2, bottom - paneHeight, treeWidth, paneHeight - 2);
    m_splitter->setGeometry(treeWidth + 2, top, 4, bottom - top);
    if (m_currentView)
        m_currentView->setGeometry(treeWidth + 8, top, w - treeWidth - 10, bottom - top);
    m_statusBar->setGeometry(0, bottom, w, statusHeight);
}

void CCorvelaneDlg::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange || !(windowState() & Qt::WindowMinimized))
        return;
    // Hide to the tray only where there is one to come back from.
    if (!m_trayIcon || !QSystemTrayIcon::isSystemTrayAvailable())
        return;
    QTimer::singleShot(0, this, [this] {
        hide();
        ShowTrayBalloon(Tr("温馨提示"), Tr("%s 已经最小化到这里.").replace(QLatin1String("%s"), g_strAppTitle));
        StartTimer(13, 2000);
    });
}

void CCorvelaneDlg::OnTrayNotify(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
    case QSystemTrayIcon::Trigger:
    case QSystemTrayIcon::DoubleClick:
    case QSystemTrayIcon::Context:
        setWindowState(windowState() & ~Qt::WindowMinimized);
        show();
        raise();
        activateWindow();
        QApplication::alert(this);
        break;
    default:
        break;
    }
}

void CCorvelaneDlg::ShowAccountInStatusBar() {
    m_statusParts[0]->setText(QStringLiteral("%1:%2  %3:%4")
                                  .arg(LoadStr(330), g_pAccount.field(kAccountSerial), LoadStr(331),
                                       g_pAccount.field(kAccountServiceNumber)));
}

QString CCorvelaneDlg::statusText(int part) const {
    return part >= 0 && part < 3 && m_statusParts[part] ? m_statusParts[part]->text() : QString();
}
