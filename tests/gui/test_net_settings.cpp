// Network settings and the server speed test: the endpoint rules, the offered
// rows of the server list, storing the service's list, ProxyInfo.ini, and the
// two dialogs against loopback messaging services and a loopback proxy.
#include "core/account.h"
#include "core/database.h"
#include "core/deployment.h"
#include "core/net_settings.h"
#include "core/sql.h"
#include "core/string_table.h"
#include "gui/main/app_control.h"
#include "gui/main/net_setting_dialog.h"
#include "gui/main/service_password_dialog.h"
#include "gui/main/test_speed_dialog.h"
#include "platform/ini.h"
#include "service/service_state.h"
#include "tests/support/dialog_driver.h"
#include "tests/support/raw_http_peer.h"
#include "tests/support/service_fixture.h"
#include "tests/support/test_helpers.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <ostream>
#include <utility>
#include <vector>

// Readable failure messages; internal, so no other test program's printer is affected.
static void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace {

using Rows = std::vector<std::pair<QString, QString>>;

Rows ServerRows() {
    Rows rows;
    SqlStatement st(g_pDB, "SELECT disName,address FROM serverAddress ORDER BY rowid");
    while (st.step() == SQLITE_ROW)
        rows.emplace_back(st.qtext(0), st.qtext(1));
    return rows;
}

void InsertServerRows(const Rows& rows) {
    SqlStatement st(g_pDB, "INSERT INTO serverAddress (disName,address) VALUES (?1,?2)");
    for (const auto& [name, address] : rows) {
        st.bind(1, name).bind(2, address);
        ASSERT_EQ(st.exec(), SQLITE_OK);
    }
}

// Rows "服务器1".."服务器<n>" at "http://s<i>.test/webservice.asmx"; they sort as numbered.
Rows NumberedRows(int n) {
    Rows rows;
    for (int i = 1; i <= n; ++i)
        rows.emplace_back(QStringLiteral("服务器%1").arg(i),
                          QStringLiteral("http://s%1.test/webservice.asmx").arg(i));
    return rows;
}

PickGenerator Always(unsigned value) {
    return [value] { return value; };
}

mode_t FileMode(const QString& path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}
} // namespace

// ------------------------------------------------------------ plain logic

TEST(NetSettings, EndpointAndServerListNormalisation) {
    const struct {
        QString in;
        QString endpoint; // NormaliseEndpoint
        QString stored;   // ServerListEntryAddress
    } cases[] = {
        {"h1:80", "http://h1:8060/webservice.asmx", "http://h1:8060/webservice.asmx"},
        {"h2", "http://h2:8060/webservice.asmx", "http://h2/webservice.asmx"},
        {"a:b:c", "http://a:8060/webservice.asmx", "http://a:8060/webservice.asmx"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.in.toStdString());
        EXPECT_EQ(NormaliseEndpoint(c.in), c.endpoint);
        EXPECT_EQ(ServerListEntryAddress(c.in), c.stored);
    }
    EXPECT_EQ(NormaliseEndpoint("http://x:81/webservice.asmx"), "http://x:81/webservice.asmx");
}

TEST(NetSettings, PicksAreRowNumbersBelowEight) {
    std::vector<unsigned> values{13, 21, 0xFFFFFFFFu, 7};
    size_t next = 0;
    const PickGenerator gen = [&] { return values[next++]; };
    const ServerPicks a = DrawServerPicks(gen);
    EXPECT_EQ(a.first, 5);
    EXPECT_EQ(a.second, 5);
    const ServerPicks b = DrawServerPicks(gen);
    EXPECT_EQ(b.first, 7);
    EXPECT_EQ(b.second, 7);
    for (int i = 0; i < 50; ++i) {
        const ServerPicks p = DrawServerPicks({});
        EXPECT_TRUE(p.first >= 0 && p.first < 8 && p.second >= 0 && p.second < 8);
    }
}

class NetSettingsDb : public ProgramFolderTest {};

