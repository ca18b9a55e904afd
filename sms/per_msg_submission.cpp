#include "sms/per_msg_submission.h"

#include "core/account.h"
#include "core/database.h"
#include "core/helpers.h"
#include "core/log.h"
#include "core/numbers.h"
#include "core/sql.h"
#include "platform/msgbox.h"
#include "sms/call_runner.h"
#include "sms/gxmt_list.h"
#include "sms/sms_text.h"

#include <QCoreApplication>

#include <algorithm>
#include <climits>

namespace {

constexpr char kTimeFormat[] = "yyyy-MM-dd HH:mm:ss";
constexpr char kMinuteFormat[] = "yyyy-MM-dd HH:mm:00";

// A field of a send-record line: one line per message, so a line break of
// the text becomes one blank.
std::string OneLineField(QString text) {
    text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    return text.toStdString();
}

bool Commit(sqlite3* db, SqlTransaction& tx, const char* what) {
    if (tx.commit() != SQLITE_OK) {
        LogSqlError(SqlErrorText(db), SQLITE_ERROR, what);
        tx.rollback();
        return false;
    }
    return true;
}

} // namespace

// One message of a batch as it is sent and recorded.
struct PerMsgItem {
    int row = 0;
    QString number;
    QString text; // as sent: the row text, and the signature when appended
    QString mark;
    QString timing; // what the service gets for this item; "" = now
    QString rrid;
    int parts = 0;
    qint64 sendId = 0;      // its record (the resent record on the resend road)
    qint64 sourceRowid = 0; // resend road: its sendNums row
    bool inPlace = true;    // resend road: the record holds this number alone
};

struct PerMsgSubmission::Batch {
    std::vector<PerMsgItem> items;
};

int PerMsgBatchSizeOf(const QString& text) {
    bool ok = false;
    const int size = text.trimmed().toInt(&ok);
    return ok && size >= 1 ? size : kDefaultPerMsgBatchSize;
}

int PerMsgBatchSize() {
    if (g_sysSettings.size() > 9)
        return PerMsgBatchSizeOf(g_sysSettings[9].text);
    return kDefaultPerMsgBatchSize;
}

bool PerMsgSignatureAppended(PerMsgRoad road, bool signedFlag) {
    return signedFlag && (road == PerMsgRoad::Imported || road == PerMsgRoad::BatchDate);
}

QString PerMsgShownText(const QString& rowText, PerMsgRoad road, bool signedFlag, const QString& signature) {
    return PerMsgSignatureAppended(road, signedFlag) ? rowText + BracketedSignature(signature) : rowText;
}

ServiceGxmtSender::ServiceGxmtSender()
    : ServiceGxmtSender(g_pAccount.field(kAccountSerial), g_pAccount.field(kAccountPassword)) {}

ServiceGxmtSender::ServiceGxmtSender(const QString& serial, const QString& password)
    : m_client(std::make_unique<CWebServiceClient>(serial, password)) {}

ServiceGxmtSender::~ServiceGxmtSender() = default;

GxmtAnswer ServiceGxmtSender::Send(const GxmtCall& call) {
    GxmtAnswer answer;
    answer.result = m_client->CallGxmt(call.numbers, call.contents, call.times, call.rrids);
    answer.transport = m_client->LastCallOutcome();
    return answer;
}

std::vector<SmsEndMessage> PerMsgEndMessages(const PerMsgSubmitResult& result, bool submitWording) {
    // Whole sentences: the Chinese ones are strings 246 and 247 joined with
    // the prompt's verb, which no other language can build by slicing. The
    // write failure and the unknown count are told as the composer tells them.
    const auto tr = [](const char* text) { return QCoreApplication::translate("PerMsgSubmission", text); };
    SmsSubmitResult shared;
    shared.stoppedByWriteFailure = result.stoppedByWriteFailure;
    shared.unknownCount = result.unknownCount;
    const std::vector<SmsEndMessage> sharedMessages = SmsSubmitEndMessages(shared);
    std::vector<SmsEndMessage> messages;
    if (result.stoppedByWriteFailure)
        messages.push_back(sharedMessages.front());
    if (result.failedCount > 0)
        messages.push_back({submitWording ? tr("部分发送失败，请到失败记录里重新提交")
                                          : tr("部分发送失败，请到失败记录里重新发送"),
                            mb::IconError});
    if (result.unknownCount > 0)
        messages.push_back(sharedMessages.back());
    if (messages.empty())
        messages.push_back({submitWording ? tr("提交成功") : tr("发送成功"), mb::IconInformation});
    return messages;
}

