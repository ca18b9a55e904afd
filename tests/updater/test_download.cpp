// Downloads from a loopback server: names, statuses, lengths, redirects,
// HTTPS and cancelling.
#include "core/deployment.h"
#include "platform/ini.h"
#include "tests/updater/updater_sandbox.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <unistd.h>

namespace {

using UpdaterDownload = UpdaterSandbox;

TEST_F(UpdaterDownload, AnswersOfTheServer) {
    const QByteArray chinese = "文件内容 with a blank";
    serve(QStringLiteral("upd/新 文件.txt"), chinese);
    serve(QStringLiteral("upd/plain.bin"), "plain body");
    const struct {
        const char* name;
        QString object;
        bool ok;
        QByteArray body;
        QString status; // status line after a failure ("" when none is set)
        QString logged;
    } cases[] = {
        {"chinese name with a blank", "/upd/新 文件.txt", true, chinese, "", ""},
        {"404", "/upd/none.txt", false, {}, "访问服务器失败！", "http服务器返回错误代码：404！"},
        {"short body", "/short-body", false, {}, "", "下载文件不完整！总长度=100,实际下载长度=40"},
        {"no length", "/no-length", false, {}, "访问服务器失败！", "获取文件长度失败！"},
        {"chunked", "/chunked", false, {}, "访问服务器失败！", "获取文件长度失败！"},
        {"followed 302", "/redirect/upd/plain.bin", true, "plain body", "", "HTTP重定向，代码：302！"},
        {"302 without Location", "/redirect-bare", false, {}, "", "HTTP重定向，代码：302！"},
    };
    for (const auto& c : cases) {
        RecordingView view;
        CBrannockEngine engine(view, prog(), true);
        engine.Start(server().url(QStringLiteral("/upd/update.dat")));
        QString local = prog(QStringLiteral("temp/got.txt.qxf"));
        const bool ok = engine.DownLoadFile(c.object, local);
        EXPECT_EQ(ok, c.ok) << c.name;
        EXPECT_EQ(local, prog(QStringLiteral("temp/got.txt"))) << c.name; // ".qxf" dropped for the caller
        if (c.ok) {
            EXPECT_EQ(Read(local), c.body) << c.name;
        } else {
            EXPECT_FALSE(QFileInfo::exists(local)) << c.name; // nothing partial to install
            EXPECT_EQ(engine.statusText(), c.status) << c.name;
        }
        if (!c.logged.isEmpty()) {
            EXPECT_TRUE(dayLog().contains(c.logged)) << c.name;
        }
        QFile::remove(local);
    }
    // The request path went out as UTF-8, escaped, with the time stamp.
    bool seen = false;
    for (const auto& r : server().requests(7))
        if (r.path == QStringLiteral("/upd/%E6%96%B0%20%E6%96%87%E4%BB%B6.txt"))
            seen = r.query.startsWith(QStringLiteral("a="));
    EXPECT_TRUE(seen);
}

TEST_F(UpdaterDownload, APlantedLinkAtTheTargetIsReplacedNotFollowed) {
    serve(QStringLiteral("upd/plain.bin"), "plain body");
    QDir().mkpath(prog(QStringLiteral("temp")));
    const QString local = prog(QStringLiteral("temp/plain.bin"));
    ASSERT_EQ(::symlink(QFile::encodeName(outside(QStringLiteral("sentinel.txt"))).constData(),
                        QFile::encodeName(local).constData()),
              0);
    RecordingView view;
    CBrannockEngine engine(view, prog(), true);
    engine.Start(server().url(QStringLiteral("/upd/update.dat")));
    QString target = local;
    EXPECT_TRUE(engine.DownLoadFile(QStringLiteral("/upd/plain.bin"), target));
    EXPECT_FALSE(QFileInfo(local).isSymLink());
    EXPECT_EQ(Read(local), "plain body");
    expectUntouched();
}

TEST_F(UpdaterDownload, SelfSignedHttpsOnlyWithTheSwitch) {
    LoopbackHttpServer https(LoopbackHttpServer::Scheme::Https);
    ASSERT_TRUE(https.isRunning()) << https.errorString().toStdString();
    Write(prog(QStringLiteral("ServerInfo.ini")), "");
    for (bool allow : {false, true}) {
        ini::WriteString(prog(QStringLiteral("ServerInfo.ini")), QStringLiteral("Deployment"),
                         QStringLiteral("AllowInvalidCertificates"),
                         allow ? QStringLiteral("1") : QStringLiteral("0"));
        RecordingView view;
        CBrannockEngine engine(view, prog(), true);
        engine.Start(https.url(QStringLiteral("/x/update.dat")));
        QString local = prog(QStringLiteral("temp/short"));
        EXPECT_EQ(engine.DownLoadFile(QStringLiteral("/short"), local), allow);
        if (allow) {
            EXPECT_EQ(Read(local), LoopbackHttpServer::shortBody());
        } else {
            EXPECT_EQ(engine.statusText(), QStringLiteral("连接服务器失败！"));
        }
    }
}

TEST_F(UpdaterDownload, RefusedHostIsNeverLookedUp) {
    RecordingView view;
    CBrannockEngine engine(view, prog(), false);
    const int before = CBrannockEngine::TransferCount();
    engine.Start(QStringLiteral("http://update.corvelane.invalid/upd/update.dat"));
    engine.CheckUpdate();
    QString local = prog(QStringLiteral("temp/x"));
    EXPECT_FALSE(engine.DownLoadFile(QStringLiteral("/upd/x"), local));
    EXPECT_EQ(CBrannockEngine::TransferCount(), before);
    EXPECT_EQ(haveNew(), QStringLiteral("0"));
}

TEST_F(UpdaterDownload, CancelStopsATransferAtOnce) {
    RecordingView view;
    CBrannockEngine engine(view, prog(), true);
    view.engine = &engine;
    view.abortAtPump = 3;
    engine.Start(server().url(QStringLiteral("/upd/update.dat")));
    QString local = prog(QStringLiteral("temp/slow"));
    QElapsedTimer t;
    t.start();
    EXPECT_FALSE(engine.DownLoadFile(QStringLiteral("/slow"), local));
    EXPECT_LT(t.elapsed(), 5000); // the whole body would take 50 s
    EXPECT_FALSE(QFileInfo::exists(local));
}

} // namespace
