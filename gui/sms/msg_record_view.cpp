#include "gui/sms/msg_record_view.h"

#include "contacts/xlsx_writer.h"
#include "core/database.h"
#include "core/log.h"
#include "core/numbers.h"
#include "core/string_table.h"
#include "gui/channels/send_email_dialog.h"
#include "gui/channels/send_fax_dialog.h"
#include "gui/channels/send_mms_dialog.h"
#include "gui/channels/send_sound_dialog.h"
#include "gui/main/main_window.h"
#include "gui/sms/per_msg_dialog.h"
#include "gui/sms/relevant_reply_dialog.h"
#include "gui/sms/seek_num_dialog.h"
#include "gui/sms/send_sms_dialog.h"
#include "gui/sms/senior_query_dialog.h"
#include "gui/sms/tj_record_dialog.h"
#include "gui/widgets/list_helpers.h"
#include "gui/widgets/modal_runner.h"
#include "gui/widgets/widget_helpers.h"
#include "platform/msgbox.h"
#include "sms/record_export.h"

#include "ui_msg_record_view.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>

#include <algorithm>

namespace {

constexpr int kDeleteRight = 14;
constexpr int kExportRight = 15;
constexpr int kComposerDone = 1003;
constexpr int kSplitterWidth = 4;

void AddMenuEntry(QMenu* menu, int id, const QString& text, bool enabled) {
    QAction* a = menu->addAction(text);
    a->setData(id);
    a->setObjectName(QStringLiteral("menu%1").arg(id));
    a->setEnabled(enabled);
}

} // namespace

// Answers one of the page's two lists.
class CDlgMsgRecord::ListOwner : public VirtualListOwner {
public:
    ListOwner(CDlgMsgRecord* page, bool recipients) : m_page(page), m_recipients(recipients) {}
    void CacheHint(int first, int last) override {
        (m_recipients ? m_page->m_detail : m_page->m_rows).Hint(first, last);
    }
    QString CellText(int row, int column) override {
        return m_recipients ? m_page->RecipientCellText(row, column) : m_page->RecordCellText(row, column);
    }
    bool HeaderClicked(int column) override {
        if (m_recipients)
            return true; // the recipients keep their order
        m_page->OnHeaderClicked(column);
        return true;
    }

private:
    CDlgMsgRecord* m_page;
    bool m_recipients;
};

CDlgMsgRecord::CDlgMsgRecord(QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::CDlgMsgRecord>()),
      m_recordOwner(std::make_unique<ListOwner>(this, false)),
      m_recipientOwner(std::make_unique<ListOwner>(this, true)) {
    m_ui->setupUi(this);
    ApplyControlIds(this);
    setObjectName(QStringLiteral("CDlgMsgRecord"));

    for (CVirtualListCtrl* list : {m_ui->records, m_ui->recipients}) {
        list->setShowGrid(true);
        list->setSelectionBehavior(QAbstractItemView::SelectRows);
        list->setContextMenuPolicy(Qt::CustomContextMenu);
        list->InitToolTips();
    }
    m_ui->records->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_ui->recipients->setSelectionMode(QAbstractItemView::SingleSelection);
    m_ui->recipients->SetSortingOn(false);
    m_ui->records->SetOwner(m_recordOwner.get());
    m_ui->recipients->SetOwner(m_recipientOwner.get());

    // The bar moves the records' right edge and the right pane's left edge.
    m_ui->splitter->AddLinked(m_ui->records, ZSplitter::SideRight);
    m_ui->splitter->AddLinked(m_ui->recipients, ZSplitter::SideLeft);
    m_ui->splitter->AddLinked(m_ui->recordText, ZSplitter::SideLeft);
    m_ui->splitter->SetDirections(ZSplitter::DirLeft | ZSplitter::DirRight);
    connect(m_ui->splitter, &ZSplitter::moved, this, [this](const QRect& rect, QWidget* linked) {
        if (linked == m_ui->records)
            m_splitX = rect.right() + 1;
    });
    m_ui->listArea->installEventFilter(this);

    // The text can be read and copied, not changed.
    m_ui->recordText->setReadOnly(true);

    SetUpTickedDate(m_ui->fromTick, m_ui->fromDate);
    SetUpTickedDate(m_ui->toTick, m_ui->toDate);

    connect(m_ui->query, &QPushButton::clicked, this, &CDlgMsgRecord::OnDateQuery);
    connect(m_ui->advancedQuery, &QPushButton::clicked, this, &CDlgMsgRecord::OnAdvancedQuery);
    connect(m_ui->remove, &QPushButton::clicked, this, &CDlgMsgRecord::OnDeleteOrSurvey);
    connect(m_ui->forward, &QPushButton::clicked, this, &CDlgMsgRecord::OnForward);
    connect(m_ui->resend, &QPushButton::clicked, this, &CDlgMsgRecord::OnResend);
    connect(m_ui->exportRecords, &QPushButton::clicked, this, &CDlgMsgRecord::OnExport);
    connect(m_ui->perResend, &QPushButton::clicked, this, &CDlgMsgRecord::OnPerResend);
    connect(m_ui->statistics, &QPushButton::clicked, this, &CDlgMsgRecord::OnStatistics);

    connect(
        m_ui->records->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
        [this](const QModelIndex& current) { OnCurrentRowChanged(current.isValid() ? current.row() : -1); });
    connect(m_ui->records, &QAbstractItemView::doubleClicked, this, [this] { OnResend(); });
    connect(m_ui->records, &QWidget::customContextMenuRequested, this, &CDlgMsgRecord::OnRecordsContextMenu);
    connect(m_ui->recipients, &QWidget::customContextMenuRequested, this,
            &CDlgMsgRecord::OnRecipientsContextMenu);

    m_ui->totalLabel->hide();
    m_ui->perResend->hide();
    m_ui->statistics->hide();
}

