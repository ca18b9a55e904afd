#include "gui/sms/condi_list_dialog.h"

#include "core/string_table.h"
#include "gui/widgets/widget_helpers.h"
#include "platform/msgbox.h"
#include "sms/interactive_rules.h"

#include "ui_condi_list_dialog.h"

#include <QPushButton>
#include <QTableWidget>

#include <algorithm>

namespace {

constexpr int kIdRole = Qt::UserRole;

// The selected rows, highest first, so removing one keeps the others' numbers.
std::vector<int> SelectedRows(const QTableWidget* list) {
    std::vector<int> rows;
    for (const QModelIndex& index : list->selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.rbegin(), rows.rend());
    return rows;
}

} // namespace

CDlgCondiList::CDlgCondiList(QWidget* parent) : QDialog(parent), m_ui(std::make_unique<Ui::CDlgCondiList>()) {
    m_ui->setupUi(this);
    ApplyControlIds(this);

    QTableWidget* list = m_ui->list;
    // The column title sits well into the column, as it always has.
    list->setHorizontalHeaderLabels({QString(34, QLatin1Char(' ')) + tr("名称")});
    const std::vector<RuleListEntry> rules = ListRules();
    list->setRowCount(static_cast<int>(rules.size()));
    for (int row = 0; row < list->rowCount(); ++row) {
        auto* item = new QTableWidgetItem(rules[static_cast<size_t>(row)].name);
        item->setData(kIdRole, QVariant::fromValue<qint64>(rules[static_cast<size_t>(row)].recID));
        list->setItem(row, 0, item);
    }

    connect(m_ui->ok, &QPushButton::clicked, this, &CDlgCondiList::OnOK);
    connect(m_ui->remove, &QPushButton::clicked, this, &CDlgCondiList::OnDelete);
    connect(m_ui->cancel, &QPushButton::clicked, this, &CDlgCondiList::reject);
    connect(list, &QTableWidget::cellDoubleClicked, this, [this] { OnOK(); });
}

CDlgCondiList::~CDlgCondiList() = default;

void CDlgCondiList::OnOK() {
    const std::vector<int> rows = SelectedRows(m_ui->list);
    if (rows.size() != 1) {
        ShowMessageBox(LoadStr(179), mb::Ok | mb::IconWarning);
        return;
    }
    const QTableWidgetItem* item = m_ui->list->item(rows.front(), 0);
    m_chosenId = item->data(kIdRole).toLongLong();
    m_chosenName = item->text();
    done(1003);
}

void CDlgCondiList::OnDelete() {
    for (int row : SelectedRows(m_ui->list)) {
        if (DeleteRule(m_ui->list->item(row, 0)->data(kIdRole).toLongLong()))
            m_ui->list->removeRow(row);
    }
}

void CDlgCondiList::accept() {
    OnOK();
}

void CDlgCondiList::reject() {
    done(IDCANCEL);
}
