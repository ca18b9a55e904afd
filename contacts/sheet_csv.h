#pragma once
// The CSV file a converted sheet becomes, and the cell texts that go into it.
// Both workbook readers (.xlsx and .xls) write through SheetCsvWriter, so the
// file looks the same whichever kind the user chose.
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class QTemporaryFile;

// Characters a cell may hold; a longer one marks a file no spreadsheet
// program wrote.
constexpr qsizetype kSheetCellLimit = 32767;
// The largest sheet of the format: XFD1048576.
constexpr uint32_t kSheetMaxRows = 1048576;
constexpr uint32_t kSheetMaxColumns = 16384;

// UTF-8 with a BOM, CR LF, RFC 4180 quoting. Rows run from the first row to
// the last one holding a value, each padded to the last column holding a
// value. Written to a temporary file beside the target and renamed over it
// only when complete, so a failure or stop leaves no partial file.
class SheetCsvWriter {
public:
    explicit SheetCsvWriter(const QString& path);
    ~SheetCsvWriter();
    SheetCsvWriter(const SheetCsvWriter&) = delete;
    SheetCsvWriter& operator=(const SheetCsvWriter&) = delete;

    bool Begin(QString& error);
    // A cell holding a value (empty values are not passed). Rows and columns
    // count from 0 and must ascend, columns within their row.
    bool Cell(uint32_t row, uint32_t column, std::string_view utf8, QString& error);
    // Pads the rows and puts the file in place.
    bool Finish(QString& error);

private:
    bool CloseRow(QString& error);
    bool Flush(QString& error);
    bool PadRows(QString& error);

    QString m_path;
    std::unique_ptr<QTemporaryFile> m_file;
    std::string m_buffer;
    qint64 m_written = 0;
    int64_t m_row = -1;     // the row being written, -1 before the first value
    uint32_t m_columns = 0; // fields written in that row
    uint32_t m_maxColumns = 0;
    std::vector<uint16_t> m_rowColumns; // fields of each finished line
};

// Numbers as a person reads them: no exponent, integers without ".0", at
// most 15 significant digits as spreadsheet programs show them.
void AppendNumber(std::string& out, double value);
// A number as stored in a workbook (text); text that is no number is kept.
void AppendNumberText(std::string& out, std::string_view text);
// A date-formatted serial number as "yyyy-MM-dd", plus " HH:mm:ss" when the
// time is not midnight; a time alone (a serial below 1 in the 1900 system)
// as "HH:mm:ss". False for a serial that is no date (negative, past 9999).
// The 1900 system keeps the spreadsheets' phantom 1900-02-29.
bool AppendSerialDate(std::string& out, double serial, bool date1904);
// "yyyy-MM-dd HH:mm:ss" with a zero time cut to the date.
void AppendDateTimeText(std::string& out, std::string_view text);
// Characters of UTF-8 text as UTF-16 counts them.
qsizetype Utf16Length(std::string_view utf8);

// One workbook of either kind, as the spreadsheet layer reads it.
class WorkbookReader {
public:
    using Progress = std::function<bool(qint64 done, qint64 total)>;
    virtual ~WorkbookReader() = default;
    virtual QStringList SheetNames() const = 0;
    virtual bool WriteSheet(int index, SheetCsvWriter& out, const Progress& progress, QString& error) = 0;
};
