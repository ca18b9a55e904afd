#include "gui/contacts/import_wnd_dialog.h"

#include "contacts/contact_import.h"
#include "contacts/csv_reader.h"
#include "contacts/import_mapping.h"
#include "core/log.h"
#include "core/odbc_reader.h"
#include "core/string_table.h"
#include "gui/contacts/import2_dialog.h"
#include "gui/contacts/import3_dialog.h"
#include "gui/contacts/odbc_source_dialog.h"
#include "gui/widgets/modal_runner.h"
#include "gui/widgets/widget_helpers.h"
#include "gui/widgets/worker_progress.h"
#include "platform/msgbox.h"

#include "ui_import_wnd_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QUrl>

namespace {

QString Tr(const char* text) {
    return QCoreApplication::translate("CDlgImportWND", text);
}

void ShowDatabaseError(const QString& error) {
    ShowMessageBox(Tr("连接数据库异常!\r\n错误信息:%s").replace(QLatin1String("%s"), error), mb::Ok);
}

} // namespace

bool ReportCsvHeaderResult(CsvHeaderResult result) {
    switch (result) {
    case CsvHeaderResult::Ok:
        return true;
    case CsvHeaderResult::CannotOpen:
        ShowMessageBox(Tr("打开文件失败"), mb::Ok | mb::IconWarning);
        break;
    case CsvHeaderResult::Utf16:
        ShowMessageBox(Tr("不支持UTF-16编码的文件,请另存为UTF-8或ANSI编码后再导入."),
                       mb::Ok | mb::IconWarning);
        break;
    case CsvHeaderResult::Unreadable:
        ShowMessageBox(Tr("无法读取文件的列名."), mb::Ok | mb::IconWarning);
        break;
    }
    return false;
}

void ReportUnreadableWorkbook(const QString& path, const QString& why) {
    LogWrite(g_logRun, "ERROR,读取表格文件失败: " + LogEscape(path) + ": " + LogEscape(why));
    ShowMessageBox(Tr("无法读取该表格文件,无法导入!"), mb::Ok | mb::IconWarning);
}

CDlgImportWND::CDlgImportWND(QWidget* parent) : QDialog(parent), m_ui(std::make_unique<Ui::CDlgImportWND>()) {
    m_ui->setupUi(this);
    ApplyControlIds(this);
    connect(m_ui->fileMode, &QRadioButton::clicked, this, &CDlgImportWND::OnChooseFile);
    connect(m_ui->databaseMode, &QRadioButton::clicked, this, &CDlgImportWND::OnChooseDatabase);
    connect(m_ui->browse, &QPushButton::clicked, this, &CDlgImportWND::OnBrowse);
    connect(m_ui->next, &QPushButton::clicked, this, &CDlgImportWND::OnNext);
    connect(m_ui->formatDates, &QCheckBox::toggled, this, [this](bool on) { m_bFormatDates = on; });
    // File mode at the start: no sheet until a spreadsheet is chosen.
    OnChooseFile();
}

CDlgImportWND::~CDlgImportWND() {
    StopWorker();
}

// ---- the source ---------------------------------------------------------------

void CDlgImportWND::OnChooseFile() {
    m_ui->tableLabel->hide();
    m_ui->table->hide();
    m_ui->path->show();
    m_ui->browse->show();
    m_ui->sheetLabel->setVisible(m_bSpreadsheet != 0);
    m_ui->sheet->setVisible(m_bSpreadsheet != 0);
}

void CDlgImportWND::OnChooseDatabase() {
    m_ui->tableLabel->show();
    m_ui->table->show();
    m_ui->path->hide();
    m_ui->browse->hide();
    m_ui->sheetLabel->hide();
    m_ui->sheet->hide();
    ListDatabaseTables();
}

void CDlgImportWND::OnBrowse() {
    if (m_job.Running())
        return;
    const QString path = ChooseOpenFile(
        this,
        tr("所有文件(*.xls,*.xlsx,*.txt,*.csv,*.htm,*.html)|*.xls;*.xlsx;*.txt;*.csv;*.htm;*.html|"
           "Microsoft Excel文件(*.xls,*.xlsx)|*.xls;*.xlsx;|文本文件(*.txt)|*.txt;|CSV文件(*.csv)|*.csv;|"
           "网页文件(*.htm,*.html)|*.htm;*.html;||"));
    if (!path.isEmpty())
        TakeFile(path);
}

