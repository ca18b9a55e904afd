#pragma once
// The program's main window: menu, tool bar, group tree, information pane,
// status bar, tray icon, timers and the two workers of the mail-to-SMS and
// status-report loops. Its modal loop is the program's main loop.
#include "automation/date_job.h"
#include "automation/date_messages.h"
#include "automation/minute_guard.h"
#include "automation/task_tips.h"
#include "core/net_messages.h"
#include "platform/worker_event.h"
#include "platform/worker_thread.h"
#include "service/web_service_client.h"
#include "sms/num_content.h"

#include <QDateTime>
#include <QDialog>
#include <QPointer>
#include <QStringList>
#include <QSystemTrayIcon>

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <vector>

class CDlgContactFrame;
class CDlgTipWnd;
struct CloudCopyResult;
struct AutoSendRecord;
struct ReceiveJobState;
class QAction;
class QLabel;
class QMenu;
class QMenuBar;
class QPoint;
class QStatusBar;
class QTimer;
class QToolBar;
class QTreeWidget;
class QTreeWidgetItem;
class InformationPane;
class ZSplitter;

// What GetAllInfo2 told about the account after login: the feature mask
// `rights` (a set bit withholds a feature), the server list and the update
// text. Written on the GUI thread only.
extern ACCOUNT_SERVICE_INFO g_accountServiceInfo;

// Bits of the feature mask.
namespace feature {
constexpr int InstantMessaging = 0x40;
constexpr int NetManagement = 0x80;
constexpr int NetDisk = 0x100;
constexpr int Voice = 0x200;
constexpr int Mms = 0x400;
constexpr int Tasks = 0x800;
constexpr int NetPhone = 0x1000;
constexpr int Fax = 0x2000;
constexpr int Email = 0x4000;
} // namespace feature

// Fixed node codes of the group tree (groups are their GroupID, below
// kFirstFixedNode; 0 is the contacts node).
namespace node {
constexpr qint64 Contacts = 0;
constexpr qint64 kFirstFixedNode = 999999999;
constexpr qint64 Sms = 1000000000;
constexpr qint64 Received = 1000000004;
constexpr qint64 Survey = 1000000005;
constexpr qint64 Tasks = 1000001000;
constexpr qint64 Fax = 1000002000;
constexpr qint64 Email = 1000003000;
constexpr qint64 Mms = 1000004000;
constexpr qint64 Voice = 1000005000;
constexpr qint64 NetManagement = 1000006000;
constexpr qint64 NetMessages = 1000007000;
} // namespace node

// Sets the text of part `part` (0-2) of the main window's status bar, as
// plain text. Nothing happens while no main window is up.
void g_hStatusBar(int part, const QString& text);

// Asks the service for the account's feature mask with the logged-in
// account (`timeoutSeconds` > 0 caps the call). Only an answer of 0 or more
// counts: a failed or refused call gives the empty record (mask 0, no
// service number). Runs on any thread.
ACCOUNT_SERVICE_INFO FetchFeatureMask(int timeoutSeconds = 0);

class CCorvelaneDlg : public QDialog {
    Q_OBJECT
public:
    // Takes the login's rights array and publishes it as g_pLoginRights.
    explicit CCorvelaneDlg(std::unique_ptr<QStringList> loginRights, QWidget* parent = nullptr);
    ~CCorvelaneDlg() override;

    // Menu and tool-bar commands 32771-32959.
    void OnMenuCommand(int id);
    // A command of the spreadsheet add-in (code page 936, fields joined by ",|,|").
    void OnCopyData(const QByteArray& command);
    // The one road out: close box, Exit, "C" and "quit" (which asks nothing).
    void OnClose(bool ask = true);
    // Selects the tree node with that code (first found, depth first); the
    // selection change shows its view.
    void SelectNode(qint64 code);
    // The group tree's commands 10001-10007 (and 32776 from its menu) on
    // the selected node.
    void OnGroupCommand(int id);
    // True when a node from `start` on (its subtree and its following
    // siblings, depth first) is named exactly `name`.
    bool GroupNameExists(const QString& name, QTreeWidgetItem* start) const;
    // A right click at `pos` (viewport coordinates) on the tree.
    void OnTreeRightClick(const QPoint& pos);
    // The contact list pane, made on first use.
    CDlgContactFrame* ContactPane();
    // Re-queries the contact list pane, if there is one, and clears its
    // ticks: after anything that may renumber rowids (VACUUM).
    void RequeryContacts();
    // The record pages again in their default order, ticks cleared (rowids
    // may have changed).
    void RequeryRecordViews();

