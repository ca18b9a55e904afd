// The XML file of one microblog status, read back with tinyxml2.
#include "channels/weibo_download.h"
#include "channels/weibo_export.h"

#include "tests/support/program_folder.h"
#include "tests/support/test_helpers.h"
#include "tests/support/weibo_peer.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <tinyxml2.h>

#include <cstdlib>
#include <utility>

namespace {

WeiboRecord SampleStatus() {
    WeiboRecord s;
    s.id = 4987654321098765LL;
    s.text = QString::fromUtf8("早上好 🌅 <b>&amp;</b>\x01 end");
    s.userName = QString::fromUtf8("小明😀");
    s.createdAt = QStringLiteral("Tue May 31 17:46:55 +0800 2011");
    s.originalPic = QStringLiteral("http://pics.example.com/large/abc.jpg");
    s.avatarLarge = QStringLiteral("http://pics.example.com/avatar/1.jpg");
    s.commentsCount = 12;
    s.repostsCount = 8;
    s.source = QStringLiteral("<a href=\"http://example.com\">web</a>");
    s.retweetedId = 4987654321000001LL;
    s.location = QString::fromUtf8("北京 海淀区");
    s.description = QString::fromUtf8("做点东西");
    s.followersCount = 1024;
    s.friendsCount = 300;
    s.statusesCount = 5000;
    s.verified = QStringLiteral("true");
    return s;
}

std::vector<WeiboRecord> SampleComments() {
    std::vector<WeiboRecord> comments(2);
    comments[0].userName = QString::fromUtf8("评论者");
    comments[0].text = QString::fromUtf8("第一条 👍");
    comments[0].createdAt = QStringLiteral("Wed Jun 01 00:50:25 +0800 2011");
    comments[1].userName = QStringLiteral("C");
    comments[1].text = QStringLiteral("second");
    comments[1].createdAt = QStringLiteral("Wed Jun 01 01:00:00 +0800 2011");
    return comments;
}

// The children of `parent` as (name, text) pairs, in order.
std::vector<std::pair<std::string, std::string>> Children(const tinyxml2::XMLElement* parent) {
    std::vector<std::pair<std::string, std::string>> out;
    for (const tinyxml2::XMLElement* e = parent->FirstChildElement(); e; e = e->NextSiblingElement())
        out.emplace_back(e->Name(), e->GetText() ? e->GetText() : "");
    return out;
}

TEST(WeiboExport, DocumentLayoutReadBack) {
    const std::string xml =
        BuildWeiboXml(SampleStatus(), SampleComments(), QStringLiteral("/p/WeiboPic/1.jpg"),
                      QStringLiteral("/p/WeiboPic/abc.jpg"));
    tinyxml2::XMLDocument doc;
    ASSERT_EQ(doc.Parse(xml.data(), xml.size()), tinyxml2::XML_SUCCESS) << xml;

    const tinyxml2::XMLDeclaration* declaration = doc.FirstChild()->ToDeclaration();
    ASSERT_NE(declaration, nullptr);
    EXPECT_STREQ(declaration->Value(), "xml version=\"1.0\"");

    const tinyxml2::XMLElement* root = doc.RootElement();
    ASSERT_NE(root, nullptr);
    EXPECT_STREQ(root->Name(), "CSTALOG");
    EXPECT_STREQ(root->Attribute("WEIBO"), "1");
    EXPECT_STREQ(root->Attribute("Attribute"), "2");
    ASSERT_EQ(Children(root).size(), 1u);
    const tinyxml2::XMLElement* weibo = root->FirstChildElement("WEIBO");
    ASSERT_NE(weibo, nullptr);
    const auto parts = Children(weibo);
    ASSERT_EQ(parts.size(), 2u);
    EXPECT_EQ(parts[0].first, "CONTENT");
    EXPECT_EQ(parts[1].first, "COMMENT");

    const std::vector<std::pair<std::string, std::string>> content = {
        {"USERNAME", "小明😀"},
        {"HEADPIC", "/p/WeiboPic/1.jpg"},
        {"TEXT", "早上好 🌅 <b>&amp;</b> end"}, // escaped on the way out, the control character dropped
        {"ATTACHEDPIC", "/p/WeiboPic/abc.jpg"},
        {"COMMENTSCOUNT", "12"},
        {"REPOSTSCOUNT", "8"},
        {"TIME", "Tue May 31 17:46:55 +0800 2011"},
        {"SOURCE", "<a href=\"http://example.com\">web</a>"},
        {"RETWEETEDID", "4987654321000001"},
        {"USERID", "4987654321098765"},
        {"LOCATION", "北京 海淀区"},
        {"DISCRIPTION", "做点东西"},
        {"FOLLOWERSCOUNT", "1024"},
        {"FRIENDSCOUNT", "300"},
        {"STATUSESCOUNT", "5000"},
        {"ISVIP", "true"},
    };
    EXPECT_EQ(Children(weibo->FirstChildElement("CONTENT")), content);

    const std::vector<std::pair<std::string, std::string>> comments = {
        {"NAME", "评论者"}, {"TEXT", "第一条 👍"}, {"TIME", "Wed Jun 01 00:50:25 +0800 2011"},
        {"NAME", "C"},      {"TEXT", "second"},   {"TIME", "Wed Jun 01 01:00:00 +0800 2011"},
    };
    EXPECT_EQ(Children(weibo->FirstChildElement("COMMENT")), comments);

    // No comments: the element is there, empty.
    const std::string bare = BuildWeiboXml(WeiboRecord(), {}, QString(), QString());
    ASSERT_EQ(doc.Parse(bare.data(), bare.size()), tinyxml2::XML_SUCCESS) << bare;
    const tinyxml2::XMLElement* empty = doc.RootElement()->FirstChildElement("WEIBO");
    EXPECT_EQ(Children(empty->FirstChildElement("CONTENT")).size(), 16u);
    EXPECT_TRUE(Children(empty->FirstChildElement("COMMENT")).empty());
}

TEST(WeiboExport, SavedThroughATemporaryFile) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QString::fromUtf8("单条微博.xml"));
    const std::string xml = BuildWeiboXml(SampleStatus(), SampleComments(), QString(), QString());
    QString error;
    ASSERT_TRUE(SaveWeiboXml(path, xml, error)) << error.toStdString();
    EXPECT_TRUE(error.isEmpty());
    EXPECT_EQ(ReadFileBytes(path).toStdString(), xml);
    // Saving again replaces the file; nothing else is left in the folder.
    const std::string bare = BuildWeiboXml(WeiboRecord(), {}, QString(), QString());
    ASSERT_TRUE(SaveWeiboXml(path, bare, error)) << error.toStdString();
    EXPECT_EQ(ReadFileBytes(path).toStdString(), bare);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);

    const QString nowhere = dir.filePath(QStringLiteral("missing/folder/out.xml"));
    EXPECT_FALSE(SaveWeiboXml(nowhere, xml, error));
    EXPECT_TRUE(error.contains(nowhere)) << error.toStdString();
}

