#pragma once
// The contact import engine: contacts from a CSV file (or the CSV written
// from a spreadsheet sheet), the numbers of a text or web page, or a table of
// an outside database, into ContactList. One import is one transaction: it
// lands whole or not at all. Runs on whatever thread owns `db`.
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <functional>
#include <map>
#include <vector>

struct sqlite3;

// The source kinds, numbered as the import windows number them.
inline constexpr int kImportCsv = 0;
inline constexpr int kImportSpreadsheet = 1; // only while a sheet is converted
inline constexpr int kImportDatabase = 2;
inline constexpr int kImportNumbers = 3;

struct ImportRequest {
    int mode = kImportCsv;
    QString path;        // CSV and numbers
    QString connect;     // database: the ODBC connection string
    QString table;       // database: the source table
    QStringList columns; // the source's column names as read
    // field id (1-34) -> source column; the key 0 names the group column.
    std::map<unsigned, QString> fieldMap;
    QString groupColumn;     // not empty: the groups come from this column
    std::vector<int> groups; // the ticked target groups, in tree order
    int defaultGroupId = 0;  // parent of the groups a group column makes
    bool formatDates = false;
    size_t blockSize = 0; // bytes per read of a file; 0: 1 MiB (tests put records across block ends)
};

struct ImportOutcome {
    enum class Status {
        Done,          // committed (some lines may have failed)
        OpenFailed,    // the source file cannot be opened
        ReadFailed,    // a read error or a file shorter than at the start
        CommitFailed,  // the database could not be written (begin, ids, commit)
        Cancelled,     // stopped by the caller ("quit" or the window closed)
        Utf16Refused,  // a UTF-16 file
        ConnectFailed, // the database source cannot be reached
        SourceError,   // the database source failed midway
    };
    Status status = Status::Done;
    int total = 0;    // lines (records) read
    int imported = 0; // lines whose inserts all ran
    int failed = 0;
    int skipped = 0; // numbers only: digit runs too long to be a number
    QString detail;  // the source's error text, for the message and the log
};

// Called between blocks or rows; returns false to stop (the import then
// rolls back).
using ImportProgressFn = std::function<bool(qint64 done, qint64 total)>;

ImportOutcome RunContactImport(sqlite3* db, const ImportRequest& request,
                               const ImportProgressFn& progress = {});

// The text of one cell as it is stored: blanks, tabs, CR and LF around it
// removed; with `formatDate` a date (FormatImportDate) as "yyyy-MM-dd"; a
// value of 11 or more digits followed by ".0" (a number a spreadsheet wrote
// as a decimal) without the ".0".
QString ImportCellText(const QString& raw, bool formatDate);
// "yyyy-MM-dd" for a date written yyyy-M-d, yyyy/M/d, yyyy.M.d or yyyy年M月d日,
// optionally followed by a time of day; any other text as it stands.
QString FormatImportDate(const QString& text);

// What the user is told when the import ends: the summary line on Done,
// else the failure's text followed by "本次没有导入任何联系人。".
QString ImportOutcomeText(const ImportRequest& request, const ImportOutcome& outcome);