void CDlgImportWND::OnDropFiles(const QStringList& paths) {
    if (m_job.Running() || paths.isEmpty())
        return;
    if (paths.size() > 1) {
        ShowMessageBox(LoadStr(208), mb::Ok | mb::IconError);
        return;
    }
    const QString& path = paths.front();
    if (path.isEmpty() || ImportFileKindOf(ImportFileExtension(path)) == ImportFileKind::Other) {
        ShowMessageBox(LoadStr(209), mb::Ok | mb::IconError);
        ClearFile();
        m_ui->path->setFocus();
        return;
    }
    TakeFile(path);
}

void CDlgImportWND::TakeFile(const QString& path) {
    m_strPath = path;
    m_ui->path->setText(path);
    m_ui->path->end(false);
    m_strExt = ImportFileExtension(path);
    const ImportFileKind kind = ImportFileKindOf(m_strExt);
    m_bSpreadsheet = kind == ImportFileKind::Spreadsheet ? 1 : 0;
    m_bCsv = kind == ImportFileKind::Csv ? 1 : 0;
    m_sheet.Close();
    if (!m_bSpreadsheet) {
        ListSheets();
        return;
    }
    // The content decides what kind of workbook it is; a large one takes a
    // moment to open.
    ListSheets();
    RunOnWorker([this, path] { return m_sheet.Open(path); },
                [this](bool ok) {
                    if (!ok)
                        ReportUnreadableWorkbook(m_strPath, m_sheet.ErrorText());
                    ListSheets();
                },
                false);
}

void CDlgImportWND::ClearFile() {
    m_ui->path->clear();
    m_strPath.clear();
    m_strExt.clear();
    m_bSpreadsheet = 0;
    m_bCsv = 0;
    m_sheet.Close();
    ListSheets();
}

void CDlgImportWND::ListSheets() {
    const bool show = m_bSpreadsheet != 0 && m_ui->fileMode->isChecked();
    m_ui->sheetLabel->setVisible(show);
    m_ui->sheet->setVisible(show);
    QComboBox* sheets = m_ui->sheet;
    sheets->clear();
    if (m_bSpreadsheet && m_sheet.IsOpen())
        sheets->addItems(m_sheet.SheetNames());
    // One sheet is the only choice; among several the user picks.
    sheets->setCurrentIndex(sheets->count() == 1 ? 0 : -1);
}

void CDlgImportWND::ListDatabaseTables() {
    CDlgOdbcSource source(this);
    if (RunModal(source) != QDialog::Accepted)
        return;
    const QString connect = source.ConnectString();
    OdbcReader reader;
    std::vector<std::string> names;
    if (!reader.open(connect) || !reader.tableNames(names)) {
        ShowDatabaseError(reader.lastError());
        return;
    }
    // The list and the connection it came from change together.
    m_strConnect = connect;
    m_ui->table->clear();
    for (const std::string& name : names)
        m_ui->table->addItem(QString::fromStdString(name));
    m_ui->table->setCurrentIndex(-1);
}

bool CDlgImportWND::ReadDatabaseColumns() {
    m_columns.clear();
    OdbcReader reader;
    std::vector<std::string> names;
    if (!reader.open(m_strConnect) || !reader.columnNames(m_ui->table->currentText().toStdString(), names)) {
        ShowDatabaseError(reader.lastError());
        return false;
    }
    for (const std::string& name : names)
        m_columns << QString::fromStdString(name);
    return true;
}

bool CDlgImportWND::ReadCsvHeader(const QString& csvPath) {
    QStringList columns;
    if (!ReportCsvHeaderResult(::ReadCsvHeader(csvPath, columns)))
        return false;
    m_columns = columns;
    return true;
}

// ---- the next step ----------------------------------------------------------------

