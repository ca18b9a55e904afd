// The contact list pane on 1,000,000 contacts in one group, each case on the
// real path (row source, pane, list view offscreen) against a bare
// sqlite3_prepare/sqlite3_step read of the same rows in the same run:
//   open           open the group: count and first window | COUNT, then the first 4,000 rows
//   default order  20 jumps to the end                    | one read of all rows in that order
//   name sort      click "姓名", 20 jumps to the end      | one read ordered name COLLATE pinyin, rowid
//   select all     "全选", the selection resolved to rowids | one read of all rowids
//   picker filter  the picker: "姓名" "包含" "张", 20 jumps  | one read of the filtered rows
// After each case the cache must be within its bound (one window plus the
// bound); the order list is reported beside it, with the resident size.
#include "bench/bench_database.h"
#include "contacts/contact_list_query.h"
#include "core/database.h"
#include "core/paths.h"
#include "core/sql.h"
#include "gui/contacts/address_list_dialog.h"
#include "gui/contacts/contact_frame.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <stdexcept>
#include <string>

namespace {

constexpr int kContacts = 1'000'000;
constexpr int kGroup = 1;
constexpr int kJumps = 20;

const char16_t kSurnames[] = u"张李王赵钱孙周吴郑冯陈褚卫蒋沈韩杨朱秦尤许何吕施";
const char16_t kGiven[] = u"一二三四五六七八九十明华强伟芳娜敏静丽军";

long ResidentKb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    return -1;
}

struct Fixture : BenchFolder {
    std::unique_ptr<CDlgContactFrame> pane;

    Fixture() {
        SqlTransaction tx(g_pDB);
        SqlStatement st(g_pDB,
                        "INSERT INTO ContactList (name, sex, mobileNum, eMail, groupID, perNO, isDeleted, "
                        "displayIndex) VALUES (?, ?, ?, ?, ?, ?, 0, ?)");
        if (!tx.active() || !st.ok())
            throw std::runtime_error("cannot fill the database");
        for (int i = 0; i < kContacts; ++i) {
            const QString name = i % 10 == 8 ? QStringLiteral("Name%1").arg(i)
                                             : QString(QChar(kSurnames[(i * 7919) % 24])) +
                                                   QChar(kGiven[(i / 3) % 20]) + QChar(kGiven[(i * 31) % 20]);
            st.reset();
            st.bind(1, name)
                .bind(2, i % 2 ? "男" : "女")
                .bind(3, std::to_string(13900000000LL + (i % 7 == 6 ? i - 3 : i)))
                .bind(4, "u" + std::to_string(i) + "@example.invalid")
                .bind(5, kGroup)
                .bind(6, static_cast<int64_t>(i + 1))
                .bind(7, i / 3);
            if (st.step() != SQLITE_DONE)
                throw std::runtime_error("insert failed");
        }
        if (tx.commit() != SQLITE_OK)
            throw std::runtime_error("commit failed");
        pane = std::make_unique<CDlgContactFrame>();
        pane->resize(900, 600);
    }
    ~Fixture() {
        pane.reset();
        CloseDatabase();
        SetAppDirectory(QString());
    }
};

Fixture& F() {
    static Fixture fixture;
    return fixture;
}

// Reads every column of every row of `sql` with the bare library calls.
int64_t BareRead(const std::string& sql) {
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(g_pDB, sql.c_str(), -1, &st, nullptr) != SQLITE_OK)
        throw std::runtime_error("prepare failed: " + sql);
    int64_t bytes = 0;
    const int columns = sqlite3_column_count(st);
    while (sqlite3_step(st) == SQLITE_ROW)
        for (int c = 0; c < columns; ++c) {
            sqlite3_column_text(st, c);
            bytes += sqlite3_column_bytes(st, c);
        }
    sqlite3_finalize(st);
    return bytes;
}

std::string ListColumns() {
    return BuildContactListQuery(kGroup, false, kDefaultContactOrder, VisibleFieldRegistry::Fields())
        .columns.toStdString();
}

