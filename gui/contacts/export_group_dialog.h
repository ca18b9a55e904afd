#pragma once
// Exporting the contacts of the ticked groups (of every group when none is
// ticked) to a CSV file or an .xlsx workbook. The rows are read and written
// on a worker with its own database connection while the progress bar moves,
// so the window stays responsive; the dialog ends with 1003 once an export
// has run, whether it succeeded or not.
#include "contacts/contact_export.h"
#include "platform/worker_thread.h"

#include <QDialog>
#include <QList>
#include <QString>
#include <QTimer>

#include <atomic>
#include <memory>

namespace Ui {
class CDlgExportGroup;
}

class CDlgExportGroup : public QDialog {
    Q_OBJECT
public:
    explicit CDlgExportGroup(QWidget* parent = nullptr);
    // Stops a running export and waits for its worker.
    ~CDlgExportGroup() override;

    // Fills the tree; done once, when the dialog is first shown.
    void OnInitDialog();
    // "确定": asks for the file, then starts the export. A cancelled file
    // question leaves the dialog open with nothing read.
    void OnOK();

    bool exporting() const { return m_exporting; }

public slots:
    // "取消", Esc and the close box end with the cancel result; during an
    // export they stop it instead (it then ends as a failed export).
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void StartExport(const QString& path, ExportFormat format, const QList<qint64>& groups);
    void ShowProgress();
    // On the GUI thread once the worker has finished.
    void OnExportEnded();

    std::unique_ptr<Ui::CDlgExportGroup> m_ui;
    bool m_initialized = false;
    bool m_exporting = false;
    WorkerThread m_worker;
    std::atomic<bool> m_cancel{false};
    std::atomic<qint64> m_rowsDone{0};
    std::atomic<qint64> m_rowsTotal{0};
    // Written by the worker before it ends, read after the join.
    ContactExportResult m_result;
    QTimer m_progressTimer;
};