TEST_F(NetSettingsDb, TheOfferedRowsAreThePickedOnesThenTheMainAddress) {
    InsertServerRows(NumberedRows(9));
    const QString main = QStringLiteral("http://main.test:8060/webservice.asmx");
    const auto addr = [](int i) { return QStringLiteral("http://s%1.test/webservice.asmx").arg(i); };
    const struct {
        const char* name;
        ServerPicks picks;
        QString defaultAddress;
        QStringList addresses;
        int selected;
    } cases[] = {
        {"two rows", {1, 4}, addr(5), {addr(2), addr(5), main}, 1},
        {"equal picks", {3, 3}, QString(), {addr(4), main}, -1},
        {"main chosen", {0, 7}, main, {addr(1), addr(8), main}, 2},
        {"unmatched",
         {0, 1},
         QStringLiteral("http://gone.test/webservice.asmx"),
         {addr(1), addr(2), main},
         -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ServerChoice choice = LoadServerChoice(g_pDB, c.picks, main, c.defaultAddress);
        EXPECT_EQ(choice.addresses, c.addresses);
        EXPECT_EQ(choice.names.size(), c.addresses.size() - 1);
        EXPECT_EQ(choice.selected, c.selected);
        EXPECT_EQ(choice.rowsRead, 9);
    }
    // Picks beyond a short list leave only the main address.
    ASSERT_EQ(ExecSql(nullptr, g_pDB, "DELETE FROM serverAddress WHERE rowid > 2"), SQLITE_OK);
    EXPECT_EQ(LoadServerChoice(g_pDB, {5, 6}, main, QString()).addresses, QStringList{main});
}

TEST_F(NetSettingsDb, AFailedStoreKeepsTheOldList) {
    InsertServerRows({{"服务器1", "http://old.test/webservice.asmx"}});
    ASSERT_EQ(ExecSql(nullptr, g_pDB,
                      "CREATE TRIGGER refuse BEFORE INSERT ON serverAddress WHEN NEW.disName='服务器2' "
                      "BEGIN SELECT RAISE(ABORT,'refused'); END"),
              SQLITE_OK);
    EXPECT_FALSE(StoreServerList(g_pDB, {"h1", "h2"}));
    EXPECT_EQ(ServerRows(), (Rows{{"服务器1", "http://old.test/webservice.asmx"}}));
    EXPECT_TRUE(runLog().contains(QStringLiteral("MY ERROR:写服务器地址出错了")));

    // Blank entries are skipped but keep the numbering of the service's list.
    EXPECT_TRUE(StoreServerList(g_pDB, {"h1", "", "h3"}));
    EXPECT_EQ(ServerRows(),
              (Rows{{"服务器1", "http://h1/webservice.asmx"}, {"服务器3", "http://h3/webservice.asmx"}}));
}

// Both files change together or not at all; each file is replaced once.
TEST_F(NetSettingsDb, NetworkSettingsAreSavedAsOneChange) {
    m_folder->writeFile("ProxyInfo.ini", "; mine\n[NetSetting]\nAgency=0\nServer=old\n");
    m_folder->writeFile("ServerInfo.ini", "[ServerAddress]\ndefaultAddress=http://old/webservice.asmx\n");
    const QByteArray proxyBefore = m_folder->readFile("ProxyInfo.ini");
    const QByteArray serverBefore = m_folder->readFile("ServerInfo.ini");
    const ProxyInfo info{1, "127.0.0.1", "3128", "user", "pw"};
    const QString endpoint = QStringLiteral("http://new:8060/webservice.asmx");

    struct Case {
        const char* name;
        int failingCall; // the rename that fails (1 the proxy file, 2 the server file)
    };
    for (const Case c : {Case{"first rename fails", 1}, Case{"second rename fails", 2}}) {
        SCOPED_TRACE(c.name);
        int calls = 0;
        SetSettingsRenameForTests([&](const char* from, const char* to) {
            return ++calls == c.failingCall ? -1 : ::rename(from, to);
        });
        EXPECT_FALSE(SaveNetworkSettings(info, endpoint));
        SetSettingsRenameForTests(nullptr);
        EXPECT_EQ(m_folder->readFile("ProxyInfo.ini"), proxyBefore);
        EXPECT_EQ(m_folder->readFile("ServerInfo.ini"), serverBefore);
        // No temporary or roll-back copy is left behind.
        EXPECT_EQ(QDir(m_folder->path()).entryList({QStringLiteral("*.ini*")}, QDir::Files),
                  (QStringList{QStringLiteral("ProxyInfo.ini"), QStringLiteral("ServerInfo.ini")}));
    }

    int renames = 0;
    SetSettingsRenameForTests([&](const char* from, const char* to) {
        ++renames;
        return ::rename(from, to);
    });
    EXPECT_TRUE(SaveNetworkSettings(info, endpoint));
    SetSettingsRenameForTests(nullptr);
    EXPECT_EQ(renames, 2); // one replacement per file, all keys at once
    EXPECT_EQ(ReadDefaultAddress(), endpoint);
    const ProxyInfo back = ReadProxyInfo();
    EXPECT_EQ(back.agency, 1);
    EXPECT_EQ(back.server, "127.0.0.1");
    EXPECT_EQ(back.passwd, "pw");
    EXPECT_TRUE(m_folder->readFile("ProxyInfo.ini").startsWith("; mine"));
    EXPECT_EQ(FileMode(ProxyInfoPath()), 0600);
}

TEST_F(NetSettingsDb, ProxyInfoIsOwnerOnlyAndStaysSo) {
    const QString path = ProxyInfoPath();
    const ProxyInfo info{1, "127.0.0.1", "3128", "user", "pass'word"};
    ASSERT_TRUE(SaveProxyInfo(info));
    EXPECT_EQ(FileMode(path), 0600);
    ASSERT_TRUE(SaveProxyInfo({0, "h", "1", "u2", "p2"}));
    EXPECT_EQ(FileMode(path), 0600);
    const ProxyInfo back = ReadProxyInfo();
    EXPECT_EQ(back.agency, 0);
    EXPECT_EQ(back.passwd, "p2");

    // A file an older installation left readable by everybody is closed first.
    m_folder->writeFile("ProxyInfo.ini", "; kept\n[NetSetting]\nAgency=1x\nPasswd=old\n");
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0644), 0);
    EXPECT_EQ(ReadProxyInfo().agency, 1);
    ASSERT_TRUE(SaveProxyInfo(info));
    EXPECT_EQ(FileMode(path), 0600);
    EXPECT_TRUE(m_folder->readFile("ProxyInfo.ini").startsWith("; kept"));
    EXPECT_EQ(ReadProxyInfo().passwd, "pass'word");
}

