#include "gui/contacts/add_tel_code_dialog.h"

#include "contacts/number_entry.h"
#include "core/database.h"
#include "core/helpers.h"
#include "core/string_table.h"
#include "gui/contacts/contact_editor.h"
#include "gui/widgets/widget_helpers.h"
#include "platform/msgbox.h"

#include "ui_add_tel_code_dialog.h"

#include <QPushButton>

CDlgAddTelCode::NewContactOpener CDlgAddTelCode::s_openNewContact = OpenNewContactEditorForNumber;

CDlgAddTelCode::CDlgAddTelCode(QWidget* parent)
    : CEntryDialog(parent), m_ui(std::make_unique<Ui::CDlgAddTelCode>()) {
    m_ui->setupUi(this);
    ApplyControlIds(this);
    SetTextBox(m_ui->numbers);
    ConnectButtons(m_ui->ok, m_ui->cancel);
    connect(m_ui->addToContacts, &QPushButton::clicked, this, &CDlgAddTelCode::OnAddToContacts);
    m_ui->addToContacts->setVisible(IsLoggedInAdministrator());
}

CDlgAddTelCode::~CDlgAddTelCode() = default;

void CDlgAddTelCode::OnOK() {
    if (!CheckBoxNotEmpty())
        return;
    m_text = EntryText(BoxText());
    if (m_numberList)
        AddEntryNumbers(m_text, *m_numberList, g_pDB);
    done(1003);
}

void CDlgAddTelCode::OnAddToContacts() {
    QString number;
    switch (CheckSingleNumber(BoxText(), &number)) {
    case SingleNumberCheck::TooLong:
        ShowMessageBox(LoadStr(163), mb::Ok | mb::IconWarning);
        return;
    case SingleNumberCheck::Refused:
        ShowMessageBox(LoadStr(164), mb::Ok | mb::IconWarning);
        return;
    case SingleNumberCheck::Accepted:
        break;
    }
    if (s_openNewContact && s_openNewContact(this, number) == 1003)
        OnOK();
}
