#include "gui/contacts/odbc_source_dialog.h"

#include "core/odbc_reader.h"
#include "gui/widgets/modal_runner.h"
#include "platform/msgbox.h"

#include "ui_odbc_source_dialog.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {

// Characters that would end or open a value of a connection string.
bool HoldsConnectSyntax(const QString& value) {
    return value.contains(QLatin1Char(';')) || value.contains(QLatin1Char('{')) ||
           value.contains(QLatin1Char('}'));
}

} // namespace

CDlgOdbcSource::CDlgOdbcSource(QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CDlgOdbcSource>()) {
    m_ui->setupUi(this);
    connect(m_ui->ok, &QPushButton::clicked, this, &CDlgOdbcSource::OnOK);
    connect(m_ui->cancel, &QPushButton::clicked, this, &CDlgOdbcSource::reject);
    connect(m_ui->browse, &QPushButton::clicked, this, &CDlgOdbcSource::OnBrowse);
    for (QRadioButton* mode : {m_ui->dsnMode, m_ui->driverMode, m_ui->stringMode})
        connect(mode, &QRadioButton::toggled, this, &CDlgOdbcSource::OnModeChanged);
    OnInitDialog();
}

CDlgOdbcSource::~CDlgOdbcSource() = default;

void CDlgOdbcSource::OnInitDialog() {
    for (const OdbcSourceName& source : OdbcDataSources()) {
        const QString text = source.description.isEmpty()
                                 ? source.name
                                 : source.name + QLatin1String(" (") + source.description + QLatin1Char(')');
        m_ui->dataSource->addItem(text, source.name);
    }
    for (const QString& driver : OdbcDrivers())
        m_ui->driver->addItem(driver, driver);
    // The first way that has something to offer.
    if (m_ui->dataSource->count() > 0)
        m_ui->dsnMode->setChecked(true);
    else if (m_ui->driver->count() > 0)
        m_ui->driverMode->setChecked(true);
    else
        m_ui->stringMode->setChecked(true);
    OnModeChanged();
}

void CDlgOdbcSource::OnModeChanged() {
    const bool dsn = m_ui->dsnMode->isChecked();
    const bool driver = m_ui->driverMode->isChecked();
    m_ui->dataSource->setEnabled(dsn);
    m_ui->driver->setEnabled(driver);
    m_ui->databaseFile->setEnabled(driver);
    m_ui->browse->setEnabled(driver);
    m_ui->connectString->setEnabled(m_ui->stringMode->isChecked());
}

void CDlgOdbcSource::OnBrowse() {
    const QString file = ChooseOpenFile(this, tr("所有文件(*.*)|*.*||"));
    if (!file.isEmpty())
        m_ui->databaseFile->setText(file);
}

QString CDlgOdbcSource::BuildConnectString() const {
    if (m_ui->dsnMode->isChecked()) {
        const QString name = m_ui->dataSource->currentData().toString();
        if (name.isEmpty() || HoldsConnectSyntax(name))
            return QString();
        return QLatin1String("DSN=") + name + QLatin1Char(';');
    }
    if (m_ui->driverMode->isChecked()) {
        const QString driver = m_ui->driver->currentData().toString();
        const QString file = m_ui->databaseFile->text().trimmed();
        if (driver.isEmpty() || file.isEmpty())
            return QString();
        return OdbcFileConnectString(driver, file);
    }
    return m_ui->connectString->text().trimmed();
}

void CDlgOdbcSource::OnOK() {
    const QString connect = BuildConnectString();
    if (connect.isEmpty()) {
        ShowMessageBox(tr("连接数据库失败!"), mb::Ok);
        return;
    }
    m_strConnect = connect;
    accept();
}
