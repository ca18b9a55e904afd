// The start window and what it reads before the login: branding, the MMS
// limit, the stored account, the account settings file, the service address
// and proxy, the version report and the updater start, and the login road.
#include "core/account.h"
#include "core/app_globals.h"
#include "core/deployment.h"
#include "core/database.h"
#include "core/md5.h"
#include "core/net_settings.h"
#include "core/start_settings.h"
#include "gui/main/gui_globals.h"
#include "gui/main/login_dialog.h"
#include "gui/main/start_window.h"
#include "platform/ini.h"
#include "platform/msgbox.h"
#include "service/service_state.h"
#include "tests/support/service_fixture.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

#include <climits>
#include <functional>

namespace {

// Every global the start window fills, put back after each test.
struct StartGlobalsReset {
    StartGlobalsReset() { reset(); }
    ~StartGlobalsReset() { reset(); }
    static void reset() {
        for (QString* s :
             {&g_strAppTitle, &g_strCopyright, &g_strCompanyUrl, &g_strCompanyPhone, &g_strHotLine,
              &g_strNationwidePhone, &g_strInformUrl, &g_strServerIni, &g_strAccountIni})
            s->clear();
        g_nMmsMaxSize = 51200;
        g_hLogoIcon = QIcon();
        SetMessageBoxTitle(QString());
        SetServiceUrl(std::string());
        SetProxySettings(nullptr, 0, nullptr, nullptr);
    }
};

void Exec(const char* sql) {
    char* error = nullptr;
    ASSERT_EQ(sqlite3_exec(g_pDB, sql, nullptr, nullptr, &error), SQLITE_OK) << (error ? error : "") << "\n"
                                                                             << sql;
}

// ---------------------------------------------------------------- settings without a window

class StartSettingsTest : public ProgramFolderTest {
protected:
    void writeIni(const QString& file, const char* section, const char* key, const QString& value) {
        ASSERT_TRUE(ini::WriteString(m_folder->file(file), QString::fromLatin1(section),
                                     QString::fromLatin1(key), value));
    }
    StartGlobalsReset m_reset;
};

TEST_F(StartSettingsTest, MmsMaxSizeCountsOnlyAboveFifty) {
    const struct {
        const char* value; // nullptr: no such key
        int bytes;
    } cases[] = {
        {nullptr, 51200},
        {"50", 51200},
        {"51", 52224},
        {"0", 51200},
        {"-300", 51200},
        {"abc", 51200},
        {"200", 204800},
        // Too large for a byte count: held at the largest whole KiB that fits.
        {"4000000", INT_MAX / 1024 * 1024},
    };
    for (const auto& c : cases) {
        QFile::remove(OemInfoIniPath());
        if (c.value)
            writeIni("OEM/OemInfo.ini", "UserTempSetting", "MmsMaxSize", QString::fromLatin1(c.value));
        g_nMmsMaxSize = 1;
        EXPECT_EQ(LoadMmsMaxSize(), c.bytes) << (c.value ? c.value : "(none)");
        EXPECT_EQ(g_nMmsMaxSize, c.bytes);
    }
}

TEST_F(StartSettingsTest, BrandingFillsGlobalsAndTitlesMessageBoxes) {
    const struct {
        const char* key;
        QString* global;
        QString value;
    } keys[] = {
        {"SoftWareName", &g_strAppTitle, QStringLiteral("示例商号")},
        {"CopyRight", &g_strCopyright, QStringLiteral("© 某公司")},
        {"defaultCompanyUrl", &g_strCompanyUrl, QStringLiteral("http://oem.invalid/")},
        {"defaultCompanyPhone", &g_strCompanyPhone, QStringLiteral("010-1234")},
        {"defaultHotLine", &g_strHotLine, QStringLiteral("400-800")},
        {"defaultNationwidePhone", &g_strNationwidePhone, QStringLiteral("95000")},
        {"defaultInformUrl", &g_strInformUrl, QStringLiteral("http://inform.invalid/")},
    };
    for (const auto& k : keys)
        writeIni("OEM/OemInfo.ini", "CompanyInfo", k.key, k.value);
    writeIni("OEM/OemInfo.ini", "CompanyInfo", "defaultImage2Path", QStringLiteral("start.png"));

    EXPECT_EQ(LoadBranding(), m_folder->file("OEM/start.png"));
    for (const auto& k : keys)
        EXPECT_EQ(*k.global, k.value) << k.key;
    EXPECT_EQ(MessageBoxTitle(), QStringLiteral("示例商号"));

    // Without the OEM file every text is empty again, and so is the box title.
    QFile::remove(OemInfoIniPath());
    EXPECT_TRUE(LoadBranding().isEmpty());
    for (const auto& k : keys)
        EXPECT_TRUE(k.global->isEmpty()) << k.key;
    EXPECT_TRUE(MessageBoxTitle().isEmpty());
}

TEST_F(StartSettingsTest, StartPictureNameStaysInOemFolder) {
    const struct {
        const char* name;
        const char* expected; // relative to the program folder, nullptr: no picture
    } cases[] = {
        {"start.png", "OEM/start.png"},
        {"pics\\start.png", "OEM/pics/start.png"},
        {"pics/../start.png", "OEM/start.png"},
        {"", nullptr},
        {"../DB/SystemData.db3", nullptr},
        {"..\\..\\..\\etc\\passwd", nullptr},
        {"pics/../../ServerInfo.ini", nullptr},
        {"/etc/passwd", nullptr},
        {"..", nullptr},
    };
    for (const auto& c : cases) {
        writeIni("OEM/OemInfo.ini", "CompanyInfo", "defaultImage2Path", QString::fromLatin1(c.name));
        const QString path = LoadBranding();
        if (c.expected)
            EXPECT_EQ(path, m_folder->file(QString::fromLatin1(c.expected))) << c.name;
        else
            EXPECT_TRUE(path.isEmpty()) << c.name << " gave " << path.toStdString();
    }
}

TEST_F(StartSettingsTest, StoredAccountComesFromFirstRowWithSerialNumber) {
    Exec("INSERT INTO Register (SerNum, PassWd, Sign) VALUES (NULL, 'p0', 's0'), ('   ', 'p1', 's1'),"
         " ('  SN-0001 ', ' pw 1 ', ' 某公司 '), ('SN-0002', 'p2', 's2')");
    AccountRecord account;
    AccountFields before;
    before[kAccountServiceNumber] = QStringLiteral("10690001");
    before[kAccountSerial] = QStringLiteral("stale");
    account.set(before);

    EXPECT_TRUE(LoadStoredAccount(g_pDB, account));
    const AccountFields fields = account.get();
    EXPECT_EQ(fields[kAccountSerial], QStringLiteral("SN-0001"));
    EXPECT_EQ(fields[kAccountPassword], QStringLiteral("pw 1"));
    EXPECT_EQ(fields[kAccountSignature], QStringLiteral("某公司"));
    // The service number is the main window's to fill after the login.
    EXPECT_EQ(fields[kAccountServiceNumber], QStringLiteral("10690001"));
}

TEST_F(StartSettingsTest, RegisterWithoutSignStillGivesSerialAndPassword) {
    Exec("DROP TABLE Register; CREATE TABLE Register (SerNum CHAR(30), PassWd CHAR(10));"
         " INSERT INTO Register VALUES ('SN-OLD', 'old');");
    AccountRecord account;
    EXPECT_TRUE(LoadStoredAccount(g_pDB, account));
    EXPECT_EQ(account.field(kAccountSerial), QStringLiteral("SN-OLD"));
    EXPECT_EQ(account.field(kAccountPassword), QStringLiteral("old"));
    EXPECT_TRUE(account.field(kAccountSignature).isEmpty());
    EXPECT_TRUE(runLog().contains(QStringLiteral("查询账号信息失败！")));
}

TEST_F(StartSettingsTest, NoAccountRowOrNoTableLeavesAccountEmpty) {
    AccountFields stale;
    stale[kAccountSerial] = QStringLiteral("stale");
    stale[kAccountPassword] = QStringLiteral("stale");
    stale[kAccountSignature] = QStringLiteral("stale");

    AccountRecord account;
    account.set(stale);
    EXPECT_TRUE(LoadStoredAccount(g_pDB, account)); // an empty table is no failure
    EXPECT_EQ(account.get(), AccountFields{});
    EXPECT_FALSE(runLog().contains(QStringLiteral("查询账号信息失败！")));

    Exec("DROP TABLE Register");
    account.set(stale);
    EXPECT_FALSE(LoadStoredAccount(g_pDB, account));
    EXPECT_EQ(account.get(), AccountFields{});
    const QString log = runLog();
    EXPECT_TRUE(log.contains(QStringLiteral("SQL ERROR:no such table: Register,MY ERROR:查询账号信息失败！")))
        << log.toStdString();

    // No database at all (it could not be opened): empty, and no crash.
    account.set(stale);
    EXPECT_FALSE(LoadStoredAccount(nullptr, account));
    EXPECT_EQ(account.get(), AccountFields{});
}

TEST_F(StartSettingsTest, AccountIniStaysInProgramFolder) {
    const QString folder = m_folder->path();
    const struct {
        QString serial;
        QString fileName;
    } cases[] = {
        {QStringLiteral("SN-0001"), QStringLiteral("SN-0001.ini")},
        {QString(), QStringLiteral(".ini")},
        {QStringLiteral("../../etc/cron.d/x"), QStringLiteral(".._.._etc_cron.d_x.ini")},
        {QStringLiteral("..\\..\\x"), QStringLiteral(".._.._x.ini")},
        {QStringLiteral("/abs"), QStringLiteral("_abs.ini")},
        {QString::fromUtf16(u"a\0b", 3), QStringLiteral("a_b.ini")},
        {QStringLiteral("."), QStringLiteral(".ini")},
        {QStringLiteral(".."), QStringLiteral(".ini")},
    };
    for (const auto& c : cases) {
        const QString path = AccountIniPath(folder, c.serial);
        EXPECT_EQ(path, folder + QLatin1Char('/') + c.fileName) << c.serial.toStdString();
        // The file really lands in the folder.
        ASSERT_TRUE(ini::WriteString(path, QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("v")));
        EXPECT_TRUE(QFileInfo(folder + QLatin1Char('/') + c.fileName).isFile()) << c.serial.toStdString();
        EXPECT_EQ(QFileInfo(path).canonicalPath(), QDir(folder).canonicalPath()) << c.serial.toStdString();
    }
}

TEST_F(StartSettingsTest, ProxyAppliesOnlyWhenAgencyIsSet) {
    const struct {
        const char* agency; // nullptr: no ProxyInfo.ini
        int port;           // expected proxy port, 0: no proxy
    } cases[] = {{nullptr, 0}, {"0", 0}, {"", 0}, {"1", 3128}, {"2", 3128}, {"0x1", 3128}, {"0x0", 0}};
    for (const auto& c : cases) {
        QFile::remove(ProxyInfoPath());
        SetProxySettings(nullptr, 0, nullptr, nullptr);
        if (c.agency) {
            writeIni("ProxyInfo.ini", "NetSetting", "Agency", QString::fromLatin1(c.agency));
            writeIni("ProxyInfo.ini", "NetSetting", "Server", QStringLiteral("proxy.local"));
            writeIni("ProxyInfo.ini", "NetSetting", "Port", QStringLiteral("3128"));
            writeIni("ProxyInfo.ini", "NetSetting", "UserName", QStringLiteral("user"));
            writeIni("ProxyInfo.ini", "NetSetting", "Passwd", QStringLiteral("p'w"));
        }
        ApplyProxyFromIni();
        const ServiceSettings s = CurrentServiceSettings();
        EXPECT_EQ(s.proxyPort, c.port) << (c.agency ? c.agency : "(no file)");
        // The network settings read the switch the same way.
        EXPECT_EQ(ReadProxyInfo().agency != 0, c.port != 0) << (c.agency ? c.agency : "(no file)");
        if (c.port) {
            EXPECT_EQ(s.proxyHost, "proxy.local");
            EXPECT_EQ(s.proxyUser, "user");
            EXPECT_EQ(s.proxyPwd, "p'w");
        } else {
            EXPECT_TRUE(s.proxyHost.empty());
        }
    }
}

TEST_F(StartSettingsTest, ServiceAddressIsDefaultAddressElseBuiltIn) {
    ApplyServerAddress();
    EXPECT_EQ(ServiceUrl(), BuiltInMainEndpoint());
    EXPECT_TRUE(QString::fromStdString(ServiceUrl()).contains(QLatin1String(".invalid")));

    writeIni("ServerInfo.ini", "ServerAddress", "defaultAddress",
             QStringLiteral("http://127.0.0.1:8060/webservice.asmx"));
    ApplyServerAddress();
    EXPECT_EQ(ServiceUrl(), "http://127.0.0.1:8060/webservice.asmx");
}

// ---------------------------------------------------------------- the update check and the window

// A stub companion: records "run:<tag>", each argument as "arg:<value>" and
// its working directory as "cwd:<path>" in stub.log of the program folder.
class StartWindowTest : public ServiceTest {
protected:
    void SetUp() override {
        ServiceTest::SetUp();
        g_pAccount.clear(); // the window reads it from Register
    }

