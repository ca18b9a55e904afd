// The owner-data list view against a bare table view over the same owner
// data (a million rows, eight columns), offscreen: showing the list with its
// first paint, and scrolling to the end with its paint. The control should
// cost at most 1.3 times the bare view.
#include "gui/widgets/virtual_list_ctrl.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QHeaderView>
#include <QScrollBar>
#include <QTableView>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

constexpr int kRows = 1'000'000;
constexpr int kColumns = 8;
constexpr int kWidth = 900;
constexpr int kHeight = 600;

// The rows as a dialog would hold them: numbers and names made up on demand.
struct BenchOwner : VirtualListOwner {
    int hints = 0;
    void CacheHint(int, int) override { ++hints; }
    QString CellText(int row, int column) override {
        if (column == 0)
            return QString::number(13000000000LL + row * 7919LL % 1000000000LL);
        return QStringLiteral("联系人%1-%2").arg(row).arg(column);
    }
};

// What a bare table view needs to show the same owner's rows.
class BareModel : public QAbstractTableModel {
public:
    explicit BareModel(VirtualListOwner* owner) : m_owner(owner) {}
    int rowCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : kRows;
    }
    int columnCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : kColumns;
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (role != Qt::DisplayRole || !index.isValid())
            return {};
        return m_owner->CellText(index.row(), index.column());
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
            return QStringLiteral("列%1").arg(section);
        return {};
    }

private:
    VirtualListOwner* m_owner;
};

BenchOwner g_owner;

// A list as a dialog builds it, shown at the bench's size.
struct ListUnderTest {
    std::unique_ptr<CVirtualListCtrl> view = std::make_unique<CVirtualListCtrl>();
    ListUnderTest() {
        for (int c = 0; c < kColumns; ++c)
            view->InsertColumn(c, QStringLiteral("列%1").arg(c), 100);
        view->SetOwner(&g_owner);
        view->SetItemCount(kRows);
        view->resize(kWidth, kHeight);
    }
    QTableView& table() { return *view; }
};

// The same rows in a bare table view, rows of the same fixed height.
struct BareUnderTest {
    BareModel model{&g_owner};
    std::unique_ptr<QTableView> view = std::make_unique<QTableView>();
    BareUnderTest() {
        // The row header is set up before the rows arrive, as the control
        // does, so neither pays for visiting a million sections.
        view->verticalHeader()->hide();
        view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 6);
        view->setModel(&model);
        for (int c = 0; c < kColumns; ++c)
            view->horizontalHeader()->resizeSection(c, 100);
        view->resize(kWidth, kHeight);
    }
    QTableView& table() { return *view; }
};

double g_seconds[4] = {0, 0, 0, 0}; // mean: bare show, control show, bare scroll, control scroll

double Since(std::chrono::steady_clock::time_point t0) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

void Report(benchmark::State& state, int slot, double total) {
    g_seconds[slot] = total / static_cast<double>(state.iterations());
    if (slot % 2 == 1 && g_seconds[slot - 1] > 0)
        state.counters["x_bare"] = g_seconds[slot] / g_seconds[slot - 1];
}

// Building the list with its rows, showing it and its first paint.
template <typename UnderTest> void ShowAndPaint(benchmark::State& state, int slot) {
    double total = 0;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        auto list = std::make_unique<UnderTest>();
        list->table().show();
        QApplication::processEvents();
        list->table().viewport()->repaint();
        const double s = Since(t0);
        state.SetIterationTime(s);
        total += s;
        list.reset(); // not timed: the next iteration's clock starts after it
    }
    Report(state, slot, total);
}

// The thumb let go at the bottom of the bar, and the paint of the last page.
template <typename UnderTest> void ScrollToEndAndPaint(benchmark::State& state, int slot) {
    UnderTest list;
    list.table().show();
    QApplication::processEvents();
    QScrollBar* bar = list.table().verticalScrollBar();
    double total = 0;
    for (auto _ : state) {
        bar->setValue(0);
        list.table().viewport()->repaint();
        const auto t0 = std::chrono::steady_clock::now();
        bar->setSliderDown(true);
        bar->setSliderPosition(bar->maximum());
        bar->setSliderDown(false);
        list.table().viewport()->repaint();
        const double s = Since(t0);
        state.SetIterationTime(s);
        total += s;
    }
    if (list.table().rowAt(list.table().viewport()->height() - 1) != kRows - 1)
        state.SkipWithError("the last row is not shown");
    Report(state, slot, total);
}

void BM_BareShowAndPaint(benchmark::State& state) {
    ShowAndPaint<BareUnderTest>(state, 0);
}
void BM_ListShowAndPaint(benchmark::State& state) {
    ShowAndPaint<ListUnderTest>(state, 1);
}
void BM_BareScrollToEndAndPaint(benchmark::State& state) {
    ScrollToEndAndPaint<BareUnderTest>(state, 2);
}
void BM_ListScrollToEndAndPaint(benchmark::State& state) {
    ScrollToEndAndPaint<ListUnderTest>(state, 3);
}

// Each bare run comes first: the control's run reports itself against it.
BENCHMARK(BM_BareShowAndPaint)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListShowAndPaint)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareScrollToEndAndPaint)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ListScrollToEndAndPaint)->UseManualTime()->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    // No display is needed, and none is used when there is one.
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    const char* names[] = {"show+first paint", "scroll to end+paint"};
    for (int i = 0; i < 2; ++i) {
        const double bare = g_seconds[2 * i], list = g_seconds[2 * i + 1];
        if (bare > 0 && list > 0)
            std::printf("%s: control %.3f ms / bare %.3f ms = %.2fx (target <= 1.3x)\n", names[i], list * 1e3,
                        bare * 1e3, list / bare);
    }
    return 0;
}
