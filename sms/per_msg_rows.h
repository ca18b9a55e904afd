#pragma once
// The rows of the personalised-SMS dialog: one number with the text it will
// receive, filled once when the row is made, so the list shows exactly what
// goes out. Rows come from an imported file (a template over its columns),
// from the composer or the batch date messages (a template over contact
// fields) or from failed records being resent. Each road is a maker that the
// window drives a slice at a time (Step from a zero-time timer), so the
// window repaints, its bar and list grow, and closing it stops the work.
#include "contacts/csv_reader.h"
#include "sms/row_sources.h"

#include <QString>
#include <QStringList>
#include <QStringView>
#include <QtGlobal>

#include <memory>
#include <optional>
#include <vector>

struct sqlite3;
class ContactFieldReader;

// What the import pages hand over for one import.
struct PERMSG_IMPORT_PARAM {
    int signature = 0;       // check box 1006: the account's signature goes behind every text
    QString filePath;        // the CSV read: the chosen file, or ExcelTemp/Temp.csv of a sheet
    QString separator;       // its first character splits the lines; "" = ","
    QString sheetName;       // the sheet saved to Temp.csv (spreadsheets only)
    int excelSheetIndex = 0; // 1-based sheet of a spreadsheet; 0 = not a spreadsheet
    int wpsSheetIndex = 0;   // kept for the pages; not read here
    int numberColumn = 0;    // 1-based column holding the number
};

// The separator character of an import: the first character of `separator`,
// "," when it is empty.
QChar PerMsgSeparator(const QString& separator);

// ---- numbers, placeholders, marks ------------------------------------------

// The key of a number cell of an imported line, or none when it is refused.
// The cell is trimmed and a trailing ".0" dropped (a number a spreadsheet
// stored as a decimal); any other character but an ASCII digit refuses it.
// Accepted: a mobile number 13000000000..20000000000 (keyed by value), or a
// number of 10 to 12 characters beginning with "0" whose second character is
// not "0" or "1", or that begins "010" (keyed with a "2" in front, shown and
// sent with its "0"). Anything else is refused, a leading "2" included.
std::optional<qint64> PerMsgImportNumberKey(QStringView cell);

// "12.0" -> "12": a value that is a whole decimal number written with ".0"
// loses those two characters; anything else ("Version 2.0") stays.
QString DropWholeDecimalZero(const QString& value);

// The text with its placeholders filled in one pass: the k-th closed "<%"
// ... "%>" (as ExtractFieldTokens finds them) becomes values[k] (with
// DropWholeDecimalZero), "" when there are fewer values. A value that holds
// a placeholder is not expanded; an unclosed "<%" stays as typed.
QString FillPlaceholders(const QString& templ, const QStringList& values);

// Splits a text at its first "#*#" when it stands at a position above 0:
// the message before it and the statistics mark after it. A text without
// one, or beginning with it, is the message whole with mark "".
void SplitPerMsgMark(const QString& text, QString* message, QString* mark);

// "短信内容中的字段“%1”不存在" for `field`, translated.
QString PerMsgUnknownFieldText(const QString& field);

// The placeholder of an import column: "<%" + column + trimmed name + "%>"
// ("<%0手机%>"); the number keeps columns of equal names apart.
QString ImportColumnPlaceholder(int column, const QString& name);

// The source column of each placeholder of `templ`, in placeholder order: a
// placeholder is the column number followed by the column's trimmed name
// ("<%0手机%>"). False when some placeholder names no column; `unknown` then
// gets the first such placeholder's text.
bool ResolveImportColumns(const QString& templ, const QStringList& header, std::vector<int>* columns,
                          QString* unknown = nullptr);

// False when a placeholder of `templ` names no field of fieldDisplay;
// `unknown` then gets the first such name.
bool CheckContactFieldTokens(const QString& templ, sqlite3* db, QString* unknown = nullptr);

// The column header of an import source as page 2 and the reader see it: the
// first record split at `separator` (the file's encoding decided once),
// names trimmed, trailing empty names dropped.
CsvHeaderResult ReadPerMsgHeader(const QString& path, const QString& separator, QStringList& columns);

// ---- the makers -----------------------------------------------------------

class PerMsgRowMaker {
public:
    virtual ~PerMsgRowMaker() = default;
    // Makes up to `maxRows` rows (or reads as many source records); true
    // while there is more to do.
    virtual bool Step(int maxRows) = 0;
    // Stops the work; the rows made so far stay.
    void Stop() { m_stopped = true; }
    bool Done() const { return m_done || m_stopped; }
    bool Stopped() const { return m_stopped; }
    // Progress of the work, for bar 1094.
    qint64 ProgressDone() const { return m_progressDone; }
    qint64 ProgressTotal() const { return m_progressTotal; }
    // Rows made.
    int RowsMade() const { return m_rowsMade; }

protected:
    bool m_done = false;
    bool m_stopped = false;
    qint64 m_progressDone = 0;
    qint64 m_progressTotal = 0;
    int m_rowsMade = 0;
};

