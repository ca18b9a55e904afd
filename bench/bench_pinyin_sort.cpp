// Sorting the contact list by name in pinyin order against the engine's own
// byte order, on one table of a million names in the same run. The pinyin
// order should cost no more than three times the byte order.
#include "bench/bench_database.h"
#include "bench/bench_main.h"
#include "core/database.h"
#include "core/paths.h"
#include "core/sql.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr int kContacts = 1'000'000;


// Splits a UTF-8 text into its characters, dropping repeats.
std::vector<std::string> Characters(std::string_view text) {
    std::vector<std::string> out;
    for (size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const size_t len = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : 4;
        std::string ch(text.substr(i, len));
        i += len;
        bool seen = false;
        for (const auto& s : out)
            seen = seen || s == ch;
        if (!seen)
            out.push_back(std::move(ch));
    }
    return out;
}

const char kSurnames[] =
    "王李张刘陈杨黄赵吴周徐孙马朱胡郭何高林罗郑梁谢宋唐许韩冯邓曹彭曾肖田董袁潘于蒋蔡余杜叶程苏魏吕丁任沈姚卢姜"
    "崔钟谭陆汪范金石廖贾夏韦付方白邹孟熊秦邱江尹薛闫段雷侯龙史陶黎贺顾毛郝龚邵万钱严覃武戴莫孔向汤";

const char kGivenCharacters[] =
    "伟芳娜秀英敏静丽强磊军洋勇艳杰娟涛明超兰霞平刚桂华玉萍红娥玲芬燕彬鹏辉建国文利波宁斌宇浩凯健俊帆帅旭晨阳欣"
    "怡佳琪雪梅琳晶婷慧颖倩萱悦然嘉睿博轩子涵梓宸泽瑞鑫思雨诗雅晓东海峰林云飞龙凤德志成兴福贵祥安康永春秋冬夏荣"
    "庆胜宏光亮天宝金银月星丹青松柏竹菊莲荷蕊薇芝蓉莹洁珊瑶璐琦瑾瑜璇珍珠翠碧霖霏露霜岚岩峻崇嵩巍川江河湖澜洪涌"
    "泉清源淑娴婉娇媛姗妍婕嫣媚娅楠桐梧杉榕樱枫柳杨槐梦幻影心意念恩惠慈爱忠孝仁义礼智信诚毅威武彪豪雄美彩虹霓晖"
    "昕晗昊晟景聪捷锋锐钢铁铭锦钰镇振振家庭立新正中和平民生长远方园圆玲琳君军钧均坤鲲乾坤元亨贞吉祺禧瑞麟凰鹤"
    "鸿鹏雁燕莺鹃翔翼羽舟帆航远达通顺畅怀仁德惠泽润沛涵浩瀚淼焱鑫森磊晶品众垚犇骉蕾菲芸茜芮苒茹莎萌萍蓓蔚蕙";

const char* const kLatinFirst[] = {"James",  "Mary",   "John",   "Patricia", "Robert", "Jennifer", "Michael",
                                   "Linda",  "William", "Elizabeth", "David", "Barbara", "Richard", "Susan",
                                   "Joseph", "Jessica", "Thomas", "Sarah",   "Charles", "Karen",  "Anna",
                                   "Kevin",  "Tony",    "Amy",    "Jack",    "Lucy",   "Peter",  "Helen",
                                   "alice",  "bob",     "Zoe",    "Eric"};
const char* const kLatinLast[] = {"Smith", "Johnson", "Williams", "Brown", "Jones",  "Garcia", "Miller",
                                  "Davis", "Wong",    "Chan",     "Lee",   "Cheung", "Lam",    "Ng",
                                  "Tan",   "Lim",     "Zhang",    "Wang",  "Li",     "Liu",    "Chen"};

