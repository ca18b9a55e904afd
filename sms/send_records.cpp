#include "sms/send_records.h"

#include "core/helpers.h"
#include "core/log.h"
#include "core/numbers.h"
#include "core/sql.h"
#include "core/virtual_list.h"

#include <algorithm>
#include <climits>

namespace {

constexpr char kTimeFormat[] = "yyyy-MM-dd HH:mm:ss";

// The rows of a source in row order, skipping freed rows (key -1).
template <typename Visit> void ForEachRow(const VIRTUAL_LIST& source, Visit visit) {
    const int count = source.GetCount();
    for (int i = 0; i < count; ++i) {
        const qint64 key = source.GetKey(i);
        if (key <= 0)
            continue;
        SmsRecipient r;
        r.key = key;
        r.number = NumberFromKey(key).toStdString();
        QString name;
        if (source.Lookup(key, &name))
            r.name = name;
        visit(std::move(r));
    }
}

bool IsInternational(const SmsRecipient& r) {
    return IsInternationalNumber(QString::fromStdString(r.number));
}

// The integer rules of the settings texts: blanks, a sign, then digits up to
// the first other character ("12ab" is 12, "abc" 0).
long long LeadingInteger(const QString& text) {
    const QString t = text.trimmed();
    int i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == u'+' || t[i] == u'-'))
        negative = t[i++] == u'-';
    long long value = 0;
    for (; i < t.size() && t[i] >= u'0' && t[i] <= u'9'; ++i) {
        value = value * 10 + (t[i].unicode() - u'0');
        if (value > INT_MAX)
            return negative ? -value : value;
    }
    return negative ? -value : value;
}

// The date of a "%Y-%m-%d ..." time for the file name.
std::string FileDate(const QString& time) {
    return time.left(10).toStdString();
}

int ChargedCount(const QString& content, int numbers, bool international) {
    return RecordPartCount(content) * numbers * (international ? kInternationalChargeFactor : 1);
}

bool RowExists(sqlite3* db, qint64 sendId) {
    SqlStatement st(db, "SELECT 1 FROM sendInfo WHERE sendID=?1 LIMIT 1");
    st.bind(1, static_cast<int64_t>(sendId));
    return st.step() == SQLITE_ROW;
}

int InsertJobRow(sqlite3* db, const SEND_INFO_WRITEDB& rec, const SmsJobInfo& job, qint64 sendId, int count,
                 int isDraft, int isFail) {
    SqlStatement st(
        db, "INSERT INTO sendInfo (content,submitTime,timingTime,count,isDraft,isFail,sendID,sendType,"
            "send_receive_Num) VALUES(?1,?2,?3,?4,?5,?6,?7,?8,?9)");
    st.bind(1, rec.content)
        .bind(2, job.submitTime)
        .bind(3, job.recordTiming)
        .bind(4, count)
        .bind(5, isDraft)
        .bind(6, isFail)
        .bind(7, static_cast<int64_t>(sendId))
        .bind(8, job.sendType)
        .bind(9, rec.sendReceiveNum);
    return st.exec();
}

// The failure row of `rec` gets `count` more, or is created with it.
int AddToFailureRow(sqlite3* db, const SEND_INFO_WRITEDB& rec, const SmsJobInfo& job, int count) {
    if (RowExists(db, rec.failId)) {
        SqlStatement st(db, "UPDATE sendInfo SET count=count+?1 WHERE sendID=?2");
        st.bind(1, count).bind(2, static_cast<int64_t>(rec.failId));
        return st.exec();
    }
    return InsertJobRow(db, rec, job, rec.failId, count, 0, 1);
}

// One sendNums row per number of rec's batch under `sendId`. `status` null
// writes NULL. The rowids of the first and last row go to *first / *last.
int InsertNumbers(sqlite3* db, const SEND_INFO_WRITEDB& rec, qint64 sendId, const char* status, qint64* first,
                  qint64* last) {
    SqlStatement st(db,
                    "INSERT INTO sendNums (sendID,numOrMailAddr,name,rrid,status) VALUES(?1,?2,?3,'',?4)");
    if (!st.ok())
        return st.prepareResult();
    st.bind(1, static_cast<int64_t>(sendId));
    if (status)
        st.bind(4, status);
    else
        st.bindNull(4);
    for (int i = 0; i < rec.numCount; ++i) {
        const SmsRecipient& r = rec.numbers[i];
        st.bind(2, std::string_view(r.number).substr(0, 16)).bind(3, r.name);
        const int rc = st.exec();
        if (rc != SQLITE_OK) {
            LogWrite(g_logRun, "ERROR,WriteRecordNew存入号码列表错,SQL= INSERT INTO sendNums, error info:" +
                                   std::string(sqlite3_errmsg(db)));
            return rc;
        }
        st.reset();
        const qint64 rowid = sqlite3_last_insert_rowid(db);
        if (i == 0 && first)
            *first = rowid;
        if (last)
            *last = rowid;
    }
    return SQLITE_OK;
}

