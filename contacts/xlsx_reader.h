#pragma once
// .xlsx workbooks: a zip (minizip) of XML parts, each streamed through expat
// so no part is ever inflated whole. The file comes from outside, so every
// size is counted as it is inflated, never taken from the zip's headers.
#include "contacts/sheet_csv.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class XlsxWorkbook : public WorkbookReader {
public:
    XlsxWorkbook() = default;
    ~XlsxWorkbook() override;
    XlsxWorkbook(const XlsxWorkbook&) = delete;
    XlsxWorkbook& operator=(const XlsxWorkbook&) = delete;

    // Reads the package's relationships and the workbook part: the
    // worksheets and the date system. False with `error` when the file is no
    // readable workbook or is refused.
    bool Open(const QString& path, QString& error);

    QStringList SheetNames() const override;
    bool WriteSheet(int index, SheetCsvWriter& out, const Progress& progress, QString& error) override;

    // Whether a number format shows its cell as a date or time: the built-in
    // date formats, and custom ones with y, m, d, h or s outside quotes,
    // brackets and escapes.
    static bool IsDateFormat(int numFmtId, std::string_view formatCode, bool custom);

    // The shared string table of the workbook, read when a sheet is saved.
    struct SharedStrings;
    // A part of the package and its compressed size, for progress.
    struct Part {
        std::string name;
        uint64_t compressed = 0;
    };

private:
    struct Sheet {
        QString name;
        Part part;
    };
    class PartReader;

    bool ReadStyles(PartReader& reader, QString& error);
    bool ReadSharedStrings(PartReader& reader, SharedStrings& strings, QString& error);

    void* m_zip = nullptr; // unzFile
    std::vector<Sheet> m_sheets;
    Part m_sharedStrings;
    Part m_styles;
    bool m_date1904 = false;
    std::vector<bool> m_dateStyles; // by cell style (cellXfs) index
};
