#include "gui/main/net_setting_dialog.h"

#include "core/account.h"
#include "core/convert.h"
#include "core/database.h"
#include "core/deployment.h"
#include "core/log.h"
#include "core/string_table.h"
#include "gui/main/test_speed_dialog.h"
#include "gui/widgets/widget_helpers.h"
#include "platform/msgbox.h"
#include "service/service_state.h"
#include "service/web_service_client.h"

#include "ui_net_setting_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

#include <initializer_list>

namespace {

constexpr int kResultServerChosen = 1003;

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
    : QDialog(parent), m_pickGenerator(std::move(picks)), m_ui(std::make_unique<Ui::CDlgNetSetting>()) {
    m_ui->setupUi(this);
    ApplyControlIds(this);

    // A port is a number; anything else would silently mean "no proxy".
    m_ui->proxyPort->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,5}")), m_ui->proxyPort));
    // No box takes more than "ProxyInfo.ini" gives back, so what is saved is
    // what the dialog shows after a restart.
    for (QLineEdit* edit : {m_ui->proxyServer, m_ui->proxyPort, m_ui->proxyUser, m_ui->proxyPasswd})
        edit->setMaxLength(kProxyValueMaxChars);

    connect(m_ui->getServer, &QPushButton::clicked, this, &CDlgNetSetting::OnGetServer);
    connect(m_ui->testSpeed, &QPushButton::clicked, this, &CDlgNetSetting::OnTestSpeed);
    connect(m_ui->useProxy, &QCheckBox::clicked, this, &CDlgNetSetting::OnUseProxy);
    connect(m_ui->testConnection, &QPushButton::clicked, this, &CDlgNetSetting::OnTestConnection);
    connect(m_ui->ok, &QPushButton::clicked, this, &CDlgNetSetting::OnOK);
    connect(m_ui->cancel, &QPushButton::clicked, this, &CDlgNetSetting::OnCancel);

    OnInitDialog();
}

CDlgNetSetting::~CDlgNetSetting() = default;

void CDlgNetSetting::OnInitDialog() {
    const ServerPicks picks = DrawServerPicks(m_pickGenerator);
    m_nPick1 = picks.first;
    m_nPick2 = picks.second;
    FillServerList();

    m_ui->proxyType->clear();
    m_ui->proxyType->addItem(QStringLiteral("HTTP"));
    m_ui->proxyType->setCurrentIndex(0);

    const ProxyInfo info = ReadProxyInfo();
    m_ui->useProxy->setChecked(info.agency != 0);
    m_ui->proxyServer->setText(info.server);
    m_ui->proxyPort->setText(info.port);
    m_ui->proxyUser->setText(info.userName);
    m_ui->proxyPasswd->setText(info.passwd);
    enableProxyControls(info.agency != 0);
}

void CDlgNetSetting::FillServerList() {
    m_ui->serverCombo->clear();
    const ServerChoice choice = LoadServerChoice(
        g_pDB, {m_nPick1, m_nPick2}, DeploymentValue(DeploymentKey::MainEndpoint), ReadDefaultAddress());
    m_addresses = choice.addresses;
    m_names = choice.names;
    m_nSelected = choice.selected;
    m_nRow = choice.rowsRead;
    for (int i = 0; i < m_names.size(); ++i)
        m_ui->serverCombo->addItem(tr("服务器%d").replace(QLatin1String("%d"), QString::number(i + 1)));
    m_ui->serverCombo->addItem(tr("主地址"));
    m_ui->serverCombo->setCurrentIndex(m_nSelected);
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
    enableProxyControls(m_ui->useProxy->isChecked());
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
    const int selected = m_ui->serverCombo->currentIndex();
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
    const QString endpoint = NormaliseEndpoint(m_addresses[selected]);
    if (!SaveNetworkSettings(info, endpoint)) {
        ShowMessageBox(tr("保存网络设置失败!"), mb::Ok | mb::IconWarning);
        return;
    }
    SetServiceUrl(UnicodeToUtf8(endpoint));
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
    info.agency = m_ui->useProxy->isChecked() ? 1 : 0;
    info.server = m_ui->proxyServer->text();
    info.port = m_ui->proxyPort->text();
    info.userName = m_ui->proxyUser->text();
    info.passwd = m_ui->proxyPasswd->text();
    return info;
}

void CDlgNetSetting::enableProxyControls(bool enable) {
    for (QWidget* w :
         std::initializer_list<QWidget*>{m_ui->testConnection, m_ui->proxyType, m_ui->proxyServer,
                                         m_ui->proxyPort, m_ui->proxyUser, m_ui->proxyPasswd})
        w->setEnabled(enable);
}
