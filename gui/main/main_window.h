#pragma once
// The main window. For now a placeholder that shows who is logged in; the
// menu, group tree and views come in a later version.
#include <QDialog>
#include <QStringList>

#include <memory>

class CCorvelaneDlg : public QDialog {
    Q_OBJECT
public:
    // Takes the login's rights array and publishes it as g_pLoginRights.
    explicit CCorvelaneDlg(std::unique_ptr<QStringList> loginRights, QWidget* parent = nullptr);
    ~CCorvelaneDlg() override;
};

// "%s 当前登录权限--%s": the product name and the kind of the login.
QString MainWindowTitle(const QStringList* rights);
