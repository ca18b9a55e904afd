// The daily copy of a database of 1,000,000 contacts (online copy in steps
// from a connection of its own, quick_check of the copy, fsync, rename)
// against one bare sqlite3_backup_step(-1) of the same file, with the
// quick_check alone measured too: it is the part the bare copy does not do.
#include "bench/bench_database.h"
#include "bench/bench_main.h"
#include "core/database.h"
#include "core/db_backup.h"
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

// Three-byte UTF-8 of a character in the common CJK block.
void AppendCjk(std::string& out, uint32_t cp) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
}

// A program folder whose database the program built itself, filled with
// contacts as the contact editor writes them, and open as in a running program.
struct CopyFixture : BenchFolder {
    QString database;
    int64_t bytes = 0;
    int runs = 0;

    CopyFixture() {
        database = SystemDatabasePath();
        fill();
        // The contacts are in the file itself, as after the program's own checkpoints.
        sqlite3_wal_checkpoint_v2(g_pDB, nullptr, SQLITE_CHECKPOINT_TRUNCATE, nullptr, nullptr);
        bytes = QFile(database).size();
    }
    ~CopyFixture() {
        CloseDatabase();
        SetAppDirectory(QString());
    }

    void fill() {
        Rng rng{11};
        SqlTransaction tx(g_pDB);
        SqlStatement st(g_pDB,
                        "INSERT INTO ContactList (name, sex, mobileNum, birthDay, eMail, coName, province, "
                        "city, mark, groupID, perNO, isDeleted, firstLetter, displayIndex) "
                        "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, 0, ?12, ?11)");
        if (!tx.active() || !st.ok())
            throw std::runtime_error("cannot fill the database");
        char date[16];
        for (int i = 1; i <= kContacts; ++i) {
            const uint64_t v = rng.next();
            std::string name;
            for (int k = 0; k < 2 + static_cast<int>(v % 2); ++k)
                AppendCjk(name, 0x4E00 + static_cast<uint32_t>((v >> (8 + 12 * k)) % 0x5000));
            std::snprintf(date, sizeof date, "19%02d-%02d-%02d", static_cast<int>(v % 100),
                          1 + static_cast<int>((v >> 8) % 12), 1 + static_cast<int>((v >> 16) % 28));
            const std::string mobile = std::to_string(13000000000ULL + rng.next() % 1000000000ULL);
            std::string company;
            AppendCjk(company, 0x4E00 + static_cast<uint32_t>((v >> 24) % 0x5000));
            company += "有限公司";
            st.bind(1, name)
                .bind(2, (v & 1) ? "男" : "女")
                .bind(3, mobile)
                .bind(4, date)
                .bind(5, "user" + std::to_string(i) + "@example.com")
                .bind(6, company)
                .bind(7, "广东")
                .bind(8, "深圳")
                .bind(9, "")
                .bind(10, static_cast<int64_t>(1 + (v >> 60)))
                .bind(11, static_cast<int64_t>(i))
                .bind(12, std::string(1, static_cast<char>('A' + (v >> 40) % 26)));
            if (st.exec() != SQLITE_OK)
                throw std::runtime_error("insert failed");
            st.reset();
        }
        if (tx.commit() != SQLITE_OK)
            throw std::runtime_error("commit failed");
    }

    QString target() { return dir.path() + QStringLiteral("/copy%1.db3").arg(++runs); }
    static void remove(const QString& path) {
        for (const char* suffix : {"", "-journal", "-wal", "-shm"})
            QFile::remove(path + QLatin1String(suffix));
    }
};

CopyFixture& Fixture() {
    static CopyFixture fixture;
    return fixture;
}

double g_seconds[3] = {0, 0, 0}; // mean per run: bare backup, daily copy, quick_check

bool BareBackup(const QString& source, const QString& target) {
    sqlite3* src = nullptr;
    sqlite3* dst = nullptr;
    bool ok =
        sqlite3_open_v2(source.toUtf8().constData(), &src, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK &&
        sqlite3_open_v2(target.toUtf8().constData(), &dst, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                        nullptr) == SQLITE_OK;
    if (ok) {
        sqlite3_backup* b = sqlite3_backup_init(dst, "main", src, "main");
        ok = b && sqlite3_backup_step(b, -1) == SQLITE_DONE;
        ok = sqlite3_backup_finish(b) == SQLITE_OK && ok;
    }
    sqlite3_close(dst);
    sqlite3_close(src);
    return ok;
}

bool DailyCopy(const QString& source, const QString& target) {
    return CopyDatabaseFile(source, target, false).ok();
}

bool QuickCheck(const QString& source, const QString&) {
    sqlite3* db = OpenConnection(source);
    SqlStatement st(db, "PRAGMA quick_check");
    const bool ok = st.step() == SQLITE_ROW && st.text(0) == "ok";
    CloseConnection(db);
    return ok;
}

void Run(benchmark::State& state, bool (*work)(const QString&, const QString&), int slot) {
    auto& f = Fixture();
    double total = 0;
    for (auto _ : state) {
        const QString target = f.target();
        const auto t0 = std::chrono::steady_clock::now();
        const bool ok = work(f.database, target);
        const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        state.SetIterationTime(s);
        total += s;
        CopyFixture::remove(target);
        if (!ok) {
            state.SkipWithError("copy failed");
            return;
        }
    }
    g_seconds[slot] = total / static_cast<double>(state.iterations());
    state.counters["MB/s"] =
        benchmark::Counter(static_cast<double>(f.bytes) / 1e6 * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate);
    if (slot > 0 && g_seconds[0] > 0)
        state.counters["x_bare"] = g_seconds[slot] / g_seconds[0];
}

void BM_BareBackupStep(benchmark::State& state) {
    Run(state, BareBackup, 0);
}
void BM_DailyCopy(benchmark::State& state) {
    Run(state, DailyCopy, 1);
}
void BM_QuickCheck(benchmark::State& state) {
    Run(state, QuickCheck, 2);
}

// The bare copy runs first: the others report themselves against it.
BENCHMARK(BM_BareBackupStep)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DailyCopy)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QuickCheck)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (!RunBenchmarks(argc, argv, [] { Fixture(); }))
        return 1;
    if (g_seconds[0] > 0 && g_seconds[1] > 0)
        std::printf(
            "database %.1f MB; daily copy/bare backup: %.1f ms / %.1f ms = %.2fx; quick_check alone %.1f ms; "
            "daily copy without it %.2fx\n",
            static_cast<double>(Fixture().bytes) / 1e6, g_seconds[1] * 1e3, g_seconds[0] * 1e3,
            g_seconds[1] / g_seconds[0], g_seconds[2] * 1e3, (g_seconds[1] - g_seconds[2]) / g_seconds[0]);
    return 0;
}
