// The main window's menu, tool bar and commands, and the add-in's commands.
#include "gui/main/main_window.h"

#include "channels/mail_settings.h"
#include "channels/mail_thread.h"
#include "core/account.h"
#include "core/app_globals.h"
#include "core/companions.h"
#include "core/convert.h"
#include "core/database.h"
#include "core/deployment.h"
#include "core/helpers.h"
#include "core/log.h"
#include "core/net_messages.h"
#include "core/paths.h"
#include "core/program_files.h"
#include "core/service_pages.h"
#include "core/sql.h"
#include "core/start_settings.h"
#include "core/string_table.h"
#include "gui/automation/batch_date_msg_dialog.h"
#include "gui/automation/create_task_dialog.h"
#include "gui/automation/date_msg_setting_dialog.h"
#include "gui/automation/holiday_dialog.h"
#include "gui/channels/email_setting_dialog.h"
#include "gui/channels/send_email_dialog.h"
#include "gui/channels/send_fax_dialog.h"
#include "gui/channels/send_mms_dialog.h"
#include "gui/channels/send_sound_dialog.h"
#include "gui/channels/tel_paper_dialog.h"
#include "gui/contacts/contact_editor.h"
#include "gui/contacts/contact_frame.h"
#include "gui/contacts/data_split_dialog.h"
#include "gui/contacts/export_group_dialog.h"
#include "gui/contacts/import_wnd_dialog.h"
#include "gui/contacts/number_location.h"
#include "gui/main/about_dialog.h"
#include "gui/main/app_control.h"
#include "gui/main/backup_commands.h"
#include "gui/main/login_dialog.h"
#include "gui/main/net_setting_dialog.h"
#include "gui/main/net_store_dialog.h"
#include "gui/main/operator_rights_dialog.h"
#include "gui/main/recharge_dialog.h"
#include "gui/main/res_book_dialog.h"
#include "gui/main/service_password_dialog.h"
#include "gui/main/skin.h"
#include "gui/main/sys_setting_dialog.h"
#include "gui/sms/interactive_msg_dialog.h"
#include "gui/sms/msg_lib_dialog.h"
#include "gui/sms/per_msg_dialog.h"
#include "gui/sms/send_sms_dialog.h"
#include "gui/widgets/modal_runner.h"
#include "gui/widgets/tree_helpers.h"
#include "gui/widgets/widget_helpers.h"
#include "platform/ini.h"
#include "platform/msgbox.h"
#include "platform/url_open.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QSaveFile>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <QUrl>

#include <sqlite3.h>

