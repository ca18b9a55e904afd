#include "gui/main/test_speed_dialog.h"

#include "core/account.h"
#include "core/convert.h"
#include "core/net_settings.h"
#include "core/string_table.h"
#include "gui/main/net_setting_dialog.h"
#include "platform/msgbox.h"
#include "service/web_service_client.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

constexpr int kResultServerChosen = 1003;
// A response slower than this is never "最快".
constexpr int kBestTimeLimitMs = 20000;

QPushButton* Button(QWidget* parent, const char* id, const QString& text) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(id));
    b->setAutoDefault(false);
    return b;
}

} // namespace

CDlgTestSpeed::CDlgTestSpeed(const QStringList* addresses, QWidget* parent)
    : QDialog(parent), m_pAddresses(addresses) {
    setObjectName(QStringLiteral("CDlgTestSpeed"));
    setWindowTitle(tr("测试速度"));

    m_list = new QTableWidget(0, ColumnCount, this);
    m_list->setObjectName(QStringLiteral("1014"));
    m_start = Button(this, "1118", tr("开始测试"));
    m_useServer = Button(this, "31006", tr("使用服务器"));
    auto* close = Button(this, "1161", tr("关闭"));
    m_hideAtStart = new QCheckBox(tr("软件启动时不显示"), this);
    m_hideAtStart->setObjectName(QStringLiteral("1010"));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_hideAtStart);
    buttons->addStretch(1);
    buttons->addWidget(m_start);
    buttons->addWidget(m_useServer);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addLayout(buttons);

    connect(m_start, &QPushButton::clicked, this, &CDlgTestSpeed::OnStartTest);
    connect(m_useServer, &QPushButton::clicked, this, &CDlgTestSpeed::OnUseServer);
    connect(close, &QPushButton::clicked, this, &CDlgTestSpeed::OnClose);

    OnInitDialog();
}

CDlgTestSpeed::~CDlgTestSpeed() {
    stopTest();
}

void CDlgTestSpeed::OnInitDialog() {
    m_list->setShowGrid(true);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->verticalHeader()->hide();
    m_list->setHorizontalHeaderLabels(
        {tr("服务器"), tr("说明"), tr("响应时间(重点)"), tr("结果"), tr("网络延时(参考)")});
    const int widths[ColumnCount] = {100, 80, 100, 100, 100};
    for (int c = 0; c < ColumnCount; ++c)
        m_list->setColumnWidth(c, widths[c]);
    m_hideAtStart->setChecked(ReadHidWnd() != 0);
}

void CDlgTestSpeed::OnStartTest() {
    if (m_testing)
        return;
    stopTest(); // joins a worker that has already finished
    const QStringList addresses = m_pAddresses ? *m_pAddresses : QStringList();
    m_start->setEnabled(false);
    m_useServer->setEnabled(false);
    m_list->clearSelection();
    m_list->setRowCount(0);
    m_list->setRowCount(static_cast<int>(addresses.size()));
    QStringList endpoints;
    for (int i = 0; i < addresses.size(); ++i) {
        const QString name = i + 1 == addresses.size()
                                 ? tr("主地址")
                                 : tr("服务器%d").replace(QLatin1String("%d"), QString::number(i + 1));
        auto* item = new QTableWidgetItem(name);
        item->setData(Qt::UserRole, i);
        m_list->setItem(i, ColServer, item);
        for (int c = ColNote; c < ColumnCount; ++c)
            m_list->setItem(i, c, new QTableWidgetItem);
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
    if (m_bestRow >= 0 && m_bestRow < m_list->rowCount()) {
        setCell(m_bestRow, ColNote, tr("最快"));
        m_list->selectRow(m_bestRow);
        m_list->setCurrentCell(m_bestRow, ColServer);
        m_list->setFocus();
    }
    m_start->setEnabled(true);
    m_useServer->setEnabled(true);
}

void CDlgTestSpeed::OnUseServer() {
    const QModelIndexList rows = m_list->selectionModel()->selectedRows();
    const QTableWidgetItem* item = rows.isEmpty() ? nullptr : m_list->item(rows.first().row(), ColServer);
    const int index = item ? item->data(Qt::UserRole).toInt() : -1;
    if (!m_pAddresses || index < 0 || index >= m_pAddresses->size()) {
        ShowMessageBox(LoadStr(233), mb::Ok | mb::IconWarning);
        return;
    }
    if (!UseServerAddress(m_pAddresses->at(index))) {
        ShowMessageBox(tr("保存网络设置失败!"), mb::Ok | mb::IconWarning);
        return;
    }
    WriteHidWnd(m_hideAtStart->isChecked() ? 1 : 0);
    done(kResultServerChosen);
}

void CDlgTestSpeed::OnClose() {
    WriteHidWnd(m_hideAtStart->isChecked() ? 1 : 0);
    done(IDOK);
}

void CDlgTestSpeed::reject() {
    WriteHidWnd(m_hideAtStart->isChecked() ? 1 : 0);
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
    if (QTableWidgetItem* item = m_list->item(row, column))
        item->setText(text);
}