CDlgMsgRecord::~CDlgMsgRecord() {
    // The lists may still ask for cells while they are taken down.
    m_ui->records->SetOwner(nullptr);
    m_ui->recipients->SetOwner(nullptr);
}

CVirtualListCtrl* CDlgMsgRecord::RecordList() const {
    return m_ui->records;
}

CVirtualListCtrl* CDlgMsgRecord::RecipientList() const {
    return m_ui->recipients;
}

// ---- layout --------------------------------------------------------------------

bool CDlgMsgRecord::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_ui->listArea && event->type() == QEvent::Resize)
        LayOutLists();
    return QWidget::eventFilter(watched, event);
}

void CDlgMsgRecord::LayOutLists() {
    const QRect area = m_ui->listArea->rect();
    if (m_splitX < 0)
        m_splitX = area.width() * 3 / 5;
    m_splitX = std::clamp(m_splitX, 60, std::max(60, area.width() - 60));
    const int right = m_splitX + kSplitterWidth;
    const int textHeight = area.height() / 3;
    m_ui->records->setGeometry(0, 0, m_splitX, area.height());
    m_ui->splitter->setGeometry(m_splitX, 0, kSplitterWidth, area.height());
    m_ui->recipients->setGeometry(right, 0, area.width() - right, area.height() - textHeight - 2);
    m_ui->recordText->setGeometry(right, area.height() - textHeight, area.width() - right, textHeight);
}

// ---- the query -------------------------------------------------------------------

void CDlgMsgRecord::SetupCategory() {
    const RecordCategory& c = *m_category;
    CVirtualListCtrl* list = m_ui->records;
    while (list->ColumnCount() > 0)
        list->DeleteColumn(list->ColumnCount() - 1);
    for (const RecordListColumn& col : c.columns)
        list->InsertColumn(list->ColumnCount(), col.heading, col.width);
    SetRecipientColumns();

    m_ui->kindLabel->setText(c.countLabel);
    m_ui->advancedQuery->setVisible(c.advancedQuery);
    m_ui->perResend->setVisible(c.perResend);
    m_ui->statistics->setVisible(c.statistics && g_nCustomize != 0);
    m_ui->totalLabel->setVisible(!c.totalCaption.isEmpty());
}

void CDlgMsgRecord::SetRecipientColumns() {
    CVirtualListCtrl* list = m_ui->recipients;
    while (list->ColumnCount() > 0)
        list->DeleteColumn(list->ColumnCount() - 1);
    for (const RecordListColumn& col : m_category->recipientColumns)
        list->InsertColumn(list->ColumnCount(), col.heading, col.width);
}

