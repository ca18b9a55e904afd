// Sending a 20-frame MMS to 100,000 numbers in batches of 5,000 through the
// whole submission (the file check, pending records with their frames, an
// in-process sender answering at once on the submission's worker, the
// outcome update), against bare prepared inserts of the same sendNums rows,
// one transaction per batch. Every number row is written and then updated
// once; it should cost no more than twice the bare inserts.
#include "bench/bench_database.h"
#include "bench/bench_main.h"
#include "channels/mms_submission.h"
#include "core/app_globals.h"
#include "core/database.h"
#include "core/helpers.h"
#include "core/sql.h"

#include <QEventLoop>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kNumbers = 100'000;
constexpr int kBatch = 5'000;
constexpr int kFrames = 20;

class AtOnceSender : public MmsSender {
public:
    MmsSendAnswer Send(const MmsSendCall&) override { return {0, CallOutcome::Answered}; }
};

struct SubmitFixture : DatabaseCopies {
    std::vector<SmsRecipient> numbers;
    std::vector<MMSCONTENT> frames;
    SubmitFixture() {
        Rng rng{11};
        for (int i = 0; i < kNumbers; ++i) {
            SmsRecipient r;
            r.key = 13000000000LL + static_cast<qint64>(rng.next() % 1000000000ULL);
            r.number = std::to_string(r.key);
            r.name = QStringLiteral("联系人%1").arg(i % 1000);
            numbers.push_back(std::move(r));
        }
        for (int i = 0; i < kFrames; ++i)
            frames.push_back(
                {QString(), QString(), QString(),
                 QStringLiteral("第%1帧：您好，本周六上午十点在会议室开会，请准时参加。").arg(i + 1)});
        g_sysSettings.assign(10, SYSSETTING{});
        g_sysSettings[8] = SYSSETTING{1, QString::number(kBatch)};
        g_nMmsMaxSize = 51200;
    }
};

SubmitFixture& Fixture() {
    static SubmitFixture fixture;
    return fixture;
}

double g_seconds[2] = {0, 0}; // mean per run: bare inserts, submission

bool InsertBare(sqlite3* db, std::vector<SmsRecipient>& numbers) {
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(
            db, "INSERT INTO sendNums (sendID,numOrMailAddr,name,rrid,status) VALUES(?1,?2,?3,'',NULL)", -1,
            &st, nullptr) != SQLITE_OK)
        return false;
    bool ok = true;
    for (size_t first = 0; first < numbers.size(); first += kBatch) {
        ok = ok && sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK;
        const size_t end = std::min(numbers.size(), first + kBatch);
        for (size_t i = first; i < end; ++i) {
            const std::string name = numbers[i].name.toStdString();
            sqlite3_bind_int64(st, 1, 2);
            sqlite3_bind_text(st, 2, numbers[i].number.data(), static_cast<int>(numbers[i].number.size()),
                              SQLITE_STATIC);
            sqlite3_bind_text(st, 3, name.data(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
            ok = ok && sqlite3_step(st) == SQLITE_DONE;
            sqlite3_reset(st);
        }
        ok = ok && sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    sqlite3_finalize(st);
    return ok;
}

bool Submit(sqlite3* db, std::vector<SmsRecipient>& numbers) {
    MmsSubmission submission(std::make_unique<AtOnceSender>());
    submission.SetDatabase(db);
    MmsSubmitRequest request;
    request.title = QStringLiteral("周六例会");
    request.frames = Fixture().frames;
    request.numbers = std::move(numbers); // the composer hands its list over
    QEventLoop loop;
    MmsSubmitResult result;
    QObject::connect(&submission, &MmsSubmission::finished, [&](const MmsSubmitResult& r) {
        result = r;
        loop.quit();
    });
    if (submission.Start(std::move(request)) != MmsStartResult::Started)
        return false;
    loop.exec();
    return result.sentCount == kNumbers;
}

void Run(benchmark::State& state, bool (*work)(sqlite3*, std::vector<SmsRecipient>&), int slot) {
    auto& f = Fixture();
    double total = 0;
    for (auto _ : state) {
        const QString path = f.freshCopy();
        sqlite3* db = OpenConnection(path);
        if (!db) {
            state.SkipWithError("cannot open the copy");
            return;
        }
        std::vector<SmsRecipient> numbers = f.numbers; // copied outside the measured time
        const auto t0 = std::chrono::steady_clock::now();
        const bool ok = work(db, numbers);
        const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        state.SetIterationTime(s);
        total += s;
        CloseConnection(db);
        SubmitFixture::remove(path);
        if (!ok) {
            state.SkipWithError("the run failed");
            return;
        }
    }
    g_seconds[slot] = total / static_cast<double>(state.iterations());
    state.counters["numbers/s"] = benchmark::Counter(
        static_cast<double>(kNumbers) * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    if (slot == 1 && g_seconds[0] > 0)
        state.counters["x_bare"] = g_seconds[1] / g_seconds[0];
}

void BM_SendNumsBareInserts(benchmark::State& state) {
    Run(state, InsertBare, 0);
}
void BM_MmsSubmission(benchmark::State& state) {
    Run(state, Submit, 1);
}

// The baseline runs first: the submission reports itself against it.
BENCHMARK(BM_SendNumsBareInserts)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MmsSubmission)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (!RunBenchmarks(argc, argv, [] { Fixture(); }))
        return 1;
    if (g_seconds[0] > 0 && g_seconds[1] > 0)
        std::printf("MMS submission/bare inserts: %.1f ms / %.1f ms = %.2fx (target <= 2x)\n",
                    g_seconds[1] * 1e3, g_seconds[0] * 1e3, g_seconds[1] / g_seconds[0]);
    return 0;
}
