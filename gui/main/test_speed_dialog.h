#pragma once
// The server speed test: times a balance call on each address the network
// settings offer and lets the user take the fastest. Ends with 1003 when a
// server was chosen, 1 from "关闭", IDCANCEL from Esc and the close box.
#include <QDialog>
#include <QStringList>

#include <atomic>
#include <memory>
#include <thread>

namespace Ui {
class CDlgTestSpeed;
}

class CDlgTestSpeed : public QDialog {
    Q_OBJECT
public:
    // `addresses` belongs to the caller and must outlive the dialog.
    explicit CDlgTestSpeed(const QStringList* addresses, QWidget* parent = nullptr);
    // Stops a running test after its current call and waits for it.
    ~CDlgTestSpeed() override;

    // True from "开始测试" until the last row has its result.
    bool isTesting() const { return m_testing; }

    void OnInitDialog();
    void OnStartTest(); // 1118
    void OnUseServer(); // 31006
    void OnClose();     // 1161

    void done(int result) override;
    void reject() override;

    // List columns.
    enum Column { ColServer, ColNote, ColResponse, ColResult, ColLatency, ColumnCount };

private:
    // The worker's body: the calls, one row after the other. Touches no widget;
    // every outcome reaches the window as a queued call.
    void runTest(const QStringList& endpoints, const QString& serial, const QString& password);
    void rowStarted(int row);
    void rowFinished(int row, int responseMs, int latencyMs);
    void testFinished();
    // Asks the worker to stop after the call it is in and joins it.
    void stopTest();
    void setCell(int row, int column, const QString& text);

    const QStringList* m_pAddresses;
    std::unique_ptr<Ui::CDlgTestSpeed> m_ui;

    std::thread m_worker;
    std::atomic<bool> m_stop{false};
    bool m_testing = false;
    int m_bestTime = 0;
    int m_bestRow = -1;
};