std::vector<std::string> MakeNames(int count) {
    const auto surnames = Characters(kSurnames);
    const auto given = Characters(kGivenCharacters);
    Rng rng{20240601};
    std::vector<std::string> names;
    names.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        const size_t kind = rng.below(100);
        std::string name;
        if (kind < 30) {  // Latin
            name = kLatinFirst[rng.below(std::size(kLatinFirst))];
            name += ' ';
            name += kLatinLast[rng.below(std::size(kLatinLast))];
        } else if (kind < 35) {  // mixed: a Chinese surname with a Latin given name, or the other way round
            if (rng.below(2)) {
                name = surnames[rng.below(surnames.size())];
                name += kLatinFirst[rng.below(std::size(kLatinFirst))];
            } else {
                name = kLatinFirst[rng.below(std::size(kLatinFirst))];
                name += surnames[rng.below(surnames.size())];
                name += given[rng.below(given.size())];
            }
        } else {  // Chinese: a surname and one or two given characters
            name = surnames[rng.below(surnames.size())];
            const int n = rng.below(3) == 0 ? 1 : 2;
            for (int k = 0; k < n; ++k)
                name += given[rng.below(given.size())];
        }
        names.push_back(std::move(name));
    }
    return names;
}

// A program folder with a fresh database holding the names; built once and
// shared by both orders.
struct SortFixture : BenchFolder {
    size_t surnameCount = 0, givenCount = 0;
    SortFixture() {
        const auto names = MakeNames(kContacts);
        SqlTransaction tx(g_pDB);
        SqlStatement insert(g_pDB, "INSERT INTO ContactList (name, mobileNum, groupID, perNO, isDeleted) "
                                   "VALUES (?1, ?2, 1, ?3, 0)");
        for (int i = 0; i < kContacts; ++i) {
            insert.bind(1, names[static_cast<size_t>(i)])
                .bind(2, std::to_string(13000000000LL + i))
                .bind(3, i + 1);
            insert.exec();
        }
        if (tx.commit() != SQLITE_OK)
            throw std::runtime_error("cannot fill the contact list");
        surnameCount = Characters(kSurnames).size();
        givenCount = Characters(kGivenCharacters).size();
        // The code page table is built on first use; that one-off cost is not the sort's.
        PinyinCompare(nullptr, 3, "\xE7\x8E\x8B", 3, "\xE6\x9D\x8E");
    }
    ~SortFixture() {
        CloseDatabase();
        SetAppDirectory(QString());
    }
};

SortFixture& Fixture() {
    static SortFixture fixture;
    return fixture;
}

double g_seconds[2] = {0, 0};  // mean per run: binary, pinyin

void RunOrder(benchmark::State& state, const char* sql, int slot) {
    Fixture();
    SqlStatement st(g_pDB, sql);
    if (!st.ok()) {
        state.SkipWithError("cannot prepare");
        return;
    }
    int64_t rows = 0;
    uint64_t bytes = 0;
    double total = 0;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        int rc;
        while ((rc = st.step()) == SQLITE_ROW) {
            bytes += static_cast<uint64_t>(sqlite3_column_bytes(st.handle(), 0));
            ++rows;
        }
        st.reset();
        const auto t1 = std::chrono::steady_clock::now();
        const double s = std::chrono::duration<double>(t1 - t0).count();
        state.SetIterationTime(s);
        total += s;
        if (rc != SQLITE_DONE) {
            state.SkipWithError("step failed");
            return;
        }
    }
    benchmark::DoNotOptimize(bytes);
    g_seconds[slot] = total / static_cast<double>(state.iterations());
    state.counters["rows"] = static_cast<double>(rows / state.iterations());
    if (slot == 1 && g_seconds[0] > 0)
        state.counters["x_binary"] = g_seconds[1] / g_seconds[0];
}

void BM_OrderByNameBinary(benchmark::State& state) {
    RunOrder(state, "SELECT name FROM ContactList ORDER BY name", 0);
}
void BM_OrderByNamePinyin(benchmark::State& state) {
    RunOrder(state, "SELECT name FROM ContactList ORDER BY name COLLATE pinyin", 1);
}

// The byte order runs first: the pinyin run reports itself against it.
BENCHMARK(BM_OrderByNameBinary)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OrderByNamePinyin)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    const bool ran = RunBenchmarks(argc, argv, [] {
        const auto t0 = std::chrono::steady_clock::now();
        Fixture();
        const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        std::printf("fixture: %d contacts (%zu surnames, %zu given-name characters) in %.1f s\n", kContacts,
                    Fixture().surnameCount, Fixture().givenCount, s);
    });
    if (!ran)
        return 1;
    if (g_seconds[0] > 0 && g_seconds[1] > 0)
        std::printf("pinyin/binary: %.3f ms / %.3f ms = %.2fx (target <= 3x)\n", g_seconds[1] * 1e3,
                    g_seconds[0] * 1e3, g_seconds[1] / g_seconds[0]);
    return 0;
}
