// Installation runs in a sandbox: full updates, failures, self-update and
// hostile descriptions.
#include "tests/support/msgbox_recorder.h"
#include "tests/updater/updater_sandbox.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include <csignal>
#include <functional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QStringList Statuses(const std::vector<CBrannockEngine::Row>& rows) {
    QStringList out;
    for (const auto& r : rows)
        out << r.status;
    return out;
}

bool WaitForFile(const QString& path, int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        if (QFileInfo::exists(path))
            return true;
        QThread::msleep(20);
    }
    return QFileInfo::exists(path);
}

// A script that leaves a marker when it runs.
QByteArray MarkerScript(const QString& marker) {
    return "#!/bin/sh\necho ran > '" + marker.toUtf8() + "'\n";
}

using UpdaterInstall = UpdaterSandbox;

TEST_F(UpdaterInstall, FullUpdateReplacesBacksUpAndFinishes) {
    Write(prog(QStringLiteral("Update.dat")), "[FileVer]\ndata/a.txt=1.0\ntool=1.0\nold.txt=1.0\n");
    Write(prog(QStringLiteral("data/a.txt")), "old a", 0600);
    Write(prog(QStringLiteral("tool")), "#!/bin/sh\nold tool\n", 0750);
    Write(prog(QStringLiteral("old.txt")), "obsolete", 0640);
    Write(prog(QStringLiteral("stub.sh")), MarkerScript(prog(QStringLiteral("started"))), 0755);
    Write(prog(QStringLiteral("keepdir/inner.txt")), "a folder is never deleted");
    const QByteArray description = "[FileVer]\ndata/a.txt=1.1\ntool.gz=2.0\nnew/中 b.txt=1.0\nstart.sh=1.0\n"
                                   "[DeleteFiles]\nold.txt=\nkeepdir=\n[OpenFiles]\nstub.sh=\n"
                                   "[NewEdit]\n修改一=\n修改二=\n";
    serve(QStringLiteral("upd/update.dat"), description);
    serve(QStringLiteral("upd/data/a.txt"), "new a");
    serve(QStringLiteral("upd/tool.gz"), Gzip("#!/bin/sh\nnew tool\n"));
    serve(QStringLiteral("upd/new/中 b.txt"), "brand new");
    serve(QStringLiteral("upd/start.sh"), "#!/bin/sh\nexit 0\n");

    // "取消" before any run starts nothing.
    Run cancelled = runUpdate(false, true);
    EXPECT_EQ(cancelled.endResult, IDCANCEL);
    EXPECT_EQ(cancelled.rows.size(), 4u);

    Run run = runUpdate(true, false);
    EXPECT_EQ(Statuses(run.rows), QStringList(4, QStringLiteral("成功")));
    ASSERT_TRUE(run.fullUpdate);
    EXPECT_EQ(Read(prog(QStringLiteral("data/a.txt"))), "new a");
    EXPECT_EQ(ModeOf(prog(QStringLiteral("data/a.txt"))), 0600);
    EXPECT_EQ(Read(prog(QStringLiteral("tool"))), "#!/bin/sh\nnew tool\n");
    EXPECT_EQ(ModeOf(prog(QStringLiteral("tool"))), 0750);
    EXPECT_EQ(Read(prog(QStringLiteral("new/中 b.txt"))), "brand new");
    EXPECT_EQ(ModeOf(prog(QStringLiteral("new/中 b.txt"))), 0644);
    EXPECT_EQ(ModeOf(prog(QStringLiteral("start.sh"))), 0755);

    ASSERT_TRUE(run.backupFolder.startsWith(prog(QStringLiteral("UpdateBak/"))));
    EXPECT_EQ(Read(run.backupFolder + QStringLiteral("/data/a.txt")), "old a");
    EXPECT_EQ(Read(run.backupFolder + QStringLiteral("/tool")), "#!/bin/sh\nold tool\n");
    EXPECT_EQ(Read(run.backupFolder + QStringLiteral("/old.txt")), "obsolete");
    EXPECT_TRUE(
        Read(run.backupFolder + QStringLiteral("/Update.dat")).startsWith("[FileVer]\ndata/a.txt=1.0"));
    EXPECT_FALSE(QFileInfo::exists(prog(QStringLiteral("old.txt"))));
    EXPECT_EQ(Read(prog(QStringLiteral("keepdir/inner.txt"))), "a folder is never deleted");

    EXPECT_EQ(Read(prog(QStringLiteral("Update.dat"))), description);
    EXPECT_FALSE(QFileInfo::exists(prog(QStringLiteral("temp"))));
    EXPECT_EQ(haveNew(), QStringLiteral("0"));
    EXPECT_EQ(run.changeList, (QStringList{QString(), QStringLiteral("修改一"), QStringLiteral("修改二")}));
    const QString log = dayLog();
    for (const char* line :
         {"建立备份文件夹：", "删除原来的文件:", "升级成功:", "处理新版本需要删除的文件:", "替换update.dat",
          "删除临时文件夹:", "升级成功！修改如下:", "强制结束进程。类名：CSQXWND_QEL"})
        EXPECT_TRUE(log.contains(QString::fromUtf8(line))) << line;

    // Only "完成" of a finished run starts the update's programs: not "取消" before it.
    EXPECT_FALSE(QFileInfo::exists(prog(QStringLiteral("started"))));
    expectUntouched();
}