void CDlgMsgRecord::QueryRecords(qint64 code, const QString& filter, int sortColumn) {
    const bool newCategory = !m_category || m_code != code;
    m_code = code;
    m_querying = true;
    ClearDetail();
    m_ui->records->clearSelection();
    m_ui->records->SetItemCount(0);
    m_rows.Close();
    m_currentRow = -1;
    m_maxRowid = 0;
    m_ui->recordText->clear();
    if (newCategory)
        m_category = RecordCategoryFor(code);
    if (!m_category) {
        m_ui->recordCount->setText(QStringLiteral("0"));
        m_ui->recipientCount->setText(QStringLiteral("0"));
        m_querying = false;
        return;
    }
    if (sortColumn == -1)
        m_ui->remove->setText(m_category->IsSurvey() ? tr("发送调查记录") : tr("删除"));
    // A header click keeps the columns: they are the ones clicked.
    if (newCategory)
        SetupCategory();

    const QString order = RecordOrderClause(*m_category, sortColumn);
    if (sortColumn < 0)
        m_ui->records->ClearSortArrow();
    else
        m_ui->records->SetSortArrow(sortColumn, RecordSortState().Direction());

    const RecordListResult result =
        OpenRecordList(g_pDB, m_rows, RecordListStatement(*m_category, filter, order));
    if (!result.ok)
        LogWriteString(g_logRun, QStringLiteral("加载记录列表出错了"));
    m_maxRowid = result.maxRowid;

    m_ui->records->SetItemCount(m_rows.Count());
    m_ui->records->RedrawItems();
    m_ui->totalLabel->setText(QStringLiteral("%1: %2").arg(m_category->totalCaption).arg(result.total));
    m_ui->recordCount->setText(QString::number(m_rows.Count()));

    if (m_rows.Count() > 0) {
        m_currentRow = 0;
        LoadRecordDetail(0);
        m_ui->records->setCurrentIndex(m_ui->records->model()->index(0, 0));
        m_ui->records->selectRow(0);
    }
    m_ui->recipientCount->setText(QString::number(m_detail.Count()));
    m_querying = false;
}

void CDlgMsgRecord::Requery() {
    if (m_category)
        QueryRecords(m_code, QString(), -1);
}

void CDlgMsgRecord::ClearDetail() {
    m_detail.Close();
    m_detailStatement.clear();
    m_sendId = 0;
    m_ui->recipients->clearSelection();
    m_ui->recipients->SetItemCount(0);
    m_ui->recipientCount->setText(QStringLiteral("0"));
}

void CDlgMsgRecord::LoadRecordDetail(int row) {
    const RecordCategory& c = *m_category;
    ClearDetail();
    m_sendId = m_rows.CellText(row, c.sendIdColumn).toLongLong();
    const QString text = m_rows.CellText(row, c.TextColumn());
    if (c.IsSurvey()) {
        const QString from = m_rows.CellText(row, c.SubmitTimeColumn());
        const QString to = m_rows.CellText(row, c.surveyEndColumn);
        m_detailStatement = RecordDetailStatement(c, m_sendId, from, to);
        m_ui->recordText->setPlainText(SurveyText(SurveyNoReplyCount(g_pDB, m_sendId, from, to), text));
    } else {
        m_detailStatement = RecordDetailStatement(c, m_sendId);
        m_ui->recordText->setPlainText(text);
    }
    if (!m_detail.Open(g_pDB, m_detailStatement, RowOrder::Fixed)) {
        LogWriteString(g_logRun, QStringLiteral("加载记录列表出错了"));
        m_detail.Close();
    }
    m_ui->recipients->SetItemCount(m_detail.Count());
    m_ui->recipients->RedrawItems();
    m_ui->recipientCount->setText(QString::number(m_detail.Count()));
}

void CDlgMsgRecord::OnCurrentRowChanged(int row) {
    if (m_querying || row < 0 || row == m_currentRow)
        return;
    m_currentRow = row;
    g_hStatusBar(2, tr("正在处理..."));
    // Later, so the status text is painted before the recipients load.
    QMetaObject::invokeMethod(this, &CDlgMsgRecord::ShowCurrentRecord, Qt::QueuedConnection);
}

void CDlgMsgRecord::ShowCurrentRecord() {
    if (m_category && m_currentRow >= 0 && m_currentRow < m_rows.Count())
        LoadRecordDetail(m_currentRow);
    g_hStatusBar(2, QString());
}

QString CDlgMsgRecord::RecordCellText(int row, int column) {
    if (!m_category || column < 0 || column >= static_cast<int>(m_category->columns.size()))
        return {};
    return m_rows.CellText(row, column);
}

QString CDlgMsgRecord::RecipientCellText(int row, int column) {
    if (!m_category || column < 0 || column >= static_cast<int>(m_category->recipientColumns.size()))
        return {};
    const QString text = m_detail.CellText(row, column);
    return column == 1 ? MaskNumber(text) : text;
}

