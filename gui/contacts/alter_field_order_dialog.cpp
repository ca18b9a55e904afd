#include "gui/contacts/alter_field_order_dialog.h"

#include "contacts/field_settings.h"
#include "gui/widgets/widget_helpers.h"
#include "platform/msgbox.h"

#include "ui_alter_field_order_dialog.h"

#include <QListWidget>
#include <QPushButton>

#include <vector>

namespace {

int FieldIdOf(const QListWidgetItem* item) {
    return item->data(Qt::UserRole).toInt();
}

QListWidgetItem* NewFieldItem(const FieldEntry& field) {
    auto* item = new QListWidgetItem(field.name);
    item->setData(Qt::UserRole, field.fieldId);
    return item;
}

std::vector<int> FieldIds(const QListWidget* list) {
    std::vector<int> ids;
    for (int i = 0; i < list->count(); ++i)
        ids.push_back(FieldIdOf(list->item(i)));
    return ids;
}

} // namespace

CDlgAlterFieldOrder::CDlgAlterFieldOrder(QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CDlgAlterFieldOrder>()) {
    m_ui->setupUi(this);
    ApplyControlIds(this);
    connect(m_ui->up, &QPushButton::clicked, this, &CDlgAlterFieldOrder::OnUp);
    connect(m_ui->down, &QPushButton::clicked, this, &CDlgAlterFieldOrder::OnDown);
    connect(m_ui->hideOne, &QPushButton::clicked, this, &CDlgAlterFieldOrder::OnHideOne);
    connect(m_ui->hideAll, &QPushButton::clicked, this, &CDlgAlterFieldOrder::OnHideAll);
    connect(m_ui->showOne, &QPushButton::clicked, this, &CDlgAlterFieldOrder::OnShowOne);
    connect(m_ui->showAll, &QPushButton::clicked, this, &CDlgAlterFieldOrder::OnShowAll);
    connect(m_ui->save, &QPushButton::clicked, this, &CDlgAlterFieldOrder::OnSave);
    connect(m_ui->cancel, &QPushButton::clicked, this, &CDlgAlterFieldOrder::reject);

    std::vector<FieldEntry> visible;
    std::vector<FieldEntry> hidden;
    LoadFieldOrder(visible, hidden);
    for (const FieldEntry& field : visible)
        m_ui->visibleFields->addItem(NewFieldItem(field));
    for (const FieldEntry& field : hidden)
        m_ui->hiddenFields->addItem(NewFieldItem(field));
    connect(m_ui->visibleFields, &QListWidget::currentRowChanged, this, &CDlgAlterFieldOrder::UpdateButtons);
    connect(m_ui->hiddenFields, &QListWidget::currentRowChanged, this, &CDlgAlterFieldOrder::UpdateButtons);
    UpdateButtons();
}

CDlgAlterFieldOrder::~CDlgAlterFieldOrder() = default;

void CDlgAlterFieldOrder::MoveRow(int from, int to) {
    QListWidget* list = m_ui->visibleFields;
    QListWidgetItem* item = list->takeItem(from);
    list->insertItem(to, item);
    list->setCurrentRow(to);
    UpdateButtons();
}

void CDlgAlterFieldOrder::OnUp() {
    const int row = m_ui->visibleFields->currentRow();
    if (row > 0)
        MoveRow(row, row - 1);
}

void CDlgAlterFieldOrder::OnDown() {
    const int row = m_ui->visibleFields->currentRow();
    if (row >= 0 && row + 1 < m_ui->visibleFields->count())
        MoveRow(row, row + 1);
}

void CDlgAlterFieldOrder::OnHideOne() {
    QListWidget* visible = m_ui->visibleFields;
    const int row = visible->currentRow();
    if (row < 0 || IsFieldAlwaysVisible(FieldIdOf(visible->item(row))))
        return;
    m_ui->hiddenFields->addItem(visible->takeItem(row));
    UpdateButtons();
}

void CDlgAlterFieldOrder::OnHideAll() {
    QListWidget* visible = m_ui->visibleFields;
    for (int row = 0; row < visible->count();) {
        if (IsFieldAlwaysVisible(FieldIdOf(visible->item(row))))
            ++row;
        else
            m_ui->hiddenFields->addItem(visible->takeItem(row));
    }
    UpdateButtons();
}

void CDlgAlterFieldOrder::OnShowOne() {
    QListWidget* hidden = m_ui->hiddenFields;
    const int row = hidden->currentRow();
    if (row < 0)
        return;
    m_ui->visibleFields->addItem(hidden->takeItem(row));
    UpdateButtons();
}

void CDlgAlterFieldOrder::OnShowAll() {
    QListWidget* hidden = m_ui->hiddenFields;
    while (hidden->count() > 0)
        m_ui->visibleFields->addItem(hidden->takeItem(0));
    UpdateButtons();
}

void CDlgAlterFieldOrder::UpdateButtons() {
    const QListWidget* visible = m_ui->visibleFields;
    const QListWidget* hidden = m_ui->hiddenFields;
    const int row = visible->currentRow();
    const bool selected = row >= 0 && row < visible->count();
    m_ui->up->setEnabled(selected && row > 0);
    m_ui->down->setEnabled(selected && row + 1 < visible->count());
    int hideable = 0;
    for (int i = 0; i < visible->count(); ++i)
        hideable += IsFieldAlwaysVisible(FieldIdOf(visible->item(i))) ? 0 : 1;
    m_ui->hideAll->setEnabled(hideable > 0);
    m_ui->hideOne->setEnabled(hideable > 0 && selected &&
                              !IsFieldAlwaysVisible(FieldIdOf(visible->item(row))));
    const bool anyHidden = hidden->count() > 0;
    m_ui->showAll->setEnabled(anyHidden);
    m_ui->showOne->setEnabled(anyHidden && hidden->currentRow() >= 0);
}

void CDlgAlterFieldOrder::OnSave() {
    if (!SaveFieldOrder(FieldIds(m_ui->visibleFields), FieldIds(m_ui->hiddenFields))) {
        ShowMessageBox(tr("保存字段设置失败"), mb::Ok | mb::IconWarning);
        return;
    }
    done(1003);
}

void CDlgAlterFieldOrder::reject() {
    done(2);
}