// Removes the record a job replaces, in the caller's transaction.
int DeleteReplaced(sqlite3* db, qint64 deleteId) {
    SqlStatement info(db, "DELETE FROM sendInfo WHERE sendID=?1");
    int rc = info.bind(1, static_cast<int64_t>(deleteId)).exec();
    if (rc != SQLITE_OK) {
        LogWrite(g_logRun, "ERROR,WriteRecordNew删除sendInfo出错！sql=delete from sendInfo where sendID=" +
                               std::to_string(deleteId) + " info:" + sqlite3_errmsg(db));
        return rc;
    }
    SqlStatement nums(db, "DELETE FROM sendNums WHERE sendID=?1");
    rc = nums.bind(1, static_cast<int64_t>(deleteId)).exec();
    if (rc != SQLITE_OK)
        LogWrite(g_logRun, "ERROR,WriteRecordNew删除sendNums出错！sql=delete from sendNums where sendID=" +
                               std::to_string(deleteId) + " info:" + sqlite3_errmsg(db));
    return rc;
}

bool Commit(sqlite3* db, SqlTransaction& tx) {
    const int rc = tx.commit();
    if (rc != SQLITE_OK) {
        LogWrite(g_logRun,
                 "ERROR,写短信记录出错了commit transaction,error info:" + std::string(sqlite3_errmsg(db)));
        tx.rollback();
        return false;
    }
    return true;
}

// The statistics row of one batch (and the removal of the replaced job's
// rows), in a transaction of its own after the system commit.
void WriteStatistics(sqlite3* customerDb, qint64 sendId, const SmsJobInfo& job, bool isFail, int charged,
                     int numbers, qint64 deleteId) {
    if (!customerDb)
        return;
    SqlTransaction tx(customerDb);
    if (!tx.active())
        return;
    if (deleteId != 0) {
        SqlStatement del(customerDb, "delete from CountmsgRecord where sendID=?1");
        if (del.bind(1, static_cast<int64_t>(deleteId)).exec() != SQLITE_OK)
            LogWrite(g_logRun,
                     "ERROR,WriteRecordNew删除CountmsgRecord出错！sql=delete from CountmsgRecord where "
                     "sendID=" +
                         std::to_string(deleteId) + " info:" + sqlite3_errmsg(customerDb));
    }
    SqlStatement ins(customerDb,
                     "insert into CountmsgRecord(sendID,mark,submitTime,isFail,msgcount,numcount) "
                     "values(?1,?2,?3,?4,?5,?6)");
    ins.bind(1, static_cast<int64_t>(sendId))
        .bind(2, job.mark)
        .bind(3, job.submitTime)
        .bind(4, isFail ? 1 : 0)
        .bind(5, charged)
        .bind(6, numbers);
    if (ins.exec() != SQLITE_OK)
        LogWrite(g_logRun, "ERROR,CountmsgRecord INSERT出错！sql=insert into CountmsgRecord info:" +
                               std::string(sqlite3_errmsg(customerDb)));
    if (tx.commit() != SQLITE_OK)
        LogWrite(g_logRun, "ERROR,写短信记录出错了commit transaction,error info:" +
                               std::string(sqlite3_errmsg(customerDb)));
}

// A field of a send-record line: one line per number, so a line break of
// the text (CR LF, or the lone LF the text box gives) becomes one blank.
std::string OneLineField(QString text) {
    text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    return text.toStdString();
}