// ------------------------------------------------------------ network settings dialog

class NetSettingDialog : public ServiceTest {
protected:
    QString serverIni() const { return m_folder->file("ServerInfo.ini"); }
    QString mainEndpoint() const { return DeploymentValue(DeploymentKey::MainEndpoint); }
    void setDefaultAddress(const QString& a) const {
        ini::WriteString(serverIni(), "ServerAddress", "defaultAddress", a);
    }
    QString defaultAddress() const { return ini::ReadString(serverIni(), "ServerAddress", "defaultAddress"); }
};

TEST_F(NetSettingDialog, EqualPicksOfferOneServerAndTheMainAddress) {
    InsertServerRows(NumberedRows(5));
    setDefaultAddress(mainEndpoint());
    CDlgNetSetting dlg(nullptr, Always(11)); // 11 mod 8: row 3 twice
    auto* combo = Child<QComboBox>(dlg, "51044");
    ASSERT_EQ(combo->count(), 2);
    EXPECT_EQ(combo->itemText(0), "服务器1");
    EXPECT_EQ(combo->itemText(1), "主地址");
    EXPECT_EQ(combo->currentIndex(), 1);
    EXPECT_EQ(dlg.addresses(), (QStringList{"http://s4.test/webservice.asmx", mainEndpoint()}));
    EXPECT_EQ(Child<QComboBox>(dlg, "21040")->itemText(0), "HTTP");
    EXPECT_FALSE(Child<QPushButton>(dlg, "1036")->isEnabled());
}

