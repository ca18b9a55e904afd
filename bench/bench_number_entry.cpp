// 100,000 pasted lines of mobile numbers added to a number list as the
// number entry dialog does (checked, kept once, no name lookups at this
// size), against parsing the same lines into an unordered_set<int64_t>. The
// dialog's work should cost at most three times the bare parse.
#include "bench/bench_main.h"
#include "contacts/number_entry.h"
#include "core/numbers.h"
#include "tests/support/hash_virtual_list.h"

#include <QStringList>
#include <QStringTokenizer>
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <unordered_set>

namespace {

constexpr int kLines = 100'000;

// Mostly mobile numbers, some with a name after them, some international,
// some repeated and some refused, with mixed line ends.
QString PastedText() {
    Rng rng{42};
    QString text;
    for (int i = 0; i < kLines; ++i) {
        const size_t kind = rng.below(100);
        if (kind < 70)
            text += QString::number(13000000000LL + static_cast<qint64>(rng.below(7000000000ULL)));
        else if (kind < 80)
            text += QString::number(13800000000LL + static_cast<qint64>(rng.below(1000))) +
                    QStringLiteral(" 张三");
        else if (kind < 90)
            text += QStringLiteral("00") +
                    QString::number(852000000000LL + static_cast<qint64>(rng.below(1000000000ULL)));
        else
            text += QString::number(12000000000LL + static_cast<qint64>(rng.below(900000000)));
        text += (i % 2) ? QStringLiteral("\r\n") : QStringLiteral("\n");
    }
    return text;
}

// A connection with a contact table, as the dialog has; at this size it must
// not be used.
sqlite3* Database() {
    static sqlite3* db = [] {
        sqlite3* d = nullptr;
        sqlite3_open(":memory:", &d);
        sqlite3_exec(d, "CREATE TABLE ContactList(name TEXT, mobileNum TEXT)", nullptr, nullptr, nullptr);
        return d;
    }();
    return db;
}

const QString& Text() {
    static const QString text = PastedText();
    return text;
}

double g_seconds[2] = {0, 0}; // mean per run: bare parse, dialog

double Since(std::chrono::steady_clock::time_point t0) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

void BM_ParseIntoSet(benchmark::State& state) {
    const QString& text = Text();
    double total = 0;
    size_t kept = 0;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        std::unordered_set<int64_t> keys;
        for (QStringView line : QStringTokenizer(text, QLatin1Char('\n'))) {
            const NumberToken token =
                ParseNumberToken(QString::fromRawData(line.data(), std::min<qsizetype>(line.size(), 17)));
            if (token.key)
                keys.insert(*token.key);
        }
        const double s = Since(t0);
        kept = keys.size();
        state.SetIterationTime(s);
        total += s;
    }
    state.counters["numbers"] = static_cast<double>(kept);
    g_seconds[0] = total / static_cast<double>(state.iterations());
}

void BM_AddEntryNumbers(benchmark::State& state) {
    const QString& text = Text();
    double total = 0;
    int kept = 0;
    for (auto _ : state) {
        HashVirtualList list;
        const auto t0 = std::chrono::steady_clock::now();
        AddEntryNumbers(text, list, Database());
        const double s = Since(t0);
        kept = list.GetCount();
        state.SetIterationTime(s);
        total += s;
    }
    state.counters["numbers"] = static_cast<double>(kept);
    g_seconds[1] = total / static_cast<double>(state.iterations());
    if (g_seconds[0] > 0)
        state.counters["x_set"] = g_seconds[1] / g_seconds[0];
}

// The bare parse runs first: the dialog's run reports itself against it.
BENCHMARK(BM_ParseIntoSet)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AddEntryNumbers)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (!RunBenchmarks(argc, argv, [] {
            Text();
            Database();
        }))
        return 1;
    if (g_seconds[0] > 0 && g_seconds[1] > 0)
        std::printf("number entry/unordered_set: %.3f ms / %.3f ms = %.2fx (target <= 3x)\n",
                    g_seconds[1] * 1e3, g_seconds[0] * 1e3, g_seconds[1] / g_seconds[0]);
    return 0;
}