namespace {

QString Tr(const char* text) { return QCoreApplication::translate("CCorvelaneDlg", text); }

// Which check a command passes before it runs: an operator right (-1: the
// administrator only) or a feature the service may withhold.
struct CommandCheck {
    int id;
    int right;
    int feature;
};
constexpr CommandCheck kChecks[] = {
    {32774, 1, 0},     {32776, 5, 0},    {32777, 4, 0},  {32790, 7, 0},  {32804, 17, 0},
    {32808, 18, 0},    {32813, 0, feature::Mms},        {32859, 0, feature::Mms},
    {32817, 19, 0},    {32823, 0, feature::NetDisk},    {32824, 0, feature::NetManagement},
    {32858, 0, feature::NetManagement},                 {32826, 10, 0}, {32827, 9, 0},
    {32828, 11, 0},    {32832, -1, 0},
};

const CommandCheck* CheckOf(int id) {
    for (const CommandCheck& c : kChecks)
        if (c.id == id)
            return &c;
    return nullptr;
}

// Runs a dialog of class `Dialog`, built from `args`, modally; its result.
template <typename Dialog, typename... Args> int RunDialog(Args&&... args) {
    Dialog dialog(std::forward<Args>(args)...);
    return RunModal(dialog);
}

// Menu entries: a command and its label (a translated text of the window,
// or a numbered string); id 0 is a separator.
struct Entry {
    int id;
    const char* label;
    int stringId;
};

QString LabelOf(const Entry& e) { return e.label ? Tr(e.label) : LoadStr(e.stringId); }

// The add-in's command words and the menu commands they stand for.
struct AddInCommand {
    const char* word;
    int id;
};
constexpr AddInCommand kAddInCommands[] = {
    {"a", 32788},        {"b", 32789},       {"cp", 32790},    {"f", 32795},      {"g", 32796},
    {"editpass", 32831}, {"czyqxsz", 32832}, {"xtsz", 32833},  {"wlsz", 32834},   {"rqdxsz", 32835},
    {"anexcel", 32836},  {"scexcel", 32837}, {"about", 32845},
};

constexpr int kSkinBase = 32860;
constexpr int kLanguageCommand = 32871;
// Skin entries take the ids from 32860 on, up to 32959; the language entry's
// id lies in that range and is left out, so a twelfth skin never stands for
// the language switch.
constexpr int kMaxSkinEntries = 99;  // "Windows经典" and at most 98 files
int SkinCommandId(int position) { return kSkinBase + position + (kSkinBase + position >= kLanguageCommand ? 1 : 0); }
int SkinPosition(int id) {
    if (id < kSkinBase || id > kSkinBase + kMaxSkinEntries || id == kLanguageCommand)
        return -1;
    return id - kSkinBase - (id > kLanguageCommand ? 1 : 0);
}

// The add-in lives in the spreadsheet program's start folder, which only
// exists where that program is installed; there is none here, so nothing
// changes, as where no installation is found.
void InstallExcelAddIn(bool remove) {
    LogWrite(g_logRun, std::string("INFO,no spreadsheet program installed; the add-in was not ") +
                           (remove ? "removed" : "installed"));
}

} // namespace

// ---- building ----------------------------------------------------------------

void CCorvelaneDlg::BuildToolBar() {
    static const int kButtons[17] = {32846, 32793, 32794, 32798, 32789, 32822, 32823, 32824, 32825,
                                     32804, 32808, 32813, 32850, 32817, 32830, 32858, 32847};
    static const QStyle::StandardPixmap kIcons[17] = {
        QStyle::SP_FileDialogNewFolder, QStyle::SP_ArrowForward,      QStyle::SP_ArrowBack,
        QStyle::SP_FileDialogDetailedView, QStyle::SP_FileDialogInfoView, QStyle::SP_DriveNetIcon,
        QStyle::SP_DriveHDIcon,         QStyle::SP_ComputerIcon,       QStyle::SP_MessageBoxInformation,
        QStyle::SP_DialogSaveButton,    QStyle::SP_FileIcon,           QStyle::SP_DesktopIcon,
        QStyle::SP_FileDialogContentsView, QStyle::SP_MediaVolume,    QStyle::SP_DriveCDIcon,
        QStyle::SP_DirLinkIcon,         QStyle::SP_DialogCloseButton};
    const int mask = featureMask();
    m_toolBar->clear();
    m_toolActions.clear();
    for (int i = 0; i < 17; ++i) {
        const int id = kButtons[i];
        QAction* a = m_toolBar->addAction(style()->standardIcon(kIcons[i]), LoadStr(105 + i));
        a->setObjectName(QStringLiteral("tool%1").arg(i));
        connect(a, &QAction::triggered, this, [this, id] { OnMenuCommand(id); });
        bool hidden = i == 5 || i == 8 || i == 14;
        if ((i == 9 && (mask & feature::Email)) || (i == 10 && (mask & feature::Fax)) ||
            ((i == 11 || i == 12) && (mask & feature::Mms)) || (i == 13 && (mask & feature::Voice)) ||
            (i == 6 && (mask & feature::NetDisk)) || (i == 7 && (mask & feature::NetManagement)))
            hidden = true;
        a->setVisible(!hidden);
        m_toolActions.push_back(a);
    }
}