PerMsgSubmission::PerMsgSubmission(std::unique_ptr<GxmtSender> sender, QObject* parent)
    : QObject(parent), m_sender(std::move(sender)), m_runner(std::make_unique<CallRunner>()), m_db(g_pDB),
      m_customerDb(g_nCustomize ? g_pCustomerDB : nullptr) {}

PerMsgSubmission::~PerMsgSubmission() {
    // The runner first: it waits for a call in flight and then delivers
    // nothing, so no completion reaches a half-destroyed submission.
    m_runner.reset();
}

void PerMsgSubmission::SetDatabases(sqlite3* db, sqlite3* customerDb) {
    m_db = db;
    m_customerDb = customerDb;
}

void PerMsgSubmission::SetClock(PerMsgClock clock) {
    m_clock = std::move(clock);
}

bool PerMsgSubmission::Start(PerMsgSubmitRequest request) {
    if (m_busy || !request.rows || request.rows->GetCount() == 0 || !m_db)
        return false;
    m_request = std::move(request);
    m_result = PerMsgSubmitResult();
    m_stopRequested = false;
    m_copies.clear();
    m_batchSize = m_request.batchSize > 0 ? m_request.batchSize : PerMsgBatchSize();
    m_start = m_clock ? m_clock() : QDateTime::currentDateTime();
    m_next = 0;
    m_done = 0;
    m_total = m_request.rows->GetCount();
    m_busy = true;
    LogWrite(g_logRun, "In CDlgPerMSG::SendPerMSG");
    Advance();
    return true;
}

void PerMsgSubmission::RequestStop() {
    if (m_busy)
        m_stopRequested = true;
}

namespace {

// The resend road's pending state of one number: the new rrid and "未知",
// committed before the call.
int MarkResendPending(sqlite3* db, const PerMsgItem& item) {
    SqlStatement st(db, "UPDATE sendNums SET rrid=?1,status=?2 WHERE rowid=?3 AND sendID=?4");
    st.bind(1, item.rrid).bind(2, kStatusUnknown).bind(3, static_cast<int64_t>(item.sourceRowid));
    st.bind(4, static_cast<int64_t>(item.sendId));
    const int rc = st.exec();
    if (rc == SQLITE_OK && sqlite3_changes(db) != 1)
        return SQLITE_NOTFOUND; // the record went meanwhile: nothing to resend
    return rc;
}

qint64 NumbersOfRecord(sqlite3* db, qint64 sendId) {
    SqlStatement st(db, "SELECT COUNT(*) FROM sendNums WHERE sendID=?1");
    st.bind(1, static_cast<int64_t>(sendId));
    return st.step() == SQLITE_ROW ? st.int64(0) : -1;
}

// The send-record lines of the sent messages, each in the file of its
// timing date (the submit time's when it has none).
void WriteSendRecordLines(const std::vector<const PerMsgItem*>& sent, const QString& submitTime) {
    std::string openDate;
    for (const PerMsgItem* item : sent) {
        const QString timing = item->timing.isEmpty() ? submitTime : item->timing;
        const std::string date = timing.left(10).toStdString();
        if (date != openDate) {
            if (!openDate.empty())
                SendInfoClose();
            openDate = SendInfoOpen(date.c_str()) ? date : std::string();
            if (openDate.empty())
                continue;
        }
        SendInfoWrite(OneLineField(item->text) + '\x01' + item->number.toStdString() + '\x01' +
                      item->rrid.toStdString() + '\x01' + submitTime.toStdString() + '\x01' +
                      timing.toStdString());
    }
    if (!openDate.empty())
        SendInfoClose();
}

} // namespace

