// What the entry dialogs make of typed text: the text handed to the opener,
// the numbers added to a number list, and the one number of a new contact.
#include "contacts/number_entry.h"

#include "core/sql.h"
#include "tests/support/contacts_fixture.h"
#include "tests/support/hash_virtual_list.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<qint64> Keys(const VIRTUAL_LIST& list) {
    std::vector<qint64> keys;
    for (int i = 0; i < list.GetCount(); ++i)
        keys.push_back(list.GetKey(i));
    return keys;
}

// Counts the statements the connection starts running while it lives.
class StatementCounter {
public:
    explicit StatementCounter(sqlite3* db) : m_db(db) {
        sqlite3_trace_v2(m_db, SQLITE_TRACE_STMT, &StatementCounter::Trace, this);
    }
    ~StatementCounter() { sqlite3_trace_v2(m_db, 0, nullptr, nullptr); }
    int count() const { return m_count; }

private:
    static int Trace(unsigned, void* self, void*, void*) {
        ++static_cast<StatementCounter*>(self)->m_count;
        return 0;
    }
    sqlite3* m_db;
    int m_count = 0;
};

TEST(EntryDialogsText, TrimmedAndJoinedWithCrLf) {
    const struct {
        QString typed;
        QString handed;
    } cases[] = {
        {QStringLiteral("  a\nb \r\nc\rd \n\n"), QStringLiteral("a\r\nb \r\nc\r\nd")},
        {QStringLiteral("x\n\ny"), QStringLiteral("x\r\n\r\ny")},
        {QStringLiteral("one\u2029two\u2028three"), QStringLiteral("one\r\ntwo\r\nthree")},
        {QStringLiteral(" \t\r\n  \n"), QString()},
        {QStringLiteral("单行"), QStringLiteral("单行")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        EXPECT_EQ(EntryText(c.typed), c.handed);
    }
}

TEST(EntryDialogsNumbers, EachLineGivesItsLeadingNumberOrNothing) {
    const struct {
        const char* line;
        std::vector<qint64> keys;
        int domestic;
        int international;
    } cases[] = {
        {"13800138000 张三", {13800138000LL}, 1, 0}, // the text after the digits is ignored
        {"0085212345678", {20085212345678LL}, 0, 1},
        {"2085212345678", {}, 0, 0}, // the internal mark typed by hand
        {"12999999999", {}, 0, 0},
        {"13000000000", {13000000000LL}, 1, 0},
        {"20000000000", {20000000000LL}, 1, 0},
        {"20000000001", {}, 0, 0},
        {"abc 13800138000", {}, 0, 0},
        {"138001380001234567", {}, 0, 0}, // 16 digits taken, too large a mobile number
        {"", {}, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        HashVirtualList list;
        const NumberEntryCounts counts = AddEntryNumbers(QString::fromUtf8(c.line), list, nullptr);
        EXPECT_EQ(Keys(list), c.keys);
        EXPECT_EQ(counts.domestic, c.domestic);
        EXPECT_EQ(counts.international, c.international);
    }
}

TEST(EntryDialogsNumbers, RepeatsAndListedNumbersAreAddedOnce) {
    HashVirtualList list;
    const qint64 listed = 13900139000LL;
    list.SetItem(0, &listed, nullptr);
    const NumberEntryCounts counts = AddEntryNumbers(
        QStringLiteral("13800138000\r\n13900139000\n13800138000 again\n0085212345678\n0085212345678"), list,
        nullptr);
    EXPECT_EQ(Keys(list), (std::vector<qint64>{listed, 13800138000LL, 20085212345678LL}));
    EXPECT_EQ(counts.domestic, 1);
    EXPECT_EQ(counts.international, 1);
}

using EntryDialogsNameLookup = ContactsFixtureTest;

TEST_F(EntryDialogsNameLookup, ShortListsGetNamesLongListsRunNoStatement) {
    // 张三 is 13800000001 in the fixture; 13800000009 belongs to nobody.
    {
        HashVirtualList list;
        StatementCounter statements(g_pDB);
        AddEntryNumbers(QStringLiteral("13800000001\n13800000009\n13800000001"), list, g_pDB);
        ASSERT_EQ(list.GetCount(), 2);
        QString name;
        qint64 key = 0;
        EXPECT_TRUE(list.GetRow(0, &key, &name));
        EXPECT_EQ(key, 13800000001LL);
        EXPECT_EQ(name, "张三");
        EXPECT_FALSE(list.GetRow(1, &key, &name)) << "a number without a contact has no name";
        EXPECT_EQ(statements.count(), 2) << "one lookup per added number";
    }

    const struct {
        int lines;
        bool named;
    } sizes[] = {{kNameLookupLineLimit - 1, true}, {kNameLookupLineLimit, false}, {100000, false}};
    for (const auto& s : sizes) {
        SCOPED_TRACE(s.lines);
        QStringList lines{QStringLiteral("13800000001")};
        for (int i = 1; i < s.lines; ++i)
            lines << QString::number(15000000000LL + i);
        HashVirtualList list;
        StatementCounter statements(g_pDB);
        const NumberEntryCounts counts = AddEntryNumbers(lines.join(QLatin1String("\r\n")), list, g_pDB);
        EXPECT_EQ(counts.domestic, s.lines);
        EXPECT_EQ(list.GetCount(), s.lines);
        QString name;
        EXPECT_EQ(list.GetRow(0, nullptr, &name), s.named);
        if (s.named)
            EXPECT_EQ(statements.count(), s.lines);
        else
            EXPECT_EQ(statements.count(), 0);
    }
}

TEST_F(EntryDialogsNameLookup, NamesAreFoundByTheNumberAsTyped) {
    HashVirtualList list;
    ASSERT_EQ(ExecSql(nullptr, g_pDB,
                      "INSERT INTO ContactList(perNO,name,mobileNum,groupID,displayIndex) "
                      "VALUES(90,'O''Brien','0085212345678',4,0)"),
              SQLITE_OK);
    AddEntryNumbers(QStringLiteral("0085212345678\n13800000001 张先生"), list, g_pDB);
    ASSERT_EQ(list.GetCount(), 2);
    QString name;
    EXPECT_TRUE(list.GetRow(0, nullptr, &name));
    EXPECT_EQ(name, "O'Brien") << "looked up by the number as typed";
    EXPECT_TRUE(list.GetRow(1, nullptr, &name));
    EXPECT_EQ(name, "张三") << "the text after the digits takes no part";
}

TEST(EntryDialogsNumbers, TheBoxAsOneNumber) {
    const struct {
        const char* text;
        SingleNumberCheck check;
        const char* number;
    } cases[] = {
        {"12345678901234567", SingleNumberCheck::TooLong, ""},
        {"13800138000\n13900139000", SingleNumberCheck::TooLong, ""},
        {"abc", SingleNumberCheck::Refused, ""},
        {"", SingleNumberCheck::Refused, ""},
        {"2085212345678", SingleNumberCheck::Refused, ""},
        {"1234567890123456", SingleNumberCheck::Refused, ""},
        {" 13800138000 \r\n", SingleNumberCheck::Accepted, "13800138000"},
        {"0085212345678", SingleNumberCheck::Accepted, "0085212345678"},
        {"20000000000", SingleNumberCheck::Accepted, "20000000000"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        QString number;
        EXPECT_EQ(CheckSingleNumber(QString::fromUtf8(c.text), &number), c.check);
        EXPECT_EQ(number, QString::fromUtf8(c.number));
    }
}

} // namespace
