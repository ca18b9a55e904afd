// The date messages over 1,000,000 generated contacts with dates spread over
// the year (built untimed), each case against the same statements through
// bare sqlite3_prepare/sqlite3_step:
//   load      LoadDateMsgSettings with four messages on (birthDay,
//             specialDay, dateDef1 and a user field in autoFieldInfo)
//   prepare   one minute's texts for 3,000 due recipients with two field
//             markers (PrepareDateSendItems), against the same lookups as
//             statements prepared once
// The ratios are printed at the end (targets: load within 1.3x, prepare 2x).
#include "automation/date_job.h"
#include "automation/date_messages.h"
#include "bench/bench_database.h"
#include "bench/bench_main.h"
#include "core/convert.h"
#include "core/sql.h"
#include "platform/ini.h"
#include "tests/support/contact_generator.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr int kContacts = 1'000'000;
constexpr int kRecipients = 3'000;
const QDate kToday(2025, 6, 1);
const char* const kFields[] = {"birthDay", "specialDay", "dateDef1"};

struct Fixture : BenchFolder {
    QString ini;
    DateSend send;
    Fixture() {
        if (GenerateContacts(kContacts, 1).count != kContacts)
            throw std::runtime_error("cannot fill the database");
        const char* dates =
            "BEGIN;"
            "UPDATE ContactList SET birthDay=date('1980-01-01','+'||(rowid%365)||' days'),"
            " specialDay=date('2001-01-01','+'||((rowid*7)%365)||' days'),"
            " dateDef1=date('2010-01-01','+'||((rowid*13)%365)||' days');"
            "INSERT INTO autoFieldInfo (personID,fieldID,fieldName,fieldValue) SELECT perNO,35,'纪念日',"
            " date('2015-01-01','+'||((rowid*3)%365)||' days') FROM ContactList;"
            "COMMIT;";
        if (ExecSql(nullptr, g_pDB, dates) != SQLITE_OK)
            throw std::runtime_error("cannot set the dates");
        ini = dir.path() + QStringLiteral("/bench.ini");
        const QString names[] = {QStringLiteral("birthDay"), QStringLiteral("specialDay"),
                                 QStringLiteral("dateDef1"), QStringLiteral("35")};
        for (int n = 1; n <= 4; ++n)
            ini::WriteStrings(
                ini, QStringLiteral("DateMSG"),
                {{QStringLiteral("Name%1").arg(n), names[n - 1]},
                 {QStringLiteral("AutoSend%1").arg(n), QStringLiteral("1")},
                 {QStringLiteral("PreDays%1").arg(n), QStringLiteral("0")},
                 {QStringLiteral("SendTime%1").arg(n), QStringLiteral("09:00:00")},
                 {QStringLiteral("Content%1").arg(n), QStringLiteral("<%姓名%>，<%性别%>，您好")}});
        send.content = QStringLiteral("<%姓名%>，<%性别%>，您好");
        for (int i = 0; i < kRecipients; ++i)
            send.numbers.push_back(GeneratedNumber(i * 37));
    }
};

Fixture& F() {
    static Fixture f;
    return f;
}

std::map<std::string, double> g_seconds;
std::map<std::string, size_t> g_rows;

template <typename Work> void Timed(benchmark::State& state, const std::string& name, Work work) {
    F();
    g_seconds[name] = TimeIterations(state, work, [&](size_t rows) { g_rows[name] = rows; });
}

void BM_LoadBaseline(benchmark::State& state) {
    Timed(state, "load baseline", [] {
        size_t rows = 0;
        const std::string target = kToday.toString(QStringLiteral("MM-dd")).toStdString();
        std::vector<std::pair<std::string, std::string>> out;
        for (int n = 0; n < 4; ++n) {
            const std::string sql =
                n < 3
                    ? std::string("SELECT DISTINCT mobileNum,substr(") + kFields[n] +
                          ",6,5) bd FROM ContactList WHERE  isDeleted =0 AND mobileNum IS NOT NULL  AND "
                          "mobileNum "
                          "!='' \t\t\t\t\t\t AND bd IS NOT NULL AND (bd = ?1 OR bd = ?2)"
                    : "SELECT DISTINCT a.mobileNum,substr(b.fieldValue,6,5) bd \t\t\t\t\t\t FROM ContactList "
                      "a,autoFieldInfo b\t\t\t\t\t\t WHERE  a.perNO=b.personID \t\t\t\t\t\t AND a.isDeleted "
                      "=0 "
                      "\t\t\t\t\t\t AND a.mobileNum IS NOT NULL  AND a.mobileNum !='' \t\t\t\t\t\t AND bd IS "
                      "NOT "
                      "NULL AND (bd = ?1 OR bd = ?2) \t\t\t\t\t\t AND b.fieldID=?3";
            sqlite3_stmt* st = nullptr;
            if (sqlite3_prepare_v2(g_pDB, sql.c_str(), -1, &st, nullptr) != SQLITE_OK)
                throw std::runtime_error("prepare failed");
            sqlite3_bind_text(st, 1, target.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(st, 2, target.c_str(), -1, SQLITE_TRANSIENT);
            if (n == 3)
                sqlite3_bind_int(st, 3, 35);
            while (sqlite3_step(st) == SQLITE_ROW)
                out.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)),
                                 reinterpret_cast<const char*>(sqlite3_column_text(st, 1)));
            sqlite3_finalize(st);
        }
        rows = out.size();
        return rows;
    });
}