    void writeIni(const QString& file, const char* section, const char* key, const QString& value) {
        ASSERT_TRUE(ini::WriteString(m_folder->file(file), QString::fromLatin1(section),
                                     QString::fromLatin1(key), value));
    }

    void writeStub(const QString& relative, const char* tag, QFile::Permissions mode) {
        const QByteArray script =
            "#!/bin/sh\n{ echo 'run:" + QByteArray(tag) +
            "'; for a in \"$@\"; do echo \"arg:$a\"; done; echo \"cwd:$(pwd -P)\"; } >> '" +
            QFile::encodeName(m_folder->file(QStringLiteral("stub.log"))) + "'\n";
        m_folder->writeFile(relative, script);
        ASSERT_TRUE(QFile::setPermissions(m_folder->file(relative), mode));
    }

    static constexpr QFile::Permissions kExecutable = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                      QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther |
                                                      QFile::ExeOther;
    static constexpr QFile::Permissions kPlain =
        QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther;

    // The stub's record once it has finished (its last line is "cwd:").
    QStringList waitForStub() {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 10000) {
            const QString log = QString::fromUtf8(m_folder->readFile(QStringLiteral("stub.log")));
            if (log.contains(QLatin1String("cwd:")) && log.endsWith(QLatin1Char('\n')))
                return log.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
            QThread::msleep(20);
        }
        ADD_FAILURE() << "the stub updater did not run";
        return {};
    }

