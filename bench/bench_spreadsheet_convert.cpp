// Converting a sheet of 1,000,000 rows (7 columns of text, as the contact
// export writes them) to Temp.csv through the spreadsheet layer, against a
// baseline of minizip and a bare expat parser that only counts the cells of
// the same sheet part: the inflating and parsing any reader pays. Target:
// at most 2x the baseline.
//
// The workbook is written once by our XlsxWriter and kept beside this
// program (build/bench), so later runs start at once.
//
// Run: build/bench/bench_spreadsheet_convert [rows]   (rows: 1000000 by default)
#include "bench/bench_main.h"
#include "contacts/spreadsheet.h"
#include "contacts/xlsx_writer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <expat.h>
#include <unzip.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>

namespace {

int g_rows = 1'000'000;
double g_seconds[2] = {0, 0}; // mean per run: baseline, conversion
long g_cells = 0;

void AppendCjk(QString& out, uint32_t cp) {
    out += QChar(static_cast<char16_t>(cp));
}

QString Workbook() {
    static QString path;
    if (!path.isEmpty())
        return path;
    path =
        QCoreApplication::applicationDirPath() + QStringLiteral("/spreadsheet_convert_%1.xlsx").arg(g_rows);
    if (QFile::exists(path))
        return path;
    const QString partial = path + QStringLiteral(".part");
    XlsxWriter writer(partial);
    writer.AddSheet(QStringLiteral("联系人"));
    writer.AddRow({"姓名", "手机", "性别", "生日", "邮箱", "单位", "备注"});
    Rng rng{7};
    for (int i = 1; i < g_rows; ++i) {
        const uint64_t v = rng.next();
        QString name;
        for (int k = 0; k < 2 + static_cast<int>(v % 2); ++k)
            AppendCjk(name, 0x4E00 + static_cast<uint32_t>((v >> (8 + 12 * k)) % 0x5000));
        QString company;
        AppendCjk(company, 0x4E00 + static_cast<uint32_t>((v >> 24) % 0x5000));
        company += QStringLiteral("有限公司");
        if (!writer.AddRow({name, QString::number(13000000000ULL + rng.next() % 1000000000ULL),
                            (v & 1) ? QStringLiteral("男") : QStringLiteral("女"),
                            QStringLiteral("19%1-%2-%3")
                                .arg(v % 100, 2, 10, QLatin1Char('0'))
                                .arg(1 + (v >> 8) % 12, 2, 10, QLatin1Char('0'))
                                .arg(1 + (v >> 16) % 28, 2, 10, QLatin1Char('0')),
                            QStringLiteral("user%1@example.com").arg(i), company,
                            (v >> 50) % 4 == 0 ? QStringLiteral("老客户, 每月联系") : QString()}))
            throw std::runtime_error("cannot write a row");
    }
    if (!writer.Close() || !QFile::rename(partial, path))
        throw std::runtime_error("cannot write the workbook");
    return path;
}

// ---- the baseline: the sheet part inflated and parsed, cells counted ---------------

void XMLCALL CountCell(void* data, const XML_Char* name, const XML_Char**) {
    if (name[0] == 'c' && name[1] == 0)
        ++*static_cast<long*>(data);
}

long BareCount(const QString& path) {
    unzFile zip = unzOpen64(QFile::encodeName(path).constData());
    if (!zip || unzLocateFile(zip, "xl/worksheets/sheet1.xml", 0) != UNZ_OK ||
        unzOpenCurrentFile(zip) != UNZ_OK)
        throw std::runtime_error("cannot open the sheet part");
    XML_Parser parser = XML_ParserCreate(nullptr);
    long cells = 0;
    XML_SetUserData(parser, &cells);
    XML_SetStartElementHandler(parser, CountCell);
    static char buffer[256 * 1024];
    int n = 0;
    do {
        n = unzReadCurrentFile(zip, buffer, sizeof buffer);
        if (n < 0 || XML_Parse(parser, buffer, n, n == 0) != XML_STATUS_OK)
            throw std::runtime_error("cannot parse the sheet part");
    } while (n > 0);
    XML_ParserFree(parser);
    unzCloseCurrentFile(zip);
    unzClose(zip);
    return cells;
}

void Run(benchmark::State& state, int slot) {
    const QString book = Workbook();
    QTemporaryDir dir;
    const QString csv = dir.filePath(QStringLiteral("Temp.csv"));
    double total = 0;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        if (slot == 0) {
            g_cells = BareCount(book);
        } else {
            Spreadsheet sheet;
            if (!sheet.Open(book) || !sheet.SaveSheetAsCsv(QStringLiteral("联系人"), csv)) {
                state.SkipWithError(sheet.ErrorText().toStdString().c_str());
                return;
            }
        }
        const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        state.SetIterationTime(s);
        total += s;
    }
    g_seconds[slot] = total / static_cast<double>(state.iterations());
    state.counters["rows"] = g_rows;
    if (slot > 0 && g_seconds[0] > 0)
        state.counters["x_bare"] = g_seconds[slot] / g_seconds[0];
}

void BM_BareInflateAndParse(benchmark::State& state) {
    Run(state, 0);
}
void BM_SheetToCsv(benchmark::State& state) {
    Run(state, 1);
}

// The baseline runs first: the conversion reports itself against it.
BENCHMARK(BM_BareInflateAndParse)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SheetToCsv)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && argv[1][0] != '-') {
        g_rows = std::atoi(argv[1]);
        --argc;
        std::memmove(argv + 1, argv + 2, sizeof(char*) * static_cast<size_t>(argc));
    }
    if (!RunBenchmarks(argc, argv, [] { Workbook(); }))
        return 1;
    if (g_seconds[0] > 0 && g_seconds[1] > 0)
        std::printf("%d rows, %ld cells; sheet to CSV / bare inflate and parse: %.1f ms / %.1f ms = %.2fx\n",
                    g_rows, g_cells, g_seconds[1] * 1e3, g_seconds[0] * 1e3, g_seconds[1] / g_seconds[0]);
    return 0;
}
