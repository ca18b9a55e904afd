#include "gui/automation/tip_window.h"

#include "core/app_globals.h"
#include "core/database.h"
#include "core/log.h"
#include "core/numbers.h"
#include "gui/automation/reminder_sound.h"
#include "gui/contacts/contact_frame.h"
#include "gui/sms/send_sms_dialog.h"
#include "gui/widgets/modal_runner.h"
#include "gui/widgets/widget_helpers.h"
#include "platform/ini.h"

#include "ui_tip_window.h"

#include <QAction>
#include <QFileInfo>
#include <QHeaderView>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>

#include <algorithm>

namespace {

constexpr int kColumnWidth = 100;

QTableWidgetItem* Cell(const QString& text) {
    return new QTableWidgetItem(text);
}

} // namespace

CDlgTipWnd::CDlgTipWnd(QWidget* mainWindow)
    : QDialog(mainWindow), m_ui(std::make_unique<Ui::CDlgTipWnd>()), m_mainWindow(mainWindow) {
    m_ui->setupUi(this);
    ApplyControlIds(this);
    setModal(false);

    connect(m_ui->holidayTab, &QPushButton::clicked, this, &CDlgTipWnd::ShowHolidays);
    connect(m_ui->birthdayTab, &QPushButton::clicked, this, &CDlgTipWnd::ShowBirthdays);
    connect(m_ui->list, &QWidget::customContextMenuRequested, this, &CDlgTipWnd::OnListContextMenu);
    connect(m_ui->list, &QTableWidget::itemSelectionChanged, this, &CDlgTipWnd::UpdateMenu);

    m_menu = new QMenu(this);
    for (const auto& [id, text] : {std::pair{10001, tr("发送短信")}, std::pair{10002, tr("查看联系人")}}) {
        QAction* action = m_menu->addAction(text);
        action->setObjectName(QString::number(id));
        connect(action, &QAction::triggered, this, [this, id = id] { OnMenuCommand(id); });
    }

    m_openComposer = [this](const std::vector<PickedContact>& contacts) {
        QStringList triples;
        for (const PickedContact& c : contacts)
            triples << c.number << c.name << QString::number(c.perNO);
        CDlgSendSMS composer(this, 1);
        composer.SetNumberTriples(triples);
        RunModal(composer);
    };
    m_openContact = [this](qint64 perNO) {
        // The main window's contact pane, so a save shows there; a window
        // opened before the pane exists uses a pane of its own.
        if (CDlgContactFrame* pane = m_mainWindow ? m_mainWindow->findChild<CDlgContactFrame*>() : nullptr) {
            pane->ShowContactInfo(perNO);
            return;
        }
        CDlgContactFrame pane(this);
        pane.ShowContactInfo(perNO);
    };
    FillList();
}

CDlgTipWnd::~CDlgTipWnd() {
    StopSound();
}

void CDlgTipWnd::SetComposerOpener(ComposerOpener opener) {
    m_openComposer = std::move(opener);
}

void CDlgTipWnd::SetContactOpener(ContactOpener opener) {
    m_openContact = std::move(opener);
}

void CDlgTipWnd::SetSoundPlayer(std::unique_ptr<ReminderSoundPlayer> player) {
    StopSound();
    m_player = std::move(player);
}

void CDlgTipWnd::SetLists(const std::vector<QString>& birthdayNumbers,
                          const std::vector<HOLIDAYCONTENT>& holidays) {
    m_birthTips = birthdayNumbers.empty() ? std::vector<BIRTHTIP>{} : LoadBirthTips(g_pDB, birthdayNumbers);
    m_holidays = holidays;
    // Holidays come first when there are both.
    m_tab = m_holidays.empty() ? 1 : 0;
    FillList();
    StopSound();
    if (!m_birthTips.empty() || !m_holidays.empty())
        StartSound();
}

void CDlgTipWnd::ShowHolidays() {
    m_tab = 0;
    FillList();
}

void CDlgTipWnd::ShowBirthdays() {
    m_tab = 1;
    FillList();
}

