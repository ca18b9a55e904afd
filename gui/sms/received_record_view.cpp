#include "gui/sms/received_record_view.h"

#include "contacts/xlsx_writer.h"
#include "core/app_globals.h"
#include "core/database.h"
#include "core/log.h"
#include "core/paths.h"
#include "core/string_table.h"
#include "gui/channels/weibo_dialog.h"
#include "gui/contacts/contact_editor.h"
#include "gui/sms/interactive_msg_dialog.h"
#include "gui/sms/send_sms_dialog.h"
#include "gui/sms/senior_query_dialog.h"
#include "gui/widgets/list_helpers.h"
#include "gui/widgets/modal_runner.h"
#include "gui/widgets/widget_helpers.h"
#include "platform/ini.h"
#include "platform/msgbox.h"

#include "ui_received_record_view.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMenu>

#include <algorithm>

namespace {

constexpr QRgb kUnreadColor = qRgb(255, 0, 0);

} // namespace

CDlgMsgRecord1Received::CDlgMsgRecord1Received(QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CDlgMsgRecord1Received>()), m_records(g_pDB) {
    m_ui->setupUi(this);
    ApplyControlIds(this);
    setWindowFlags(Qt::Widget);

    m_customerReport =
        ini::ReadInt(OemInfoIniPath(), QStringLiteral("System"), QStringLiteral("Customize2"), 0) != 0;

    CVirtualListCtrl* list = m_ui->list;
    const std::pair<const char*, int> columns[] = {
        {QT_TR_NOOP("已读"), 50},      {QT_TR_NOOP(" 姓名"), 55},     {QT_TR_NOOP("手机或小灵通"), 100},
        {QT_TR_NOOP("短信内容"), 340}, {QT_TR_NOOP("公司名称"), 150}, {QT_TR_NOOP("发送时间"), 120},
    };
    for (const auto& [text, width] : columns)
        list->InsertColumn(list->ColumnCount(), tr(text), width);
    list->setShowGrid(true);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->InitToolTips();
    list->SetOwner(this);
    connect(list, &QAbstractItemView::clicked, this, [this](const QModelIndex& index) {
        if (index.isValid())
            OnRowClicked(index.row());
    });
    connect(list, &QWidget::customContextMenuRequested, this, &CDlgMsgRecord1Received::OnContextMenu);

    const std::pair<QAbstractButton*, int> buttons[] = {
        {m_ui->query, 1003},       {m_ui->seniorQuery, 1004},   {m_ui->forward, 1005},
        {m_ui->reply, 1011},       {m_ui->exportRecords, 1012}, {m_ui->deleteRecords, 1013},
        {m_ui->interactive, 1014}, {m_ui->showAll, 1027},       {m_ui->showSome, 1028},
    };
    for (const auto& [button, id] : buttons)
        connect(button, &QAbstractButton::clicked, this, [this, id = id] { OnCommand(id); });

    // As the main window queries: the saved condition when `ShowSome` is
    // set, else everything (both 0, never chosen, included).
    const ReceivedShowSettings settings = ReadReceivedShowSettings(g_strAccountIni);
    (settings.showSome ? m_ui->showSome : m_ui->showAll)->setChecked(true);

    SetUpTickedDate(m_ui->fromTick, m_ui->fromDate);
    SetUpTickedDate(m_ui->toTick, m_ui->toDate);
    m_ui->fromTime->setTime(QTime(0, 0));
    m_ui->toTime->setTime(QTime(23, 59));
}

CDlgMsgRecord1Received::~CDlgMsgRecord1Received() {
    // Its worker is joined before the list and the records below go.
    delete m_weibo;
    m_ui->list->SetOwner(nullptr);
}

void CDlgMsgRecord1Received::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // The flag is set by whoever made the page, after the constructor.
    if (m_microblog && !m_weibo) {
        m_weibo = new CDlgWeibo(this);
        m_weibo->setGeometry(rect());
        m_weibo->show();
        m_weibo->raise();
    }
}

void CDlgMsgRecord1Received::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    if (m_weibo)
        m_weibo->setGeometry(rect());
}

CVirtualListCtrl* CDlgMsgRecord1Received::List() const {
    return m_ui->list;
}

// ---- the list ------------------------------------------------------------------

void CDlgMsgRecord1Received::QueryRecords(const QString& filter, int sortColumn) {
    m_records.Query(filter, sortColumn);
    ShowList(sortColumn);
}

void CDlgMsgRecord1Received::Requery() {
    m_records.Requery();
    ShowList(ReceivedSortState().Direction() != 0 ? ReceivedSortState().Column() : -1);
}

void CDlgMsgRecord1Received::ShowList(int sortColumn) {
    CVirtualListCtrl* list = m_ui->list;
    m_currentRow = -1;
    m_loadFailureLogged = false;
    list->clearSelection();
    list->SetItemCount(m_records.Count());
    if (sortColumn < 0 || ReceivedSortState().Direction() == 0)
        list->ClearSortArrow();
    else
        list->SetSortArrow(ReceivedSortState().Column(), ReceivedSortState().Direction());
    list->RedrawItems();
    m_ui->total->setText(QString::number(m_records.Count()));
}

