// Personalised SMS on a database of 1,000,000 generated contacts, with
// 100,000 (number, perNO) pairs and a template over "姓名", "性别" and a user
// field:
// - the edited road: rows made from the contacts (one prepared statement per
//   contact), then submitted in batches of 500 through the submission (pending
//   records, an in-process sender answering at once on its worker, the
//   outcome, the send-record lines), against a bare prepared SELECT by perNO
//   and QString::replace per row followed by bare prepared inserts of the same
//   rows, one transaction per batch (target <= 2x);
// - the import: a 100,000-line GBK CSV read into rows, against fread, memchr
//   splitting and enc::FromGbk of every line (target <= 3x).
// It also reports the resident size with 100,000 rows made.
//
// Run: build-release/bench/bench_personalised_sms
#include "bench/bench_database.h"
#include "bench/bench_main.h"
#include "core/database.h"
#include "core/helpers.h"
#include "core/sql.h"
#include "platform/encoding.h"
#include "sms/per_msg_rows.h"
#include "sms/per_msg_submission.h"
#include "tests/support/contact_generator.h"

#include <QEventLoop>
#include <QFile>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int kContacts = 1'000'000;
constexpr int kRows = 100'000;
constexpr int kBatch = 500;

const char kTemplate[] =
    "<%姓名%><%性别%>，您好！您的会员号<%自定义文本1%>，本周六上午十点在会议室开会，请准时参加。";

class AtOnceSender : public GxmtSender {
public:
    GxmtAnswer Send(const GxmtCall&) override { return {0, CallOutcome::Answered}; }
};

long ResidentKb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    return -1;
}

struct Fixture : DatabaseCopies {
    std::vector<PerMsgRecipient> recipients;
    QString csvPath;
    Fixture() : DatabaseCopies() {
        sqlite3* db = OpenConnection(templatePath);
        if (!db)
            throw std::runtime_error("cannot open the template");
        const GeneratedContacts contacts = GenerateContacts(kContacts, 1, db);
        ExecSql(nullptr, db, "UPDATE ContactList SET txtDef1='VIP'||perNO");
        CloseConnection(db);
        Rng rng{7};
        std::string csv = "手机,姓名,金额,备注\r\n";
        for (int i = 0; i < kRows; ++i) {
            const int c = static_cast<int>(rng.below(kContacts));
            recipients.push_back({GeneratedNumber(c), contacts.firstPerNo + c, {}});
            csv += GeneratedNumber(c).toStdString() + "," + GeneratedName(c).toStdString() + "," +
                   std::to_string(rng.below(10000)) + ".0,第" + std::to_string(i) + "位客户\r\n";
        }
        csvPath = dir.path() + QStringLiteral("/rows.csv");
        QFile file(csvPath);
        if (!file.open(QIODevice::WriteOnly) ||
            file.write(QByteArray::fromStdString(enc::ToGbk(QString::fromStdString(csv)))) < 0)
            throw std::runtime_error("cannot write the CSV");
        g_sysSettings.assign(10, SYSSETTING{});
    }
};

Fixture& TheFixture() {
    static Fixture fixture;
    return fixture;
}

double g_seconds[4] = {0, 0, 0, 0}; // edited: bare, road; import: bare, reader
long g_beforeKb = -1;
long g_rowsKb = -1;

// The resident size before and with 100,000 rows made on the edited road.
void MeasureRows() {
    auto& f = TheFixture();
    sqlite3* db = OpenConnection(f.templatePath);
    g_beforeKb = ResidentKb();
    {
        VIRTUAL_LIST_PERMSG rows;
        PerMsgComposerRows maker(rows, db, QString::fromUtf8(kTemplate), f.recipients, true);
        if (maker.Open())
            while (maker.Step(2000)) {
            }
        g_rowsKb = ResidentKb();
    }
    CloseConnection(db);
}

// ---- edited road

bool EditedBare(sqlite3* db, const std::vector<PerMsgRecipient>& recipients) {
    SqlStatement select(db, "SELECT name,sex,txtDef1 FROM ContactList WHERE perNO=?1 LIMIT 1");
    std::vector<std::pair<QString, QString>> rows;
    rows.reserve(recipients.size());
    const QString templ = QString::fromUtf8(kTemplate);
    for (const PerMsgRecipient& r : recipients) {
        select.reset();
        select.bind(1, static_cast<int64_t>(r.contactId));
        QString text = templ;
        if (select.step() == SQLITE_ROW) {
            text.replace(QStringLiteral("<%姓名%>"), select.qtext(0));
            text.replace(QStringLiteral("<%性别%>"),
                         select.qtext(1) == QStringLiteral("男") ? QStringLiteral("先生") : select.qtext(1));
            text.replace(QStringLiteral("<%自定义文本1%>"), select.qtext(2));
        }
        rows.emplace_back(r.number, std::move(text));
    }
    const int64_t first = AllocateId(db, "sendInfo", "sendID", static_cast<int64_t>(rows.size()));
    SqlStatement info(
        db,
        "INSERT INTO sendInfo (content,submitTime,timingTime,sendID,isFail,count) VALUES(?1,?2,'',?3,0,1)");
    SqlStatement nums(db, "INSERT INTO sendNums (sendID,numOrMailAddr,rrid) VALUES(?1,?2,?3)");
    bool ok = true;
    for (size_t b = 0; b < rows.size() && ok; b += kBatch) {
        ok = ExecSql(nullptr, db, "BEGIN IMMEDIATE") == SQLITE_OK;
        for (size_t i = b; i < std::min(rows.size(), b + kBatch) && ok; ++i) {
            info.reset();
            info.bind(1, rows[i].second)
                .bind(2, "2026-03-05 10:20:30")
                .bind(3, first + static_cast<int64_t>(i));
            nums.reset();
            nums.bind(1, first + static_cast<int64_t>(i)).bind(2, rows[i].first).bind(3, std::to_string(i));
            ok = info.exec() == SQLITE_OK && nums.exec() == SQLITE_OK;
        }
        ok = ok && ExecSql(nullptr, db, "COMMIT") == SQLITE_OK;
    }
    return ok;
}