// The send-record lines of a sent batch, written in one go. The fields that
// every line shares are converted once.
void WriteSendRecordLines(const SEND_INFO_WRITEDB& rec, const SmsJobInfo& job) {
    if (rec.numCount <= 0)
        return;
    const std::string date = FileDate(job.fileTiming);
    if (!SendInfoOpen(date.c_str()))
        return;
    const std::string head = OneLineField(rec.content) + '\x01';
    const std::string tail = '\x01' + job.submitTime.toStdString() + '\x01' +
                             (job.fileTiming.isEmpty() ? job.submitTime : job.fileTiming).toStdString();
    std::string block;
    block.reserve(static_cast<size_t>(rec.numCount) * (head.size() + tail.size() + 40));
    for (int i = 0; i < rec.numCount; ++i) {
        if (i > 0)
            block += "\r\n";
        const SmsRecipient& r = rec.numbers[i];
        block += head;
        block += r.number;
        block += '\x01';
        block += OneLineField(r.name);
        block += tail;
    }
    SendInfoWrite(block); // adds the last CR LF
    SendInfoClose();
}

} // namespace

SmsNumberLists BuildNumberLists(const VIRTUAL_LIST& source) {
    SmsNumberLists lists;
    ForEachRow(source, [&](SmsRecipient&& r) {
        // Sorted by the number, never by the key's first digit: a landline
        // keyed "2..." is a domestic number and is charged as one.
        (IsInternational(r) ? lists.international : lists.domestic).push_back(std::move(r));
    });
    return lists;
}

std::vector<SmsRecipient> BuildDraftNumberList(const VIRTUAL_LIST& source, int* international) {
    std::vector<SmsRecipient> numbers;
    int intl = 0;
    ForEachRow(source, [&](SmsRecipient&& r) {
        if (r.key >= kDraftKeyLimit) {
            LogWrite(g_logRun, "检查到过长号码过滤掉");
            return;
        }
        if (IsInternational(r))
            ++intl;
        numbers.push_back(std::move(r));
    });
    if (international)
        *international = intl;
    return numbers;
}

int SmsBatchSize(bool single) {
    if (single)
        return 1;
    if (g_sysSettings.size() > 8 && g_sysSettings[8].flag != 0) {
        const long long size = LeadingInteger(g_sysSettings[8].text);
        if (size >= 1)
            return static_cast<int>(std::min<long long>(size, INT_MAX));
    }
    return kDefaultSmsBatchSize;
}

std::string CutNumberBatch(std::string_view list, bool single, int* count, std::string_view* rest) {
    const int size = SmsBatchSize(single);
    int n = 0;
    size_t pos = 0;
    while (pos < list.size() && n < size) {
        const size_t comma = list.find(',', pos);
        ++n;
        pos = comma == std::string_view::npos ? list.size() : comma + 1;
    }
    std::string batch(list.substr(0, pos));
    if (!batch.empty() && batch.back() == ',')
        batch.pop_back();
    if (count)
        *count = batch.empty() ? 0 : n;
    if (rest)
        *rest = list.substr(pos);
    return batch;
}
SmsSendOutcome OutcomeOfCall(int wrapperResult, CallOutcome transport, bool voiceCall) {
    if (voiceCall ? wrapperResult > 10000 : wrapperResult == 0)
        return SmsSendOutcome::Sent;
    // A request that went out whole but was never answered may have been
    // delivered: calling it failed would invite a second, charged send.
    return transport == CallOutcome::NoAnswer ? SmsSendOutcome::Unknown : SmsSendOutcome::Failed;
}

SmsJobInfo MakeSmsJobInfo(const QDateTime& submitTime, const QString& timingTime, bool survey,
                          int surveyMinutes, const QString& mark) {
    SmsJobInfo job;
    job.sendType = survey ? kSendTypeSurvey : kSendTypeSms;
    job.submitTime = submitTime.toString(QLatin1String(kTimeFormat));
    job.mark = mark;
    if (survey) {
        // The record keeps the end of the reply window; the messages go now,
        // so the send-record file takes the submit time.
        job.recordTiming =
            submitTime.addSecs(static_cast<qint64>(surveyMinutes) * 60).toString(QLatin1String(kTimeFormat));
        job.fileTiming = job.submitTime;
    } else {
        job.recordTiming = timingTime;
        job.fileTiming = timingTime.isEmpty() ? job.submitTime : timingTime;
    }
    return job;
}

std::string SendRecordLine(const QString& content, const SmsRecipient& recipient, const QString& submitTime,
                           const QString& timingTime) {
    std::string line = OneLineField(content);
    line += '\x01';
    line += recipient.number;
    line += '\x01';
    line += OneLineField(recipient.name);
    line += '\x01';
    line += submitTime.toStdString();
    line += '\x01';
    line += (timingTime.isEmpty() ? submitTime : timingTime).toStdString();
    return line;
}

