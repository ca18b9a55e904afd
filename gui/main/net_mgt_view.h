#pragma once
// A view of the main window's right pane for the service's web sites: it
// names the page of the selected tree entry (the self-service list or the
// administration) and opens it in the user's browser on request.
#include <QWidget>

#include <memory>

namespace Ui {
class CDlgNetMGT;
}

class CDlgNetMGT : public QWidget {
    Q_OBJECT
public:
    // The tree entry that stands for the self-service list; every other code
    // stands for the administration.
    static constexpr qint64 kSelfServiceNode = 1000006000;

    explicit CDlgNetMGT(QWidget* parent = nullptr);
    ~CDlgNetMGT() override;

    // The code of the selected tree entry: chooses the page.
    void SetNodeCode(qint64 code);
    qint64 nodeCode() const { return m_nodeCode; }

    // "在浏览器中打开": opens the page; false when it could not be opened
    // (the reason is in the run log).
    bool OnOpenInBrowser();

private:
    std::unique_ptr<Ui::CDlgNetMGT> m_ui;
    qint64 m_nodeCode = kSelfServiceNode;
};
