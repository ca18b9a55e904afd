#include "gui/sms/relevant_reply_dialog.h"

#include "contacts/address_list.h"
#include "contacts/xlsx_writer.h"
#include "core/database.h"
#include "core/log.h"
#include "core/numbers.h"
#include "core/sql.h"
#include "core/string_table.h"
#include "gui/widgets/modal_runner.h"
#include "gui/widgets/widget_helpers.h"
#include "platform/msgbox.h"
#include "sms/record_export.h"
#include "sms/record_search.h"

#include "ui_relevant_reply_dialog.h"

#include <QHeaderView>
#include <QPushButton>

namespace {

constexpr int kShownCells = 22;
// The cell of the sender's number among the 22 shown cells (list column 2).
constexpr int kNumberCell = 1;

struct ColumnDef {
    const char* heading;
    int width;
};

const ColumnDef kColumns[] = {
    {QT_TRANSLATE_NOOP("DlgRelevantReplySMS", "已读"), 50},      {QT_TRANSLATE_NOOP("DlgRelevantReplySMS", "姓名"), 55},
    {QT_TRANSLATE_NOOP("DlgRelevantReplySMS", "手机或小灵通"), 100},
    {QT_TRANSLATE_NOOP("DlgRelevantReplySMS", "短信内容"), 290}, {QT_TRANSLATE_NOOP("DlgRelevantReplySMS", "公司名称"), 120},
    {QT_TRANSLATE_NOOP("DlgRelevantReplySMS", "发送时间"), 120}, {QT_TRANSLATE_NOOP("DlgRelevantReplySMS", "性别"), 50},
    {QT_TRANSLATE_NOOP("DlgRelevantReplySMS", "生日"), 120},     {QT_TRANSLATE_NOOP("DlgRelevantReplySMS", "特殊日期"), 120},
    {"QQ", 120},                                                  {"MSN", 120},
    {"EMail", 120},                                               {QT_TRANSLATE_NOOP("DlgRelevantReplySMS", "家庭电话"), 120},
    {QT_TRANSLATE_NOOP("DlgRelevantReplySMS", "住址"), 120},     {QT_TRANSLATE_NOOP("DlgRelevantReplySMS", "部门"), 85},
    {QT_TRANSLATE_NOOP("DlgRelevantReplySMS", "职务"), 120},     {QT_TRANSLATE_NOOP("DlgRelevantReplySMS", "省份"), 55},
    {QT_TRANSLATE_NOOP("DlgRelevantReplySMS", "城市"), 55},      {QT_TRANSLATE_NOOP("DlgRelevantReplySMS", "地址"), 120},
    {QT_TRANSLATE_NOOP("DlgRelevantReplySMS", "行业"), 120},     {QT_TRANSLATE_NOOP("DlgRelevantReplySMS", "电话"), 120},
    {QT_TRANSLATE_NOOP("DlgRelevantReplySMS", "传真"), 120},     {QT_TRANSLATE_NOOP("DlgRelevantReplySMS", "备注"), 120},
};

} // namespace

DlgRelevantReplySMS::DlgRelevantReplySMS(const QString& subNumber, QWidget* parent)
    : QDialog(parent),
      m_ui(std::make_unique<Ui::DlgRelevantReplySMS>()),
      m_subNumber(SubNumberOf(subNumber)) {
    m_ui->setupUi(this);
    ApplyControlIds(this);

    CVirtualListCtrl* list = m_ui->list;
    int index = 0;
    for (const ColumnDef& column : kColumns)
        list->InsertColumn(index++, tr(column.heading), column.width);
    list->SetSortingOn(false);
    list->setShowGrid(true);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->SetOwner(this);

    connect(m_ui->exportReplies, &QPushButton::clicked, this, &DlgRelevantReplySMS::OnExport);
    Load();
}

DlgRelevantReplySMS::~DlgRelevantReplySMS() {
    m_ui->list->SetOwner(nullptr);
}

void DlgRelevantReplySMS::Load() {
    m_rows.clear();
    SqlStatement st(g_pDB, RelevantRepliesStatement());
    st.bind(1, m_subNumber);
    int rc = st.ok() ? st.step() : SQLITE_ERROR;
    while (rc == SQLITE_ROW) {
        Reply reply;
        reply.read = !st.isNull(0) && st.int64(0) != 0;
        reply.cells.reserve(kShownCells);
        for (int c = 1; c <= kShownCells; ++c)
            reply.cells.append(st.qtext(c));
        reply.receiveId = st.int64(kShownCells + 1);
        m_rows.push_back(std::move(reply));
        rc = st.step();
    }
    if (rc != SQLITE_DONE) {
        LogWriteString(g_logRun, QStringLiteral("加载接收到的短信记录列表出错了"));
        m_rows.clear();
    }
    m_ui->list->SetItemCount(RowCount());
    m_ui->list->RedrawItems();
}

QStringList DlgRelevantReplySMS::ShownCells(const Reply& reply) const {
    QStringList cells = reply.cells;
    cells[kNumberCell] = MaskNumber(cells[kNumberCell]);
    return cells;
}

qint64 DlgRelevantReplySMS::ReceiveId(int row) const {
    return row >= 0 && row < RowCount() ? m_rows[row].receiveId : 0;
}

QString DlgRelevantReplySMS::CellText(int row, int column) {
    if (row < 0 || row >= RowCount() || column < 1 || column > kShownCells)
        return {};
    const QString& cell = m_rows[row].cells[column - 1];
    return column - 1 == kNumberCell ? MaskNumber(cell) : cell;
}

std::optional<bool> DlgRelevantReplySMS::CellChecked(int row, int column) {
    if (column != 0 || row < 0 || row >= RowCount())
        return std::nullopt;
    return m_rows[row].read;
}

void DlgRelevantReplySMS::OnExport() {
    const QString title = QStringLiteral("相应的回复记录");
    const QString chosen =
        ChooseSaveFile(this, tr("Microsoft Excel文件(*.xlsx)|*.xlsx||"), title, QStringLiteral("xlsx"));
    if (chosen.isEmpty())
        return;
    size_t next = 0;
    const RecordExportResult result =
        ExportRecordsXlsx(XlsxFileName(chosen), title, RelevantReplyExportNames(), [&](QStringList& cells) {
            if (next >= m_rows.size())
                return RowStep::End;
            cells = ShownCells(m_rows[next++]);
            return RowStep::Row;
        });
    if (result.ok) {
        ShowMessageBox(LoadStr(228), mb::Ok | mb::IconInformation);
        return;
    }
    LogWriteString(g_logRun, QStringLiteral("导出相应的回复记录失败: ") + result.error);
    ShowMessageBox(tr("导出记录失败"), mb::Ok | mb::IconWarning);
}
