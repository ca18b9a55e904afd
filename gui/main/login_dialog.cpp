#include "gui/main/login_dialog.h"

#include "core/app_globals.h"
#include "core/database.h"
#include "core/login_accounts.h"
#include "core/string_table.h"
#include "gui/widgets/widget_helpers.h"
#include "platform/msgbox.h"

#include "ui_login_dialog.h"

#include <QLineEdit>
#include <QPushButton>

CDlgModifyLogPW::CDlgModifyLogPW(bool login, const QStringList* currentRights, QWidget* parent)
    : QDialog(parent), m_login(login), m_ui(std::make_unique<Ui::CDlgModifyLogPW>()) {
    // Without the rights of whoever is logged in, nobody is taken for the
    // administrator.
    m_operatorOnly = !login && (!currentRights || currentRights->isEmpty() ||
                                !currentRights->front().startsWith(QLatin1String("AD")));

    m_ui->setupUi(this);
    ApplyControlIds(this);
    connect(m_ui->ok, &QPushButton::clicked, this, &CDlgModifyLogPW::OnOK);
    connect(m_ui->cancel, &QPushButton::clicked, this, &CDlgModifyLogPW::reject);
    OnInitDialog();
}

CDlgModifyLogPW::~CDlgModifyLogPW() = default;

std::unique_ptr<QStringList> CDlgModifyLogPW::takeRights() { return std::move(m_rights); }

void CDlgModifyLogPW::reject() { done(1002); }

void CDlgModifyLogPW::OnInitDialog() {
    m_ui->adminRadio->setChecked(true);
    if (!m_login) {
        // The form leaves the tip (1113) empty: the note about the initial
        // password belongs to the login, not to a change made after one.
        m_ui->passwordLabel->hide();
        m_ui->password->hide();
        if (m_operatorOnly) {
            m_ui->adminRadio->setEnabled(false);
            m_ui->operatorRadio->setChecked(true);
        }
        m_ui->newPassword->setFocus();
        return;
    }
    setWindowTitle(g_strAppTitle + QStringLiteral("--") + LoadStr(102));
    m_ui->passwordLabel->setText(LoadStr(103));
    m_ui->password->setFixedSize(130, 22);
    m_ui->newPasswordLabel->hide();
    m_ui->newPassword->hide();
    m_ui->confirmLabel->hide();
    m_ui->confirm->hide();
    m_ui->tip->setText(LoadStr(104));
    m_ui->ok->setText(LoadStr(102));
    m_ui->password->setFocus();
}

void CDlgModifyLogPW::OnOK() {
    if (m_login)
        LoginOK();
    else
        ChangeOK();
}

void CDlgModifyLogPW::LoginOK() {
    m_rights.reset();
    const LoginKind kind = m_ui->adminRadio->isChecked() ? LoginKind::Administrator : LoginKind::Operator;
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
    if (!CheckLoginPassword(*rights, m_ui->password->text())) {
        ShowMessageBox(LoadStr(217), mb::Ok | mb::IconWarning);
        return;
    }
    m_rights = std::move(rights);
    done(1003);
}

void CDlgModifyLogPW::ChangeOK() {
    const QString password = m_ui->newPassword->text();
    if (password != m_ui->confirm->text()) {
        ShowMessageBox(LoadStr(218), mb::Ok | mb::IconWarning);
        return;
    }
    const LoginKind kind =
        m_ui->adminRadio->isChecked() && !m_operatorOnly ? LoginKind::Administrator : LoginKind::Operator;
    // A failure is logged by ChangeLoginPassword; the user may try again.
    if (!ChangeLoginPassword(g_pDB, kind, password))
        return;
    ShowMessageBox(LoadStr(219), mb::Ok | mb::IconInformation);
    done(1003);
}
