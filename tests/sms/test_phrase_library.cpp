// The phrase library's tables: the group tree as the converter leaves it
// (quoted ids, orphans, cycles, children listed before their parents),
// phrases in the order they were stored, texts that must not turn into SQL,
// new ids, and deleting a group with everything below it as one change.
#include "core/sql.h"
#include "sms/phrase_library.h"
#include "tests/support/program_folder.h"
#include "tests/support/test_helpers.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

class PhraseLibrary : public ProgramFolderTest {
protected:
    static void Exec(const std::string& sql) {
        std::string error;
        ASSERT_EQ(ExecSql(&error, g_pDB, sql), SQLITE_OK) << error << "\n" << sql;
    }
    // The converter's own statements: every value between quotes.
    static void ConvertedGroup(const char* id, const char* parent, const char* name) {
        Exec(std::string("INSERT INTO smsSourceGroup (recID,parentID,\t\t\t\t\t\t\t\t content) values('") +
             id + "','" + parent + "','" + name + "')");
    }
    static void ConvertedPhrase(const char* id, const char* group, const char* text) {
        Exec(std::string("INSERT INTO smsSourceContent (recID,parentID,\t\t\t\t\t\t\t\t\t content,creatTime) "
                         "values('") +
             id + "','" + group + "','" + text + "','2012-05-01 08:30')");
    }
    // Three levels under "常用短语", a child listed before its parent under
    // "自定义分组", an orphan, a group without parent, a cycle, a group that
    // is its own parent, and a group that claims the id of a root.
    static void ConverterFixture() {
        ConvertedGroup("10", "2", "问候");
        ConvertedGroup("11", "10", "节日");
        ConvertedGroup("12", "11", "春节");
        ConvertedGroup("50", "3", "客户");
        ConvertedGroup("41", "40", "晚到"); // sorts before its parent 40 (parent 50)
        ConvertedGroup("40", "50", "大客户");
        ConvertedGroup("60", "99", "孤儿");
        ConvertedGroup("61", "0", "无父");
        ConvertedGroup("70", "71", "环甲");
        ConvertedGroup("71", "70", "环乙");
        ConvertedGroup("72", "72", "自环");
        ConvertedGroup("2", "3", "冒名");
        ConvertedPhrase("3", "12", "新春快乐");
        ConvertedPhrase("1", "12", "恭喜发财");
        ConvertedPhrase("2", "11", "节日快乐");
        ConvertedPhrase("5", "10", "您好");
        ConvertedPhrase("6", "40", "感谢惠顾");
        ConvertedPhrase("7", "41", "欢迎再来");
        ConvertedPhrase("8", "70", "环里的");
    }
    static std::vector<std::string> Table(const char* table) {
        return QueryRows(g_pDB, std::string("SELECT rowid,* FROM ") + table + " ORDER BY rowid");
    }
    static QStringList Texts(int group) {
        QStringList texts;
        for (const Phrase& p : LoadPhrases(group))
            texts << p.content;
        return texts;
    }
};

// Each shown group by its path from its root.
std::map<QString, int> Paths(const std::vector<PhraseGroup>& groups) {
    std::map<QString, int> paths;
    std::vector<QString> pathOf;
    for (size_t i = 0; i < groups.size(); ++i) {
        const PhraseGroup& g = groups[i];
        QString path;
        if (g.parent < 0) {
            path =
                g.parentID == kPhraseRootCommon ? QStringLiteral("常用短语") : QStringLiteral("自定义分组");
        } else {
            EXPECT_LT(g.parent, static_cast<int>(i)) << "a parent comes before its children";
            path = pathOf[static_cast<size_t>(g.parent)];
        }
        path += QLatin1Char('/') + g.name;
        pathOf.push_back(path);
        paths[path] = g.recID;
    }
    return paths;
}

TEST_F(PhraseLibrary, ConvertedTreeShowsWhatHasAPlaceAndHidesTheRest) {
    ConverterFixture();
    const std::map<QString, int> expected{
        {"常用短语/问候", 10},   {"常用短语/问候/节日", 11},     {"常用短语/问候/节日/春节", 12},
        {"自定义分组/客户", 50}, {"自定义分组/客户/大客户", 40}, {"自定义分组/客户/大客户/晚到", 41},
    };
    EXPECT_EQ(Paths(LoadPhraseGroups()), expected);

    // Quoted ids were stored as numbers, and the phrases of a group come in
    // the order they were stored, not by id.
    EXPECT_EQ(Texts(12), (QStringList{"新春快乐", "恭喜发财"}));
    EXPECT_EQ(Texts(41), QStringList{"欢迎再来"});
    EXPECT_TRUE(Texts(99).isEmpty());
}

