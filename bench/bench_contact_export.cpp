// The contact export over a million contacts, each format against the same
// statement run bare in the same process on the same connection: CSV against
// sqlite3_step, enc::ToGbk and stdio; .xlsx against sqlite3_step and bare
// libxlsxwriter writing the same cells on the same sheets. Targets: CSV
// within 1.5x, .xlsx within 1.3x, and a resident size that does not grow
// with the rows. The contacts are built untimed by the tests' generator.
//
// Run: build-release/bench/bench_contact_export [contacts]   (1000000 by default)
#include "bench/bench_database.h"
#include "contacts/contact_export.h"
#include "core/database.h"
#include "core/sql.h"
#include "platform/encoding.h"
#include "tests/support/contact_generator.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringList>
#include <xlsxwriter.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

double Seconds(const std::function<bool()>& work, bool& ok) {
    const auto t0 = std::chrono::steady_clock::now();
    ok = work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

long ResidentKb() {
    FILE* f = std::fopen("/proc/self/status", "r");
    if (!f)
        return -1;
    char line[256];
    long value = -1;
    while (std::fgets(line, sizeof line, f))
        if (std::strncmp(line, "VmRSS:", 6) == 0)
            value = std::atol(line + 7);
    std::fclose(f);
    return value;
}

const char* Text(sqlite3_stmt* st, int column) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(st, column));
    return text ? text : "";
}

bool RawCsv(const QString& path, const QStringList& header, const std::string& sql) {
    FILE* f = std::fopen(QFile::encodeName(path).constData(), "wb");
    sqlite3_stmt* st = nullptr;
    if (!f || sqlite3_prepare_v2(g_pDB, sql.c_str(), -1, &st, nullptr) != SQLITE_OK)
        return false;
    std::string line = enc::ToGbk(header.join(QLatin1Char(','))) + "\r\n";
    std::fwrite(line.data(), 1, line.size(), f);
    const int columns = sqlite3_column_count(st);
    while (sqlite3_step(st) == SQLITE_ROW) {
        line.clear();
        for (int c = 0; c < columns; ++c) {
            if (c)
                line += ',';
            line += enc::ToGbk(QString::fromUtf8(Text(st, c), sqlite3_column_bytes(st, c)));
        }
        line += "\r\n";
        std::fwrite(line.data(), 1, line.size(), f);
    }
    sqlite3_finalize(st);
    return std::fclose(f) == 0;
}

bool RawXlsx(const QString& path, const QStringList& header, const std::string& sql) {
    lxw_workbook_options options = {};
    options.constant_memory = LXW_TRUE;
    lxw_workbook* wb = workbook_new_opt(QFile::encodeName(path).constData(), &options);
    sqlite3_stmt* st = nullptr;
    if (!wb || sqlite3_prepare_v2(g_pDB, sql.c_str(), -1, &st, nullptr) != SQLITE_OK)
        return false;
    std::vector<std::string> names;
    for (const QString& name : header)
        names.push_back(name.toStdString());
    const int columns = sqlite3_column_count(st);
    lxw_worksheet* ws = nullptr;
    lxw_row_t row = kExportSheetRows;
    int sheets = 0;
    while (sqlite3_step(st) == SQLITE_ROW) {
        if (row >= static_cast<lxw_row_t>(kExportSheetRows)) {
            ws = workbook_add_worksheet(wb, ("Sheet" + std::to_string(++sheets)).c_str());
            for (size_t c = 0; c < names.size(); ++c)
                worksheet_write_string(ws, 0, static_cast<lxw_col_t>(c), names[c].c_str(), nullptr);
            row = 1;
        }
        for (int c = 0; c < columns; ++c)
            if (const char* text = Text(st, c); *text)
                worksheet_write_string(ws, row, static_cast<lxw_col_t>(c), text, nullptr);
        ++row;
    }
    sqlite3_finalize(st);
    return workbook_close(wb) == LXW_NO_ERROR;
}

// Best of `runs` for each side, alternating so neither keeps a warm cache.
void Measure(const char* name, int runs, const std::function<bool()>& real, const std::function<bool()>& raw,
             double target) {
    double bestReal = 1e99, bestRaw = 1e99;
    bool ok = true;
    for (int i = 0; i < runs; ++i) {
        bool done = false;
        bestReal = std::min(bestReal, Seconds(real, done));
        ok = ok && done;
        bestRaw = std::min(bestRaw, Seconds(raw, done));
        ok = ok && done;
    }
    const double ratio = bestRaw > 0 ? bestReal / bestRaw : 0;
    std::printf("%-6s export %9.1f ms  bare %9.1f ms  ratio %5.2f (target %.1f)%s%s\n", name, bestReal * 1e3,
                bestRaw * 1e3, ratio, target, ratio <= target ? "" : "  OVER", ok ? "" : "  FAILED");
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int contacts = argc > 1 ? std::atoi(argv[1]) : 1'000'000;
    BenchFolder folder;
    GenerateContacts(contacts, 1);
    // Some longer texts beside the generator's names, numbers and addresses.
    ExecSql(nullptr, g_pDB,
            "UPDATE ContactList SET faAddr='北京市海淀区中关村大街' || (rowid % 500) || '号', "
            "coName='某某科技有限公司', city='深圳', mark='备注 ' || (rowid % 1000)");
    const std::vector<ExportField> fields = ReadExportFields();
    QStringList header;
    for (const ExportField& f : fields)
        header << f.name;
    const std::string sql = ExportContactsSql(fields, {});
    std::printf("%d contacts, %lld fields, resident %ld kB before the exports\n", contacts,
                static_cast<long long>(fields.size()), ResidentKb());

    const QString dir = folder.dir.path();
    long peakKb = 0;
    const auto exportTo = [&](const QString& path, ExportFormat format) {
        return ExportContacts(g_pDB, path, format, {},
                              [&](qint64 done, qint64) {
                                  if (done % 100000 == 0)
                                      peakKb = std::max(peakKb, ResidentKb());
                                  return true;
                              })
            .ok;
    };
    Measure(
        "CSV", 3, [&] { return exportTo(dir + "/real.csv", ExportFormat::Csv); },
        [&] { return RawCsv(dir + "/raw.csv", header, sql); }, 1.5);
    std::printf("  resident at most %ld kB during the CSV exports\n", peakKb);
    peakKb = 0;
    Measure(
        ".xlsx", 2, [&] { return exportTo(dir + "/real.xlsx", ExportFormat::Xlsx); },
        [&] { return RawXlsx(dir + "/raw.xlsx", header, sql); }, 1.3);
    std::printf("  resident at most %ld kB during the .xlsx exports, %ld kB after\n", peakKb, ResidentKb());
    return 0;
}
