#pragma once
// Spreadsheet files (.xlsx) of text cells, written row by row so a list of a
// million contacts never sits in memory. Used by the exports of contacts.
#include <QString>
#include <QStringList>

struct lxw_workbook;
struct lxw_worksheet;

class XlsxWriter {
public:
    // Nothing is written before Close().
    explicit XlsxWriter(const QString& path);
    ~XlsxWriter();
    XlsxWriter(const XlsxWriter&) = delete;
    XlsxWriter& operator=(const XlsxWriter&) = delete;

    // Starts a sheet; the rows that follow go to it. False on a name the
    // format refuses (empty, too long, repeated, one of []:*?/\).
    bool AddSheet(const QString& name);
    // Appends one row of text cells to the current sheet (a sheet "Sheet1"
    // is started when there is none). A cell longer than a cell may hold is
    // cut. False when the sheet is full or the row could not be stored.
    bool AddRow(const QStringList& cells);
    // Writes the file. False when it could not be written, or when a sheet
    // or row was refused before: the file is then not a complete export.
    bool Close();

    // Why the last call failed, for the run log.
    const QString& ErrorText() const { return m_error; }

private:
    bool Fail(int code, const char* what);

    QString m_path;
    lxw_workbook* m_workbook = nullptr;
    lxw_worksheet* m_sheet = nullptr;
    unsigned m_row = 0;
    bool m_failed = false;
    bool m_closed = false;
    QString m_error;
};

// The file name of an export chosen as `chosen`: ".xlsx" kept, ".xls" gets
// an "x", any other name gets ".xlsx".
QString XlsxFileName(const QString& chosen);
