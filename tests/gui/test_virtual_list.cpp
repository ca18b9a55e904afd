#include "gui/widgets/virtual_list_ctrl.h"

#include "core/virtual_list.h"
#include "tests/support/test_helpers.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QToolTip>

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <stdexcept>
#include <utility>
#include <vector>

namespace {

// Answers every cell with "r<row>c<column>" and records what the list asked:
// each hint, each row asked for, and any row asked for outside the hint
// given last.
struct RecordingOwner : VirtualListOwner {
    std::vector<std::pair<int, int>> hints;
    std::vector<int> rowsAsked;
    int askedOutsideHint = 0;
    bool handlesHeader = false;
    std::vector<int> headerClicks;

    void CacheHint(int first, int last) override { hints.emplace_back(first, last); }
    QString CellText(int row, int column) override {
        rowsAsked.push_back(row);
        if (hints.empty() || row < hints.back().first || row > hints.back().second)
            ++askedOutsideHint;
        return QStringLiteral("r%1c%2").arg(row).arg(column);
    }
    bool HeaderClicked(int column) override {
        headerClicks.push_back(column);
        return handlesHeader;
    }
    void Forget() {
        hints.clear();
        rowsAsked.clear();
        askedOutsideHint = 0;
    }
};

struct ListWindow {
    RecordingOwner owner;
    CVirtualListCtrl list;
    explicit ListWindow(int rows) {
        list.InsertColumn(0, QStringLiteral("手机号码"), 95);
        list.InsertColumn(1, QStringLiteral("联系人"), 80);
        list.InsertColumn(2, QStringLiteral("备注"), 80);
        list.SetOwner(&owner);
        list.SetItemCount(rows);
        list.resize(320, 240);
        list.show();
        QApplication::processEvents();
    }
    // The rows the viewport shows, wholly or in part.
    std::pair<int, int> PaintedRows() const {
        const int first = list.rowAt(0);
        int last = list.rowAt(list.viewport()->height() - 1);
        if (last < 0)
            last = list.ItemCount() - 1;
        return {first, last};
    }
    void ClickHeader(int column) {
        QHeaderView* header = list.horizontalHeader();
        const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                        header->height() / 2);
        QMouseEvent press(QEvent::MouseButtonPress, at, header->viewport()->mapToGlobal(at), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(header->viewport(), &press);
        QMouseEvent release(QEvent::MouseButtonRelease, at, header->viewport()->mapToGlobal(at),
                            Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(header->viewport(), &release);
    }
    void MoveMouse(const QPoint& at) {
        QWidget* viewport = list.viewport();
        QMouseEvent move(QEvent::MouseMove, at, viewport->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(viewport, &move);
    }
    // The thumb dragged to p and let go there.
    void ReleaseThumbAt(int p) {
        QScrollBar* bar = list.verticalScrollBar();
        bar->setSliderDown(true);
        bar->setSliderPosition(p);
        bar->setSliderDown(false);
        QApplication::processEvents();
    }
};

TEST(VirtualList, HeaderClicksMoveTheSortArrowUnlessTheOwnerTakesThem) {
    ListWindow w(100);
    QHeaderView* header = w.list.horizontalHeader();
    std::vector<std::pair<int, int>> changes;
    QObject::connect(&w.list, &CVirtualListCtrl::sortChanged,
                     [&changes](int column, int direction) { changes.emplace_back(column, direction); });
    EXPECT_EQ(w.list.SortColumn(), -1);
    EXPECT_EQ(w.list.SortDirection(), 1);

    struct Step {
        const char* what;
        bool ownerHandles;
        bool sortingOn;
        int column; // -1: ClearSortArrow instead of a click
        int sortColumn;
        int direction;
        bool signalled;
    };
    const Step steps[] = {
        {"first click: up arrow", false, true, 1, 1, 1, true},
        {"same column: down arrow", false, true, 1, 1, -1, true},
        {"third click: up again", false, true, 1, 1, 1, true},
        {"another column takes the up arrow", false, true, 2, 2, 1, true},
        {"handled by the owner: arrow stays", true, true, 0, 2, 1, false},
        {"handled on the arrow's column: stays", true, true, 2, 2, 1, false},
        {"sorting off: arrow stays", false, false, 0, 2, 1, false},
        {"cleared", false, true, -1, -1, 1, false},
        {"after clearing, a click starts up", false, true, 2, 2, 1, true},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        w.owner.handlesHeader = s.ownerHandles;
        w.list.SetSortingOn(s.sortingOn);
        const size_t signalsBefore = changes.size();
        const size_t offersBefore = w.owner.headerClicks.size();
        if (s.column < 0) {
            w.list.ClearSortArrow();
        } else {
            w.ClickHeader(s.column);
            // Every click is offered to the owner first.
            ASSERT_EQ(w.owner.headerClicks.size(), offersBefore + 1);
            EXPECT_EQ(w.owner.headerClicks.back(), s.column);
        }
        EXPECT_EQ(w.list.SortColumn(), s.sortColumn);
        EXPECT_EQ(w.list.SortDirection(), s.direction);
        // What the header shows is the control's arrow, not the header's own flip.
        EXPECT_EQ(header->sortIndicatorSection(), s.sortColumn);
        if (s.sortColumn >= 0) {
            EXPECT_EQ(header->sortIndicatorOrder(),
                      s.direction > 0 ? Qt::AscendingOrder : Qt::DescendingOrder);
        }
        EXPECT_EQ(changes.size(), signalsBefore + (s.signalled ? 1 : 0));
        if (s.signalled) {
            EXPECT_EQ(changes.back(), std::make_pair(s.sortColumn, s.direction));
        }
    }
}

TEST(VirtualList, ReleasedThumbPutsItsRowOnTopAndTheEndShowsTheLastRow) {
    constexpr int kRows = 500'000;
    ListWindow w(kRows);
    QScrollBar* bar = w.list.verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    const int max = bar->maximum();

    // While the thumb is held the view stays where it is.
    bar->setSliderDown(true);
    bar->setSliderPosition(kRows / 2);
    QApplication::processEvents();
    EXPECT_EQ(w.list.rowAt(0), 0);
    bar->setSliderDown(false);
    QApplication::processEvents();
    EXPECT_EQ(w.list.rowAt(0), kRows / 2);

    // Down, up, down again and back to the start, each from the last stop.
    // Row p lands on top; at the end the last row sits at the bottom of a
    // full page (the row above the last page may show in part).
    const int stops[] = {max, kRows / 2, 1000, 400'000, max, 0, 250'001};
    for (int p : stops) {
        SCOPED_TRACE(p);
        w.ReleaseThumbAt(p);
        EXPECT_EQ(w.list.LastThumbPos(), p);
        const QRect lastRow = w.list.visualRect(w.list.model()->index(kRows - 1, 0));
        const QRect viewport = w.list.viewport()->rect();
        if (p == max) {
            EXPECT_TRUE(viewport.contains(lastRow));
            EXPECT_GT(lastRow.bottom() + lastRow.height(), viewport.height());
            EXPECT_GE(w.list.rowAt(0), max - 1);
        } else {
            EXPECT_EQ(w.list.rowAt(0), p);
            EXPECT_EQ(w.list.visualRect(w.list.model()->index(p, 0)).top(), 0);
            EXPECT_FALSE(viewport.contains(lastRow));
        }
    }
}

TEST(VirtualList, ThumbDraggedWithTheMouseScrollsOnRelease) {
    constexpr int kRows = 500'000;
    ListWindow w(kRows);
    QScrollBar* bar = w.list.verticalScrollBar();
    QApplication::processEvents();
    // Press on the thumb (at the top), drag it to the bottom of the bar, let go.
    const QPoint onThumb(bar->width() / 2, bar->width() + 4);
    const QPoint atEnd(bar->width() / 2, bar->height() - 1);
    QMouseEvent press(QEvent::MouseButtonPress, onThumb, bar->mapToGlobal(onThumb), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(bar, &press);
    ASSERT_TRUE(bar->isSliderDown());
    QMouseEvent move(QEvent::MouseMove, atEnd, bar->mapToGlobal(atEnd), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(bar, &move);
    QApplication::processEvents();
    EXPECT_EQ(w.list.rowAt(0), 0);
    QMouseEvent release(QEvent::MouseButtonRelease, atEnd, bar->mapToGlobal(atEnd), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(bar, &release);
    QApplication::processEvents();
    EXPECT_GE(w.list.rowAt(0), bar->maximum() - 1);
    EXPECT_TRUE(w.list.viewport()->rect().contains(w.list.visualRect(w.list.model()->index(kRows - 1, 0))));
}

TEST(VirtualList, EveryPaintedRowIsHintedBeforeItIsAskedFor) {
    ListWindow w(10'000);
    const int positions[] = {0, 37, 5000, 9000, w.list.verticalScrollBar()->maximum(), 5001, 4990};
    for (int p : positions) {
        SCOPED_TRACE(p);
        w.list.verticalScrollBar()->setValue(p);
        const size_t hintsBefore = w.owner.hints.size();
        w.owner.rowsAsked.clear();
        (void)w.list.grab();
        const auto [first, last] = w.PaintedRows();
        ASSERT_GE(first, 0);
        // At most one hint for the painted range (none when the last one
        // holds it already), and the hint in force covers every painted row.
        EXPECT_LE(w.owner.hints.size(), hintsBefore + 1);
        ASSERT_FALSE(w.owner.hints.empty());
        EXPECT_LE(w.owner.hints.back().first, first);
        EXPECT_GE(w.owner.hints.back().second, last);
        EXPECT_EQ(w.owner.askedOutsideHint, 0);
        // Every painted row was asked for, once per column, and nothing else.
        std::map<int, int> asked;
        for (int row : w.owner.rowsAsked)
            ++asked[row];
        EXPECT_EQ(asked.size(), static_cast<size_t>(last - first + 1));
        for (const auto& [row, times] : asked) {
            EXPECT_GE(row, first);
            EXPECT_LE(row, last);
            EXPECT_EQ(times, 3) << row;
        }
    }

    // A second paint of the same rows needs no new hint; changed rows do.
    size_t hintsBefore = w.owner.hints.size();
    (void)w.list.grab();
    EXPECT_EQ(w.owner.hints.size(), hintsBefore);
    w.list.RedrawItems();
    (void)w.list.grab();
    EXPECT_EQ(w.owner.hints.size(), hintsBefore + 1);
    // A cell asked for outside any painting (here its tool tip text) gets
    // its own hint first.
    hintsBefore = w.owner.hints.size();
    EXPECT_EQ(w.list.model()->index(2, 1).data().toString(), "r2c1");
    EXPECT_EQ(w.owner.hints.size(), hintsBefore + 1);
    EXPECT_EQ(w.owner.askedOutsideHint, 0);
}

TEST(VirtualList, AMillionRowsAreSetAtOnceAndOnlyPaintedRowsAreAskedFor) {
    ListWindow w(0);
    QElapsedTimer timer;
    timer.start();
    w.list.SetItemCount(1'000'000);
    const qint64 setMs = timer.elapsed();
    EXPECT_LT(setMs, TimeBoundMs(250));
    EXPECT_TRUE(w.owner.rowsAsked.empty());
    EXPECT_EQ(w.list.model()->rowCount(), 1'000'000);

    (void)w.list.grab();
    const auto [first, last] = w.PaintedRows();
    EXPECT_EQ(first, 0);
    EXPECT_LT(last, 50);
    ASSERT_FALSE(w.owner.rowsAsked.empty());
    for (int row : w.owner.rowsAsked) {
        EXPECT_GE(row, first);
        EXPECT_LE(row, last);
    }

    // A typed letter does not search the rows through the owner.
    w.owner.rowsAsked.clear();
    w.list.setCurrentIndex(w.list.model()->index(0, 0));
    QKeyEvent key(QEvent::KeyPress, Qt::Key_Z, Qt::NoModifier, QStringLiteral("z"));
    QApplication::sendEvent(&w.list, &key);
    EXPECT_LT(w.owner.rowsAsked.size(), 100u);
    EXPECT_EQ(w.list.currentIndex().row(), 0);

    // Shrinking and growing again is no per-row work either.
    timer.restart();
    w.list.SetItemCount(10);
    w.list.SetItemCount(1'000'000);
    EXPECT_LT(timer.elapsed(), TimeBoundMs(500));
}

TEST(VirtualList, ToolTipShowsTheFullTextOfTheCellUnderTheMouse) {
    ListWindow w(5);
    ASSERT_TRUE(w.list.InitToolTips());
    auto centre = [&](int row, int column) {
        return w.list.visualRect(w.list.model()->index(row, column)).center();
    };
    const QRect lastRow = w.list.visualRect(w.list.model()->index(4, 0));
    ASSERT_LT(lastRow.bottom() + 10, w.list.viewport()->height());
    const int pastColumns = w.list.horizontalHeader()->length() + 5;
    ASSERT_LT(pastColumns, w.list.viewport()->width());

    struct Case {
        const char* what;
        QPoint at;
        QString text;
    };
    const Case cases[] = {
        {"first cell, hovered first", centre(0, 0), "r0c0"},
        {"another cell", centre(3, 1), "r3c1"},
        {"below the last row", QPoint(10, lastRow.bottom() + 10), ""},
        {"back on a cell", centre(4, 2), "r4c2"},
        {"right of the last column", QPoint(pastColumns, centre(1, 0).y()), ""},
        {"the same cell after empty space", centre(4, 2), "r4c2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        w.MoveMouse(c.at);
        EXPECT_EQ(w.list.ToolTipText(), c.text);
        if (!c.text.isEmpty()) {
            // Shown at once, without the usual hover delay.
            EXPECT_TRUE(QToolTip::isVisible());
            EXPECT_EQ(QToolTip::text(), c.text);
        }
    }

    // A tool tip request where no mouse move was seen answers for the cell
    // under it, and none over empty space.
    const QPoint cell = centre(2, 1);
    QHelpEvent help(QEvent::ToolTip, cell, w.list.viewport()->mapToGlobal(cell));
    QApplication::sendEvent(w.list.viewport(), &help);
    EXPECT_EQ(w.list.ToolTipText(), "r2c1");
    EXPECT_EQ(QToolTip::text(), "r2c1");
    const QPoint below(10, lastRow.bottom() + 10);
    QHelpEvent helpBelow(QEvent::ToolTip, below, w.list.viewport()->mapToGlobal(below));
    QApplication::sendEvent(w.list.viewport(), &helpBelow);
    EXPECT_EQ(w.list.ToolTipText(), "");
}

// Ticks in the first column only; the owner keeps the ticked rows.
struct TickingOwner : RecordingOwner {
    std::set<int> ticked;
    std::optional<bool> CellChecked(int row, int column) override {
        if (column != 0)
            return std::nullopt;
        return ticked.count(row) > 0;
    }
    void SetCellChecked(int row, int column, bool checked) override {
        ASSERT_EQ(column, 0);
        if (checked)
            ticked.insert(row);
        else
            ticked.erase(row);
    }
};

TEST(VirtualList, CheckBoxesAreTheOwners) {
    TickingOwner owner;
    owner.ticked = {2};
    CVirtualListCtrl list;
    list.InsertColumn(0, QStringLiteral("手机号码"), 95);
    list.InsertColumn(1, QStringLiteral("联系人"), 80);
    list.SetOwner(&owner);
    list.SetItemCount(1000);
    QAbstractItemModel* model = list.model();
    EXPECT_EQ(model->index(2, 0).data(Qt::CheckStateRole), QVariant(Qt::Checked));
    EXPECT_EQ(model->index(3, 0).data(Qt::CheckStateRole), QVariant(Qt::Unchecked));
    EXPECT_FALSE(model->index(2, 1).data(Qt::CheckStateRole).isValid());

    // What the view writes back (a click or Space on the box) reaches the owner.
    EXPECT_TRUE(model->setData(model->index(3, 0), Qt::Checked, Qt::CheckStateRole));
    EXPECT_TRUE(model->setData(model->index(2, 0), Qt::Unchecked, Qt::CheckStateRole));
    EXPECT_EQ(owner.ticked, std::set<int>{3});
    EXPECT_EQ(model->index(3, 0).data(Qt::CheckStateRole), QVariant(Qt::Checked));
    EXPECT_EQ(owner.askedOutsideHint, 0);
}

// The smallest row source: rows by position, keys alongside.
class ArrayList : public VIRTUAL_LIST {
public:
    int GetCount() const override { return static_cast<int>(m_rows.size()); }
    qint64 GetKey(int i) const override { return Inside(i) ? m_rows[i].first : -1; }
    bool GetRow(int i, qint64* key, QString* row) const override {
        if (!Inside(i))
            return false;
        *key = m_rows[i].first;
        *row = m_rows[i].second;
        return true;
    }
    int GetContactId(int) const override { return 0; }
    bool Lookup(qint64 key, QString* row) const override {
        for (const auto& r : m_rows)
            if (r.first == key) {
                if (row)
                    *row = r.second;
                return true;
            }
        return false;
    }
    bool SetRow(int i, qint64 key, const QString& row) override {
        if (!Inside(i))
            return false;
        m_rows[i] = {key, row};
        return true;
    }
    bool SetItem(int index, const qint64* key, const QString* name, int = 0) override {
        if (index == GetCount())
            m_rows.emplace_back();
        if (!Inside(index))
            return false;
        m_rows[index] = {*key, name ? *name : QString()};
        return true;
    }
    bool RemoveAt(int i) override {
        if (!Inside(i))
            return false;
        m_rows.erase(m_rows.begin() + i);
        return true;
    }
    int RemoveRows(const std::vector<int>& indexes) override {
        int removed = 0;
        for (auto it = indexes.rbegin(); it != indexes.rend(); ++it)
            removed += RemoveAt(*it) ? 1 : 0;
        return removed;
    }
    void FreeItems() override { m_rows.clear(); }
    void FreeRows() override { m_rows.clear(); }
    int DomesticCount() const override { return GetCount(); }
    int InternationalCount() const override { return 0; }

private:
    bool Inside(int i) const { return i >= 0 && i < GetCount(); }
    std::vector<std::pair<qint64, QString>> m_rows;
};

// A dialog's way of showing a row source: number and name columns from it.
struct SourceOwner : VirtualListOwner {
    const VIRTUAL_LIST* source = nullptr;
    QString CellText(int row, int column) override {
        qint64 key = -1;
        QString name;
        if (!source->GetRow(row, &key, &name))
            return {};
        return column == 0 ? QString::number(key) : name;
    }
};

TEST(VirtualList, ARowSourceFeedsTheListThroughItsOwner) {
    ArrayList numbers;
    const qint64 keys[] = {13800000001, 13800000002, 13800000003};
    const QString names[] = {QStringLiteral("张三"), QStringLiteral("李四")};
    numbers.SetItem(0, &keys[0], &names[0]);
    numbers.SetItem(1, &keys[1], &names[1]);
    numbers.SetItem(2, &keys[2], nullptr);
    QString found;
    EXPECT_TRUE(numbers.Lookup(keys[1], &found));
    EXPECT_EQ(found, names[1]);
    EXPECT_FALSE(numbers.Lookup(42, nullptr));
    EXPECT_EQ(numbers.GetKey(3), -1);

    SourceOwner owner;
    owner.source = &numbers;
    CVirtualListCtrl list;
    list.InsertColumn(0, QStringLiteral("手机号码"), 95);
    list.InsertColumn(1, QStringLiteral("联系人"), 80);
    list.SetOwner(&owner);
    list.SetItemCount(numbers.GetCount());
    QAbstractItemModel* model = list.model();
    EXPECT_EQ(model->index(0, 0).data().toString(), "13800000001");
    EXPECT_EQ(model->index(1, 1).data().toString(), QStringLiteral("李四"));
    EXPECT_EQ(model->index(2, 1).data().toString(), "");
    EXPECT_EQ(model->headerData(1, Qt::Horizontal).toString(), QStringLiteral("联系人"));
    EXPECT_EQ(list.horizontalHeader()->sectionSize(0), 95);

    numbers.RemoveAt(0);
    list.SetItemCount(numbers.GetCount());
    EXPECT_EQ(model->rowCount(), 2);
    EXPECT_EQ(model->index(0, 0).data().toString(), "13800000002");
}

} // namespace
