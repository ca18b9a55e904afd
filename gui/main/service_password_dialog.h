#pragma once
// Changes the service account's password: first at the messaging service,
// then in the account record and in Register.
#include <QDialog>

#include <memory>

namespace Ui {
class CDlgModiSerPWD;
}

class CDlgModiSerPWD : public QDialog {
    Q_OBJECT
public:
    explicit CDlgModiSerPWD(QWidget* parent = nullptr);
    ~CDlgModiSerPWD() override;

    // The OK button: checks the boxes, asks the service, stores the password.
    void OnOK();

public slots:
    // Esc, the close box and Cancel end with 1002.
    void reject() override;

private:
    std::unique_ptr<Ui::CDlgModiSerPWD> m_ui;
};
