// One poll of 10,000 delivery reports written into a sendNums of 1,000,000
// rows (200 jobs of 5,000 numbers, one reference each) with the start-up
// indexes, through the report worker's writer, against the same UPDATE as a
// bare prepared loop in one transaction on the same data. The writer should
// cost no more than 1.3 times the bare loop.
#include "automation/report_thread.h"
#include "bench/bench_database.h"
#include "bench/bench_main.h"
#include "core/database.h"
#include "core/paths.h"
#include "service/web_service_client.h"

#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr int kJobs = 200;
constexpr int kPerJob = 5'000;
constexpr int kReports = 10'000;

struct ReportFixture : DatabaseCopies {
    std::vector<RECV_REPORT> reports;
    ReportFixture() {
        sqlite3* db = OpenConnection(templatePath);
        sqlite3_stmt* st = nullptr;
        if (!db || sqlite3_prepare_v2(db, "INSERT INTO sendNums (sendID,numOrMailAddr,rrid) VALUES(?1,?2,?3)",
                                      -1, &st, nullptr) != SQLITE_OK)
            throw std::runtime_error("cannot fill the database");
        Rng rng{7};
        std::vector<std::pair<std::string, std::string>> rows;
        rows.reserve(static_cast<size_t>(kJobs) * kPerJob);
        for (int job = 1; job <= kJobs; ++job) {
            sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
            const std::string rrid = "2026121100" + std::to_string(100000 + job);
            for (int i = 0; i < kPerJob; ++i) {
                std::string number = std::to_string(13000000000ULL + rng.next() % 1000000000ULL);
                sqlite3_bind_int(st, 1, job);
                sqlite3_bind_text(st, 2, number.data(), static_cast<int>(number.size()), SQLITE_TRANSIENT);
                sqlite3_bind_text(st, 3, rrid.data(), static_cast<int>(rrid.size()), SQLITE_TRANSIENT);
                sqlite3_step(st);
                sqlite3_reset(st);
                rows.emplace_back(std::move(number), rrid);
            }
            sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        }
        sqlite3_finalize(st);
        CloseConnection(db);
        for (int i = 0; i < kReports; ++i) {
            const auto& [number, rrid] = rows[rng.below(rows.size())];
            reports.push_back({QString::fromStdString(number), QString::fromStdString(rrid),
                               i % 3 ? QStringLiteral("DELIVRD") : QStringLiteral("UNDELIV")});
        }
    }
};

ReportFixture& Fixture() {
    static ReportFixture fixture;
    return fixture;
}

double g_seconds[2] = {0, 0}; // mean per run: bare loop, writer

bool UpdateBare(sqlite3* db, std::vector<RECV_REPORT>& reports) {
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, kStatusReportUpdate, -1, &st, nullptr) != SQLITE_OK)
        return false;
    bool ok = sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK;
    for (const RECV_REPORT& r : reports) {
        const QByteArray status = r.status.toUtf8(), number = r.number.toUtf8(), rrid = r.rrid.toUtf8();
        sqlite3_bind_text(st, 1, status.constData(), static_cast<int>(status.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 2, number.constData(), static_cast<int>(number.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 3, rrid.constData(), static_cast<int>(rrid.size()), SQLITE_TRANSIENT);
        ok = ok && sqlite3_step(st) == SQLITE_DONE;
        sqlite3_reset(st);
    }
    ok = ok && sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_finalize(st);
    return ok;
}

bool Writer(sqlite3* db, std::vector<RECV_REPORT>& reports) {
    WorkerControl control;
    control.running = true;
    return WriteStatusReports(db, reports, &control) && reports.empty();
}

void Run(benchmark::State& state, bool (*work)(sqlite3*, std::vector<RECV_REPORT>&), int slot) {
    auto& f = Fixture();
    double total = 0;
    for (auto _ : state) {
        const QString path = f.freshCopy();
        sqlite3* db = OpenConnection(path);
        if (!db) {
            state.SkipWithError("cannot open the copy");
            return;
        }
        std::vector<RECV_REPORT> reports = f.reports; // copied outside the measured time
        const auto t0 = std::chrono::steady_clock::now();
        const bool ok = work(db, reports);
        const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        const bool updated = [&] {
            sqlite3_stmt* st = nullptr;
            sqlite3_prepare_v2(db, "SELECT COUNT(*) FROM sendNums WHERE status IS NOT NULL", -1, &st,
                               nullptr);
            const bool any = st && sqlite3_step(st) == SQLITE_ROW && sqlite3_column_int(st, 0) > kReports / 2;
            sqlite3_finalize(st);
            return any;
        }();
        state.SetIterationTime(s);
        total += s;
        CloseConnection(db);
        ReportFixture::remove(path);
        if (!ok || !updated) {
            state.SkipWithError("the run failed");
            return;
        }
    }
    g_seconds[slot] = total / static_cast<double>(state.iterations());
    state.counters["reports/s"] = benchmark::Counter(
        static_cast<double>(kReports) * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    if (slot == 1 && g_seconds[0] > 0)
        state.counters["x_bare"] = g_seconds[1] / g_seconds[0];
}

void BM_ReportUpdateBareLoop(benchmark::State& state) {
    Run(state, UpdateBare, 0);
}
void BM_ReportWriter(benchmark::State& state) {
    Run(state, Writer, 1);
}

// The baseline runs first: the writer reports itself against it.
BENCHMARK(BM_ReportUpdateBareLoop)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReportWriter)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (!RunBenchmarks(argc, argv, [] { Fixture(); }))
        return 1;
    if (g_seconds[0] > 0 && g_seconds[1] > 0)
        std::printf("report writer/bare loop: %.1f ms / %.1f ms = %.2fx (target <= 1.3x)\n",
                    g_seconds[1] * 1e3, g_seconds[0] * 1e3, g_seconds[1] / g_seconds[0]);
    return 0;
}
