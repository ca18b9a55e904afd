#pragma once
// The sent, failed and draft records of every channel and the SMS survey
// records, as the record page shows them: what each record node lists, the
// statements of its two lists, and what acting on chosen records does to the
// database. No widgets: the page is a thin layer over this.
//
// Rows are named by their rowid. A query's order is fixed once (the page's
// row source keeps the rowids in list order), so a record written after the
// query is in no selection, and what acts on the whole query is bounded by
// the largest rowid seen when it ran.
#include <QDate>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <functional>
#include <optional>
#include <vector>

struct sqlite3;
class RowSource;
class SortState;

enum class RecordChannel { Sms, Fax, Email, Mms, Voice };
enum class RecordKind { Draft, Failed, Sent, Survey };

// One column of a list: heading as shown (with the leading blanks that centre
// it), width in pixels, centred or left-aligned.
struct RecordListColumn {
    QString heading;
    int width = 0;
    bool centered = false;
};

// Everything the page needs to know about one record node.
struct RecordCategory {
    qint64 code = 0;
    RecordChannel channel = RecordChannel::Sms;
    RecordKind kind = RecordKind::Sent;
    QString filter;                        // "AND sendType=1 AND isDraft=0 AND isFail=0"
    QString title;                         // "短信成功记录": export sheet and default file name
    QString recipientColumn;               // "手机", "传真号码", "邮件地址"
    std::vector<RecordListColumn> columns; // main list
    std::vector<RecordListColumn> recipientColumns; // recipients, or the survey's replies
    QStringList exportNames;                        // header of an export
    QStringList fieldNames;                         // offered to the advanced query
    QString selectColumns;                          // the main list's select list; sendID, rowid last
    QStringList orderColumns;                       // list column -> ORDER BY column
    QString countLabel;                             // label 1085: "发送成功记录条数:"
    QString totalCaption;                           // label 1086's caption; empty: no total
    bool advancedQuery = false;                     // 1004
    bool perResend = false;                         // 1014 (SMS failed)
    bool statistics = false;                        // 1168, when the edition is customised (SMS sent)
    bool deleteAll = false;                         // 10006 (SMS sent and failed)
    bool recipientMenu = false;                     // 10007/10008
    bool replySearch = false;                       // 10001 (SMS sent and failed)

    // Cached columns of a main-list row.
    int sendIdColumn = 6;
    int subNumberColumn = 4; // send_receive_Num; -1 where the list has none
    int surveyEndColumn = 3; // timingTime: the end of a survey's reply window

    bool IsSurvey() const { return kind == RecordKind::Survey; }
    static constexpr int TextColumn() { return 0; }
    static constexpr int SubmitTimeColumn() { return 1; }
};

// The category of a record node; nullopt for a code that names none.
std::optional<RecordCategory> RecordCategoryFor(qint64 code);
// Every record node's code, in tree order.
const std::vector<qint64>& RecordCategoryCodes();

// The default order of the main list.
inline constexpr const char* kDefaultRecordOrder = " ORDER BY submitTime DESC, rowid";

// The sort state every record page shares.
SortState& RecordSortState();
// The ORDER BY clause for a query with `sortColumn` (-1: the default order,
// which also resets the shared state; else a header click on that column).
QString RecordOrderClause(const RecordCategory& category, int sortColumn);

// The main list's statement: "SELECT  <columns> FROM sendInfo WHERE 1=1
// <category filter> <filter> <order>".
QString RecordListStatement(const RecordCategory& category, const QString& filter, const QString& order);

// The date query's filter: "从" and "到" as ticked; the to-day counts whole.
QString RecordDateFilter(const std::optional<QDate>& from, const std::optional<QDate>& to);

// The largest rowid of sendInfo now; 0 for an empty table or a failure.
qint64 MaxSendInfoRowid(sqlite3* db);

// What opening the main list found.
struct RecordListResult {
    bool ok = false;
    qint64 total = 0;    // sum of count over the rows (the "条数合计")
    qint64 maxRowid = 0; // of sendInfo when the query ran: the bound of whole-query actions
};
// Opens `rows` over the statement in its fixed order, adding up `count` in
// the same pass. Refuses (ok false, nothing run) a statement that is not one
// read-only statement.
RecordListResult OpenRecordList(sqlite3* db, RowSource& rows, const QString& statement);

// The recipient list of a record (" ORDER BY rowid"), or for a survey the
// replies received from its recipients within [from, to] (a message without
// a time counts as a reply of a recipient only).
QString RecordDetailStatement(const RecordCategory& category, qint64 sendId, const QString& surveyFrom = {},
                              const QString& surveyTo = {});
// Recipients of the survey that sent no reply within [from, to]: recipients
// minus distinct replying numbers, never below 0.
int SurveyNoReplyCount(sqlite3* db, qint64 sendId, const QString& from, const QString& to);
// What edit 21015 shows for a survey.
QString SurveyText(int noReply, const QString& text);

// The sendIDs of rows `first..last` of each range of the main list, in list
// order, through the rowids fixed when the query ran. A row deleted since is
// skipped. False (logged "GetDbIDofSelected出错了") on a failure.
using RowRanges = std::vector<std::pair<int, int>>;
bool SendIdsOfRows(sqlite3* db, RowSource& rows, const RowRanges& ranges, std::vector<qint64>* ids);

// Ids per DELETE statement.
inline constexpr int kDeleteBatch = 10000;
// Deletes the records and their numbers and attachments in one transaction,
// kDeleteBatch ids per statement. Any failure rolls all of it back: false.
bool DeleteSentRecords(sqlite3* db, const std::vector<qint64>& sendIds);
// Deletes every SMS sent (or failed) record whose rowid is at most
// `maxRowid`, with its numbers, in one transaction.
bool DeleteAllSmsRecords(sqlite3* db, RecordKind kind, qint64 maxRowid);
// The run log's line for deleting `n` records of this category; empty for
// categories that log none.
QString DeleteLogLine(const RecordCategory& category, int n);

// (number, name, "0") for every row of a detail statement, in its order.
bool RecipientTriples(sqlite3* db, const QString& detailStatement, QStringList* triples);

// The numbers CSV of one record: "姓名,号码" then one line per recipient,
// numbers as the logged-in user may see them.
bool ExportNumberList(sqlite3* db, const QString& detailStatement, const QString& path, QString* error);
