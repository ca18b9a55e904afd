#pragma once
// The administrator's choice of what the operator may do: one check box per
// right (control 10099 + right number), stored in accountInfo. The flags take
// effect at the operator's next login.
#include <QDialog>
#include <QStringList>

#include <array>
#include <memory>

class QCheckBox;

namespace Ui {
class CDlgOperatorRights;
}

class CDlgOperatorRights : public QDialog {
    Q_OBJECT
public:
    // `rights`: a rights array (element n the flag of right n) whose flags
    // the boxes start from; boxes beyond its end start unchecked.
    explicit CDlgOperatorRights(const QStringList* rights, QWidget* parent = nullptr);
    ~CDlgOperatorRights() override;

    // "修改": stores every box; ends with 1003 once all of them are stored.
    void OnOK();

public slots:
    // "退出", Esc and the close box end with 1002 without saving.
    void reject() override;

private:
    void OnInitDialog(const QStringList* rights);

    std::unique_ptr<Ui::CDlgOperatorRights> m_ui;
    // Index = right number; null for 0 and for the right without a box.
    std::array<QCheckBox*, 21> m_boxes{};
};
