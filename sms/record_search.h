#pragma once
// The logic of the record views' search dialogs (no widgets):
//   - finding one recipient of a send record by number or by name, and its
//     place in the record's recipient list;
//   - the replies that came back for one send's sub-number;
//   - the condition list of the advanced query and the SQL filter it makes.
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <string>
#include <vector>

struct sqlite3;

// ---- finding a recipient ---------------------------------------------------

enum class SeekBy { Number, Name };

struct SeekResult {
    bool found = false;
    QString name;
    QString number;
    // 1-based place of the first match in the recipient list's order
    // (" ORDER BY rowid" within the record); 0 when not asked or not found.
    int position = 0;
};

// The first recipient of `sendId` whose number (or name) is `text`, in the
// recipient list's order. With `locate` the place is counted too. A failing
// statement is logged and reads as not found.
SeekResult SeekRecipient(sqlite3* db, qint64 sendId, SeekBy by, const QString& text, bool locate);

// ---- replies of one send ---------------------------------------------------

// The replies with this sub-number, joined with one contact per number; the
// columns are alreadyRead, the 22 shown cells and receiveID. One parameter:
// the sub-number.
std::string RelevantRepliesStatement();
// The header of the reply export: the 22 column names of the shown cells.
QStringList RelevantReplyExportNames();
// The sub-number text as the opener keeps it; 0 when it is not a number.
int SubNumberOf(const QString& text);

// ---- advanced query --------------------------------------------------------

enum class QueryMode {
    Sent,     // sent records of every channel but the survey
    Survey,   // SMS survey records
    Received, // received messages (the received page's statement, alias a)
    Contacts, // the contact list: the opener gives a column per field
};

// Operators in the order the dialog offers them.
struct QueryOperator {
    const char* shown;
    const char* sql;
};
const std::vector<QueryOperator>& QueryOperators();
inline constexpr int kContainsOperator = 3; // "包含": the value between "%"

// The fields of the received list in the order the received mode reads
// them (name, number, text, company, time).
QStringList ReceivedQueryFields();

class AdvancedQuery {
public:
    // `columns` only in contacts mode: the column of each field, checked
    // against ContactList's columns through `db` when a condition is added.
    AdvancedQuery(QueryMode mode, QStringList fields, QStringList columns = {}, sqlite3* db = nullptr);

    // Why Add refused a condition.
    enum class AddResult { Added, NoFieldOrOperator, EmptyValue, UnknownColumn };
    // Appends "field operator value"; `orJoin` is the relation to the
    // conditions before it (ignored for the first row).
    AddResult Add(int field, int op, const QString& value, bool orJoin);
    // Removes these rows (any order, repeats ignored).
    void Remove(std::vector<int> rows);
    void Clear();

    int Count() const { return static_cast<int>(m_rows.size()); }
    bool IsEmpty() const { return m_rows.empty(); }
    // The list cells of a row: relation ("" for the first row, else "并且" or
    // "或者"), field name, operator name, value as entered.
    QStringList Cells(int row) const;
    // The filter for the opener: text beginning " AND " ("" when empty).
    // Conditions joined by OR are kept inside one pair of parentheses, so an
    // OR never reaches past the opener's own conditions; sent-records mode
    // adds "  AND isDraft=0 AND isFail=0".
    std::string Filter() const;

    // True when the field at this position is a time (its value comes from
    // the date picker): the submit and timing times of the sent records, the
    // submit time of the survey, the received time; in contacts mode a field
    // whose name holds "时间".
    bool IsTimeField(int field) const;

private:
    struct Row {
        bool orJoin;
        int field;
        int op;
        QString value;
        std::string condition;
    };
    bool BuildCondition(int field, int op, const QString& value, std::string& out) const;

    QueryMode m_mode;
    QStringList m_fields;
    QStringList m_columns;
    sqlite3* m_db;
    std::vector<Row> m_rows;
};
