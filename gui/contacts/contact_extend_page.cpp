#include "gui/contacts/contact_extend_page.h"

#include "core/log.h"
#include "core/sql.h"
#include "gui/contacts/input_limit.h"
#include "gui/contacts/optional_date_edit.h"
#include "gui/main/gui_globals.h"

#include "ui_contact_extend_page.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>

#include <algorithm>

namespace {

enum class FieldKind { Text, Number, Bool, Date };

// The kind follows the field id, so a control always writes the column its
// id stands for.
FieldKind KindOf(int fieldId) {
    if (fieldId <= 27)
        return FieldKind::Text;
    if (fieldId <= 30)
        return FieldKind::Number;
    if (fieldId <= 32)
        return FieldKind::Bool;
    return FieldKind::Date;
}

const QString kYes = QStringLiteral("是");
const QString kNo = QStringLiteral("否");

} // namespace

CDlgContactExtend::CDlgContactExtend(QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::CDlgContactExtend>()) {
    m_ui->setupUi(this);
    // The controls are made here, so they take the dialogs' shared font.
    setFont(g_fontNormal);
    SqlStatement st(g_pDB,
                    "SELECT name,nameOfValue,fieldId,indexField FROM fieldDisplay WHERE fieldId>20 AND "
                    "inUse=1 ORDER BY indexField");
    int rc = SQLITE_ERROR;
    if (st.ok()) {
        while ((rc = st.step()) == SQLITE_ROW) {
            const int id = static_cast<int>(st.int64(2));
            const bool known =
                id >= 21 && id <= 34 &&
                std::none_of(m_fields.begin(), m_fields.end(), [id](const auto& f) { return f->id == id; });
            if (known)
                AddField(st.qtext(0), id);
        }
    }
    if (rc != SQLITE_DONE)
        LogWrite(g_logRun, "加载已存在的自定义字段出错了");
}

CDlgContactExtend::~CDlgContactExtend() = default;

void CDlgContactExtend::AddField(const QString& name, int fieldId) {
    // Two fields to a line.
    const int index = static_cast<int>(m_fields.size());
    const int row = index / 2;
    const int column = (index % 2) * 2;
    auto field = std::make_unique<Field>();
    field->id = fieldId;
    Field* f = field.get();
    QWidget* control = nullptr;
    switch (KindOf(fieldId)) {
    case FieldKind::Text:
    case FieldKind::Number: {
        auto* edit = new QLineEdit(this);
        LimitUserInput(edit, KindOf(fieldId) == FieldKind::Text ? 250 : 20);
        if (KindOf(fieldId) == FieldKind::Number)
            edit->setValidator(
                new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
        control = edit;
        break;
    }
    case FieldKind::Bool: {
        auto* box = new QCheckBox(this);
        connect(box, &QCheckBox::clicked, this, [f] { f->edited = true; });
        control = box;
        break;
    }
    case FieldKind::Date:
        control = new OptionalDateEdit(this);
        break;
    }
    control->setObjectName(QString::number(fieldId));
    field->control = control;
    auto* label = new QLabel(name + QLatin1Char(':'), this);
    m_ui->fieldGrid->addWidget(label, row, column);
    m_ui->fieldGrid->addWidget(control, row, column + 1);
    m_ui->fieldGrid->setRowMinimumHeight(row, 22);
    m_fields.push_back(std::move(field));
}

void CDlgContactExtend::SetRecord(const CONTACTINFO& record) {
    for (const auto& f : m_fields) {
        const QString value = *ContactText(record, f->id);
        f->edited = false;
        switch (KindOf(f->id)) {
        case FieldKind::Text:
        case FieldKind::Number:
            static_cast<QLineEdit*>(f->control)->setText(value);
            break;
        case FieldKind::Bool:
            static_cast<QCheckBox*>(f->control)->setChecked(value == kYes);
            break;
        case FieldKind::Date:
            static_cast<OptionalDateEdit*>(f->control)->setStoredText(value);
            break;
        }
    }
}

void CDlgContactExtend::FillRecord(CONTACTINFO& record) const {
    for (const auto& f : m_fields) {
        QString& out = *ContactText(record, f->id);
        switch (KindOf(f->id)) {
        case FieldKind::Text:
        case FieldKind::Number:
            out = static_cast<QLineEdit*>(f->control)->text();
            break;
        case FieldKind::Bool:
            if (f->edited)
                out = static_cast<QCheckBox*>(f->control)->isChecked() ? kYes : kNo;
            break;
        case FieldKind::Date: {
            const auto* picker = static_cast<OptionalDateEdit*>(f->control);
            if (picker->edited())
                out = picker->textToStore();
            break;
        }
        }
    }
}

std::vector<int> CDlgContactExtend::FieldsWithoutControl() const {
    std::vector<int> out;
    for (int id = 21; id <= 34; ++id) {
        if (std::none_of(m_fields.begin(), m_fields.end(), [id](const auto& f) { return f->id == id; }))
            out.push_back(id);
    }
    return out;
}