void BM_Load(benchmark::State& state) {
    Timed(state, "load", [] {
        std::vector<DATEMSGVALUE> msgs;
        if (!LoadDateMsgSettings(g_pDB, F().ini, kToday, msgs))
            throw std::runtime_error("nothing loaded");
        size_t rows = 0;
        for (const DATEMSGVALUE& m : msgs)
            rows += m.numberItems.size();
        return rows;
    });
}

void BM_PrepareBaseline(benchmark::State& state) {
    Timed(state, "prepare baseline", [] {
        const char* names[] = {"姓名", "性别"};
        sqlite3_stmt* ref = nullptr;
        sqlite3_stmt* column = nullptr;
        sqlite3_stmt* value[2] = {};
        sqlite3_prepare_v2(g_pDB, "SELECT nameOfValue,fieldID FROM fieldDisplay WHERE name=?1", -1, &ref,
                           nullptr);
        sqlite3_prepare_v2(g_pDB, "SELECT 1 FROM pragma_table_info(?1) WHERE name = ?2 COLLATE NOCASE", -1,
                           &column, nullptr);
        sqlite3_prepare_v2(
            g_pDB, "SELECT name,count(name) FROM  ContactList WHERE mobileNum=?1 AND isDeleted=0 limit 1", -1,
            &value[0], nullptr);
        sqlite3_prepare_v2(
            g_pDB, "SELECT sex,count(sex) FROM  ContactList WHERE mobileNum=?1 AND isDeleted=0 limit 1", -1,
            &value[1], nullptr);
        size_t rows = 0;
        for (const QString& number : F().send.numbers) {
            const std::string n = number.toStdString();
            QString text = F().send.content;
            for (int f = 0; f < 2; ++f) {
                sqlite3_reset(ref);
                sqlite3_bind_text(ref, 1, names[f], -1, SQLITE_STATIC);
                sqlite3_step(ref);
                sqlite3_reset(column);
                sqlite3_bind_text(column, 1, "ContactList", -1, SQLITE_STATIC);
                sqlite3_bind_text(column, 2, reinterpret_cast<const char*>(sqlite3_column_text(ref, 0)), -1,
                                  SQLITE_TRANSIENT);
                sqlite3_step(column);
                sqlite3_reset(value[f]);
                sqlite3_bind_text(value[f], 1, n.c_str(), -1, SQLITE_STATIC);
                if (sqlite3_step(value[f]) == SQLITE_ROW)
                    text.replace(
                        QStringLiteral("<%") + QString::fromUtf8(names[f]) + QStringLiteral("%>"),
                        QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(value[f], 0))));
            }
            rows += text.isEmpty() ? 0 : 1;
        }
        for (sqlite3_stmt* st : {ref, column, value[0], value[1]})
            sqlite3_finalize(st);
        return rows;
    });
}

void BM_Prepare(benchmark::State& state) {
    Timed(state, "prepare", [] {
        bool personalised = false;
        return PrepareDateSendItems(g_pDB, F().send, personalised).size();
    });
}

BENCHMARK(BM_LoadBaseline)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Load)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PrepareBaseline)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Prepare)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    const bool ok = RunBenchmarks(argc, argv, [] { F(); });
    auto ratio = [](const char* name, const char* base) {
        if (g_seconds.count(name) && g_seconds.count(base))
            std::printf("%s/%s: %.2fx (%.1f ms against %.1f ms, %zu against %zu rows)\n", name, base,
                        g_seconds[name] / g_seconds[base], g_seconds[name] * 1000, g_seconds[base] * 1000,
                        g_rows[name], g_rows[base]);
    };
    ratio("load", "load baseline");
    ratio("prepare", "prepare baseline");
    return ok ? 0 : 1;
}
