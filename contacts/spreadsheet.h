#pragma once
// Reading spreadsheet workbooks for the contact import: .xlsx (a zip of XML
// parts) and .xls (the old compound-file format). The content decides the
// kind, not the file name. A chosen sheet is written out as a CSV file that
// the import reads like any other CSV source.
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <functional>
#include <memory>

class Spreadsheet {
public:
    Spreadsheet();
    ~Spreadsheet();
    Spreadsheet(const Spreadsheet&) = delete;
    Spreadsheet& operator=(const Spreadsheet&) = delete;

    // Opens a workbook (closing one held before). False, with ErrorText()
    // saying why for the run log, when the file is no workbook we can read or
    // is refused as hostile.
    bool Open(const QString& path);
    bool IsOpen() const;
    // The sheet names in workbook order.
    QStringList SheetNames() const;
    // Writes the sheet named `sheet` (the last sheet when none has that
    // name) to `csvPath`. `progress(done, total)` returns false to stop.
    // False on any failure or stop; no partial file is left behind.
    using Progress = std::function<bool(qint64 done, qint64 total)>;
    bool SaveSheetAsCsv(const QString& sheet, const QString& csvPath, const Progress& progress = {});
    void Close();

    const QString& ErrorText() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

// <program folder>/ExcelTemp/Temp.csv; the folder is created when missing.
QString ExcelTempCsvPath();