bool AllocateSubmissionIds(sqlite3* db, std::vector<SEND_INFO_WRITEDB>& records) {
    for (SEND_INFO_WRITEDB& rec : records) {
        const int64_t first = AllocateId(db, "sendInfo", "sendID", 2);
        if (first <= 0)
            return false;
        rec.failId = first;
        rec.successId = first + 1;
    }
    return true;
}

qint64 AllocateSendId(sqlite3* db) {
    return AllocateId(db, "sendInfo", "sendID");
}

SmsOutbox::SmsOutbox(sqlite3* db, sqlite3* customerDb) : m_db(db), m_customerDb(customerDb) {}

bool SmsOutbox::WritePending(SEND_INFO_WRITEDB& rec, const SmsJobInfo& job) {
    SqlTransaction tx(m_db);
    if (!tx.active()) {
        LogWrite(g_logRun, "ERROR,写短信记录出错了begin transaction,error info:" +
                               std::string(m_db ? sqlite3_errmsg(m_db) : "no database"));
        return false;
    }
    if (!RowExists(m_db, rec.successId)) {
        if (InsertJobRow(m_db, rec, job, rec.successId, 0, 0, 0) != SQLITE_OK) {
            LogWrite(g_logRun, "ERROR,WriteRecordNew INSERT出错！sql=INSERT INTO sendInfo info:" +
                                   std::string(sqlite3_errmsg(m_db)));
            return false;
        }
    }
    qint64 first = 0, last = -1;
    if (InsertNumbers(m_db, rec, rec.successId, kStatusUnknown, &first, &last) != SQLITE_OK)
        return false;
    if (!Commit(m_db, tx))
        return false;
    rec.successWrites = std::max(rec.successWrites, 1);
    rec.firstRowid = first;
    rec.lastRowid = last;
    rec.success = false;
    return true;
}

bool SmsOutbox::WriteOutcome(SEND_INFO_WRITEDB& rec, const SmsJobInfo& job, SmsSendOutcome outcome,
                             const std::string& rrid, bool international, qint64 deleteId) {
    const int charged = ChargedCount(rec.content, rec.numCount, international);
    SqlTransaction tx(m_db);
    if (!tx.active()) {
        LogWrite(g_logRun,
                 "ERROR,写短信记录出错了begin transaction,error info:" + std::string(sqlite3_errmsg(m_db)));
        return false;
    }
    const auto failed = [&](const char* what) {
        LogWrite(g_logRun, std::string("ERROR,WriteRecordNew INSERT出错！sql=") + what +
                               " info:" + sqlite3_errmsg(m_db));
        return false;
    };
    bool successRowGone = false;
    if (outcome == SmsSendOutcome::Sent && rec.numCount > 0) {
        SqlStatement nums(
            m_db, "UPDATE sendNums SET rrid=?1,status=NULL WHERE sendID=?2 AND rowid BETWEEN ?3 AND ?4");
        nums.bind(1, std::string_view(rrid).substr(0, 63))
            .bind(2, static_cast<int64_t>(rec.successId))
            .bind(3, static_cast<int64_t>(rec.firstRowid))
            .bind(4, static_cast<int64_t>(rec.lastRowid));
        if (nums.exec() != SQLITE_OK)
            return failed("UPDATE sendNums");
        SqlStatement info(m_db, "UPDATE sendInfo SET count=count+?1 WHERE sendID=?2");
        if (info.bind(1, charged).bind(2, static_cast<int64_t>(rec.successId)).exec() != SQLITE_OK)
            return failed("UPDATE sendInfo");
    } else if (outcome == SmsSendOutcome::Failed && rec.numCount > 0) {
        SqlStatement nums(m_db, "UPDATE sendNums SET sendID=?1,rrid='',status=NULL WHERE sendID=?2 AND rowid "
                                "BETWEEN ?3 AND ?4");
        nums.bind(1, static_cast<int64_t>(rec.failId))
            .bind(2, static_cast<int64_t>(rec.successId))
            .bind(3, static_cast<int64_t>(rec.firstRowid))
            .bind(4, static_cast<int64_t>(rec.lastRowid));
        if (nums.exec() != SQLITE_OK)
            return failed("UPDATE sendNums");
        if (AddToFailureRow(m_db, rec, job, charged) != SQLITE_OK)
            return failed("sendInfo");
        // A success row that holds no numbers would show an empty sent job.
        SqlStatement empty(m_db,
                           "DELETE FROM sendInfo WHERE sendID=?1 AND NOT EXISTS (SELECT 1 FROM sendNums "
                           "WHERE sendID=?1)");
        if (empty.bind(1, static_cast<int64_t>(rec.successId)).exec() != SQLITE_OK)
            return failed("DELETE FROM sendInfo");
        successRowGone = sqlite3_changes(m_db) > 0;
    }
    if (deleteId != 0 && DeleteReplaced(m_db, deleteId) != SQLITE_OK)
        return false;
    if (!Commit(m_db, tx))
        return false;

    rec.success = outcome == SmsSendOutcome::Sent;
    if (outcome == SmsSendOutcome::Failed)
        rec.failWrites++;
    if (successRowGone)
        rec.successWrites = 0;
    const qint64 statId = outcome == SmsSendOutcome::Failed ? rec.failId : rec.successId;
    if (rec.numCount > 0 || deleteId != 0)
        WriteStatistics(m_customerDb, statId, job, outcome != SmsSendOutcome::Sent, charged, rec.numCount,
                        deleteId);
    if (outcome == SmsSendOutcome::Sent)
        WriteSendRecordLines(rec, job);
    return true;
}

