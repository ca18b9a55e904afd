#include "core/database.h"
#include "core/sql.h"
#include "tests/support/program_folder.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

int Compare(const std::string& a, const std::string& b) {
    int r = PinyinCompare(nullptr, static_cast<int>(a.size()), a.data(), static_cast<int>(b.size()), b.data());
    return r < 0 ? -1 : r > 0 ? 1 : 0;
}

TEST(Pinyin, OrdersByCodePage936) {
    struct Case {
        const char* a;
        const char* b;
        int expected;
    } cases[] = {
        {"李", "张", -1},        // li before zhang
        {"张三", "张四", -1},    // common first character, san before si
        {"丰", "中", -1},        // same first UTF-8 bytes, different characters: feng before zhong
        {"Zoe", "阿", -1},       // Latin before any Chinese
        {"abc", "abd", -1},
        {"ab", "abc", -1},       // a prefix first
        {"王", "王", 0},
        {"", "", 0},
        {"\xF0\x9F\x98\x80", "A", -1},  // unmappable characters compare as '?'
        {"\xF0\x9F\x98\x80", "?", 0},
        {"\xFF", "?", 0},                // so does invalid UTF-8
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Compare(c.a, c.b), c.expected) << c.a << " vs " << c.b;
        EXPECT_EQ(Compare(c.b, c.a), -c.expected) << c.b << " vs " << c.a;
    }
    // A NUL ends the text, as for a terminated string.
    EXPECT_EQ(Compare(std::string("ab\0x", 4), std::string("ab\0y", 4)), 0);
}

class PinyinSql : public ProgramFolderTest {};

TEST_F(PinyinSql, SortsContactNamesThroughTheCollation) {
    for (const char* name : {"张伟", "Alice", "李娜", "王芳", "bob", "阿强"})
        ExecSql(nullptr, g_pDB, "INSERT INTO ContactList (name) VALUES (" + SqlQuote(std::string_view(name)) + ")");
    std::string order;
    SqlStatement st(g_pDB, "SELECT name FROM ContactList ORDER BY name COLLATE pinyin");
    while (st.step() == SQLITE_ROW)
        order += st.text(0) + " ";
    EXPECT_EQ(order, "Alice bob 阿强 李娜 王芳 张伟 ");

    sqlite3* other = OpenConnection(SystemDatabasePath());  // every connection knows the collation
    SqlStatement again(other, "SELECT name FROM ContactList ORDER BY name COLLATE pinyin LIMIT 1");
    ASSERT_EQ(again.step(), SQLITE_ROW);
    EXPECT_EQ(again.text(0), "Alice");
    again.reset();
    CloseConnection(other);
}

} // namespace
