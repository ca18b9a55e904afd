// The SMS composer's intake of 1,000,000 ticked contacts (generated, every
// seventh number a repeat) into its number list, against the raw read of the
// same column in the same order into a std::unordered_set<int64_t>:
//   intake    RecipientIntake over a ContactSelection into VIRTUAL_LIST_BUF,
//             in slices of 10,000 rows as the composer's timer drives it
//   baseline  one sqlite3_prepare/sqlite3_step pass, mobileNum as an integer
// The ratio intake/baseline is printed at the end (target: within 2x).
#include "bench/bench_database.h"
#include "bench/bench_main.h"
#include "contacts/contact_selection.h"
#include "core/database.h"
#include "core/paths.h"
#include "sms/recipient_intake.h"
#include "sms/row_sources.h"
#include "tests/support/contact_generator.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <stdexcept>
#include <string>
#include <unordered_set>

namespace {

constexpr int kContacts = 1'000'000;
constexpr int kGroup = 1;
constexpr int kSlice = 10'000;
const char* const kStatement = "SELECT * FROM ContactList WHERE groupID=1 ORDER BY displayIndex, rowid";

struct Fixture : BenchFolder {
    size_t distinct = 0;
    Fixture() {
        if (GenerateContacts(kContacts, kGroup).count != kContacts)
            throw std::runtime_error("cannot fill the database");
    }
};

Fixture& F() {
    static Fixture f;
    return f;
}

std::map<std::string, double> g_seconds;

template <typename Work> void Timed(benchmark::State& state, const std::string& name, Work work) {
    F();
    g_seconds[name] = TimeIterations(state, work, [&](size_t rows) {
        if (F().distinct == 0)
            F().distinct = rows;
        else if (F().distinct != rows)
            state.SkipWithError("intake and baseline disagree on the numbers");
    });
}

void BM_IntakeBaseline(benchmark::State& state) {
    Timed(state, "baseline", [] {
        std::unordered_set<int64_t> numbers;
        sqlite3_stmt* st = nullptr;
        const std::string sql = "SELECT mobileNum " + ContactSelection::FromClause(kStatement).toStdString();
        if (sqlite3_prepare_v2(g_pDB, sql.c_str(), -1, &st, nullptr) != SQLITE_OK)
            throw std::runtime_error("prepare failed");
        while (sqlite3_step(st) == SQLITE_ROW)
            numbers.insert(sqlite3_column_int64(st, 0));
        sqlite3_finalize(st);
        return numbers.size();
    });
}

void BM_Intake(benchmark::State& state) {
    Timed(state, "intake", [] {
        ContactSelection selection{QString::fromLatin1(kStatement)};
        selection.TickAll();
        VIRTUAL_LIST_BUF list;
        RecipientIntake intake(list);
        intake.AddSelection(g_pDB, selection);
        while (intake.Step(kSlice)) {
        }
        if (intake.QueryFailed())
            throw std::runtime_error("intake query failed");
        return static_cast<size_t>(list.GetCount());
    });
}

BENCHMARK(BM_IntakeBaseline)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Intake)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    const bool ok = RunBenchmarks(argc, argv, [] { F(); });
    if (g_seconds.count("baseline") && g_seconds.count("intake"))
        std::printf("intake/baseline: %.2fx (%.0f ms against %.0f ms, %zu numbers)\n",
                    g_seconds["intake"] / g_seconds["baseline"], g_seconds["intake"] * 1000,
                    g_seconds["baseline"] * 1000, F().distinct);
    return ok ? 0 : 1;
}
