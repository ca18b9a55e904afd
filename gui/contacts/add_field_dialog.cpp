#include "gui/contacts/add_field_dialog.h"

#include "core/app_globals.h"
#include "core/string_table.h"
#include "gui/widgets/item_edit.h"
#include "gui/widgets/widget_helpers.h"
#include "platform/msgbox.h"

#include "ui_add_field_dialog.h"

#include <QEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <utility>

namespace {

constexpr int kTickColumn = 0;
constexpr int kTypeColumn = 1;
constexpr int kNameColumn = 2;

} // namespace

CDlgAddField::CDlgAddField(QWidget* parent) : QDialog(parent), m_ui(std::make_unique<Ui::CDlgAddField>()) {
    m_ui->setupUi(this);
    ApplyControlIds(this);
    connect(m_ui->ok, &QPushButton::clicked, this, &CDlgAddField::OnOK);
    connect(m_ui->cancel, &QPushButton::clicked, this, &CDlgAddField::reject);

    QTableWidget* list = m_ui->fields;
    m_fields = LoadAutoFields();
    m_reservedNames = ReservedFieldNames();
    list->setRowCount(static_cast<int>(m_fields.size()));
    for (int row = 0; row < static_cast<int>(m_fields.size()); ++row) {
        const AUTOFIELD& field = m_fields[static_cast<size_t>(row)];
        auto* tick = new QTableWidgetItem;
        tick->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        tick->setCheckState(field.inUse ? Qt::Checked : Qt::Unchecked);
        tick->setData(Qt::UserRole, field.fieldId);
        list->setItem(row, kTickColumn, tick);
        auto* type = new QTableWidgetItem(tr(AutoFieldTypeText(field.fieldId, field.nameOfValue)));
        type->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        list->setItem(row, kTypeColumn, type);
        auto* name = new QTableWidgetItem(field.name);
        name->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        list->setItem(row, kNameColumn, name);
        if (field.inUse)
            m_inUseBefore.insert(field.fieldId);
    }
    list->resizeColumnToContents(kTickColumn);
    list->resizeColumnToContents(kTypeColumn);
    connect(list, &QTableWidget::cellClicked, this, [this](int row, int column) {
        if (column == kNameColumn)
            BeginRename(row);
    });
    // Scrolling takes the box along, never sideways.
    connect(list->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] {
        if (m_renameEdit)
            m_renameEdit->setGeometry(
                m_ui->fields->visualItemRect(m_ui->fields->item(m_renameRow, kNameColumn)));
    });
}

CDlgAddField::~CDlgAddField() = default;

void CDlgAddField::BeginRename(int row) {
    QTableWidget* list = m_ui->fields;
    if (row < 0 || row >= list->rowCount())
        return;
    EndRename();
    const QRect cell = list->visualItemRect(list->item(row, kNameColumn));
    m_renameRow = row;
    m_renameEdit = new CItemEdit(cell.x(), list->viewport());
    m_renameEdit->setObjectName(QStringLiteral("renameEdit"));
    m_renameEdit->setGeometry(cell);
    m_renameEdit->setText(list->item(row, kNameColumn)->text());
    m_renameEdit->selectAll();
    m_renameEdit->installEventFilter(this);
    connect(m_renameEdit, &QLineEdit::editingFinished, this, &CDlgAddField::EndRename);
    m_renameEdit->show();
    m_renameEdit->setFocus();
}

void CDlgAddField::EndRename() {
    if (!m_renameEdit)
        return;
    // Taken first: the message box below moves the focus, which ends the
    // edit a second time.
    CItemEdit* edit = std::exchange(m_renameEdit, nullptr);
    const int row = std::exchange(m_renameRow, -1);
    const QString name = edit->text().trimmed();
    edit->hide();
    edit->deleteLater();
    const int refusal = CheckFieldName(name, m_fields, row, m_reservedNames);
    if (refusal != 0) {
        ShowMessageBox(LoadStr(refusal), mb::Ok | mb::IconWarning);
        return;
    }
    m_fields[static_cast<size_t>(row)].name = name;
    m_ui->fields->item(row, kNameColumn)->setText(name);
}

void CDlgAddField::CancelRename() {
    if (!m_renameEdit)
        return;
    CItemEdit* edit = std::exchange(m_renameEdit, nullptr);
    m_renameRow = -1;
    edit->hide();
    edit->deleteLater();
}

bool CDlgAddField::eventFilter(QObject* watched, QEvent* event) {
    // Esc in the box drops the edit instead of closing the dialog.
    if (watched == m_renameEdit && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        CancelRename();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void CDlgAddField::OnOK() {
    EndRename();
    std::vector<AUTOFIELD> rows = m_fields;
    for (int row = 0; row < static_cast<int>(rows.size()); ++row)
        rows[static_cast<size_t>(row)].inUse =
            m_ui->fields->item(row, kTickColumn)->checkState() == Qt::Checked;
    if (!SaveAutoFields(rows, m_inUseBefore, g_strAccountIni)) {
        ShowMessageBox(tr("保存字段设置失败"), mb::Ok | mb::IconWarning);
        return;
    }
    done(1003);
}

void CDlgAddField::reject() {
    CancelRename();
    done(2);
}
