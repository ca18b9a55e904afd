#pragma once
// Chooses which fields in use are list columns and in which order. The name
// and the mobile number are always columns.
#include <QDialog>

#include <memory>

namespace Ui {
class CDlgAlterFieldOrder;
}
class QListWidget;

class CDlgAlterFieldOrder : public QDialog {
    Q_OBJECT
public:
    explicit CDlgAlterFieldOrder(QWidget* parent = nullptr);
    ~CDlgAlterFieldOrder() override;

    void OnUp();
    void OnDown();
    void OnHideOne();
    void OnHideAll();
    void OnShowOne();
    void OnShowAll();
    // Stores the order; ends with 1003, or stays open after a failed save.
    void OnSave();

public slots:
    // "取消", Esc and the close box end with the cancel result; nothing is stored.
    void reject() override;

private:
    // Enables the buttons from the two lists' selections and counts.
    void UpdateButtons();
    void MoveRow(int from, int to);

    std::unique_ptr<Ui::CDlgAlterFieldOrder> m_ui;
};
