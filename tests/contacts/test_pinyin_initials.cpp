#include "contacts/pinyin_initials.h"

#include "core/sql.h"
#include "tests/support/contacts_fixture.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The two code page 936 bytes of a zone-position number.
std::string Zone(int code) {
    return {static_cast<char>(0xA0 + code / 100), static_cast<char>(0xA0 + code % 100)};
}

TEST(PinyinInitials, NamesGiveTheirInitials) {
    struct Case {
        const char* name;
        const char* initials;
    };
    const Case cases[] = {
        {"张三", "ZS"},
        {"abc张", "ABCZ"},
        {"3a", "3A"},
        {"'李x", "'LX"},
        {"王 Li-5", "W LI-5"},
        // GBK extension characters (lead 0x81..0xA0, or trail below 0xA1)
        // add nothing, not even their trail byte.
        {"丂", ""},
        {"a丂乗b", "AB"},
        {"z€", "Z"},
        // A character the code page cannot hold counts as one "?".
        {"😀张", "?Z"},
        {"", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(GetPinyinInitials(QStringView(QString::fromUtf8(c.name))), QString::fromUtf8(c.initials));
    }
}

TEST(PinyinInitials, TableEdgesByZonePosition) {
    struct Case {
        std::string bytes;
        const char* initials;
    };
    const Case cases[] = {
        {Zone(1601), "A"},
        {Zone(1636), "A"},
        {Zone(1637), "B"},
        {Zone(2787), "J"},
        {Zone(5249), "Z"},
        {Zone(5589), "Z"},
        {Zone(5590), ""},       // after the table
        {Zone(1599), ""},       // before it (symbols)
        {Zone(101) + "k", "K"}, // full-width punctuation
        // GBK-extension pairs use both bytes: the trail "@" or "a" is no letter.
        {std::string("\x81\x40", 2) + "x", "X"},
        {std::string("\xB0\x61", 2) + "x", "X"},
        {std::string("\xFE\xA1", 2), ""},
        // Single bytes above 0x7F and a lead byte at the end add nothing.
        {std::string("\x80") + "q", "Q"},
        {std::string("\xFF") + "q", "Q"},
        {"m" + std::string("\xB0"), "M"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.initials);
        EXPECT_EQ(GetPinyinInitials(std::string_view(c.bytes)), QString::fromUtf8(c.initials));
    }
}

using PinyinInitialsGenerator = ContactsFixtureTest;

QString FirstLetter(qint64 rowid) {
    SqlStatement st(g_pDB, "SELECT firstLetter FROM ContactList WHERE rowid=?");
    st.bind(1, static_cast<int64_t>(rowid));
    return st.step() == SQLITE_ROW ? (st.isNull(0) ? QStringLiteral("<null>") : st.qtext(0))
                                   : QStringLiteral("<none>");
}

qint64 AddRow(const char* name, const char* firstLetter) {
    SqlStatement st(
        g_pDB,
        "INSERT INTO ContactList (name, mobileNum, groupID, perNO, firstLetter) VALUES (?, '', 4, 90, ?)");
    st.bind(1, name);
    if (firstLetter)
        st.bind(2, firstLetter);
    else
        st.bindNull(2);
    EXPECT_EQ(st.exec(), SQLITE_OK);
    return sqlite3_last_insert_rowid(g_pDB);
}

TEST_F(PinyinInitialsGenerator, FillsOnlyMissingInitialsByRow) {
    struct Row {
        const char* name;
        const char* before;
        const char* after;
        qint64 rowid = 0;
    };
    Row rows[] = {
        {"3a", nullptr, "3"},    {"'quote", "", "'"}, {"abc张", nullptr, "A"},
        {"张三", "", "Z"},       {"丂", nullptr, ""}, // no initial to give
        {"李四", "Q", "Q"},                           // already has one: kept
        {"", nullptr, "<null>"},                      // no name: left alone
    };
    for (Row& r : rows)
        r.rowid = AddRow(r.name, r.before);

    EXPECT_TRUE(HasContactsWithoutInitials());
    // The fixture's ten rows (two of them one perNO) and the five rows above with a name and no initial.
    EXPECT_EQ(GenerateMissingInitials(), 15);
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(FirstLetter(r.rowid), QString::fromUtf8(r.after));
    }
    EXPECT_EQ(FirstLetter(FixtureRowid("13800000001", 1)), "Z");
    EXPECT_EQ(FirstLetter(FixtureRowid("13800000001", 2)), "Z");
    EXPECT_EQ(FirstLetter(FixtureRowid("13900000003", 4)), "B"); // 丙

    // Only the name without any initial is still found.
    SqlStatement left(
        g_pDB, "SELECT COUNT(*) FROM ContactList WHERE name!='' AND (firstLetter='' OR firstLetter IS NULL)");
    ASSERT_EQ(left.step(), SQLITE_ROW);
    EXPECT_EQ(left.int64(0), 1);
    EXPECT_FALSE(runLog().contains("ERROR"));
}

TEST_F(PinyinInitialsGenerator, CheckStopsAtTheFirstRowWithoutALogLine) {
    EXPECT_TRUE(HasContactsWithoutInitials());
    ASSERT_EQ(ExecSql(nullptr, g_pDB, "UPDATE ContactList SET firstLetter='X'"), SQLITE_OK);
    EXPECT_FALSE(HasContactsWithoutInitials());
    EXPECT_EQ(GenerateMissingInitials(), 0);
    EXPECT_FALSE(runLog().contains("ERROR"));
}

TEST_F(PinyinInitialsGenerator, AFailingRowIsLoggedAndTheOthersAreWritten) {
    ASSERT_EQ(
        ExecSql(nullptr, g_pDB,
                "CREATE TRIGGER no_letter BEFORE UPDATE OF firstLetter ON ContactList WHEN OLD.name='乙'"
                " BEGIN SELECT RAISE(ABORT, 'x'); END;"),
        SQLITE_OK);
    EXPECT_EQ(GenerateMissingInitials(), 9);
    EXPECT_EQ(FirstLetter(FixtureRowid("13900000002", 4)), "<null>");
    EXPECT_EQ(FirstLetter(FixtureRowid("13900000001", 4)), "J");
    EXPECT_TRUE(runLog().contains("写入首字母出错了"));
}

} // namespace
