#include "sms/sent_records.h"

#include "contacts/contact_list_query.h"
#include "core/log.h"
#include "core/numbers.h"
#include "core/row_source.h"
#include "core/sql.h"
#include "core/sql_guard.h"
#include "sms/record_export.h"

#include <QCoreApplication>

#include <algorithm>
#include <string>

namespace {

QString Tr(const char* text) {
    return QCoreApplication::translate("CDlgMsgRecord", text);
}

struct ChannelInfo {
    RecordChannel channel;
    qint64 base;
    int sendType;
    const char* word; // in the run log's delete lines
    const char* firstColumn;
    const char* recipientColumn;
};

const ChannelInfo kChannels[] = {
    {RecordChannel::Sms, 1000000000, 1, "短信", QT_TRANSLATE_NOOP("CDlgMsgRecord", "短信内容"),
     QT_TRANSLATE_NOOP("CDlgMsgRecord", "手机")},
    {RecordChannel::Fax, 1000002000, 2, "传真", QT_TRANSLATE_NOOP("CDlgMsgRecord", "传真文件"),
     QT_TRANSLATE_NOOP("CDlgMsgRecord", "传真号码")},
    {RecordChannel::Email, 1000003000, 3, "邮件", QT_TRANSLATE_NOOP("CDlgMsgRecord", "主题"),
     QT_TRANSLATE_NOOP("CDlgMsgRecord", "邮件地址")},
    {RecordChannel::Mms, 1000004000, 4, "彩信", QT_TRANSLATE_NOOP("CDlgMsgRecord", "主题"),
     QT_TRANSLATE_NOOP("CDlgMsgRecord", "手机")},
    {RecordChannel::Voice, 1000005000, 5, "语音", QT_TRANSLATE_NOOP("CDlgMsgRecord", "主题"),
     QT_TRANSLATE_NOOP("CDlgMsgRecord", "手机")},
};

constexpr qint64 kSurveyCode = 1000000005;
constexpr qint64 kSmsDraftCode = 1000000001;

// The columns every category but SMS drafts and the survey reads; the cell
// numbers of the list follow this order.
const char* const kListColumns =
    "content,submitTime,timingTime,count,send_receive_Num,timingTime,sendID,rowid";
const char* const kShortListColumns = "content,submitTime,count,timingTime,sendID,rowid";

// Titles by channel (the order of kChannels) and kind (draft, failed, sent).
const char* const kTitles[5][3] = {
    {QT_TRANSLATE_NOOP("CDlgMsgRecord", "短信草稿记录"), QT_TRANSLATE_NOOP("CDlgMsgRecord", "短信失败记录"),
     QT_TRANSLATE_NOOP("CDlgMsgRecord", "短信成功记录")},
    {QT_TRANSLATE_NOOP("CDlgMsgRecord", "传真草稿记录"), QT_TRANSLATE_NOOP("CDlgMsgRecord", "传真失败记录"),
     QT_TRANSLATE_NOOP("CDlgMsgRecord", "传真成功记录")},
    {QT_TRANSLATE_NOOP("CDlgMsgRecord", "邮件草稿记录"), QT_TRANSLATE_NOOP("CDlgMsgRecord", "邮件失败记录"),
     QT_TRANSLATE_NOOP("CDlgMsgRecord", "邮件成功记录")},
    {QT_TRANSLATE_NOOP("CDlgMsgRecord", "彩信草稿记录"), QT_TRANSLATE_NOOP("CDlgMsgRecord", "彩信失败记录"),
     QT_TRANSLATE_NOOP("CDlgMsgRecord", "彩信成功记录")},
    {QT_TRANSLATE_NOOP("CDlgMsgRecord", "语音草稿记录"), QT_TRANSLATE_NOOP("CDlgMsgRecord", "语音失败记录"),
     QT_TRANSLATE_NOOP("CDlgMsgRecord", "语音成功记录")},
};

QString TitleOf(const ChannelInfo& ch, RecordKind kind) {
    const int kindIndex = kind == RecordKind::Draft ? 0 : kind == RecordKind::Failed ? 1 : 2;
    return Tr(kTitles[static_cast<int>(ch.channel)][kindIndex]);
}

void Fill(RecordCategory& c, const QString& first, bool timing, bool withCount, int firstWidth) {
    // Leading blanks centre the headings of the left-aligned columns.
    c.columns.push_back({QString(10, QLatin1Char(' ')) + first, firstWidth, false});
    c.columns.push_back({QString(8, QLatin1Char(' ')) + Tr("发送时间"), 120, false});
    c.exportNames << first << Tr("发送时间");
    if (timing) {
        c.columns.push_back({QString(5, QLatin1Char(' ')) + Tr("定时发送时间"), 120, false});
        c.exportNames << Tr("定时发送时间");
    }
    if (withCount) {
        c.columns.push_back({timing ? Tr("条数") : Tr("条数") + QStringLiteral("   "), 55, true});
        c.exportNames << Tr("条数");
    }
    c.fieldNames = c.exportNames;
    c.fieldNames << Tr("姓名") << c.recipientColumn;
}

RecordCategory Build(const ChannelInfo& ch, qint64 code, RecordKind kind) {
    RecordCategory c;
    c.code = code;
    c.channel = ch.channel;
    c.kind = kind;
    c.recipientColumn = Tr(ch.recipientColumn);
    const bool sms = ch.channel == RecordChannel::Sms;
    const bool shortColumns = code == kSmsDraftCode || kind == RecordKind::Survey;
    c.selectColumns = QString::fromLatin1(shortColumns ? kShortListColumns : kListColumns);
    c.orderColumns = {QStringLiteral("content"), QStringLiteral("submitTime"),
                      shortColumns ? QStringLiteral("count") : QStringLiteral("timingTime"),
                      QStringLiteral("count")};
    c.sendIdColumn = shortColumns ? 4 : 6;
    c.subNumberColumn = shortColumns ? -1 : 4;
    c.surveyEndColumn = 3;
    const QString type = QStringLiteral("AND sendType=%1 ").arg(kind == RecordKind::Survey ? 6 : ch.sendType);
    switch (kind) {
    case RecordKind::Draft:
        c.filter = type + QStringLiteral("AND isDraft=1");
        c.title = TitleOf(ch, kind);
        c.countLabel = Tr("草稿") + Tr("记录条数:");
        Fill(c, Tr(ch.firstColumn), false, sms, 450);
        break;
    case RecordKind::Failed:
        c.filter = type + QStringLiteral("AND isDraft=0 AND isFail=1");
        c.title = TitleOf(ch, kind);
        c.countLabel = Tr("发送失败") + Tr("记录条数:");
        c.perResend = sms;
        c.deleteAll = sms;
        c.replySearch = sms;
        Fill(c, Tr(ch.firstColumn), true, sms, 250);
        break;
    case RecordKind::Sent:
        c.filter = type + QStringLiteral("AND isDraft=0 AND isFail=0");
        c.title = TitleOf(ch, kind);
        c.countLabel = Tr("发送成功") + Tr("记录条数:");
        c.advancedQuery = true;
        c.statistics = sms;
        c.deleteAll = sms;
        c.replySearch = sms;
        if (sms || ch.channel == RecordChannel::Mms)
            c.totalCaption = Tr("    条数合计");
        Fill(c, Tr(ch.firstColumn), true, sms || ch.channel == RecordChannel::Mms, 250);
        break;
    case RecordKind::Survey:
        c.filter = type + QStringLiteral("AND isDraft=0 ");
        c.title = Tr("调查记录");
        c.countLabel = Tr("调查") + Tr("记录条数:");
        c.advancedQuery = true;
        c.totalCaption = Tr("合计");
        Fill(c, Tr(ch.firstColumn), false, true, 350);
        break;
    }
    c.recipientMenu = (sms && kind != RecordKind::Survey) || ch.channel == RecordChannel::Mms;
    if (kind == RecordKind::Survey) {
        c.recipientColumns = {{Tr("姓名"), 55, true},
                              {Tr("手机"), 80, true},
                              {Tr("单位"), 90, true},
                              {Tr("回复内容"), 70, true}};
    } else if (kind == RecordKind::Sent) {
        // The delivery status always shows, on every channel, so an unknown
        // outcome ("未知": a pending record whose call got no answer) is seen.
        c.recipientColumns = {
            {Tr("姓名"), 55, true}, {c.recipientColumn, 85, true}, {Tr("发送状态"), 80, true}};
    } else {
        c.recipientColumns = {{Tr("姓名"), 80, true}, {c.recipientColumn, 120, true}};
    }
    return c;
}

} // namespace

