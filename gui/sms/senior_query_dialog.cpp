#include "gui/sms/senior_query_dialog.h"

#include "core/app_globals.h"
#include "core/database.h"
#include "core/log.h"
#include "core/string_table.h"
#include "gui/widgets/modal_runner.h"
#include "gui/widgets/widget_helpers.h"
#include "platform/ini.h"
#include "platform/msgbox.h"
#include "sms/record_search.h"

#include "ui_senior_query_dialog.h"

#include <QDateEdit>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>

#include <set>

CDlgSeniorQuery::CDlgSeniorQuery(QWidget* parent) : QDialog(parent), m_ui(std::make_unique<Ui::CDlgSeniorQuery>()) {
    m_ui->setupUi(this);
    ApplyControlIds(this);

    QTableWidget* list = m_ui->conditions;
    list->setColumnCount(4);
    list->setHorizontalHeaderLabels({tr("关系"), tr("查询字段"), tr("条件"), tr("查询内容")});
    const int widths[] = {40, 90, 80, 100};
    for (int c = 0; c < 4; ++c)
        list->setColumnWidth(c, widths[c]);
    list->horizontalHeader()->setStretchLastSection(true);
    list->verticalHeader()->hide();
    list->setShowGrid(true);

    m_ui->dateValue->setDate(QDate::currentDate());
    m_ui->dateValue->hide();
    m_ui->save->hide();

    connect(m_ui->field, &QComboBox::currentIndexChanged, this, &CDlgSeniorQuery::OnFieldChanged);
    connect(m_ui->add, &QPushButton::clicked, this, &CDlgSeniorQuery::OnAdd);
    connect(m_ui->remove, &QPushButton::clicked, this, &CDlgSeniorQuery::OnDelete);
    connect(m_ui->removeAll, &QPushButton::clicked, this, &CDlgSeniorQuery::OnDeleteAll);
    connect(m_ui->query, &QPushButton::clicked, this, &CDlgSeniorQuery::OnQuery);
    connect(m_ui->save, &QPushButton::clicked, this, &CDlgSeniorQuery::OnSave);
}

CDlgSeniorQuery::~CDlgSeniorQuery() = default;

void CDlgSeniorQuery::SetContactsMode(bool contactsMode) {
    m_contactsMode = contactsMode;
}

void CDlgSeniorQuery::SetSurveyMode(bool surveyMode) {
    m_surveyMode = surveyMode;
}

void CDlgSeniorQuery::SetReceivedMode(bool receivedMode) {
    m_receivedMode = receivedMode;
}

void CDlgSeniorQuery::SetFields(const QStringList* displayNames, const QStringList* columnNames) {
    m_displayNames = displayNames ? *displayNames : QStringList();
    m_columnNames = columnNames ? *columnNames : QStringList();
}

void CDlgSeniorQuery::SetFieldNames(const QStringList& displayNames) {
    m_displayNames = displayNames;
}

void CDlgSeniorQuery::showEvent(QShowEvent* event) {
    if (!m_query)
        OnInitDialog();
    QDialog::showEvent(event);
}

void CDlgSeniorQuery::OnInitDialog() {
    if (m_query)
        return;
    const QueryMode mode = m_contactsMode   ? QueryMode::Contacts
                           : m_receivedMode ? QueryMode::Received
                           : m_surveyMode   ? QueryMode::Survey
                                            : QueryMode::Sent;
    // The received list's own fields when the opener gives none.
    if (mode == QueryMode::Received && m_displayNames.isEmpty())
        for (const QString& field : ReceivedQueryFields())
            m_displayNames << tr(field.toUtf8().constData());
    m_query = std::make_unique<AdvancedQuery>(mode, m_displayNames, m_columnNames, g_pDB);
    {
        const QSignalBlocker quiet(m_ui->field);
        m_ui->field->clear();
        m_ui->field->addItems(m_displayNames);
        m_ui->field->setCurrentIndex(-1);
    }
    m_ui->op->setCurrentIndex(-1);
    m_ui->andJoin->setChecked(true);
    m_ui->save->setVisible(mode == QueryMode::Received);
    OnFieldChanged(m_ui->field->currentIndex());
}

void CDlgSeniorQuery::OnFieldChanged(int field) {
    const bool time = m_query && m_query->IsTimeField(field);
    m_ui->dateValue->setVisible(time);
    m_ui->value->setVisible(!time);
    if (!time)
        m_ui->value->clear();
}

