#include "gui/main/service_password_dialog.h"

#include "core/account.h"
#include "core/database.h"
#include "core/login_accounts.h"
#include "core/string_table.h"
#include "gui/widgets/widget_helpers.h"
#include "platform/msgbox.h"
#include "service/web_service_client.h"

#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int kServicePasswordMaxLength = 11;

} // namespace

CDlgModiSerPWD::CDlgModiSerPWD(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("CDlgModiSerPWD"));
    setWindowTitle(tr("修改序列号密码"));

    m_current = MakePasswordBox(this, "1014", kServicePasswordMaxLength);
    m_new = MakePasswordBox(this, "21015", kServicePasswordMaxLength);
    m_confirm = MakePasswordBox(this, "31016", kServicePasswordMaxLength);
    const OkCancelRow buttons = MakeOkCancelRow(this, tr("确定"), tr("取消"));

    auto* boxes = new QFormLayout;
    boxes->addRow(tr("原密码:"), m_current);
    boxes->addRow(tr("新密码:"), m_new);
    boxes->addRow(tr("确认新密码:"), m_confirm);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(boxes);
    layout->addLayout(buttons.layout);

    connect(buttons.ok, &QPushButton::clicked, this, &CDlgModiSerPWD::OnOK);
    connect(buttons.cancel, &QPushButton::clicked, this, &CDlgModiSerPWD::reject);
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