TEST_F(NetSettingDialog, GetServerStoresTheServiceListThroughBoundValues) {
    InsertServerRows({{"服务器1", "http://old.test/webservice.asmx"}});
    m_main->script("GetAllInfo2",
                   LoopbackAnswer::Registry({{"RESULT", "0"}, {"SLIST", "h1:80,h2,o'brien:1"}}));
    CDlgNetSetting dlg(nullptr, Always(0));
    Child<QPushButton>(dlg, "1005")->click();

    EXPECT_EQ(ServerRows(), (Rows{{"服务器1", "http://h1:8060/webservice.asmx"},
                                  {"服务器2", "http://h2/webservice.asmx"},
                                  {"服务器3", "http://o'brien:8060/webservice.asmx"}}));
    EXPECT_EQ(m_boxes->texts(), QStringList{LoadStr(231)});
    // The combo is filled again from the new list.
    EXPECT_EQ(dlg.addresses(), (QStringList{"http://h1:8060/webservice.asmx", mainEndpoint()}));
    ASSERT_EQ(m_main->calls("GetAllInfo2").size(), 1u);
    EXPECT_EQ(m_main->calls("GetAllInfo2")[0].field("sn"), kSerial);
}

TEST_F(NetSettingDialog, GetServerWithoutAListKeepsTheOldOne) {
    const Rows old{{"服务器1", "http://old.test/webservice.asmx"}};
    InsertServerRows(old);
    m_main->script("GetAllInfo2", LoopbackAnswer::Registry({{"RESULT", "0"}}));
    CDlgNetSetting dlg(nullptr, Always(0));
    Child<QPushButton>(dlg, "1005")->click();
    EXPECT_EQ(ServerRows(), old);
    EXPECT_EQ(m_boxes->texts(), QStringList{LoadStr(232)});

    // Without a serial number nothing is asked.
    g_pAccount.setField(kAccountSerial, QString());
    m_boxes->clear();
    Child<QPushButton>(dlg, "1005")->click();
    EXPECT_EQ(m_main->calls("GetAllInfo2").size(), 1u);
    EXPECT_TRUE(m_boxes->texts().isEmpty());
}

TEST_F(NetSettingDialog, AnUnmatchedDefaultAddressSelectsNothingAndOkRefuses) {
    InsertServerRows(NumberedRows(2));
    setDefaultAddress("http://gone.test:8060/webservice.asmx");
    CDlgNetSetting dlg(nullptr, Always(0));
    EXPECT_EQ(Child<QComboBox>(dlg, "51044")->currentIndex(), -1);
    Child<QPushButton>(dlg, "1")->click();
    EXPECT_EQ(m_boxes->texts(), QStringList{LoadStr(233)});
    EXPECT_EQ(dlg.result(), 0);
    EXPECT_FALSE(QFile::exists(ProxyInfoPath()));
    EXPECT_EQ(ServiceUrl(), "");
}

TEST_F(NetSettingDialog, OkRefusesACheckedProxyWithoutServerOrPortAndWritesNothing) {
    const struct {
        const char* server;
        const char* port;
        int message;
    } cases[] = {{"", "3128", 234}, {"127.0.0.1", "", 235}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        m_boxes->clear();
        CDlgNetSetting dlg(nullptr, Always(0));
        Child<QComboBox>(dlg, "51044")->setCurrentIndex(0);
        Child<QCheckBox>(dlg, "1010")->click();
        Child<QLineEdit>(dlg, "21015")->setText(c.server);
        Child<QLineEdit>(dlg, "31016")->setText(c.port);
        Child<QPushButton>(dlg, "1")->click();
        EXPECT_EQ(m_boxes->texts(), QStringList{LoadStr(c.message)});
        EXPECT_EQ(dlg.result(), 0);
        EXPECT_FALSE(QFile::exists(ProxyInfoPath()));
        EXPECT_EQ(defaultAddress(), "");
        EXPECT_EQ(ServiceUrl(), "");
        EXPECT_EQ(CurrentServiceSettings().proxyPort, 0);
    }
}

