#include "gui/sms/interactive_msg_dialog.h"

#include "core/app_globals.h"
#include "core/log.h"
#include "core/string_table.h"
#include "gui/sms/condi_dialog.h"
#include "gui/sms/condi_list_dialog.h"
#include "gui/widgets/modal_runner.h"
#include "gui/widgets/widget_helpers.h"
#include "platform/msgbox.h"

#include "ui_interactive_msg_dialog.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTextCursor>

#include <algorithm>

namespace {

// The stored (Chinese) names of fields and comparisons ride along with the
// shown ones, so a rule saved in English reads the same as one saved in Chinese.
constexpr int kKeyRole = Qt::UserRole;

enum Column { RelationColumn, FieldColumn, SymbolColumn, ValueColumn };

// A fixed name (the text field, a comparison) in the user's language; contact
// field names are the user's own and stay as they are.
QString Shown(const QString& key) {
    return QCoreApplication::translate("CDlgInteractiveMSG", key.toUtf8().constData());
}

QTableWidgetItem* Item(const QString& text, const QString& key = QString()) {
    auto* item = new QTableWidgetItem(text);
    if (!key.isNull())
        item->setData(kKeyRole, key);
    return item;
}

} // namespace

CDlgInteractiveMSG::CDlgInteractiveMSG(QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CDlgInteractiveMSG>()) {
    m_ui->setupUi(this);
    ApplyControlIds(this);

    QTableWidget* list = m_ui->conditions;
    list->setHorizontalHeaderLabels({tr("关系"), tr("查询字段"), tr("条件"), tr("查询内容")});
    list->setColumnWidth(RelationColumn, 60);
    list->setColumnWidth(FieldColumn, 140);
    list->setColumnWidth(SymbolColumn, 90);

    m_fields = LoadFieldInfo();
    const QString textField = kRuleTextField.toString();
    m_ui->field->addItem(Shown(textField), textField);
    for (const FIELDINFO& f : m_fields) {
        m_ui->field->addItem(f.name, f.name);
        m_ui->insertField->addItem(f.name, f.name);
    }
    for (const QString& symbol : RuleComparisonNames())
        m_ui->comparison->addItem(Shown(symbol), symbol);
    // Nothing is chosen until the user chooses.
    m_ui->field->setCurrentIndex(-1);
    m_ui->comparison->setCurrentIndex(-1);
    m_ui->insertField->setCurrentIndex(-1);

    m_ui->unsubscribe->setText(ReadUnsubscribeCode(g_strAccountIni));

    connect(m_ui->add, &QPushButton::clicked, this, &CDlgInteractiveMSG::OnAdd);
    connect(m_ui->remove, &QPushButton::clicked, this, &CDlgInteractiveMSG::OnDelete);
    connect(m_ui->removeAll, &QPushButton::clicked, this, &CDlgInteractiveMSG::OnDeleteAll);
    connect(m_ui->save, &QPushButton::clicked, this, &CDlgInteractiveMSG::OnSave);
    connect(m_ui->open, &QPushButton::clicked, this, &CDlgInteractiveMSG::OnOpen);
    connect(m_ui->insertField, &QComboBox::activated, this, &CDlgInteractiveMSG::OnInsertField);
}

CDlgInteractiveMSG::~CDlgInteractiveMSG() = default;

void CDlgInteractiveMSG::accept() {}

void CDlgInteractiveMSG::reject() {
    done(IDCANCEL);
}

void CDlgInteractiveMSG::OnAdd() {
    const QString value = m_ui->value->text();
    if (m_ui->field->currentIndex() < 0 || m_ui->comparison->currentIndex() < 0 || value.isEmpty()) {
        ShowMessageBox(LoadStr(211), mb::Ok | mb::IconWarning);
        return;
    }
    AppendCondition({m_ui->field->currentData(kKeyRole).toString(),
                     m_ui->comparison->currentData(kKeyRole).toString(), value});
}