void CDlgMsgRecord::OnHeaderClicked(int column) {
    // The date filter is not kept: a header click sorts the whole category.
    if (m_category)
        QueryRecords(m_code, QString(), column);
}

void CDlgMsgRecord::OnDateQuery() {
    if (!m_category)
        return;
    QueryRecords(
        m_code,
        RecordDateFilter(TickedDate(m_ui->fromTick, m_ui->fromDate), TickedDate(m_ui->toTick, m_ui->toDate)),
        -1);
}

void CDlgMsgRecord::OnAdvancedQuery() {
    if (!m_category)
        return;
    CDlgSeniorQuery dialog(this);
    // The survey's list shows failed rows too, so its condition adds no
    // draft and failure terms.
    dialog.SetSurveyMode(m_category->IsSurvey());
    dialog.SetFieldNames(m_category->fieldNames);
    if (const std::optional<QString> condition = dialog.RunForCondition())
        QueryRecords(m_code, *condition, -1);
}

// ---- selection -----------------------------------------------------------------

RowRanges CDlgMsgRecord::SelectedRanges() const {
    return SelectedRowRanges(m_ui->records);
}

std::vector<qint64> CDlgMsgRecord::GetDbIDofSelected() {
    std::vector<qint64> ids;
    if (!SendIdsOfRows(g_pDB, m_rows, SelectedRanges(), &ids))
        ids.clear();
    return ids;
}

int CDlgMsgRecord::SingleSelectedRow() {
    const RowRanges ranges = SelectedRanges();
    if (ranges.size() != 1 || ranges.front().first != ranges.front().second) {
        ShowMessageBox(LoadStr(179), mb::Ok | mb::IconWarning);
        return -1;
    }
    return ranges.front().first;
}

// ---- delete ----------------------------------------------------------------------

void CDlgMsgRecord::OnDeleteOrSurvey() {
    if (!m_category)
        return;
    if (m_category->IsSurvey()) {
        CDlgSendSMS composer(this, 1);
        composer.SetSurveyMode(true);
        if (RunModal(composer) == kComposerDone)
            Requery();
        return;
    }
    if (RefuseIfRightDenied(kDeleteRight))
        return;
    const RowRanges ranges = SelectedRanges();
    qint64 count = 0;
    for (const auto& [first, last] : ranges)
        count += last - first + 1;
    if (count == 0) {
        ShowMessageBox(LoadStr(180), mb::Ok | mb::IconWarning);
        return;
    }
    if (!ConfirmDeleteCount(count))
        return;
    const QString line = DeleteLogLine(*m_category, static_cast<int>(count));
    if (!line.isEmpty())
        LogWriteString(g_logRun, line);
    std::vector<qint64> ids;
    const bool ok = SendIdsOfRows(g_pDB, m_rows, ranges, &ids) && DeleteSentRecords(g_pDB, ids);
    QueryRecords(m_code, QString(), -1);
    ShowDeleteOutcome(ok);
}

void CDlgMsgRecord::OnDeleteAll() {
    if (!m_category || !m_category->deleteAll)
        return;
    if (RefuseIfRightDenied(kDeleteRight))
        return;
    const bool ok = DeleteAllSmsRecords(g_pDB, m_category->kind, m_maxRowid);
    if (!ok)
        LogWriteString(g_logRun, QStringLiteral("删除记录出错了"));
    QueryRecords(m_code, QString(), -1);
    ShowDeleteOutcome(ok);
}

// ---- hand-overs --------------------------------------------------------------------

void CDlgMsgRecord::OnForward() {
    if (!m_category)
        return;
    const int row = SingleSelectedRow();
    if (row >= 0)
        HandOver(row, false);
}

void CDlgMsgRecord::OnResend() {
    if (!m_category)
        return;
    const int row = SingleSelectedRow();
    if (row >= 0)
        HandOver(row, true);
}

