#include "sms/received_records.h"

#include "contacts/contact_list_query.h"
#include "contacts/csv_writer.h"
#include "core/log.h"
#include "core/numbers.h"
#include "core/sql.h"
#include "core/sql_guard.h"
#include "platform/ini.h"

#include <QFile>

#include <algorithm>

namespace {

constexpr const char* kSelectList =
    "alreadyRead,name,sendNum,msgContent,coName,sendTime,send_receive_Num,receiveID,rowid";
constexpr const char* kDefaultOrder = " ORDER BY sendTime DESC, rowid";
constexpr const char* kLoadFailed = "加载接收到的短信记录列表出错了";
constexpr const char* kDeleteFailed = "ERROR,删除接收的短信记录出错";
constexpr size_t kDeleteBatch = 10000;
// The report keeps at most this many characters of a text.
constexpr qsizetype kReportTextMax = 1023;

const char* const kColumnNames[kReceivedListColumns] = {"alreadyRead", "name",   "sendNum",
                                                        "msgContent",  "coName", "sendTime"};

QString ReportText(const QString& text) {
    QString cut = text.left(kReportTextMax);
    if (cut.size() < text.size() && !cut.isEmpty() && cut.back().isHighSurrogate())
        cut.chop(1);
    cut.remove(QLatin1Char('\r'));
    cut.remove(QLatin1Char('\n'));
    cut.replace(QLatin1Char(','), QChar(0xFF0C));
    return cut;
}

} // namespace

SortState& ReceivedSortState() {
    static SortState state;
    return state;
}

ReceivedShowSettings ReadReceivedShowSettings(const QString& accountIni) {
    const QString section = QStringLiteral("ReceiveMsg");
    ReceivedShowSettings s;
    s.showAll = ini::ReadInt(accountIni, section, QStringLiteral("ShowAll"), 0) != 0;
    s.showSome = ini::ReadInt(accountIni, section, QStringLiteral("ShowSome"), 0) != 0;
    s.sql = ini::ReadString(accountIni, section, QStringLiteral("Sql"));
    return s;
}

ReceivedRecords::ReceivedRecords(sqlite3* db) : m_db(db) {}

bool ReceivedRecords::Query(const QString& filter, int sortColumn) {
    QString order;
    if (sortColumn < 0 || sortColumn >= kReceivedListColumns) {
        ReceivedSortState().Reset();
        order = QString::fromLatin1(kDefaultOrder);
    } else {
        order = ReceivedSortState().Click(sortColumn, QString::fromLatin1(kColumnNames[sortColumn]));
    }
    return Run(filter, order);
}

bool ReceivedRecords::Requery() {
    return Run(m_filter, m_order.isEmpty() ? QString::fromLatin1(kDefaultOrder) : m_order);
}

bool ReceivedRecords::Run(QString filter, QString order) {
    // By value: the caller may pass this object's own filter and order.
    m_source.Close();
    m_maxRowid = 0;
    m_filter.clear();
    m_order = order;
    m_listSql = QStringLiteral("SELECT ") + QString::fromLatin1(kSelectList) +
                QStringLiteral(" FROM receivedMSGRecord a WHERE 1=1 ") + filter + order;
    // The condition comes from a settings file or the advanced query: it may
    // narrow the list, never run a statement of its own.
    std::string why;
    if (!IsSingleReadOnlyStatement(m_db, m_listSql.toStdString(), &why)) {
        LogWrite(g_logRun, kLoadFailed);
        LogSqlError(why, 1, filter);
        m_listSql.clear();
        return false;
    }
    qint64 maxRowid = 0;
    const bool ok = m_source.Open(
        m_db, m_listSql, RowOrder::Fixed, QString(), {}, QString(),
        [&maxRowid](int, qint64 rowid, SqlStatement&) { maxRowid = std::max(maxRowid, rowid); });
    if (!ok) {
        LogWrite(g_logRun, kLoadFailed);
        m_source.Close();
        return false;
    }
    m_filter = filter;
    m_maxRowid = maxRowid;
    return true;
}

