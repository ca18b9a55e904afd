#include "automation/interactive_records.h"

#include "contacts/contact_fields.h"
#include "contacts/field_markers.h"
#include "core/log.h"
#include "core/sql.h"
#include "service/web_service_client.h"
#include "sms/send_records.h"

#include <QDateTime>

namespace {

constexpr char kTimeFormat[] = "yyyy-MM-dd HH:mm:ss";

int InsertSendInfo(sqlite3* db, const QString& content, const QString& submitTime, qint64 sendId, int count,
                   int isFail) {
    SqlStatement st(db,
                    "INSERT INTO sendInfo (content,submitTime,sendID,isFail,count) VALUES(?1,?2,?3,?4,?5)");
    st.bind(1, content)
        .bind(2, submitTime)
        .bind(3, static_cast<int64_t>(sendId))
        .bind(4, isFail)
        .bind(5, count);
    return st.exec();
}

// The sendNums row of one number. `rrid` and `status` as given; a null
// status writes NULL.
class NumberInsert {
public:
    explicit NumberInsert(sqlite3* db)
        : m_st(db, "INSERT INTO sendNums (sendID,numOrMailAddr,rrid,status) VALUES(?1,?2,?3,?4)") {}
    int insert(qint64 sendId, std::string_view number, std::string_view rrid, const char* status) {
        m_st.bind(1, static_cast<int64_t>(sendId)).bind(2, number).bind(3, rrid);
        if (status)
            m_st.bind(4, status);
        else
            m_st.bindNull(4);
        const int rc = m_st.exec();
        m_st.reset();
        return rc;
    }
    int insert(qint64 sendId, const QString& number, std::string_view rrid, const char* status) {
        const QByteArray utf8 = number.toUtf8();
        return insert(sendId, std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())), rrid,
                      status);
    }

private:
    SqlStatement m_st;
};

bool Begin(sqlite3* db, SqlTransaction& tx, const char* who) {
    if (tx.active())
        return true;
    LogWrite(g_logRun, std::string("ERROR,") + who + " begin transaction,error info:" + SqlErrorText(db));
    return false;
}

bool Commit(sqlite3* db, SqlTransaction& tx, const char* who) {
    if (tx.commit() == SQLITE_OK)
        return true;
    LogWrite(g_logRun, std::string("ERROR,") + who + " commit transaction,error info:" + SqlErrorText(db));
    tx.rollback();
    return false;
}

QString Now() {
    return QDateTime::currentDateTime().toString(QLatin1String(kTimeFormat));
}

// The mail loop's rows, pending (count 0, rrid '', "未知") or final.
qint64 WriteMailRows(sqlite3* db, bool pending, bool failed, const QString& content, int numberCount,
                     const QString& submitTime, std::string_view numbers, std::string_view rrid,
                     AutoSendRecord* record) {
    const std::vector<std::string> pieces = MailRecordNumbers(numbers, numberCount);
    const int count = MailRecordSegments(content) * numberCount;
    const qint64 sendId = AllocateSendId(db);
    if (sendId <= 0) {
        LogWrite(g_logRun, "ERROR,WriteRecord INSERT出错！sql=SELECT MAX(sendID) FROM sendInfo info:" +
                               SqlErrorText(db));
        return 0;
    }
    SqlTransaction tx(db);
    if (!Begin(db, tx, "WriteRecord"))
        return 0;
    if (InsertSendInfo(db, content, submitTime, sendId, pending ? 0 : count, failed ? 1 : 0) != SQLITE_OK) {
        LogWrite(g_logRun, "ERROR,WriteRecord INSERT出错！sql=INSERT INTO sendInfo "
                           "(content,submitTime,count,isFail,sendID) info:" +
                               SqlErrorText(db));
        return 0;
    }
    NumberInsert rows(db);
    for (const std::string& number : pieces) {
        const int rc = pending ? rows.insert(sendId, number, "", kStatusUnknown)
                               : rows.insert(sendId, number, rrid, nullptr);
        if (rc != SQLITE_OK) {
            // The job row goes too: a record whose numbers are half missing
            // would tell the user the wrong recipients.
            LogWrite(g_logRun, "ERROR,WriteRecord存入号码列表错,SQL= INSERT INTO sendNums "
                               "(sendID,numOrMailAddr,rrid), error info:" +
                                   SqlErrorText(db));
            return 0;
        }
    }
    if (!Commit(db, tx, "WriteRecord"))
        return 0;
    if (record) {
        record->sendIds = {sendId};
        record->counts = {count};
    }
    return sendId;
}

} // namespace

int InteractiveSegments(const QString& text) {
    return static_cast<int>((text.size() + 69) / 70);
}

int MailRecordSegments(const QString& content) {
    const qsizetype length = content.size();
    return length <= 70 ? 1 : static_cast<int>(length / 67 + 1);
}

std::vector<std::string> MailRecordNumbers(std::string_view numbers, int numberCount) {
    std::vector<std::string> pieces;
    size_t pos = 0;
    while (static_cast<int>(pieces.size()) < numberCount && pos < numbers.size()) {
        size_t comma = numbers.find(',', pos);
        if (comma == std::string_view::npos)
            comma = numbers.size();
        std::string_view piece = numbers.substr(pos, comma - pos);
        pos = comma + 1;
        if (!piece.empty())
            pieces.emplace_back(piece);
    }
    return pieces;
}