void CCorvelaneDlg::BuildMenu() {
    m_menuBar->clear();
    m_menuActions.clear();
    auto addEntries = [this](QMenu* menu, std::initializer_list<Entry> entries) {
        for (const Entry& e : entries) {
            if (e.id == 0) {
                menu->addSeparator();
                continue;
            }
            QAction* a = menu->addAction(LabelOf(e));
            const int id = e.id;
            a->setObjectName(QStringLiteral("menu%1").arg(id));
            connect(a, &QAction::triggered, this, [this, id] { OnMenuCommand(id); });
            m_menuActions[id] = a;
        }
    };
    auto popup = [this](const char* title) { return m_menuBar->addMenu(Tr(title)); };

    addEntries(popup("文件"), {{32774, "联系人", 0},
                               {32776, "导入", 0},
                               {32777, "导出", 0},
                               {0, nullptr, 0},
                               {32853, "转换老客户端数据", 0},
                               {0, nullptr, 0},
                               {32847, "退出", 0}});
    BuildSkinMenu(popup("视图"));
    addEntries(popup("任务"), {{32846, "新建任务", 0}, {32784, "任务", 0}, {32849, "任务管理", 0}});
    addEntries(popup("帐户管理"), {{32788, "账户充值", 0},
                                   {32789, "余额查询", 0},
                                   {32790, "修改序列号密码", 0},
                                   {0, nullptr, 0},
                                   {32831, "修改登录密码", 0},
                                   {32832, "操作员权限设置", 0}});
    addEntries(popup("短信"), {{32793, "发送短信", 0},
                               {32794, "接收短信", 0},
                               {32798, "个性短信", 0},
                               {32797, "短语库", 0},
                               {32799, "Excel短信", 0},
                               {32800, "互动短信", 0},
                               {32801, "节日祝福语", 0},
                               {32802, "批量日期短信", 0},
                               {32856, "网信", 0},
                               {0, nullptr, 0},
                               {32795, nullptr, 134},
                               {32796, nullptr, 135},
                               {32811, "调查记录", 0},
                               {32821, "手机号归属地查询", 0}});

    // Value-added services: its entries keep their positions, so that a
    // withheld feature hides the entry at its place.
    QMenu* services = popup("增值服务");
    services->setObjectName(QStringLiteral("services"));
    auto channelMenu = [&](int titleString, std::initializer_list<Entry> entries) {
        QMenu* sub = services->addMenu(LoadStr(titleString));
        addEntries(sub, entries);
        return sub->menuAction();
    };
    QAction* positions[11] = {};
    positions[0] = channelMenu(128, {{32804, "发送邮件", 0}, {32857, "收取邮件设置", 0}, {32805, nullptr, 134},
                                     {32806, nullptr, 135}});
    positions[1] = channelMenu(127, {{32808, "发送传真", 0}, {32809, nullptr, 134}, {32810, nullptr, 135}});
    addEntries(services, {{32820, "抽奖", 0}});
    positions[2] = m_menuActions[32820];
    positions[3] = channelMenu(129, {{32813, "发送彩信", 0},
                                     {32859, "个性彩信", 0},
                                     {32850, "手机报", 0},
                                     {32814, nullptr, 134},
                                     {32815, nullptr, 135}});
    positions[4] = channelMenu(130, {{32817, "发送语音", 0}, {32818, nullptr, 134}, {32819, nullptr, 135}});
    positions[5] = services->addSeparator();
    addEntries(services, {{32858, "网信管理", 0},
                          {32822, "网络电话", 0},
                          {32823, "网络硬盘", 0},
                          {32824, "网络管理", 0},
                          {32825, "即时通讯", 0}});
    positions[6] = m_menuActions[32858];
    positions[7] = m_menuActions[32822];
    positions[8] = m_menuActions[32823];
    positions[9] = m_menuActions[32824];
    positions[10] = m_menuActions[32825];
    const int mask = featureMask();
    const std::pair<int, int> withheld[] = {{feature::InstantMessaging, 10}, {feature::NetManagement, 9},
                                            {feature::NetDisk, 8},           {feature::NetPhone, 7},
                                            {feature::Voice, 4},             {feature::Mms, 3},
                                            {feature::Fax, 1},               {feature::Email, 0}};
    for (const auto& [bit, position] : withheld)
        if (mask & bit)
            positions[position]->setVisible(false);
    // No instant-messaging program here (and it wanted the password on a
    // command line): the entry stays hidden.
    positions[10]->setVisible(false);

    addEntries(popup("数据管理"),
               {{32826, "数据库备份", 0}, {32827, "数据库压缩", 0}, {32828, "数据库恢复", 0}, {32829, "数据分割", 0}});
    addEntries(popup("设置"), {{32833, "系统设置", 0},
                               {32834, "网络设置", 0},
                               {32835, "日期短信设置", 0},
                               {0, nullptr, 0},
                               {32836, "安装Excel插件", 0},
                               {32837, "删除Excel插件", 0},
                               {0, nullptr, 0},
                               {32871, "英语", 0}});
    addEntries(popup("在线升级"), {{32838, "在线升级", 0}, {32839, "个性升级", 0}});
    addEntries(popup("帮助"), {{32841, "使用指南", 0},
                               {32842, "常见问题解答", 0},
                               {32843, "在线修改意见", 0},
                               {32844, "自助服务", 0},
                               {32851, "白名单提交", 0},
                               {32852, "责任声明", 0},
                               {0, nullptr, 0},
                               {32845, "关于...", 0}});
}

