#pragma once
// Tops up the service account with a prepaid card (number and password).
#include <QDialog>

#include <memory>

namespace Ui {
class CDlgRecharge;
}

class CDlgRecharge : public QDialog {
    Q_OBJECT
public:
    explicit CDlgRecharge(QWidget* parent = nullptr);
    ~CDlgRecharge() override;

    // The OK button: checks the card's lengths and calls the service;
    // ends with 1003 after a recharge the service accepted.
    void OnOK();

public slots:
    // "取消", Esc and the close box end with 1002.
    void reject() override;

private:
    std::unique_ptr<Ui::CDlgRecharge> m_ui;
};