void CDlgMsgRecord1Received::CacheHint(int first, int last) {
    RowSource& source = m_records.Source();
    source.Hint(first, last);
    // Once per query, not on every repaint of rows that cannot be read.
    if (!m_loadFailureLogged && first >= 0 && first < source.Count() && !source.IsCached(first)) {
        m_loadFailureLogged = true;
        LogWrite(g_logRun, "CDlgMsgRecord1Received::ReadDbToMemory出错了");
    }
}

QString CDlgMsgRecord1Received::CellText(int row, int column) {
    return m_records.DisplayCell(row, column);
}

std::optional<bool> CDlgMsgRecord1Received::CellChecked(int row, int column) {
    if (column != kRecvRead)
        return std::nullopt;
    return m_records.IsRead(row);
}

void CDlgMsgRecord1Received::SetCellChecked(int row, int column, bool checked) {
    // The box shows the read state: ticking it reads the message, and a read
    // message cannot be made unread.
    if (column == kRecvRead && checked)
        OnRowClicked(row);
}

std::optional<QRgb> CDlgMsgRecord1Received::RowTextColor(int row) {
    if (row < 0 || row >= m_records.Count() || m_records.IsRead(row))
        return std::nullopt;
    return kUnreadColor;
}

bool CDlgMsgRecord1Received::HeaderClicked(int column) {
    if (column < 0 || column >= kReceivedListColumns)
        return true;
    // The sort keeps the rows the user narrowed the list to.
    QueryRecords(m_records.Filter(), column);
    return true;
}

void CDlgMsgRecord1Received::OnRowClicked(int row) {
    if (row < 0 || row >= m_records.Count())
        return;
    m_currentRow = row;
    if (m_records.MarkRead(row) == 1) {
        QAbstractItemModel* model = m_ui->list->model();
        emit model->dataChanged(model->index(row, 0), model->index(row, model->columnCount() - 1));
        m_ui->list->viewport()->update();
    }
}

std::vector<RowSpan> CDlgMsgRecord1Received::SelectedSpans() const {
    return SelectedRowRanges(m_ui->list);
}

int CDlgMsgRecord1Received::SingleSelectedRow() const {
    const std::vector<RowSpan> spans = SelectedSpans();
    if (spans.size() != 1 || spans.front().first != spans.front().second)
        return -1;
    return spans.front().first;
}

// ---- commands --------------------------------------------------------------------

void CDlgMsgRecord1Received::OnCommand(int id) {
    switch (id) {
    case 1003:
        QueryByDate();
        break;
    case 1004:
        SeniorQuery();
        break;
    case 1005:
    case 10002:
        Forward();
        break;
    case 1011:
    case 10003:
        Reply();
        break;
    case 1012:
    case 10004:
        Export();
        break;
    case 1013:
    case 10005:
        DeleteSelected();
        break;
    case 1014: {
        CDlgInteractiveMSG dialog(this);
        RunModal(dialog);
        break;
    }
    case 1027:
        ShowBySettings(false);
        break;
    case 1028:
        ShowBySettings(true);
        break;
    case 10001:
        SaveAsContact();
        break;
    default:
        break;
    }
}

void CDlgMsgRecord1Received::OnContextMenu(const QPoint& pos) {
    const QModelIndex index = m_ui->list->indexAt(pos);
    std::unique_ptr<QMenu> menu = CreateContextMenu(index.isValid() ? index.row() : -1);
    QAction* chosen = menu->exec(m_ui->list->viewport()->mapToGlobal(pos));
    if (chosen && chosen->isEnabled())
        OnCommand(chosen->objectName().toInt());
}

std::unique_ptr<QMenu> CDlgMsgRecord1Received::CreateContextMenu(int row) {
    const bool hit = row >= 0 && row < m_records.Count();
    if (hit)
        m_currentRow = row;
    auto menu = std::make_unique<QMenu>(this);
    auto add = [&](int id, const QString& text, bool enabled) {
        QAction* action = menu->addAction(text);
        action->setObjectName(QString::number(id));
        action->setEnabled(enabled);
    };
    add(10001, tr("保存联系人"), hit && m_records.Cell(row, kRecvName).isEmpty());
    menu->addSeparator();
    add(10002, tr("转发"), hit);
    add(10003, tr("回复"), hit);
    menu->addSeparator();
    add(10004, tr("导出"), true);
    menu->addSeparator();
    add(10005, tr("删除"), hit);
    return menu;
}

void CDlgMsgRecord1Received::QueryByDate() {
    QueryRecords(ReceivedRecords::DateFilter(TickedDate(m_ui->fromTick, m_ui->fromDate).value_or(QDate()),
                                             TickedDate(m_ui->toTick, m_ui->toDate).value_or(QDate())),
                 -1);
}