void PerMsgSubmission::Advance() {
    if (m_next >= m_total) {
        Finish();
        return;
    }
    if (m_stopRequested) {
        RecordUnsubmitted();
        Finish();
        return;
    }
    const bool resend = m_request.road == PerMsgRoad::Resend;
    const bool appendSignature = PerMsgSignatureAppended(m_request.road, m_request.signedFlag);
    const QString bracket = appendSignature ? BracketedSignature(m_request.signature) : QString();
    const QDateTime now = m_clock ? m_clock() : QDateTime::currentDateTime();
    const QString submitTime = now.toString(QLatin1String(kTimeFormat));
    const QString thisMinute = now.toString(QLatin1String(kMinuteFormat));
    const QString startSecond = QString::number(m_start.toSecsSinceEpoch());

    m_batch = std::make_unique<Batch>();
    const int count = static_cast<int>(std::min<qint64>(m_batchSize, m_total - m_next));
    m_batch->items.reserve(static_cast<size_t>(count));
    VIRTUAL_LIST_PERMSG::Message message;
    for (int i = 0; i < count; ++i) {
        const int row = m_next + i;
        if (!m_request.rows->GetMessage(row, &message))
            break;
        PerMsgItem item;
        item.row = row;
        item.number = NumberFromKey(message.key);
        item.text = message.text + bracket;
        item.mark = message.mark;
        switch (m_request.road) {
        case PerMsgRoad::Imported:
        case PerMsgRoad::Edited:
            item.timing = m_request.timingTime;
            break;
        case PerMsgRoad::BatchDate:
            item.timing = message.sendTime;
            break;
        case PerMsgRoad::Resend:
            item.timing = message.sendTime.isEmpty() ? thisMinute : message.sendTime;
            break;
        }
        item.rrid = startSecond + QString::number(row);
        item.parts = PerMsgPartCount(item.text);
        item.sendId = message.sourceId;
        item.sourceRowid = message.sourceRowid;
        m_batch->items.push_back(std::move(item));
    }

    // Every message of the batch is on record, committed, before the call.
    bool written = false;
    {
        SqlTransaction tx(m_db);
        if (tx.active()) {
            int rc = SQLITE_OK;
            if (resend) {
                for (PerMsgItem& item : m_batch->items) {
                    const qint64 numbers = NumbersOfRecord(m_db, item.sendId);
                    item.inPlace = numbers == 1;
                    rc = numbers < 0 ? SQLITE_ERROR : MarkResendPending(m_db, item);
                    if (rc != SQLITE_OK)
                        break;
                }
            } else {
                const int64_t first = AllocateId(m_db, "sendInfo", "sendID", static_cast<int64_t>(count));
                SqlStatement info(m_db,
                                  "INSERT INTO sendInfo (content,submitTime,timingTime,sendID,isFail,count) "
                                  "VALUES(?1,?2,?3,?4,0,0)");
                SqlStatement nums(
                    m_db, "INSERT INTO sendNums (sendID,numOrMailAddr,rrid,status) VALUES(?1,?2,?3,?4)");
                rc = first <= 0 ? SQLITE_ERROR : !info.ok() ? info.prepareResult() : nums.prepareResult();
                for (size_t i = 0; rc == SQLITE_OK && i < m_batch->items.size(); ++i) {
                    PerMsgItem& item = m_batch->items[i];
                    item.sendId = first + static_cast<int64_t>(i);
                    info.reset();
                    info.bind(1, item.text).bind(2, submitTime).bind(3, item.timing);
                    info.bind(4, static_cast<int64_t>(item.sendId));
                    rc = info.exec();
                    if (rc != SQLITE_OK) {
                        LogSqlError(SqlErrorText(m_db), rc, "写个性短信内容出错了");
                        break;
                    }
                    nums.reset();
                    nums.bind(1, static_cast<int64_t>(item.sendId)).bind(2, item.number).bind(3, item.rrid);
                    nums.bind(4, kStatusUnknown);
                    rc = nums.exec();
                    if (rc != SQLITE_OK)
                        LogSqlError(SqlErrorText(m_db), rc, "写个性短信发送号码出错了");
                }
            }
            written = rc == SQLITE_OK && Commit(m_db, tx, "CDlgPerMSG::SendPerMSG 写待发记录时提交事务出错");
        } else {
            LogSqlError(SqlErrorText(m_db), SQLITE_ERROR, "CDlgPerMSG::SendPerMSG begin transaction");
        }
    }
    if (!written || m_batch->items.empty()) {
        // Nothing of this batch is on record, so it is not sent.
        m_result.stoppedByWriteFailure = true;
        m_batch.reset();
        Finish();
        return;
    }

    std::vector<GxmtItem> gxmt;
    gxmt.reserve(m_batch->items.size());
    QStringList rrids;
    for (const PerMsgItem& item : m_batch->items) {
        gxmt.push_back({item.number, item.text, item.timing});
        rrids << item.rrid;
    }
    const GxmtLists lists = JoinGxmtItems(gxmt);
    GxmtCall call{lists.numbers, lists.contents, lists.times, rrids.join(QLatin1Char(',')),
                  static_cast<int>(m_batch->items.size())};
    std::shared_ptr<GxmtSender> sender = m_sender;
    const bool started = m_runner->Run<GxmtAnswer>(
        this, [sender, call = std::move(call)] { return sender->Send(call); },
        [this](GxmtAnswer answer) { OnCallDone(answer); });
    if (!started) // the worker of an earlier call never came back: nothing went out, it stays "未知"
        OnCallDone(GxmtAnswer{-1, CallOutcome::NoAnswer});
}

