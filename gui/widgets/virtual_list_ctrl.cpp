#include "gui/widgets/virtual_list_ctrl.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QHeaderView>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QScrollBar>
#include <QStringList>
#include <QToolTip>

#include <algorithm>

// The rows belong to the owner; the model only passes the view's questions
// on. It remembers the range the owner was last told about, so every cell
// it asks for lies in a range the owner heard of first.
class VirtualListModel : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    VirtualListOwner* owner = nullptr;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : m_count;
    }
    int columnCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : static_cast<int>(m_headers.size());
    }

    QVariant data(const QModelIndex& index, int role) const override {
        if (!owner || !index.isValid() || index.row() >= m_count)
            return {};
        switch (role) {
        case Qt::DisplayRole:
            Hint(index.row(), index.row());
            return owner->CellText(index.row(), index.column());
        case Qt::CheckStateRole: {
            Hint(index.row(), index.row());
            const std::optional<bool> checked = owner->CellChecked(index.row(), index.column());
            if (!checked)
                return {};
            return *checked ? Qt::Checked : Qt::Unchecked;
        }
        case Qt::ForegroundRole: {
            const std::optional<QRgb> color = owner->RowTextColor(index.row());
            if (!color)
                return {};
            return QColor::fromRgb(*color);
        }
        default:
            return {};
        }
    }

    // Fills the display, check and colour roles with one call each; the delegate asks
    // for every role of a cell at once.
    void multiData(const QModelIndex& index, QModelRoleDataSpan roleDataSpan) const override {
        for (QModelRoleData& roleData : roleDataSpan) {
            const int role = roleData.role();
            if (role == Qt::DisplayRole || role == Qt::CheckStateRole || role == Qt::ForegroundRole)
                roleData.setData(data(index, role));
            else
                roleData.clearData();
        }
    }

    bool setData(const QModelIndex& index, const QVariant& value, int role) override {
        if (!owner || !index.isValid() || role != Qt::CheckStateRole)
            return false;
        owner->SetCellChecked(index.row(), index.column(), value.toInt() == static_cast<int>(Qt::Checked));
        emit dataChanged(index, index, {Qt::CheckStateRole});
        return true;
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override {
        if (!index.isValid())
            return Qt::NoItemFlags;
        // Check boxes appear only where the owner gives a state; the flag
        // itself costs no call to the owner.
        return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable | Qt::ItemNeverHasChildren;
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
            section < static_cast<int>(m_headers.size()))
            return m_headers[section];
        return {};
    }

    void InsertColumn(int column, const QString& heading) {
        beginInsertColumns(QModelIndex(), column, column);
        m_headers.insert(column, heading);
        endInsertColumns();
    }

    void RemoveColumn(int column) {
        beginRemoveColumns(QModelIndex(), column, column);
        m_headers.removeAt(column);
        endRemoveColumns();
    }

    int Count() const { return m_count; }

    // Rows come and go as one range each way: the view adjusts its section
    // list, keeps the selection and scroll position of the rows that stay,
    // and no row is asked for.
    void SetCount(int count) {
        count = std::max(count, 0);
        ForgetHint();
        if (m_count == 0 && count > 0) {
            // Nothing to keep: the view lays its rows out in one go, which
            // is cheaper than inserting them.
            beginResetModel();
            m_count = count;
            endResetModel();
        } else if (count > m_count) {
            beginInsertRows(QModelIndex(), m_count, count - 1);
            m_count = count;
            endInsertRows();
        } else if (count < m_count) {
            beginRemoveRows(QModelIndex(), count, m_count - 1);
            m_count = count;
            endRemoveRows();
        }
    }

    // The owner hears of first..last unless its last hint already covers it.
    void Hint(int first, int last) const {
        if (!owner || (first >= m_hintFirst && last <= m_hintLast))
            return;
        m_hintFirst = first;
        m_hintLast = last;
        owner->CacheHint(first, last);
    }
    void ForgetHint() {
        m_hintFirst = -1;
        m_hintLast = -2;
    }

private:
    QStringList m_headers;
    int m_count = 0;
    mutable int m_hintFirst = -1;
    mutable int m_hintLast = -2;
};

CVirtualListCtrl::CVirtualListCtrl(QWidget* parent)
    : QTableView(parent), m_model(new VirtualListModel(this)) {
    setModel(m_model);
    setSortingEnabled(false);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setWordWrap(false);
    // Scrolling by whole rows: the scroll bar's value is the top row.
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);

    // One fixed height for every row, so no row is measured.
    QHeaderView* rows = verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(fontMetrics().height() + 6);

    QHeaderView* columns = horizontalHeader();
    columns->setSectionsClickable(true);
    columns->setSortIndicatorShown(true);
    columns->setSortIndicator(-1, Qt::AscendingOrder);
    columns->setHighlightSections(false);
    columns->setSectionResizeMode(QHeaderView::Interactive);
    columns->setStretchLastSection(false);
    connect(columns, &QHeaderView::sectionClicked, this, &CVirtualListCtrl::OnHeaderClicked);

    // The thumb scrolls when it is let go, not while it is dragged.
    verticalScrollBar()->setTracking(false);
    connect(verticalScrollBar(), &QScrollBar::sliderReleased, this, &CVirtualListCtrl::OnThumbReleased);
}

CVirtualListCtrl::~CVirtualListCtrl() = default;

