#include "core/helpers.h"

#include "tests/support/program_folder.h"

#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

#include <optional>

namespace {

// ---- IsRightDenied -----------------------------------------------------------

class RightsTest : public ::testing::Test {
protected:
    void TearDown() override { g_pLoginRights.reset(); }
    static void setRights(const std::optional<QStringList>& rights) {
        g_pLoginRights = rights ? std::make_unique<QStringList>(*rights) : nullptr;
    }
};

// An operator whose array has 10 elements: rights 1 to 9, odd ones granted.
QStringList Operator10() { return {"OP01", "1", "0", "1", "0", "1", "0", "1", "0", "1"}; }

// 20 elements, every flag granted, under the given account value.
QStringList AllGranted(const QString& account) {
    QStringList r{account};
    for (int i = 1; i < 20; ++i)
        r << QStringLiteral("1");
    return r;
}

// 20 elements, every flag "0".
QStringList NoneGranted(const QString& account) {
    QStringList r{account};
    for (int i = 1; i < 20; ++i)
        r << QStringLiteral("0");
    return r;
}

TEST_F(RightsTest, TableOfUsersAndRights) {
    struct Case {
        const char* what;
        std::optional<QStringList> rights;
        int right;
        bool denied;
    };
    const Case cases[] = {
        {"no array, ordinary right", std::nullopt, 1, true},
        {"no array, masking right", std::nullopt, 16, true},
        {"no array, administrators only", std::nullopt, -1, true},
        {"empty array", QStringList{}, 1, true},
        {"operator, granted flag", Operator10(), 1, false},
        {"operator, flag 0", Operator10(), 2, true},
        {"operator, last element", Operator10(), 9, false},
        {"operator, first number past the array", Operator10(), 10, true},
        {"operator, far past the array", Operator10(), 16, true},
        {"operator, administrators only", Operator10(), -1, true},
        {"operator, element 0 is no grant", Operator10(), 0, true},
        {"operator, masking granted means masked", AllGranted("OP"), 16, false},
        {"operator, masking not granted", NoneGranted("OP"), 16, true},
        {"administrator ignores flags", NoneGranted("AD"), 5, false},
        {"administrator past the array", QStringList{"AD"}, 19, false},
        {"administrator, administrators only", QStringList{"AD"}, -1, false},
        {"administrator never masked", AllGranted("AD"), 16, true},
        {"longer administrator value", NoneGranted("ADMIN"), 3, false},
        // A damaged account value must not make an administrator.
        {"empty element 0 keeps the flags", NoneGranted(""), 5, true},
        {"empty element 0, granted flag", AllGranted(""), 5, false},
        {"empty element 0, administrators only", AllGranted(""), -1, true},
        {"lower-case ad is no administrator", NoneGranted("ad"), 5, true},
        {"leading blank is no administrator", NoneGranted(" AD"), 5, true},
        {"lone A is no administrator", NoneGranted("A"), -1, true},
    };
    for (const Case& c : cases) {
        setRights(c.rights);
        EXPECT_EQ(IsRightDenied(c.right), c.denied) << c.what << ", right " << c.right;
    }
}

// ---- System settings ---------------------------------------------------------

TEST(SysSettingsTest, AddReturnsIndexAndClearEmpties) {
    ClearSysSettings();
    EXPECT_EQ(AddSysSetting(1, "30"), 0);
    EXPECT_EQ(AddSysSetting(0, QString()), 1);
    EXPECT_EQ(AddSysSetting(2, "5000"), 2);
    ASSERT_EQ(g_sysSettings.size(), 3u);
    EXPECT_EQ(g_sysSettings[2].flag, 2);
    EXPECT_EQ(g_sysSettings[2].text, "5000");
    ClearSysSettings();
    EXPECT_TRUE(g_sysSettings.empty());
    EXPECT_EQ(AddSysSetting(7, "x"), 0);
    ClearSysSettings();
}

// ---- Splitting ---------------------------------------------------------------

struct SplitCase {
    QString text;
    QString separator;
    QStringList expected;
};

TEST(SplitStringTest, Table) {
    const SplitCase cases[] = {
        {"a,b,c", ",", {"a", "b", "c"}},
        {"  a,b \r\n", ",", {"a", "b"}},
        {",a,b", ",", {"", "a", "b"}},
        {"a,,b", ",", {"a", "", "b"}},
        {"a,b,", ",", {"a", "b"}},
        {"abc", ",", {"abc"}},
        {"", ",", {}},
        {" \r\n ", ",", {}},
        {"138\r\n139\r\n\r\n140\r\n", "\r\n", {"138", "139", "", "140"}},
        {"one\r\n**\r\ntwo\r\n**\r\nthree", "\r\n**\r\n", {"one", "two", "three"}},
        {"abc", "", {"abc"}},
    };
    for (const SplitCase& c : cases) {
        QStringList out{"stale", "entries"};
        const int n = SplitString(c.text, c.separator, out);
        EXPECT_EQ(out, c.expected) << c.text.toStdString() << " / " << c.separator.toStdString();
        EXPECT_EQ(n, out.size());
    }
}

TEST(SplitBeforeSeparatorTest, Table) {
    const SplitCase cases[] = {
        {"ab,cd,ef", ",", {"ab", ",cd", ",ef"}},
        {",ab,cd", ",", {",ab", ",cd"}},
        {"a,,b", ",", {"a", ",", ",b"}},
        {"ab,", ",", {"ab", ","}},
        {"abc", ",", {"abc"}},
        {",", ",", {","}},
        {"", ",", {}},
        {"x<%a%><%b%>", "<%", {"x", "<%a%>", "<%b%>"}},
        {" a b", " ", {" a", " b"}},
    };
    for (const SplitCase& c : cases) {
        QStringList out{"stale"};
        const int n = SplitBeforeSeparator(c.text, c.separator, out);
        EXPECT_EQ(out, c.expected) << c.text.toStdString() << " / " << c.separator.toStdString();
        EXPECT_EQ(n, out.size());
    }
}

TEST(SplitCsvLineTest, Table) {
    struct Case {
        QString line;
        QChar separator;
        QStringList expected;
    };
    const Case cases[] = {
        {R"(,"a,b","c""d",)", u',', {"", "a,b", "c\"d", ""}},
        {"a,b,c", u',', {"a", "b", "c"}},
        {"13800138000", u',', {"13800138000"}},
        {"", u',', {""}},
        {",", u',', {"", ""}},
        {R"("")", u',', {""}},
        {R"("""")", u',', {"\""}},
        {R"("x"y,z)", u',', {"xy", "z"}},
        {R"(a"b,c)", u',', {"a\"b", "c"}},
        {R"("open,to the end)", u',', {"open,to the end"}},
        {R"(a;"b;c";d)", u';', {"a", "b;c", "d"}},
        {"a,b;c", u';', {"a,b", "c"}},
        {"张三,\"北京,朝阳\"", u',', {"张三", "北京,朝阳"}},
        {R"(x,"a""",y)", u',', {"x", "a\"", "y"}},
        {R"(a""b,"c""d""e"f)", u',', {"a\"\"b", "c\"d\"ef"}},
        {R"(,,"",)", u',', {"", "", "", ""}},
    };
    for (const Case& c : cases) {
        // A longer array from an earlier line must shrink to this line's fields.
        QStringList out{"1", "2", "3", "4", "5", "6"};
        EXPECT_TRUE(SplitCsvLine(c.line, c.separator, out));
        EXPECT_EQ(out, c.expected) << c.line.toStdString();
    }
}

