#include "platform/encoding.h"
#include "platform/ini.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <thread>

namespace {

class IniTest : public ::testing::Test {
protected:
    QString path(const QString& name = QStringLiteral("a.ini")) const { return m_dir.path() + "/" + name; }
    void write(const QByteArray& bytes, const QString& name = QStringLiteral("a.ini")) const {
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray read(const QString& name = QStringLiteral("a.ini")) const {
        QFile f(path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    static mode_t modeOf(const QString& p) {
        struct stat st {};
        ::stat(QFile::encodeName(p).constData(), &st);
        return st.st_mode & 0777;
    }
    QTemporaryDir m_dir;
};

TEST_F(IniTest, ReadsWithProfileRules) {
    write("; comment\n"
          "[Main]\n"
          "  Key = first value  \n"
          "key=second\n"
          "Quoted=\"a b\"\n"
          "Long=abcdefghij\n"
          "[main]\n"
          "Other=in the repeated section\n"
          "[Next]\n"
          "Key=next\n");
    struct Case {
        const char* section;
        const char* key;
        int maxChars;
        const char* expected;
    } cases[] = {
        {"Main", "Key", -1, "first value"},    // blanks around key and value are trimmed
        {"MAIN", "KEY", -1, "first value"},    // case-insensitive, first match wins
        {"main", "Quoted", -1, "a b"},         // matching quotes are removed
        {"Main", "Long", 4, "abcd"},           // cut to the caller's size
        {"Main", "Other", -1, "default"},      // only the first section of a name is read
        {"Next", "key", -1, "next"},
        {"Missing", "Key", -1, "default"},
        {"Main", "Missing", -1, "default"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ini::ReadString(path(), c.section, c.key, "default", c.maxChars), QString::fromUtf8(c.expected))
            << c.section << "/" << c.key;
    }
    EXPECT_EQ(ini::ReadString(path("none.ini"), "Main", "Key", "fallback"), "fallback");
}

TEST_F(IniTest, ReadsIntegers) {
    write("[N]\nplain=12\nneg=-5\nlead=  7\ntail=12ab\nword=ab\nempty=\nhex=0x1F\nplus=+3\n");
    struct Case {
        const char* key;
        int expected;
    } cases[] = {{"plain", 12}, {"neg", -5},   {"lead", 7},  {"tail", 12}, {"word", 0},
                 {"empty", 42}, {"hex", 31},   {"plus", 3},  {"absent", 42}};
    for (const auto& c : cases)
        EXPECT_EQ(ini::ReadInt(path(), "N", c.key, 42), c.expected) << c.key;
}

TEST_F(IniTest, WriteKeepsOtherLinesAndCreatesWhatIsMissing) {
    write("; keep me\r\n[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n");
    ASSERT_TRUE(ini::WriteString(path(), "a", "X", "changed"));
    ASSERT_TRUE(ini::WriteString(path(), "A", "z", "new"));
    ASSERT_TRUE(ini::WriteString(path(), "C", "w", "line\nbreak"));
    EXPECT_EQ(read(), QByteArray("; keep me\r\n[A]\r\nX=changed\r\nz=new\r\n\r\n[B]\r\ny=2\r\n\r\n[C]\r\nw=line break\r\n"));
    EXPECT_EQ(ini::ReadString(path(), "C", "w"), "line break");

    ASSERT_TRUE(ini::WriteString(path("sub.ini"), "S", "k", "v"));
    EXPECT_EQ(read("sub.ini"), QByteArray("[S]\nk=v\n"));
    EXPECT_FALSE(ini::WriteString(path("no/such/folder.ini"), "S", "k", "v"));
}

TEST_F(IniTest, WritesBackInTheEncodingItWasReadIn) {
    const std::string gbk = enc::ToGbk(u"[设置]\r\n名称=中文\r\n");
    write(QByteArray::fromStdString(gbk), "gbk.ini");
    EXPECT_EQ(ini::ReadString(path("gbk.ini"), "设置", "名称"), "中文");
    ASSERT_TRUE(ini::WriteString(path("gbk.ini"), "设置", "路径", "文件夹"));
    EXPECT_EQ(read("gbk.ini").toStdString(), enc::ToGbk(u"[设置]\r\n名称=中文\r\n路径=文件夹\r\n"));

    write("\xEF\xBB\xBF[S]\nk=值\n", "bom.ini");
    ASSERT_TRUE(ini::WriteString(path("bom.ini"), "S", "k", "新值"));
    EXPECT_EQ(read("bom.ini"), QByteArray("\xEF\xBB\xBF[S]\nk=新值\n"));

    write("[S]\nk=值\n", "utf8.ini");
    ASSERT_TRUE(ini::WriteString(path("utf8.ini"), "S", "k", "新值"));
    EXPECT_EQ(read("utf8.ini"), QByteArray("[S]\nk=新值\n"));
}

// Stray bytes that do not decode (a lead byte without its trail, 0x80, 0xFF)
// stay as they were in every line the write did not touch.
TEST_F(IniTest, GbkLinesWithStrayBytesSurviveAWriteOfAnotherKey) {
    const QByteArray before = QByteArray::fromStdString(enc::ToGbk(u"[设置]\r\n名称=中文\r\n")) +
                              "stray=\x81\r\nhigh=\x80\xff\xfe\r\n" +
                              QByteArray::fromStdString(enc::ToGbk(u"[其他]\r\n")) + "k=\xb6\xa8\x7f\r\n";
    for (const bool endsWithLineBreak : {true, false}) {
        SCOPED_TRACE(endsWithLineBreak);
        const QByteArray original = endsWithLineBreak ? before : before.chopped(2);
        write(original, "stray.ini");
        ASSERT_TRUE(ini::WriteString(path("stray.ini"), "设置", "名称", "新名"));
        QByteArray expected = original;
        expected.replace(QByteArray::fromStdString(enc::ToGbk(u"名称=中文")),
                         QByteArray::fromStdString(enc::ToGbk(u"名称=新名")));
        EXPECT_EQ(read("stray.ini"), expected);
        ASSERT_TRUE(ini::DeleteKey(path("stray.ini"), "其他", "k"));
        expected.replace(endsWithLineBreak ? QByteArray("k=\xb6\xa8\x7f\r\n") : QByteArray("\r\nk=\xb6\xa8\x7f"),
                         QByteArray());
        EXPECT_EQ(read("stray.ini"), expected);
    }
}

TEST_F(IniTest, FileModesAndReadOnlyFiles) {
    ASSERT_TRUE(ini::WriteString(path("secret.ini"), "S", "pwd", "x", 0600));
    EXPECT_EQ(modeOf(path("secret.ini")), 0600u);
    ::chmod(QFile::encodeName(path("secret.ini")).constData(), 0640);
    ASSERT_TRUE(ini::WriteString(path("secret.ini"), "S", "pwd", "y"));
    EXPECT_EQ(modeOf(path("secret.ini")), 0640u);

    write("[S]\nk=old\n", "ro.ini");
    ::chmod(QFile::encodeName(path("ro.ini")).constData(), 0444);
    EXPECT_FALSE(ini::WriteString(path("ro.ini"), "S", "k", "new"));
    EXPECT_EQ(read("ro.ini"), QByteArray("[S]\nk=old\n"));
}

TEST_F(IniTest, DeleteKeyRemovesOnlyThatKey) {
    write("[S]\na=1\nb=2\n");
    ASSERT_TRUE(ini::DeleteKey(path(), "s", "A"));
    EXPECT_EQ(read(), QByteArray("[S]\nb=2\n"));
    EXPECT_TRUE(ini::DeleteKey(path(), "S", "missing"));
    EXPECT_TRUE(ini::DeleteKey(path("none.ini"), "S", "a"));
}

TEST_F(IniTest, ConcurrentWritersLoseNoKey) {
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([this, t] {
            for (int i = 0; i < 25; ++i)
                ini::WriteString(path(), "S", QStringLiteral("k%1_%2").arg(t).arg(i), QString::number(i));
        });
    for (auto& th : threads)
        th.join();
    for (int t = 0; t < 4; ++t)
        for (int i = 0; i < 25; ++i)
            EXPECT_EQ(ini::ReadInt(path(), "S", QStringLiteral("k%1_%2").arg(t).arg(i), -1), i);
}

// Several keys of one section go in with one replacement of the file: the
// lines of other sections and keys stay byte for byte, the file keeps its
// encoding and line ends, and a refused write changes nothing at all.
TEST_F(IniTest, SeveralKeysInOneReplacement) {
    const QByteArray gbk =
        QByteArray::fromStdString(enc::ToGbk(u"; 账户\r\n[DateMSG]\r\nName1=birthDay\r\nContent1=旧的\r\n"
                                             u"[SysSetting]\r\nAuto1=1\r\n"));
    write(gbk);
    struct stat before {};
    ::stat(QFile::encodeName(path()).constData(), &before);
    ASSERT_TRUE(ini::WriteStrings(path(), "DateMSG",
                                  {{"Content1", "生日快乐"}, {"AutoSend1", "1"}, {"Name1", "birthDay"}}));
    EXPECT_EQ(read().toStdString(),
              enc::ToGbk(u"; 账户\r\n[DateMSG]\r\nName1=birthDay\r\nContent1=生日快乐\r\nAutoSend1=1\r\n"
                         u"[SysSetting]\r\nAuto1=1\r\n"));
    struct stat after {};
    ::stat(QFile::encodeName(path()).constData(), &after);
    EXPECT_NE(before.st_ino, after.st_ino); // a new file renamed over, never rewritten in place
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files), QStringList{"a.ini"});

    // A section the file lacks is added with its keys in the order given.
    write("[S]\nk=v\n", "new.ini");
    ASSERT_TRUE(ini::WriteStrings(path("new.ini"), "DateMSG", {{"Name1", "birthDay"}, {"AutoSend1", "0"}}));
    EXPECT_EQ(read("new.ini"), QByteArray("[S]\nk=v\n\n[DateMSG]\nName1=birthDay\nAutoSend1=0\n"));

    write("[DateMSG]\nName1=old\n", "ro.ini");
    ::chmod(QFile::encodeName(path("ro.ini")).constData(), 0444);
    EXPECT_FALSE(ini::WriteStrings(path("ro.ini"), "DateMSG", {{"Name1", "new"}, {"AutoSend1", "1"}}));
    EXPECT_EQ(read("ro.ini"), QByteArray("[DateMSG]\nName1=old\n"));
    EXPECT_FALSE(ini::WriteStrings(path("no/such/folder.ini"), "DateMSG", {{"Name1", "new"}}));
}

} // namespace
