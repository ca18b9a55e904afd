// Pictures of the microblog export: file names from hostile addresses, and
// downloads from the loopback peer's awkward picture routes.
#include "channels/weibo_download.h"

#include "core/http.h"
#include "tests/support/program_folder.h"
#include "tests/support/test_helpers.h"
#include "tests/support/weibo_peer.h"

#include <QDir>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include <cstdlib>

namespace {

TEST(WeiboDownloadName, NamesStayInsideThePictureFolder) {
    struct Case {
        const char* url;
        const char* name; // nullptr: a unique id + ".jpg"
    };
    const Case cases[] = {
        {"a/b?x=1", "b.jpg"},
        {"http://pics.example.com/large/abc.jpg", "abc.jpg"},
        {"http://pics.example.com/p/photo.png?size=9#top", "photo.png.jpg"},
        {"\"http://pics.example.com/q\"uo\"te.jpg\"", "quote.jpg"},
        {"../../x", "x.jpg"},
        {"..\\..\\evil", ".._.._evil.jpg"},
        {"http://h/名字 1.gif", "___1.gif.jpg"},
        {"http://h/a/..", nullptr},
        {"http://h/a/.", nullptr},
        {"http://h/dir/", nullptr},
        {"", nullptr},
        {"http://h/x?/y/z", "x.jpg"},
    };
    const QRegularExpression unique(QStringLiteral("^[0-9A-Fa-f]{32}\\.jpg$"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url);
        const QString name = WeiboPictureFileName(QString::fromUtf8(c.url));
        if (c.name)
            EXPECT_EQ(name, QString::fromUtf8(c.name));
        else
            EXPECT_TRUE(unique.match(name).hasMatch()) << name.toStdString();
    }
    // Two unnamed pictures never share a file.
    EXPECT_NE(WeiboPictureFileName(QStringLiteral("http://h/")),
              WeiboPictureFileName(QStringLiteral("http://h/")));

    // Long names are cut to 100 characters and still end in ".jpg".
    for (const QString& tail :
         {QString(300, QLatin1Char('a')), QString(300, QLatin1Char('a')) + QStringLiteral(".jpg"),
          QString(98, QLatin1Char('b')) + QStringLiteral(".png")}) {
        const QString name = WeiboPictureFileName(QStringLiteral("http://h/") + tail);
        EXPECT_LE(name.size(), 100) << name.toStdString();
        EXPECT_TRUE(name.endsWith(QLatin1String(".jpg"))) << name.toStdString();
    }
}

class WeiboDownloadTest : public ProgramFolderTest {
protected:
    static void SetUpTestSuite() {
        setenv("no_proxy", "127.0.0.1,localhost", 1);
        setenv("NO_PROXY", "127.0.0.1,localhost", 1);
    }
    void SetUp() override {
        ProgramFolderTest::SetUp();
        ASSERT_TRUE(m_peer.isRunning()) << m_peer.errorString().toStdString();
        m_pictures = WeiboPictureFolder();
    }
    // The files in the picture folder (a failed download leaves none, not
    // even a temporary one).
    QStringList files() const { return QDir(m_pictures).entryList(QDir::Files | QDir::Hidden); }

    WeiboPeer m_peer;
    QString m_pictures;
};

TEST_F(WeiboDownloadTest, PictureFolderIsInTheProgramFolder) {
    EXPECT_EQ(m_pictures, m_folder->file(QStringLiteral("WeiboPic")));
}

TEST_F(WeiboDownloadTest, SavedAnswers) {
    struct Case {
        const char* path;
        const char* file;
    };
    const Case cases[] = {
        {"/pic/length.jpg", "length.jpg"},
        {"/pic/chunked", "chunked.jpg"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const WeiboDownload d = DownLoadFile(m_peer.url(QLatin1String(c.path)), m_pictures);
        ASSERT_EQ(d.kind, WeiboDownload::Kind::Saved) << runLog().toStdString();
        EXPECT_EQ(d.path, QDir(m_pictures).filePath(QLatin1String(c.file)));
        EXPECT_EQ(ReadFileBytes(d.path), WeiboPeer::picture());
    }
    // An address ending in "/" gets a unique name.
    const WeiboDownload d = DownLoadFile(m_peer.url(QStringLiteral("/pic/dir/")), m_pictures);
    ASSERT_EQ(d.kind, WeiboDownload::Kind::Saved);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("/[0-9A-Fa-f]{32}\\.jpg$")).match(d.path).hasMatch())
        << d.path.toStdString();
    EXPECT_EQ(files().size(), 3);
    EXPECT_FALSE(runLog().contains(QLatin1String("DownLoadFile")));
}