TEST_F(UpdaterInstall, FinishedDialogStartsTheOpenFiles) {
    Write(prog(QStringLiteral("Update.dat")), "[FileVer]\n");
    Write(prog(QStringLiteral("stub.sh")), MarkerScript(prog(QStringLiteral("started"))), 0755);
    serve(QStringLiteral("upd/update.dat"), "[FileVer]\nx.txt=1\n[OpenFiles]\nstub.sh=\n");
    serve(QStringLiteral("upd/x.txt"), "x");
    MessageBoxRecorder boxes;
    RecordingView view;
    CBrannockEngine engine(view, prog(), true);
    engine.Start(descriptionUrl());
    engine.CheckUpdate();
    engine.DoUpdate();
    ASSERT_TRUE(engine.fullUpdateDone());
    EXPECT_EQ(view.cancelCaption, QStringLiteral("完成"));
    EXPECT_FALSE(QFileInfo::exists(prog(QStringLiteral("started"))));
    EXPECT_EQ(engine.OnBnClickedCancel(), IDOK);
    EXPECT_TRUE(WaitForFile(prog(QStringLiteral("started")), 5000));
}

TEST_F(UpdaterInstall, CancelDuringTheUpdateStopsTheCurrentDownload) {
    Write(prog(QStringLiteral("Update.dat")), "[FileVer]\n");
    Write(prog(QStringLiteral("big.bin")), "old big");
    serve(QStringLiteral("upd/update.dat"), "[FileVer]\nsmall.txt=1\nbig.bin=1\nlast.txt=1\n");
    serve(QStringLiteral("upd/small.txt"), "small");
    serve(QStringLiteral("upd/big.bin"), QByteArray(16 * 1024 * 1024, 'b'));
    serve(QStringLiteral("upd/last.txt"), "last");
    MessageBoxRecorder boxes;
    RecordingView view;
    CBrannockEngine engine(view, prog(), true);
    view.engine = &engine;
    engine.Start(descriptionUrl());
    engine.CheckUpdate();
    view.abortInsideATransfer = true; // only the big file shows a partial progress
    engine.DoUpdate();
    EXPECT_EQ(Statuses(engine.rows()),
              (QStringList{QStringLiteral("成功"), QStringLiteral("下载失败"), QStringLiteral("准备更新")}));
    EXPECT_EQ(Read(prog(QStringLiteral("big.bin"))), "old big");
    EXPECT_FALSE(engine.fullUpdateDone());
    EXPECT_EQ(haveNew(), QStringLiteral("1"));
    EXPECT_TRUE(dayLog().contains(QStringLiteral("ERROR,DownLoadFile,下载已取消！")));
}

