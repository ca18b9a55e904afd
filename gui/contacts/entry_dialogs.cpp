#include "gui/contacts/entry_dialogs.h"

#include "contacts/number_entry.h"
#include "gui/main/app_control.h"
#include "gui/main/gui_globals.h"
#include "gui/widgets/widget_helpers.h"

#include "ui_add_fax_no_dialog.h"
#include "ui_add_group_dialog.h"
#include "ui_add_mail_addr_dialog.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QTextEdit>

CEntryDialog::CEntryDialog(QWidget* parent) : QDialog(parent) {}

CEntryDialog::~CEntryDialog() = default;

void CEntryDialog::SetTextBox(QTextEdit* box) {
    m_richBox = box;
    m_lineBox = nullptr;
    box->setFont(g_fontNormal);
    box->setFocus();
}

void CEntryDialog::SetTextBox(QLineEdit* box) {
    m_lineBox = box;
    m_richBox = nullptr;
    box->setFocus();
}

void CEntryDialog::ConnectButtons(QAbstractButton* ok, QAbstractButton* cancel) {
    connect(ok, &QAbstractButton::clicked, this, &CEntryDialog::accept);
    connect(cancel, &QAbstractButton::clicked, this, &CEntryDialog::reject);
}

QString CEntryDialog::BoxText() const {
    if (m_richBox)
        return m_richBox->toPlainText();
    return m_lineBox ? m_lineBox->text() : QString();
}

bool CEntryDialog::CheckBoxNotEmpty() {
    if (m_richBox)
        return CheckEditNotEmpty(m_richBox);
    return CheckEditNotEmpty(m_lineBox);
}

void CEntryDialog::accept() {
    OnOK();
}

void CEntryDialog::reject() {
    // Blanks alone are nothing to lose; a quit of the program asks nothing.
    if (!QuitRequested() && !ConfirmCloseIfEdited(EntryText(BoxText()), 0))
        return;
    done(1002);
}

void CEntryDialog::OnOK() {
    if (!CheckBoxNotEmpty())
        return;
    m_text = EntryText(BoxText());
    done(1003);
}

CDlgAddFaxNO::CDlgAddFaxNO(QWidget* parent)
    : CEntryDialog(parent), m_ui(std::make_unique<Ui::CDlgAddFaxNO>()) {
    m_ui->setupUi(this);
    ApplyControlIds(this);
    SetTextBox(m_ui->textBox);
    ConnectButtons(m_ui->ok, m_ui->cancel);
}

CDlgAddFaxNO::~CDlgAddFaxNO() = default;

CDlgAddMailAddr::CDlgAddMailAddr(QWidget* parent)
    : CEntryDialog(parent), m_ui(std::make_unique<Ui::CDlgAddMailAddr>()) {
    m_ui->setupUi(this);
    ApplyControlIds(this);
    SetTextBox(m_ui->textBox);
    ConnectButtons(m_ui->ok, m_ui->cancel);
}

CDlgAddMailAddr::~CDlgAddMailAddr() = default;

CDlgAddGroup::CDlgAddGroup(QWidget* parent)
    : CEntryDialog(parent), m_ui(std::make_unique<Ui::CDlgAddGroup>()) {
    m_ui->setupUi(this);
    ApplyControlIds(this);
    SetTextBox(m_ui->groupName);
    ConnectButtons(m_ui->ok, m_ui->cancel);
}

CDlgAddGroup::~CDlgAddGroup() = default;
