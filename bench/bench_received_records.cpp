// The received page on 1,000,000 received messages, built untimed by the
// tests' generator. Each case runs the real path (page, row source, list
// view offscreen) against the same statements through bare
// sqlite3_prepare/sqlite3_step on the same connection, copying the same
// columns:
//   open        the order pass, the first window     | the order pass, 4,000 rows
//   row 500000  the window around row 500,000        | the same 4,000 rows by OFFSET
//   name sort   click "姓名" (pinyin), first rows     | the order pass and 4,000 rows in that order
//   export      every message to .xlsx               | the list read + libxlsxwriter, same cells
// After each real case the cache must be within its bound (one window plus
// the bound); the order list and the resident size are reported beside it.
#include "core/database.h"
#include "core/helpers.h"
#include "core/paths.h"
#include "core/row_source.h"
#include "core/sql.h"
#include "gui/sms/received_record_view.h"
#include "gui/widgets/modal_runner.h"
#include "platform/msgbox.h"
#include "sms/received_records.h"
#include "tests/support/record_generator.h"

#include <QApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <xlsxwriter.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>

namespace {

constexpr int kMessages = 1'000'000;
constexpr const char* kColumns =
    "alreadyRead,name,sendNum,msgContent,coName,sendTime,send_receive_Num,receiveID,rowid";
constexpr const char* kFrom = " FROM receivedMSGRecord a WHERE 1=1 ";
constexpr const char* kOrder = " ORDER BY sendTime DESC, rowid";

long ResidentKb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    return -1;
}

struct Fixture {
    QTemporaryDir dir;
    std::unique_ptr<CDlgMsgRecord1Received> page;

    Fixture() {
        if (!dir.isValid())
            throw std::runtime_error("no temporary folder");
        SetAppDirectory(dir.path());
        if (OpenDatabase() != 0)
            throw std::runtime_error("cannot open the database");
        RecordGeneratorOptions options;
        options.records = 0;
        options.received = kMessages;
        if (!GenerateRecords(options, g_pDB, nullptr).ok)
            throw std::runtime_error("cannot fill the database");
        // The administrator: exports are allowed and numbers whole.
        g_pLoginRights = std::make_unique<QStringList>(QStringList{QStringLiteral("AD")});
        SetMessageBoxHandler([](const MessageBoxRequest&) { return int(IDOK); });
        page = std::make_unique<CDlgMsgRecord1Received>(nullptr);
        page->resize(900, 600);
        page->show();
    }
    ~Fixture() {
        page.reset();
        CloseDatabase();
        SetAppDirectory(QString());
    }
};

// Made on first use and dropped before the application object goes.
std::unique_ptr<Fixture> g_fixture;
Fixture& F() {
    if (!g_fixture)
        g_fixture = std::make_unique<Fixture>();
    return *g_fixture;
}

// Every column of every row of `sql`, read with the bare library calls.
int64_t BareRead(const std::string& sql, lxw_worksheet* sheet = nullptr) {
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(g_pDB, sql.c_str(), -1, &st, nullptr) != SQLITE_OK)
        throw std::runtime_error("prepare failed: " + sql);
    int64_t bytes = 0;
    const int columns = sqlite3_column_count(st);
    lxw_row_t row = 1;
    while (sqlite3_step(st) == SQLITE_ROW) {
        for (int c = 0; c < columns; ++c) {
            const unsigned char* text = sqlite3_column_text(st, c);
            bytes += sqlite3_column_bytes(st, c);
            if (sheet)
                worksheet_write_string(sheet, row, lxw_col_t(c),
                                       text ? reinterpret_cast<const char*>(text) : "", nullptr);
        }
        ++row;
    }
    sqlite3_finalize(st);
    return bytes;
}

// Shows the rows up to `row` as the list view would: hint, then the cells.
void Show(CDlgMsgRecord1Received& page, int row) {
    const int first = std::max(0, row - 29);
    page.CacheHint(first, row);
    for (int r = first; r <= row; ++r)
        for (int c = 0; c < kReceivedListColumns; ++c)
            benchmark::DoNotOptimize(page.CellText(r, c));
}

