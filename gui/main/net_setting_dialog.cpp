#include "gui/main/net_setting_dialog.h"

#include "core/account.h"
#include "core/convert.h"
#include "core/database.h"
#include "core/deployment.h"
#include "core/log.h"
#include "core/string_table.h"
#include "gui/main/test_speed_dialog.h"
#include "platform/msgbox.h"
#include "service/service_state.h"
#include "service/web_service_client.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace {

constexpr int kResultServerChosen = 1003;

QPushButton* Button(QWidget* parent, const char* id, const QString& text) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(id));
    b->setAutoDefault(false);
    return b;
}

QLineEdit* Edit(QWidget* parent, const char* id) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QLatin1String(id));
    return e;
}

} // namespace

void ApplyProxyInfo(const ProxyInfo& info) {
    if (info.agency != 0)
        SetProxySettings(UnicodeToUtf8(info.server).c_str(), ProxyPortNumber(info.port),
                         UnicodeToUtf8(info.userName).c_str(), UnicodeToUtf8(info.passwd).c_str());
    else
        SetProxySettings(nullptr, 0, nullptr, nullptr);
}

void ReapplyProxyInfoFile() {
    ApplyProxyInfo(ReadProxyInfo());
}

bool UseServerAddress(const QString& address) {
    const QString endpoint = NormaliseEndpoint(address);
    if (!WriteDefaultAddress(endpoint))
        return false;
    SetServiceUrl(UnicodeToUtf8(endpoint));
    return true;
}

CDlgNetSetting::CDlgNetSetting(QWidget* parent, PickGenerator picks)
    : QDialog(parent), m_pickGenerator(std::move(picks)) {
    setObjectName(QStringLiteral("CDlgNetSetting"));
    setWindowTitle(tr("网络设置"));

    m_serverCombo = new QComboBox(this);
    m_serverCombo->setObjectName(QStringLiteral("51044"));
    auto* getServer = Button(this, "1005", tr("获取服务器"));
    auto* testSpeed = Button(this, "1003", tr("测试速度"));
    auto* advice = new QLabel(tr("注：正常情况下不建议手动选择服务器，只有在无法正常使用的时候才选择"), this);
    advice->setObjectName(QStringLiteral("1092"));
    advice->setWordWrap(true);
    advice->setStyleSheet(QStringLiteral("color: red;"));

    m_useProxy = new QCheckBox(tr("使用代理服务器"), this);
    m_useProxy->setObjectName(QStringLiteral("1010"));
    m_proxyType = new QComboBox(this);
    m_proxyType->setObjectName(QStringLiteral("21040"));
    m_proxyServer = Edit(this, "21015");
    m_proxyPort = Edit(this, "31016");
    // A port is a number; anything else would silently mean "no proxy".
    m_proxyPort->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,5}")), m_proxyPort));
    m_proxyUser = Edit(this, "31017");
    m_proxyPasswd = Edit(this, "31018");
    m_proxyPasswd->setEchoMode(QLineEdit::Password);
    m_testConnection = Button(this, "1036", tr("测试连接"));

    // Kept for the layout of the settings page; never shown or used.
    auto* packetSize = new QComboBox(this);
    packetSize->setObjectName(QStringLiteral("31045"));
    packetSize->hide();
    auto* help = new QLabel(this);
    help->setObjectName(QStringLiteral("1119"));
    help->hide();
    auto* hiddenCheck = new QCheckBox(this);
    hiddenCheck->setObjectName(QStringLiteral("1011"));
    hiddenCheck->hide();

    auto* ok = Button(this, "1", tr("确定"));
    ok->setDefault(true);
    auto* cancel = Button(this, "2", tr("取消"));

    auto* serverRow = new QHBoxLayout;
    serverRow->addWidget(new QLabel(tr("请选择服务器:"), this));
    serverRow->addWidget(m_serverCombo, 1);
    serverRow->addWidget(getServer);
    serverRow->addWidget(testSpeed);

    auto* proxyBox = new QGroupBox(this);
    auto* proxyGrid = new QGridLayout(proxyBox);
    proxyGrid->addWidget(m_useProxy, 0, 0, 1, 2);
    proxyGrid->addWidget(m_proxyType, 0, 2);
    proxyGrid->addWidget(new QLabel(tr("服务器:"), proxyBox), 1, 0);
    proxyGrid->addWidget(m_proxyServer, 1, 1);
    proxyGrid->addWidget(new QLabel(tr("端口:"), proxyBox), 1, 2);
    proxyGrid->addWidget(m_proxyPort, 1, 3);
    proxyGrid->addWidget(new QLabel(tr("用户名:"), proxyBox), 2, 0);
    proxyGrid->addWidget(m_proxyUser, 2, 1);
    proxyGrid->addWidget(new QLabel(tr("密码:"), proxyBox), 2, 2);
    proxyGrid->addWidget(m_proxyPasswd, 2, 3);
    proxyGrid->addWidget(m_testConnection, 3, 3);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(serverRow);
    layout->addWidget(advice);
    layout->addWidget(proxyBox);
    layout->addWidget(packetSize);
    layout->addWidget(help);
    layout->addWidget(hiddenCheck);
    layout->addLayout(buttons);

    connect(getServer, &QPushButton::clicked, this, &CDlgNetSetting::OnGetServer);
    connect(testSpeed, &QPushButton::clicked, this, &CDlgNetSetting::OnTestSpeed);
    connect(m_useProxy, &QCheckBox::clicked, this, &CDlgNetSetting::OnUseProxy);
    connect(m_testConnection, &QPushButton::clicked, this, &CDlgNetSetting::OnTestConnection);
    connect(ok, &QPushButton::clicked, this, &CDlgNetSetting::OnOK);
    connect(cancel, &QPushButton::clicked, this, &CDlgNetSetting::OnCancel);

    OnInitDialog();
}

