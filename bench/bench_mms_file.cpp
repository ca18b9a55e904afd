// Export and import of a 20-frame MMS (each frame a 1 MiB picture, a 256 KiB
// sound and 200 characters) against copying the same 40 files' bytes into
// one file and back out into 40 files. Within 1.5 times the copy.
#include "bench/bench_main.h"
#include "channels/mms_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace {

constexpr int kFrames = 20;
constexpr qint64 kPicture = 1 << 20;
constexpr qint64 kSound = 256 << 10;
constexpr qint64 kChunk = 1 << 20;

struct FileFixture {
    QTemporaryDir dir;
    std::vector<MMSCONTENT> frames;
    FileFixture() {
        if (!dir.isValid())
            throw std::runtime_error("no temporary folder");
        Rng rng{5};
        const auto write = [&](const QString& name, qint64 size) {
            QByteArray bytes(size, '\0');
            for (qint64 i = 0; i < size; i += 8) {
                const uint64_t v = rng.next();
                std::memcpy(bytes.data() + i, &v, static_cast<size_t>(std::min<qint64>(8, size - i)));
            }
            QFile f(dir.filePath(name));
            if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != size)
                throw std::runtime_error("cannot write a source file");
            return f.fileName();
        };
        for (int i = 0; i < kFrames; ++i) {
            MMSCONTENT frame;
            frame.picturePath = write(QStringLiteral("p%1.jpg").arg(i), kPicture);
            frame.soundPath = write(QStringLiteral("s%1.amr").arg(i), kSound);
            frame.text = QString(QChar(u'字')).repeated(200);
            frames.push_back(frame);
        }
    }
};

FileFixture& Fixture() {
    static FileFixture fixture;
    return fixture;
}

double g_seconds[2] = {0, 0}; // mean per run: bare copy, export + import

bool Copy(QIODevice& in, QIODevice& out, qint64 count) {
    QByteArray buffer;
    while (count > 0) {
        buffer.resize(std::min(count, kChunk));
        const qint64 got = in.read(buffer.data(), buffer.size());
        if (got <= 0 || out.write(buffer.constData(), got) != got)
            return false;
        count -= got;
    }
    return true;
}

// The same bytes into one file, then back out into one file each.
bool BareCopy(const QString& work) {
    const QString whole = QDir(work).filePath(QStringLiteral("all.bin"));
    {
        QFile out(whole);
        if (!out.open(QIODevice::WriteOnly))
            return false;
        for (const MMSCONTENT& f : Fixture().frames)
            for (const QString& path : {f.picturePath, f.soundPath}) {
                QFile in(path);
                if (!in.open(QIODevice::ReadOnly) || !Copy(in, out, in.size()))
                    return false;
            }
        for (const MMSCONTENT& f : Fixture().frames)
            out.write(reinterpret_cast<const char*>(f.text.utf16()), f.text.size() * 2);
    }
    QFile in(whole);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    int n = 0;
    for (const MMSCONTENT& f : Fixture().frames)
        for (qint64 size : {QFileInfo(f.picturePath).size(), QFileInfo(f.soundPath).size()}) {
            QFile out(QDir(work).filePath(QStringLiteral("part%1").arg(n++)));
            if (!out.open(QIODevice::WriteOnly) || !Copy(in, out, size))
                return false;
        }
    return true;
}

bool ExportImport(const QString& work) {
    const QString file = QDir(work).filePath(QStringLiteral("bench.mms"));
    if (!ExportMms(file, QStringLiteral("彩信"), Fixture().frames))
        return false;
    QString title;
    std::vector<MMSCONTENT> frames;
    return ImportMms(file, &title, &frames, QDir(work).filePath(QStringLiteral("MMS"))) &&
           frames.size() == static_cast<size_t>(kFrames);
}

void Run(benchmark::State& state, bool (*work)(const QString&), int slot) {
    Fixture();
    double total = 0;
    for (auto _ : state) {
        QTemporaryDir dir; // each run writes into a fresh folder
        const auto t0 = std::chrono::steady_clock::now();
        const bool ok = dir.isValid() && work(dir.path());
        const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        state.SetIterationTime(s);
        total += s;
        if (!ok) {
            state.SkipWithError("the run failed");
            return;
        }
    }
    g_seconds[slot] = total / static_cast<double>(state.iterations());
    if (slot == 1 && g_seconds[0] > 0)
        state.counters["x_copy"] = g_seconds[1] / g_seconds[0];
}

void BM_BareCopy(benchmark::State& state) {
    Run(state, BareCopy, 0);
}
void BM_MmsExportImport(benchmark::State& state) {
    Run(state, ExportImport, 1);
}

// The baseline runs first: the file format reports itself against it.
BENCHMARK(BM_BareCopy)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MmsExportImport)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (!RunBenchmarks(argc, argv, [] { Fixture(); }))
        return 1;
    if (g_seconds[0] > 0 && g_seconds[1] > 0)
        std::printf("MMS export+import/bare copy: %.1f ms / %.1f ms = %.2fx (target <= 1.5x)\n",
                    g_seconds[1] * 1e3, g_seconds[0] * 1e3, g_seconds[1] / g_seconds[0]);
    return 0;
}