// FillPerList: the records of an import source become rows. Open first.
class PerMsgImportReader : public PerMsgRowMaker {
public:
    // `rows` must outlive the reader.
    PerMsgImportReader(VIRTUAL_LIST_PERMSG& rows, PERMSG_IMPORT_PARAM param, QString templ);
    ~PerMsgImportReader() override;

    enum class OpenResult {
        Ok,
        CannotOpen,     // the file cannot be opened or read
        Utf16,          // a UTF-16 file
        Unreadable,     // no header could be read
        UnknownField,   // a placeholder names no column (UnknownField() says which)
        NoNumberColumn, // numberColumn is not a column of the header
    };
    // Opens the source, reads its header and resolves the placeholders; no
    // row is made before every placeholder has its column.
    OpenResult Open();
    const QString& UnknownField() const { return m_unknown; }

    bool Step(int maxRows) override;

    // Lines passed over: too short for the number column, with a refused or
    // empty number, longer than the record limit. Logged once at the end.
    qint64 ShortLines() const { return m_shortLines; }
    qint64 RefusedNumbers() const { return m_refused; }
    qint64 TooLongRecords() const { return m_tooLong; }
    bool ReadFailed() const { return m_readFailed; }
    const QStringList& Header() const { return m_header; }

private:
    void Finish();

    VIRTUAL_LIST_PERMSG& m_rows;
    PERMSG_IMPORT_PARAM m_param;
    QString m_template;
    QStringList m_header;
    QStringList m_pieces; // the template cut at its placeholders
    std::vector<int> m_columns;
    std::unique_ptr<CsvRecordReader> m_reader;
    QString m_unknown;
    qint64 m_shortLines = 0;
    qint64 m_refused = 0;
    qint64 m_tooLong = 0;
    bool m_readFailed = false;
};

// One recipient of the composer or of a batch date record.
struct PerMsgRecipient {
    QString number;       // as it is sent
    qint64 contactId = 0; // perNO; 0 looks the contact up by number
    QString sendTime;     // batch date road: the record's own send time
};

// OnRowsFromComposer: the recipients become rows, the template's contact
// fields filled per contact. Numbers go through the composer's acceptance
// (AcceptNumber); refused ones are passed over.
class PerMsgComposerRows : public PerMsgRowMaker {
public:
    // `splitMarks`: the composer's road ("#*#" splits off a mark); the batch
    // date road keeps texts whole. `db` must stay open until done.
    PerMsgComposerRows(VIRTUAL_LIST_PERMSG& rows, sqlite3* db, QString templ,
                       std::vector<PerMsgRecipient> recipients, bool splitMarks);
    ~PerMsgComposerRows() override;

    // False when a placeholder names no contact field (UnknownField() says
    // which); nothing is made then.
    bool Open();
    const QString& UnknownField() const { return m_unknown; }

    bool Step(int maxRows) override;
    qint64 RefusedNumbers() const { return m_refused; }

private:
    VIRTUAL_LIST_PERMSG& m_rows;
    sqlite3* m_db;
    QString m_template;
    QStringList m_tokens;
    QStringList m_pieces;
    std::vector<PerMsgRecipient> m_recipients;
    bool m_splitMarks;
    std::unique_ptr<ContactFieldReader> m_fields;
    size_t m_next = 0;
    QString m_unknown;
    qint64 m_refused = 0;
    bool m_opened = false;
};

// Appends the rows of failed records `sendIds[from]`, ... (at most `count`
// ids): one row per number of the record (taskID 0) whose record is a
// failed SMS (isFail 1, sendType 1) and whose number is not "未知" (an unknown outcome is never
// sent again unasked). The text is the record's content ("#*#" splits off a
// mark), the send time its timing time, the source its sendID and rowid.
// Returns the number of rows appended; -1 on a database failure (logged).
int LoadFailedRows(sqlite3* db, const std::vector<qint64>& sendIds, size_t from, size_t count,
                   VIRTUAL_LIST_PERMSG& rows);

// The resend road: the failed records' rows, read in slices.
class PerMsgResendRows : public PerMsgRowMaker {
public:
    PerMsgResendRows(VIRTUAL_LIST_PERMSG& rows, sqlite3* db, std::vector<qint64> sendIds);
    // `maxRows` counts records here.
    bool Step(int maxRows) override;
    bool Failed() const { return m_failed; }

private:
    VIRTUAL_LIST_PERMSG& m_rows;
    sqlite3* m_db;
    std::vector<qint64> m_ids;
    size_t m_next = 0;
    bool m_failed = false;
};
