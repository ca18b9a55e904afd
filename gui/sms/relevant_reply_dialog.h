#pragma once
// "相应的回复记录": the received messages that answer one send (by its reply
// sub-number), each with the sender's contact details, and their export to
// an .xlsx file.
#include "gui/widgets/virtual_list_ctrl.h"

#include <QDialog>
#include <QStringList>

#include <memory>
#include <vector>

namespace Ui {
class DlgRelevantReplySMS;
}

class DlgRelevantReplySMS : public QDialog, public VirtualListOwner {
    Q_OBJECT
public:
    // `subNumber`: the send's send_receive_Num as text. The replies load at once.
    explicit DlgRelevantReplySMS(const QString& subNumber, QWidget* parent = nullptr);
    ~DlgRelevantReplySMS() override;

    // Reads the replies again.
    void Load();
    // "导出" (1003): the listed replies to an .xlsx file (a header row even
    // when there is none), then 228, or "导出记录失败".
    void OnExport();

    int RowCount() const { return static_cast<int>(m_rows.size()); }
    // The receiveID of a row; 0 outside the list.
    qint64 ReceiveId(int row) const;

    QString CellText(int row, int column) override;
    std::optional<bool> CellChecked(int row, int column) override;

private:
    struct Reply {
        bool read = false;
        QStringList cells; // the 22 shown cells, as stored
        qint64 receiveId = 0;
    };
    // A row's 22 cells as shown and exported: the number masked for an
    // operator who holds the masking right.
    QStringList ShownCells(const Reply& reply) const;

    std::unique_ptr<Ui::DlgRelevantReplySMS> m_ui;
    int m_subNumber;
    std::vector<Reply> m_rows;
};
