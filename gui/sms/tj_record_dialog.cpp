#include "gui/sms/tj_record_dialog.h"

#include "contacts/address_list.h"
#include "contacts/xlsx_writer.h"
#include "core/database.h"
#include "core/log.h"
#include "core/string_table.h"
#include "gui/widgets/modal_runner.h"
#include "gui/widgets/widget_helpers.h"
#include "platform/msgbox.h"

#include "ui_tj_record_dialog.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QPushButton>

namespace {

// The right that guards deleting statistics.
constexpr int kDeleteRight = 14;

} // namespace

DlgTJRecord::DlgTJRecord(QWidget* parent) : QDialog(parent), m_ui(std::make_unique<Ui::DlgTJRecord>()) {
    m_ui->setupUi(this);
    ApplyControlIds(this);

    CVirtualListCtrl* list = m_ui->list;
    list->InsertColumn(0, tr("短信归属"), 120);
    list->InsertColumn(1, tr("短信成功扣费条数"), 150);
    list->InsertColumn(2, tr("成功发送的手机个数"), 150);
    list->SetSortingOn(false);
    list->setShowGrid(true);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->SetOwner(this);

    SetUpTickedDate(m_ui->fromTick, m_ui->fromDate);
    SetUpTickedDate(m_ui->toTick, m_ui->toDate);

    connect(m_ui->query, &QPushButton::clicked, this, &DlgTJRecord::OnQuery);
    connect(m_ui->remove, &QPushButton::clicked, this, &DlgTJRecord::OnDelete);
    connect(m_ui->exportTotals, &QPushButton::clicked, this, &DlgTJRecord::OnExport);

    m_query = StatisticsQuery(std::string());
    Reload();
}

DlgTJRecord::~DlgTJRecord() {
    // The list may still ask for cells while it is taken down.
    m_ui->list->SetOwner(nullptr);
}

void DlgTJRecord::accept() {}

void DlgTJRecord::reject() {
    done(IDCANCEL);
}

StatisticsRange DlgTJRecord::Range() const {
    return {TickedDate(m_ui->fromTick, m_ui->fromDate), TickedDate(m_ui->toTick, m_ui->toDate)};
}

void DlgTJRecord::OnQuery() {
    m_query = StatisticsQuery(StatisticsDateCondition(Range()));
    Reload();
}

void DlgTJRecord::Reload() {
    const QString statement = QString::fromStdString(m_query);
    const QString count = QString::fromStdString(StatisticsCountQuery(m_query));
    if (!g_pCustomerDB || !m_rows.Open(g_pCustomerDB, statement, RowOrder::Paged, count)) {
        LogWriteString(g_logRun, QStringLiteral("加载记录列表出错了"));
        m_rows.Close();
    }
    m_ui->list->SetItemCount(m_rows.Count());
    m_ui->list->RedrawItems();
}

void DlgTJRecord::OnDelete() {
    if (RefuseIfRightDenied(kDeleteRight))
        return;
    const int rc =
        g_pCustomerDB ? DeleteStatistics(g_pCustomerDB, StatisticsDateCondition(Range())) : SQLITE_ERROR;
    ShowMessageBox(LoadStr(rc == SQLITE_OK ? 227 : 160), mb::Ok | mb::IconInformation);
    OnQuery();
}

void DlgTJRecord::OnExport() {
    const QString chosen =
        ChooseSaveFile(this, tr("Microsoft Excel文件(*.xlsx)|*.xlsx||"), QString(), QStringLiteral("xlsx"));
    if (chosen.isEmpty())
        return;
    QString error;
    if (g_pCustomerDB && ExportStatistics(g_pCustomerDB, m_query, XlsxFileName(chosen), &error)) {
        ShowMessageBox(LoadStr(228), mb::Ok | mb::IconInformation);
        return;
    }
    LogWriteString(g_logRun, QStringLiteral("导出统计结果失败: ") + error);
    ShowMessageBox(tr("导出记录失败"), mb::Ok | mb::IconWarning);
}

void DlgTJRecord::CacheHint(int first, int last) {
    m_rows.Hint(first, last);
}

QString DlgTJRecord::CellText(int row, int column) {
    return m_rows.CellText(row, column);
}
