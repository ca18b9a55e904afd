#include "sms/sms_text.h"

#include <gtest/gtest.h>

namespace {

const QChar kWide(0x4E2D);   // 中
const QChar kLatin1(0x00E9); // é: below code 256, one byte

SmsNumbering Custom(const char* pre1, const char* pre2, const char* pre3, int bHasB) {
    return SmsNumbering{QStringLiteral("1"), QString::fromUtf8(pre1), QString::fromUtf8(pre2),
                        QString::fromUtf8(pre3), bHasB};
}

// Parts put back together give the body; no part passes the part length.
void ExpectSoundParts(const QStringList& parts, const QString& body, const QString& bracketed,
                      const SmsNumbering& numbering, int partLength) {
    QString joined;
    for (int i = 0; i < parts.size(); ++i) {
        const QString numberingText = FormatSmsNumbering(numbering, i + 1, int(parts.size()));
        ASSERT_TRUE(parts[i].startsWith(numberingText)) << parts[i].toStdString();
        QString slice = parts[i].mid(numberingText.size());
        if (i + 1 == parts.size()) {
            ASSERT_TRUE(slice.endsWith(bracketed));
            slice.chop(bracketed.size());
        }
        joined += slice;
        EXPECT_LE(parts[i].size() + (i + 1 == parts.size() ? 0 : bracketed.size()), partLength)
            << "part " << i + 1 << " of " << parts.size();
    }
    EXPECT_EQ(joined, body);
}

TEST(SmsText, CountingAndSplitting) {
    struct Case {
        const char* what;
        QString content;
        QString signature;
        bool sign;
        bool longSms;
        SmsNumbering numbering;
        int parts;
        int perNumber;
        int firstSlice; // characters of the body in part 1 (0: not split)
    };
    const SmsNumbering plain;
    const Case cases[] = {
        {"70 wide", QString(70, kWide), {}, false, false, plain, 1, 1, 0},
        {"71 wide", QString(71, kWide), {}, false, false, plain, 2, 2, 65},
        {"71 wide, long", QString(71, kWide), {}, false, true, plain, 1, 2, 0},
        {"140 narrow", QString(140, 'a'), {}, false, false, plain, 1, 1, 0},
        {"140 with é stays narrow", QString(139, 'a') + kLatin1, {}, false, false, plain, 1, 1, 0},
        {"141 narrow", QString(141, 'a'), {}, false, false, plain, 2, 2, 135},
        {"141 narrow, long", QString(141, 'a'), {}, false, true, plain, 1, 3, 0},
        {"100 narrow is one part", QString(100, 'a'), {}, false, false, plain, 1, 1, 0},
        {"100 narrow, long", QString(100, 'a'), {}, false, true, plain, 1, 1, 0},
        {"wide signature makes the text wide", QString(69, 'a'), QStringLiteral("签名"), true, false, plain,
         2, 2, 61},
        {"signature counts in the length", QString(67, kWide), QStringLiteral("公司"), true, false, plain, 2,
         2, 61},
        {"150 wide, 6-character signature", QString(150, kWide), QStringLiteral("六个字的签名"), true, false,
         plain, 3, 3, 57},
        {"700 wide: 12 parts of 63", QString(700, kWide), {}, false, false, plain, 12, 12, 63},
        {"custom with count", QString(150, kWide), {}, false, false, Custom("(", "/", ")", 1), 3, 3, 65},
        {"custom without count", QString(150, kWide), {}, false, false, Custom("(", "of", ")", 0), 3, 3, 65},
        {"long custom texts leave one character",
         QString(75, kWide),
         {},
         false,
         false,
         Custom("第第第第第第第第第第第第第第第第第第第第第第第第第第第第第第第第第第第第",
                "部分共计部分共计部分共计部分共计部分共计部分共计部分共计", "部", 1),
         75,
         75,
         1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SmsCountInput in;
        in.content = c.content;
        in.signature = c.signature;
        in.sign = c.sign;
        in.longSms = c.longSms;
        in.numbering = c.numbering;
        const SmsCount count = CountSms(in);
        const QString bracketed = c.sign ? BracketedSignature(c.signature) : QString();
        EXPECT_EQ(count.composed, c.content + bracketed);
        EXPECT_EQ(count.parts.size(), c.parts);
        EXPECT_EQ(count.perNumber, c.perNumber);
        if (c.firstSlice == 0) {
            ASSERT_EQ(count.parts.size(), 1);
            EXPECT_EQ(count.parts[0], count.composed);
            continue;
        }
        EXPECT_EQ(count.parts[0].size() - FormatSmsNumbering(c.numbering, 1, c.parts).size(), c.firstSlice);
        const int partLength = SmsPartLength(count.wide);
        if (c.firstSlice > 1)
            ExpectSoundParts(count.parts, c.content, bracketed, c.numbering, partLength);
    }
}

TEST(SmsText, TwelvePartsNeverPassSeventy) {
    // Between 10 and 12 parts "[10/12]" is 7 characters, not 5.
    for (int length = 560; length <= 760; ++length) {
        const QString body(length, kWide);
        const QStringList parts = SplitSmsText(body, {}, SmsNumbering{});
        ExpectSoundParts(parts, body, {}, SmsNumbering{}, 70);
    }
    const QString body(300, kWide);
    const QString bracketed = BracketedSignature(QStringLiteral("签名"));
    ExpectSoundParts(SplitSmsText(body, bracketed, SmsNumbering{}), body, bracketed, SmsNumbering{}, 70);
}

TEST(SmsText, TheSubmissionSplitsTheTextItIsHanded) {
    const QString signature = BracketedSignature(QStringLiteral("六个字的签名"));
    const QString content(150, kWide);
    SmsCountInput in;
    in.content = content;
    in.signature = QStringLiteral("六个字的签名");
    in.sign = true;
    const SmsCount counted = CountSms(in);
    // The composed text handed over splits exactly as the counter showed.
    EXPECT_EQ(SmsPartsOfText(counted.composed, signature, false, {}), counted.parts);
    // A text of its own, unsigned, splits whole; with "长短信" it is one part.
    const QString own(100, kWide);
    const QStringList parts = SmsPartsOfText(own, signature, false, {});
    ASSERT_EQ(parts.size(), 2);
    EXPECT_FALSE(parts.last().endsWith(signature));
    EXPECT_EQ(SmsPartsOfText(counted.composed, signature, true, {}), QStringList{counted.composed});
    EXPECT_EQ(SmsPartsOfText(QString(120, 'a'), {}, false, {}), QStringList{QString(120, 'a')});
}

TEST(SmsText, LongSmsCaps) {
    const struct {
        const char* what;
        QString content;
        QString hint;
        bool sign;
        bool exceeded;
        int cutTo;
    } cases[] = {
        {"1000 narrow", QString(1000, 'a'), {}, false, false, -1},
        {"1001 narrow", QString(1001, 'a'), {}, false, true, 1000},
        {"the brackets make a signed text wide", QString(995, 'a'), {}, true, true, 494}, // 【Sign】 is 6
        {"500 wide", QString(500, kWide), {}, false, false, -1},
        {"501 wide", QString(501, kWide), {}, false, true, 500},
        {"wide with signature and hint", QString(490, kWide), QStringLiteral("(请回复Y或N)"), true, true,
         486},
        {"signature alone past the cap", QString(3, kWide), QString(600, kWide), false, true, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SmsCountInput in;
        in.content = c.content;
        in.hint = c.hint;
        in.signature = QStringLiteral("Sign");
        in.sign = c.sign;
        in.longSms = true;
        const SmsCount count = CountSms(in);
        EXPECT_EQ(count.cap.exceeded, c.exceeded);
        EXPECT_EQ(count.cap.cutContentTo, c.cutTo);
        EXPECT_EQ(count.cap.warning.isEmpty(), !c.exceeded);
        if (c.exceeded && c.cutTo > 0) {
            EXPECT_EQ(count.composed.size(), count.wide ? 500 : 1000)
                << "content, hint and signature fill the cap";
        }
        // Without "长短信" the text is split instead and nothing is cut.
        in.longSms = false;
        EXPECT_FALSE(CountSms(in).cap.exceeded);
    }
    EXPECT_EQ(CheckLongSmsCap(1001, 1001, false).warning,
              QStringLiteral("单条单字节长短信内容总长度不能超过1000"));
    EXPECT_EQ(CheckLongSmsCap(501, 501, true).warning, QStringLiteral("单条长短信内容总长度不能超过500"));
}

TEST(SmsText, SignatureHintAndWideCharacters) {
    QString box = QStringLiteral("您好【公司】");
    EXPECT_TRUE(RemoveBracketedSignature(&box, QStringLiteral("公司")));
    EXPECT_EQ(box, QStringLiteral("您好"));
    box = QStringLiteral("【】x");
    EXPECT_FALSE(RemoveBracketedSignature(&box, QString()));
    EXPECT_EQ(box, QStringLiteral("【】x"));
    EXPECT_EQ(
        ComposeSmsText(QStringLiteral("问"), QStringLiteral("(请回复Y或N)"), QStringLiteral("司"), true),
        QStringLiteral("问(请回复Y或N)【司】"));
    EXPECT_EQ(ComposeSmsText(QStringLiteral("问"), {}, QStringLiteral("司"), false), QStringLiteral("问"));

    EXPECT_FALSE(HasWideChar(QString(10, QChar(0xFF))));
    EXPECT_TRUE(HasWideChar(QString(QChar(0x100))));
    EXPECT_TRUE(HasWideChar(QStringLiteral("한")));
}

TEST(SmsText, RecordPartsAndCharges) {
    const struct {
        QString text;
        int parts;
    } records[] = {
        {QString(70, kWide), 1}, {QString(71, kWide), 2},  {QString(140, 'a'), 1},
        {QString(141, 'a'), 3},  {QString(135, kWide), 3}, {QString(), 1},
    };
    for (const auto& r : records)
        EXPECT_EQ(RecordPartCount(r.text), r.parts) << r.text.size();

    EXPECT_EQ(ChargeTotal(1, 0, 10), 120) << "an international batch of 10";
    EXPECT_EQ(ChargeTotal(1, 3, 2), 27) << "a draft of 3 domestic and 2 international";
    EXPECT_EQ(ChargeTotal(3, 1000000, 1000000), 39000000);
    EXPECT_EQ(FormatChargeTotal(27), QStringLiteral("27 条"));
}

} // namespace