void CDlgInteractiveMSG::AppendCondition(const RuleCondition& condition) {
    QTableWidget* list = m_ui->conditions;
    const int row = list->rowCount();
    list->insertRow(row);
    list->setItem(row, RelationColumn, Item(QString()));
    const bool fixedField = condition.field == kRuleTextField;
    list->setItem(row, FieldColumn, Item(fixedField ? Shown(condition.field) : condition.field, condition.field));
    list->setItem(row, SymbolColumn, Item(Shown(condition.symbol), condition.symbol));
    list->setItem(row, ValueColumn, Item(condition.value));
    UpdateRelations();
}

void CDlgInteractiveMSG::UpdateRelations() {
    QTableWidget* list = m_ui->conditions;
    for (int row = 0; row < list->rowCount(); ++row)
        list->item(row, RelationColumn)->setText(row == 0 ? QString() : tr("并且"));
}

void CDlgInteractiveMSG::OnDelete() {
    QTableWidget* list = m_ui->conditions;
    std::vector<int> rows;
    for (const QModelIndex& index : list->selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.rbegin(), rows.rend());
    for (int row : rows)
        list->removeRow(row);
    UpdateRelations();
}

void CDlgInteractiveMSG::OnDeleteAll() {
    m_ui->conditions->setRowCount(0);
}

std::vector<RuleCondition> CDlgInteractiveMSG::Conditions() const {
    const QTableWidget* list = m_ui->conditions;
    std::vector<RuleCondition> rows;
    rows.reserve(static_cast<size_t>(list->rowCount()));
    for (int row = 0; row < list->rowCount(); ++row) {
        rows.push_back({list->item(row, FieldColumn)->data(kKeyRole).toString(),
                        list->item(row, SymbolColumn)->data(kKeyRole).toString(),
                        list->item(row, ValueColumn)->text()});
    }
    return rows;
}

void CDlgInteractiveMSG::OnSave() {
    // The reply is stored as typed, only trimmed.
    const QString reply = m_ui->reply->toPlainText().trimmed();
    const std::vector<RuleCondition> rows = Conditions();
    if (reply.isEmpty() || rows.empty()) {
        ShowMessageBox(LoadStr(210), mb::Ok | mb::IconWarning);
        return;
    }

    CDlgCondi naming(this);
    naming.SetName(m_lastOpenedName);
    if (RunModal(naming) != 1003)
        return;

    m_savedId = 0;
    if (const std::optional<std::string> statement = BuildRuleStatement(rows, m_fields))
        m_savedId = SaveRule(naming.Name(), naming.NameExisted(), reply, *statement, rows);

    // The unsubscribe code is kept whatever became of the rule.
    if (!WriteUnsubscribeCode(g_strAccountIni, m_ui->unsubscribe->text()))
        LogWrite(g_logRun, "ERROR,CDlgInteractiveMSG,cannot write " + LogEscape(g_strAccountIni));

    if (m_savedId <= 0) {
        ShowMessageBox(tr("保存失败"), mb::Ok | mb::IconWarning);
        return;
    }
    // The unsubscribe code stays: it is the account's, not the rule's.
    m_ui->value->clear();
    m_ui->reply->clear();
    m_ui->conditions->setRowCount(0);
    ShowMessageBox(LoadStr(165), mb::Ok | mb::IconInformation);
}

void CDlgInteractiveMSG::OnOpen() {
    CDlgCondiList chooser(this);
    if (RunModal(chooser) != 1003)
        return;
    m_ui->conditions->setRowCount(0);
    m_lastOpenedName = chooser.ChosenName();
    const std::optional<OpenedRule> rule = OpenRule(chooser.ChosenId());
    if (!rule)
        return;
    for (const RuleCondition& row : rule->rows)
        AppendCondition(row);
    m_ui->reply->setPlainText(rule->reply);
}

void CDlgInteractiveMSG::OnInsertField(int index) {
    if (index < 0)
        return;
    const QString marker = QStringLiteral("<%") + m_ui->insertField->itemData(index, kKeyRole).toString() +
                           QStringLiteral("%>");
    QTextCursor caret = m_ui->reply->textCursor();
    caret.insertText(marker);
    m_ui->reply->setTextCursor(caret);
    m_ui->reply->setFocus();
}