// The export's road: pictures downloaded first, a failed one leaving its
// element empty.
TEST(WeiboExport, PicturesAsLocalPaths) {
    setenv("no_proxy", "127.0.0.1,localhost", 1);
    ProgramFolder folder;
    WeiboPeer peer;
    ASSERT_TRUE(peer.isRunning()) << peer.errorString().toStdString();
    WeiboRecord status = SampleStatus();
    status.avatarLarge = peer.url(QStringLiteral("/pic/redirect"));
    status.originalPic = peer.url(QStringLiteral("/pic/missing.jpg"));

    const QString head = DownloadFollowingOnce(status.avatarLarge, WeiboPictureFolder());
    const QString attached = DownloadFollowingOnce(status.originalPic, WeiboPictureFolder());
    EXPECT_EQ(head, folder.file(QStringLiteral("WeiboPic/length.jpg")));
    EXPECT_TRUE(attached.isEmpty());

    const std::string xml = BuildWeiboXml(status, {}, head, attached);
    tinyxml2::XMLDocument doc;
    ASSERT_EQ(doc.Parse(xml.data(), xml.size()), tinyxml2::XML_SUCCESS);
    const tinyxml2::XMLElement* content =
        doc.RootElement()->FirstChildElement("WEIBO")->FirstChildElement("CONTENT");
    EXPECT_EQ(QString::fromUtf8(content->FirstChildElement("HEADPIC")->GetText()), head);
    const char* none = content->FirstChildElement("ATTACHEDPIC")->GetText();
    EXPECT_TRUE(!none || !*none) << none;
    EXPECT_EQ(ReadFileBytes(head), WeiboPeer::picture());
}

} // namespace