void CDlgMsgRecord::HandOver(int row, bool resend) {
    const RecordCategory& c = *m_category;
    const qint64 sendId = m_rows.CellText(row, c.sendIdColumn).toLongLong();
    const QString text = m_rows.CellText(row, c.TextColumn());
    QStringList triples;
    if (resend) {
        g_hStatusBar(2, tr("正在处理..."));
        QString detail = RecordDetailStatement(c, sendId);
        if (c.IsSurvey())
            detail = RecordDetailStatement(c, sendId, m_rows.CellText(row, c.SubmitTimeColumn()),
                                           m_rows.CellText(row, c.surveyEndColumn));
        RecipientTriples(g_pDB, detail, &triples);
        g_hStatusBar(2, QString());
    }
    int result = 0;
    switch (c.channel) {
    case RecordChannel::Sms: {
        CDlgSendSMS composer(this, 1);
        composer.SetPrefillContent(text);
        if (c.IsSurvey()) {
            composer.SetSurveyMode(true);
        } else {
            composer.SetLoadedRecordId(static_cast<int>(sendId));
            // A draft or failed record is replaced by what is sent or saved;
            // a sent one stays.
            composer.SetKeepRecord(c.kind == RecordKind::Sent);
        }
        if (!triples.isEmpty())
            composer.SetNumberTriples(triples);
        result = RunModal(composer);
        break;
    }
    case RecordChannel::Fax: {
        CDlgSendFax composer(this);
        QStringList numbers;
        for (int i = 0; i + 2 < triples.size(); i += 3)
            numbers << triples.at(i);
        composer.SetNumbers(numbers);
        result = RunModal(composer);
        break;
    }
    case RecordChannel::Email: {
        CDlgSendEmail composer(this);
        result = RunModal(composer);
        break;
    }
    case RecordChannel::Mms: {
        CDlgSendMMS composer(this);
        composer.SetTitle(text);
        // A draft or failed record is replaced by the first save; a sent one stays.
        composer.SetStoredRecord(static_cast<int>(sendId), c.kind != RecordKind::Sent);
        if (!triples.isEmpty())
            composer.SetNumberTriples(triples);
        result = RunModal(composer);
        break;
    }
    case RecordChannel::Voice: {
        CDlgSendSound composer(this);
        result = RunModal(composer);
        break;
    }
    }
    if (result == kComposerDone)
        Requery();
}

void CDlgMsgRecord::OnPerResend() {
    if (!m_category || !m_category->perResend)
        return;
    const std::vector<qint64> ids = GetDbIDofSelected();
    if (ids.empty()) {
        ShowMessageBox(LoadStr(229), mb::Ok | mb::IconWarning);
        return;
    }
    CDlgPerMSG dialog(this);
    dialog.SetResendRecords(ids);
    if (RunModal(dialog) == kComposerDone)
        Requery();
}

void CDlgMsgRecord::OnStatistics() {
    DlgTJRecord dialog(this);
    RunModal(dialog);
}

void CDlgMsgRecord::OnRelevantReply() {
    if (!m_category || !m_category->replySearch)
        return;
    const int row = SingleSelectedRow();
    if (row < 0)
        return;
    DlgRelevantReplySMS dialog(m_rows.CellText(row, m_category->subNumberColumn), this);
    RunModal(dialog);
}

void CDlgMsgRecord::OnSeekNumber() {
    if (!m_category || !m_category->recipientMenu || m_sendId == 0)
        return;
    DlgSeekNum dialog(m_sendId, this);
    if (RunModal(dialog) != 1003)
        return;
    const int position = dialog.FoundPosition(); // 1-based
    CVirtualListCtrl* list = m_ui->recipients;
    if (position < 1 || position > list->ItemCount())
        return;
    QAbstractItemModel* model = list->model();
    list->scrollTo(model->index(std::min(position, list->ItemCount() - 1), 0));
    list->scrollTo(model->index(position - 1, 0));
    list->setCurrentIndex(model->index(position - 1, 0));
    list->selectRow(position - 1);
}

// ---- export --------------------------------------------------------------------------

void CDlgMsgRecord::OnExport() {
    if (!m_category || RefuseIfRightDenied(kExportRight))
        return;
    const QString chosen = ChooseSaveFile(this, tr("Microsoft Excel文件(*.xlsx)|*.xlsx||"), m_category->title,
                                          QStringLiteral("xlsx"));
    if (chosen.isEmpty())
        return;
    std::vector<int> columns;
    for (int i = 0; i < static_cast<int>(m_category->columns.size()); ++i)
        columns.push_back(i);
    const RecordExportResult result = ExportRecordsXlsx(
        XlsxFileName(chosen), m_category->title, m_category->exportNames, RowSourceReader(m_rows, columns));
    if (result.ok) {
        ShowMessageBox(LoadStr(228), mb::Ok | mb::IconInformation);
        return;
    }
    LogWriteString(g_logRun, QStringLiteral("ERROR,CDlgMsgRecord::ExportRecordsToExcel,") + result.error);
    ShowMessageBox(tr("Excel组件存在问题，导出失败。将导出csv格式文件"), mb::Ok | mb::IconWarning);
    ExportCsvFallback();
}