QAction* CCorvelaneDlg::menuAction(int id) const {
    auto it = m_menuActions.find(id);
    return it == m_menuActions.end() ? nullptr : it->second;
}

QAction* CCorvelaneDlg::toolButton(int index) const {
    return index >= 0 && index < int(m_toolActions.size()) ? m_toolActions[size_t(index)] : nullptr;
}

void CCorvelaneDlg::BuildSkinMenu(QMenu* view) {
    m_skinActions.clear();
    m_skinNames.clear();
    QStringList files = QDir(AppPath(QStringLiteral("urf")))
                            .entryList({QStringLiteral("*.urf")}, QDir::Files, QDir::Name);
    if (files.size() > kMaxSkinEntries - 1)
        files = files.mid(0, kMaxSkinEntries - 1);
    m_skinNames << QString();
    for (const QString& f : files)
        m_skinNames << f.left(f.size() - 4);
    const QString configured = ConfiguredSkinPath();
    int selected = 0;
    for (int p = 0; p < m_skinNames.size(); ++p) {
        QAction* a = view->addAction(p == 0 ? Tr("Windows经典") : m_skinNames[p]);
        a->setCheckable(true);
        const int id = SkinCommandId(p);
        a->setObjectName(QStringLiteral("menu%1").arg(id));
        connect(a, &QAction::triggered, this, [this, id] { OnMenuCommand(id); });
        m_menuActions[id] = a;
        m_skinActions.push_back(a);
        if (p > 0 && !configured.isEmpty() && AppPath(QStringLiteral("urf/") + files[p - 1]) == configured)
            selected = p;
    }
    for (int p = 0; p < int(m_skinActions.size()); ++p)
        m_skinActions[size_t(p)]->setChecked(p == selected);
}

void CCorvelaneDlg::OnSkin(int position) {
    if (position < 0 || position >= int(m_skinActions.size()))
        return;
    for (int p = 0; p < int(m_skinActions.size()); ++p)
        m_skinActions[size_t(p)]->setChecked(p == position);
    if (position == 0) {
        UnloadSkin();
        SaveConfiguredSkin(QString());
        return;
    }
    const QString file = m_skinNames[position] + QLatin1String(".urf");
    SaveConfiguredSkin(file);
    LoadSkin(AppPath(QStringLiteral("urf/") + file));
}