void CDlgTipWnd::FillList() {
    QTableWidget* list = m_ui->list;
    list->clearContents();
    if (m_tab == 0) {
        list->setColumnCount(2);
        list->setHorizontalHeaderLabels({tr("节日名称"), tr("节日日期")});
        list->setRowCount(static_cast<int>(m_holidays.size()));
        for (int row = 0; row < list->rowCount(); ++row) {
            const HOLIDAYCONTENT& h = m_holidays[static_cast<size_t>(row)];
            list->setItem(row, 0, Cell(h.name));
            list->setItem(row, 1, Cell(h.date));
        }
    } else {
        list->setColumnCount(3);
        list->setHorizontalHeaderLabels({tr("姓名"), tr("手机号码"), tr("生日")});
        list->setRowCount(static_cast<int>(m_birthTips.size()));
        for (int row = 0; row < list->rowCount(); ++row) {
            const BIRTHTIP& b = m_birthTips[static_cast<size_t>(row)];
            list->setItem(row, 0, Cell(b.name));
            // Shown as the operator may see it; the actions use the row's
            // real number.
            list->setItem(row, 1, Cell(MaskNumber(b.mobileNum)));
            list->setItem(row, 2, Cell(b.bd));
        }
    }
    for (int column = 0; column < list->columnCount(); ++column)
        list->setColumnWidth(column, kColumnWidth);
    m_ui->holidayTab->setChecked(m_tab == 0);
    m_ui->birthdayTab->setChecked(m_tab == 1);
    UpdateMenu();
}

std::vector<int> CDlgTipWnd::SelectedRows() const {
    std::vector<int> rows;
    for (const QModelIndex& index : m_ui->list->selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void CDlgTipWnd::UpdateMenu() {
    // The commands act on contacts: only birthday rows have one.
    const bool enabled = m_tab == 1 && !SelectedRows().empty();
    for (QAction* action : m_menu->actions())
        action->setEnabled(enabled);
}

void CDlgTipWnd::OnListContextMenu(const QPoint& pos) {
    UpdateMenu();
    m_menu->popup(m_ui->list->viewport()->mapToGlobal(pos));
}

void CDlgTipWnd::OnMenuCommand(int id) {
    if (m_tab != 1)
        return;
    const std::vector<int> rows = SelectedRows();
    if (rows.empty())
        return;
    if (id == 10001) {
        std::vector<PickedContact> contacts;
        for (int row : rows) {
            const BIRTHTIP& b = m_birthTips[static_cast<size_t>(row)];
            contacts.push_back({b.mobileNum, b.name, b.perNO.toLongLong()});
        }
        if (m_openComposer)
            m_openComposer(contacts);
    } else if (id == 10002) {
        int row = rows.front();
        if (const int current = m_ui->list->currentRow();
            std::find(rows.begin(), rows.end(), current) != rows.end())
            row = current;
        if (m_openContact)
            m_openContact(m_birthTips[static_cast<size_t>(row)].perNO.toLongLong());
    }
}

void CDlgTipWnd::StartSound() {
    const QString section = QStringLiteral("SysSetting");
    if (ini::ReadString(g_strAccountIni, section, QStringLiteral("Auto5"), QString(), 20) !=
        QLatin1String("1"))
        return;
    const QString path =
        ini::ReadString(g_strAccountIni, section, QStringLiteral("Content5"), QString(), 200);
    const QFileInfo file(path);
    if (path.isEmpty() || !file.isFile() || !file.isReadable()) {
        LogWrite(g_logRun, "ERROR,CDlgTipWnd,sound cannot be played: " + LogEscape(path));
        return;
    }
    if (!m_player)
        m_player = std::make_unique<MediaSoundPlayer>();
    m_player->Play(path);
}

void CDlgTipWnd::StopSound() {
    if (m_player)
        m_player->Stop();
}

void CDlgTipWnd::done(int result) {
    // Every way of closing ends here: the sound stops and the window hides.
    StopSound();
    QDialog::done(result);
}
