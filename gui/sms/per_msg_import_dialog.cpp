#include "gui/sms/per_msg_import_dialog.h"

#include "contacts/import_mapping.h"
#include "core/string_table.h"
#include "gui/contacts/import_wnd_dialog.h"
#include "gui/main/app_control.h"
#include "gui/widgets/modal_runner.h"
#include "gui/widgets/widget_helpers.h"
#include "gui/widgets/worker_progress.h"
#include "platform/msgbox.h"

#include "ui_per_msg_import1_dialog.h"
#include "ui_per_msg_import_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>

namespace {

constexpr int kStepBack = 1001;
constexpr int kStepQuit = 1002;
constexpr int kStepDone = 1003;
// Longest separator text the page takes.
constexpr int kMaxSeparator = 5;
// Longest message, in characters.
constexpr int kMaxTemplate = 500;

} // namespace

// ---- page 1 -----------------------------------------------------------------------

CDlgPerMSGImport::CDlgPerMSGImport(QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CDlgPerMSGImport>()) {
    m_ui->setupUi(this);
    ApplyControlIds(this);
    connect(m_ui->browse, &QPushButton::clicked, this, &CDlgPerMSGImport::OnBrowse);
    connect(m_ui->next, &QPushButton::clicked, this, &CDlgPerMSGImport::OnNext);
    m_ui->conversionProgress->hide();
    ShowSheetsOrSeparator();
}

CDlgPerMSGImport::~CDlgPerMSGImport() {
    m_job.Stop();
}

void CDlgPerMSGImport::OnBrowse() {
    if (m_job.Running())
        return;
    const QString path =
        ChooseOpenFile(this, tr("Microsoft Excel文件(*.xls,*.xlsx,*.csv)|*.xls;*.xlsx;*.csv;|"));
    if (!path.isEmpty())
        TakeFile(path);
}

void CDlgPerMSGImport::TakeFile(const QString& path) {
    m_strPath = path;
    m_ui->path->setText(path);
    m_ui->path->end(false);
    m_bSpreadsheet = ImportFileKindOf(ImportFileExtension(path)) == ImportFileKind::Spreadsheet;
    m_sheet.Close();
    ShowSheetsOrSeparator();
    if (!m_bSpreadsheet)
        return;
    // The content decides what kind of workbook it is; a large one takes a
    // moment to open.
    RunOnWorker([this, path] { return m_sheet.Open(path); },
                [this](bool ok) {
                    if (!ok)
                        ReportUnreadableWorkbook(m_strPath, m_sheet.ErrorText());
                    ShowSheetsOrSeparator();
                },
                false);
}

void CDlgPerMSGImport::ShowSheetsOrSeparator() {
    const bool sheets = m_bSpreadsheet;
    m_ui->sheetLabel->setVisible(sheets);
    m_ui->sheet->setVisible(sheets);
    m_ui->separatorLabel->setVisible(!sheets && !m_strPath.isEmpty());
    m_ui->separator->setVisible(!sheets && !m_strPath.isEmpty());
    m_ui->separatorHint->setVisible(!sheets && !m_strPath.isEmpty());
    m_ui->sheet->clear();
    if (sheets && m_sheet.IsOpen()) {
        m_ui->sheet->addItems(m_sheet.SheetNames());
        m_ui->sheet->setCurrentIndex(m_ui->sheet->count() > 0 ? 0 : -1);
    }
}

void CDlgPerMSGImport::OnNext() {
    if (m_job.Running())
        return;
    if (m_strPath.isEmpty()) {
        ShowMessageBox(LoadStr(204), mb::Ok | mb::IconWarning);
        return;
    }
    if (m_bSpreadsheet) {
        const QString sheet = m_ui->sheet->currentText();
        if (sheet.isEmpty()) {
            ShowMessageBox(LoadStr(205), mb::Ok | mb::IconWarning);
            return;
        }
        // Always from the workbook the user chose, so going back and on
        // again writes the same sheet again.
        const QString csvPath = ExcelTempCsvPath();
        QFile::remove(csvPath);
        RunOnWorker(
            [this, path = m_strPath, sheet, csvPath] {
                const bool ok =
                    (m_sheet.IsOpen() || m_sheet.Open(path)) &&
                    m_sheet.SaveSheetAsCsv(sheet, csvPath,
                                           QueuedPermilleProgress(
                                               this,
                                               [this](int permille) {
                                                   if (m_job.Running())
                                                       m_ui->conversionProgress->setValue(permille);
                                               },
                                               m_job.StopFlag()));
                m_workerError = ok ? QString() : m_sheet.ErrorText();
                return ok;
            },
            [this, csvPath](bool ok) {
                if (!ok) {
                    ReportUnreadableWorkbook(m_strPath, m_workerError);
                    return;
                }
                // The written sheet is a CSV file at ",".
                RunPage2(csvPath, QString());
            },
            true);
        return;
    }
    const QString separator = m_ui->separator->text();
    if (separator.size() > kMaxSeparator) {
        ShowMessageBox(LoadStr(249), mb::Ok | mb::IconWarning);
        return;
    }
    RunPage2(m_strPath, separator);
}

