#pragma once
// Naming an outside database for the contact import: a data source unixODBC
// knows, a driver with a database file, or a connection string typed in.
// Ends with IDOK and the connection string, or IDCANCEL. The string may hold
// a password: it is never logged.
#include <QDialog>
#include <QString>

#include <memory>

namespace Ui {
class CDlgOdbcSource;
}

class CDlgOdbcSource : public QDialog {
    Q_OBJECT
public:
    explicit CDlgOdbcSource(QWidget* parent = nullptr);
    ~CDlgOdbcSource() override;

    // After IDOK: the string to connect with.
    const QString& ConnectString() const { return m_strConnect; }

    // Lists the data sources and drivers. Called by the constructor.
    void OnInitDialog();
    void OnBrowse();
    // Builds the connection string of the chosen way; "连接数据库失败!" when
    // the choice gives none.
    void OnOK();

private:
    QString BuildConnectString() const;
    void OnModeChanged();

    std::unique_ptr<Ui::CDlgOdbcSource> m_ui;
    QString m_strConnect;
};