TEST_F(NetSettingDialog, OkStoresAndAppliesTheChoice) {
    InsertServerRows({{"服务器1", "h9:80"}}); // an old row without a scheme
    CDlgNetSetting dlg(nullptr, Always(0));
    Child<QComboBox>(dlg, "51044")->setCurrentIndex(0);
    Child<QCheckBox>(dlg, "1010")->click();
    Child<QLineEdit>(dlg, "21015")->setText("127.0.0.1");
    Child<QLineEdit>(dlg, "31016")->setText("3128");
    Child<QLineEdit>(dlg, "31017")->setText("user");
    Child<QLineEdit>(dlg, "31018")->setText("pw");
    Child<QPushButton>(dlg, "1")->click();

    EXPECT_EQ(dlg.result(), 1003);
    EXPECT_EQ(m_boxes->texts(), QStringList{LoadStr(193)});
    EXPECT_EQ(ServiceUrl(), "http://h9:8060/webservice.asmx");
    EXPECT_EQ(defaultAddress(), "http://h9:8060/webservice.asmx");
    const ServiceSettings s = CurrentServiceSettings();
    EXPECT_EQ(s.proxyHost, "127.0.0.1");
    EXPECT_EQ(s.proxyPort, 3128);
    EXPECT_EQ(s.proxyUser, "user");
    EXPECT_EQ(s.proxyPwd, "pw");
    EXPECT_EQ(FileMode(ProxyInfoPath()), 0600);
    const ProxyInfo file = ReadProxyInfo();
    EXPECT_EQ(file.agency, 1);
    EXPECT_EQ(file.port, "3128");
    EXPECT_EQ(file.passwd, "pw");

    // Unchecked, empty fields are accepted and no proxy is used.
    m_boxes->clear();
    CDlgNetSetting again(nullptr, Always(0));
    EXPECT_TRUE(Child<QCheckBox>(again, "1010")->isChecked());
    Child<QCheckBox>(again, "1010")->click();
    Child<QLineEdit>(again, "21015")->clear();
    Child<QLineEdit>(again, "31016")->clear();
    Child<QComboBox>(again, "51044")->setCurrentIndex(1);
    Child<QPushButton>(again, "1")->click();
    EXPECT_EQ(again.result(), 1003);
    EXPECT_EQ(CurrentServiceSettings().proxyPort, 0);
    EXPECT_EQ(ReadProxyInfo().agency, 0);
    EXPECT_EQ(Q(ServiceUrl()), mainEndpoint());
    EXPECT_EQ(FileMode(ProxyInfoPath()), 0600);
}

TEST_F(NetSettingDialog, OkStaysOpenWhenTheSettingsCannotBeSaved) {
    m_folder->writeFile("ProxyInfo.ini", "[NetSetting]\nAgency=0\n");
    ASSERT_EQ(::chmod(QFile::encodeName(ProxyInfoPath()).constData(), 0400), 0);
    CDlgNetSetting dlg(nullptr, Always(0));
    Child<QComboBox>(dlg, "51044")->setCurrentIndex(0);
    Child<QPushButton>(dlg, "1")->click();
    EXPECT_EQ(dlg.result(), 0);
    ASSERT_EQ(m_boxes->texts().size(), 1);
    EXPECT_NE(m_boxes->texts()[0], LoadStr(193));
    EXPECT_EQ(ServiceUrl(), "");
}

TEST_F(NetSettingDialog, CancelAfterTestConnectionRestoresTheFilesProxy) {
    const int filePort = ClosedLoopbackPort();
    const struct {
        const char* name;
        bool fileAgency;
        int portAfterCancel;
    } cases[] = {{"file without proxy", false, 0}, {"file with another proxy", true, filePort}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        m_boxes->clear();
        ASSERT_TRUE(
            SaveProxyInfo({c.fileAgency ? 1 : 0, "127.0.0.1", QString::number(filePort), "fu", "fp"}));
        ApplyProxyInfo(ReadProxyInfo());
        RawHttpPeer proxy;
        proxy.setReply({RawHttpPeer::SoapResultAnswer("GetStatus", "0")});

        CDlgNetSetting dlg(nullptr, Always(0));
        auto* box = Child<QCheckBox>(dlg, "1010");
        EXPECT_EQ(box->isChecked(), c.fileAgency);
        if (!c.fileAgency)
            box->click();
        Child<QLineEdit>(dlg, "31016")->setText(QString::number(proxy.port()));
        Child<QPushButton>(dlg, "1036")->click();
        EXPECT_EQ(m_boxes->texts(), QStringList{LoadStr(236)});
        const auto requests = proxy.requests();
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(RequestLine(requests[0]), "POST " + m_main->url() + " HTTP/1.1");
        EXPECT_EQ(CurrentServiceSettings().proxyPort, proxy.port());

        Child<QPushButton>(dlg, "2")->click();
        EXPECT_EQ(dlg.result(), IDCANCEL);
        EXPECT_EQ(CurrentServiceSettings().proxyPort, c.portAfterCancel);
        EXPECT_TRUE(m_main->calls("GetStatus").empty());
    }
}

