#pragma once
// The received messages (table receivedMSGRecord) as the received page lists
// them: the query with an optional condition, the read state, deletes,
// exports and the customer's report of sends and their replies.
//
// Rows are named by rowid: receiveID is the service's id and may repeat. The
// list's order is fixed once per query (RowOrder::Fixed), so what acts on
// selected rows acts on the rows the user saw, and what acts on the whole
// query stops at the largest rowid the query saw: a message stored after the
// query is in no selection.
#include "core/row_source.h"
#include "sms/record_export.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

struct sqlite3;
class SortState;

// The list's select list: cell i of the page shows column i (0..5); the row
// also carries the sub-number, the service's id and, last, the rowid.
enum ReceivedColumn {
    kRecvRead = 0,
    kRecvName = 1,
    kRecvNumber = 2,
    kRecvContent = 3,
    kRecvCompany = 4,
    kRecvTime = 5,
    kRecvSubNumber = 6,
    kRecvReceiveId = 7,
    kRecvRowid = 8,
};
inline constexpr int kReceivedListColumns = 6;

// The sort state of the received page, one for the whole program.
SortState& ReceivedSortState();

// The saved condition and the two radio buttons of [ReceiveMsg] in the
// account's settings; the condition is read whole.
struct ReceivedShowSettings {
    bool showAll = false;
    bool showSome = false;
    QString sql;
    // The received list's filter: the saved condition when ShowSome is set,
    // else everything (both off, never chosen, included).
    QString filter() const { return showSome ? sql : QString(); }
};
ReceivedShowSettings ReadReceivedShowSettings(const QString& accountIni);

// Rows first..last (inclusive) of the list.
using RowSpan = std::pair<int, int>;

class ReceivedRecords {
public:
    explicit ReceivedRecords(sqlite3* db);

    // (Re)runs the list: `filter` is appended after "WHERE 1=1 " (text
    // beginning " AND " or " OR ", or empty; the table's alias is `a`);
    // `sortColumn` -1 gives the default order and forgets the header sort,
    // 0..5 sorts by that column as a header click does. A filter that does
    // not make one read-only statement runs nothing. False (logged
    // "加载接收到的短信记录列表出错了", the list empty) on failure.
    bool Query(const QString& filter, int sortColumn);
    // The last query again, same filter and order.
    bool Requery();

    int Count() const { return m_source.Count(); }
    RowSource& Source() { return m_source; }
    // The filter of the last query as it ran (empty also after a failed one).
    const QString& Filter() const { return m_filter; }
    // The list statement of the last query (no LIMIT).
    const QString& ListStatement() const { return m_listSql; }
    // The ORDER BY clause of the last query.
    // The largest rowid the last query saw (0 when the list is empty).
    qint64 MaxRowid() const { return m_maxRowid; }
    // The list statement stopped at MaxRowid(): what the whole query means
    // when it is handed on (reply).
    QString BoundedListStatement() const;

    // A cell as stored ("" for NULL or outside the list).
    QString Cell(int row, int column);
    // A cell as the list shows it: the number masked for a user under the
    // masking right.
    QString DisplayCell(int row, int column);
    bool IsRead(int row);
    qint64 Rowid(int row);

    // Marks the row read: 1 when it was unread and is now read (one UPDATE),
    // 0 when it was read already (nothing runs), -1 on failure (logged
    // "更新为已读状态出错了").
    int MarkRead(int row);

    struct DeleteOutcome {
        bool ok = false;
        bool wholeTable = false; // the single whole-table statement ran
        qint64 deleted = 0;
    };
    // Deletes the rows of `spans`. Every row selected after a query without
    // a filter: one statement for the table up to MaxRowid(); otherwise the
    // rows by rowid, 10,000 a statement, all in one transaction, none
    // deleted when one statement fails. The list is not re-queried here.
    DeleteOutcome Delete(const std::vector<RowSpan>& spans);
    // True when `spans` cover every row of the list.
    bool CoversAll(const std::vector<RowSpan>& spans) const;

    // The export names of the list ("姓名" .. "发送时间") and its title.
    static QStringList ExportHeader();
    static QString ExportTitle();
    // Cells 1-5 of every row, the number masked as the list shows it.
    RecordExportResult ExportXlsx(const QString& path);
    RecordExportResult ExportCsv(const QString& path);

    // The customer's report: every SMS sent after `from` and before `to`,
    // each recipient, each reply from that number. False when the query or
    // the file failed (the query's failure logged "客户定制导出上行查询数据出错").
    bool ExportCustomerReport(const QString& path, const QDateTime& from, const QDateTime& to);

    // The date filter of the query button: from-date and to-date (the whole
    // day of the to-date included); invalid dates are left out. Values are
    // quoted with the one quoting helper.
    static QString DateFilter(const QDate& from, const QDate& to);

private:
    bool Run(QString filter, QString order);

    sqlite3* m_db;
    RowSource m_source;
    QString m_filter;
    QString m_order;
    QString m_listSql;
    qint64 m_maxRowid = 0;
};
