#include "sms/sms_numbering.h"

#include <gtest/gtest.h>

namespace {
TEST(SmsNumbering, DefaultAndCustomTexts) {
    struct Case {
        SmsNumbering numbering;
        const char* expected;
        int reserved;
    };
    const Case cases[] = {
        {{}, "[1/2]", 5},
        {{QStringLiteral("0"), QStringLiteral("("), QStringLiteral("-"), QStringLiteral(")"), 1}, "[1/2]", 5},
        {{QStringLiteral("1"), QStringLiteral("<"), QStringLiteral("/"), QStringLiteral(">"), 1}, "<1/2>", 5},
        {{QStringLiteral("1"), QStringLiteral("<"), QStringLiteral("/"), QStringLiteral(">"), 0}, "<1/>", 4},
        {{QStringLiteral("1"), QString(), QStringLiteral("."), QString(), 0}, "1.", 2},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FormatSmsNumbering(c.numbering, 1, 2), QString::fromUtf8(c.expected));
        EXPECT_EQ(SmsNumberingReservedLength(c.numbering), c.reserved) << c.expected;
    }
}
} // namespace
