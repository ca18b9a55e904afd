#pragma once
// "查询": finds one recipient of a send record by number or by name. With
// "定位到所查询的记录" ticked a find ends the dialog with 1003, and the
// records page scrolls its recipient list to FoundPosition() and selects
// that row.
#include <QDialog>
#include <QtGlobal>

#include <memory>

namespace Ui {
class DlgSeekNum;
}

class DlgSeekNum : public QDialog {
    Q_OBJECT
public:
    DlgSeekNum(qint64 sendId, QWidget* parent = nullptr);
    ~DlgSeekNum() override;

    // "查找" (1137).
    void OnSeek();
    // The 1-based place of the found recipient in the recipient list; 0
    // before a located find.
    int FoundPosition() const { return m_position; }
    qint64 SendId() const { return m_sendId; }

public slots:
    // Enter does nothing; the dialog ends by its buttons, Esc or the close box.
    void accept() override;
    void reject() override;

private:
    std::unique_ptr<Ui::DlgSeekNum> m_ui;
    qint64 m_sendId;
    int m_position = 0;
};
