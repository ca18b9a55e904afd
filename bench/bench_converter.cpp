// The conversion of an older client's database (N contacts with 1.5 group
// relations each, 2N sent records with two numbers each) from the SQLite
// stand-in through the SQLite ODBC driver, against a baseline that reads the
// same source tables through the same driver and inserts the same number of
// rows with bound statements in one transaction. The ratio (x_baseline)
// stays flat with N because no source query runs per row.
#include "bench/bench_main.h"
#include "converter/old_db_converter.h"
#include "core/database.h"
#include "core/odbc_reader.h"
#include "core/paths.h"
#include "core/sql.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <chrono>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>

namespace {

const char kConnect[] = "DRIVER={SQLite3};Database=%1;NoCreat=1";

void Exec(sqlite3* db, const char* sql) {
    char* error = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
        const std::string text = error ? error : "";
        sqlite3_free(error);
        throw std::runtime_error(text);
    }
}

// The stand-in with the bench's rows, written once per size.
QString WriteSource(const QString& folder, int n) {
    const QString path = folder + QStringLiteral("/crm.mdb");
    sqlite3* db = nullptr;
    sqlite3_open(path.toUtf8().constData(), &db);
    Exec(db, R"(
BEGIN;
CREATE TABLE SMTemplateGrp (SMTEMPID INTEGER, SMTEMPPARID INTEGER, SMTEMPNAME TEXT);
CREATE TABLE SMTemplateCont (SMTMPID INTEGER, SMTMPGRPID INTEGER, SMTMPCONT TEXT, CREATETIME TEXT);
CREATE TABLE TableContactsGroup (GroupID INTEGER, GroupName TEXT, ParentGroupID INTEGER);
CREATE TABLE tGridViewSetFields (ColumnName TEXT, DisplayName TEXT, ColPosition INTEGER);
CREATE TABLE TableContacts (ContactID INTEGER, ContactName TEXT, Sex TEXT, ContactMobil1 TEXT, Birthday TEXT,
  SpecialDate TEXT, Email TEXT, HoTel TEXT, HomeAddr TEXT, CoName TEXT, CoDept TEXT, HeadShip TEXT, province TEXT,
  City TEXT, CoAddr TEXT, Trade TEXT, CoTel TEXT, CoFax TEXT, Remark TEXT, txtUserDef1 TEXT, txtUserDef2 TEXT,
  txtUserDef3 TEXT, txtUserDef4 TEXT, txtUserDef5 TEXT, txtUserDef6 TEXT, txtUserDef7 TEXT, numUserDef1 TEXT,
  numUserDef2 TEXT, numUserDef3 TEXT, boolUserDef1 TEXT, boolUserDef2 TEXT, dateUserDef1 TEXT, dateUserDef2 TEXT);
CREATE TABLE GrpConRelation (ContactID INTEGER, GroupID INTEGER);
CREATE TABLE Account (RegSerial TEXT, passwd TEXT, sSign TEXT);
CREATE TABLE tSMSLists (SMSId INTEGER, Class INTEGER, SMSContent TEXT, Sendtime TEXT, FixedTime TEXT,
  SMSType INTEGER, ISsuccess TEXT, SMSCount INTEGER, Read TEXT, MobilePhone TEXT);
CREATE TABLE tSMSListsChild (smsId INTEGER, contactName TEXT, phone TEXT);
INSERT INTO TableContactsGroup VALUES (1, 'Friends', 0), (2, 'Work', 0), (3, 'Family', 1);
)");
    const std::string count = std::to_string(n);
    Exec(
        db,
        ("WITH RECURSIVE i(x) AS (SELECT 1 UNION ALL SELECT x+1 FROM i WHERE x<" + count +
         ") INSERT INTO TableContacts (ContactID, ContactName, Sex, ContactMobil1, Birthday, Email, CoName, "
         "boolUserDef1) SELECT x, '联系人' || x, '男', 13800000000 + x, '1980-01-01 00:00:00', 'c' || x || "
         "'@example.com', 'Company ' || x, '1' FROM i;"
         "WITH RECURSIVE i(x) AS (SELECT 1 UNION ALL SELECT x+1 FROM i WHERE x<" +
         count +
         ") INSERT INTO GrpConRelation SELECT x, 1 + x % 3 FROM i UNION ALL SELECT x, 1 + (x+1) % 3 FROM i "
         "WHERE x % 2 = 0;"
         "WITH RECURSIVE i(x) AS (SELECT 1 UNION ALL SELECT x+1 FROM i WHERE x<" +
         std::to_string(2 * n) +
         ") INSERT INTO tSMSLists SELECT x, 0, 'message number ' || x, '2011-03-07 09:00:00', '', 0, '1', 1, "
         "'0', '' FROM i;"
         "WITH RECURSIVE i(x) AS (SELECT 1 UNION ALL SELECT x+1 FROM i WHERE x<" +
         std::to_string(2 * n) + ") INSERT INTO tSMSListsChild SELECT x, '联系人' || (x % " + count +
         "), 13800000000 + x % " + count +
         " FROM i UNION ALL SELECT x, '', 13900000000 + x FROM i;"
         "COMMIT;")
            .c_str());
    sqlite3_close(db);
    return path;
}

