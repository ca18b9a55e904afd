#include "core/numbers.h"

#include "core/helpers.h"

#include <gtest/gtest.h>

namespace {

TEST(Numbers, Legality) {
    struct Case {
        const char* number;
        bool legal;
    };
    const Case cases[] = {
        {"13000000000", true},       {"20000000000", true},         {"13812345678", true},
        {"0755123456", true},        {"0085212345678", true},       {"2085212345678", true},
        {"12999999999", false},      {"20000000001", true},        {"2123", false},
        {"abc", false},              {"", false},                   {"12345678", false},
        {"21234567", false},         {"2123456789012345", false},   {"0000000000", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsLegalNumber(QString::fromUtf8(c.number)), c.legal) << c.number;
}

TEST(Numbers, KeysRoundTrip) {
    struct Case {
        const char* number;
        qint64 key; // -1: no key
        const char* shown;
    };
    const Case cases[] = {
        {"13812345678", 13812345678LL, "13812345678"},
        {"20000000000", 20000000000LL, "20000000000"},
        {"0085212345678", 20085212345678LL, "0085212345678"},
        {"0755123456", 20755123456LL, "0755123456"},
        {"0000000000", -1, ""},
        {"12999999999", -1, ""},
        {"075512a", -1, ""},
    };
    for (const Case& c : cases) {
        const std::optional<qint64> key = NumberKey(QString::fromUtf8(c.number));
        if (c.key < 0) {
            EXPECT_FALSE(key.has_value()) << c.number;
            continue;
        }
        ASSERT_TRUE(key.has_value()) << c.number;
        EXPECT_EQ(*key, c.key) << c.number;
        EXPECT_EQ(NumberFromKey(*key), QString::fromUtf8(c.shown)) << c.number;
    }
    EXPECT_TRUE(IsInternationalNumber("0085212345678"));
    EXPECT_FALSE(IsInternationalNumber("0755123456"));
}

TEST(Numbers, TypedTokens) {
    struct Case {
        const char* line;
        qint64 key; // -1: refused
        bool international;
    };
    const Case cases[] = {
        {"13800138000 张三", 13800138000LL, false},
        {"0085212345678", 20085212345678LL, true},
        {"2085212345678", -1, false},
        {"12999999999", -1, false},
        {"20000000000", 20000000000LL, false},
        {"", -1, false},
        {" 13800138000", -1, false},
        {"138001380001380013800", -1, false}, // 16 digits taken: out of range
    };
    for (const Case& c : cases) {
        const NumberToken token = ParseNumberToken(QString::fromUtf8(c.line));
        EXPECT_EQ(token.key.value_or(-1), c.key) << c.line;
        EXPECT_EQ(token.international, c.international) << c.line;
    }
}

TEST(Numbers, MaskingFollowsTheRight) {
    struct Rights {
        const char* who;
        std::unique_ptr<QStringList> rights;
        bool masked;
    };
    QStringList withRight{"OPpw"};
    QStringList withoutRight{"OPpw"};
    for (int i = 1; i < 20; ++i) {
        withRight << (i == 16 ? "1" : "0");
        withoutRight << "0";
    }
    Rights table[] = {
        {"administrator", std::make_unique<QStringList>(QStringList{"ADpw"}), false},
        {"operator with right 16", std::make_unique<QStringList>(withRight), true},
        {"operator without rights", std::make_unique<QStringList>(withoutRight), false},
        {"nobody logged in", nullptr, false},
    };
    for (Rights& r : table) {
        g_pLoginRights = std::move(r.rights);
        EXPECT_EQ(MaskNumber("13812345678"), r.masked ? "138****5678" : "13812345678") << r.who;
        EXPECT_EQ(MaskNumber("12345"), r.masked ? "123**" : "12345") << r.who;
        EXPECT_EQ(MaskNumber("12"), "12") << r.who;
    }
    g_pLoginRights.reset();
}

} // namespace