// ---- URL encoding ------------------------------------------------------------

TEST(UrlEncodeTest, Table) {
    struct Case {
        std::string in;
        std::string out;
    };
    const Case cases[] = {
        {"a b", "a+b"},
        {"&", "%26"},
        {"AZaz09-._", "AZaz09-._"},
        {"~/?=%+*", "%7E%2F%3F%3D%25%2B%2A"},
        {"\xE4\xB8\xAD", "%E4%B8%AD"},      // UTF-8 of a Chinese character
        {"\xD6\xD0", "%D6%D0"},             // the same in GBK
        {"\xE9\xFF", "%E9%FF"},             // Latin-1 letters are not ASCII letters
        {std::string("a\0b", 3), "a%00b"},  // a zero byte is data, not an end
        {"\r\n\t", "%0D%0A%09"},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(UrlEncode(c.in.data(), c.in.size()), c.out) << c.in;
    EXPECT_EQ(UrlEncode(nullptr, 5), "");
}

TEST(UrlDecodeTest, Table) {
    struct Case {
        std::string in;
        std::string out;
    };
    const Case cases[] = {
        {"a+b", "a b"},
        {"%4a", "J"},
        {"%4A", "J"},
        {"%26x%3d1", "&x=1"},
        {"%E4%B8%AD", "\xE4\xB8\xAD"},
        {"%00", std::string("\0", 1)},
        {"100%", "100%"},
        {"%4", "%4"},
        {"x%", "x%"},
        {"%zz", "%zz"},
        {"%4g1", "%4g1"},
        {"%%41", "%A"},
        {"plain-text_.", "plain-text_."},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(UrlDecode(c.in), c.out) << c.in;
}

TEST(UrlDecodeTest, StopsAtTheGivenLengthAndTerminates) {
    // The bytes after n are valid hex digits: reading them would decode "%4A".
    char buf[] = "ab%4A";
    EXPECT_EQ(UrlDecode(buf, 4), 4u);
    EXPECT_STREQ(buf, "ab%4");

    char buf2[] = "ab%41";
    EXPECT_EQ(UrlDecode(buf2, 3), 3u);
    EXPECT_STREQ(buf2, "ab%");

    // Shrinking leaves a terminator right after the decoded bytes.
    char buf3[] = "%41%42+c";
    EXPECT_EQ(UrlDecode(buf3, 8), 4u);
    EXPECT_STREQ(buf3, "AB c");
}

TEST(UrlDecodeTest, RoundTripsEveryByte) {
    std::string all;
    for (int i = 0; i < 256; ++i)
        all += static_cast<char>(i);
    const std::string encoded = UrlEncode(all);
    const char* kept = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-._+%";
    EXPECT_EQ(encoded.find_first_not_of(kept), std::string::npos);
    EXPECT_EQ(UrlDecode(encoded), all);
}

// ---- Ids and numbers ---------------------------------------------------------

TEST(CreateUniqueIdTest, PatternAndUniqueness) {
    // The first two groups (8 + 4 digits) upper case, the third lower, the eight bytes upper.
    static const QRegularExpression pattern(QStringLiteral("^[0-9A-F]{12}[0-9a-f]{4}[0-9A-F]{16}$"));
    QSet<QString> seen;
    for (int i = 0; i < 50; ++i) {
        const QString id = CreateUniqueId();
        EXPECT_TRUE(pattern.match(id).hasMatch()) << id.toStdString();
        seen.insert(id);
    }
    EXPECT_EQ(seen.size(), 50);
}

TEST(IsMobileNumberTest, Table) {
    struct Case {
        QString number;
        bool mobile;
    };
    const Case cases[] = {
        {"13800138000", true},  {"19912345678", true},   {"23800138000", false}, {"1380013800", false},
        {"138001380001", false}, {"", false},            {"1", false},           {"1abcdefghij", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsMobileNumber(c.number), c.mobile) << c.number.toStdString();
}

// ---- Outside components ------------------------------------------------------

TEST(FindOdbcDriverTest, FindsTheInstalledSqliteDriver) {
    const QString driver = FindOdbcDriver("SQLite");
    EXPECT_TRUE(driver.startsWith("SQLite")) << driver.toStdString();
    EXPECT_EQ(FindOdbcDriver("SQLite3"), "SQLite3");
    EXPECT_EQ(FindOdbcDriver("NoSuchDriverXyz"), "");
    EXPECT_EQ(FindOdbcDriver(""), "");
    // The match is case-sensitive, as driver names are.
    EXPECT_EQ(FindOdbcDriver("sqlite"), "");
}

class RegisterComDllTest : public ProgramFolderTest {};

TEST_F(RegisterComDllTest, FailsAndSaysWhy) {
    EXPECT_FALSE(RegisterComDll(m_folder->file("jmail.dll")));
    const QString log = runLog();
    EXPECT_TRUE(log.contains("RegisterComDll")) << log.toStdString();
    EXPECT_TRUE(log.contains("jmail.dll")) << log.toStdString();
}

} // namespace
