// Filling the contact list through the program's own statement and
// transaction classes against a bare prepared-statement loop of the engine,
// each into a fresh copy of the same database, opened the same way (so the
// journal mode and the indexes are equal). The classes should cost no more
// than 1.3 times the bare loop.
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
#include <vector>

namespace {

constexpr int kRows = 1'000'000;
constexpr char kInsert[] = "INSERT INTO ContactList (name, mobileNum, groupID, perNO, isDeleted) VALUES (?1, ?2, ?3, ?4, ?5)";


struct Row {
    std::string name;
    std::string mobile;
    int64_t group;
    int64_t perNO;
};

// Three-byte UTF-8 of a character in the common CJK block.
void AppendCjk(std::string& out, uint32_t cp) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
}

std::vector<Row> MakeRows() {
    Rng rng{7};
    std::vector<Row> rows;
    rows.reserve(kRows);
    for (int i = 0; i < kRows; ++i) {
        Row r;
        const uint64_t v = rng.next();
        const int chars = 2 + static_cast<int>(v % 2);
        for (int k = 0; k < chars; ++k)
            AppendCjk(r.name, 0x4E00 + static_cast<uint32_t>((v >> (8 + 12 * k)) % 0x5000));
        r.mobile = std::to_string(13000000000ULL + rng.next() % 1000000000ULL);  // random: the index sees no order
        r.group = 1 + static_cast<int64_t>(v >> 60);
        r.perNO = i + 1;
        rows.push_back(std::move(r));
    }
    return rows;
}

// A program folder whose database the program built itself, and the rows.
// Every run copies that database to a file of its own.
struct InsertFixture : DatabaseCopies {
    std::vector<Row> rows = MakeRows();
};

InsertFixture& Fixture() {
    static InsertFixture fixture;
    return fixture;
}

double g_seconds[2] = {0, 0};  // mean per run: bare loop, program classes

bool InsertBare(sqlite3* db, const std::vector<Row>& rows) {
    if (sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK)
        return false;
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, kInsert, -1, &st, nullptr) != SQLITE_OK)
        return false;
    bool ok = true;
    for (const Row& r : rows) {
        sqlite3_bind_text(st, 1, r.name.data(), static_cast<int>(r.name.size()), SQLITE_STATIC);
        sqlite3_bind_text(st, 2, r.mobile.data(), static_cast<int>(r.mobile.size()), SQLITE_STATIC);
        sqlite3_bind_int64(st, 3, r.group);
        sqlite3_bind_int64(st, 4, r.perNO);
        sqlite3_bind_int64(st, 5, 0);
        ok = ok && sqlite3_step(st) == SQLITE_DONE;
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    return sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK && ok;
}

bool InsertThroughClasses(sqlite3* db, const std::vector<Row>& rows) {
    SqlTransaction tx(db);
    SqlStatement st(db, kInsert);
    if (!tx.active() || !st.ok())
        return false;
    bool ok = true;
    for (const Row& r : rows) {
        st.bind(1, r.name).bind(2, r.mobile).bind(3, r.group).bind(4, r.perNO).bind(5, 0);
        ok = st.exec() == SQLITE_OK && ok;
        st.reset();
    }
    return tx.commit() == SQLITE_OK && ok;
}

void RunInsert(benchmark::State& state, bool (*insert)(sqlite3*, const std::vector<Row>&), int slot) {
    auto& f = Fixture();
    double total = 0;
    for (auto _ : state) {
        const QString path = f.freshCopy();
        sqlite3* db = OpenConnection(path);
        if (!db) {
            state.SkipWithError("cannot open the copy");
            return;
        }
        const auto t0 = std::chrono::steady_clock::now();
        const bool ok = insert(db, f.rows);
        const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        state.SetIterationTime(s);
        total += s;
        CloseConnection(db);
        InsertFixture::remove(path);
        if (!ok) {
            state.SkipWithError("insert failed");
            return;
        }
    }
    g_seconds[slot] = total / static_cast<double>(state.iterations());
    state.counters["rows/s"] = benchmark::Counter(static_cast<double>(kRows) * static_cast<double>(state.iterations()),
                                                  benchmark::Counter::kIsRate);
    if (slot == 1 && g_seconds[0] > 0)
        state.counters["x_bare"] = g_seconds[1] / g_seconds[0];
}

void BM_InsertBareSqlite(benchmark::State& state) { RunInsert(state, InsertBare, 0); }
void BM_InsertSqlStatement(benchmark::State& state) { RunInsert(state, InsertThroughClasses, 1); }

// The bare loop runs first: the classes report themselves against it.
BENCHMARK(BM_InsertBareSqlite)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InsertSqlStatement)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (!RunBenchmarks(argc, argv, [] { Fixture(); }))
        return 1;
    if (g_seconds[0] > 0 && g_seconds[1] > 0)
        std::printf("SqlStatement/bare: %.1f ms / %.1f ms = %.2fx (target <= 1.3x)\n", g_seconds[1] * 1e3,
                    g_seconds[0] * 1e3, g_seconds[1] / g_seconds[0]);
    return 0;
}