const std::vector<qint64>& RecordCategoryCodes() {
    static const std::vector<qint64> codes = {
        1000000001, 1000000002, 1000000003, 1000000005, 1000002001, 1000002002, 1000002003, 1000003001,
        1000003002, 1000003003, 1000004001, 1000004002, 1000004003, 1000005001, 1000005002, 1000005003};
    return codes;
}

std::optional<RecordCategory> RecordCategoryFor(qint64 code) {
    if (code == kSurveyCode)
        return Build(kChannels[0], code, RecordKind::Survey);
    for (const ChannelInfo& ch : kChannels) {
        const qint64 child = code - ch.base;
        if (child >= 1 && child <= 3)
            return Build(ch, code,
                         child == 1   ? RecordKind::Draft
                         : child == 2 ? RecordKind::Failed
                                      : RecordKind::Sent);
    }
    return std::nullopt;
}

SortState& RecordSortState() {
    static SortState state;
    return state;
}

QString RecordOrderClause(const RecordCategory& category, int sortColumn) {
    SortState& state = RecordSortState();
    if (sortColumn < 0 || sortColumn >= category.orderColumns.size()) {
        state.Reset();
        return QString::fromLatin1(kDefaultRecordOrder);
    }
    return state.Click(sortColumn, category.orderColumns.at(sortColumn));
}

