#include "gui/main/recharge_dialog.h"

#include "core/account.h"
#include "core/login_accounts.h"
#include "core/string_table.h"
#include "gui/widgets/widget_helpers.h"
#include "platform/msgbox.h"
#include "service/web_service_client.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CDlgRecharge::CDlgRecharge(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("CDlgRecharge"));
    setWindowTitle(tr("账户充值"));

    auto* prompt = new QLabel(tr("请输入充值卡卡号和密码"), this);
    prompt->setObjectName(QStringLiteral("1053"));
    QFont bold = prompt->font();
    bold.setBold(true);
    prompt->setFont(bold);
    m_cardNo = new QLineEdit(this);
    m_cardNo->setObjectName(QStringLiteral("1014"));
    m_cardNo->setMaxLength(17);
    m_cardPassword = MakePasswordBox(this, "21015", 8);
    const OkCancelRow buttons = MakeOkCancelRow(this, tr("确定"), tr("取消"));

    auto* boxes = new QFormLayout;
    boxes->addRow(tr("充值卡卡号:"), m_cardNo);
    boxes->addRow(tr("充值卡密码:"), m_cardPassword);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(prompt);
    layout->addLayout(boxes);
    layout->addLayout(buttons.layout);

    connect(buttons.ok, &QPushButton::clicked, this, &CDlgRecharge::OnOK);
    connect(buttons.cancel, &QPushButton::clicked, this, &CDlgRecharge::reject);
    m_cardNo->setFocus();
}

CDlgRecharge::~CDlgRecharge() = default;

void CDlgRecharge::reject() { done(1002); }

void CDlgRecharge::OnOK() {
    const QString cardNo = m_cardNo->text();
    const QString cardPassword = m_cardPassword->text();
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