    QString cwdLine() const { return QStringLiteral("cwd:") + QDir(m_folder->path()).canonicalPath(); }

    StartGlobalsReset m_reset;
};

TEST_F(StartWindowTest, WaitingUpdateStartsUpdaterToInstall) {
    writeStub(QStringLiteral("Brannock"), "updater", kExecutable);
    writeIni("CsqxConfig.ini", "Update", "HaveNew", QStringLiteral("1"));
    writeIni("ServerInfo.ini", "UpdateServerAddress", "UpdateUrl",
             QStringLiteral("http://update.invalid/u.xml"));

    EXPECT_TRUE(CheckForUpdate());
    EXPECT_EQ(waitForStub(), (QStringList{QStringLiteral("run:updater"),
                                          QStringLiteral("arg:http://update.invalid/u.xml"), cwdLine()}));
}

TEST_F(StartWindowTest, OtherwiseUpdaterRunsSilentCheck) {
    const struct {
        const char* haveNew; // nullptr: no key
        const char* updateUrl;
    } cases[] = {{"0", "http://update.invalid/u.xml"}, {nullptr, "http://update.invalid/u.xml"}, {"0", ""}};
    writeStub(QStringLiteral("Brannock"), "updater", kExecutable);
    for (const auto& c : cases) {
        QFile::remove(m_folder->file(QStringLiteral("stub.log")));
        QFile::remove(m_folder->file(QStringLiteral("CsqxConfig.ini")));
        if (c.haveNew)
            writeIni("CsqxConfig.ini", "Update", "HaveNew", QString::fromLatin1(c.haveNew));
        writeIni("ServerInfo.ini", "UpdateServerAddress", "UpdateUrl", QString::fromLatin1(c.updateUrl));

        EXPECT_FALSE(CheckForUpdate());
        // An empty address is still an argument of its own: "/hide" is never the address.
        EXPECT_EQ(waitForStub(), (QStringList{QStringLiteral("run:updater"),
                                              QStringLiteral("arg:") + QString::fromLatin1(c.updateUrl),
                                              QStringLiteral("arg:/hide"), cwdLine()}))
            << c.updateUrl;
    }
}