struct Source {
    QTemporaryDir dir;
    QString path;
};

Source& SourceOf(int n) {
    static std::map<int, std::unique_ptr<Source>> sources;
    auto& s = sources[n];
    if (!s) {
        s = std::make_unique<Source>();
        s->path = WriteSource(s->dir.path(), n);
    }
    return *s;
}

// A fresh program folder with the program's own new database, open.
struct Target {
    QTemporaryDir dir;
    Target() {
        SetAppDirectory(dir.path());
        if (OpenDatabase() != 0)
            throw std::runtime_error("cannot open the target");
    }
    ~Target() {
        CloseDatabase();
        SetAppDirectory(QString());
    }
};

std::map<int, double> g_baseline;

void BM_Baseline(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    Source& source = SourceOf(n);
    for (auto _ : state) {
        Target target;
        const auto start = std::chrono::steady_clock::now();
        OdbcReader reader;
        if (!reader.open(QString::fromLatin1(kConnect).arg(source.path)))
            state.SkipWithError("cannot open the source");
        SqlTransaction transaction(g_pDB);
        {
            SqlStatement contact(
                g_pDB, "INSERT INTO ContactList(name,sex,mobileNum,birthDay,eMail,coName,groupID,perNO) "
                       "VALUES(?,?,?,?,?,?,?,?)");
            std::multimap<std::string, std::string> relations;
            reader.query("SELECT ContactID,GroupID FROM GrpConRelation", [&](const OdbcRow& row) {
                relations.emplace(row.at(0), row.at(1));
                return true;
            });
            reader.query("SELECT * FROM TableContacts", [&](const OdbcRow& row) {
                const auto range = relations.equal_range(row.value("ContactID"));
                for (auto i = range.first; i != range.second; ++i) {
                    contact.reset();
                    contact.bind(1, row.value("ContactName"))
                        .bind(2, row.value("Sex"))
                        .bind(3, row.value("ContactMobil1"))
                        .bind(4, row.value("Birthday"))
                        .bind(5, row.value("Email"))
                        .bind(6, row.value("CoName"))
                        .bind(7, i->second)
                        .bind(8, row.value("ContactID"));
                    contact.exec();
                }
                return true;
            });
            SqlStatement send(
                g_pDB, "INSERT INTO sendInfo(content,submitTime,timingTime,count,isDraft,isFail,sendID,"
                       "sendType) VALUES(?,?,?,?,?,?,?,?)");
            reader.query("SELECT * FROM tSMSLists", [&](const OdbcRow& row) {
                send.reset();
                send.bind(1, row.value("SMSContent"))
                    .bind(2, row.value("Sendtime"))
                    .bind(3, row.value("FixedTime"))
                    .bind(4, 1)
                    .bind(5, 1)
                    .bind(6, 0)
                    .bind(7, row.value("SMSId"))
                    .bind(8, 1);
                send.exec();
                return true;
            });
            SqlStatement number(g_pDB, "INSERT INTO sendNums(sendID,numOrMailAddr,name) VALUES(?,?,?)");
            reader.query("SELECT smsId,contactName,phone FROM tSMSListsChild", [&](const OdbcRow& row) {
                number.reset();
                number.bind(1, row.at(0)).bind(2, row.at(2)).bind(3, row.at(1));
                number.exec();
                return true;
            });
        }
        transaction.commit();
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(seconds);
        g_baseline[n] = seconds;
    }
}

void BM_Conversion(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    Source& source = SourceOf(n);
    double seconds = 0;
    for (auto _ : state) {
        Target target;
        const auto start = std::chrono::steady_clock::now();
        OdbcReader reader;
        if (!reader.open(QString::fromLatin1(kConnect).arg(source.path)))
            state.SkipWithError("cannot open the source");
        OldDatabaseConverter converter(reader, g_pDB);
        if (!converter.Convert())
            state.SkipWithError(converter.errorText().toStdString().c_str());
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(seconds);
        std::string rows;
        ProbeStep(g_pDB, "SELECT COUNT(*) FROM ContactList", rows);
        state.counters["contact_rows"] = std::stod(rows);
        ProbeStep(g_pDB, "SELECT COUNT(*) FROM sendNums", rows);
        state.counters["number_rows"] = std::stod(rows);
    }
    if (g_baseline.count(n))
        state.counters["x_baseline"] = seconds / g_baseline[n];
}

} // namespace

BENCHMARK(BM_Baseline)
    ->Arg(25000)
    ->Arg(100000)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Conversion)
    ->Arg(25000)
    ->Arg(100000)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    return RunBenchmarks(argc, argv, [] {}) ? 0 : 1;
}