void PerMsgSubmission::OnCallDone(GxmtAnswer answer) {
    if (!m_batch)
        return;
    std::vector<PerMsgItem>& items = m_batch->items;
    const SmsSendOutcome outcome = OutcomeOfCall(answer.result, answer.transport);
    const char* logMark = outcome == SmsSendOutcome::Sent     ? "PerSMS_S"
                          : outcome == SmsSendOutcome::Failed ? "PerSMS_F"
                                                              : "PerSMS_U";
    {
        std::string numbers, texts, times;
        for (size_t i = 0; i < items.size(); ++i) {
            if (i > 0) {
                numbers += ',';
                texts += '\x08';
                times += ',';
            }
            numbers += items[i].number.toStdString();
            texts += LogEscape(items[i].text);
            times += items[i].timing.toStdString();
        }
        LogWrite(g_logSend, std::string(logMark) + '|' + numbers + '|' + texts + '|' + times);
    }

    const QDateTime now = m_clock ? m_clock() : QDateTime::currentDateTime();
    const QString submitTime = now.toString(QLatin1String(kTimeFormat));
    const bool resend = m_request.road == PerMsgRoad::Resend;
    const int count = static_cast<int>(items.size());

    // The outcome of the whole batch in one transaction.
    std::map<qint64, qint64> newCopies;          // resend: success copies made now
    std::map<qint64, std::pair<int, int>> moved; // resend: source id -> numbers, parts moved
    std::map<qint64, bool> emptied;              // resend: sources left without numbers
    bool written = outcome == SmsSendOutcome::Unknown;
    if (!written) {
        SqlTransaction tx(m_db);
        int rc = tx.active() ? SQLITE_OK : SQLITE_ERROR;
        const int isFail = outcome == SmsSendOutcome::Sent ? 0 : 1;
        if (!resend) {
            SqlStatement info(m_db, "UPDATE sendInfo SET isFail=?1,count=?2 WHERE sendID=?3");
            SqlStatement nums(m_db, "UPDATE sendNums SET status=NULL WHERE sendID=?1");
            for (size_t i = 0; rc == SQLITE_OK && i < items.size(); ++i) {
                info.reset();
                info.bind(1, isFail).bind(2, items[i].parts).bind(3, static_cast<int64_t>(items[i].sendId));
                rc = info.exec();
                if (rc == SQLITE_OK) {
                    nums.reset();
                    rc = nums.bind(1, static_cast<int64_t>(items[i].sendId)).exec();
                }
            }
        } else {
            for (size_t i = 0; rc == SQLITE_OK && i < items.size(); ++i) {
                const PerMsgItem& item = items[i];
                SqlStatement num(m_db, "UPDATE sendNums SET status=NULL WHERE rowid=?1");
                rc = num.bind(1, static_cast<int64_t>(item.sourceRowid)).exec();
                if (rc != SQLITE_OK)
                    break;
                if (item.inPlace) {
                    SqlStatement info(m_db,
                                      "UPDATE sendInfo SET isFail=?1,count=?2,submitTime=?3,timingTime=?4 "
                                      "WHERE sendID=?5");
                    info.bind(1, isFail).bind(2, item.parts).bind(3, submitTime).bind(4, item.timing);
                    rc = info.bind(5, static_cast<int64_t>(item.sendId)).exec();
                    continue;
                }
                if (outcome != SmsSendOutcome::Sent)
                    continue; // a failed number stays in its failed record
                // A sent number of a record of several moves under the
                // record's success copy, made when first needed.
                qint64 copy = 0;
                if (auto it = m_copies.find(item.sendId); it != m_copies.end())
                    copy = it->second;
                else if (auto nt = newCopies.find(item.sendId); nt != newCopies.end())
                    copy = nt->second;
                if (copy == 0) {
                    copy = AllocateId(m_db, "sendInfo", "sendID");
                    SqlStatement make(
                        m_db,
                        "INSERT INTO sendInfo (content,submitTime,timingTime,count,isDraft,isFail,sendID,"
                        "sendType,send_receive_Num) SELECT content,?1,?2,0,0,0,?3,sendType,send_receive_Num "
                        "FROM sendInfo WHERE sendID=?4 LIMIT 1");
                    make.bind(1, submitTime).bind(2, item.timing).bind(3, static_cast<int64_t>(copy));
                    rc = copy <= 0 ? SQLITE_ERROR : make.bind(4, static_cast<int64_t>(item.sendId)).exec();
                    if (rc != SQLITE_OK)
                        break;
                    newCopies[item.sendId] = copy;
                }
                SqlStatement move(m_db, "UPDATE sendNums SET sendID=?1 WHERE rowid=?2");
                rc = move.bind(1, static_cast<int64_t>(copy))
                         .bind(2, static_cast<int64_t>(item.sourceRowid))
                         .exec();
                if (rc != SQLITE_OK)
                    break;
                SqlStatement more(m_db, "UPDATE sendInfo SET count=count+?1 WHERE sendID=?2");
                rc = more.bind(1, item.parts).bind(2, static_cast<int64_t>(copy)).exec();
                if (rc != SQLITE_OK)
                    break;
                SqlStatement less(m_db, "UPDATE sendInfo SET count=MAX(0,count-?1) WHERE sendID=?2");
                rc = less.bind(1, item.parts).bind(2, static_cast<int64_t>(item.sendId)).exec();
                auto& m = moved[item.sendId];
                m.first += 1;
                m.second += item.parts;
            }
            // A failed record whose numbers all went is deleted.
            for (auto it = moved.begin(); rc == SQLITE_OK && it != moved.end(); ++it) {
                if (NumbersOfRecord(m_db, it->first) == 0) {
                    SqlStatement del(m_db, "DELETE FROM sendInfo WHERE sendID=?1");
                    rc = del.bind(1, static_cast<int64_t>(it->first)).exec();
                    emptied[it->first] = true;
                }
            }
        }
        if (rc != SQLITE_OK)
            LogSqlError(SqlErrorText(m_db), rc, "写个性短信内容出错了");
        written = rc == SQLITE_OK && Commit(m_db, tx, "CDlgPerMSG::SendPerMSG 写发送结果时提交事务出错");
    }
    if (written)
        m_copies.insert(newCopies.begin(), newCopies.end());

    // A batch whose outcome could not be written stays "未知", and is told so.
    const SmsSendOutcome recorded = written ? outcome : SmsSendOutcome::Unknown;
    if (!written)
        m_result.outcomeWriteFailed = true;
    switch (recorded) {
    case SmsSendOutcome::Sent:
        m_result.sentCount += count;
        break;
    case SmsSendOutcome::Failed:
        m_result.failedCount += count;
        break;
    case SmsSendOutcome::Unknown:
        m_result.unknownCount += count;
        break;
    }

    if (written) {
        // The statistics, after the system commit.
        if (m_customerDb) {
            SqlTransaction tx(m_customerDb);
            if (tx.active()) {
                if (!resend) {
                    SqlStatement ins(
                        m_customerDb,
                        "insert into CountmsgRecord (sendID,mark,submitTime,isFail,msgcount,numcount) "
                        "values (?1,?2,?3,?4,?5,1)");
                    for (const PerMsgItem& item : items) {
                        ins.reset();
                        ins.bind(1, static_cast<int64_t>(item.sendId)).bind(2, item.mark).bind(3, submitTime);
                        ins.bind(4, recorded == SmsSendOutcome::Sent ? 0 : 1).bind(5, item.parts);
                        if (ins.exec() != SQLITE_OK)
                            LogSqlError(SqlErrorText(m_customerDb), SQLITE_ERROR, "发个性短信写统计表出错了");
                    }
                } else if (recorded != SmsSendOutcome::Unknown) {
                    for (const PerMsgItem& item : items) {
                        if (!item.inPlace)
                            continue;
                        SqlStatement up(m_customerDb, "UPDATE CountmsgRecord SET isFail=?1 WHERE sendID=?2");
                        up.bind(1, recorded == SmsSendOutcome::Sent ? 0 : 1)
                            .bind(2, static_cast<int64_t>(item.sendId));
                        if (up.exec() != SQLITE_OK)
                            LogSqlError(SqlErrorText(m_customerDb), SQLITE_ERROR, "个性重发时更新统计表出错");
                    }
                    for (const auto& [source, m] : moved) {
                        const qint64 copy = m_copies[source];
                        SqlStatement ins(
                            m_customerDb,
                            "insert into CountmsgRecord (sendID,mark,submitTime,isFail,msgcount,numcount) "
                            "values (?1,?2,?3,0,?4,?5)");
                        QString mark;
                        for (const PerMsgItem& item : items)
                            if (item.sendId == source) {
                                mark = item.mark;
                                break;
                            }
                        ins.bind(1, static_cast<int64_t>(copy)).bind(2, mark).bind(3, submitTime);
                        ins.bind(4, m.second).bind(5, m.first);
                        if (ins.exec() != SQLITE_OK)
                            LogSqlError(SqlErrorText(m_customerDb), SQLITE_ERROR, "个性重发时更新统计表出错");
                        SqlStatement adj(m_customerDb,
                                         emptied.count(source)
                                             ? "DELETE FROM CountmsgRecord WHERE sendID=?3"
                                             : "UPDATE CountmsgRecord SET msgcount=MAX(0,msgcount-?1),"
                                               "numcount=MAX(0,numcount-?2) WHERE sendID=?3");
                        if (!emptied.count(source))
                            adj.bind(1, m.second).bind(2, m.first);
                        adj.bind(3, static_cast<int64_t>(source));
                        if (adj.exec() != SQLITE_OK)
                            LogSqlError(SqlErrorText(m_customerDb), SQLITE_ERROR, "个性重发时更新统计表出错");
                    }
                }
                Commit(m_customerDb, tx, "发个性短信写统计表出错了");
            }
        }
        if (recorded == SmsSendOutcome::Sent && !resend) {
            std::vector<const PerMsgItem*> sent;
            sent.reserve(items.size());
            for (const PerMsgItem& item : items)
                sent.push_back(&item);
            WriteSendRecordLines(sent, submitTime);
        }
    }

    m_next += count;
    m_done += count;
    m_batch.reset();
    emit progress(m_done, m_total);
    Advance();
}

