#pragma once
// The login dialog and the change of a login password (administrator "AD",
// operator "OP"; the values and the operator's rights live in accountInfo).
#include <QDialog>
#include <QStringList>

#include <memory>

namespace Ui {
class CDlgModifyLogPW;
}

class CDlgModifyLogPW : public QDialog {
    Q_OBJECT
public:
    // `login`: true for the login at start, false to change a password.
    // `currentRights`: in change mode, the logged-in user's rights array (an
    // operator may change only the operator's password).
    explicit CDlgModifyLogPW(bool login, const QStringList* currentRights = nullptr, QWidget* parent = nullptr);
    ~CDlgModifyLogPW() override;

    // After 1003 in login mode: the rights array of the login; the caller owns it.
    std::unique_ptr<QStringList> takeRights();

    // The IDOK button: logs in, or stores the new password.
    void OnOK();

public slots:
    // Esc, the close box and Cancel end with 1002.
    void reject() override;

private:
    void OnInitDialog();
    void LoginOK();
    void ChangeOK();

    bool m_login;
    // Change mode: the logged-in user is not the administrator.
    bool m_operatorOnly = false;
    std::unique_ptr<QStringList> m_rights;

    std::unique_ptr<Ui::CDlgModifyLogPW> m_ui;
};
