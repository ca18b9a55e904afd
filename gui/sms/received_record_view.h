#pragma once
// The received messages in the main window's right pane: a list that pages
// its rows from the database, unread messages in red until a click marks
// them read, the date query, the advanced query and the saved condition,
// forward, reply, delete, export (or the customer's report), save as
// contact and the interactive SMS rules.
//
// The main window makes the page once and keeps it; on every selection of
// the received node it calls QueryRecords (with the saved condition when
// "显示条件推送" is chosen), and after anything that may renumber rowids
// (VACUUM) it calls Requery(). The received-traffic job calls
// QueryRecords after each batch it stored.
#include "gui/widgets/virtual_list_ctrl.h"
#include "sms/received_records.h"

#include <QDialog>
#include <QString>

#include <memory>
#include <vector>

namespace Ui {
class CDlgMsgRecord1Received;
}
class CDlgWeibo;
class QMenu;
class QModelIndex;

class CDlgMsgRecord1Received : public QDialog, public VirtualListOwner {
    Q_OBJECT
public:
    explicit CDlgMsgRecord1Received(QWidget* parent);
    ~CDlgMsgRecord1Received() override;

    // (Re)loads the list: `filter` is SQL appended after "WHERE 1=1 " (empty,
    // or beginning " AND " / " OR "; the table's alias is `a`), `sortColumn`
    // -1 the default order, 0..5 sorts by that column as a header click does.
    void QueryRecords(const QString& filter, int sortColumn);
    // The last query again, selection cleared.
    void Requery();

    // A button (1003-1028) or a context-menu command (10001-10005).
    void OnCommand(int id);
    // The context menu for a right click on `row` (-1: no row); its actions
    // carry their command ids as object names.
    std::unique_ptr<QMenu> CreateContextMenu(int row);
    // A click on a row: it becomes current and is marked read.
    void OnRowClicked(int row);

    // The microblog page is made only when this is set before the page is
    // first shown; it then covers the page and goes with it. The tree sets it
    // when the OEM file says ShowWeibo.
    void SetMicroblogFlag(bool on) { m_microblog = on; }
    bool MicroblogFlag() const { return m_microblog; }
    // Null without the flag.
    CDlgWeibo* MicroblogPage() const { return m_weibo; }

    // ---- state, for the main window and the tests
    CVirtualListCtrl* List() const;
    ReceivedRecords& Records() { return m_records; }
    int CurrentRow() const { return m_currentRow; }
    bool CustomerReport() const { return m_customerReport; }
    // The selected rows as spans, in list order.
    std::vector<RowSpan> SelectedSpans() const;

    // VirtualListOwner
    void CacheHint(int first, int last) override;
    QString CellText(int row, int column) override;
    std::optional<bool> CellChecked(int row, int column) override;
    void SetCellChecked(int row, int column, bool checked) override;
    std::optional<QRgb> RowTextColor(int row) override;
    bool HeaderClicked(int column) override;

public slots:
    // Esc must not take the page out of the main window.
    void reject() override {}

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void ShowList(int sortColumn);
    void OnContextMenu(const QPoint& pos);
    int SingleSelectedRow() const;
    void QueryByDate();
    void SeniorQuery();
    void Forward();
    void Reply();
    void DeleteSelected();
    void Export();
    void ExportCustomerReport();
    void SaveAsContact();
    void ShowBySettings(bool some);

    std::unique_ptr<Ui::CDlgMsgRecord1Received> m_ui;
    ReceivedRecords m_records;
    int m_currentRow = -1;
    bool m_customerReport = false;
    bool m_microblog = false;
    CDlgWeibo* m_weibo = nullptr;
    bool m_loadFailureLogged = false;
};
