// The updater's DownLoadFile of a 64 MiB file from a loopback server against
// a bare libcurl transfer of the same file into a file, in the same run. The
// per-piece progress and event handling should cost at most 1.25 times the
// bare transfer.
#include "core/paths.h"
#include "updater/brannock_engine.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <curl/curl.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr qint64 kSize = 64LL * 1024 * 1024;

QTemporaryDir* g_dir = nullptr;
QString g_origin;
double g_seconds[2] = {0, 0};

// The engine's view in a window: every piece pumps the event loop.
class PumpingView : public IUpdateView {
public:
    void SetProgress(int percent) override { last = percent; }
    void ProcessEvents() override { QCoreApplication::processEvents(); }
    int last = 0;
};

size_t WriteToFd(char* data, size_t size, size_t count, void* user) {
    const int fd = *static_cast<int*>(user);
    const ssize_t n = ::write(fd, data, size * count);
    return n < 0 ? 0 : static_cast<size_t>(n);
}

void Record(benchmark::State& state, int slot, double total) {
    g_seconds[slot] = total / static_cast<double>(state.iterations());
    state.SetBytesProcessed(state.iterations() * kSize);
}

void BM_BareCurl(benchmark::State& state) {
    CURL* curl = curl_easy_init();
    const QByteArray url = (g_origin + QStringLiteral("/big.bin")).toUtf8();
    const QByteArray target = QFile::encodeName(g_dir->filePath(QStringLiteral("bare.bin")));
    double total = 0;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        // Created anew, as DownLoadFile does: truncating the last copy would cost more.
        ::unlink(target.constData());
        int fd = ::open(target.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        curl_easy_setopt(curl, CURLOPT_URL, url.constData());
        curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &WriteToFd);
        curl_easy_setopt(curl, CURLOPT_WRITEDATA, &fd);
        const CURLcode rc = curl_easy_perform(curl);
        ::close(fd);
        const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        if (rc != CURLE_OK)
            state.SkipWithError("bare transfer failed");
        state.SetIterationTime(s);
        total += s;
    }
    curl_easy_cleanup(curl);
    Record(state, 0, total);
}

void BM_DownLoadFile(benchmark::State& state) {
    PumpingView view;
    CBrannockEngine engine(view, g_dir->path(), true);
    engine.Start(g_origin + QStringLiteral("/update.dat"));
    double total = 0;
    for (auto _ : state) {
        QString target = g_dir->filePath(QStringLiteral("engine.bin"));
        const auto t0 = std::chrono::steady_clock::now();
        const bool ok = engine.DownLoadFile(QStringLiteral("/big.bin"), target);
        const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        if (!ok)
            state.SkipWithError("DownLoadFile failed");
        state.SetIterationTime(s);
        total += s;
    }
    Record(state, 1, total);
}

BENCHMARK(BM_BareCurl)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(3.0);
BENCHMARK(BM_DownLoadFile)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(3.0);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    QTemporaryDir dir;
    g_dir = &dir;
    SetAppDirectory(dir.path());
    {
        QFile big(dir.filePath(QStringLiteral("srv/big.bin")));
        QDir().mkpath(dir.filePath(QStringLiteral("srv")));
        if (!big.open(QIODevice::WriteOnly))
            return 1;
        QByteArray block(1 << 20, '\0');
        for (int i = 0; i < block.size(); ++i)
            block[i] = static_cast<char>(i * 131 + 7);
        for (qint64 written = 0; written < kSize; written += block.size())
            big.write(block);
    }
    // The tests' loopback server, serving the folder.
    QProcess server;
    server.start(QStringLiteral("python3"),
                 {QStringLiteral(CORVELANE_TEST_SUPPORT_DIR "/http_server.py"), QStringLiteral("--folder"),
                  dir.filePath(QStringLiteral("srv"))});
    if (!server.waitForReadyRead(10000))
        return 1;
    const QByteArray first = server.readLine().trimmed();
    if (!first.startsWith("PORT "))
        return 1;
    g_origin = QStringLiteral("http://127.0.0.1:") + QString::fromLatin1(first.mid(5));
    setenv("no_proxy", "127.0.0.1", 1);

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    server.closeWriteChannel();
    server.waitForFinished(3000);
    if (g_seconds[0] > 0 && g_seconds[1] > 0)
        std::printf("DownLoadFile 64 MiB: %.1f ms / bare libcurl %.1f ms = %.2fx (target <= 1.25x)\n",
                    g_seconds[1] * 1e3, g_seconds[0] * 1e3, g_seconds[1] / g_seconds[0]);
    return 0;
}