std::map<std::string, double> g_seconds;
std::map<std::string, std::string> g_memory;

void Record(benchmark::State& state, const std::string& name, double total, bool real) {
    g_seconds[name] = total / static_cast<double>(state.iterations());
    if (!real)
        return;
    RowSource& rows = F().page->Records().Source();
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

std::string List(const std::string& order) {
    return std::string("SELECT ") + kColumns + kFrom + order;
}

void BM_OpenBaseline(benchmark::State& state) {
    Timed(state, "open/baseline", false, [] {
        BareRead(std::string("SELECT rowid") + kFrom + kOrder);
        BareRead(List(kOrder) + " LIMIT 4000");
    });
}
void BM_Open(benchmark::State& state) {
    Timed(state, "open/real", true, [] {
        F().page->QueryRecords(QString(), -1);
        if (F().page->Records().Count() < kMessages)
            throw std::runtime_error("messages missing");
        Show(*F().page, 29);
    });
}
void BM_MiddleBaseline(benchmark::State& state) {
    Timed(state, "row 500000/baseline", false, [] { BareRead(List(kOrder) + " LIMIT 4000 OFFSET 498000"); });
}
void BM_Middle(benchmark::State& state) {
    Timed(
        state, "row 500000/real", true, [] { Show(*F().page, 500000); },
        [] {
            if (F().page->Records().Count() == 0)
                F().page->QueryRecords(QString(), -1);
            F().page->Records().Source().DropCache();
        });
}
void BM_NameSortBaseline(benchmark::State& state) {
    const std::string order = " ORDER BY name  collate pinyin ASC, rowid";
    Timed(state, "name sort/baseline", false, [&] {
        BareRead(std::string("SELECT rowid") + kFrom + order);
        BareRead(List(order) + " LIMIT 4000");
    });
}
void BM_NameSort(benchmark::State& state) {
    Timed(
        state, "name sort/real", true,
        [] {
            F().page->HeaderClicked(kRecvName);
            Show(*F().page, 29);
        },
        [] { F().page->QueryRecords(QString(), -1); });
}
void BM_ExportBaseline(benchmark::State& state) {
    const std::string path = (F().dir.path() + QStringLiteral("/baseline.xlsx")).toStdString();
    Timed(state, "export/baseline", false, [&] {
        lxw_workbook_options options = {};
        options.constant_memory = LXW_TRUE;
        lxw_workbook* book = workbook_new_opt(path.c_str(), &options);
        lxw_worksheet* sheet = workbook_add_worksheet(book, "已接收短信记录");
        for (int c = 0; c < 5; ++c)
            worksheet_write_string(sheet, 0, lxw_col_t(c), "header", nullptr);
        BareRead(std::string("SELECT name,sendNum,msgContent,coName,sendTime") + kFrom + kOrder, sheet);
        workbook_close(book);
    });
}
void BM_Export(benchmark::State& state) {
    F().page->QueryRecords(QString(), -1);
    const QString path = F().dir.path() + QStringLiteral("/real.xlsx");
    Timed(state, "export/real", true, [&] {
        SetNextFileName(path);
        F().page->OnCommand(1012);
    });
}

BENCHMARK(BM_OpenBaseline)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Open)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MiddleBaseline)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Middle)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NameSortBaseline)->Iterations(2)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NameSort)->Iterations(2)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportBaseline)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Export)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

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
    for (const char* c : {"open", "row 500000", "name sort", "export"}) {
        const std::string name = c;
        const double real = g_seconds[name + "/real"], base = g_seconds[name + "/baseline"];
        if (real > 0 && base > 0)
            std::printf("%-12s real %8.1f ms / baseline %8.1f ms = %.2fx; %s\n", c, real * 1e3, base * 1e3,
                        real / base, g_memory[name + "/real"].c_str());
    }
    std::fflush(stdout);
    g_fixture.reset();
    return 0;
}