void CDlgPerMSGImport::RunPage2(const QString& sourcePath, const QString& separator) {
    // The header as the reader will see it, so every placeholder page 2
    // offers is one the reader finds.
    QStringList columns;
    if (!ReportCsvHeaderResult(ReadPerMsgHeader(sourcePath, separator, columns)))
        return;
    m_columns = columns;
    CDlgPerMSGImport1 page(m_columns, this);
    page.m_strPath = sourcePath;
    page.m_strSeparator = separator;
    page.m_strSheet = m_bSpreadsheet ? m_ui->sheet->currentText() : QString();
    page.m_nSheetIndex = m_bSpreadsheet ? m_ui->sheet->currentIndex() + 1 : 0;
    if (RunWizardStep(*this, page, {kStepQuit, kStepDone}) == kStepDone) {
        m_param = page.ImportParam();
        m_template = page.Template();
    }
}

void CDlgPerMSGImport::RunOnWorker(std::function<bool()> work, std::function<void(bool)> then,
                                   bool showsProgress) {
    SetBusy(true, showsProgress);
    m_job.Run(std::move(work), [this, then = std::move(then)](bool ok) {
        SetBusy(false, false);
        then(ok);
    });
}

void CDlgPerMSGImport::SetBusy(bool busy, bool showsProgress) {
    // Without figures (opening a workbook) the bar just shows that work goes on.
    m_ui->conversionProgress->setRange(0, showsProgress ? 1000 : 0);
    m_ui->conversionProgress->setValue(0);
    m_ui->conversionProgress->setVisible(busy);
    m_ui->browse->setEnabled(!busy);
    m_ui->sheet->setEnabled(!busy);
    m_ui->next->setEnabled(!busy);
}

void CDlgPerMSGImport::reject() {
    done(IDCANCEL);
}

void CDlgPerMSGImport::done(int result) {
    // Esc or a "quit" while the worker runs stops it first.
    m_job.Stop();
    QDialog::done(result);
}

// ---- page 2 -----------------------------------------------------------------------

CDlgPerMSGImport1::CDlgPerMSGImport1(const QStringList& columns, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CDlgPerMSGImport1>()), m_columns(columns) {
    m_ui->setupUi(this);
    ApplyControlIds(this);
    for (const QString& column : m_columns) {
        const QString shown = column.isEmpty() ? tr("NULL字段名为空") : column;
        m_ui->numberColumn->addItem(shown);
        m_ui->insertField->addItem(shown);
    }
    m_ui->insertField->addItem(tr("全部字段"));
    m_ui->numberColumn->setCurrentIndex(-1);
    m_ui->insertField->setCurrentIndex(-1);
    connect(m_ui->insertField, &QComboBox::activated, this, &CDlgPerMSGImport1::OnInsertField);
    connect(m_ui->finish, &QPushButton::clicked, this, &CDlgPerMSGImport1::OnFinish);
    connect(m_ui->back, &QPushButton::clicked, this, &CDlgPerMSGImport1::OnBack);
    connect(m_ui->cancel, &QPushButton::clicked, this, &CDlgPerMSGImport1::reject);
}

CDlgPerMSGImport1::~CDlgPerMSGImport1() = default;

void CDlgPerMSGImport1::OnInsertField(int index) {
    if (index < 0 || index > m_columns.size())
        return;
    QString text;
    if (index == m_columns.size()) {
        for (int k = 0; k < m_columns.size(); ++k)
            text += ImportColumnPlaceholder(k, m_columns[k]);
    } else {
        text = ImportColumnPlaceholder(index, m_columns[index]);
    }
    QPlainTextEdit* message = m_ui->message;
    QTextCursor cursor = message->textCursor();
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(text);
    message->setTextCursor(cursor);
}

void CDlgPerMSGImport1::OnFinish() {
    const int numberColumn = m_ui->numberColumn->currentIndex() + 1;
    if (m_ui->numberColumn->currentText().isEmpty()) {
        ShowMessageBox(LoadStr(148), mb::Ok | mb::IconWarning);
        return;
    }
    const QString text = m_ui->message->toPlainText().trimmed();
    if (text.isEmpty()) {
        ShowMessageBox(LoadStr(151), mb::Ok | mb::IconWarning);
        return;
    }
    if (text.size() > kMaxTemplate) {
        ShowMessageBox(LoadStr(152), mb::Ok | mb::IconWarning);
        return;
    }
    // A mass send cannot be taken back: a placeholder naming no column stops
    // here, before any row is made.
    std::vector<int> columns;
    QString unknown;
    if (!ResolveImportColumns(text, m_columns, &columns, &unknown)) {
        ShowMessageBox(PerMsgUnknownFieldText(unknown), mb::Ok | mb::IconWarning);
        return;
    }
    m_param = PERMSG_IMPORT_PARAM();
    m_param.signature = m_ui->sign->isChecked() ? 1 : 0;
    m_param.filePath = m_strPath;
    m_param.separator = m_strSeparator;
    m_param.sheetName = m_strSheet;
    m_param.excelSheetIndex = m_nSheetIndex;
    m_param.numberColumn = numberColumn;
    m_template = text;
    done(kStepDone);
}

void CDlgPerMSGImport1::OnBack() {
    done(kStepBack);
}

void CDlgPerMSGImport1::reject() {
    // A quit of the program asks nothing: nobody may be there to answer.
    if (QuitRequested()) {
        done(kStepQuit);
        return;
    }
    ConfirmExit(this);
}