TEST_F(StartWindowTest, UpdaterThatCannotStartLeadsToLogin) {
    writeIni("CsqxConfig.ini", "Update", "HaveNew", QStringLiteral("1"));
    // Not executable: the install start fails and is not taken for a start.
    writeStub(QStringLiteral("Brannock"), "updater", kPlain);
    EXPECT_FALSE(CheckForUpdate());
    EXPECT_TRUE(runLog().contains(QStringLiteral("ERROR,start Brannock")));

    // No updater at all: the silent check is tried instead, and fails too.
    QFile::remove(m_folder->file(QStringLiteral("Brannock")));
    EXPECT_FALSE(CheckForUpdate());
    QThread::msleep(100);
    EXPECT_FALSE(QFile::exists(m_folder->file(QStringLiteral("stub.log"))));
}

TEST_F(StartWindowTest, WaitingUpdaterReplacesOldOneBeforeStart) {
    writeStub(QStringLiteral("Brannock"), "old", kExecutable);
    writeStub(QStringLiteral("temp/Brannock"), "new", kPlain);
    writeIni("CsqxConfig.ini", "Update", "HaveNew", QStringLiteral("1"));

    EXPECT_TRUE(CheckForUpdate());
    const QStringList record = waitForStub();
    ASSERT_FALSE(record.isEmpty());
    EXPECT_EQ(record.front(), QStringLiteral("run:new"));
    EXPECT_FALSE(QFile::exists(m_folder->file(QStringLiteral("temp/Brannock"))));
    // The new copy keeps the old updater's mode, so it stays executable.
    EXPECT_EQ(QFile::permissions(m_folder->file(QStringLiteral("Brannock"))) & kExecutable, kExecutable);
}

