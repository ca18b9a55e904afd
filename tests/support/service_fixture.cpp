#include "tests/support/service_fixture.h"

#include "core/account.h"
#include "platform/ini.h"
#include "service/service_state.h"
#include "tests/support/test_helpers.h"

void ServiceTest::SetUp() {
    ProgramFolderTest::SetUp();
    m_main = std::make_unique<LoopbackMessagingService>();
    m_backup = std::make_unique<LoopbackMessagingService>();
    m_boxes = std::make_unique<MessageBoxRecorder>();
    const QString ini = m_folder->file("ServerInfo.ini");
    const auto set = [&](const char* key, const std::string& value) {
        ini::WriteString(ini, "Deployment", key, QString::fromStdString(value));
    };
    set("MainEndpoint", m_main->url());
    set("BackupEndpoint", m_backup->url());
    set("IntlEndpoint", m_backup->url("/gjwebservice.asmx"));
    set("BalanceUrl", m_backup->url("/GetBalance.ashx"));
    set("VersionUploadUrl", m_main->url("/apis/rims-provider/snExt/synchro/saveCSV"));

    AccountFields account;
    account[kAccountSerial] = QString::fromLatin1(kSerial);
    account[kAccountPassword] = QString::fromLatin1(kPassword);
    g_pAccount.set(account);
    SetServiceUrl(std::string());
    SetProxySettings(nullptr, 0, nullptr, nullptr);
}

std::string ServiceTest::digest() {
    return UpperMd5(QByteArray(kSerial) + kPassword);
}

QStringList ServiceTest::logLines() const {
    return LogLines(runLog());
}

void ServiceTest::TearDown() {
    StopBackupSwitchThread();
    SetServiceUrl(std::string());
    SetServiceTimeoutCap(0);
    g_pAccount.clear();
    m_boxes.reset();
    m_backup.reset();
    m_main.reset();
    ProgramFolderTest::TearDown();
}