void CDlgSeniorQuery::OnAdd() {
    OnInitDialog();
    const int field = m_ui->field->currentIndex();
    const int op = m_ui->op->currentIndex();
    if (field < 0 || op < 0) {
        ShowMessageBox(LoadStr(211), mb::Ok | mb::IconWarning);
        return;
    }
    const QString value = m_query->IsTimeField(field) ? m_ui->dateValue->date().toString(QStringLiteral("yyyy-MM-dd"))
                                                      : m_ui->value->text();
    switch (m_query->Add(field, op, value, m_ui->orJoin->isChecked())) {
    case AdvancedQuery::AddResult::Added:
        break;
    case AdvancedQuery::AddResult::EmptyValue:
        ShowMessageBox(LoadStr(312), mb::Ok | mb::IconWarning);
        return;
    case AdvancedQuery::AddResult::NoFieldOrOperator:
        ShowMessageBox(LoadStr(211), mb::Ok | mb::IconWarning);
        return;
    case AdvancedQuery::AddResult::UnknownColumn:
        // A field whose column the table does not have never enters the SQL.
        LogWriteString(g_logRun, QStringLiteral("高级查询字段没有对应的列: ") + m_ui->field->currentText());
        ShowMessageBox(LoadStr(211), mb::Ok | mb::IconWarning);
        return;
    }
    RefreshList();
}

void CDlgSeniorQuery::OnDelete() {
    OnInitDialog();
    std::set<int> rows;
    for (const QModelIndex& index : m_ui->conditions->selectionModel()->selectedRows())
        rows.insert(index.row());
    if (rows.empty()) {
        ShowMessageBox(LoadStr(180), mb::Ok | mb::IconWarning);
        return;
    }
    if (!ConfirmDeleteCount(static_cast<qint64>(rows.size())))
        return;
    m_query->Remove(std::vector<int>(rows.begin(), rows.end()));
    RefreshList();
}

void CDlgSeniorQuery::OnDeleteAll() {
    OnInitDialog();
    m_query->Clear();
    RefreshList();
}

QString CDlgSeniorQuery::Filter() const {
    return m_query ? QString::fromStdString(m_query->Filter()) : QString();
}

int CDlgSeniorQuery::ConditionCount() const {
    return m_query ? m_query->Count() : 0;
}

void CDlgSeniorQuery::OnQuery() {
    OnInitDialog();
    if (m_query->IsEmpty()) {
        ShowMessageBox(LoadStr(311), mb::Ok | mb::IconWarning);
        return;
    }
    m_result = Filter();
    done(1003);
    emit ConditionChosen(m_result);
}

std::optional<QString> CDlgSeniorQuery::RunForCondition() {
    std::optional<QString> chosen;
    const QMetaObject::Connection c =
        connect(this, &CDlgSeniorQuery::ConditionChosen, this, [&](const QString& text) { chosen = text; });
    RunModal(*this);
    disconnect(c);
    return chosen;
}

void CDlgSeniorQuery::OnSave() {
    OnInitDialog();
    if (m_query->IsEmpty()) {
        ShowMessageBox(LoadStr(311), mb::Ok | mb::IconWarning);
        return;
    }
    m_result = Filter();
    if (!ini::WriteString(g_strAccountIni, QStringLiteral("ReceiveMsg"), QStringLiteral("Sql"), m_result)) {
        LogWriteString(g_logRun, QStringLiteral("保存高级查询条件出错了: ") + g_strAccountIni);
        return;
    }
    ShowMessageBox(LoadStr(165), mb::Ok | mb::IconInformation);
    done(1003);
}

void CDlgSeniorQuery::RefreshList() {
    QTableWidget* list = m_ui->conditions;
    list->clearContents();
    list->setRowCount(m_query->Count());
    for (int r = 0; r < m_query->Count(); ++r) {
        QStringList cells = m_query->Cells(r);
        // The relation and the operator in the language of the form.
        for (int c : {0, 2})
            if (!cells[c].isEmpty())
                cells[c] = tr(cells[c].toUtf8().constData());
        for (int c = 0; c < cells.size(); ++c)
            list->setItem(r, c, new QTableWidgetItem(cells[c]));
    }
}