void CDlgMsgRecord1Received::SeniorQuery() {
    CDlgSeniorQuery dialog(this);
    dialog.SetReceivedMode(true);
    if (const std::optional<QString> condition = dialog.RunForCondition())
        QueryRecords(*condition, -1);
}

void CDlgMsgRecord1Received::ShowBySettings(bool some) {
    const QString section = QStringLiteral("ReceiveMsg");
    ini::WriteStrings(g_strAccountIni, section,
                      {{QStringLiteral("ShowAll"), some ? QStringLiteral("0") : QStringLiteral("1")},
                       {QStringLiteral("ShowSome"), some ? QStringLiteral("1") : QStringLiteral("0")}});
    (some ? m_ui->showSome : m_ui->showAll)->setChecked(true);
    QueryRecords(some ? ReadReceivedShowSettings(g_strAccountIni).sql : QString(), -1);
}

void CDlgMsgRecord1Received::Forward() {
    const int row = SingleSelectedRow();
    if (row < 0) {
        ShowMessageBox(LoadStr(179), mb::Ok | mb::IconWarning);
        return;
    }
    CDlgSendSMS composer(this, 1);
    composer.SetPrefillContent(m_records.Cell(row, kRecvContent));
    RunModal(composer);
}

void CDlgMsgRecord1Received::Reply() {
    // Every sender of the list as the query showed it, whatever is selected;
    // a message stored since then is not in it.
    CDlgSendSMS composer(this, 1);
    composer.SetRecipientQuery(m_records.BoundedListStatement(), m_records.Count());
    RunModal(composer);
}

void CDlgMsgRecord1Received::DeleteSelected() {
    if (RefuseIfRightDenied(13))
        return;
    const std::vector<RowSpan> spans = SelectedSpans();
    int selected = 0;
    for (const RowSpan& s : spans)
        selected += s.second - s.first + 1;
    if (selected == 0) {
        ShowMessageBox(LoadStr(180), mb::Ok | mb::IconWarning);
        return;
    }
    if (!ConfirmDeleteCount(selected))
        return;
    LogWriteString(g_logRun, QStringLiteral("删除了接收短信记录 %1 条").arg(selected));
    const ReceivedRecords::DeleteOutcome outcome = m_records.Delete(spans);
    Requery();
    ShowDeleteOutcome(outcome.ok);
}

void CDlgMsgRecord1Received::Export() {
    if (RefuseIfRightDenied(15))
        return;
    if (m_customerReport) {
        ExportCustomerReport();
        return;
    }
    const QString chosen = ChooseSaveFile(this, tr("Microsoft Excel文件(*.xlsx)|*.xlsx||"),
                                          ReceivedRecords::ExportTitle(), QStringLiteral("xlsx"));
    if (chosen.isEmpty())
        return;
    const RecordExportResult xlsx = m_records.ExportXlsx(XlsxFileName(chosen));
    if (xlsx.ok) {
        ShowMessageBox(LoadStr(228), mb::Ok | mb::IconInformation);
        return;
    }
    LogWriteString(g_logRun, QStringLiteral("导出接收短信记录失败: %1").arg(xlsx.error));
    ShowMessageBox(tr("Excel组件存在问题，导出失败。将导出csv格式文件"), mb::Ok | mb::IconWarning);
    const QString csvPath = ChooseSaveFile(this, tr("CSV文件(*.csv)|*.csv||"), ReceivedRecords::ExportTitle(),
                                           QStringLiteral("csv"));
    if (csvPath.isEmpty())
        return;
    const RecordExportResult csv = m_records.ExportCsv(csvPath);
    if (csv.ok) {
        ShowMessageBox(LoadStr(228), mb::Ok | mb::IconInformation);
        return;
    }
    LogWriteString(g_logRun, QStringLiteral("导出接收短信记录失败: %1").arg(csv.error));
    ShowMessageBox(tr("导出记录失败"), mb::Ok | mb::IconWarning);
}

void CDlgMsgRecord1Received::ExportCustomerReport() {
    const QString path = ChooseSaveFile(this, tr("CSV文件(*.csv)|*.csv||"), ReceivedRecords::ExportTitle(),
                                        QStringLiteral("csv"));
    if (path.isEmpty())
        return;
    const QDateTime from(m_ui->fromDate->date(), m_ui->fromTime->time());
    const QDateTime to(m_ui->toDate->date(), m_ui->toTime->time());
    if (m_records.ExportCustomerReport(path, from, to))
        ShowMessageBox(LoadStr(228), mb::Ok | mb::IconInformation);
    else
        ShowMessageBox(tr("导出记录失败"), mb::Ok | mb::IconWarning);
}

void CDlgMsgRecord1Received::SaveAsContact() {
    const int row = SingleSelectedRow();
    if (row < 0) {
        ShowMessageBox(LoadStr(179), mb::Ok | mb::IconWarning);
        return;
    }
    // The stored number, never the masked text of the cell.
    OpenNewContactEditorForNumber(this, m_records.Cell(row, kRecvNumber));
}
