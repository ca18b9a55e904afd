#pragma once
// "语音短信信息安全责任书": the information-security statement for voice
// messages. The picture is the resource ":/resbook/statement.png"
// (resources/resbook/), which an edition may replace with its own.
#include <QDialog>

#include <memory>

namespace Ui {
class CDlgResBook;
}

class CDlgResBook : public QDialog {
    Q_OBJECT
public:
    explicit CDlgResBook(QWidget* parent = nullptr);
    ~CDlgResBook() override;

public slots:
    // Esc and the close box end with IDCANCEL.
    void reject() override;

private:
    std::unique_ptr<Ui::CDlgResBook> m_ui;
};