TEST_F(StartWindowTest, VersionReportCarriesAccountAndVersionText) {
    const std::string path = "/apis/rims-provider/snExt/synchro/saveCSV";
    m_main->scriptPage(path, {200, "0"});
    AccountFields account;
    account[kAccountSerial] = QStringLiteral("SN-0001");
    account[kAccountPassword] = QStringLiteral("pw");
    g_pAccount.set(account);
    const std::string query = path + "?sn=SN-0001&pwd=" + ServiceDigest(u"SN-0001", u"pw") + "&csVersion=";

    g_strAppTitle = QString::fromLatin1(kProductDisplayName);
    EXPECT_EQ(ReportClientVersion(g_pAccount.get(), ClientVersionText(g_strAppTitle)), 0);
    g_strAppTitle = QStringLiteral("另一商号");
    EXPECT_EQ(ReportClientVersion(g_pAccount.get(), ClientVersionText(g_strAppTitle)), 0);

    const auto requests = m_main->pageRequests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0], query + "zodo2.0");
    EXPECT_EQ(requests[1], query + ClientVersionText(g_strAppTitle));
    EXPECT_NE(std::string(ClientVersionText(g_strAppTitle)), "zodo2.0");
}

TEST_F(StartWindowTest, OpeningReadsEverySetting) {
    QImage picture(320, 180, QImage::Format_RGB32);
    picture.fill(Qt::darkBlue);
    m_folder->writeFile(QStringLiteral("OEM/.keep"), QByteArray());
    ASSERT_TRUE(picture.save(m_folder->file(QStringLiteral("OEM/start.png"))));
    QImage logo(48, 48, QImage::Format_ARGB32);
    logo.fill(Qt::red);
    ASSERT_TRUE(logo.save(m_folder->file(QStringLiteral("OEM/Logo.ico")), "ICO"));
    writeIni("OEM/OemInfo.ini", "CompanyInfo", "SoftWareName", QStringLiteral("另一商号"));
    writeIni("OEM/OemInfo.ini", "CompanyInfo", "defaultImage2Path", QStringLiteral("start.png"));
    writeIni("OEM/OemInfo.ini", "UserTempSetting", "MmsMaxSize", QStringLiteral("51"));
    writeIni("ServerInfo.ini", "ServerAddress", "defaultAddress", QString::fromStdString(m_main->url()));
    writeIni("ProxyInfo.ini", "NetSetting", "Agency", QStringLiteral("0"));
    writeIni("ProxyInfo.ini", "NetSetting", "Server", QStringLiteral("proxy.local"));
    writeIni("ProxyInfo.ini", "NetSetting", "Port", QStringLiteral("3128"));
    Exec("INSERT INTO Register (SerNum, PassWd, Sign) VALUES ('SN/0001', 'pw', 'sig')");

    CdlgStartWnd window;
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(window.size(), QSize(320, 180));
    ASSERT_NE(window.screen(), nullptr);
    EXPECT_EQ(window.frameGeometry().center(), window.screen()->availableGeometry().center());

    EXPECT_EQ(g_strAppTitle, QStringLiteral("另一商号"));
    EXPECT_EQ(MessageBoxTitle(), g_strAppTitle);
    EXPECT_EQ(g_nMmsMaxSize, 52224);
    ASSERT_FALSE(g_hLogoIcon.isNull());
    EXPECT_EQ(g_hLogoIcon.availableSizes(), QList<QSize>{QSize(30, 30)});
    EXPECT_EQ(g_pAccount.field(kAccountSerial), QStringLiteral("SN/0001"));
    EXPECT_EQ(g_pAccount.field(kAccountSignature), QStringLiteral("sig"));
    EXPECT_EQ(ServiceUrl(), m_main->url());
    EXPECT_EQ(CurrentServiceSettings().proxyPort, 0);
    EXPECT_EQ(g_strServerIni, m_folder->file(QStringLiteral("ServerInfo.ini")));
    EXPECT_EQ(g_strAccountIni, m_folder->file(QStringLiteral("SN_0001.ini")));
}

