#pragma once
// "分割": a bare dialog the main window shows; OK ("分割") and Cancel only
// close it.
#include <QDialog>

#include <memory>

namespace Ui {
class CDlgDataSplit;
}

class CDlgDataSplit : public QDialog {
    Q_OBJECT
public:
    explicit CDlgDataSplit(QWidget* parent = nullptr);
    ~CDlgDataSplit() override;

public slots:
    // OK ends with IDOK, Cancel, Esc and the close box with IDCANCEL.
    void accept() override;
    void reject() override;

private:
    std::unique_ptr<Ui::CDlgDataSplit> m_ui;
};
