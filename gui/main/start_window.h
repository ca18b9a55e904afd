#pragma once
// The branded start window: loads the branding and shared settings, reports
// the version, starts the updater and runs the login. Ends with 1003 after a
// successful login, 1002 otherwise.
#include "core/account.h"
#include "core/http.h"

#include <QDialog>
#include <QImage>
#include <QStringList>
#include <QTimer>

#include <memory>
#include <thread>

class CdlgStartWnd : public QDialog {
    Q_OBJECT
public:
    explicit CdlgStartWnd(QWidget* parent = nullptr);
    ~CdlgStartWnd() override;

    // After a result of 1003: the rights array of the login (the main window
    // publishes it as g_pLoginRights).
    std::unique_ptr<QStringList> takeLoginResult();
    // The server list read after the login.
    const QStringList& serverAddresses() const { return m_serverAddresses; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void showEvent(QShowEvent* event) override;
    void OnInitDialog();
    void OnTimer();
    // The version report runs beside the login, never in the GUI thread's way.
    void StartVersionReport();
    void StopVersionReport();

    QImage m_picture;
    QTimer m_timer; // timer 1: the update check and the login, once
    bool m_timerStarted = false;
    QStringList m_serverAddresses;
    std::unique_ptr<QStringList> m_loginResult;
    HttpCancel m_versionCancel;
    std::thread m_versionWorker;
};

// The version report (its answer is not used): 0 when the server took it,
// -3 otherwise. Blocks for the transfer; the start window calls it on its
// worker, under the worker's HttpCancel.
int ReportClientVersion(const AccountFields& account, const char* versionText);

// Moves a waiting updater into place and starts the updater: to install
// (true: the program ends) or for a silent check.
bool CheckForUpdate();

// Points the service client at defaultAddress of ServerInfo.ini, else at the
// built-in main endpoint.
void ApplyServerAddress();
// Hands the proxy of ProxyInfo.ini to the service client when Agency is set;
// otherwise the proxy setting is left alone.
void ApplyProxyFromIni();
