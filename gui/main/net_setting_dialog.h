#pragma once
// The network settings dialog: which server the messaging service is reached
// on and through which HTTP proxy. Ends with 1003 after a successful OK or
// after the speed test chose a server, with IDCANCEL otherwise.
#include "core/net_settings.h"

#include <QDialog>
#include <QStringList>

#include <memory>

namespace Ui {
class CDlgNetSetting;
}

// ---- applying the settings (no window needed) -----------------------------------

// The proxy of every later service client: the file's values when Agency is
// non-zero, otherwise none.
void ApplyProxyInfo(const ProxyInfo& info);
// Reads "ProxyInfo.ini" again and applies it.
void ReapplyProxyInfoFile();
// Makes the normalised endpoint of `address` the configured service endpoint
// and stores it as defaultAddress. False (nothing changed) when it could not be stored.
bool UseServerAddress(const QString& address);

class CDlgNetSetting : public QDialog {
    Q_OBJECT
public:
    // `picks` draws the two offered rows of the server list; empty: seeded
    // with the time.
    explicit CDlgNetSetting(QWidget* parent = nullptr, PickGenerator picks = {});
    ~CDlgNetSetting() override;

    // The addresses the combo offers (the speed test works on them).
    const QStringList& addresses() const { return m_addresses; }

    void OnInitDialog();
    // Fills the server combo from serverAddress with the drawn rows and the main address.
    void FillServerList();
    void OnGetServer();      // 1005
    void OnTestSpeed();      // 1003
    void OnUseProxy();       // 1010
    void OnTestConnection(); // 1036
    void OnOK();             // 1
    // 2, Esc, the close box and "quit": puts the file's proxy back, ends with IDCANCEL.
    void OnCancel();

    void reject() override;

private:
    ProxyInfo proxyFromControls() const;
    void enableProxyControls(bool enable);

    PickGenerator m_pickGenerator;
    QStringList m_addresses;
    QStringList m_names;
    int m_nSelected = -1;
    int m_nPick1 = 0;
    int m_nPick2 = 0;
    int m_nRow = 0;

    // The form also holds 31045 (packet size), 1119 (help) and 1011, hidden
    // and unused: the page keeps its controls' ids.
    std::unique_ptr<Ui::CDlgNetSetting> m_ui;
};