bool SmsOutbox::WriteUnsubmitted(SEND_INFO_WRITEDB& rec, const SmsJobInfo& job, bool international,
                                 qint64 deleteId) {
    const int charged = ChargedCount(rec.content, rec.numCount, international);
    SqlTransaction tx(m_db);
    if (!tx.active())
        return false;
    if (rec.numCount > 0) {
        if (AddToFailureRow(m_db, rec, job, charged) != SQLITE_OK) {
            LogWrite(g_logRun, "ERROR,WriteRecordNew INSERT出错！sql=INSERT INTO sendInfo info:" +
                                   std::string(sqlite3_errmsg(m_db)));
            return false;
        }
        if (InsertNumbers(m_db, rec, rec.failId, nullptr, nullptr, nullptr) != SQLITE_OK)
            return false;
    }
    if (deleteId != 0 && DeleteReplaced(m_db, deleteId) != SQLITE_OK)
        return false;
    if (!Commit(m_db, tx))
        return false;
    if (rec.numCount > 0)
        rec.failWrites++;
    if (rec.numCount > 0 || deleteId != 0)
        WriteStatistics(m_customerDb, rec.failId, job, true, charged, rec.numCount, deleteId);
    return true;
}

bool SmsOutbox::WriteDraft(const SEND_INFO_WRITEDB& rec, const SmsJobInfo& job, int internationalCount) {
    const int domestic = std::max(0, rec.numCount - internationalCount);
    const int charged =
        RecordPartCount(rec.content) * (domestic + kInternationalChargeFactor * internationalCount);
    SqlTransaction tx(m_db);
    if (!tx.active())
        return false;
    if (InsertJobRow(m_db, rec, job, rec.successId, charged, 1, 0) != SQLITE_OK) {
        LogWrite(g_logRun, "ERROR,WriteRecordNew INSERT出错！sql=INSERT INTO sendInfo info:" +
                               std::string(sqlite3_errmsg(m_db)));
        return false;
    }
    if (InsertNumbers(m_db, rec, rec.successId, nullptr, nullptr, nullptr) != SQLITE_OK)
        return false;
    return Commit(m_db, tx);
}

qint64 SaveSmsDraft(sqlite3* db, const QString& content, const std::vector<SmsRecipient>& numbers,
                    int internationalCount, int sendReceiveNum, bool survey, int surveyMinutes,
                    const QDateTime& now) {
    SEND_INFO_WRITEDB rec;
    rec.successId = rec.failId = AllocateSendId(db);
    if (rec.successId <= 0)
        return 0;
    rec.success = true;
    rec.draft = 1;
    rec.numbers = numbers.data();
    rec.numCount = static_cast<int>(numbers.size());
    rec.sendReceiveNum = sendReceiveNum;
    rec.content = content;
    const SmsJobInfo job = MakeSmsJobInfo(now, QString(), survey, surveyMinutes, QString());
    SmsOutbox outbox(db, nullptr);
    return outbox.WriteDraft(rec, job, internationalCount) ? rec.successId : 0;
}

std::string JoinRecipientNumbers(const SmsRecipient* numbers, int count) {
    std::string text;
    text.reserve(static_cast<size_t>(count) * 12);
    for (int i = 0; i < count; ++i) {
        if (i > 0)
            text += ',';
        text += numbers[i].number;
    }
    return text;
}
