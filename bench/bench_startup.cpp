// The program's start-up work on the database (open, the schema statements,
// the collation) on a folder whose contact list holds a million rows and
// whose once-only rewrites have already run. It must not grow with the data:
// a few hundred milliseconds at most. The engine's bare open and close of the
// same file is the baseline.
#include "bench/bench_database.h"
#include "bench/bench_main.h"
#include "core/database.h"
#include "core/paths.h"
#include "core/sql.h"

#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>

namespace {

constexpr int kContacts = 1'000'000;

struct StartupFixture : BenchFolder {
    std::string dbPath;
    StartupFixture() {
        {
            SqlTransaction tx(g_pDB);
            SqlStatement insert(g_pDB, "INSERT INTO ContactList (name, mobileNum, groupID, perNO, isDeleted) "
                                       "VALUES (?1, ?2, ?3, ?4, 0)");
            uint64_t x = 88172645463325252ULL;
            for (int i = 0; i < kContacts; ++i) {
                x ^= x << 13, x ^= x >> 7, x ^= x << 17;
                insert.bind(1, "联系人" + std::to_string(i))
                    .bind(2, std::to_string(13000000000ULL + x % 1000000000ULL))
                    .bind(3, static_cast<int64_t>(1 + x % 20))
                    .bind(4, i + 1);
                insert.exec();
            }
            if (tx.commit() != SQLITE_OK)
                throw std::runtime_error("cannot fill the contact list");
        }
        CloseDatabase();
        // A second start on the full list, as a user's next launch would be.
        if (OpenDatabase() != 0)
            throw std::runtime_error("cannot reopen the database");
        dbPath = SystemDatabasePath().toStdString();
    }
    ~StartupFixture() {
        CloseDatabase();
        SetAppDirectory(QString());
    }
};

StartupFixture& Fixture() {
    static StartupFixture fixture;
    return fixture;
}

double g_seconds[3] = {0, 0, 0};  // mean: bare open, bare open reading the schema, OpenDatabase

template <typename F>
void Measure(benchmark::State& state, int slot, F&& run) {
    Fixture();
    double total = 0;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        if (!run()) {
            state.SkipWithError("failed");
            return;
        }
        const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        state.SetIterationTime(s);
        total += s;
    }
    g_seconds[slot] = total / static_cast<double>(state.iterations());
    if (slot > 0 && g_seconds[0] > 0)
        state.counters["x_bare_open"] = g_seconds[slot] / g_seconds[0];
}

// The engine alone: it opens lazily, so this reads little more than the header.
void BM_BareOpenClose(benchmark::State& state) {
    Measure(state, 0, [] {
        sqlite3* db = nullptr;
        const int rc = sqlite3_open_v2(Fixture().dbPath.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
        sqlite3_close(db);
        return rc == SQLITE_OK;
    });
}

// The engine made to read the schema once, for scale: the least any first
// statement costs.
void BM_BareOpenReadSchemaClose(benchmark::State& state) {
    Measure(state, 1, [] {
        sqlite3* db = nullptr;
        int rc = sqlite3_open_v2(Fixture().dbPath.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
        if (rc == SQLITE_OK)
            rc = sqlite3_exec(db, "SELECT 1 FROM sqlite_master LIMIT 1", nullptr, nullptr, nullptr);
        sqlite3_close(db);
        return rc == SQLITE_OK;
    });
}

void BM_CloseDatabaseOpenDatabase(benchmark::State& state) {
    Measure(state, 2, [] {
        CloseDatabase();
        return OpenDatabase() == 0;
    });
}

BENCHMARK(BM_BareOpenClose)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BareOpenReadSchemaClose)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CloseDatabaseOpenDatabase)->UseManualTime()->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    if (!RunBenchmarks(argc, argv, [] { Fixture(); }))
        return 1;
    if (g_seconds[0] > 0 && g_seconds[2] > 0) {
        std::printf("CloseDatabase+OpenDatabase: %.3f ms absolute (target: a few hundred ms at most)\n",
                    g_seconds[2] * 1e3);
        std::printf("  vs bare open+close %.3f ms: %.0fx\n", g_seconds[0] * 1e3, g_seconds[2] / g_seconds[0]);
        if (g_seconds[1] > 0)
            std::printf("  vs bare open+schema read+close %.3f ms: %.0fx\n", g_seconds[1] * 1e3,
                        g_seconds[2] / g_seconds[1]);
    }
    return 0;
}