TEST_F(UpdaterInstall, DownloadFailureInRowThreeOfFive) {
    Write(prog(QStringLiteral("Update.dat")), "[FileVer]\n");
    Write(prog(QStringLiteral("CsqxConfig.ini")), "");
    Write(prog(QStringLiteral("f1.txt")), "old 1");
    Write(prog(QStringLiteral("f2.txt")), "old 2");
    serve(QStringLiteral("upd/update.dat"),
          "[FileVer]\nf1.txt=1\nf2.txt=1\nf3.txt=1\nf4.txt=1\nf5.txt=1\n[RegFile]\ncom.dll=\n"
          "[DeleteFiles]\nf1.txt=\n");
    for (const char* name : {"upd/f1.txt", "upd/f2.txt", "upd/f4.txt", "upd/f5.txt"})
        serve(QString::fromLatin1(name), "new");
    Run run = runUpdate(true, false);
    EXPECT_EQ(Statuses(run.rows),
              (QStringList{QStringLiteral("成功"), QStringLiteral("成功"), QStringLiteral("下载失败"),
                           QStringLiteral("准备更新"), QStringLiteral("准备更新")}));
    EXPECT_EQ(Read(prog(QStringLiteral("f1.txt"))), "new");
    EXPECT_EQ(Read(run.backupFolder + QStringLiteral("/f2.txt")), "old 2");
    // Registration ran (and failed, as it must here) ...
    EXPECT_TRUE(run.boxes.contains(QStringLiteral("注册组件失败: ") + prog(QStringLiteral("com.dll"))));
    EXPECT_TRUE(dayLog().contains(QStringLiteral("ERROR,注册组件失败:")));
    // ... the finishing steps did not.
    EXPECT_FALSE(run.fullUpdate);
    EXPECT_EQ(haveNew(), QStringLiteral("1"));
    EXPECT_TRUE(QFileInfo::exists(prog(QStringLiteral("f1.txt"))));
    EXPECT_EQ(Read(prog(QStringLiteral("Update.dat"))), "[FileVer]\n");
    EXPECT_TRUE(run.changeList.isEmpty());
}

TEST_F(UpdaterInstall, BrokenPackageLeavesTheOldFile) {
    const QByteArray packed = Gzip(QByteArray("new content ").repeated(500));
    for (const QByteArray& broken : {packed.left(packed.size() / 2), QByteArray("not gzip at all")}) {
        Write(prog(QStringLiteral("Update.dat")), "[FileVer]\nlib.so=1.0\n");
        Write(prog(QStringLiteral("lib.so")), "old library", 0700);
        serve(QStringLiteral("upd/update.dat"), "[FileVer]\nlib.so.gz=2.0\n");
        serve(QStringLiteral("upd/lib.so.gz"), broken);
        Run run = runUpdate(true, false);
        EXPECT_EQ(Statuses(run.rows), QStringList{QStringLiteral("升级失败")});
        EXPECT_EQ(Read(prog(QStringLiteral("lib.so"))), "old library");
        EXPECT_EQ(ModeOf(prog(QStringLiteral("lib.so"))), 0700);
        EXPECT_FALSE(run.fullUpdate);
        EXPECT_EQ(QDir(prog()).entryList({QStringLiteral("lib.so.new-*")}, QDir::Files), QStringList());
    }
}

TEST_F(UpdaterInstall, SelfUpdateWaitsInTemp) {
    const struct {
        const char* name;
        QByteArray description;
        QString file;
        QByteArray served;
        bool ok;
    } cases[] = {
        {"packed", "[FileVer]\nBrannock.gz=9.0\nx.txt=1\n", "upd/Brannock.gz",
         Gzip("\x7f"
              "ELF new updater"),
         true},
        {"plain", "[FileVer]\nBrannock=9.0\nx.txt=1\n", "upd/Brannock",
         "\x7f"
         "ELF new updater",
         true},
        {"broken", "[FileVer]\nBrannock.gz=9.0\nx.txt=1\n", "upd/Brannock.gz", "not gzip", false},
    };
    for (const auto& c : cases) {
        QDir(prog(QStringLiteral("temp"))).removeRecursively();
        Write(prog(QStringLiteral("Update.dat")), "[FileVer]\nBrannock=1.0\n");
        Write(prog(QStringLiteral("Brannock")), "old updater", 0755);
        serve(QStringLiteral("upd/update.dat"), c.description);
        serve(c.file, c.served);
        serve(QStringLiteral("upd/x.txt"), "x");
        Run run = runUpdate(true, false);
        EXPECT_EQ(Read(prog(QStringLiteral("Brannock"))), "old updater") << c.name;
        EXPECT_EQ(run.fullUpdate, c.ok) << c.name;
        if (c.ok) {
            EXPECT_EQ(Statuses(run.rows), QStringList(2, QStringLiteral("成功"))) << c.name;
            EXPECT_EQ(Read(prog(QStringLiteral("temp/Brannock"))), "\x7f"
                                                                   "ELF new updater")
                << c.name;
            EXPECT_EQ(ModeOf(prog(QStringLiteral("temp/Brannock"))), 0755) << c.name;
        } else {
            EXPECT_EQ(run.rows.front().status, QStringLiteral("升级失败")) << c.name;
            EXPECT_FALSE(QFileInfo::exists(prog(QStringLiteral("temp/Brannock")))) << c.name;
        }
    }
    // A later full update that removes "temp" spares the waiting updater.
    Write(prog(QStringLiteral("temp/Brannock")), "waiting", 0755);
    Write(prog(QStringLiteral("temp/stale.txt")), "stale");
    Write(prog(QStringLiteral("Update.dat")), "[FileVer]\n");
    serve(QStringLiteral("upd/update.dat"), "[FileVer]\ny.txt=1\n");
    serve(QStringLiteral("upd/y.txt"), "y");
    Run later = runUpdate(true, false);
    EXPECT_TRUE(later.fullUpdate);
    EXPECT_EQ(Read(prog(QStringLiteral("temp/Brannock"))), "waiting");
    EXPECT_FALSE(QFileInfo::exists(prog(QStringLiteral("temp/y.txt"))));
    EXPECT_FALSE(QFileInfo::exists(prog(QStringLiteral("temp/stale.txt"))));
}

