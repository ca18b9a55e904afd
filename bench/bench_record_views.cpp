// The record pages over a million rows: each case runs the real path (the
// page with its row sources, offscreen) and, in the same run on the same
// connection, the same statements through bare sqlite3_prepare/step copying
// the same columns. The databases are built untimed by the tests' generator:
// 1,000,000 SMS-sent records with a number each, one record of 100,000
// numbers, 1,000,000 received messages. Target: every case within 2x of its
// baseline, the caches within their bound.
//
// Run: build/bench/bench_record_views [rows]   (rows: 1000000 by default)
#include "core/database.h"
#include "core/helpers.h"
#include "core/paths.h"
#include "core/row_source.h"
#include "core/sql.h"
#include "gui/sms/msg_record_view.h"
#include "gui/sms/received_record_view.h"
#include "gui/widgets/modal_runner.h"
#include "gui/widgets/virtual_list_ctrl.h"
#include "tests/support/msgbox_recorder.h"
#include "tests/support/record_generator.h"

#include <QApplication>
#include <QFile>
#include <QItemSelectionModel>
#include <QTemporaryDir>
#include <xlsxwriter.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(const std::function<void()>& work) {
    const auto t0 = Clock::now();
    work();
    return std::chrono::duration<double>(Clock::now() - t0).count();
}

long StatusKb(const char* key) {
    FILE* f = std::fopen("/proc/self/status", "r");
    if (!f)
        return -1;
    char line[256];
    long value = -1;
    const size_t n = std::strlen(key);
    while (std::fgets(line, sizeof line, f))
        if (std::strncmp(line, key, n) == 0)
            value = std::atol(line + n + 1);
    std::fclose(f);
    return value;
}

// ---- the baseline: the same statements, bare ------------------------------------

using Row = std::vector<std::string>;

sqlite3_stmt* Prepare(const std::string& sql) {
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(g_pDB, sql.c_str(), -1, &st, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "prepare failed: %s\n%s\n", sqlite3_errmsg(g_pDB), sql.c_str());
        std::exit(2);
    }
    return st;
}

void CopyRow(sqlite3_stmt* st, Row& row) {
    const int n = sqlite3_column_count(st);
    row.clear();
    for (int c = 0; c < n; ++c) {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(st, c));
        row.emplace_back(text ? text : "", sqlite3_column_bytes(st, c));
    }
}

// The order pass: every rowid of the list in list order (and the sum of
// `sumColumn` when given).
std::vector<qint64> RawOrder(const QString& statement, const char* sumColumn = nullptr, qint64* sum = nullptr) {
    std::string sql = "SELECT rowid";
    if (sumColumn)
        sql += std::string(",") + sumColumn;
    sql += " " + RowSource::FromClause(statement).toStdString();
    sqlite3_stmt* st = Prepare(sql);
    std::vector<qint64> rowids;
    qint64 total = 0;
    while (sqlite3_step(st) == SQLITE_ROW) {
        rowids.push_back(sqlite3_column_int64(st, 0));
        if (sumColumn)
            total += sqlite3_column_int64(st, 1);
    }
    sqlite3_finalize(st);
    if (sum)
        *sum = total;
    return rowids;
}