TEST_F(NetSettingDialog, TestConnectionChecksTheFieldsAndReportsAFailedProxy) {
    CDlgNetSetting dlg(nullptr, Always(0));
    Child<QCheckBox>(dlg, "1010")->click();
    auto* server = Child<QLineEdit>(dlg, "21015");
    auto* port = Child<QLineEdit>(dlg, "31016");
    auto* test = Child<QPushButton>(dlg, "1036");
    test->click();
    server->setText("127.0.0.1");
    test->click();
    EXPECT_EQ(m_boxes->texts(), (QStringList{LoadStr(234), LoadStr(235)}));
    EXPECT_EQ(CurrentServiceSettings().proxyPort, 0);

    m_boxes->clear();
    port->setText(QString::number(ClosedLoopbackPort()));
    test->click();
    ASSERT_FALSE(m_boxes->texts().isEmpty());
    EXPECT_EQ(m_boxes->texts().last(), LoadStr(237));
    EXPECT_TRUE(m_main->calls("GetStatus").empty());
}

// ------------------------------------------------------------ speed test

class TestSpeedDialog : public NetSettingDialog {
protected:
    static bool Finish(CDlgTestSpeed& dlg) {
        return WaitUntil([&] { return !dlg.isTesting(); }, std::chrono::seconds(20));
    }
    static QString Cell(CDlgTestSpeed& dlg, int row, int column) {
        const QTableWidgetItem* item = Child<QTableWidget>(dlg, "1014")->item(row, column);
        return item ? item->text() : QString("(none)");
    }
};

TEST_F(TestSpeedDialog, TheLiveServerIsFastestAndTheRefusedNever) {
    const QStringList addresses{Q(ClosedEndpoint()), Q(m_main->url())};
    CDlgTestSpeed dlg(&addresses);
    auto* start = Child<QPushButton>(dlg, "1118");
    auto* use = Child<QPushButton>(dlg, "31006");
    start->click();
    EXPECT_FALSE(start->isEnabled());
    EXPECT_FALSE(use->isEnabled());
    ASSERT_TRUE(Finish(dlg));
    EXPECT_TRUE(start->isEnabled());
    EXPECT_TRUE(use->isEnabled());

    using C = CDlgTestSpeed;
    EXPECT_EQ(Cell(dlg, 0, C::ColServer), "服务器1");
    EXPECT_EQ(Cell(dlg, 0, C::ColNote), "");
    EXPECT_EQ(Cell(dlg, 0, C::ColResponse), "超时");
    EXPECT_EQ(Cell(dlg, 0, C::ColResult), "失败");
    EXPECT_EQ(Cell(dlg, 0, C::ColLatency), "超时");
    EXPECT_EQ(Cell(dlg, 1, C::ColServer), "主地址");
    EXPECT_EQ(Cell(dlg, 1, C::ColNote), "最快");
    EXPECT_EQ(Cell(dlg, 1, C::ColResult), "成功");
    EXPECT_GT(Cell(dlg, 1, C::ColResponse).toInt(), 0);
    EXPECT_GT(Cell(dlg, 1, C::ColLatency).toInt(), 0);
    EXPECT_EQ(Child<QTableWidget>(dlg, "1014")->currentRow(), 1);

    // One call with the account, one without.
    const auto calls = m_main->calls("balance");
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].field("sn"), kSerial);
    EXPECT_EQ(calls[1].field("sn"), "");
}

