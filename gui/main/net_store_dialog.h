#pragma once
// The network disk ("网盘硬盘"): the service's page opens in the user's
// browser as soon as the dialog shows; the dialog says whether it did.
#include <QDialog>

#include <memory>

namespace Ui {
class CDlgNetStore;
}

class CDlgNetStore : public QDialog {
    Q_OBJECT
public:
    explicit CDlgNetStore(QWidget* parent = nullptr);
    ~CDlgNetStore() override;

    // True once the page went to the browser.
    bool pageOpened() const { return m_opened; }

public slots:
    // "关闭", Esc and the close box end with IDCANCEL.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void OpenPage();

    std::unique_ptr<Ui::CDlgNetStore> m_ui;
    bool m_tried = false;
    bool m_opened = false;
};
