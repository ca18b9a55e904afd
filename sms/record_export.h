#pragma once
// Exports of record lists: the rows of a list streamed to an .xlsx file
// (through XlsxWriter, constant memory) or to a CSV file (CsvWriter, code
// page 936), so an export of a million records holds one row at a time.
//
// The .xlsx file has one sheet named by the list's title, the header row of
// the list's export names, then every cell as text. A list longer than a
// sheet holds continues on further sheets "<title>(2)", "<title>(3)", ...,
// each starting with the header again.
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class RowSource;

// What a row reader gives for one call.
enum class RowStep {
    Row,    // `cells` holds the next row
    End,    // no more rows
    Failed, // the rows could not be read; the export fails
};
using RecordRowReader = std::function<RowStep(QStringList& cells)>;

struct RecordExportResult {
    bool ok = false;
    qint64 rows = 0; // data rows written
    QString error;   // why it failed, for the run log
};

// Rows of the format's sheet, header included.
inline constexpr unsigned kSheetRowsMax = 1048576;

// `rowsPerSheet` counts the header row; 0 means the format's limit (tests
// pass a small number to see the continuation). A failed export leaves no
// file behind.
RecordExportResult ExportRecordsXlsx(const QString& path, const QString& title, const QStringList& header,
                                     const RecordRowReader& next, unsigned rowsPerSheet = 0);
// The header line, then one line per row; cells cleaned by CsvWriter::Cell.
RecordExportResult ExportRecordsCsv(const QString& path, const QStringList& header,
                                    const RecordRowReader& next);

// A reader over every row of a row source, in list order: the given columns
// of each row, through `cell` when set (e.g. to mask a number). The source's
// cache stays within its bound while the rows pass.
using RecordCellText = std::function<QString(int column, const QString& text)>;
RecordRowReader RowSourceReader(RowSource& source, std::vector<int> columns, RecordCellText cell = {});

// The name of sheet `index` (0-based) of an export titled `title`: the title
// itself, then "<title>(2)", ...; cut to the format's 31 characters and
// without the characters a sheet name may not hold.
QString ExportSheetName(const QString& title, int index);
