#pragma once
// The personalised import's two pages. Page 1 (CDlgPerMSGImport) chooses a
// spreadsheet and its sheet, or a CSV file and its separator; "下一步"
// writes a chosen sheet out as ExcelTemp/Temp.csv on a worker, with
// progress, reads the header of the file that will be read, and runs page 2
// in its place. Page 2 (CDlgPerMSGImport1) chooses the number column and
// composes the message from column placeholders. The wizard ends with 1003
// when page 2 finished; the rows are read afterwards, by the personalised
// SMS dialog, from what ImportParam() and Template() give.
#include "contacts/spreadsheet.h"
#include "gui/widgets/worker_progress.h"
#include "sms/per_msg_rows.h"

#include <QDialog>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace Ui {
class CDlgPerMSGImport;
class CDlgPerMSGImport1;
} // namespace Ui

class CDlgPerMSGImport : public QDialog {
    Q_OBJECT
public:
    explicit CDlgPerMSGImport(QWidget* parent = nullptr);
    // Stops the worker's job and waits for it.
    ~CDlgPerMSGImport() override;

    void OnBrowse(); // 21004
    // The file named by "浏览...": a spreadsheet is opened (on the worker)
    // and its sheets listed; anything else is read as CSV.
    void TakeFile(const QString& path);
    void ShowSheetsOrSeparator();
    void OnNext(); // 1003

    // What page 2 chose, valid after the wizard ended with 1003.
    const PERMSG_IMPORT_PARAM& ImportParam() const { return m_param; }
    const QString& Template() const { return m_template; }
    // The column names of the source as last read.
    const QStringList& Columns() const { return m_columns; }
    bool IsSpreadsheet() const { return m_bSpreadsheet; }
    // True while the worker opens a workbook or writes a sheet out.
    bool busy() const { return m_job.Running(); }

public slots:
    void done(int result) override;
    void reject() override;

private:
    void RunPage2(const QString& sourcePath, const QString& separator);
    void RunOnWorker(std::function<bool()> work, std::function<void(bool ok)> then, bool showsProgress);
    void SetBusy(bool busy, bool showsProgress);

    std::unique_ptr<Ui::CDlgPerMSGImport> m_ui;
    QString m_strPath;
    bool m_bSpreadsheet = false;
    Spreadsheet m_sheet;
    QStringList m_columns;
    PERMSG_IMPORT_PARAM m_param;
    QString m_template;

    WindowJob m_job{this};
    QString m_workerError; // written by the worker, read after the join
};

class CDlgPerMSGImport1 : public QDialog {
    Q_OBJECT
public:
    // `columns`: the source's column names, in column order.
    explicit CDlgPerMSGImport1(const QStringList& columns, QWidget* parent = nullptr);
    ~CDlgPerMSGImport1() override;

    // Set by page 1 before the page runs: the file the rows will be read
    // from and its separator, the sheet it came from ("" for a CSV file).
    QString m_strPath;
    QString m_strSeparator;
    QString m_strSheet;
    int m_nSheetIndex = 0; // 1-based; 0 for a CSV file

    // 21040: appends the chosen column's placeholder, or every column's for
    // "全部字段", to the message.
    void OnInsertField(int index);
    // 1005: checks the choices; ends with 1003 when they hold.
    void OnFinish();
    // 1003 "上一步": ends with 1001.
    void OnBack();

    // Valid after "完成" ended the page.
    const PERMSG_IMPORT_PARAM& ImportParam() const { return m_param; }
    const QString& Template() const { return m_template; }

public slots:
    // Cancel, Esc and the close box: "确定退出?", Yes ends with 1002.
    void reject() override;

private:
    std::unique_ptr<Ui::CDlgPerMSGImport1> m_ui;
    QStringList m_columns;
    PERMSG_IMPORT_PARAM m_param;
    QString m_template;
};
