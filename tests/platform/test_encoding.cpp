#include "platform/encoding.h"

#include <gtest/gtest.h>

namespace {

std::string Bytes(std::initializer_list<int> b) {
    std::string s;
    for (int c : b)
        s.push_back(static_cast<char>(c));
    return s;
}

TEST(Encoding, Cp936RoundTripsAndMapsUnknownToQuestionMark) {
    struct Case {
        std::u16string text;
        std::string gbk;
    } cases[] = {
        {u"abc", "abc"},
        {u"中", Bytes({0xD6, 0xD0})},
        {u"张李", Bytes({0xD5, 0xC5, 0xC0, 0xEE})},
        {u"\u20AC", Bytes({0x80})},          // the euro sign is the single byte 0x80
        {u"\u0E01x", "?x"},                   // Thai has no place in code page 936
        {u"a\U0001F600b", "a?b"},             // a surrogate pair is one unknown character
        {u"", ""},
    };
    for (const auto& c : cases) {
        QString text = QString::fromStdU16String(c.text);
        EXPECT_EQ(enc::ToGbk(text), c.gbk) << text.toStdString();
        if (c.gbk.find('?') == std::string::npos) {
            EXPECT_EQ(enc::FromGbk(c.gbk), text);
        }
    }
}

TEST(Encoding, InvalidCp936BytesDoNotSwallowText) {
    EXPECT_EQ(enc::FromGbk(Bytes({0xD6})), QString(QChar(0xFFFD)));            // lead byte at the end
    EXPECT_EQ(enc::FromGbk(Bytes({0xD6, '1'})), QString(QChar(0xFFFD)) + "1");  // ASCII after a lone lead stays
}

TEST(Encoding, Utf8ValidationAndDecoding) {
    EXPECT_TRUE(enc::IsValidUtf8("plain"));
    EXPECT_TRUE(enc::IsValidUtf8("中文"));
    EXPECT_FALSE(enc::IsValidUtf8(Bytes({0xC0, 0xAF})));        // overlong
    EXPECT_FALSE(enc::IsValidUtf8(Bytes({0xED, 0xA0, 0x80})));  // a surrogate
    EXPECT_FALSE(enc::IsValidUtf8(Bytes({0xE4, 0xB8})));        // cut short
    EXPECT_EQ(enc::DecodeText("中文"), "中文");
    EXPECT_EQ(enc::DecodeText(enc::ToGbk(u"中文")), "中文");
}

} // namespace
