// The record page on 1,000,000 SMS sent records (one number each) and one
// more record of 100,000 numbers, built untimed by the tests' generator. Each
// case runs the real path (page, row source, list views offscreen) against
// the same statements through bare sqlite3_prepare/sqlite3_step on the same
// connection, copying the same columns:
//   open        "发送成功": order, "条数合计", first window, row 0's recipients
//                | MAX(rowid), the order pass with count, 4,000 rows, the detail read
//   row 500000  the window around row 500,000      | the same 4,000 rows by OFFSET
//   text sort   click "短信内容" (pinyin), first rows | the order pass and 4,000 rows in that order
//   to the end  20 jumps down the list               | one read of every row in list order
//   recipients  the 100,000 numbers, 20 jumps        | one read of the detail statement
//   export      every record to .xlsx                | the list read + libxlsxwriter, same cells
//   delete      25,000 selected records, list again  | the same DELETE batches in one transaction,
//                                                      then the statements of opening the list
// After each real case the cache must be within its bound (one window plus
// the bound); the order list and the resident size are reported beside it.
#include "core/database.h"
#include "core/helpers.h"
#include "core/paths.h"
#include "core/row_source.h"
#include "core/sql.h"
#include "gui/sms/msg_record_view.h"
#include "gui/widgets/modal_runner.h"
#include "platform/msgbox.h"
#include "sms/sent_records.h"
#include "tests/support/record_generator.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QItemSelectionModel>
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