QString ReceivedRecords::BoundedListStatement() const {
    if (m_listSql.isEmpty())
        return {};
    // Parenthesised, so a condition beginning " OR " cannot reach past the bound.
    return QStringLiteral("SELECT %1 FROM receivedMSGRecord a WHERE a.rowid<=%2 AND (1=1 %3)%4")
        .arg(QString::fromLatin1(kSelectList))
        .arg(m_maxRowid)
        .arg(m_filter, m_order);
}

QString ReceivedRecords::Cell(int row, int column) {
    return m_source.CellText(row, column);
}

QString ReceivedRecords::DisplayCell(int row, int column) {
    if (column == kRecvRead)
        return {};
    const QString text = m_source.CellText(row, column);
    return column == kRecvNumber ? MaskNumber(text) : text;
}

bool ReceivedRecords::IsRead(int row) {
    return m_source.CellText(row, kRecvRead) == QLatin1String("1");
}

qint64 ReceivedRecords::Rowid(int row) {
    return m_source.Rowid(row);
}

int ReceivedRecords::MarkRead(int row) {
    if (row < 0 || row >= Count() || IsRead(row))
        return 0;
    const qint64 rowid = Rowid(row);
    if (rowid == 0)
        return 0;
    SqlStatement update(m_db, "UPDATE receivedMSGRecord SET alreadyRead=1 WHERE rowid=?");
    update.bind(1, static_cast<int64_t>(rowid));
    if (!update.ok() || update.exec() != SQLITE_OK) {
        LogWrite(g_logRun, "更新为已读状态出错了");
        return -1;
    }
    m_source.SetCell(row, kRecvRead, std::string("1"));
    return 1;
}

bool ReceivedRecords::CoversAll(const std::vector<RowSpan>& spans) const {
    const int count = Count();
    if (count == 0)
        return false;
    std::vector<RowSpan> sorted;
    for (const RowSpan& s : spans) {
        const int first = std::max(0, s.first);
        const int last = std::min(count - 1, s.second);
        if (first <= last)
            sorted.emplace_back(first, last);
    }
    std::sort(sorted.begin(), sorted.end());
    int next = 0; // the first row not covered yet
    for (const RowSpan& s : sorted) {
        if (s.first > next)
            return false;
        next = std::max(next, s.second + 1);
    }
    return next >= count;
}

ReceivedRecords::DeleteOutcome ReceivedRecords::Delete(const std::vector<RowSpan>& spans) {
    DeleteOutcome outcome;
    if (Count() == 0)
        return outcome;
    if (m_filter.isEmpty() && CoversAll(spans)) {
        outcome.wholeTable = true;
        SqlStatement del(m_db, "DELETE from receivedMSGRecord WHERE rowid<=?");
        del.bind(1, static_cast<int64_t>(m_maxRowid));
        if (!del.ok() || del.exec() != SQLITE_OK) {
            LogWrite(g_logRun, kDeleteFailed);
            return outcome;
        }
        outcome.deleted = sqlite3_changes(m_db);
        outcome.ok = true;
        return outcome;
    }

    std::vector<qint64> rowids;
    for (const RowSpan& s : spans)
        m_source.ForEachRowid(s.first, s.second, [&rowids](int, qint64 rowid) { rowids.push_back(rowid); });
    std::sort(rowids.begin(), rowids.end());
    rowids.erase(std::unique(rowids.begin(), rowids.end()), rowids.end());
    if (rowids.empty())
        return outcome;

    SqlTransaction transaction(m_db);
    if (!transaction.active()) {
        LogWrite(g_logRun, "ERROR,删除接收的短信begin transaction");
        return outcome;
    }
    for (size_t first = 0; first < rowids.size(); first += kDeleteBatch) {
        const size_t n = std::min(kDeleteBatch, rowids.size() - first);
        SqlStatement del(m_db, "DELETE FROM receivedMSGRecord  WHERE rowid in (" + SqlParameterList(n) + ")");
        for (size_t i = 0; i < n; ++i)
            del.bind(static_cast<int>(i + 1), static_cast<int64_t>(rowids[first + i]));
        const int rc = del.ok() ? del.exec() : del.prepareResult();
        if (rc != SQLITE_OK) {
            LogSqlError(sqlite3_errmsg(m_db), rc, kDeleteFailed);
            outcome.deleted = 0;
            return outcome; // the transaction rolls back: nothing is deleted
        }
        outcome.deleted += sqlite3_changes(m_db);
    }
    if (transaction.commit() != SQLITE_OK) {
        LogWrite(g_logRun, "ERROR删除接收记录commit transaction");
        outcome.deleted = 0;
        return outcome;
    }
    outcome.ok = true;
    return outcome;
}