CDlgNetSetting::~CDlgNetSetting() = default;

void CDlgNetSetting::OnInitDialog() {
    const ServerPicks picks = DrawServerPicks(m_pickGenerator);
    m_nPick1 = picks.first;
    m_nPick2 = picks.second;
    FillServerList();

    m_proxyType->clear();
    m_proxyType->addItem(QStringLiteral("HTTP"));
    m_proxyType->setCurrentIndex(0);

    const ProxyInfo info = ReadProxyInfo();
    m_useProxy->setChecked(info.agency != 0);
    m_proxyServer->setText(info.server);
    m_proxyPort->setText(info.port);
    m_proxyUser->setText(info.userName);
    m_proxyPasswd->setText(info.passwd);
    enableProxyControls(info.agency != 0);
}

void CDlgNetSetting::FillServerList() {
    m_serverCombo->clear();
    const ServerChoice choice = LoadServerChoice(
        g_pDB, {m_nPick1, m_nPick2}, DeploymentValue(DeploymentKey::MainEndpoint), ReadDefaultAddress());
    m_addresses = choice.addresses;
    m_names = choice.names;
    m_nSelected = choice.selected;
    m_nRow = choice.rowsRead;
    for (int i = 0; i < m_names.size(); ++i)
        m_serverCombo->addItem(tr("服务器%d").replace(QLatin1String("%d"), QString::number(i + 1)));
    m_serverCombo->addItem(tr("主地址"));
    m_serverCombo->setCurrentIndex(m_nSelected);
}

void CDlgNetSetting::OnGetServer() {
    const AccountFields account = g_pAccount.get();
    if (account[kAccountSerial].isEmpty()) {
        FillServerList();
        return;
    }
    QStringList servers;
    {
        CWebServiceClient client(account[kAccountSerial], account[kAccountPassword]);
        client.CallGetAllInfo2Test(servers);
    }
    // A list that could not be stored counts as a failed fetch: the old list stays.
    if (servers.isEmpty() || !StoreServerList(g_pDB, servers))
        ShowMessageBox(LoadStr(232), mb::Ok | mb::IconWarning);
    else
        ShowMessageBox(LoadStr(231), mb::Ok | mb::IconInformation);
    FillServerList();
}

void CDlgNetSetting::OnTestSpeed() {
    CDlgTestSpeed dlg(&m_addresses, this);
    if (dlg.exec() == kResultServerChosen)
        done(kResultServerChosen);
}

void CDlgNetSetting::OnUseProxy() {
    enableProxyControls(m_useProxy->isChecked());
}

void CDlgNetSetting::OnTestConnection() {
    const ProxyInfo info = proxyFromControls();
    if (info.server.isEmpty()) {
        ShowMessageBox(LoadStr(234), mb::Ok | mb::IconWarning);
        return;
    }
    if (info.port.isEmpty()) {
        ShowMessageBox(LoadStr(235), mb::Ok | mb::IconWarning);
        return;
    }
    // In force until OK stores it or Cancel puts the file's proxy back.
    if (info.agency != 0)
        ApplyProxyInfo(info);
    const AccountFields account = g_pAccount.get();
    CWebServiceClient client(account[kAccountSerial], account[kAccountPassword]);
    if (client.CallGetStatus() == kResultNetworkFailure)
        ShowMessageBox(LoadStr(237), mb::Ok | mb::IconWarning);
    else
        ShowMessageBox(LoadStr(236), mb::Ok | mb::IconInformation);
}

void CDlgNetSetting::OnOK() {
    const int selected = m_serverCombo->currentIndex();
    if (selected < 0 || selected >= m_addresses.size()) {
        ShowMessageBox(LoadStr(233), mb::Ok | mb::IconWarning);
        return;
    }
    // Everything is checked before anything changes, so a refusal leaves the
    // endpoint, the proxy and both files as they were.
    const ProxyInfo info = proxyFromControls();
    if (info.agency != 0 && info.server.isEmpty()) {
        ShowMessageBox(LoadStr(234), mb::Ok | mb::IconWarning);
        return;
    }
    if (info.agency != 0 && info.port.isEmpty()) {
        ShowMessageBox(LoadStr(235), mb::Ok | mb::IconWarning);
        return;
    }
    if (!SaveProxyInfo(info) || !UseServerAddress(m_addresses[selected])) {
        ShowMessageBox(tr("保存网络设置失败!"), mb::Ok | mb::IconWarning);
        return;
    }
    ApplyProxyInfo(info);
    ShowMessageBox(LoadStr(193), mb::Ok | mb::IconInformation);
    done(kResultServerChosen);
}

void CDlgNetSetting::OnCancel() {
    // Undoes a proxy the connection test put in force.
    ReapplyProxyInfoFile();
    done(IDCANCEL);
}

void CDlgNetSetting::reject() {
    OnCancel();
}

ProxyInfo CDlgNetSetting::proxyFromControls() const {
    ProxyInfo info;
    info.agency = m_useProxy->isChecked() ? 1 : 0;
    info.server = m_proxyServer->text();
    info.port = m_proxyPort->text();
    info.userName = m_proxyUser->text();
    info.passwd = m_proxyPasswd->text();
    return info;
}

void CDlgNetSetting::enableProxyControls(bool enable) {
    for (QWidget* w : {static_cast<QWidget*>(m_testConnection), static_cast<QWidget*>(m_proxyType),
                       static_cast<QWidget*>(m_proxyServer), static_cast<QWidget*>(m_proxyPort),
                       static_cast<QWidget*>(m_proxyUser), static_cast<QWidget*>(m_proxyPasswd)})
        w->setEnabled(enable);
}
