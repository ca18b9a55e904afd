#pragma once
// The list view of the program's large lists (contacts, numbers to send to,
// records). The rows are not stored in the control: the owning dialog gives
// the row count and answers for the cells it is asked about, usually from a
// VIRTUAL_LIST. Rows have one fixed height, so a count of a million costs
// nothing until rows are painted, and before the view asks for the cells of
// a range the owner hears that range once (a cache hint) so it can load it
// at once.
//
// On top of a plain table view the control shows the full text of the cell
// under the mouse as a tool tip, keeps a sort arrow in the header that a
// click on a column flips (the owner does the sorting), and jumps to the
// released thumb position in one step.
#include <QRgb>
#include <QString>
#include <QTableView>

#include <optional>

class VirtualListModel;

// What the owning dialog answers for its list.
class VirtualListOwner {
public:
    virtual ~VirtualListOwner() = default;

    // The rows first..last (inclusive) are about to be asked for.
    virtual void CacheHint(int first, int last) {
        Q_UNUSED(first);
        Q_UNUSED(last);
    }
    // The text of one cell.
    virtual QString CellText(int row, int column) = 0;
    // The check box of a cell: none (the default), ticked or not.
    virtual std::optional<bool> CellChecked(int row, int column) {
        Q_UNUSED(row);
        Q_UNUSED(column);
        return std::nullopt;
    }
    // The text colour of a row; none (the default) keeps the view's own.
    virtual std::optional<QRgb> RowTextColor(int row) {
        Q_UNUSED(row);
        return std::nullopt;
    }
    // The user ticked or cleared the check box of a cell.
    virtual void SetCellChecked(int row, int column, bool checked) {
        Q_UNUSED(row);
        Q_UNUSED(column);
        Q_UNUSED(checked);
    }
    // A click on a column header, offered before the control moves the sort
    // arrow; true when the owner handled it (the arrow then stays).
    virtual bool HeaderClicked(int column) {
        Q_UNUSED(column);
        return false;
    }
};

class CVirtualListCtrl : public QTableView {
    Q_OBJECT
public:
    explicit CVirtualListCtrl(QWidget* parent = nullptr);
    ~CVirtualListCtrl() override;

    // The owner stays the caller's; null detaches (every cell is then empty).
    void SetOwner(VirtualListOwner* owner);
    VirtualListOwner* Owner() const;

    // Appends or inserts a column; returns its index.
    int InsertColumn(int column, const QString& heading, int width);
    // Removes a column; false when there is no such column.
    bool DeleteColumn(int column);
    int ColumnCount() const;

    // The number of rows. No work per row: only painted rows are asked for.
    void SetItemCount(int count);
    int ItemCount() const;
    // The owner's rows changed: the painted cells are asked for again.
    void RedrawItems();

    // Header clicks move the sort arrow (on by default).
    void SetSortingOn(bool on);
    bool SortingOn() const { return m_bSortingOn; }
    // The column with the arrow (-1 none) and its direction (+1 up, -1 down).
    int SortColumn() const { return m_nSortColumn; }
    int SortDirection() const { return m_nSortDirection; }
    // Removes the arrow: no sort column, direction +1.
    void ClearSortArrow();
    // Puts the arrow on `column` (+1 up, -1 down), for an owner that sorts
    // on its own rules.
    void SetSortArrow(int column, int direction);

    // Shows the full text of the cell under the mouse as a tool tip, at once.
    // Returns whether tool tips are on.
    bool InitToolTips();
    // The text the tool tip has for the cell under the mouse (empty over
    // empty space).
    QString ToolTipText() const { return m_toolTipText; }

    // The thumb position of the last thumb scroll of this list.
    int LastThumbPos() const { return m_nLastThumbPos; }

signals:
    // The arrow moved after a header click the owner left to the control.
    void sortChanged(int column, int direction);

protected:
    void paintEvent(QPaintEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    // A typed letter would search the rows one by one through the owner;
    // an owner-data list has no such search.
    void keyboardSearch(const QString& search) override;

private:
    void OnHeaderClicked(int column);
    void OnThumbReleased();
    void UpdateCellToolTip(const QPoint& viewportPos, const QPoint& globalPos);
    void HintPaintedRows();

    VirtualListModel* m_model;
    int m_nHitItem = -1; // no cell yet, so the first cell hovered gets its text
    int m_nHitSubItem = -1;
    bool m_bToolTipReady = false;
    QString m_toolTipText;
    int m_nSortColumn = -1;
    int m_nSortDirection = 1;
    bool m_bSortingOn = true;
    int m_nLastThumbPos = 0;
};
