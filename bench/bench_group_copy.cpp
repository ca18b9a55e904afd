// The group chooser's copy: 100,000 contacts ("all except 10" of a group)
// of a 1,000,000-row table copied into another group, against a bare
// prepared "INSERT ... SELECT ... WHERE rowid=?" loop in one transaction over
// the same rows, whose rowids it is handed ready-made.
#include "bench/bench_database.h"
#include "bench/bench_main.h"
#include "contacts/contact_record.h"
#include "contacts/contact_selection.h"
#include "contacts/group_chooser.h"
#include "core/database.h"
#include "core/paths.h"
#include "core/sql.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr int kContacts = 1'000'000;
constexpr int kGroupEvery = 10; // every tenth contact is in the source group
constexpr int kSourceGroup = 1;
constexpr int kTargetGroup = 900;

struct CopyFixture : BenchFolder {
    ContactSelection selection{QStringLiteral(
        "SELECT name,mobileNum FROM ContactList WHERE groupID=1 ORDER BY displayIndex, rowid")};
    std::vector<qint64> rowids; // the ticked rows in list order, for the baseline

    CopyFixture() {
        fill();
        selection.TickAll();
        std::vector<qint64> all;
        SqlStatement st(g_pDB, "SELECT rowid FROM ContactList WHERE groupID=1 ORDER BY displayIndex, rowid");
        while (st.step() == SQLITE_ROW)
            all.push_back(st.int64(0));
        // Ten rows spread over the list stay unticked.
        const size_t step = all.size() / 10;
        for (size_t i = 0; i < all.size(); ++i) {
            if (i % step == 5 && i / step < 10)
                selection.Tick(all[i], false);
            else
                rowids.push_back(all[i]);
        }
        // "all except 10"
        if (all.size() - rowids.size() != 10)
            throw std::runtime_error("selection is not all except 10");
    }
    ~CopyFixture() {
        CloseDatabase();
        SetAppDirectory(QString());
    }

    void fill() {
        Rng rng{7};
        SqlTransaction tx(g_pDB);
        SqlStatement st(
            g_pDB, "INSERT INTO ContactList (name, sex, mobileNum, eMail, coName, province, city, mark, "
                   "groupID, perNO, isDeleted, firstLetter, displayIndex, txtDef1) "
                   "VALUES (?1, ?2, ?3, ?4, '某某有限公司', '广东', '深圳', '', ?5, ?6, 0, 'A', ?7, ?8)");
        if (!tx.active() || !st.ok())
            throw std::runtime_error("cannot fill the database");
        // The source group gets 100,010 rows, so "all except 10" is 100,000.
        const int sourceRows = kContacts / kGroupEvery + 10;
        for (int i = 1; i <= kContacts; ++i) {
            const uint64_t v = rng.next();
            const int group = i <= sourceRows ? kSourceGroup : 2 + static_cast<int>(v % 50);
            st.bind(1, "联系人" + std::to_string(i))
                .bind(2, (v & 1) ? "男" : "女")
                .bind(3, std::to_string(13000000000ULL + v % 1000000000ULL))
                .bind(4, "user" + std::to_string(i) + "@example.com")
                .bind(5, static_cast<int64_t>(group))
                .bind(6, static_cast<int64_t>(i))
                .bind(7, static_cast<int64_t>(v % 100000))
                .bind(8, "备注" + std::to_string(v % 1000));
            if (st.exec() != SQLITE_OK)
                throw std::runtime_error("insert failed");
            st.reset();
        }
        if (tx.commit() != SQLITE_OK)
            throw std::runtime_error("commit failed");
    }

    static void removeCopies() {
        if (ExecSql(nullptr, g_pDB,
                    "DELETE FROM ContactList WHERE groupID=" + std::to_string(kTargetGroup)) != SQLITE_OK)
            throw std::runtime_error("cannot remove the copies");
    }
};

CopyFixture& Fixture() {
    static CopyFixture fixture;
    return fixture;
}

double g_seconds[2] = {0, 0}; // mean per run: bare loop, chooser copy

bool BareLoop() {
    auto& f = Fixture();
    std::string others;
    for (const char* column : kContactColumns) {
        if (std::strcmp(column, "groupID") != 0 && std::strcmp(column, "perNO") != 0)
            others += std::string(",") + column;
    }
    SqlTransaction tx(g_pDB);
    SqlStatement st(g_pDB, "INSERT INTO ContactList(groupID,perNO" + others + ") SELECT ?,?" + others +
                               " FROM ContactList WHERE rowid=?");
    int64_t perNo = AllocateId(g_pDB, "ContactList", "perNO", static_cast<int64_t>(f.rowids.size()));
    for (qint64 rowid : f.rowids) {
        st.bind(1, kTargetGroup).bind(2, perNo++).bind(3, static_cast<int64_t>(rowid));
        if (st.exec() != SQLITE_OK)
            return false;
    }
    return tx.commit() == SQLITE_OK;
}

bool ChooserCopy() {
    return CopyContactsToGroups(Fixture().selection, {kTargetGroup});
}

void Run(benchmark::State& state, bool (*work)(), int slot) {
    Fixture();
    double total = 0;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        const bool ok = work();
        const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        state.SetIterationTime(s);
        total += s;
        CopyFixture::removeCopies();
        if (!ok) {
            state.SkipWithError("copy failed");
            return;
        }
    }
    g_seconds[slot] = total / static_cast<double>(state.iterations());
    if (slot > 0 && g_seconds[0] > 0)
        state.counters["x_bare"] = g_seconds[slot] / g_seconds[0];
}

void BM_BarePreparedLoop(benchmark::State& state) {
    Run(state, BareLoop, 0);
}
void BM_ChooserCopy(benchmark::State& state) {
    Run(state, ChooserCopy, 1);
}

BENCHMARK(BM_BarePreparedLoop)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ChooserCopy)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (!RunBenchmarks(argc, argv, [] { Fixture(); }))
        return 1;
    if (g_seconds[0] > 0 && g_seconds[1] > 0)
        std::printf("chooser copy of %zu contacts / bare prepared loop: %.1f ms / %.1f ms = %.2fx\n",
                    Fixture().rowids.size(), g_seconds[1] * 1e3, g_seconds[0] * 1e3,
                    g_seconds[1] / g_seconds[0]);
    return 0;
}
