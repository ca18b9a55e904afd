// Numbered strings and dialog texts in both user-interface languages.
#include "core/string_table.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

bool HasChinese(const QString& text) {
    for (QChar c : text) {
        const ushort u = c.unicode();
        if ((u >= 0x3000 && u <= 0x9FFF) || (u >= 0xFF00 && u <= 0xFFEF))
            return true;
    }
    return false;
}

struct Translated {
    const char* context; // nullptr: a numbered string
    int id;
    const char* chinese;
    const char* english;
};

// One table for both kinds of text. 172 and the picture editor's hint carry
// tabs, line feeds and carriage returns, which must survive the compiled
// translation or the English lookup misses.
const Translated kCases[] = {
    {nullptr, 215, "本地数据库读取错误,请关闭后重新运行.",
     "The local database read error, please rerun after shut down."},
    {nullptr, 233, "请选择服务器", "Please select a server"},
    {nullptr, 250, "卡号或密码长度不正确", "The card number or password has the wrong length"},
    {nullptr, 339, "您没有相应的操作权限，请联系管理员!",
     "You do not have permission for this operation. Please contact the administrator!"},
    {nullptr, 172,
     "提前发送后,列表中有项的发送时间小于当前时间,这些项将立即发送.\n\n\t\t确定提前天数及时间正确?",
     "With the days in advance, some entries of the list fall before the current time; they will be sent "
     "at once.\n\n\t\tAre the days in advance and the time correct?"},
    {"CDlgModifyLogPW", 0, "修改登录密码", "Modify the login password"},
    {"CDlgEditImage", 0, "\r\n\r\n\r\n ·当前像素RGB (%d,%d,%d)\r\n",
     "\r\n\r\n\r\n ·Pixel RGB (%d,%d,%d)\r\n"},
};

QString Lookup(const Translated& t) {
    return t.context ? QCoreApplication::translate(t.context, t.chinese) : LoadStr(t.id);
}

class StringTableTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SetUiLanguage(kLangChinese)); }
    // Other tests expect the Chinese interface.
    void TearDown() override { SetUiLanguage(kLangChinese); }
};

TEST_F(StringTableTest, TextsFollowTheLanguage) {
    for (int lang : {kLangChinese, kLangEnglish, kLangChinese}) {
        ASSERT_TRUE(SetUiLanguage(lang));
        EXPECT_EQ(UiLanguage(), lang);
        for (const Translated& t : kCases) {
            SCOPED_TRACE(t.context ? std::string(t.context) : std::to_string(t.id));
            EXPECT_EQ(Lookup(t), QString::fromUtf8(lang == kLangEnglish ? t.english : t.chinese));
        }
    }
}

TEST_F(StringTableTest, UnknownIdIsEmptyInBothLanguages) {
    for (int lang : {kLangChinese, kLangEnglish}) {
        ASSERT_TRUE(SetUiLanguage(lang));
        for (int id : {0, -1, 100, 198, 230, 367, 1100, 65535})
            EXPECT_TRUE(LoadStr(id).isNull()) << "id " << id << " in " << lang;
    }
}

// A table row whose text differs from the translation's source by one
// character silently shows Chinese in the English interface.
TEST_F(StringTableTest, EveryNumberedStringHasAnEnglishText) {
    const std::vector<int> ids = StringTableIds();
    ASSERT_FALSE(ids.empty());
    std::vector<QString> chinese;
    for (int id : ids) {
        chinese.push_back(LoadStr(id));
        EXPECT_TRUE(HasChinese(chinese.back())) << "id " << id;
    }
    ASSERT_TRUE(SetUiLanguage(kLangEnglish));
    for (size_t i = 0; i < ids.size(); ++i) {
        const QString english = LoadStr(ids[i]);
        EXPECT_FALSE(english.isEmpty()) << "id " << ids[i];
        EXPECT_FALSE(HasChinese(english)) << "id " << ids[i] << ": " << english.toStdString();
    }
}

TEST_F(StringTableTest, TheConverterHasItsOwnAboutEntry) {
    EXPECT_EQ(LoadStr(101), QString::fromUtf8("关于 Corvelane(&A)..."));
    EXPECT_EQ(LoadStr(kIdsConverterAbout), QString::fromUtf8("关于 Keldrune(&A)..."));
    ASSERT_TRUE(SetUiLanguage(kLangEnglish));
    EXPECT_EQ(LoadStr(101), QString::fromUtf8("About Corvelane(&A)..."));
    EXPECT_EQ(LoadStr(kIdsConverterAbout), QString::fromUtf8("About Keldrune(&A)..."));
}

// "Language.ini" may hold any language id: other English and Chinese variants
// choose English or Chinese, anything else is refused and changes nothing.
TEST_F(StringTableTest, LanguageIdsAreMappedByPrimaryLanguage) {
    const struct {
        int requested;
        bool accepted;
        int before;
        int after;
    } cases[] = {
        {2057, true, kLangChinese, kLangEnglish},  // English (United Kingdom)
        {1028, true, kLangEnglish, kLangChinese},  // Chinese (Taiwan)
        {3076, true, kLangEnglish, kLangChinese},  // Chinese (Hong Kong)
        {1031, false, kLangChinese, kLangChinese}, // German
        {1031, false, kLangEnglish, kLangEnglish}, // German, from English
        {0, false, kLangEnglish, kLangEnglish},    // no language
    };
    const QString chinese = QString::fromUtf8("请选择服务器");
    const QString english = QStringLiteral("Please select a server");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.requested);
        ASSERT_TRUE(SetUiLanguage(c.before));
        EXPECT_EQ(SetUiLanguage(c.requested), c.accepted);
        EXPECT_EQ(UiLanguage(), c.after);
        EXPECT_EQ(LoadStr(233), c.after == kLangEnglish ? english : chinese);
    }
}

// Choosing English twice must not leave a translator behind when Chinese is
// chosen afterwards.
TEST_F(StringTableTest, RepeatedEnglishIsUndoneByOneChinese) {
    ASSERT_TRUE(SetUiLanguage(kLangEnglish));
    ASSERT_TRUE(SetUiLanguage(kLangEnglish));
    EXPECT_EQ(LoadStr(233), QStringLiteral("Please select a server"));
    ASSERT_TRUE(SetUiLanguage(kLangChinese));
    EXPECT_EQ(LoadStr(233), QString::fromUtf8("请选择服务器"));
    EXPECT_EQ(QCoreApplication::translate("CDlgModifyLogPW", "修改登录密码"),
              QString::fromUtf8("修改登录密码"));
}

} // namespace