constexpr int kRecords = 1'000'000;
constexpr int kBigNumbers = 100'000;
constexpr int kJumps = 20;
constexpr qint64 kSent = 1000000003;

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
    std::unique_ptr<CDlgMsgRecord> page;
    GeneratedRecords generated;

    Fixture() {
        if (!dir.isValid())
            throw std::runtime_error("no temporary folder");
        SetAppDirectory(dir.path());
        if (OpenDatabase() != 0)
            throw std::runtime_error("cannot open the database");
        RecordGeneratorOptions options;
        options.records = kRecords;
        options.numbersPerRecord = 1;
        options.received = 0;
        options.smsSentOnly = true;
        options.bigRecordNumbers = kBigNumbers;
        generated = GenerateRecords(options, g_pDB, nullptr);
        if (!generated.ok)
            throw std::runtime_error("cannot fill the database");
        // The administrator: deletes and exports are allowed. Deletes answer
        // their question with Yes; exports are told their file.
        g_pLoginRights = std::make_unique<QStringList>(QStringList{QStringLiteral("AD")});
        SetMessageBoxHandler([](const MessageBoxRequest& r) { return (r.type & mb::YesNo) ? IDYES : IDOK; });
        page = std::make_unique<CDlgMsgRecord>(nullptr);
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

const RecordCategory& Sent() {
    static const RecordCategory category = *RecordCategoryFor(kSent);
    return category;
}
std::string Where() {
    return " FROM sendInfo WHERE 1=1 " + Sent().filter.toStdString() + "  ";
}
std::string Columns() {
    return Sent().selectColumns.toStdString();
}

// Shows the rows around `row` as the list view would: hint, then the cells.
void Show(CDlgMsgRecord& page, int row) {
    const int first = std::max(0, row - 29);
    page.Rows().Hint(first, row);
    for (int r = first; r <= row; ++r)
        for (int c = 0; c < 4; ++c)
            benchmark::DoNotOptimize(page.RecordCellText(r, c));
}
void ShowRecipients(CDlgMsgRecord& page, int row) {
    const int first = std::max(0, row - 29);
    page.Recipients().Hint(first, row);
    for (int r = first; r <= row; ++r)
        for (int c = 0; c < 3; ++c)
            benchmark::DoNotOptimize(page.RecipientCellText(r, c));
}

std::map<std::string, double> g_seconds;
std::map<std::string, std::string> g_memory;

void Record(benchmark::State& state, const std::string& name, double total, bool real, RowSource* rows) {
    g_seconds[name] = total / static_cast<double>(state.iterations());
    if (!real || !rows)
        return;
    const size_t bound = RowSource::kWindowRows + static_cast<size_t>(rows->CacheBound());
    if (rows->CachedRows() > bound)
        state.SkipWithError("cache above its bound");
    state.counters["cached_rows"] = static_cast<double>(rows->CachedRows());
    state.counters["order_rows"] = static_cast<double>(rows->OrderRows());
    state.counters["rss_kb"] = static_cast<double>(ResidentKb());
    char text[160];
    std::snprintf(text, sizeof text, "cached rows %zu (bound %zu), order list %zu rows, resident %ld kB",
                  rows->CachedRows(), bound, rows->OrderRows(), ResidentKb());
    g_memory[name] = text;
}

template <typename Work, typename Setup>
void Timed(benchmark::State& state, const std::string& name, bool real, RowSource* rows, Work work,
           Setup setup) {
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
    Record(state, name, total, real, rows);
}
template <typename Work>
void Timed(benchmark::State& state, const std::string& name, bool real, RowSource* rows, Work work) {
    Timed(state, name, real, rows, work, [] {});
}

std::string FirstDetail() {
    SqlStatement st(g_pDB, "SELECT sendID" + Where() + kDefaultRecordOrder + " LIMIT 1");
    const qint64 id = st.step() == SQLITE_ROW ? st.int64(0) : 0;
    return RecordDetailStatement(Sent(), id).toStdString();
}

void BM_OpenBaseline(benchmark::State& state) {
    const std::string detail = FirstDetail();
    Timed(state, "open/baseline", false, nullptr, [&] {
        BareRead("SELECT MAX(rowid) FROM sendInfo");
        BareRead("SELECT rowid,count" + Where() + kDefaultRecordOrder);
        BareRead("SELECT " + Columns() + Where() + kDefaultRecordOrder + " LIMIT 4000");
        BareRead(detail);
    });
}
void BM_Open(benchmark::State& state) {
    Timed(state, "open/real", true, &F().page->Rows(), [] {
        F().page->QueryRecords(kSent, QString(), -1);
        Show(*F().page, 29);
    });
}
void BM_MiddleBaseline(benchmark::State& state) {
    Timed(state, "row 500000/baseline", false, nullptr, [] {
        BareRead("SELECT " + Columns() + Where() + kDefaultRecordOrder + " LIMIT 4000 OFFSET 498000");
    });
}
void BM_Middle(benchmark::State& state) {
    Timed(
        state, "row 500000/real", true, &F().page->Rows(), [] { Show(*F().page, 500000); },
        [] { F().page->Rows().DropCache(); });
}
void BM_TextSortBaseline(benchmark::State& state) {
    const std::string order = " ORDER BY content  collate pinyin ASC, rowid";
    Timed(state, "text sort/baseline", false, nullptr, [&] {
        BareRead("SELECT rowid,count" + Where() + order);
        BareRead("SELECT " + Columns() + Where() + order + " LIMIT 4000");
    });
}
void BM_TextSort(benchmark::State& state) {
    Timed(
        state, "text sort/real", true, &F().page->Rows(),
        [] {
            F().page->OnHeaderClicked(0);
            Show(*F().page, 29);
        },
        [] { F().page->QueryRecords(kSent, QString(), -1); });
}
void BM_ToTheEndBaseline(benchmark::State& state) {
    Timed(state, "to the end/baseline", false, nullptr,
          [] { BareRead("SELECT " + Columns() + Where() + kDefaultRecordOrder); });
}
void BM_ToTheEnd(benchmark::State& state) {
    F().page->QueryRecords(kSent, QString(), -1);
    Timed(state, "to the end/real", true, &F().page->Rows(), [] {
        const int total = F().page->Rows().Count();
        for (int j = 1; j <= kJumps; ++j)
            Show(*F().page, static_cast<int>(static_cast<int64_t>(total) * j / kJumps) - 1);
    });
}
void BM_RecipientsBaseline(benchmark::State& state) {
    const std::string detail = RecordDetailStatement(Sent(), F().generated.bigSendID).toStdString();
    Timed(state, "recipients/baseline", false, nullptr, [&] { BareRead(detail); });
}
void BM_Recipients(benchmark::State& state) {
    F().page->QueryRecords(kSent, QString(), -1);
    CVirtualListCtrl* list = F().page->RecordList();
    const int last = F().page->Rows().Count() - 1;
    Timed(
        state, "recipients/real", true, &F().page->Recipients(),
        [&] {
            list->setCurrentIndex(list->model()->index(last, 0));
            F().page->ShowCurrentRecord();
            const int total = F().page->Recipients().Count();
            if (total != kBigNumbers)
                throw std::runtime_error("the big record is not last");
            for (int j = 1; j <= kJumps; ++j)
                ShowRecipients(*F().page, static_cast<int>(static_cast<int64_t>(total) * j / kJumps) - 1);
        },
        [&] { list->setCurrentIndex(list->model()->index(0, 0)); });
}
void BM_ExportBaseline(benchmark::State& state) {
    const std::string path = (F().dir.path() + QStringLiteral("/baseline.xlsx")).toStdString();
    Timed(state, "export/baseline", false, nullptr, [&] {
        lxw_workbook_options options = {};
        options.constant_memory = LXW_TRUE;
        lxw_workbook* book = workbook_new_opt(path.c_str(), &options);
        lxw_worksheet* sheet = workbook_add_worksheet(book, "短信成功记录");
        for (int c = 0; c < 4; ++c)
            worksheet_write_string(sheet, 0, lxw_col_t(c), "header", nullptr);
        BareRead("SELECT content,submitTime,timingTime,count" + Where() + kDefaultRecordOrder, sheet);
        workbook_close(book);
    });
}
void BM_Export(benchmark::State& state) {
    F().page->QueryRecords(kSent, QString(), -1);
    const QString path = F().dir.path() + QStringLiteral("/real.xlsx");
    Timed(state, "export/real", true, &F().page->Rows(), [&] {
        SetNextFileName(path);
        F().page->OnExport();
    });
}
void BM_DeleteBaseline(benchmark::State& state) {
    Timed(state, "delete/baseline", false, nullptr, [] {
        // The 25,000 records at the end of the list, by their ids.
        std::vector<std::string> lists;
        SqlStatement st(g_pDB, "SELECT sendID" + Where() + " ORDER BY submitTime, rowid LIMIT 25000");
        std::string list;
        int n = 0;
        while (st.step() == SQLITE_ROW) {
            list += (n % kDeleteBatch ? "," : "") + std::to_string(st.int64(0));
            if (++n % kDeleteBatch == 0) {
                lists.push_back(list);
                list.clear();
            }
        }
        if (!list.empty())
            lists.push_back(list);
        sqlite3_exec(g_pDB, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        for (const std::string& ids : lists)
            for (const char* table : {"sendNums", "sendInfo", "attachmentContent"})
                sqlite3_exec(g_pDB,
                             ("DELETE FROM " + std::string(table) + " WHERE sendID in(" + ids + ")").c_str(),
                             nullptr, nullptr, nullptr);
        sqlite3_exec(g_pDB, "COMMIT", nullptr, nullptr, nullptr);
        // The page lists what is left, as after every delete: the same
        // statements as opening it.
        BareRead("SELECT MAX(rowid) FROM sendInfo");
        BareRead("SELECT rowid,count" + Where() + kDefaultRecordOrder);
        BareRead("SELECT " + Columns() + Where() + kDefaultRecordOrder + " LIMIT 4000");
    });
}
void BM_Delete(benchmark::State& state) {
    F().page->QueryRecords(kSent, QString(), -1);
    CVirtualListCtrl* list = F().page->RecordList();
    Timed(
        state, "delete/real", true, &F().page->Rows(),
        [] {
            F().page->OnDeleteOrSurvey();
            if (F().page->Rows().Count() > kRecords + 1 - 50000)
                throw std::runtime_error("nothing deleted");
        },
        [&] {
            QAbstractItemModel* model = list->model();
            list->selectionModel()->select(
                QItemSelection(model->index(0, 0), model->index(24999, model->columnCount() - 1)),
                QItemSelectionModel::ClearAndSelect);
        });
}

BENCHMARK(BM_OpenBaseline)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Open)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MiddleBaseline)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Middle)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TextSortBaseline)->Iterations(2)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TextSort)->Iterations(2)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ToTheEndBaseline)->Iterations(2)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ToTheEnd)->Iterations(2)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RecipientsBaseline)->Iterations(2)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Recipients)->Iterations(2)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportBaseline)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Export)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DeleteBaseline)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Delete)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

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
    for (const char* c :
         {"open", "row 500000", "text sort", "to the end", "recipients", "export", "delete"}) {
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