// Rows first..last-1 of the list read by rowid, every column copied.
size_t RawWindow(const QString& statement, const char* table, const std::vector<qint64>& rowids, int first,
                 int last) {
    sqlite3_stmt* st = Prepare("SELECT " + RowSource::SelectList(statement).toStdString() + " FROM " + table +
                               " WHERE rowid=?");
    std::vector<Row> rows;
    Row row;
    for (int r = std::max(0, first); r < std::min<int>(last, rowids.size()); ++r) {
        sqlite3_bind_int64(st, 1, rowids[r]);
        if (sqlite3_step(st) == SQLITE_ROW) {
            CopyRow(st, row);
            rows.push_back(row);
        }
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    return rows.size();
}

// The window the source reads for a request of `row`.
std::pair<int, int> WindowOf(int row, int count) {
    const int start = std::max(0, row - RowSource::kWindowLead);
    return {start, std::min(count, start + RowSource::kWindowRows)};
}

qint64 RawMax(const char* table) {
    sqlite3_stmt* st = Prepare(std::string("SELECT MAX(rowid) FROM ") + table);
    qint64 v = sqlite3_step(st) == SQLITE_ROW ? sqlite3_column_int64(st, 0) : 0;
    sqlite3_finalize(st);
    return v;
}

// A list opened bare as the page opens it: the order pass, the first
// window, and for the sent page row 0's recipients.
void RawOpenSent(const QString& list, const QString& detail) {
    RawMax("sendInfo");
    qint64 total = 0;
    const std::vector<qint64> rowids = RawOrder(list, "count", &total);
    auto [a, b] = WindowOf(0, static_cast<int>(rowids.size()));
    RawWindow(list, "sendInfo", rowids, a, b);
    const std::vector<qint64> recipients = RawOrder(detail);
    auto [c, d] = WindowOf(0, static_cast<int>(recipients.size()));
    RawWindow(detail, "sendNums", recipients, c, d);
}

struct Case {
    std::string name;
    double real = 0;
    double raw = 0;
};
std::vector<Case> g_cases;

void Report(const std::string& name, double real, double raw) {
    g_cases.push_back({name, real, raw});
    std::printf("%-34s real %9.1f ms  bare %9.1f ms  ratio %5.2f\n", name.c_str(), real * 1e3, raw * 1e3,
                raw > 0 ? real / raw : 0.0);
    std::fflush(stdout);
}

// Best of `runs` for each side, alternating so neither side keeps the warm
// cache for itself.
void Measure(const std::string& name, int runs, const std::function<void()>& real,
             const std::function<void()>& raw, const std::function<void()>& between = {}) {
    double bestReal = 1e99, bestRaw = 1e99;
    for (int i = 0; i < runs; ++i) {
        if (between)
            between();
        bestReal = std::min(bestReal, Seconds(real));
        if (between)
            between();
        bestRaw = std::min(bestRaw, Seconds(raw));
    }
    Report(name, bestReal, bestRaw);
}

// libxlsxwriter on its own: the same cells, constant memory, one sheet.
bool RawXlsx(const QString& path, const QString& statement, const QStringList& header, int columns) {
    lxw_workbook_options options = {};
    options.constant_memory = LXW_TRUE;
    lxw_workbook* wb = workbook_new_opt(path.toUtf8().constData(), &options);
    if (!wb)
        return false;
    lxw_worksheet* ws = workbook_add_worksheet(wb, "sheet");
    for (int c = 0; c < header.size(); ++c)
        worksheet_write_string(ws, 0, c, header[c].toUtf8().constData(), nullptr);
    sqlite3_stmt* st = Prepare(statement.toStdString());
    lxw_row_t r = 1;
    while (sqlite3_step(st) == SQLITE_ROW) {
        for (int c = 0; c < columns; ++c) {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(st, c));
            worksheet_write_string(ws, r, c, text ? text : "", nullptr);
        }
        ++r;
    }
    sqlite3_finalize(st);
    return workbook_close(wb) == LXW_NO_ERROR;
}