// ---- checks ------------------------------------------------------------------

bool CCorvelaneDlg::Refused(int id) {
    const CommandCheck* check = CheckOf(id);
    if (!check)
        return false;
    if (check->right != 0 && RefuseIfRightDenied(check->right))
        return true;
    if (check->feature != 0 && (featureMask() & check->feature)) {
        ShowMessageBox(LoadStr(339), mb::Ok | mb::IconWarning);
        return true;
    }
    return false;
}

void CCorvelaneDlg::ShowLaterNotice() {
    ShowMessageBox(QCoreApplication::translate("PlaceholderDialog", "此功能将在后续版本中提供。"),
                   mb::Ok | mb::IconInformation);
}

// ---- the command handler -------------------------------------------------------

void CCorvelaneDlg::OnMenuCommand(int id) {
    if (m_closing || Refused(id))
        return;
    if (const int skin = SkinPosition(id); skin >= 0) {
        OnSkin(skin);
        return;
    }
    switch (id) {
    case 32774:
        OpenNewContactEditor(this);
        break;
    case 32777:
        RunDialog<CDlgExportGroup>(this);
        break;
    case 32821:
        OpenNumberLocation(this);
        break;
    case 32829: {
        CDlgDataSplit split(this);
        RunModal(split);
        break;
    }
    case 32776: {
        if (m_currentGroup < 1) {
            ShowMessageBox(LoadStr(334), mb::Ok | mb::IconWarning);
            break;
        }
        const int group = m_currentGroup;
        CDlgImportWND import(this);
        import.m_nGroupId = group;
        if (RunModal(import) != 1003)
            break;
        // New groups may have come with the contacts; the view shows the
        // group the contacts went to.
        FillMainTree();
        m_currentGroup = group;
        if (QTreeWidgetItem* sms = FindTreeItemByData(m_tree, nullptr, node::Sms))
            sms->setExpanded(true);
        SelectNode(group);
        ContactPane()->QueryContacts(group, false, -1);
        break;
    }
    case 32784:
    case 32846:
        if (RunDialog<CDCreateTask1>(this) == 1003) {
            SelectNode(node::Tasks);
            LoadTaskTips();
        }
        break;
    case 32847:
        OnClose(true);
        break;
    case 32853:
        StartConverter(false);
        break;
    case 32849:
        SelectNode(node::Tasks);
        break;
    case 32788:
        RunDialog<CDlgRecharge>(this);
        break;
    case 32789:
        QueryBalance();
        break;
    case 32790:
        RunDialog<CDlgModiSerPWD>(this);
        break;
    case 32793:
        OpenSmsComposer({}, {});
        break;
    case 32794:
        ReceiveMessages(1);
        break;
    case 32795:
        SelectNode(node::Sms + 2);
        break;
    case 32796:
        SelectNode(node::Sms + 3);
        break;
    case 32797: {
        CDlgMsgLib library(this);
        library.SetOpenComposer(true);
        RunModal(library);
        break;
    }
    case 32798:
        RunDialog<CDlgPerMSG>(this);
        break;
    case 32799: {
        const QString file = ChooseOpenFile(this, QStringLiteral("Microsoft Excel文件(*.xls)|*.xls||"));
        if (!file.isEmpty())
            OpenUrlExternally(QUrl::fromLocalFile(file).toString());
        break;
    }
    case 32800:
        RunDialog<CDlgInteractiveMSG>(this);
        break;
    case 32801:
        RunDialog<CDlgHoliday>(this);
        break;
    case 32802:
        RunDialog<CDlgBatchDateMSG>(this);
        break;
    case 32856:
        FetchAndOfferNetMessages();
        break;
    case 32804:
        RunDialog<CDlgSendEmail>(this);
        break;
    case 32805:
    case 32806:
        SelectNode(node::Email + (id - 32803));
        break;
    case 32857:
        OpenMailSettings();
        break;
    case 32808:
        RunDialog<CDlgSendFax>(this);
        break;
    case 32809:
    case 32810:
        SelectNode(node::Fax + (id - 32807));
        break;
    case 32811:
        SelectNode(node::Survey);
        break;
    case 32813:
    case 32859: {
        CDlgSendMMS dialog(this);
        dialog.SetPersonalised(id == 32859);
        RunModal(dialog);
        break;
    }
    case 32814:
    case 32815:
        SelectNode(node::Mms + (id - 32812));
        break;
    case 32817:
        RunDialog<CDlgSendSound>(this);
        break;
    case 32818:
    case 32819:
        SelectNode(node::Voice + (id - 32816));
        break;
    case 32823:
        RunDialog<CDlgNetStore>(this);
        break;
    case 32824:
        SelectNode(node::NetManagement);
        break;
    case 32858:
        SelectNode(node::NetMessages);
        break;
    case 32826:
        BackupDatabase(this);
        break;
    case 32827:
        CompressDatabase();
        break;
    case 32828:
        RestoreFromBackup();
        break;
    case 32831:
        RunDialog<CDlgModifyLogPW>(false, g_pLoginRights.get(), this);
        break;
    case 32832:
        RunDialog<CDlgOperatorRights>(g_pLoginRights.get(), this);
        break;
    case 32833:
        RunDialog<CDlgSYSSetting>(&g_sysSettings, this);
        // Whatever closed it, the settings in the file are the ones in force.
        LoadAutoSettings();
        break;
    case 32834:
        RunDialog<CDlgNetSetting>(this);
        break;
    case 32835:
        // The dialog ends with 1003 once the file holds the new settings.
        if (RunDialog<CDlgDateMSGSetting>(&m_dateMsgs, this) == 1003)
            LoadDateMsgSettings();
        break;
    case 32836:
    case 32837:
        InstallExcelAddIn(id == 32837);
        break;
    case 32838:
    case 32839:
        LaunchUpdater();
        break;
    case 32871:
        SwitchLanguage();
        break;
    case 32852:
        RunDialog<CDlgResBook>(this);
        break;
    case 32841:
        OpenUrlExternally(QUrl::fromLocalFile(AppPath(QStringLiteral("help.chm"))).toString());
        break;
    case 32842:
    case 32843:
    case 32844:
    case 32851:
        OpenHelpPage(id);
        break;
    case 32845: {
        CDlgAbout dialog(this);
        dialog.SetVersion(kProgramVersion);
        RunModal(dialog);
        break;
    }
    case 32850: {
        CDlgTelPaper paper(this);
        if (RunModal(paper) != 1003)
            break;
        CDlgSendMMS composer(this);
        composer.SetTitle(paper.Title());
        composer.SetPresetFrames(paper.Frames());
        RunModal(composer);
        break;
    }
    default:
        // 32822 (network telephone), 32825 (instant messaging), 32830 and the
        // other ids of the range do nothing.
        break;
    }
}

