#pragma once
// "关于": the product's name, version, copyright, web address and telephone
// numbers, from the OEM settings, so a reseller's edition shows its own texts.
#include <QDialog>

#include <memory>

namespace Ui {
class CDlgAbout;
}

class CDlgAbout : public QDialog {
    Q_OBJECT
public:
    explicit CDlgAbout(QWidget* parent = nullptr);
    ~CDlgAbout() override;

    // The program's version number, shown as "%.2f" (4.61 gives "4.61").
    void SetVersion(double version);

    // The link: opens g_strCompanyUrl in the user's browser when it is not
    // empty. False when nothing was opened.
    bool OnClickLink();

public slots:
    // Esc and the close box end with IDCANCEL; the button with IDOK.
    void reject() override;

private:
    std::unique_ptr<Ui::CDlgAbout> m_ui;
};
