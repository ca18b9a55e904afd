#pragma once
// The export of contacts by group: every field in use, in field-id order and
// headed by its display name, into a CSV file or an .xlsx workbook. Rows
// stream from the statement into the file, so a million contacts never sit
// in memory. The file is written beside the target as "<name>.tmp" and
// renamed over it only when complete: a failed or stopped export keeps the
// file that was there before. Numbers are written whole; this is the user's
// own address book, not a list shown on screen.
//
// CSV: code page 936 (a character GBK cannot hold becomes '?'), CR LF line
// ends, a cell holding ",", '"', CR or LF quoted as RFC 4180 says, so the
// file reads back into the same cells.
// .xlsx: sheets "Sheet1", "Sheet2", ... of at most 65535 rows, each headed
// by the field names in row 1; every cell is text.
#include "core/database.h"

#include <QList>
#include <QString>
#include <QtGlobal>

#include <functional>
#include <string>
#include <vector>

// One exported field: its display name and its ContactList column.
struct ExportField {
    QString name;
    QString column;
};

// "SELECT name,nameOfValue,fieldID FROM fieldDisplay WHERE inUse=1 ORDER BY
// fieldID", keeping the fields whose column sorts before "z" (byte order of
// the UTF-8 text) and is a column of ContactList (another is left out and
// logged). A failure logs "查询联系人字段时出错了" and gives the fields read
// until then.
std::vector<ExportField> ReadExportFields(sqlite3* db = g_pDB);

// The statement counting the rows of the ticked groups (all rows when none).
std::string ExportCountSql(const QList<qint64>& groups);
// The statement of the exported rows: "SELECT <columns> FROM contactList a
// WHERE 1=1 " and, with ticked groups, " AND ( a.groupID=3 OR a.groupID=5 )".
std::string ExportContactsSql(const std::vector<ExportField>& fields, const QList<qint64>& groups);

enum class ExportFormat { Csv, Xlsx };

// Rows of one .xlsx sheet, its header row included.
inline constexpr int kExportSheetRows = 65535;

struct ContactExportResult {
    bool ok = false;
    bool cancelled = false;
    qint64 rows = 0;  // contact rows written
    qint64 total = 0; // rows counted before the export
    QString error;    // why it failed, for the run log
};

// Called before the first row and after each row with the rows written and
// the rows counted; returning false stops the export (nothing is kept).
using ContactExportProgress = std::function<bool(qint64 done, qint64 total)>;

// Writes the contacts of `groups` (every contact when empty) to `path`, which
// is used as given (the caller chose ".xlsx" for a workbook). Runs on the
// thread that owns `db`. Failures are logged.
ContactExportResult ExportContacts(sqlite3* db, const QString& path, ExportFormat format,
                                   const QList<qint64>& groups, const ContactExportProgress& progress = {});

// The message the user gets: 162 "导出联系人成功" or 194 "导出联系人失败".
inline int ExportMessageId(const ContactExportResult& result) {
    return result.ok ? 162 : 194;
}
