// Importing a CSV file of N lines (7 columns) into a fresh database with the
// contact import engine, against the sqlite3 shell's ".import --csv --skip 1"
// of the same UTF-8 file into a table of its columns with an index on the
// mobile column, as ContactList has. The engine also reads the same lines in
// code page 936, which it decodes as it goes (x_baseline reported too).
#include "bench/bench_main.h"
#include "contacts/contact_import.h"
#include "core/database.h"
#include "core/paths.h"
#include "platform/encoding.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <chrono>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>

namespace {

const char kHeader[] = "姓名,手机,性别,生日,公司名称,地址,备注\r\n";

struct Files {
    QTemporaryDir dir;
    QString utf8;
    QString gbk;
};

void WriteFile(const QString& path, const std::string& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(bytes.data(), static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size()))
        throw std::runtime_error("cannot write the CSV file");
}

Files& FilesOf(int n) {
    static std::map<int, std::unique_ptr<Files>> files;
    auto& f = files[n];
    if (!f) {
        f = std::make_unique<Files>();
        Rng rng{static_cast<uint64_t>(n)};
        std::string text = kHeader;
        text.reserve(static_cast<size_t>(n) * 110);
        static const char* const kNames[] = {"张伟", "王芳", "李娜", "刘洋", "陈静", "杨磊", "赵敏", "黄强"};
        for (int i = 0; i < n; ++i) {
            text += kNames[rng.below(8)];
            text += std::to_string(i) + "," + std::to_string(13000000000ULL + rng.below(999999999)) + ",";
            text += rng.below(2) ? "男," : "女,";
            text += std::to_string(1950 + rng.below(50)) + "-0" + std::to_string(1 + rng.below(9)) + "-1" +
                    std::to_string(rng.below(9)) + ",";
            text += "某某科技有限公司" + std::to_string(rng.below(1000)) + ",";
            text += "\"北京市海淀区中关村大街" + std::to_string(rng.below(200)) + "号,301室\",";
            text += "备注" + std::to_string(i) + "\r\n";
        }
        f->utf8 = f->dir.path() + QStringLiteral("/contacts-utf8.csv");
        f->gbk = f->dir.path() + QStringLiteral("/contacts-gbk.csv");
        WriteFile(f->utf8, text);
        WriteFile(f->gbk, enc::ToGbk(QString::fromStdString(text)));
    }
    return *f;
}

std::map<int, double> g_baseline;

void BM_SqliteShellImport(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    Files& files = FilesOf(n);
    for (auto _ : state) {
        QTemporaryDir dir;
        const QString db = dir.path() + QStringLiteral("/shell.db");
        QProcess create;
        create.start(
            QStringLiteral("sqlite3"),
            {db, QStringLiteral("CREATE TABLE t(姓名 TEXT,手机 TEXT,性别 TEXT,生日 TEXT,公司名称 TEXT,"
                                "地址 TEXT,备注 TEXT); CREATE INDEX t_mobile ON t(手机);")});
        if (!create.waitForFinished(-1) || create.exitCode() != 0)
            state.SkipWithError("sqlite3 cannot create the table");
        const auto start = std::chrono::steady_clock::now();
        QProcess import;
        import.start(QStringLiteral("sqlite3"),
                     {db, QStringLiteral(".import --csv --skip 1 %1 t").arg(files.utf8)});
        if (!import.waitForFinished(-1) || import.exitCode() != 0)
            state.SkipWithError("sqlite3 .import failed");
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(seconds);
        g_baseline[n] = seconds;
    }
}

void RunEngine(benchmark::State& state, bool gbk) {
    const int n = static_cast<int>(state.range(0));
    Files& files = FilesOf(n);
    double seconds = 0;
    for (auto _ : state) {
        QTemporaryDir dir;
        SetAppDirectory(dir.path());
        if (OpenDatabase() != 0)
            throw std::runtime_error("cannot open the database");
        ImportRequest request;
        request.path = gbk ? files.gbk : files.utf8;
        request.fieldMap = {{1, QStringLiteral("姓名")},      {2, QStringLiteral("性别")},
                            {3, QStringLiteral("手机")},      {4, QStringLiteral("生日")},
                            {11, QStringLiteral("公司名称")}, {16, QStringLiteral("地址")},
                            {20, QStringLiteral("备注")}};
        request.groups = {1};
        const auto start = std::chrono::steady_clock::now();
        const ImportOutcome outcome = RunContactImport(g_pDB, request);
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(seconds);
        if (outcome.status != ImportOutcome::Status::Done || outcome.imported != n)
            state.SkipWithError("the import did not land whole");
        state.counters["imported"] = outcome.imported;
        CloseDatabase();
        SetAppDirectory(QString());
    }
    if (g_baseline.count(n))
        state.counters["x_baseline"] = seconds / g_baseline[n];
}

void BM_EngineUtf8(benchmark::State& state) {
    RunEngine(state, false);
}
void BM_EngineGbk(benchmark::State& state) {
    RunEngine(state, true);
}

} // namespace

BENCHMARK(BM_SqliteShellImport)->Arg(1000000)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EngineUtf8)->Arg(1000000)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EngineGbk)->Arg(1000000)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    return RunBenchmarks(argc, argv, [] {}) ? 0 : 1;
}