void PrintCounters(const char* what, RowSource& source) {
    std::printf("  %-30s cached rows %zu (bound %d + one window of %d), order list %zu rows\n", what,
                source.CachedRows(), source.CacheBound(), RowSource::kWindowRows, source.OrderRows());
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rows = argc > 1 ? std::atoi(argv[1]) : 1'000'000;

    QTemporaryDir dir;
    SetAppDirectory(dir.path());
    if (OpenDatabase() != 0) {
        std::fprintf(stderr, "cannot open the database\n");
        return 1;
    }
    g_pLoginRights = std::make_unique<QStringList>(QStringList{QStringLiteral("AD")});
    MessageBoxRecorder boxes; // every question answered Yes / OK

    RecordGeneratorOptions options;
    options.records = rows;
    options.numbersPerRecord = 1;
    options.received = rows;
    options.smsSentOnly = true;
    options.bigRecordNumbers = std::min(100'000, rows / 10);
    GeneratedRecords generated;
    const double built = Seconds([&] { generated = GenerateRecords(options, g_pDB, nullptr); });
    if (!generated.ok) {
        std::fprintf(stderr, "generating the records failed\n");
        return 1;
    }
    std::printf("built %d records, %d numbers in one record, %d received messages in %.1f s (untimed)\n", rows,
                options.bigRecordNumbers, generated.receivedRows, built);
    const long rssStart = StatusKb("VmRSS:");

    // ---- the sent page ----------------------------------------------------------------
    CDlgMsgRecord page(nullptr);
    page.resize(1000, 700);
    const qint64 kSmsSent = 1000000003;
    Measure(
        "open 发送成功 (count, total, row 0)", 3,
        [&] {
            page.QueryRecords(kSmsSent, QString(), -1);
            page.RecordCellText(0, 0);
            page.RecipientCellText(0, 1);
        },
        [&] { RawOpenSent(page.ListStatement(), page.DetailStatement()); });
    const int count = page.Rows().Count();
    std::printf("  %d records listed\n", count);

    std::vector<qint64> order = RawOrder(page.ListStatement());
    const int mid = std::min(500'000, count / 2);
    Measure(
        "window at row 500,000", 3, [&] { page.RecordCellText(mid, 0); },
        [&] {
            auto [a, b] = WindowOf(mid, count);
            RawWindow(page.ListStatement(), "sendInfo", order, a, b);
        },
        [&] { page.Rows().DropCache(); });
    Measure(
        "scroll to the end", 3, [&] { page.RecordCellText(count - 1, 0); },
        [&] {
            auto [a, b] = WindowOf(count - 1, count);
            RawWindow(page.ListStatement(), "sendInfo", order, a, b);
        },
        [&] { page.Rows().DropCache(); });
    PrintCounters("record list after the scrolls", page.Rows());

    Measure(
        "sort by 短信内容 (pinyin)", 2,
        [&] {
            page.OnHeaderClicked(0);
            page.RecordCellText(0, 0);
            page.RecipientCellText(0, 1);
        },
        [&] { RawOpenSent(page.ListStatement(), page.DetailStatement()); });

    // The big record lists last in the default order.
    page.QueryRecords(kSmsSent, QString(), -1);
    const int last = page.Rows().Count() - 1;
    // The statement and the counters of the walk are taken inside the real
    // run: the page goes back to row 0 before each run.
    QString bigDetail;
    int bigCount = 0;
    size_t walkCached = 0;
    Measure(
        "the 100,000 recipients", 2,
        [&] {
            page.RecordList()->setCurrentIndex(page.RecordList()->model()->index(last, 0));
            page.ShowCurrentRecord();
            const int n = page.Recipients().Count();
            for (int r = 0; r < n; r += RowSource::kWindowRows / 2)
                page.RecipientCellText(r, 1);
            page.RecipientCellText(n - 1, 1);
            bigDetail = page.DetailStatement();
            bigCount = n;
            walkCached = page.Recipients().CachedRows();
        },
        [&] {
            const std::vector<qint64> recipients = RawOrder(bigDetail);
            RawWindow(bigDetail, "sendNums", recipients, 0, static_cast<int>(recipients.size()));
        },
        [&] { page.QueryRecords(kSmsSent, QString(), -1); });
    std::printf("  %d recipients; cached rows after the walk %zu (bound %d + one window of %d)\n", bigCount,
                walkCached, page.Recipients().CacheBound(), RowSource::kWindowRows);

    // ---- the received page ----------------------------------------------------------
    CDlgMsgRecord1Received received(nullptr);
    received.resize(1000, 700);
    Measure(
        "received: open", 3,
        [&] {
            received.QueryRecords(QString(), -1);
            received.CellText(0, 1);
        },
        [&] {
            const QString list = received.Records().ListStatement();
            RawMax("receivedMSGRecord");
            const std::vector<qint64> rowids = RawOrder(list);
            auto [a, b] = WindowOf(0, static_cast<int>(rowids.size()));
            RawWindow(list, "receivedMSGRecord", rowids, a, b);
        });
    const int recvCount = received.Records().Count();
    std::vector<qint64> recvOrder = RawOrder(received.Records().ListStatement());
    const int recvMid = std::min(500'000, recvCount / 2);
    Measure(
        "received: row 500,000", 3, [&] { received.CellText(recvMid, 1); },
        [&] {
            auto [a, b] = WindowOf(recvMid, recvCount);
            RawWindow(received.Records().ListStatement(), "receivedMSGRecord", recvOrder, a, b);
        },
        [&] { received.Records().Source().DropCache(); });
    Measure(
        "received: sort by 姓名", 2,
        [&] {
            received.HeaderClicked(1);
            received.CellText(0, 1);
        },
        [&] {
            const QString list = received.Records().ListStatement();
            RawMax("receivedMSGRecord");
            const std::vector<qint64> rowids = RawOrder(list);
            auto [a, b] = WindowOf(0, static_cast<int>(rowids.size()));
            RawWindow(list, "receivedMSGRecord", rowids, a, b);
        });
    PrintCounters("received list", received.Records().Source());

    // ---- export of every record ------------------------------------------------------
    page.QueryRecords(kSmsSent, QString(), -1);
    const QString realFile = dir.filePath(QStringLiteral("real.xlsx"));
    const QString rawFile = dir.filePath(QStringLiteral("raw.xlsx"));
    const QStringList header = page.Category()->exportNames;
    Measure(
        "export of all records (.xlsx)", 1,
        [&] {
            SetNextFileName(realFile);
            page.OnExport();
        },
        [&] { RawXlsx(rawFile, page.ListStatement(), header, header.size()); });
    std::printf("  files: %lld and %lld bytes\n", static_cast<long long>(QFile(realFile).size()),
                static_cast<long long>(QFile(rawFile).size()));
    PrintCounters("record list after the export", page.Rows());

    // ---- delete of 25,000 selected records --------------------------------------
    const int kDelete = std::min(25'000, count / 4);
    Measure(
        "delete of 25,000 selected", 1,
        [&] {
            QAbstractItemModel* model = page.RecordList()->model();
            page.RecordList()->selectionModel()->select(
                QItemSelection(model->index(0, 0), model->index(kDelete - 1, 0)),
                QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
            page.OnDeleteOrSurvey();
        },
        [&] {
            // The next 25,000 rows, now first: their ids by rowid, then the
            // three tables in batches of 10,000 in one transaction, then
            // the list again.
            std::vector<qint64> rowids = RawOrder(page.ListStatement());
            rowids.resize(std::min<size_t>(rowids.size(), kDelete));
            sqlite3_stmt* id = Prepare("SELECT sendID FROM sendInfo WHERE rowid=?");
            std::vector<qint64> ids;
            for (qint64 r : rowids) {
                sqlite3_bind_int64(id, 1, r);
                if (sqlite3_step(id) == SQLITE_ROW)
                    ids.push_back(sqlite3_column_int64(id, 0));
                sqlite3_reset(id);
            }
            sqlite3_finalize(id);
            sqlite3_exec(g_pDB, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
            for (const char* table : {"sendNums", "attachmentContent", "sendInfo"}) {
                for (size_t first = 0; first < ids.size(); first += 10'000) {
                    std::string sql = std::string("DELETE FROM ") + table + " WHERE sendID IN (";
                    for (size_t i = first; i < std::min(ids.size(), first + 10'000); ++i)
                        sql += (i > first ? "," : "") + std::to_string(ids[i]);
                    sql += ")";
                    sqlite3_exec(g_pDB, sql.c_str(), nullptr, nullptr, nullptr);
                }
            }
            sqlite3_exec(g_pDB, "COMMIT", nullptr, nullptr, nullptr);
            RawOpenSent(page.ListStatement(), page.DetailStatement());
        });
    std::printf("  %d records left\n", page.Rows().Count());

    std::printf("\nresident size: %ld kB after building, %ld kB now, peak %ld kB\n", rssStart,
                StatusKb("VmRSS:"), StatusKb("VmHWM:"));
    PrintCounters("record list at the end", page.Rows());
    bool within = true;
    for (const Case& c : g_cases)
        within = within && c.raw > 0 && c.real <= 2 * c.raw;
    std::printf("%s\n", within ? "every case within 2x of its baseline" : "NOT every case within 2x");
    g_pLoginRights.reset();
    CloseDatabase();
    SetAppDirectory(QString());
    return 0;
}
