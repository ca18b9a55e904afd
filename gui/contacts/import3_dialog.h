#pragma once
// The contact import's last step: the target groups are ticked, then the
// import runs on a worker the dialog owns, with progress, the window
// responsive. Ends with 1003 when contacts were imported, 1001 for "上一步",
// 1002 when the user quit (an import under way is rolled back first).
#include "contacts/contact_import.h"
#include "contacts/import_mapping.h"

#include <QDialog>
#include <QString>
#include <QStringList>

#include <atomic>
#include <memory>
#include <thread>

namespace Ui {
class CDlgImport3;
}

// The results of the import's steps.
inline constexpr int kImportStepBack = 1001; // "上一步"
inline constexpr int kImportStepQuit = 1002; // the user quit
inline constexpr int kImportStepDone = 1003; // contacts were imported

class CDlgImport3 : public QDialog {
    Q_OBJECT
public:
    explicit CDlgImport3(QWidget* parent = nullptr);
    // Stops an import under way (it rolls back) and waits for it.
    ~CDlgImport3() override;

    // Set by the opener before the dialog runs.
    const ColumnMap* m_pFieldMap = nullptr; // field id -> source column
    int m_nDefaultGroupId = 0;              // ticked at the start
    QString m_strGroupColumn;               // not empty: the groups come from this column
    QString m_strPath;                      // CSV and numbers: the file read
    QString m_strConnect;                   // database: the connection string
    QString m_strTable;                     // database: the table
    int m_nImportMode = kImportCsv;
    const QStringList* m_pColumns = nullptr; // the source's column names
    bool m_bFormatDates = false;
    int m_nCallerValue = 0;

    // Fills the group tree and starts the timer that ticks the default group.
    void OnInitDialog();
    // Timer 1: ticks the default group; with a group column the tree is
    // switched off, the file names the groups.
    void OnTimer();
    // "完成": the import on the worker, or 203 when no group is ticked.
    void StartImport();
    bool importing() const { return m_importing; }

    // Enter does nothing; Esc and the close box ask "确定退出?" (a "quit"
    // of the program asks nothing): during an import Yes stops it, and the
    // dialog ends with 1002 once the rollback is done.
    void reject() override;
    void accept() override {}
    void done(int result) override;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    ImportRequest Request(const QList<qint64>& groups) const;
    void OnProgress(int permille);
    void OnImportFinished(const ImportOutcome& outcome);
    // Stops the worker (the import rolls back) and joins it.
    void StopImport();

    std::unique_ptr<Ui::CDlgImport3> m_ui;
    ImportRequest m_request;
    std::thread m_worker;
    std::atomic<bool> m_cancel{false};
    bool m_importing = false;
};
