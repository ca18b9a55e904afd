#include "gui/main/login_dialog.h"

#include "core/app_globals.h"
#include "core/database.h"
#include "core/login_accounts.h"
#include "core/string_table.h"
#include "gui/widgets/widget_helpers.h"
#include "platform/msgbox.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

constexpr int kLoginPasswordMaxLength = 20;

QLabel* Label(const char* id, const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(id));
    return label;
}

} // namespace

CDlgModifyLogPW::CDlgModifyLogPW(bool login, const QStringList* currentRights, QWidget* parent)
    : QDialog(parent), m_login(login) {
    // Without the rights of whoever is logged in, nobody is taken for the
    // administrator.
    m_operatorOnly = !login && (!currentRights || currentRights->isEmpty() ||
                                !currentRights->front().startsWith(QLatin1String("AD")));

    setObjectName(QStringLiteral("CDlgModifyLogPW"));
    setWindowTitle(tr("修改登录密码"));

    m_admin = new QRadioButton(tr("管理员"), this);
    m_admin->setObjectName(QStringLiteral("1023"));
    m_operator = new QRadioButton(tr("操作员"), this);
    m_operator->setObjectName(QStringLiteral("1024"));
    m_passwordLabel = Label("1114", tr("密码"), this);
    m_password = MakePasswordBox(this, "1014", kLoginPasswordMaxLength);
    m_newLabel = Label("1115", tr("新密码:"), this);
    m_newPassword = MakePasswordBox(this, "1015", kLoginPasswordMaxLength);
    m_confirmLabel = Label("1116", tr("确认新密码:"), this);
    m_confirm = MakePasswordBox(this, "1016", kLoginPasswordMaxLength);
    m_tip = Label("1113", tr("提示:软件初始密码为空."), this);
    const OkCancelRow buttons = MakeOkCancelRow(this, tr("确定"), tr("取消"));
    m_ok = buttons.ok;

    auto* kinds = new QHBoxLayout;
    kinds->addWidget(m_admin);
    kinds->addWidget(m_operator);
    kinds->addStretch();
    auto* boxes = new QGridLayout;
    boxes->addWidget(m_passwordLabel, 0, 0);
    boxes->addWidget(m_password, 0, 1);
    boxes->addWidget(m_newLabel, 1, 0);
    boxes->addWidget(m_newPassword, 1, 1);
    boxes->addWidget(m_confirmLabel, 2, 0);
    boxes->addWidget(m_confirm, 2, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(kinds);
    layout->addLayout(boxes);
    layout->addWidget(m_tip);
    layout->addLayout(buttons.layout);

    connect(m_ok, &QPushButton::clicked, this, &CDlgModifyLogPW::OnOK);
    connect(buttons.cancel, &QPushButton::clicked, this, &CDlgModifyLogPW::reject);
    OnInitDialog();
}

CDlgModifyLogPW::~CDlgModifyLogPW() = default;

std::unique_ptr<QStringList> CDlgModifyLogPW::takeRights() { return std::move(m_rights); }

void CDlgModifyLogPW::reject() { done(1002); }

void CDlgModifyLogPW::OnInitDialog() {
    m_admin->setChecked(true);
    if (!m_login) {
        m_passwordLabel->hide();
        m_password->hide();
        if (m_operatorOnly) {
            m_admin->setEnabled(false);
            m_operator->setChecked(true);
        }
        m_newPassword->setFocus();
        return;
    }
    setWindowTitle(g_strAppTitle + QStringLiteral("--") + LoadStr(102));
    m_passwordLabel->setText(LoadStr(103));
    m_password->setFixedSize(130, 22);
    m_newLabel->hide();
    m_newPassword->hide();
    m_confirmLabel->hide();
    m_confirm->hide();
    m_tip->setText(LoadStr(104));
    m_ok->setText(LoadStr(102));
    m_password->setFocus();
}

void CDlgModifyLogPW::OnOK() {
    if (m_login)
        LoginOK();
    else
        ChangeOK();
}

void CDlgModifyLogPW::LoginOK() {
    m_rights.reset();
    const LoginKind kind = m_admin->isChecked() ? LoginKind::Administrator : LoginKind::Operator;
    auto rights = std::make_unique<QStringList>();
    switch (ReadLoginRights(g_pDB, kind, *rights)) {
    case LoginReadResult::QueryFailed:
        ShowMessageBox(LoadStr(215), mb::Ok | mb::IconError);
        return;
    case LoginReadResult::AccountMissing:
        ShowMessageBox(LoadStr(216), mb::Ok | mb::IconWarning);
        return;
    case LoginReadResult::Ok:
        break;
    }
    if (!CheckLoginPassword(*rights, m_password->text())) {
        ShowMessageBox(LoadStr(217), mb::Ok | mb::IconWarning);
        return;
    }
    m_rights = std::move(rights);
    done(1003);
}

void CDlgModifyLogPW::ChangeOK() {
    const QString password = m_newPassword->text();
    if (password != m_confirm->text()) {
        ShowMessageBox(LoadStr(218), mb::Ok | mb::IconWarning);
        return;
    }
    const LoginKind kind =
        m_admin->isChecked() && !m_operatorOnly ? LoginKind::Administrator : LoginKind::Operator;
    // A failure is logged by ChangeLoginPassword; the user may try again.
    if (!ChangeLoginPassword(g_pDB, kind, password))
        return;
    ShowMessageBox(LoadStr(219), mb::Ok | mb::IconInformation);
    done(1003);
}