TEST_F(StartWindowTest, NeitherKeysNorCloseBoxEndIt) {
    CdlgStartWnd window; // no OEM picture: a plain size of its own
    EXPECT_FALSE(window.size().isEmpty());
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::FramelessWindowHint));
    window.show();
    for (int key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter}) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(&window, &press);
        EXPECT_TRUE(window.isVisible()) << key;
    }
    EXPECT_FALSE(window.close()); // the close box and Alt+F4 arrive as a close
    EXPECT_TRUE(window.isVisible());
    window.hide();
}

// Runs the start window modally and answers its login dialog with `answer`.
class StartWindowRunTest : public StartWindowTest {
protected:
    int runStartWindow(CdlgStartWnd& window, const std::function<void(CDlgModifyLogPW&)>& answer) {
        QTimer watcher;
        watcher.setInterval(20);
        QObject::connect(&watcher, &QTimer::timeout, [&] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                auto* login = qobject_cast<CDlgModifyLogPW*>(w);
                if (login && login->isVisible() && !m_loginSeen) {
                    m_loginSeen = true;
                    answer(*login);
                }
            }
        });
        // A test that goes wrong fails instead of waiting for ever.
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, [&] {
            ADD_FAILURE() << "the start window did not end";
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* login = qobject_cast<CDlgModifyLogPW*>(w); login && login->isVisible())
                    login->done(0);
            window.done(-1);
        });
        watcher.start();
        guard.start(20000);
        return window.exec();
    }
    bool m_loginSeen = false;
};

TEST_F(StartWindowRunTest, WaitingUpdateEndsWithoutLogin) {
    writeStub(QStringLiteral("Brannock"), "updater", kExecutable);
    writeIni("CsqxConfig.ini", "Update", "HaveNew", QStringLiteral("1"));
    CdlgStartWnd window;
    EXPECT_EQ(runStartWindow(window, [](CDlgModifyLogPW& login) { login.close(); }), 1002);
    EXPECT_FALSE(m_loginSeen);
    EXPECT_EQ(window.takeLoginResult(), nullptr);
    EXPECT_EQ(waitForStub().size(), 3); // run, the address, the folder: no "/hide"
}

TEST_F(StartWindowRunTest, CancelledLoginEndsWith1002) {
    // An update waits but the updater is missing: the login follows.
    writeIni("CsqxConfig.ini", "Update", "HaveNew", QStringLiteral("1"));
    CdlgStartWnd window;
    EXPECT_EQ(runStartWindow(window, [](CDlgModifyLogPW& login) { login.close(); }), 1002);
    EXPECT_TRUE(m_loginSeen);
    EXPECT_EQ(window.takeLoginResult(), nullptr);
    EXPECT_TRUE(window.serverAddresses().isEmpty());
}

TEST_F(StartWindowRunTest, LoginEndsWith1003WithRightsAndServerList) {
    Exec("INSERT INTO serverAddress (disName, address) VALUES ('服务器2', 'http://h2/webservice.asmx'),"
         " ('服务器1', 'http://h1:8060/webservice.asmx')");
    CdlgStartWnd window;
    // The administrator with the empty initial password.
    const int result = runStartWindow(window, [](CDlgModifyLogPW& login) {
        auto* ok = login.findChild<QPushButton*>(QStringLiteral("1"));
        ASSERT_NE(ok, nullptr);
        ok->click();
    });
    EXPECT_EQ(result, 1003);
    EXPECT_TRUE(m_loginSeen);
    const std::unique_ptr<QStringList> rights = window.takeLoginResult();
    ASSERT_NE(rights, nullptr);
    ASSERT_FALSE(rights->isEmpty());
    EXPECT_EQ(rights->front(), QStringLiteral("AD"));
    EXPECT_EQ(window.serverAddresses(), (QStringList{QStringLiteral("http://h1:8060/webservice.asmx"),
                                                     QStringLiteral("http://h2/webservice.asmx")}));
}

} // namespace
