#pragma once
// The contact list pane on the right of the main window: the contacts of
// one group (or all contacts) in a list that pages its rows from the
// database, with ticks, sorting by any field, the duplicates view, the
// illegal-number filter, delete, reordering, the editor, copy and move to
// groups and the composers for the ticked contacts.
//
// The main window makes it once and keeps it; on every selection of a group
// (or the contacts root, group 0) it calls SetGroupCaption and
// QueryContacts(group, false, -1). After anything that may renumber rowids
// (VACUUM, a restore, a cloud download) it calls Requery().
#include "contacts/contact_list_query.h"
#include "contacts/contact_selection.h"
#include "core/row_source.h"
#include "gui/widgets/virtual_list_ctrl.h"

#include <QDialog>
#include <QString>
#include <QtGlobal>

#include <functional>
#include <memory>

namespace Ui {
class CDlgContactFrame;
}
class QMenu;
class QModelIndex;
class QPushButton;

class CDlgContactFrame : public QDialog, public VirtualListOwner {
    Q_OBJECT
public:
    explicit CDlgContactFrame(QWidget* parent = nullptr);
    ~CDlgContactFrame() override;

    // (Re)builds the list: the contacts of `groupId` (all when <= 0), only
    // repeated numbers with `duplicates`, in the default order
    // (`sortColumn` -1) or sorted by list column `sortColumn` (>= 2; the
    // same column again flips the direction). The ticks are cleared.
    void QueryContacts(int groupId, bool duplicates, int sortColumn);
    // The same group and view again, ticks cleared, default order. Nothing
    // before the first query.
    void Requery();
    void SetGroupCaption(const QString& text);
    // The editor on the first row of a contact (the reminder window uses
    // it); a save re-queries the list. The editor's result.
    int ShowContactInfo(qint64 perNO);
    // Rebuilds the list columns from the visible fields.
    void BuildColumns();
    // After fieldDisplay changed: the visible fields read again, the sort
    // orders reset, the columns rebuilt and the list re-queried.
    void ReloadFields();
    // Loads the window of rows around `row`.
    void LoadRows(int row);
    // Ticks (or unticks) the rows lo..hi, both included.
    void SelectRange(int from, int to, bool tick);
    // Gives the ticked rows, in list order, display positions before every
    // other contact. False when the update failed (nothing changed).
    bool MoveSelectedToTop();

    // A button (1003-1012, 21004) or a context-menu command (10001-10023).
    void OnCommand(int id);
    // The context menu for a right click on `row` (-1: empty space); its
    // actions carry their command ids as object names.
    std::unique_ptr<QMenu> CreateContextMenu(int row);

    // Who opens the address-list picker in query mode for button 21004.
    static void SetQueryOpener(std::function<void(QWidget* parent)> opener);

    // ---- state, for the main window and the tests
    int GroupId() const { return m_groupId; }
    bool DuplicatesMode() const { return m_duplicatesMode; }
    int CurrentRow() const { return m_currentRow; }
    void SetCurrentRow(int row) { m_currentRow = row; }
    int TotalRows() const { return m_rows.Count(); }
    int TickedCount() const;
    bool IsRowTicked(int row);
    void TickRow(int row, bool ticked);
    const ContactSelection& Selection() const { return m_selection; }
    const QString& ListSql() const { return m_listSql; }
    RowSource& Rows() { return m_rows; }
    CVirtualListCtrl* List() const;

    // VirtualListOwner
    void CacheHint(int first, int last) override;
    QString CellText(int row, int column) override;
    std::optional<bool> CellChecked(int row, int column) override;
    void SetCellChecked(int row, int column, bool checked) override;
    bool HeaderClicked(int column) override;

public slots:
    // Esc must not take the pane out of the main window.
    void reject() override {}

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void RunQuery(const QString& orderBy);
    void UpdateCounts();
    void UpdateButtons();
    void OnRowClicked(const QModelIndex& index);
    void OnRowDoubleClicked(const QModelIndex& index);
    void OnContextMenu(const QPoint& pos);
    void DeleteTicked();
    void FilterIllegalNumbers();
    void ToggleDuplicates();
    void MoveCurrent(int step);
    void OpenRow(int row);
    void OpenTickedRow();
    void OpenComposer(int id);
    void CopyOrMove(bool move);
    void RunFieldDialog(int id);
    // The ticked rowids in list order.
    std::vector<qint64> TickedRowids() const;
    bool AllTicked() const;
    QPushButton* Button(int id) const;

    std::unique_ptr<Ui::CDlgContactFrame> m_ui;
    int m_groupId = -1;
    int m_currentRow = -1;
    bool m_duplicatesMode = false;
    QString m_listSql;
    QString m_currentOrder;
    int m_mobileColumn = 0;     // 1-based position of mobileNum among the fields; 0 none
    int m_mobileNameColumn = 0; // list column of the field shown as "手机或小灵通"; 0 none
    ContactSelection m_selection;
    RowSource m_rows;
    int m_toggledByBox = -1; // the row whose check box the last click set
};
