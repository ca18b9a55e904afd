#include "gui/main/service_password_dialog.h"

#include "core/account.h"
#include "core/database.h"
#include "core/login_accounts.h"
#include "core/string_table.h"
#include "gui/widgets/widget_helpers.h"
#include "platform/msgbox.h"
#include "service/web_service_client.h"

#include "ui_service_password_dialog.h"

#include <QLineEdit>
#include <QPushButton>

CDlgModiSerPWD::CDlgModiSerPWD(QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CDlgModiSerPWD>()) {
    m_ui->setupUi(this);
    ApplyControlIds(this);
    connect(m_ui->ok, &QPushButton::clicked, this, &CDlgModiSerPWD::OnOK);
    connect(m_ui->cancel, &QPushButton::clicked, this, &CDlgModiSerPWD::reject);
    m_ui->current->setFocus();
}

CDlgModiSerPWD::~CDlgModiSerPWD() = default;

void CDlgModiSerPWD::reject() { done(1002); }

void CDlgModiSerPWD::OnOK() {
    const QString newPassword = m_ui->newPassword->text();
    const AccountFields account = g_pAccount.get();
    if (const int refusal = CheckServicePasswordInput(m_ui->current->text(), newPassword,
                                                      m_ui->confirm->text(), account[kAccountPassword])) {
        ShowMessageBox(LoadStr(refusal), mb::Ok | mb::IconWarning);
        return;
    }
    int result;
    {
        CWebServiceClient client(account[kAccountSerial], account[kAccountPassword]);
        // A refusal or a network failure has been shown by the call itself.
        result = client.CallUDPPwd(newPassword);
    }
    // Any answer that is not a failure code means the service took the new
    // password; keeping the old one here would lock this client out.
    if (result < 0)
        return;
    if (!StoreServicePassword(g_pDB, newPassword)) {
        ShowMessageBox(LoadStr(222), mb::Ok | mb::IconWarning);
        return;
    }
    ShowMessageBox(LoadStr(219), mb::Ok | mb::IconInformation);
    done(1003);
}