QStringList ReceivedRecords::ExportHeader() {
    return {QStringLiteral("姓名"), QStringLiteral("联系电话"), QStringLiteral("短信内容"),
            QStringLiteral("公司名称"), QStringLiteral("发送时间")};
}

QString ReceivedRecords::ExportTitle() {
    return QStringLiteral("已接收短信记录");
}

RecordExportResult ReceivedRecords::ExportXlsx(const QString& path) {
    return ExportRecordsXlsx(path, ExportTitle(), ExportHeader(),
                             RowSourceReader(m_source,
                                             {kRecvName, kRecvNumber, kRecvContent, kRecvCompany, kRecvTime},
                                             [](int column, const QString& text) {
                                                 return column == kRecvNumber ? MaskNumber(text) : text;
                                             }));
}

RecordExportResult ReceivedRecords::ExportCsv(const QString& path) {
    return ExportRecordsCsv(path, ExportHeader(),
                            RowSourceReader(m_source,
                                            {kRecvName, kRecvNumber, kRecvContent, kRecvCompany, kRecvTime},
                                            [](int column, const QString& text) {
                                                return column == kRecvNumber ? MaskNumber(text) : text;
                                            }));
}

bool ReceivedRecords::ExportCustomerReport(const QString& path, const QDateTime& from, const QDateTime& to) {
    // "是否回复" is 1 only where the join found a reply from that number.
    SqlStatement rows(m_db, "select b.numOrMailAddr,a.content,a.submitTime,"
                            "CASE WHEN c.rowid IS NULL THEN 0 ELSE 1 END,c.msgContent,c.sendTime "
                            " from sendInfo a left join sendNums b on a.sendID=b.sendID left join "
                            "receivedMSGRecord c on b.numOrMailAddr=c.sendNum "
                            "where a.submitTime>? and a.submitTime<? and  a.sendType=1");
    rows.bind(1, from.toString(QStringLiteral("yyyy-MM-dd HH:mm:00")));
    rows.bind(2, to.toString(QStringLiteral("yyyy-MM-dd HH:mm:00")));
    if (!rows.ok()) {
        LogWrite(g_logRun, "客户定制导出上行查询数据出错");
        return false;
    }
    CsvWriter writer(path);
    if (!writer.AddLine(QStringLiteral("手机号,发送内容,发送时间,是否回复,回复内容,回复时间")))
        return false;
    int rc;
    while ((rc = rows.step()) == SQLITE_ROW) {
        const QString line = QStringList{rows.qtext(0), ReportText(rows.qtext(1)), rows.qtext(2),
                                         rows.qtext(3), ReportText(rows.qtext(4)), rows.qtext(5)}
                                 .join(QLatin1Char(','));
        if (!writer.AddLine(line))
            break;
    }
    if (rc != SQLITE_DONE) {
        if (rc != SQLITE_ROW)
            LogWrite(g_logRun, "客户定制导出上行查询数据出错");
        writer.Close();
        QFile::remove(path);
        return false;
    }
    return writer.Close();
}

QString ReceivedRecords::DateFilter(const QDate& from, const QDate& to) {
    return QString::fromStdString(DayRangeCondition("sendTime", from, to));
}