TEST_F(TestSpeedDialog, WhenEveryRowFailsNoneIsMarkedAndNothingCanBeUsed) {
    const QStringList addresses{Q(ClosedEndpoint()), Q(ClosedEndpoint())};
    CDlgTestSpeed dlg(&addresses);
    Child<QPushButton>(dlg, "1118")->click();
    ASSERT_TRUE(Finish(dlg));
    for (int row = 0; row < 2; ++row)
        EXPECT_EQ(Cell(dlg, row, CDlgTestSpeed::ColNote), "");
    Child<QPushButton>(dlg, "31006")->click();
    EXPECT_EQ(m_boxes->texts(), QStringList{LoadStr(233)});
    EXPECT_EQ(dlg.result(), 0);
    EXPECT_EQ(defaultAddress(), "");
}

TEST_F(TestSpeedDialog, UsingTheFastestServerEndsBothDialogs) {
    InsertServerRows({{"服务器1", Q(ClosedEndpoint())}});
    ini::WriteString(serverIni(), "ServerAddress", "hidWnd", "0");
    CDlgNetSetting net(nullptr, Always(0));
    ASSERT_EQ(net.addresses().size(), 2);
    Child<QCheckBox>(net, "1010")->click(); // proxy fields the speed test must not save

    bool reached = false;
    QTimer::singleShot(0, &net, [&] {
        auto* speed = net.findChild<CDlgTestSpeed*>();
        if (!speed)
            return;
        reached = true;
        Child<QCheckBox>(*speed, "1010")->setChecked(true);
        Child<QPushButton>(*speed, "1118")->click();
        if (!Finish(*speed)) {
            speed->done(IDCANCEL);
            return;
        }
        EXPECT_EQ(Cell(*speed, 1, CDlgTestSpeed::ColNote), "最快");
        Child<QPushButton>(*speed, "31006")->click();
        if (speed->isVisible())
            speed->done(IDCANCEL);
    });
    net.OnTestSpeed();
    ASSERT_TRUE(reached);
    EXPECT_EQ(net.result(), 1003);
    EXPECT_EQ(Q(ServiceUrl()), mainEndpoint());
    EXPECT_EQ(defaultAddress(), mainEndpoint());
    EXPECT_EQ(ini::ReadString(serverIni(), "ServerAddress", "hidWnd"), "1");
    EXPECT_FALSE(QFile::exists(ProxyInfoPath()));
    EXPECT_EQ(CurrentServiceSettings().proxyPort, 0);
}

TEST_F(TestSpeedDialog, ClosingDuringTheTestStopsAfterTheCurrentCall) {
    m_main->script("balance", LoopbackAnswer::Text("0", 300));
    ini::WriteString(serverIni(), "ServerAddress", "hidWnd", "1");
    const QStringList addresses(6, Q(m_main->url()));
    auto dlg = std::make_unique<CDlgTestSpeed>(&addresses);
    auto* hide = Child<QCheckBox>(*dlg, "1010");
    EXPECT_TRUE(hide->isChecked());
    hide->setChecked(false);
    Child<QPushButton>(*dlg, "1118")->click();
    ASSERT_TRUE(WaitUntil([&] { return !m_main->calls("balance").empty(); }, std::chrono::seconds(5)));
    Child<QPushButton>(*dlg, "1161")->click();
    EXPECT_EQ(dlg->result(), IDOK);
    // Joined: no call is made after the close returned.
    const size_t calls = m_main->calls("balance").size();
    EXPECT_LE(calls, 2u);
    QThread::msleep(400);
    EXPECT_EQ(m_main->calls("balance").size(), calls);
    EXPECT_EQ(ini::ReadString(serverIni(), "ServerAddress", "hidWnd"), "0");
    // The rows' queued results arrive at a live window, or not at all.
    QCoreApplication::processEvents();
    dlg.reset();
    QCoreApplication::processEvents();
}

// ------------------------------------------------------------ what is stored is what is shown

