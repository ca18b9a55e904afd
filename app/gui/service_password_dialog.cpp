#include "app/gui/service_password_dialog.h"

#include "app/core/account.h"
#include "app/core/database.h"
#include "app/core/login_accounts.h"
#include "app/core/string_table.h"
#include "platform/msgbox.h"
#include "service/web_service_client.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int kServicePasswordMaxLength = 11;

QLineEdit* PasswordBox(const char* id, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(id));
    edit->setEchoMode(QLineEdit::Password);
    edit->setMaxLength(kServicePasswordMaxLength);
    return edit;
}

} // namespace

CDlgModiSerPWD::CDlgModiSerPWD(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("CDlgModiSerPWD"));
    setWindowTitle(tr("修改序列号密码"));

    m_current = PasswordBox("1014", this);
    m_new = PasswordBox("21015", this);
    m_confirm = PasswordBox("31016", this);
    auto* ok = new QPushButton(tr("确定"), this);
    ok->setObjectName(QStringLiteral("1"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(tr("取消"), this);
    cancel->setObjectName(QStringLiteral("2"));

    auto* boxes = new QFormLayout;
    boxes->addRow(tr("原密码:"), m_current);
    boxes->addRow(tr("新密码:"), m_new);
    boxes->addRow(tr("确认新密码:"), m_confirm);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(boxes);
    layout->addLayout(buttons);

    connect(ok, &QPushButton::clicked, this, &CDlgModiSerPWD::OnOK);
    connect(cancel, &QPushButton::clicked, this, &CDlgModiSerPWD::reject);
    m_current->setFocus();
}

CDlgModiSerPWD::~CDlgModiSerPWD() = default;

void CDlgModiSerPWD::reject() { done(1002); }

void CDlgModiSerPWD::OnOK() {
    const QString newPassword = m_new->text();
    const AccountFields account = g_pAccount.get();
    if (const int refusal = CheckServicePasswordInput(m_current->text(), newPassword, m_confirm->text(),
                                                      account[kAccountPassword])) {
        ShowMessageBox(LoadStr(refusal), mb::Ok | mb::IconWarning);
        return;
    }
    int result;
    {
        CWebServiceClient client(account[kAccountSerial], account[kAccountPassword]);
        // A refusal or a network failure has been shown by the call itself.
        result = client.CallUDPPwd(newPassword);
    }
    if (result != 0)
        return;
    if (!StoreServicePassword(g_pDB, newPassword)) {
        ShowMessageBox(LoadStr(222), mb::Ok | mb::IconWarning);
        return;
    }
    ShowMessageBox(LoadStr(219), mb::Ok | mb::IconInformation);
    done(1003);
}