void CDlgMsgRecord::ExportCsvFallback() {
    const QString chosen =
        ChooseSaveFile(this, tr("CSV文件(*.csv)|*.csv||"), m_category->title, QStringLiteral("csv"));
    if (chosen.isEmpty())
        return;
    std::vector<int> columns;
    for (int i = 0; i < static_cast<int>(m_category->columns.size()); ++i)
        columns.push_back(i);
    const RecordExportResult result =
        ExportRecordsCsv(chosen, m_category->exportNames, RowSourceReader(m_rows, columns));
    if (result.ok) {
        ShowMessageBox(LoadStr(228), mb::Ok | mb::IconInformation);
        return;
    }
    LogWriteString(g_logRun, QStringLiteral("ERROR,CDlgMsgRecord::ExportRecordsToCsv,") + result.error);
    ShowMessageBox(tr("导出记录失败"), mb::Ok | mb::IconWarning);
}

void CDlgMsgRecord::OnExportNumbers() {
    if (!m_category || !m_category->recipientMenu || m_detailStatement.isEmpty())
        return;
    if (RefuseIfRightDenied(kExportRight))
        return;
    const QString chosen =
        ChooseSaveFile(this, tr("CSV文件(*.csv)|*.csv||"), tr("号码列表"), QStringLiteral("csv"));
    if (chosen.isEmpty())
        return;
    QString error;
    if (ExportNumberList(g_pDB, m_detailStatement, chosen, &error)) {
        ShowMessageBox(LoadStr(228), mb::Ok | mb::IconInformation);
        return;
    }
    LogWriteString(g_logRun, QStringLiteral("ERROR,CDlgMsgRecord::ExportNumbers,") + error);
    ShowMessageBox(tr("导出记录失败"), mb::Ok | mb::IconWarning);
}

// ---- menus ------------------------------------------------------------------------------

std::unique_ptr<QMenu> CDlgMsgRecord::BuildRecordMenu(bool onRow) {
    auto menu = std::make_unique<QMenu>(this);
    if (!m_category)
        return menu;
    AddMenuEntry(menu.get(), 10002, tr("转发"), onRow);
    AddMenuEntry(menu.get(), 10003, tr("重发"), onRow);
    menu->addSeparator();
    AddMenuEntry(menu.get(), 10004, tr("导出"), true);
    if (m_category->replySearch)
        AddMenuEntry(menu.get(), 10001, tr("相应的回复记录"), onRow);
    if (!m_category->IsSurvey()) {
        menu->addSeparator();
        AddMenuEntry(menu.get(), 10005, tr("删除"), onRow);
    }
    if (m_category->deleteAll)
        AddMenuEntry(menu.get(), 10006, tr("删除全部记录"), onRow);
    return menu;
}

std::unique_ptr<QMenu> CDlgMsgRecord::BuildRecipientMenu() {
    auto menu = std::make_unique<QMenu>(this);
    if (!m_category || !m_category->recipientMenu)
        return menu;
    AddMenuEntry(menu.get(), 10007, tr("导出"), true);
    AddMenuEntry(menu.get(), 10008, tr("查询"), true);
    return menu;
}

void CDlgMsgRecord::OnRecordsContextMenu(const QPoint& pos) {
    const bool onRow = m_ui->records->indexAt(pos).isValid();
    std::unique_ptr<QMenu> menu = BuildRecordMenu(onRow);
    if (menu->isEmpty())
        return;
    if (QAction* chosen = menu->exec(m_ui->records->viewport()->mapToGlobal(pos)))
        OnMenuCommand(chosen->data().toInt());
}

void CDlgMsgRecord::OnRecipientsContextMenu(const QPoint& pos) {
    std::unique_ptr<QMenu> menu = BuildRecipientMenu();
    if (menu->isEmpty())
        return;
    if (QAction* chosen = menu->exec(m_ui->recipients->viewport()->mapToGlobal(pos)))
        OnMenuCommand(chosen->data().toInt());
}

void CDlgMsgRecord::OnMenuCommand(int id) {
    switch (id) {
    case 10001:
        OnRelevantReply();
        break;
    case 10002:
        OnForward();
        break;
    case 10003:
        OnResend();
        break;
    case 10004:
        OnExport();
        break;
    case 10005:
        if (m_category && !m_category->IsSurvey())
            OnDeleteOrSurvey();
        break;
    case 10006:
        OnDeleteAll();
        break;
    case 10007:
        OnExportNumbers();
        break;
    case 10008:
        OnSeekNumber();
        break;
    default:
        break;
    }
}
