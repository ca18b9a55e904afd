#include "core/convert.h"

#include <gtest/gtest.h>

namespace {

TEST(Convert, RoundTripsBetweenUtf16Utf8AndCp936) {
    const QString text = QStringLiteral("短信 SMS €");
    EXPECT_EQ(Utf8ToUnicode(UnicodeToUtf8(text)), text);
    EXPECT_EQ(AnsiToUnicode(UnicodeToAnsi(text)), text);
    EXPECT_EQ(AnsiToUtf8(UnicodeToAnsi(text)), UnicodeToUtf8(text));
    EXPECT_EQ(Utf8ToAnsi(UnicodeToUtf8(text)), UnicodeToAnsi(text));
    EXPECT_EQ(UnicodeToUtf8(QString()), "");
    EXPECT_EQ(UnicodeToAnsi(QStringLiteral("😀")), "?");
}

TEST(Convert, BufferConversionsNeverSplitACharacter) {
    char16_t wide[4];
    // Three units fit with the terminator; the pair after "ab" would be split, so it is left out.
    EXPECT_EQ(Utf8ToUnicodeBuf("ab\xF0\x9F\x98\x80", wide, 4), 2);
    EXPECT_EQ(std::u16string(wide), u"ab");
    EXPECT_EQ(Utf8ToUnicodeBuf("中文", wide, 4), 2);
    EXPECT_EQ(std::u16string(wide), u"中文");

    char narrow[7];
    EXPECT_EQ(UnicodeToUtf8Buf(QStringLiteral("中文"), narrow, 7), 6);
    EXPECT_STREQ(narrow, "中文");
    // Does not fit with its terminator: nothing at all rather than half a character.
    EXPECT_EQ(UnicodeToUtf8Buf(QStringLiteral("中文"), narrow, 6), 0);
    EXPECT_STREQ(narrow, "");
}

} // namespace