QString RecordListStatement(const RecordCategory& category, const QString& filter, const QString& order) {
    return QStringLiteral("SELECT  %1 FROM sendInfo WHERE 1=1 %2 %3 %4")
        .arg(category.selectColumns, category.filter, filter, order);
}

QString RecordDateFilter(const std::optional<QDate>& from, const std::optional<QDate>& to) {
    return QString::fromStdString(
        DayRangeCondition("submitTime", from.value_or(QDate()), to.value_or(QDate())));
}

qint64 MaxSendInfoRowid(sqlite3* db) {
    SqlStatement st(db, "SELECT MAX(rowid) FROM sendInfo");
    return st.ok() && st.step() == SQLITE_ROW && !st.isNull(0) ? st.int64(0) : 0;
}

RecordListResult OpenRecordList(sqlite3* db, RowSource& rows, const QString& statement) {
    RecordListResult result;
    std::string why;
    if (!db || !IsSingleReadOnlyStatement(db, statement.toStdString(), &why)) {
        rows.Close();
        LogWrite(g_logRun, "ERROR,CDlgMsgRecord::QueryRecords," + why);
        return result;
    }
    result.maxRowid = MaxSendInfoRowid(db);
    qint64 total = 0;
    result.ok = rows.Open(db, statement, RowOrder::Fixed, {}, {}, QStringLiteral("count"),
                          [&total](int, qint64, SqlStatement& st) { total += st.int64(1); });
    result.total = total;
    if (!result.ok)
        rows.Close();
    return result;
}

