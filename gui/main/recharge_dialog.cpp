#include "gui/main/recharge_dialog.h"

#include "core/account.h"
#include "core/login_accounts.h"
#include "core/string_table.h"
#include "gui/widgets/widget_helpers.h"
#include "platform/msgbox.h"
#include "service/web_service_client.h"

#include "ui_recharge_dialog.h"

#include <QLineEdit>
#include <QPushButton>

CDlgRecharge::CDlgRecharge(QWidget* parent) : QDialog(parent), m_ui(std::make_unique<Ui::CDlgRecharge>()) {
    m_ui->setupUi(this);
    ApplyControlIds(this);
    connect(m_ui->ok, &QPushButton::clicked, this, &CDlgRecharge::OnOK);
    connect(m_ui->cancel, &QPushButton::clicked, this, &CDlgRecharge::reject);
    m_ui->cardNo->setFocus();
}

CDlgRecharge::~CDlgRecharge() = default;

void CDlgRecharge::reject() { done(1002); }

void CDlgRecharge::OnOK() {
    const QString cardNo = m_ui->cardNo->text();
    const QString cardPassword = m_ui->cardPassword->text();
    if (!IsRechargeInputValid(cardNo, cardPassword)) {
        ShowMessageBox(LoadStr(250), mb::Ok | mb::IconWarning);
        return;
    }
    const AccountFields account = g_pAccount.get();
    CWebServiceClient client(account[kAccountSerial], account[kAccountPassword]);
    // A refusal or a network failure has been shown by the call itself.
    if (client.CallChargUp(cardNo, cardPassword) < 0)
        return;

    // The service answers with a result code only; the count comes from the
    // balance page. Without it the recharge is still reported, just without a count.
    QString reply;
    const int count = client.HttpGetBalance(reply) == 0 ? BalanceCountOfReply(reply) : -1;
    QString text = tr("充值成功.");
    if (count >= 0) {
        text = tr("充值成功.\n\n您当前账户可用条数为:%d");
        text.replace(QLatin1String("%d"), QString::number(count));
    }
    ShowMessageBox(text, mb::Ok | mb::IconInformation);
    done(1003);
}