bool WriteInteractiveRecord(sqlite3* db, bool personalised, const std::vector<NUM_CONTENT>& items,
                            AutoSendRecord& record) {
    record = AutoSendRecord();
    if (!db || items.empty())
        return false;
    const int64_t idCount = personalised ? static_cast<int64_t>(items.size()) : 1;
    const qint64 firstId = AllocateId(db, "sendInfo", "sendID", idCount);
    if (firstId <= 0) {
        LogWrite(g_logRun, "ERROR,互动短信写发送记录出错了,取发送编号:" + SqlErrorText(db));
        return false;
    }
    const QString now = Now();
    SqlTransaction tx(db);
    if (!Begin(db, tx, "互动短信写发送记录出错了"))
        return false;
    NumberInsert rows(db);
    AutoSendRecord pending;
    for (size_t i = 0; i < items.size(); ++i) {
        const NUM_CONTENT& item = items[i];
        const qint64 sendId = personalised ? firstId + static_cast<qint64>(i) : firstId;
        if (rows.insert(sendId, item.number, "", kStatusUnknown) != SQLITE_OK) {
            LogWrite(g_logRun, "ERROR,互动短信写个性短信发送号码出错了," + SqlErrorText(db));
            return false;
        }
        if (personalised) {
            if (InsertSendInfo(db, item.text, now, sendId, 0, 0) != SQLITE_OK) {
                LogWrite(g_logRun, "ERROR,互动短信写个性短信内容出错了," + SqlErrorText(db));
                return false;
            }
            pending.sendIds.push_back(sendId);
            pending.counts.push_back(InteractiveSegments(item.text));
        }
    }
    if (!personalised) {
        const QString& content = items.back().text;
        if (InsertSendInfo(db, content, now, firstId, 0, 0) != SQLITE_OK) {
            LogWrite(g_logRun, "ERROR,互动短信写发送记录出错了," + SqlErrorText(db));
            return false;
        }
        pending.sendIds.push_back(firstId);
        pending.counts.push_back(InteractiveSegments(content) * static_cast<int>(items.size()));
    }
    if (!Commit(db, tx, "互动短信写发送记录出错了"))
        return false;
    record = std::move(pending);
    return true;
}

bool WriteAutoSendOutcome(sqlite3* db, const AutoSendRecord& record, int wrapperResult, CallOutcome transport,
                          const std::string& rrid) {
    if (!db || record.empty())
        return false;
    const SmsSendOutcome outcome = OutcomeOfCall(wrapperResult, transport);
    if (outcome == SmsSendOutcome::Unknown) {
        // No answer came: the rows stay "未知" and uncounted, never success.
        LogWrite(g_logRun, "WARN,自动发送结果未知,sendID=" + std::to_string(record.sendIds.front()));
        return true;
    }
    const bool sent = outcome == SmsSendOutcome::Sent;
    SqlTransaction tx(db);
    if (!Begin(db, tx, "自动发送写发送结果出错了"))
        return false;
    SqlStatement info(db, "UPDATE sendInfo SET count=?1,isFail=?2 WHERE sendID=?3");
    SqlStatement nums(db, sent ? "UPDATE sendNums SET rrid=?1,status=NULL WHERE sendID=?2"
                               : "UPDATE sendNums SET status=NULL WHERE sendID=?2");
    for (size_t i = 0; i < record.sendIds.size(); ++i) {
        const int64_t sendId = record.sendIds[i];
        const int count = i < record.counts.size() ? record.counts[i] : 0;
        info.bind(1, count).bind(2, sent ? 0 : 1).bind(3, sendId);
        if (sent)
            nums.bind(1, std::string_view(rrid));
        nums.bind(2, sendId);
        if (info.exec() != SQLITE_OK || nums.exec() != SQLITE_OK) {
            LogWrite(g_logRun, "ERROR,自动发送写发送结果出错了," + SqlErrorText(db));
            return false;
        }
        info.reset();
        nums.reset();
    }
    return Commit(db, tx, "自动发送写发送结果出错了");
}

int SendAndRecordInteractive(sqlite3* db, CWebServiceClient& client, bool personalised,
                             const std::vector<NUM_CONTENT>& items,
                             const std::function<int(std::string& rrid)>& call) {
    AutoSendRecord record;
    if (!call || !WriteInteractiveRecord(db, personalised, items, record))
        return -1;
    std::string rrid;
    const int result = call(rrid);
    WriteAutoSendOutcome(db, record, result, client.LastCallOutcome(), rrid);
    return result;
}

qint64 WriteRecord(sqlite3* db, bool failed, const QString& content, int numberCount,
                   const QString& submitTime, std::string_view numbers, std::string_view rrid) {
    if (!db)
        return 0;
    return WriteMailRows(db, false, failed, content, numberCount, submitTime, numbers, rrid, nullptr);
}

bool WriteRecordPending(sqlite3* db, const QString& content, int numberCount, const QString& submitTime,
                        std::string_view numbers, AutoSendRecord& record) {
    record = AutoSendRecord();
    if (!db)
        return false;
    return WriteMailRows(db, true, false, content, numberCount, submitTime, numbers, "", &record) != 0;
}

bool FillAutoSendTexts(sqlite3* db, const QString& content, std::vector<NUM_CONTENT>& items) {
    QStringList fields;
    ExtractFieldTokens(content, fields);
    if (fields.isEmpty()) {
        for (NUM_CONTENT& item : items)
            item.text = content;
        return false;
    }
    ContactFieldReader reader(db, fields);
    QStringList values;
    for (NUM_CONTENT& item : items) {
        item.text = content;
        values.clear();
        reader.Read(values, item.number, 0);
        for (int i = 0; i < fields.size() && i < values.size(); ++i)
            item.text.replace(QStringLiteral("<%") + fields[i] + QStringLiteral("%>"), values[i]);
    }
    return !fields.isEmpty();
}