void CVirtualListCtrl::SetOwner(VirtualListOwner* owner) {
    m_model->owner = owner;
    m_model->ForgetHint();
    viewport()->update();
}

VirtualListOwner* CVirtualListCtrl::Owner() const {
    return m_model->owner;
}

int CVirtualListCtrl::InsertColumn(int column, const QString& heading, int width) {
    column = std::clamp(column, 0, ColumnCount());
    m_model->InsertColumn(column, heading);
    if (width >= 0)
        horizontalHeader()->resizeSection(column, width);
    return column;
}

bool CVirtualListCtrl::DeleteColumn(int column) {
    if (column < 0 || column >= ColumnCount())
        return false;
    m_model->RemoveColumn(column);
    return true;
}

int CVirtualListCtrl::ColumnCount() const {
    return m_model->columnCount();
}

void CVirtualListCtrl::SetItemCount(int count) {
    m_model->SetCount(count);
    viewport()->update();
}

int CVirtualListCtrl::ItemCount() const {
    return m_model->Count();
}

void CVirtualListCtrl::RedrawItems() {
    m_model->ForgetHint();
    viewport()->update();
}

void CVirtualListCtrl::SetSortingOn(bool on) {
    m_bSortingOn = on;
}

void CVirtualListCtrl::ClearSortArrow() {
    m_nSortColumn = -1;
    m_nSortDirection = 1;
    horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
}

void CVirtualListCtrl::SetSortArrow(int column, int direction) {
    m_nSortColumn = column;
    m_nSortDirection = direction < 0 ? -1 : 1;
    horizontalHeader()->setSortIndicator(column, direction < 0 ? Qt::DescendingOrder : Qt::AscendingOrder);
}

bool CVirtualListCtrl::InitToolTips() {
    viewport()->setMouseTracking(true);
    m_bToolTipReady = true;
    return m_bToolTipReady;
}

void CVirtualListCtrl::paintEvent(QPaintEvent* event) {
    HintPaintedRows();
    QTableView::paintEvent(event);
}

void CVirtualListCtrl::HintPaintedRows() {
    const int count = m_model->Count();
    if (count == 0 || m_model->columnCount() == 0)
        return;
    const int first = rowAt(0);
    if (first < 0)
        return;
    int last = rowAt(viewport()->height() - 1);
    if (last < 0)
        last = count - 1;
    m_model->Hint(first, last);
}

bool CVirtualListCtrl::viewportEvent(QEvent* event) {
    if (m_bToolTipReady) {
        switch (event->type()) {
        case QEvent::MouseMove: {
            const auto* move = static_cast<QMouseEvent*>(event);
            UpdateCellToolTip(move->position().toPoint(), move->globalPosition().toPoint());
            break;
        }
        case QEvent::ToolTip: {
            // Resting on the same cell again brings its text back.
            const auto* help = static_cast<QHelpEvent*>(event);
            UpdateCellToolTip(help->pos(), help->globalPos());
            if (m_toolTipText.isEmpty())
                QToolTip::hideText();
            else
                QToolTip::showText(help->globalPos(), m_toolTipText, viewport(),
                                   visualRect(indexAt(help->pos())));
            return true;
        }
        default:
            break;
        }
    }
    return QTableView::viewportEvent(event);
}

void CVirtualListCtrl::UpdateCellToolTip(const QPoint& viewportPos, const QPoint& globalPos) {
    const QModelIndex index = indexAt(viewportPos);
    const int item = index.isValid() ? index.row() : -1;
    const int subItem = index.isValid() ? index.column() : -1;
    if (item == m_nHitItem && subItem == m_nHitSubItem)
        return;
    m_nHitItem = item;
    m_nHitSubItem = subItem;
    m_toolTipText =
        (item == -1 || subItem == -1) ? QString() : m_model->data(index, Qt::DisplayRole).toString();
    // The old cell's tip goes; the new one shows without a delay.
    QToolTip::hideText();
    if (!m_toolTipText.isEmpty())
        QToolTip::showText(globalPos, m_toolTipText, viewport(), visualRect(index));
}

void CVirtualListCtrl::keyboardSearch(const QString& search) {
    Q_UNUSED(search);
}

void CVirtualListCtrl::OnHeaderClicked(int column) {
    QHeaderView* header = horizontalHeader();
    const bool handled = m_model->owner && m_model->owner->HeaderClicked(column);
    if (!handled && m_bSortingOn) {
        if (column != m_nSortColumn) {
            m_nSortColumn = column;
            m_nSortDirection = 1;
        } else {
            m_nSortDirection = -m_nSortDirection;
        }
    }
    // The header flips its own indicator on every click; the arrow shown is
    // always this control's.
    header->setSortIndicator(m_nSortColumn, m_nSortDirection > 0 ? Qt::AscendingOrder : Qt::DescendingOrder);
    if (!handled && m_bSortingOn)
        emit sortChanged(m_nSortColumn, m_nSortDirection);
}

void CVirtualListCtrl::OnThumbReleased() {
    // Row p goes to the top of the view in either direction; past the last
    // full page the scroll bar's maximum keeps the last page full.
    QScrollBar* bar = verticalScrollBar();
    const int p = std::clamp(bar->sliderPosition(), bar->minimum(), bar->maximum());
    bar->setValue(p);
    m_nLastThumbPos = p;
}
