#pragma once
// The contact import's first step: the user names a file (spreadsheet, CSV,
// text or web page) or a table of an outside database; the window reads the
// source's column names and runs the next step in its place. A spreadsheet
// sheet is first written out as CSV on a worker, with progress. Ends with
// the next step's 1002 or 1003; Esc and the close box end it with IDCANCEL.
// Opening a workbook and converting a sheet run on a worker, the window
// responsive and its choices locked meanwhile.
#include "contacts/csv_reader.h"
#include "contacts/spreadsheet.h"
#include "gui/widgets/worker_progress.h"

#include <QDialog>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

namespace Ui {
class CDlgImportWND;
}

// The import windows' word on reading a source file's header: true for Ok;
// otherwise the user is told why (cannot open, UTF-16, no header).
bool ReportCsvHeaderResult(CsvHeaderResult result);
// A workbook that cannot be read: the reason to the run log, the user told.
void ReportUnreadableWorkbook(const QString& path, const QString& why);

class CDlgImportWND : public QDialog {
    Q_OBJECT
public:
    explicit CDlgImportWND(QWidget* parent = nullptr);
    // Stops the worker's job and waits for it.
    ~CDlgImportWND() override;

    QString m_strExt;  // the chosen file's extension, upper-cased
    QString m_strPath; // the chosen file (a spreadsheet keeps its own path)
    int m_bSpreadsheet = 0;
    int m_bCsv = 0;
    int m_nImportMode = 0; // the source kind handed on (contact_import.h)
    QString m_strConnect;  // the database's connection string
    int m_nGroupId = 0;    // the target group, set by the opener
    int m_nCallerValue = 0;
    bool m_bFormatDates = false;

    void OnChooseFile();     // 1088
    void OnChooseDatabase(); // 1089
    void OnBrowse();         // 21004
    // Files dropped on the window: exactly one, of a kind the import reads.
    void OnDropFiles(const QStringList& paths);
    void ListSheets();
    // Asks for a database (CDlgOdbcSource) and lists its tables.
    void ListDatabaseTables();
    // The columns of the chosen table into the column list; false (and the
    // user told) when they cannot be read.
    bool ReadDatabaseColumns();
    // The header of `csvPath` into the column list; false (and the user
    // told) when it cannot be read.
    bool ReadCsvHeader(const QString& csvPath);
    void OnNext(); // 1003

    // The source's column names as last read.
    const QStringList& Columns() const { return m_columns; }
    // True while the worker opens a workbook or converts a sheet.
    bool busy() const { return m_job.Running(); }

    void done(int result) override;

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // Takes a browsed or dropped file: its kind, its sheets.
    void TakeFile(const QString& path);
    void ClearFile();
    void StartConversion(const QString& sheet);
    // Runs `work` on the worker (it alone touches m_sheet meanwhile), then
    // `then(ok)` on this thread unless the window stopped it.
    void RunOnWorker(std::function<bool()> work, std::function<void(bool ok)> then, bool showsProgress);
    void OnWorkerProgress(int permille);
    void StopWorker();
    void SetBusy(bool busy, bool showsProgress);
    // The workbook could not be read: logged with the reader's reason, told.
    void RunMappingStep(const QString& sourcePath);
    void RunNumbersStep();

    std::unique_ptr<Ui::CDlgImportWND> m_ui;
    QStringList m_columns;
    // The chosen workbook; the conversion worker alone uses it while it runs.
    Spreadsheet m_sheet;
    WindowJob m_job{this};
    QString m_workerError; // written by the worker, read after the join
};