    // [SysSetting] into g_sysSettings, the receive timer, and the birthday
    // and holiday reminders of today; timer 10 then runs exactly while a
    // date message or a reminder is on.
    void LoadAutoSettings();
    // The date messages and today's recipients; timer 10 as above.
    void LoadDateMsgSettings();
    void LoadTaskTips();
    // Starts the receive job on its worker: automatic calls (`manual` 0)
    // only inside the receive window. While a job runs a timer call is
    // skipped and a manual one makes the running job count as manual.
    void ReceiveMessages(int manual);
    // True when automatic receiving is allowed now (by the window's clock).
    bool IsInReceiveWindow() const;
    // out[0] = name, out[1] = coName of the contact with that number.
    void LookupContactName(const QString& number, QString out[2]);
    // The pending record of an automatic send made on the GUI thread.
    bool WriteInteractiveRecord(bool personalised, const std::vector<NUM_CONTENT>& items, AutoSendRecord& record);
    // The window's part after a batch was stored: the received node selected
    // when `manual`, the received view re-queried with `filter`.
    void ShowReceivedBatch(bool manual, const QString& filter);
    bool receiveWorkerRunning() const { return m_receiveWorker.running(); }
    // True once the window began to close.
    bool closing() const { return m_closing; }
    void OnTimer(int id);
    void OnKickIdle();
    void OnTrayNotify(QSystemTrayIcon::ActivationReason reason);

    // ---- state, for the program and its tests
    // True once the feature mask arrived and the menus were built.
    bool commandsReady() const { return m_commandsReady; }
    int featureMask() const { return g_accountServiceInfo.rights; }
    // The menu entry of a command (null when it has none).
    QAction* menuAction(int id) const;
    // Tool-bar button `index` (0-16).
    QAction* toolButton(int index) const;
    QMenuBar* menuBar() const { return m_menuBar; }
    QTreeWidget* tree() const { return m_tree; }
    // The selected group (0: all contacts), -1 while a fixed node is selected.
    int currentGroup() const { return m_currentGroup; }
    // "联系人->A->B": the path of the node selected last.
    QString groupCaption() const { return m_groupCaption; }
    QWidget* currentView() const { return m_currentView; }
    // How the tree's pop-up menu is run: by default QMenu::exec at `globalPos`.
    // Tests replace it to see the menu and choose an entry (null: none).
    using PopupMenuRunner = std::function<QAction*(QMenu& menu, const QPoint& globalPos)>;
    void setPopupMenuRunner(PopupMenuRunner runner) { m_popupMenuRunner = std::move(runner); }
    QTimer* timer(int id) const;
    QString statusText(int part) const;
    bool restartOnClose() const { return m_restartOnClose; }
    bool backupDue() const { return m_bAutoBackupDue; }
    bool mailWorkerRunning() const { return m_mailWorker.running(); }
    bool reportWorkerRunning() const { return m_reportWorker.running(); }
    // The clock of the minute timers (tests replace it).
    void setClock(std::function<QDateTime()> clock) { m_clock = std::move(clock); }
    std::vector<TASK_TIP>& taskTips() { return m_taskTips; }
    const std::vector<DATEMSGVALUE>& dateMsgs() const { return m_dateMsgs; }
    const std::vector<QString>& birthdayNumbers() const { return m_birthdayNumbers; }
    CDlgTipWnd* tipWindow() const;
    const std::vector<HOLIDAYCONTENT>& holidays() const { return m_holidays; }
    const QString& today() const { return m_strToday; }
    DateJobQueue& dateJobs() { return m_dateJobs; }

signals:
    // The feature mask arrived and the menus, tool bar and tree are built.
    void commandsBuilt();
    // A worker job (balance, compression, updater, net messages) ended.
    void jobFinished();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void accept() override;
    void reject() override;

private:
    void OnInitDialog();
    void ApplyFeatureMask(const ACCOUNT_SERVICE_INFO& info);
    void BuildToolBar();
    void BuildMenu();
    void BuildSkinMenu(QMenu* view);
    void OnSkin(int position);
    // Selection, pop-up menu and label editing of the tree.
    void SetUpTree();
    // Rebuilds the whole tree; outside start-up the selected node (or else
    // the contacts node) is selected again.
    void FillMainTree();
    void OnTreeSelection();
    // The view of a fixed node (records, received, tasks, pages), made once
    // and queried for `code`; null for a node without a view of its own.
    QWidget* ShowFixedNodeView(qint64 code);
    // The contact list pane for `group` (0: all contacts) under `caption`.
    QWidget* ShowContactsView(int group, const QString& caption);
    std::unique_ptr<QMenu> BuildGroupMenu(qint64 code);
    void AddGroupUnder(QTreeWidgetItem* item);
    void DeleteGroupNode(QTreeWidgetItem* item);
    // 10006 (upload) and 10007 (download) of the address book's cloud copy:
    // rights, the question, the work on the job worker, then the outcome.
    void SyncWithCloud(bool upload);
    void OnCloudSyncDone(bool upload, const CloudCopyResult& result);
    // Stores a group change of `item`: 0 adds `name` under it (its id into
    // `newId`), 1 deletes it with its subgroups and contacts, 2 renames it.
    bool GroupSql(QTreeWidgetItem* item, int operation, const QString& name = QString(),
                  qint64* newId = nullptr);
    bool OnBeginLabelEdit(QTreeWidgetItem* item);
    void OnEndLabelEdit(QTreeWidgetItem* item, const QString& text);
    void OnSize();
    void StartTimers();
    // The day's lists: date messages, birthday and holiday reminders.
    void LoadDateMsgSettings(const QDate& day);
    void LoadReminders(const QDate& day);
    // Timer 10 on exactly while something needs it; armed from now.
    void UpdateDateTimer();
    // One handled minute of timer 10: a new day reloads the lists first,
    // then the minute's due recipients go to the date job.
    void HandleDateMinute(const QString& minute);
    // Shows the birthday and holiday reminder window with the current lists.
    void ShowBirthdayTips();
    void StartWorkers();
    void StartMailWorker();
    void ShowAccountInStatusBar();
    // Clears both loops' flags and sets their stop events.
    void StopLoops();
    void JoinWorkers();
    void StartTimer(int id, int periodMs, bool precise = false);
    void KillTimer(int id);
    void ArmIdle();
    bool IdleForBackup() const;