// Shows the rows around `row` as the list view would: hint, then the cells.
void Show(CDlgContactFrame& pane, int row) {
    const int first = std::max(0, row - 29);
    pane.CacheHint(first, row);
    const int columns = 2 + VisibleFieldRegistry::Count();
    for (int r = first; r <= row; ++r)
        for (int c = 0; c < columns; ++c)
            benchmark::DoNotOptimize(pane.CellText(r, c));
}

void Jumps(CDlgContactFrame& pane) {
    const int total = pane.TotalRows();
    for (int j = 1; j <= kJumps; ++j)
        Show(pane, static_cast<int>(static_cast<int64_t>(total) * j / kJumps) - 1);
}

std::map<std::string, double> g_seconds;
std::map<std::string, std::string> g_memory;

void Record(benchmark::State& state, const std::string& name, double total, bool real) {
    g_seconds[name] = total / static_cast<double>(state.iterations());
    if (!real)
        return;
    if (name.rfind("picker", 0) == 0) {
        // The picker's cache is its own: only the resident size is told.
        state.counters["rss_kb"] = static_cast<double>(ResidentKb());
        g_memory[name] = "resident " + std::to_string(ResidentKb()) + " kB";
        return;
    }
    RowSource& rows = F().pane->Rows();
    const size_t bound = RowSource::kWindowRows + static_cast<size_t>(rows.CacheBound());
    if (rows.CachedRows() > bound)
        state.SkipWithError("cache above its bound");
    state.counters["cached_rows"] = static_cast<double>(rows.CachedRows());
    state.counters["order_rows"] = static_cast<double>(rows.OrderRows());
    state.counters["rss_kb"] = static_cast<double>(ResidentKb());
    char text[160];
    std::snprintf(text, sizeof text, "cached rows %zu (bound %zu), order list %zu rows, resident %ld kB",
                  rows.CachedRows(), bound, rows.OrderRows(), ResidentKb());
    g_memory[name] = text;
}

template <typename Work, typename Setup>
void Timed(benchmark::State& state, const std::string& name, bool real, Work work, Setup setup) {
    F();
    double total = 0;
    for (auto _ : state) {
        setup();
        const auto t0 = std::chrono::steady_clock::now();
        work();
        const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        state.SetIterationTime(s);
        total += s;
    }
    Record(state, name, total, real);
}

template <typename Work> void Timed(benchmark::State& state, const std::string& name, bool real, Work work) {
    Timed(state, name, real, work, [] {});
}

void BM_OpenBaseline(benchmark::State& state) {
    Timed(state, "open/baseline", false, [] {
        BareRead("SELECT COUNT(perNO) FROM contactList WHERE groupID=1");
        BareRead("SELECT " + ListColumns() +
                 " FROM contactList WHERE groupID=1 ORDER BY displayIndex, rowid LIMIT 4000");
    });
}
void BM_Open(benchmark::State& state) {
    Timed(state, "open/real", true, [] {
        F().pane->QueryContacts(kGroup, false, -1);
        Show(*F().pane, 29);
    });
}
void BM_DefaultOrderBaseline(benchmark::State& state) {
    Timed(state, "default order/baseline", false, [] {
        BareRead("SELECT " + ListColumns() +
                 " FROM contactList WHERE groupID=1 ORDER BY displayIndex, rowid");
    });
}
void BM_DefaultOrder(benchmark::State& state) {
    F().pane->QueryContacts(kGroup, false, -1);
    Timed(state, "default order/real", true, [] { Jumps(*F().pane); });
}
void BM_NameSortBaseline(benchmark::State& state) {
    Timed(state, "name sort/baseline", false, [] {
        BareRead("SELECT " + ListColumns() +
                 " FROM contactList WHERE groupID=1 ORDER BY name COLLATE pinyin, rowid");
    });
}
void BM_NameSort(benchmark::State& state) {
    const int nameColumn = 2 + VisibleFieldRegistry::IndexOfColumn(QStringLiteral("name"));
    Timed(
        state, "name sort/real", true,
        [&] {
            F().pane->HeaderClicked(nameColumn);
            Jumps(*F().pane);
        },
        [] { F().pane->QueryContacts(kGroup, false, -1); });
}
void BM_SelectAllBaseline(benchmark::State& state) {
    Timed(state, "select all/baseline", false,
          [] { BareRead("SELECT rowid FROM contactList WHERE groupID=1 ORDER BY displayIndex, rowid"); });
}
void BM_SelectAll(benchmark::State& state) {
    F().pane->QueryContacts(kGroup, false, -1);
    Timed(state, "select all/real", true, [] {
        F().pane->OnCommand(1008);
        int64_t n = 0;
        F().pane->Selection().ForEachTicked(g_pDB, QStringLiteral("rowid"), [&](SqlStatement&, qint64) {
            ++n;
            return true;
        });
        if (n != kContacts)
            throw std::runtime_error("selection resolved to the wrong rows");
    });
}