// A process running a copy of "sleep" from `path`.
pid_t StartSleeper(const QString& path) {
    QFile::copy(QStringLiteral("/bin/sleep"), path);
    ::chmod(QFile::encodeName(path).constData(), 0755);
    const pid_t pid = ::fork();
    if (pid == 0) {
        const QByteArray native = QFile::encodeName(path);
        ::execl(native.constData(), "stub", "60", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    QThread::msleep(100);
    return pid;
}

bool Alive(pid_t pid) {
    return ::waitpid(pid, nullptr, WNOHANG) == 0;
}

TEST_F(UpdaterInstall, HostileDescriptionsStayInsideTheFolder) {
    const struct {
        const char* name;
        QByteArray description;
        std::function<void(UpdaterInstall&)> prepare;
        QStringList statuses;
        bool full;
    } cases[] = {
        {"absolute key", "[FileVer]\n/tmp/evil.txt=1\nok.txt=1\n", {}, {"升级失败", "成功"}, false},
        {"dot-dot key", "[FileVer]\n../outside/sentinel.txt=1\nok.txt=1\n", {}, {"升级失败", "成功"}, false},
        {"backslash dot-dot key", "[FileVer]\n..\\outside\\sentinel.txt=1\n", {}, {"升级失败"}, false},
        {"symlink out",
         "[FileVer]\nlink/sentinel.txt=1\nok.txt=1\n",
         [](UpdaterInstall& t) {
             ::symlink(QFile::encodeName(t.outside()).constData(),
                       QFile::encodeName(t.prog(QStringLiteral("link"))).constData());
         },
         {"升级失败", "成功"},
         false},
        {"control character", "[FileVer]\nok\x01.txt=1\n", {}, {"升级失败"}, false},
        {"the database", "[FileVer]\nDB/SystemData.db3=9\n", {}, {"升级失败"}, false},
        {"outside keys in every other list",
         "[FileVer]\nok.txt=1\n[DeleteFiles]\n../outside/sentinel.txt=\n/tmp=\nDB/SystemData.db3=\nDB=\n"
         "[OpenFiles]\n../outside/run.sh=\n[CloseFiles]\n../outside/stub=\n[RegFile]\n../outside/x.dll=\n",
         {},
         {"成功"},
         true},
        {"bad OEM values",
         "[FileVer]\nCorvelane=2\n",
         [](UpdaterInstall& t) {
             UpdaterSandbox::Write(t.prog(QStringLiteral("Corvelane")), "#!/bin/sh\n", 0755);
             UpdaterSandbox::Write(t.prog(QStringLiteral("OEM/OemInfo.ini")),
                                   "[CompanyInfo]\ndefaultExeFilePath=../outside/sentinel.txt\n"
                                   "defaultShortcutInfo=../../outside/x\n");
         },
         {"成功"},
         true},
        {"empty OEM values",
         "[FileVer]\nCorvelane=2\n",
         [](UpdaterInstall& t) {
             UpdaterSandbox::Write(t.prog(QStringLiteral("OEM/OemInfo.ini")),
                                   "[CompanyInfo]\ndefaultExeFilePath=\ndefaultShortcutInfo=..\n");
         },
         {"成功"},
         true},
        {"duplicate keys", "[FileVer]\nok.txt=1\nOK.TXT=2\nok.txt=3\n", {}, {"成功"}, true},
        {"planted OemInfo.ini.oem",
         "[FileVer]\nCorvelane=2\n",
         [](UpdaterInstall& t) {
             UpdaterSandbox::Write(t.prog(QStringLiteral("OemInfo.ini.oem")),
                                   "[CompanyInfo]\ndefaultExeFilePath=/tmp/../" +
                                       QFile::encodeName(t.outside(QStringLiteral("sentinel.txt"))) +
                                       "\ndefaultShortcutInfo=a/b\n");
         },
         {"成功"},
         true},
    };
    for (const auto& c : cases) {
        QDir(prog()).removeRecursively();
        Write(prog(QStringLiteral("DB/SystemData.db3")), "SQLite format 3 (the user's data)");
        Write(prog(QStringLiteral("Update.dat")), "[FileVer]\n");
        Write(outside(QStringLiteral("run.sh")), MarkerScript(outside(QStringLiteral("ran"))), 0755);
        const pid_t outsider = StartSleeper(outside(QStringLiteral("stub")));
        if (c.prepare)
            c.prepare(*this);
        serve(QStringLiteral("upd/update.dat"), c.description);
        serve(QStringLiteral("upd/ok.txt"), "ok");
        serve(QStringLiteral("upd/Corvelane"), "#!/bin/sh\necho new\n");
        Run run = runUpdate(true, true);
        EXPECT_EQ(Statuses(run.rows), c.statuses) << c.name;
        EXPECT_EQ(run.fullUpdate, c.full) << c.name;
        EXPECT_EQ(haveNew(), c.full ? QStringLiteral("0") : QStringLiteral("1")) << c.name;
        QThread::msleep(200);
        EXPECT_FALSE(QFileInfo::exists(outside(QStringLiteral("ran")))) << c.name;
        EXPECT_TRUE(Alive(outsider)) << c.name;
        ::kill(outsider, SIGKILL);
        ::waitpid(outsider, nullptr, 0);
        EXPECT_TRUE(QDir(root() + QStringLiteral("/home/Desktop")).entryList(QDir::Files).isEmpty())
            << c.name;
        expectUntouched();
        EXPECT_FALSE(QFileInfo::exists(QStringLiteral("/tmp/evil.txt")));
    }
}

TEST_F(UpdaterInstall, OemNameAndDesktopEntry) {
    Write(prog(QStringLiteral("Update.dat")), "[FileVer]\nCorvelane=1\n");
    Write(prog(QStringLiteral("Corvelane")), "#!/bin/sh\necho old\n", 0755);
    Write(prog(QStringLiteral("OEM/OemInfo.ini")),
          "[CompanyInfo]\ndefaultExeFilePath=Brand App\ndefaultShortcutInfo=品牌 客户端\n");
    Write(root() + QStringLiteral("/home/Desktop/品牌 客户端.desktop"), "stale entry");
    serve(QStringLiteral("upd/update.dat"), "[FileVer]\nCorvelane=2\n");
    serve(QStringLiteral("upd/Corvelane"), "#!/bin/sh\necho new\n");
    Run run = runUpdate(true, false);
    ASSERT_TRUE(run.fullUpdate);
    EXPECT_EQ(Read(prog(QStringLiteral("Brand App"))), "#!/bin/sh\necho new\n");
    EXPECT_FALSE(QFileInfo::exists(prog(QStringLiteral("Corvelane"))));
    const QString entry = root() + QStringLiteral("/home/Desktop/品牌 客户端.desktop");
    const QByteArray text = Read(entry);
    EXPECT_TRUE(text.contains("Type=Application\n"));
    EXPECT_TRUE(text.contains("Exec=\"" + QFile::encodeName(prog(QStringLiteral("Brand App"))) + "\"\n"));
    EXPECT_TRUE(text.contains("Terminal=false\n"));
    EXPECT_EQ(ModeOf(entry), 0755);
    const QString validate = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    if (!validate.isEmpty()) {
        QProcess p;
        p.start(validate, {entry});
        ASSERT_TRUE(p.waitForFinished(10000));
        EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardOutput().toStdString();
    }
}

} // namespace