TEST_F(PhraseLibrary, SaveRefusals) {
    const struct {
        int group;
        const char* text;
        int refusal;
    } cases[] = {
        {-1, "你好", 224},
        {kPhraseRootCommon, "你好", 225},
        {kPhraseRootCustom, "你好", 225},
        {-1, "", 224},
        {10, "", 151},
        {10, " ", 0},
        {10, "你好", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PhraseSaveRefusal(c.group, QString::fromUtf8(c.text)), c.refusal)
            << c.group << " '" << c.text << "'";
}

// Texts that would break a statement built by hand go in and come out as
// they were, on insert and on update, and nothing else changes.
TEST_F(PhraseLibrary, TextsRoundTripUnchanged) {
    ConverterFixture();
    const QString texts[] = {
        QStringLiteral("O'Brien"),
        QStringLiteral("'; DROP TABLE smsSourceContent;--"),
        QStringLiteral("第一行\n第二行 \"引号\" 100% \\n %s"),
    };
    const std::vector<std::string> groupsBefore = Table("smsSourceGroup");
    for (const QString& text : texts) {
        SCOPED_TRACE(text.toStdString());
        const int64_t row = SavePhrase(50, 0, text, QStringLiteral("2024-01-02 03:04"));
        ASSERT_GT(row, 0);
        std::vector<Phrase> phrases = LoadPhrases(50);
        ASSERT_FALSE(phrases.empty());
        EXPECT_EQ(phrases.back().content, text);
        EXPECT_EQ(phrases.back().rowId, row);

        EXPECT_EQ(SavePhrase(50, row, text + text, QStringLiteral("2024-01-02 03:05")), row);
        phrases = LoadPhrases(50);
        EXPECT_EQ(phrases.back().content, text + text);
        EXPECT_EQ(phrases.back().creatTime, QStringLiteral("2024-01-02 03:05"));
    }
    EXPECT_EQ(Texts(50).size(), 3);
    EXPECT_EQ(Texts(12), (QStringList{"新春快乐", "恭喜发财"}));
    EXPECT_EQ(Table("smsSourceGroup"), groupsBefore);
}

TEST_F(PhraseLibrary, NewPhraseIdsComeAfterTheConvertedOnesAndNeverRepeat) {
    ConverterFixture();
    std::set<int64_t> ids;
    for (int i = 0; i < 3; ++i)
        ASSERT_GT(SavePhrase(11, 0, QStringLiteral("新%1").arg(i), QStringLiteral("2024-01-02 03:04")), 0);
    for (const Phrase& p : LoadPhrases(11))
        ids.insert(p.recID);
    EXPECT_EQ(ids, (std::set<int64_t>{2, 9, 10, 11}));
    // An update keeps the phrase's id, group and row.
    const Phrase first = LoadPhrases(11).front();
    ASSERT_EQ(SavePhrase(11, first.rowId, QStringLiteral("改"), QStringLiteral("2024-01-02 03:06")),
              first.rowId);
    const Phrase updated = LoadPhrases(11).front();
    EXPECT_EQ(updated.recID, first.recID);
    EXPECT_EQ(updated.content, QStringLiteral("改"));
}

TEST_F(PhraseLibrary, SavingOverAPhraseThatIsGoneSavesNothingAndSaysSo) {
    ConverterFixture();
    const int64_t row = LoadPhrases(10).front().rowId;
    ASSERT_TRUE(DeletePhrase(row));
    const std::vector<std::string> before = Table("smsSourceContent");
    EXPECT_EQ(SavePhrase(10, row, QStringLiteral("再存"), QStringLiteral("2024-01-02 03:04")), 0);
    EXPECT_EQ(Table("smsSourceContent"), before);
    EXPECT_TRUE(runLog().contains(QStringLiteral("MY ERROR:更新短语库出错了")));
}

// Converted phrases may share an id: a delete takes the row that was chosen.
TEST_F(PhraseLibrary, DeleteTakesTheChosenRowOnly) {
    ConvertedPhrase("7", "10", "甲");
    ConvertedPhrase("7", "10", "乙");
    ASSERT_TRUE(DeletePhrase(LoadPhrases(10).back().rowId));
    EXPECT_EQ(Texts(10), QStringList{"甲"});
}

TEST_F(PhraseLibrary, GroupNamesAndIds) {
    const struct {
        const char* typed;
        const char* stored;
    } names[] = {
        {"  客户  ", "客户"},
        {"一二三四五六七八九十", "一二三四五六七八九十"},
        {"一二三四五六七八九十十一", "一二三四五六七八九十"},
        {"abcdefghijklmnopqrst", "abcdefghij"},
        {"   ", ""},
    };
    for (const auto& n : names)
        EXPECT_EQ(PhraseGroupName(QString::fromUtf8(n.typed)), QString::fromUtf8(n.stored)) << n.typed;

    // In an empty table "largest plus one" would give 1, 2, 3: the roots' ids
    // are never given to a group.
    const int64_t first = AddPhraseGroup(QStringLiteral("甲"));
    const int64_t second = AddPhraseGroup(QStringLiteral("乙"));
    EXPECT_GT(first, kPhraseRootCustom);
    EXPECT_GT(second, first);
    EXPECT_EQ(QueryRows(g_pDB, "SELECT recID,parentID,content FROM smsSourceGroup ORDER BY rowid"),
              (std::vector<std::string>{std::to_string(first) + "|3|甲", std::to_string(second) + "|3|乙"}));
    EXPECT_EQ(Paths(LoadPhraseGroups()).size(), 2u);
}

TEST_F(PhraseLibrary, DeletingAGroupTakesItsWholeSubtree) {
    ConverterFixture();
    // A deeper subgroup the tree shows too, with a phrase.
    ConvertedGroup("13", "12", "初一");
    ConvertedPhrase("9", "13", "拜年");
    ASSERT_TRUE(DeletePhraseGroup(10));
    EXPECT_EQ(QueryRows(g_pDB, "SELECT recID FROM smsSourceGroup WHERE recID IN (10,11,12,13)"),
              std::vector<std::string>{});
    EXPECT_EQ(QueryRows(g_pDB, "SELECT content FROM smsSourceContent ORDER BY rowid"),
              (std::vector<std::string>{"感谢惠顾", "欢迎再来", "环里的"}));
    const std::map<QString, int> left{
        {"自定义分组/客户", 50}, {"自定义分组/客户/大客户", 40}, {"自定义分组/客户/大客户/晚到", 41}};
    EXPECT_EQ(Paths(LoadPhraseGroups()), left);
    // The hidden groups are not anyone's subtree.
    EXPECT_EQ(QueryScalar(g_pDB, "SELECT COUNT(*) FROM smsSourceGroup WHERE recID IN (60,61,70,71,72,2)"), 6);

    const std::vector<std::string> groups = Table("smsSourceGroup");
    EXPECT_FALSE(DeletePhraseGroup(kPhraseRootCommon));
    EXPECT_FALSE(DeletePhraseGroup(kPhraseRootCustom));
    EXPECT_EQ(Table("smsSourceGroup"), groups);
}

// A delete that fails on the last subgroup's phrases leaves every group and
// phrase in place, also those deleted before it.
TEST_F(PhraseLibrary, AFailedGroupDeleteKeepsEverything) {
    ConverterFixture();
    Exec("CREATE TRIGGER refuse BEFORE DELETE ON smsSourceContent WHEN OLD.parentID=12 "
         "BEGIN SELECT RAISE(ABORT,'refused'); END");
    const std::vector<std::string> groups = Table("smsSourceGroup");
    const std::vector<std::string> phrases = Table("smsSourceContent");
    EXPECT_FALSE(DeletePhraseGroup(10));
    EXPECT_EQ(Table("smsSourceGroup"), groups);
    EXPECT_EQ(Table("smsSourceContent"), phrases);
    EXPECT_TRUE(runLog().contains(QStringLiteral("MY ERROR:删除短语分组出错了")));
    // The connection is usable afterwards: no transaction was left open.
    EXPECT_TRUE(sqlite3_get_autocommit(g_pDB));
    Exec("DROP TRIGGER refuse");
    EXPECT_TRUE(DeletePhraseGroup(10));
}

} // namespace