    // Commands (main_window_commands.cpp).
    bool Refused(int id);
    void RunAddInCommand(const QStringList& fields);
    void OpenSmsComposer(const QStringList& numbers, const QString& content);
    void ShowLaterNotice();
    void QueryBalance();
    void CompressDatabase();
    void LaunchUpdater();
    void FetchAndOfferNetMessages();
    void SwitchLanguage();
    void OpenHelpPage(int id);
    void OpenMailSettings();
    void RestoreFromBackup();
    bool RunJob(std::function<void()> job);

    QMenuBar* m_menuBar = nullptr;
    QToolBar* m_toolBar = nullptr;
    QTreeWidget* m_tree = nullptr;
    ZSplitter* m_splitter = nullptr;
    InformationPane* m_browser = nullptr;
    QStatusBar* m_statusBar = nullptr;
    QLabel* m_statusParts[3] = {};
    QWidget* m_currentView = nullptr;
    std::map<unsigned, QWidget*> m_views;
    std::map<int, QAction*> m_menuActions;
    std::vector<QAction*> m_toolActions;
    std::vector<QAction*> m_skinActions;
    QStringList m_skinNames;
    std::map<int, QTimer*> m_timers;
    std::unique_ptr<QSystemTrayIcon> m_trayIcon;

    std::vector<NUM_CONTENT> m_numContents;
    std::vector<DATEMSGVALUE> m_dateMsgs;
    bool m_bDateMsgEnabled = false;
    QString m_strToday;
    // Today's birthday reminders (numbers) and whether the two reminders are on.
    std::vector<QString> m_birthdayNumbers;
    // The reminder window: made on first use, a child of this window.
    QPointer<CDlgTipWnd> m_tipWnd;
    bool m_birthdayTipOn = false;
    bool m_holidayTipOn = false;
    QString m_strHolidayPreDays;
    std::vector<TASK_TIP> m_taskTips;
    std::vector<HOLIDAYCONTENT> m_holidays;
    std::vector<NET_SMS> m_netSms;
    QString m_strAuto5Content;
    MinuteGuard m_taskGuard;
    MinuteGuard m_dateGuard;

    int m_currentGroup = -1;
    QString m_renameOld;
    QString m_groupCaption;
    PopupMenuRunner m_popupMenuRunner;
    bool m_busy = true;
    bool m_bAutoBackupDue = false;
    bool m_restartOnClose = false;
    bool m_commandsReady = false;
    bool m_initDone = false;
    bool m_closing = false;
    bool m_idleArmed = false;
    std::function<QDateTime()> m_clock;

    // The two loops of the other subsystems, and the window's own jobs.
    // Shared with their workers: one that outlives its bounded join still
    // touches nothing freed.
    std::shared_ptr<WorkerControl> m_mailControl = std::make_shared<WorkerControl>();
    std::shared_ptr<WorkerControl> m_reportControl = std::make_shared<WorkerControl>();
    WorkerThread m_mailWorker;
    WorkerThread m_reportWorker;
    WorkerThread m_infoWorker;
    WorkerThread m_jobWorker;
    WorkerThread m_backupWorker;
    // The receive job, one at a time, and the state it shares with the window.
    WorkerThread m_receiveWorker;
    std::shared_ptr<ReceiveJobState> m_receiveJob;
    // The date job: due recipients, minute by minute.
    DateJobQueue m_dateJobs;
};

// "%s 当前登录权限--%s": the product name and the kind of the login.
QString MainWindowTitle(const QStringList* rights);