QString RecordDetailStatement(const RecordCategory& category, qint64 sendId, const QString& surveyFrom,
                              const QString& surveyTo) {
    if (category.IsSurvey()) {
        // A message without a time counts only when its sender is one of
        // this survey's recipients.
        return QStringLiteral(
                   "SELECT  name,sendNum,coName,msgContent,rowid FROM receivedMSGRecord "
                   "\t\t\t\t\t\t\t\t\t\tWHERE (sendTime is Null OR (sendTime>=%1 AND sendTime<=%2)) "
                   "\t\t\t\t\t\t\t\t\t\tAND sendNum IN (SELECT numOrMailAddr FROM sendNums WHERE "
                   "sendID=%3) ORDER BY rowid")
            .arg(QString::fromStdString(SqlQuote(surveyFrom)), QString::fromStdString(SqlQuote(surveyTo)))
            .arg(sendId);
    }
    return QStringLiteral(
               "SELECT  name,numOrMailAddr,status,rowid FROM sendNums WHERE sendID=%1 ORDER BY rowid")
        .arg(sendId);
}

int SurveyNoReplyCount(sqlite3* db, qint64 sendId, const QString& from, const QString& to) {
    SqlStatement recipients(db, "SELECT  COUNT(sendID) FROM sendNums WHERE sendID=?");
    recipients.bind(1, static_cast<int64_t>(sendId));
    if (!recipients.ok() || recipients.step() != SQLITE_ROW)
        return 0;
    // Distinct numbers: one recipient replying twice is still one reply.
    SqlStatement replied(db, "SELECT COUNT(DISTINCT sendNum) FROM receivedMSGRecord "
                             "WHERE (sendTime is Null OR (sendTime>=? AND sendTime<=?)) "
                             "AND sendNum IN (SELECT numOrMailAddr FROM sendNums WHERE sendID=?)");
    replied.bind(1, from).bind(2, to).bind(3, static_cast<int64_t>(sendId));
    if (!replied.ok() || replied.step() != SQLITE_ROW)
        return 0;
    return static_cast<int>(std::max<int64_t>(0, recipients.int64(0) - replied.int64(0)));
}

QString SurveyText(int noReply, const QString& text) {
    return Tr("没回复条数: %1\r\n\r\n======================================\r\n%2").arg(noReply).arg(text);
}

bool SendIdsOfRows(sqlite3* db, RowSource& rows, const RowRanges& ranges, std::vector<qint64>* ids) {
    ids->clear();
    SqlStatement st(db, "SELECT sendID FROM sendInfo WHERE rowid=?");
    if (!st.ok()) {
        LogWriteString(g_logRun, QStringLiteral("GetDbIDofSelected出错了"));
        return false;
    }
    bool failed = false;
    for (const auto& [first, last] : ranges) {
        const bool ran = rows.ForEachRowid(first, last, [&](int, qint64 rowid) {
            if (failed)
                return;
            st.reset();
            st.bind(1, static_cast<int64_t>(rowid));
            const int rc = st.step();
            if (rc == SQLITE_ROW)
                ids->push_back(st.int64(0));
            else if (rc != SQLITE_DONE)
                failed = true;
        });
        if (!ran || failed) {
            LogWriteString(g_logRun, QStringLiteral("GetDbIDofSelected出错了"));
            return false;
        }
    }
    return true;
}

bool DeleteSentRecords(sqlite3* db, const std::vector<qint64>& sendIds) {
    if (sendIds.empty())
        return true;
    SqlTransaction transaction(db);
    if (!transaction.active())
        return false;
    for (size_t start = 0; start < sendIds.size(); start += kDeleteBatch) {
        const size_t end = std::min(sendIds.size(), start + kDeleteBatch);
        const bool last = end == sendIds.size();
        std::string list;
        list.reserve((end - start) * 8);
        for (size_t i = start; i < end; ++i) {
            if (i > start)
                list += ',';
            list += std::to_string(sendIds[i]);
        }
        list += ')';
        struct Step {
            const char* head;
            const char* failure;
        };
        const Step steps[] = {
            {"DELETE FROM sendNums WHERE sendID           in(", "ERROR,分批删除sendNums出错"},
            {"DELETE FROM sendInfo WHERE sendID           in(", "ERROR,分批删除sendInfo出错"},
            {"DELETE FROM attachmentContent  WHERE sendID in(", "ERROR,分批删除attachmentContent出错"},
        };
        for (const Step& step : steps) {
            const int rc = ExecSql(nullptr, db, std::string(step.head) + list);
            if (rc != SQLITE_OK) {
                LogWrite(g_logRun, std::string(step.failure) + (last ? "2" : ""));
                return false; // the guard rolls everything back
            }
        }
    }
    return transaction.commit() == SQLITE_OK;
}