void CDlgImportWND::OnNext() {
    if (m_job.Running())
        return;
    const bool fileMode = m_ui->fileMode->isChecked();
    if (fileMode && m_strPath.isEmpty()) {
        ShowMessageBox(LoadStr(204), mb::Ok | mb::IconWarning);
        return;
    }
    if (!fileMode && m_ui->table->currentText().isEmpty()) {
        ShowMessageBox(LoadStr(205), mb::Ok | mb::IconWarning);
        return;
    }
    if (fileMode && m_bSpreadsheet && m_ui->sheet->currentText().isEmpty()) {
        ShowMessageBox(LoadStr(206), mb::Ok | mb::IconWarning);
        return;
    }
    if (!fileMode) {
        m_nImportMode = kImportDatabase;
        if (ReadDatabaseColumns())
            RunMappingStep(QString());
        return;
    }
    if (m_bSpreadsheet) {
        m_nImportMode = kImportSpreadsheet;
        StartConversion(m_ui->sheet->currentText());
        return;
    }
    if (!m_bCsv) {
        RunNumbersStep();
        return;
    }
    m_nImportMode = kImportCsv;
    if (ReadCsvHeader(m_strPath))
        RunMappingStep(m_strPath);
}

void CDlgImportWND::RunMappingStep(const QString& sourcePath) {
    CDlgImport2 step(&m_columns, m_nImportMode, this);
    step.m_nGroupId = m_nGroupId;
    step.m_strPath = sourcePath;
    step.m_strConnect = m_nImportMode == kImportDatabase ? m_strConnect : QString();
    step.m_strTable = m_nImportMode == kImportDatabase ? m_ui->table->currentText() : QString();
    step.m_bFormatDates = m_bFormatDates;
    step.m_nCallerValue = m_nCallerValue;
    RunWizardStep(*this, step, {kImportStepQuit, kImportStepDone});
}

void CDlgImportWND::RunNumbersStep() {
    m_nImportMode = kImportNumbers;
    CDlgImport3 step(this);
    step.m_nDefaultGroupId = m_nGroupId;
    step.m_strPath = m_strPath;
    step.m_nImportMode = kImportNumbers;
    step.m_nCallerValue = m_nCallerValue;
    RunWizardStep(*this, step, {kImportStepQuit, kImportStepDone});
}

// ---- the worker -----------------------------------------------------------------------

void CDlgImportWND::StartConversion(const QString& sheet) {
    const QString csvPath = ExcelTempCsvPath();
    QFile::remove(csvPath);
    // Always from the workbook the user chose, so going back and on again
    // converts the same sheet again.
    RunOnWorker(
        [this, path = m_strPath, sheet, csvPath] {
            const bool ok =
                (m_sheet.IsOpen() || m_sheet.Open(path)) &&
                m_sheet.SaveSheetAsCsv(
                    sheet, csvPath,
                    QueuedPermilleProgress(
                        this, [this](int permille) { OnWorkerProgress(permille); }, m_job.StopFlag()));
            m_workerError = ok ? QString() : m_sheet.ErrorText();
            // The workbook is read again from its path the next time.
            m_sheet.Close();
            return ok;
        },
        [this, csvPath](bool ok) {
            if (!ok) {
                ReportUnreadableWorkbook(m_strPath, m_workerError);
                return;
            }
            m_nImportMode = kImportCsv;
            if (ReadCsvHeader(csvPath))
                RunMappingStep(csvPath);
        },
        true);
}

void CDlgImportWND::RunOnWorker(std::function<bool()> work, std::function<void(bool)> then,
                                bool showsProgress) {
    SetBusy(true, showsProgress);
    m_job.Run(std::move(work), [this, then = std::move(then)](bool ok) {
        SetBusy(false, false);
        then(ok);
    });
}

void CDlgImportWND::OnWorkerProgress(int permille) {
    if (m_job.Running())
        m_ui->conversionProgress->setValue(permille);
}

void CDlgImportWND::StopWorker() {
    m_job.Stop();
}

void CDlgImportWND::SetBusy(bool busy, bool showsProgress) {
    // Without figures (opening a workbook) the bar just shows that work goes on.
    m_ui->conversionProgress->setRange(0, showsProgress ? 1000 : 0);
    m_ui->conversionProgress->setValue(0);
    m_ui->conversionProgress->setVisible(busy);
    m_ui->sourceBox->setEnabled(!busy);
    m_ui->next->setEnabled(!busy);
}

void CDlgImportWND::done(int result) {
    // Esc or a "quit" while the worker runs stops it first.
    StopWorker();
    QDialog::done(result);
}

// ---- drag and drop ----------------------------------------------------------------

void CDlgImportWND::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls() && !m_job.Running())
        event->acceptProposedAction();
}

void CDlgImportWND::dropEvent(QDropEvent* event) {
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls())
        paths << url.toLocalFile();
    event->acceptProposedAction();
    OnDropFiles(paths);
}