void PerMsgSubmission::RecordUnsubmitted() {
    m_result.stoppedByRequest = true;
    const int remaining = static_cast<int>(m_total - m_next);
    m_result.failedCount += remaining;
    if (m_request.road == PerMsgRoad::Resend || remaining <= 0) {
        m_next = static_cast<int>(m_total);
        return; // resent records stay failed, as they were
    }
    // Every row not submitted becomes a failed personalised record, to be
    // resent from the sent-records view.
    const QDateTime now = m_clock ? m_clock() : QDateTime::currentDateTime();
    const QString submitTime = now.toString(QLatin1String(kTimeFormat));
    const QString bracket = PerMsgSignatureAppended(m_request.road, m_request.signedFlag)
                                ? BracketedSignature(m_request.signature)
                                : QString();
    struct Failed {
        qint64 id;
        QString mark;
        int parts;
    };
    std::vector<Failed> failed;
    failed.reserve(static_cast<size_t>(remaining));
    bool ok = false;
    {
        SqlTransaction tx(m_db);
        const int64_t first = tx.active() ? AllocateId(m_db, "sendInfo", "sendID", remaining) : 0;
        SqlStatement info(m_db, "INSERT INTO sendInfo (content,submitTime,timingTime,sendID,isFail,count) "
                                "VALUES(?1,?2,?3,?4,1,?5)");
        SqlStatement nums(m_db,
                          "INSERT INTO sendNums (sendID,numOrMailAddr,rrid,status) VALUES(?1,?2,'',NULL)");
        int rc = first <= 0 ? SQLITE_ERROR : !info.ok() ? info.prepareResult() : nums.prepareResult();
        VIRTUAL_LIST_PERMSG::Message message;
        for (int i = 0; rc == SQLITE_OK && i < remaining; ++i) {
            if (!m_request.rows->GetMessage(m_next + i, &message)) {
                rc = SQLITE_ERROR;
                break;
            }
            const QString text = message.text + bracket;
            const QString timing =
                m_request.road == PerMsgRoad::BatchDate ? message.sendTime : m_request.timingTime;
            const qint64 id = first + i;
            const int parts = PerMsgPartCount(text);
            info.reset();
            info.bind(1, text)
                .bind(2, submitTime)
                .bind(3, timing)
                .bind(4, static_cast<int64_t>(id))
                .bind(5, parts);
            rc = info.exec();
            if (rc != SQLITE_OK)
                break;
            nums.reset();
            rc = nums.bind(1, static_cast<int64_t>(id)).bind(2, NumberFromKey(message.key)).exec();
            failed.push_back({id, message.mark, parts});
        }
        if (rc != SQLITE_OK)
            LogSqlError(SqlErrorText(m_db), rc, "写个性短信内容出错了");
        ok = rc == SQLITE_OK && Commit(m_db, tx, "CDlgPerMSG::SendPerMSG 写未发记录时提交事务出错");
    }
    m_next = static_cast<int>(m_total);
    if (!ok) {
        m_result.outcomeWriteFailed = true;
        return;
    }
    if (m_customerDb) {
        SqlTransaction tx(m_customerDb);
        SqlStatement ins(m_customerDb,
                         "insert into CountmsgRecord (sendID,mark,submitTime,isFail,msgcount,numcount) "
                         "values (?1,?2,?3,1,?4,1)");
        for (const Failed& f : failed) {
            ins.reset();
            ins.bind(1, static_cast<int64_t>(f.id)).bind(2, f.mark).bind(3, submitTime).bind(4, f.parts);
            if (ins.exec() != SQLITE_OK)
                LogSqlError(SqlErrorText(m_customerDb), SQLITE_ERROR, "发个性短信写统计表出错了");
        }
        Commit(m_customerDb, tx, "发个性短信写统计表出错了");
    }
}

void PerMsgSubmission::Finish() {
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_busy = false;
            m_batch.reset();
            emit finished(m_result);
        },
        Qt::QueuedConnection);
}