bool DeleteAllSmsRecords(sqlite3* db, RecordKind kind, qint64 maxRowid) {
    if (kind != RecordKind::Sent && kind != RecordKind::Failed)
        return false;
    const char* fail = kind == RecordKind::Sent ? "0" : "1";
    const std::string where = std::string("sendType=1 AND isFail=") + fail + " AND isDraft=0 AND rowid<=?";
    SqlTransaction transaction(db);
    if (!transaction.active())
        return false;
    SqlStatement numbers(db, "DELETE FROM sendNums WHERE  sendID in(SELECT sendID FROM sendInfo WHERE " +
                                 where + ")");
    numbers.bind(1, static_cast<int64_t>(maxRowid));
    if (!numbers.ok() || numbers.exec() != SQLITE_OK)
        return false;
    SqlStatement records(db, "DELETE FROM sendInfo WHERE " + where);
    records.bind(1, static_cast<int64_t>(maxRowid));
    if (!records.ok() || records.exec() != SQLITE_OK)
        return false;
    if (transaction.commit() != SQLITE_OK)
        return false;
    LogWriteString(g_logRun, kind == RecordKind::Sent ? QStringLiteral("删除了全部短信发送成功记录")
                                                      : QStringLiteral("删除了全部短信发送失败记录"));
    return true;
}

QString DeleteLogLine(const RecordCategory& category, int n) {
    if (category.kind != RecordKind::Failed && category.kind != RecordKind::Sent)
        return {};
    const char* word = "短信";
    for (const ChannelInfo& ch : kChannels)
        if (ch.channel == category.channel)
            word = ch.word;
    return QStringLiteral("删除了%1%2记录 %3 条")
        .arg(QString::fromUtf8(word),
             category.kind == RecordKind::Failed ? QStringLiteral("发送失败") : QStringLiteral("发送成功"))
        .arg(n);
}

bool RecipientTriples(sqlite3* db, const QString& detailStatement, QStringList* triples) {
    SqlStatement st(db, detailStatement.toStdString());
    if (!st.ok()) {
        LogWriteString(g_logRun, QStringLiteral("查询发送列表出错了"));
        return false;
    }
    int rc;
    while ((rc = st.step()) == SQLITE_ROW)
        *triples << st.qtext(1) << st.qtext(0) << QStringLiteral("0");
    if (rc != SQLITE_DONE) {
        LogWriteString(g_logRun, QStringLiteral("查询发送列表出错了"));
        return false;
    }
    return true;
}

bool ExportNumberList(sqlite3* db, const QString& detailStatement, const QString& path, QString* error) {
    SqlStatement st(db, detailStatement.toStdString());
    bool queryFailed = false;
    const RecordExportResult result =
        ExportRecordsCsv(path, {Tr("姓名"), Tr("号码")}, [&](QStringList& cells) {
            const int rc = st.ok() ? st.step() : SQLITE_ERROR;
            if (rc == SQLITE_ROW) {
                cells << st.qtext(0) << MaskNumber(st.qtext(1));
                return RowStep::Row;
            }
            if (rc == SQLITE_DONE)
                return RowStep::End;
            LogWriteString(g_logRun, QStringLiteral("查询发送列表出错了"));
            queryFailed = true;
            return RowStep::Failed;
        });
    if (!result.ok && error)
        *error = queryFailed ? QStringLiteral("query failed") : result.error;
    return result.ok;
}
