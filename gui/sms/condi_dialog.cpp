#include "gui/sms/condi_dialog.h"

#include "core/string_table.h"
#include "gui/widgets/widget_helpers.h"
#include "platform/msgbox.h"
#include "sms/interactive_rules.h"

#include "ui_condi_dialog.h"

#include <QComboBox>
#include <QPushButton>

CDlgCondi::CDlgCondi(QWidget* parent) : QDialog(parent), m_ui(std::make_unique<Ui::CDlgCondi>()) {
    m_ui->setupUi(this);
    ApplyControlIds(this);
    m_ui->name->addItems(ListRuleNames());
    m_ui->name->setCurrentIndex(-1);
    m_ui->name->setEditText(QString());
    connect(m_ui->save, &QPushButton::clicked, this, &CDlgCondi::OnOK);
    connect(m_ui->cancel, &QPushButton::clicked, this, &CDlgCondi::reject);
}

CDlgCondi::~CDlgCondi() = default;

void CDlgCondi::SetName(const QString& name) {
    m_ui->name->setEditText(name);
}

void CDlgCondi::OnOK() {
    const QString name = m_ui->name->currentText().trimmed();
    if (name.isEmpty()) {
        ShowMessageBox(LoadStr(177), mb::Ok | mb::IconWarning);
        m_ui->name->setFocus();
        return;
    }
    const bool existed = RuleNameExists(name);
    if (existed && ShowMessageBox(LoadStr(178), mb::YesNo | mb::IconQuestion) != IDYES)
        return;
    m_name = name;
    m_existed = existed;
    done(1003);
}

void CDlgCondi::accept() {
    OnOK();
}

void CDlgCondi::reject() {
    done(IDCANCEL);
}