// ---- the spreadsheet add-in ------------------------------------------------------

void CCorvelaneDlg::OnCopyData(const QByteArray& command) {
    const QString text = AnsiToUnicode(command.toStdString());
    const QStringList fields = text.split(QLatin1String(kCommandFieldSeparator));
    LogWrite(g_logRun, "INFO,add-in command " + LogEscape(UnicodeToUtf8(fields.front().left(40))));
    if (isMinimized() || !isVisible())
        setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
    // A command never runs under another dialog: it would open a second
    // modal loop beneath the one the user works in.
    QWidget* modal = QApplication::activeModalWidget();
    QDialog* running = CurrentModalDialog();
    if (running || (modal && modal != this)) {
        QWidget* front = running ? running : modal;
        front->raise();
        front->activateWindow();
        LogWrite(g_logRun, "INFO,add-in command not run: a dialog is open");
        return;
    }
    if (!m_commandsReady || m_closing)
        return;
    RunAddInCommand(fields);
}

void CCorvelaneDlg::RunAddInCommand(const QStringList& fields) {
    const QString& word = fields.front();
    if (word == QLatin1String("SendSMS")) {
        if (fields.size() < 3) {
            ShowMessageBox(LoadStr(352), mb::Ok | mb::IconWarning);
            return;
        }
        OpenSmsComposer(fields[1].split(QLatin1Char('|'), Qt::SkipEmptyParts), fields[2]);
        return;
    }
    if (word == QLatin1String("C")) {
        OnClose(true);
        return;
    }
    for (const AddInCommand& c : kAddInCommands) {
        if (word == QLatin1String(c.word)) {
            OnMenuCommand(c.id);
            return;
        }
    }
}

