#include "gui/main/test_speed_dialog.h"

#include "core/account.h"
#include "core/convert.h"
#include "core/net_settings.h"
#include "core/string_table.h"
#include "gui/main/net_setting_dialog.h"
#include "gui/widgets/widget_helpers.h"
#include "platform/msgbox.h"
#include "service/web_service_client.h"

#include "ui_test_speed_dialog.h"

#include <QCheckBox>
#include <QPushButton>
#include <QTableWidget>

namespace {

constexpr int kResultServerChosen = 1003;
// A response slower than this is never "最快".
constexpr int kBestTimeLimitMs = 20000;

} // namespace

CDlgTestSpeed::CDlgTestSpeed(const QStringList* addresses, QWidget* parent)
    : QDialog(parent), m_pAddresses(addresses), m_ui(std::make_unique<Ui::CDlgTestSpeed>()) {
    m_ui->setupUi(this);
    ApplyControlIds(this);
    connect(m_ui->start, &QPushButton::clicked, this, &CDlgTestSpeed::OnStartTest);
    connect(m_ui->useServer, &QPushButton::clicked, this, &CDlgTestSpeed::OnUseServer);
    connect(m_ui->close, &QPushButton::clicked, this, &CDlgTestSpeed::OnClose);
    OnInitDialog();
}

CDlgTestSpeed::~CDlgTestSpeed() {
    stopTest();
}

void CDlgTestSpeed::OnInitDialog() {
    // The form names the columns; the rows' cells follow the Column order.
    Q_ASSERT(m_ui->list->columnCount() == ColumnCount);
    const int widths[ColumnCount] = {100, 80, 100, 100, 100};
    for (int c = 0; c < ColumnCount; ++c)
        m_ui->list->setColumnWidth(c, widths[c]);
    m_ui->hideAtStart->setChecked(ReadHidWnd() != 0);
}

void CDlgTestSpeed::OnStartTest() {
    if (m_testing)
        return;
    stopTest(); // joins a worker that has already finished
    const QStringList addresses = m_pAddresses ? *m_pAddresses : QStringList();
    m_ui->start->setEnabled(false);
    m_ui->useServer->setEnabled(false);
    m_ui->list->clearSelection();
    m_ui->list->setRowCount(0);
    m_ui->list->setRowCount(static_cast<int>(addresses.size()));
    QStringList endpoints;
    for (int i = 0; i < addresses.size(); ++i) {
        const QString name = i + 1 == addresses.size()
                                 ? tr("主地址")
                                 : tr("服务器%d").replace(QLatin1String("%d"), QString::number(i + 1));
        auto* item = new QTableWidgetItem(name);
        item->setData(Qt::UserRole, i);
        m_ui->list->setItem(i, ColServer, item);
        for (int c = ColNote; c < ColumnCount; ++c)
            m_ui->list->setItem(i, c, new QTableWidgetItem);
        // The endpoint tested is the one "使用服务器" would store.
        endpoints << NormaliseEndpoint(addresses[i]);
    }
    m_bestTime = kBestTimeLimitMs;
    m_bestRow = -1;
    m_testing = true;
    m_stop = false;
    const AccountFields account = g_pAccount.get();
    m_worker = std::thread(&CDlgTestSpeed::runTest, this, endpoints, account[kAccountSerial],
                           account[kAccountPassword]);
}

void CDlgTestSpeed::runTest(const QStringList& endpoints, const QString& serial, const QString& password) {
    // The account's call measures the service's answer; the empty account's,
    // which the service refuses at once, the network alone.
    CWebServiceClient accountClient(serial, password);
    CWebServiceClient emptyClient{QString(), QString()};
    for (int row = 0; row < endpoints.size() && !m_stop; ++row) {
        const std::string endpoint = UnicodeToUtf8(endpoints[row]);
        accountClient.SetEndpoint(endpoint.c_str());
        emptyClient.SetEndpoint(endpoint.c_str());
        QMetaObject::invokeMethod(
            this, [this, row] { rowStarted(row); }, Qt::QueuedConnection);
        const int responseMs = accountClient.CallBalanceTimed();
        const int latencyMs = m_stop ? -1 : emptyClient.CallBalanceTimed();
        QMetaObject::invokeMethod(
            this, [this, row, responseMs, latencyMs] { rowFinished(row, responseMs, latencyMs); },
            Qt::QueuedConnection);
    }
    QMetaObject::invokeMethod(
        this, [this] { testFinished(); }, Qt::QueuedConnection);
}

void CDlgTestSpeed::rowStarted(int row) {
    setCell(row, ColResult, tr("测试中..."));
}

void CDlgTestSpeed::rowFinished(int row, int responseMs, int latencyMs) {
    if (responseMs > 0) {
        setCell(row, ColResponse, QString::number(responseMs));
        setCell(row, ColResult, tr("成功"));
        // Ties keep the earlier row.
        if (responseMs < m_bestTime) {
            m_bestTime = responseMs;
            m_bestRow = row;
        }
    } else {
        setCell(row, ColResponse, tr("超时"));
        setCell(row, ColResult, tr("失败"));
    }
    setCell(row, ColLatency, latencyMs > 0 ? QString::number(latencyMs) : tr("超时"));
}

void CDlgTestSpeed::testFinished() {
    m_testing = false;
    if (m_bestRow >= 0 && m_bestRow < m_ui->list->rowCount()) {
        setCell(m_bestRow, ColNote, tr("最快"));
        m_ui->list->selectRow(m_bestRow);
        m_ui->list->setCurrentCell(m_bestRow, ColServer);
        m_ui->list->setFocus();
    }
    m_ui->start->setEnabled(true);
    m_ui->useServer->setEnabled(true);
}

void CDlgTestSpeed::OnUseServer() {
    const QModelIndexList rows = m_ui->list->selectionModel()->selectedRows();
    const QTableWidgetItem* item = rows.isEmpty() ? nullptr : m_ui->list->item(rows.first().row(), ColServer);
    const int index = item ? item->data(Qt::UserRole).toInt() : -1;
    if (!m_pAddresses || index < 0 || index >= m_pAddresses->size()) {
        ShowMessageBox(LoadStr(233), mb::Ok | mb::IconWarning);
        return;
    }
    if (!UseServerAddress(m_pAddresses->at(index))) {
        ShowMessageBox(tr("保存网络设置失败!"), mb::Ok | mb::IconWarning);
        return;
    }
    WriteHidWnd(m_ui->hideAtStart->isChecked() ? 1 : 0);
    done(kResultServerChosen);
}

void CDlgTestSpeed::OnClose() {
    WriteHidWnd(m_ui->hideAtStart->isChecked() ? 1 : 0);
    done(IDOK);
}

void CDlgTestSpeed::reject() {
    WriteHidWnd(m_ui->hideAtStart->isChecked() ? 1 : 0);
    done(IDCANCEL);
}

void CDlgTestSpeed::done(int result) {
    // No window closes under a worker that still reports to it.
    stopTest();
    QDialog::done(result);
}

void CDlgTestSpeed::stopTest() {
    m_stop = true;
    if (m_worker.joinable())
        m_worker.join();
}

void CDlgTestSpeed::setCell(int row, int column, const QString& text) {
    if (QTableWidgetItem* item = m_ui->list->item(row, column))
        item->setText(text);
}