// The picker filtered by a name that holds one Chinese character.
// Made on first use; freed in main while the application still exists.
std::unique_ptr<CDlgAddressList> g_picker;
CDlgAddressList& Picker() {
    if (!g_picker)
        g_picker = [] {
            auto p = std::make_unique<CDlgAddressList>();
            p->resize(900, 600);
            p->OnInitDialog();
            auto* field = p->findChild<QComboBox*>(QStringLiteral("21045"));
            auto* condition = p->findChild<QComboBox*>(QStringLiteral("21040"));
            if (!field || !condition || field->findText(QStringLiteral("姓名")) < 0)
                throw std::runtime_error("the picker has no name field");
            field->setCurrentIndex(field->findText(QStringLiteral("姓名")));
            condition->setCurrentIndex(condition->findText(QStringLiteral("包含")));
            p->findChild<QLineEdit*>(QStringLiteral("1004"))->setText(QStringLiteral("张"));
            return p;
        }();
    return *g_picker;
}
void PickerJumps(CDlgAddressList& picker) {
    const int total = picker.List()->ItemCount();
    const int columns = 3 + VisibleFieldRegistry::Count();
    for (int j = 1; j <= kJumps; ++j) {
        const int row = static_cast<int>(static_cast<int64_t>(total) * j / kJumps) - 1;
        const int first = std::max(0, row - 29);
        picker.CacheHint(first, row);
        for (int r = first; r <= row; ++r)
            for (int c = 0; c < columns; ++c)
                benchmark::DoNotOptimize(picker.CellText(r, c));
    }
}
void BM_PickerFilterBaseline(benchmark::State& state) {
    Picker().Reload();
    const std::string sql = Picker().Query().unrangedSql.toStdString();
    Timed(state, "picker filter/baseline", false, [&] { BareRead(sql); });
}
void BM_PickerFilter(benchmark::State& state) {
    Timed(state, "picker filter/real", true, [] {
        Picker().Reload();
        PickerJumps(Picker());
    });
}

BENCHMARK(BM_OpenBaseline)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Open)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DefaultOrderBaseline)->Iterations(2)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DefaultOrder)->Iterations(2)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NameSortBaseline)->Iterations(2)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NameSort)->Iterations(2)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SelectAllBaseline)->Iterations(2)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SelectAll)->Iterations(2)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PickerFilterBaseline)->Iterations(2)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PickerFilter)->Iterations(2)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    F();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_picker.reset();
    for (const char* c : {"open", "default order", "name sort", "select all", "picker filter"}) {
        const std::string name = c;
        const double real = g_seconds[name + "/real"], base = g_seconds[name + "/baseline"];
        if (real > 0 && base > 0)
            std::printf("%-14s real %8.1f ms / baseline %8.1f ms = %.2fx; %s\n", c, real * 1e3, base * 1e3,
                        real / base, g_memory[name + "/real"].c_str());
    }
    return 0;
}