void CCorvelaneDlg::OpenSmsComposer(const QStringList& numbers, const QString& content) {
    CDlgSendSMS dialog(this, 1);
    if (!numbers.isEmpty() || !content.isEmpty())
        dialog.SetNumbersAndContent(numbers, content);
    RunModal(dialog);
}

// ---- jobs on the window's worker ---------------------------------------------------

bool CCorvelaneDlg::RunJob(std::function<void()> job) {
    if (m_closing)
        return false;
    g_hStatusBar(2, Tr("正在处理..."));
    QPointer<CCorvelaneDlg> self(this);
    const bool started = m_jobWorker.start([self, job = std::move(job)] {
        job();
        QMetaObject::invokeMethod(
            qApp,
            [self] {
                if (!self)
                    return;
                g_hStatusBar(2, QString());
                emit self->jobFinished();
            },
            Qt::QueuedConnection);
    });
    if (!started)
        LogWrite(g_logRun, "INFO,command not run: the previous one still runs");
    return started;
}

void CCorvelaneDlg::QueryBalance() {
    const AccountFields account = g_pAccount.get();
    RunJob([account] {
        CWebServiceClient client(account[kAccountSerial], account[kAccountPassword]);
        QString reply;
        if (client.HttpGetBalance(reply) != 0) {
            ShowMessageBox(LoadStr(265), mb::Ok | mb::IconWarning);
            return;
        }
        ShowMessageBox(QStringLiteral("%1%2  ").arg(LoadStr(266), reply), mb::Ok | mb::IconInformation);
    });
}

void CCorvelaneDlg::CompressDatabase() {
    QPointer<CCorvelaneDlg> self(this);
    RunJob([self] {
        // Its own connection: the window's stays free while the file is rebuilt.
        sqlite3* db = OpenConnection(SystemDatabasePath());
        const int rc = db ? ExecSql(nullptr, db, "VACUUM;") : SQLITE_CANTOPEN;
        if (db)
            sqlite3_close(db);
        if (rc != SQLITE_OK) {
            LogWriteString(g_logRun, QStringLiteral("压缩数据库出错了"));
            return;
        }
        // VACUUM may renumber rowids: the panes' ticks and windows are stale.
        QMetaObject::invokeMethod(
            qApp,
            [self] {
                if (!self)
                    return;
                self->RequeryContacts();
                self->RequeryRecordViews();
            },
            Qt::QueuedConnection);
        ShowMessageBox(LoadStr(340), mb::Ok | mb::IconInformation);
    });
}

void CCorvelaneDlg::LaunchUpdater() {
    QPointer<CCorvelaneDlg> self(this);
    RunJob([self] {
        MoveWaitingUpdater();
        const ACCOUNT_SERVICE_INFO info = FetchFeatureMask(30);
        QString address = info.update;
        if (address.isEmpty())
            address = ini::ReadString(ServerIniPath(), QStringLiteral("UpdateServerAddress"),
                                      QStringLiteral("UpdateUrl"), QString(), 100);
        if (!info.update.isEmpty())
            QMetaObject::invokeMethod(
                qApp, [self, update = info.update] { if (self) g_accountServiceInfo.update = update; },
                Qt::QueuedConnection);
        StartUpdater(address, false);
    });
}