TEST_F(WeiboDownloadTest, FailuresLeaveNoFileAndTheirLogLine) {
    const quint16 closed = ClosedLoopbackPort();
    struct Case {
        QString url;
        QString logLine;
        bool reachesPeer;
    };
    const QString base = m_peer.baseUrl();
    const Case cases[] = {
        {base + QStringLiteral("/pic/truncated.jpg"),
         QStringLiteral(
             "ERROR,DownLoadFile,下载文件不完整！总长度=3000,实际下载长度=1500,URL=%1/pic/truncated.jpg")
             .arg(base),
         true},
        {base + QStringLiteral("/pic/huge.jpg"),
         QStringLiteral("ERROR,DownLoadFile,获取文件长度失败！URL=%1/pic/huge.jpg").arg(base), true},
        {base + QStringLiteral("/pic/missing.jpg"),
         QStringLiteral("ERROR,DownLoadFile,http服务器返回错误代码：404！URL=%1/pic/missing.jpg").arg(base),
         true},
        {QStringLiteral("file:///etc/hostname"),
         QStringLiteral("ERROR,DownLoadFile,OpenRequest打开下载地址出错！URL=file:///etc/hostname"), false},
        {QStringLiteral("http://pics.example.invalid/a.jpg"),
         QStringLiteral(
             "ERROR,DownLoadFile,OpenRequest打开下载地址出错！URL=http://pics.example.invalid/a.jpg"),
         false},
        {QStringLiteral("http://127.0.0.1:%1/a.jpg").arg(closed),
         QStringLiteral("ERROR,DownLoadFile,SendRequest打开下载地址出错！URL=http://127.0.0.1:%1/a.jpg")
             .arg(closed),
         false},
    };
    size_t reached = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url.toStdString());
        const WeiboDownload d = DownLoadFile(c.url, m_pictures);
        EXPECT_EQ(d.kind, WeiboDownload::Kind::Failed);
        EXPECT_TRUE(d.path.isEmpty());
        EXPECT_TRUE(files().isEmpty()) << files().join(QLatin1Char(' ')).toStdString();
        EXPECT_TRUE(runLog().contains(c.logLine)) << runLog().toStdString();
        reached += c.reachesPeer ? 1 : 0;
    }
    EXPECT_EQ(m_peer.requests(reached + 1, 300).size(), reached);
}

TEST_F(WeiboDownloadTest, RedirectIsHandedBackAndFollowedOnce) {
    const WeiboDownload d = DownLoadFile(m_peer.url(QStringLiteral("/pic/redirect")), m_pictures);
    EXPECT_EQ(d.kind, WeiboDownload::Kind::Redirect);
    EXPECT_EQ(d.location, m_peer.url(QStringLiteral("/pic/length.jpg")));
    EXPECT_TRUE(files().isEmpty());
    EXPECT_TRUE(
        runLog().contains(QStringLiteral("ERROR,DownLoadFile,HTTP重定向，代码：302！URL=%1,new URL=%2")
                              .arg(m_peer.url(QStringLiteral("/pic/redirect")), d.location)));

    const QString path = DownloadFollowingOnce(m_peer.url(QStringLiteral("/pic/redirect")), m_pictures);
    EXPECT_EQ(path, QDir(m_pictures).filePath(QStringLiteral("length.jpg")));
    EXPECT_EQ(ReadFileBytes(path), WeiboPeer::picture());
    // One redirect only, and only to http or https.
    for (const char* path : {"/pic/missing.jpg", "/pic/redirect-twice", "/pic/redirect-file"}) {
        SCOPED_TRACE(path);
        EXPECT_TRUE(DownloadFollowingOnce(m_peer.url(QLatin1String(path)), m_pictures).isEmpty());
    }
    EXPECT_TRUE(runLog().contains(QStringLiteral("OpenRequest打开下载地址出错！URL=file:///etc/hostname")));
    EXPECT_EQ(files(), QStringList{QStringLiteral("length.jpg")});
}

} // namespace