TEST_F(NetSettingDialog, ProxyBoxesTakeNoMoreThanTheFileGivesBack) {
    InsertServerRows({{"服务器1", "h9:80"}});
    QString typed;
    while (typed.size() < 150)
        typed += QStringLiteral("0123456789");
    const QString kept = typed.left(kProxyValueMaxChars);
    ASSERT_EQ(kept.size(), 100);
    const char* const boxes[] = {"21015", "31017", "31018"};
    {
        CDlgNetSetting dlg(nullptr, Always(0));
        Child<QComboBox>(dlg, "51044")->setCurrentIndex(0);
        Child<QCheckBox>(dlg, "1010")->click();
        Type(Child<QLineEdit>(dlg, "31016"), QStringLiteral("3128"));
        for (const char* id : boxes) {
            Type(Child<QLineEdit>(dlg, id), typed);
            EXPECT_EQ(Child<QLineEdit>(dlg, id)->text(), kept) << id;
        }
        Click(dlg, "1");
        ASSERT_EQ(dlg.result(), 1003);
    }
    const ProxyInfo file = ReadProxyInfo();
    EXPECT_EQ(file.server, kept);
    EXPECT_EQ(file.userName, kept);
    EXPECT_EQ(file.passwd, kept);
    EXPECT_EQ(CurrentServiceSettings().proxyHost, kept.toStdString());

    // After a restart the dialog shows the same, and saving it again changes nothing.
    const QByteArray saved = m_folder->readFile(kProxyInfoFile);
    CDlgNetSetting again(nullptr, Always(0));
    for (const char* id : boxes)
        EXPECT_EQ(Child<QLineEdit>(again, id)->text(), kept) << id;
    Click(again, "1");
    EXPECT_EQ(again.result(), 1003);
    EXPECT_EQ(m_folder->readFile(kProxyInfoFile), saved);

    // A longer value written by hand is shown cut, and the cut value is what OK stores.
    ini::WriteString(ProxyInfoPath(), kNetSettingSection, "UserName", typed);
    CDlgNetSetting edited(nullptr, Always(0));
    EXPECT_EQ(Child<QLineEdit>(edited, "31017")->text(), kept);
    Click(edited, "1");
    EXPECT_EQ(edited.result(), 1003);
    EXPECT_EQ(m_folder->readFile(kProxyInfoFile), saved);
}

// ------------------------------------------------------------ "quit"

TEST_F(NetSettingDialog, QuitEndsEachDialogThroughItsOwnCancel) {
    // The file names no proxy; the connection test puts one in force that only
    // the dialog's cancel takes back.
    ini::WriteString(serverIni(), "ServerAddress", "hidWnd", "0");
    RawHttpPeer proxy;
    proxy.setReply({RawHttpPeer::SoapResultAnswer("GetStatus", "0")});
    CDlgNetSetting net(nullptr, Always(0));
    Child<QCheckBox>(net, "1010")->click();
    Child<QLineEdit>(net, "21015")->setText("127.0.0.1");
    Child<QLineEdit>(net, "31016")->setText(QString::number(proxy.port()));
    Click(net, "1036");
    ASSERT_EQ(CurrentServiceSettings().proxyPort, proxy.port());

    // The speed test opened from the settings, ticked, when "quit" arrives.
    int speedResult = -1;
    QTimer::singleShot(0, &net, [&] {
        QTimer::singleShot(0, &net, [&] {
            auto* speed = net.findChild<CDlgTestSpeed*>();
            if (!speed)
                return;
            QObject::connect(speed, &QDialog::finished, [&](int result) { speedResult = result; });
            Child<QCheckBox>(*speed, "1010")->setChecked(true);
            HandleInstanceMessage("quit");
        });
        Click(net, "1003");
        if (net.isVisible())
            net.done(-1); // quit did not end it
    });
    EXPECT_EQ(net.exec(), IDCANCEL);
    EXPECT_EQ(speedResult, IDCANCEL);
    EXPECT_TRUE(QuitRequested());
    EXPECT_EQ(CurrentServiceSettings().proxyPort, 0) << "the settings' cancel put the file's proxy back";
    EXPECT_EQ(ini::ReadString(serverIni(), "ServerAddress", "hidWnd"), "1")
        << "the speed test's cancel stored its box";
    EXPECT_FALSE(QFile::exists(ProxyInfoPath())) << "nothing saved";
    ClearQuitRequest();

    // Another dialog ends with its own cancel result, not a plain "rejected".
    CDlgModiSerPWD password;
    QTimer::singleShot(0, &password, [] { HandleInstanceMessage("quit"); });
    EXPECT_EQ(password.exec(), 1002);
    EXPECT_TRUE(m_main->calls("UDPPwd").empty());
    ClearQuitRequest();
}