void CCorvelaneDlg::FetchAndOfferNetMessages() {
    const QString url = NetMessagesUrl();
    auto fetched = std::make_shared<std::vector<NET_SMS>>(m_netSms);
    QPointer<CCorvelaneDlg> self(this);
    RunJob([self, url, fetched] {
        FetchNetMessages(url, *fetched);
        QMetaObject::invokeMethod(
            qApp,
            [self, fetched] {
                if (!self || self->m_closing)
                    return;
                self->m_netSms = *fetched;
                CDlgSendSMS dialog(self, 1);
                dialog.SetNetMessages(true, &self->m_netSms);
                RunModal(dialog);
                self->m_netSms.clear();
            },
            Qt::QueuedConnection);
    });
}

void CCorvelaneDlg::OpenMailSettings() {
    RunDialog<DlgEmailSetting>(this);
    // Whatever the dialog's result, the saved switch decides.
    if (MailReceiveEnabled(g_strAccountIni)) {
        StartMailWorker();
    } else {
        m_mailControl->running = false;
        m_mailControl->stop.set();
    }
}

void CCorvelaneDlg::RestoreFromBackup() {
    ShowMessageBox(LoadStr(341), mb::Ok | mb::IconWarning);
    const bool end = RestoreDatabase(this, [this] { JoinWorkers(); });
    if (!end)
        return;
    // The restored file is opened by the next start.
    m_closing = true;
    for (auto& [timerId, t] : m_timers)
        t->stop();
    g_pAccount.clear();
    done(0);
}

void CCorvelaneDlg::SwitchLanguage() {
    const int next = UiLanguage() == kLangEnglish ? kLangChinese : kLangEnglish;
    QByteArray bytes(4, '\0');
    for (int i = 0; i < 4; ++i)
        bytes[i] = char((next >> (8 * i)) & 0xFF);
    QSaveFile file(AppPath(QStringLiteral("Language.ini")));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != 4 || !file.commit()) {
        LogWrite(g_logRun, "ERROR,Language.ini could not be written; the language stays: " +
                               LogEscape(UnicodeToUtf8(file.errorString())));
        return;
    }
    m_restartOnClose = true;
    QTimer::singleShot(0, this, [this] { OnClose(true); });
}

void CCorvelaneDlg::OpenHelpPage(int id) {
    const QString oem = OemInfoIniPath();
    const QString help = QStringLiteral("Help");
    auto configured = [&](const char* key) { return ini::ReadString(oem, help, QLatin1String(key), QString(), 100); };
    const QString self = QStringLiteral("http://%1/").arg(DeploymentValue(DeploymentKey::SelfServiceHost));
    switch (id) {
    case 32842: {
        QString url = configured("FAQUrl");
        if (url.isEmpty())
            url = QStringLiteral("http://%1/").arg(DeploymentValue(DeploymentKey::WebHost));
        OpenServicePage(url);
        break;
    }
    case 32843:
    case 32844:
    case 32851: {
        const char* key = id == 32843 ? "SuggestionUrl" : id == 32844 ? "SelfUrl" : "WhitelistsUrl";
        const char* page = id == 32843 ? "guestbook.aspx" : id == 32844 ? "netlogin.aspx" : "sendwhite.aspx";
        QString url = configured(key);
        if (url.isEmpty())
            url = self + QLatin1String(page);
        if (id == 32843)
            OpenAccountWebPage(url, QStringLiteral("sn"), QStringLiteral("pwd"), QString());
        else
            OpenAccountWebPage(url, QStringLiteral("name"), QStringLiteral("pass"), QString());
        break;
    }
    default:
        break;
    }
}