bool EditedRoad(sqlite3* db, const std::vector<PerMsgRecipient>& recipients) {
    VIRTUAL_LIST_PERMSG rows;
    PerMsgComposerRows maker(rows, db, QString::fromUtf8(kTemplate), recipients, true);
    if (!maker.Open())
        return false;
    while (maker.Step(2000)) {
    }
    PerMsgSubmission submission(std::make_unique<AtOnceSender>());
    submission.SetDatabases(db, nullptr);
    PerMsgSubmitRequest request;
    request.rows = &rows;
    request.road = PerMsgRoad::Edited;
    request.batchSize = kBatch;
    QEventLoop loop;
    PerMsgSubmitResult result;
    QObject::connect(&submission, &PerMsgSubmission::finished, [&](const PerMsgSubmitResult& r) {
        result = r;
        loop.quit();
    });
    if (!submission.Start(request))
        return false;
    loop.exec();
    return result.allSent() && result.sentCount == kRows;
}

void RunEdited(benchmark::State& state, bool (*work)(sqlite3*, const std::vector<PerMsgRecipient>&),
               int slot) {
    auto& f = TheFixture();
    double total = 0;
    for (auto _ : state) {
        const QString path = f.freshCopy();
        sqlite3* db = OpenConnection(path);
        if (!db) {
            state.SkipWithError("cannot open the copy");
            return;
        }
        const auto t0 = std::chrono::steady_clock::now();
        const bool ok = work(db, f.recipients);
        const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        state.SetIterationTime(s);
        total += s;
        CloseConnection(db);
        Fixture::remove(path);
        if (!ok) {
            state.SkipWithError("the run failed");
            return;
        }
    }
    g_seconds[slot] = total / static_cast<double>(state.iterations());
}

void BM_EditedBare(benchmark::State& state) {
    RunEdited(state, EditedBare, 0);
}
void BM_EditedRoad(benchmark::State& state) {
    RunEdited(state, EditedRoad, 1);
}

// ---- import

size_t ImportBare() {
    std::FILE* file = std::fopen(QFile::encodeName(TheFixture().csvPath).constData(), "rb");
    if (!file)
        return 0;
    std::vector<char> block(1 << 20);
    std::string carry;
    size_t lines = 0;
    QStringList fields;
    size_t got;
    while ((got = std::fread(block.data(), 1, block.size(), file)) > 0) {
        carry.append(block.data(), got);
        size_t from = 0;
        for (const char* nl;
             (nl = static_cast<const char*>(std::memchr(carry.data() + from, '\n', carry.size() - from)));) {
            const size_t end = static_cast<size_t>(nl - carry.data());
            const QString line = enc::FromGbk(std::string_view(carry.data() + from, end - from));
            fields = line.split(QLatin1Char(','));
            lines += fields.size() > 1 ? 1 : 0;
            from = end + 1;
        }
        carry.erase(0, from);
    }
    std::fclose(file);
    return lines - 1; // the header
}

size_t ImportReader() {
    VIRTUAL_LIST_PERMSG rows;
    PERMSG_IMPORT_PARAM param;
    param.filePath = TheFixture().csvPath;
    param.numberColumn = 1;
    PerMsgImportReader reader(rows, param, QStringLiteral("<%1姓名%>您好，您的积分<%2金额%>分（<%3备注%>）"));
    if (reader.Open() != PerMsgImportReader::OpenResult::Ok)
        return 0;
    while (reader.Step(5000)) {
    }
    return static_cast<size_t>(rows.GetCount());
}

void BM_ImportBare(benchmark::State& state) {
    g_seconds[2] = TimeIterations(state, ImportBare, [&](size_t n) {
        if (n != kRows)
            state.SkipWithError("wrong line count");
    });
}
void BM_ImportReader(benchmark::State& state) {
    g_seconds[3] = TimeIterations(state, ImportReader, [&](size_t n) {
        if (n != kRows)
            state.SkipWithError("wrong row count");
    });
}

// Each baseline runs before its case.
BENCHMARK(BM_EditedBare)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EditedRoad)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportBare)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportReader)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (!RunBenchmarks(argc, argv, [] { MeasureRows(); }))
        return 1;
    if (g_seconds[0] > 0 && g_seconds[1] > 0)
        std::printf("edited road/bare: %.1f ms / %.1f ms = %.2fx (target <= 2x)\n", g_seconds[1] * 1e3,
                    g_seconds[0] * 1e3, g_seconds[1] / g_seconds[0]);
    if (g_seconds[2] > 0 && g_seconds[3] > 0)
        std::printf("import/bare: %.1f ms / %.1f ms = %.2fx (target <= 3x)\n", g_seconds[3] * 1e3,
                    g_seconds[2] * 1e3, g_seconds[3] / g_seconds[2]);
    if (g_rowsKb > 0)
        std::printf("resident size with %d rows: %ld KiB (%ld KiB before them, %ld KiB for the rows)\n",
                    kRows, g_rowsKb, g_beforeKb, g_rowsKb - g_beforeKb);
    return 0;
}
