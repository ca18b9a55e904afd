// The update check: the command line, the version comparison, HaveNew.
#include "tests/updater/updater_sandbox.h"
#include "updater/command_line.h"

#include <QDir>
#include <QFile>

namespace {

using UpdaterCommandLine = UpdaterSandbox;

TEST_F(UpdaterCommandLine, AddressAndSilentSwitch) {
    const struct {
        QStringList arguments;
        bool serverIni;
        QString address;
        bool interactive;
    } cases[] = {
        {{"Brannock", "http://h/u.dat", "/HIDE"}, false, "http://h/u.dat", false},
        {{"Brannock", "http://h/u.dat", "/hide"}, false, "http://h/u.dat", false},
        {{"Brannock", "", "/hide"}, true, "", false},
        {{"Brannock", "http://h/u.dat", "/show"}, false, "http://h/u.dat", true},
        {{"Brannock", "http://h/u.dat", "/hide", "x"}, false, "http://h/u.dat", true},
        {{"Brannock", "http://h/u.dat"}, true, "http://h/u.dat", true},
        {{"Brannock"}, true, "http://ini/update.dat", true},
        {{"Brannock"}, false, "", true},
    };
    for (const auto& c : cases) {
        QFile::remove(prog(QStringLiteral("ServerInfo.ini")));
        if (c.serverIni)
            Write(prog(QStringLiteral("ServerInfo.ini")),
                  "[UpdateServerAddress]\nUpdateUrl=http://ini/update.dat\n");
        const ::UpdaterCommandLine line = ParseCommandLine(c.arguments, prog());
        EXPECT_EQ(line.address, c.address) << c.arguments.join(' ').toStdString();
        EXPECT_EQ(line.interactive, c.interactive) << c.arguments.join(' ').toStdString();
    }
    EXPECT_TRUE(dayLog().contains(QStringLiteral("从命令行传来4个参数。")));
    EXPECT_TRUE(dayLog().contains(QStringLiteral("从命令行传来参数3为：/HIDE")));
    EXPECT_TRUE(
        dayLog().contains(QStringLiteral("从ServerInfo.ini读取升级地址，值为：http://ini/update.dat")));
}

TEST_F(UpdaterCommandLine, NoAddressIsAConnectionFailure) {
    RecordingView view;
    CBrannockEngine engine(view, prog(), false);
    engine.Start(QString());
    engine.CheckUpdate();
    EXPECT_EQ(engine.statusText(), QStringLiteral("连接到升级服务器出错！"));
    EXPECT_EQ(haveNew(), QStringLiteral("0"));
    EXPECT_EQ(view.endedWith, IDOK); // the silent check ends by itself
    EXPECT_TRUE(dayLog().contains(QStringLiteral("ERROR,连接到服务器失败！")));
}

using UpdaterCompare = UpdaterSandbox;

TEST_F(UpdaterCompare, ReadIniSectionTakesKeysAndValuesInFileOrder) {
    // Code page 936, as an old description is written: "修改内容=一" and "新=功能".
    const QByteArray gbk = "[FileVer]\r\na.txt=1.0=ignored\r\nb.txt=2.0\r\nA.TXT=9.9\r\n; a comment\r\n\r\n"
                           "bare\r\n[NewEdit]\r\n" +
                           QByteArray::fromHex("d0deb8c4c4dac8dd3dd2bb") + "\r\n" +
                           QByteArray::fromHex("d0c23db9a6c4dc") + "\r\n";
    Write(prog(QStringLiteral("desc.dat")), gbk);
    IniList files;
    ASSERT_TRUE(
        CBrannockEngine::ReadIniSection(prog(QStringLiteral("desc.dat")), files, QStringLiteral("FileVer")));
    ASSERT_EQ(files.size(), 3u);
    EXPECT_EQ(files[0].key, QStringLiteral("a.txt"));
    EXPECT_EQ(files[0].value, QStringLiteral("1.0"));
    EXPECT_EQ(files[1].value, QStringLiteral("2.0"));
    EXPECT_EQ(files[2].key, QStringLiteral("bare"));
    IniList changes;
    CBrannockEngine::ReadIniSection(prog(QStringLiteral("desc.dat")), changes, QStringLiteral("NewEdit"));
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_EQ(changes[0].key, QStringLiteral("修改内容"));
    EXPECT_EQ(changes[0].value, QStringLiteral("一"));
    EXPECT_EQ(changes[1].key, QStringLiteral("新"));
}

TEST_F(UpdaterCompare, ListsNewerAndMissingFiles) {
    const struct {
        const char* name;
        QByteArray local;
        QByteArray server;
        QStringList installed; // files present in the program folder
        QByteArray oem;        // OEM/OemInfo.ini
        QStringList listed;
    } cases[] = {
        {"gz form maps local names in any case",
         "[FileVer]\nTool.QX=1.0\nx.DLL=1.0\nsheet.xls=1.0\ndata.db3=1.0\nplain.txt=1.0\n",
         "[FileVer]\ntool.gz=1.1\nx.DLL.gz=1.0\nsheet.xls.gz=2.0\ndata.db3.gz=1.0\nplain.txt=1.0\n",
         {"Tool", "x.DLL", "sheet.xls", "data.db3", "plain.txt"},
         "",
         {"tool.gz", "sheet.xls.gz"}},
        {"first key without .gz compares names unchanged",
         "[FileVer]\nTool.qx=1.0\n",
         "[FileVer]\nreadme.txt=1.0\nTool.qx.gz=2.0\n",
         {"Tool", "readme.txt"},
         "",
         {"readme.txt", "Tool.qx.gz"}},
        {"equal version listed only when the file is missing",
         "[FileVer]\na.txt=1.0\nb.txt=1.0\n",
         "[FileVer]\na.txt=1.0\nb.txt=1.0\n",
         {"a.txt"},
         "",
         {"b.txt"}},
        {"older server version not listed",
         "[FileVer]\na.txt=2.0\n",
         "[FileVer]\na.txt=1.9\n",
         {"a.txt"},
         "",
         {}},
        {"2.10 is newer than 2.9",
         "[FileVer]\na.txt=2.9\nb.txt=2.10\n",
         "[FileVer]\na.txt=2.10\nb.txt=2.9\n",
         {"a.txt", "b.txt"},
         "",
         {"a.txt"}},
        {"text segments without case, a missing segment smaller",
         "[FileVer]\na.txt=1.0b\nb.txt=1.0\n",
         "[FileVer]\na.txt=1.0B\nb.txt=1.0.1\n",
         {"a.txt", "b.txt"},
         "",
         {"b.txt"}},
        {"corvelane key looks for the OEM program",
         "[FileVer]\nCorvelane.qx=1.0\n",
         "[FileVer]\nCorvelane.qx=1.0\n",
         {"Corvelane"},
         "[CompanyInfo]\ndefaultExeFilePath=Brand\n",
         {"Corvelane.qx"}},
        {"corvelane key with the OEM program present",
         "[FileVer]\nCorvelane.qx=1.0\n",
         "[FileVer]\nCorvelane.qx=1.0\n",
         {"Brand"},
         "[CompanyInfo]\ndefaultExeFilePath=Brand\n",
         {}},
        {"duplicate server key listed once",
         "[FileVer]\n",
         "[FileVer]\nd.txt=2.0\nD.txt=3.0\n",
         {},
         "",
         {"d.txt"}},
    };
    for (const auto& c : cases) {
        QDir(prog()).removeRecursively();
        QDir().mkpath(prog());
        Write(prog(QStringLiteral("Update.dat")), c.local);
        for (const QString& f : c.installed)
            Write(prog(f), "installed");
        if (!c.oem.isEmpty())
            Write(prog(QStringLiteral("OEM/OemInfo.ini")), c.oem);
        serve(QStringLiteral("upd/update.dat"), c.server);
        const Run run = runUpdate(false, false);
        QStringList listed;
        for (const auto& row : run.rows) {
            listed << row.name;
            EXPECT_EQ(row.status, QStringLiteral("准备更新"));
        }
        EXPECT_EQ(listed, c.listed) << c.name;
        EXPECT_EQ(haveNew(), c.listed.isEmpty() ? QStringLiteral("0") : QStringLiteral("1")) << c.name;
    }
}

TEST_F(UpdaterCompare, HaveNewAfterEachOutcome) {
    Write(prog(QStringLiteral("Update.dat")), "[FileVer]\na.txt=1.0\n");
    Write(prog(QStringLiteral("a.txt")), "a");
    // A description longer than the old 4096-character section: every key counts.
    QByteArray big = "[FileVer]\n";
    for (int i = 0; i < 400; ++i)
        big += QStringLiteral("folder/file-%1.txt=1.0\n").arg(i, 3, 10, QLatin1Char('0')).toUtf8();
    big += "a.txt=1.1\n";
    serve(QStringLiteral("upd/update.dat"), big);

    RecordingView view;
    CBrannockEngine engine(view, prog(), false);
    engine.Start(descriptionUrl());
    engine.CheckUpdate();
    EXPECT_EQ(engine.rows().size(), 401u);
    EXPECT_EQ(engine.rows().back().name, QStringLiteral("a.txt"));
    EXPECT_EQ(haveNew(), QStringLiteral("1"));
    EXPECT_EQ(view.endedWith, IDOK);

    serve(QStringLiteral("upd/update.dat"), "[FileVer]\na.txt=1.0\n");
    Run run = runUpdate(false, false);
    EXPECT_TRUE(run.rows.empty());
    EXPECT_EQ(haveNew(), QStringLiteral("0"));
    EXPECT_FALSE(QFileInfo::exists(prog(QStringLiteral("temp"))));

    Write(prog(QStringLiteral("CsqxConfig.ini")), "[Update]\nHaveNew=1\n");
    QFile::remove(m_srv + QStringLiteral("/upd/update.dat"));
    RecordingView failed;
    CBrannockEngine failing(failed, prog(), true);
    failing.Start(descriptionUrl());
    failing.CheckUpdate();
    EXPECT_EQ(failing.statusText(), QStringLiteral("获取服务器上版本号出错！"));
    EXPECT_EQ(haveNew(), QStringLiteral("0"));
    EXPECT_EQ(failed.endedWith, 0); // the window stays so the user can read why

    // A description over 1 MiB fails the check.
    serve(QStringLiteral("upd/update.dat"), "[FileVer]\na.txt=9.0\n;" + QByteArray(1100 * 1024, 'x') + "\n");
    Run tooLarge = runUpdate(false, false);
    EXPECT_TRUE(tooLarge.rows.empty());
    EXPECT_EQ(haveNew(), QStringLiteral("0"));
}

} // namespace
