#include "sms/sms_submission.h"

#include "core/account.h"
#include "core/database.h"
#include "core/log.h"
#include "platform/msgbox.h"
#include "sms/call_runner.h"

#include <QCoreApplication>

#include <algorithm>

// One number list of a submission (domestic, or international) with the
// records of its content parts.
struct SmsSubmission::ListState {
    const std::vector<SmsRecipient>* numbers = nullptr;
    bool international = false; // charged twelvefold, logged as such
    bool intlOperation = false; // qxSmsSend_g
    std::vector<SEND_INFO_WRITEDB> records;
    bool batchFailed = false;  // some part of the current batch failed
    bool batchUnknown = false; // some part of the current batch got no answer
};

namespace {

QString Tr(const char* text) {
    return QCoreApplication::translate("SmsSubmission", text);
}

} // namespace

ServiceSmsSender::ServiceSmsSender()
    : ServiceSmsSender(g_pAccount.field(kAccountSerial), g_pAccount.field(kAccountPassword)) {}

ServiceSmsSender::ServiceSmsSender(const QString& serial, const QString& password)
    : m_client(std::make_unique<CWebServiceClient>(serial, password)) {}

ServiceSmsSender::~ServiceSmsSender() = default;

SmsSendAnswer ServiceSmsSender::Send(const SmsSendCall& call) {
    SmsSendAnswer answer;
    std::string reference;
    answer.result =
        call.intlOperation
            ? m_client->CallSmsSendIntl(reference, call.numbers, call.content, call.timingTime, "")
            : m_client->CallSmsSend(reference, call.numbers, call.content, call.timingTime, "");
    answer.transport = m_client->LastCallOutcome();
    if (answer.result == 0)
        answer.rrid = reference;
    return answer;
}

std::vector<SmsEndMessage> SmsSubmitEndMessages(const SmsSubmitResult& result) {
    std::vector<SmsEndMessage> messages;
    if (result.stoppedByWriteFailure)
        messages.push_back({Tr("写短信记录出错，发送已停止。"), mb::IconWarning});
    if (result.failedCount > 0)
        messages.push_back({Tr("部分发送失败,请到短信发送失败记录里重发."), mb::IconWarning});
    if (result.unknownCount > 0)
        messages.push_back({Tr("有%d个号码未收到服务应答，发送结果未知，请核对后再决定是否重发。")
                                .replace(QLatin1String("%d"), QString::number(result.unknownCount)),
                            mb::IconWarning});
    if (messages.empty())
        messages.push_back({Tr("发送成功"), mb::IconInformation});
    return messages;
}

SmsSubmission::SmsSubmission(std::unique_ptr<SmsSender> sender, QObject* parent)
    : QObject(parent), m_sender(std::move(sender)), m_runner(std::make_unique<CallRunner>()), m_db(g_pDB),
      m_customerDb(g_nCustomize ? g_pCustomerDB : nullptr) {}

SmsSubmission::~SmsSubmission() {
    // First the runner: it waits for a call in flight and delivers nothing
    // afterwards, so no completion can reach a half-destroyed submission.
    m_runner.reset();
}

void SmsSubmission::SetDatabases(sqlite3* db, sqlite3* customerDb) {
    m_db = db;
    m_customerDb = customerDb;
}

void SmsSubmission::SetClock(SmsClock clock) {
    m_clock = std::move(clock);
}

bool SmsSubmission::Start(SmsSubmitRequest request) {
    if (m_busy || request.parts.isEmpty() || request.numbers.total() == 0 || !m_db)
        return false;
    m_request = std::move(request);
    m_result = SmsSubmitResult();
    m_stopRequested = false;
    m_lists.clear();
    m_list = m_offset = 0;
    m_part = m_batchCount = 0;
    m_done = 0;
    m_batchSize = SmsBatchSize(false);
    const int parts = static_cast<int>(m_request.parts.size());
    m_total = static_cast<qint64>(m_request.numbers.total()) * parts;
    m_job = MakeSmsJobInfo(m_clock ? m_clock() : QDateTime::currentDateTime(), m_request.timingTime,
                           m_request.survey, m_request.surveyMinutes, m_request.mark);
    m_busy = true;
    LogWrite(g_logRun, "In CDlgSendSMS::SendSMS");

    const auto addList = [&](const std::vector<SmsRecipient>& numbers, bool international) {
        if (numbers.empty())
            return;
        auto list = std::make_unique<ListState>();
        list->numbers = &numbers;
        list->international = international;
        list->intlOperation = international || m_request.korean;
        list->records.resize(parts);
        for (int p = 0; p < parts; ++p) {
            SEND_INFO_WRITEDB& rec = list->records[p];
            rec.content = m_request.parts[p];
            rec.timingTime = m_request.timingTime;
            rec.sendReceiveNum = m_request.sendReceiveNum;
            rec.replaceId = m_request.keepRecord ? 0 : m_request.replaceId;
        }
        m_lists.push_back(std::move(list));
    };
    addList(m_request.numbers.domestic, false);
    addList(m_request.numbers.international, true);

    // Every id of the submission is taken now, so a composer or a writer
    // thread that asks later can never get one of them.
    for (auto& list : m_lists) {
        if (!AllocateSubmissionIds(m_db, list->records)) {
            LogWrite(g_logRun, "ERROR,写短信记录出错了allocate sendID");
            m_result.stoppedByWriteFailure = true;
            Finish();
            return true;
        }
    }
    Advance();
    return true;
}

void SmsSubmission::RequestStop() {
    if (m_busy)
        m_stopRequested = true;
}

bool SmsSubmission::IsLastWrite() const {
    const ListState& list = *m_lists[m_list];
    return m_list + 1 == m_lists.size() && m_offset + m_batchCount >= list.numbers->size() &&
           m_part + 1 == static_cast<int>(list.records.size());
}

void SmsSubmission::Advance() {
    if (m_list >= m_lists.size()) {
        Finish();
        return;
    }
    if (m_stopRequested) {
        RecordUnsubmitted();
        Finish();
        return;
    }
    ListState& list = *m_lists[m_list];
    if (m_part == 0) {
        m_batchCount = static_cast<int>(std::min<size_t>(m_batchSize, list.numbers->size() - m_offset));
        list.batchFailed = list.batchUnknown = false;
    }
    SEND_INFO_WRITEDB& rec = list.records[m_part];
    rec.numbers = list.numbers->data() + m_offset;
    rec.numCount = m_batchCount;
    SmsOutbox outbox(m_db, m_customerDb);
    if (!outbox.WritePending(rec, m_job)) {
        // Nothing of this batch is on record, so it is not sent; the
        // replaced record stays whole for a later resend.
        m_result.stoppedByWriteFailure = true;
        Finish();
        return;
    }
    BeginCall();
}

void SmsSubmission::BeginCall() {
    ListState& list = *m_lists[m_list];
    const SEND_INFO_WRITEDB& rec = list.records[m_part];
    SmsSendCall call;
    call.intlOperation = list.intlOperation;
    call.numbers = JoinRecipientNumbers(rec.numbers, rec.numCount);
    call.numCount = rec.numCount;
    call.content = rec.content;
    call.timingTime = m_request.timingTime;
    std::shared_ptr<SmsSender> sender = m_sender;
    const bool started = m_runner->Run<SmsSendAnswer>(
        this, [sender, call = std::move(call)] { return sender->Send(call); },
        [this](SmsSendAnswer answer) { OnCallDone(std::move(answer)); });
    if (!started) {
        // The worker of an earlier call never came back: this batch was not
        // sent and stays "未知" on record until it is checked.
        OnCallDone(SmsSendAnswer{-1, CallOutcome::NoAnswer, {}});
    }
}

void SmsSubmission::OnCallDone(SmsSendAnswer answer) {
    ListState& list = *m_lists[m_list];
    SEND_INFO_WRITEDB& rec = list.records[m_part];
    const SmsSendOutcome outcome = OutcomeOfCall(answer.result, answer.transport);

    const char* state = outcome == SmsSendOutcome::Sent     ? "成功"
                        : outcome == SmsSendOutcome::Failed ? "失败"
                                                            : "未知";
    LogWrite(g_logSend, "SendSms号码个数：" + std::to_string(rec.numCount) + " 状态：" + state + "." +
                            LogEscape(answer.rrid) + "||内容：" + LogEscape(rec.content));
    LogWrite(g_logSend, "");

    const bool last = IsLastWrite();
    const qint64 deleteId = last ? rec.replaceId : 0;
    SmsOutbox outbox(m_db, m_customerDb);
    const bool written = outbox.WriteOutcome(rec, m_job, outcome, answer.rrid, list.international, deleteId);
    if (!written) {
        // Rolled back: the batch stays "未知" on record, and so it is told.
        m_result.outcomeWriteFailed = true;
        list.batchUnknown = true;
    } else if (outcome == SmsSendOutcome::Failed) {
        list.batchFailed = true;
    } else if (outcome == SmsSendOutcome::Unknown) {
        list.batchUnknown = true;
    }
    if (written && deleteId != 0)
        for (auto& l : m_lists)
            for (auto& r : l->records)
                r.replaceId = 0;
    LogWrite(g_logRun, list.international ? "writeRecordNew，写db小灵通" : "writeRecordNew,写DB记录结束");

    m_done += rec.numCount;
    emit progress(m_done, m_total);

    if (++m_part == static_cast<int>(list.records.size())) {
        if (list.batchUnknown)
            m_result.unknownCount += m_batchCount;
        else if (list.batchFailed)
            m_result.failedCount += m_batchCount;
        else
            m_result.sentCount += m_batchCount;
        if (m_request.keepVoiceBatches && !list.international)
            m_result.voiceBatches.emplace_back(rec.numbers, rec.numbers + m_batchCount);
        m_part = 0;
        m_offset += m_batchCount;
        m_batchCount = 0;
        if (m_offset >= list.numbers->size()) {
            ++m_list;
            m_offset = 0;
        }
    }
    Advance();
}

void SmsSubmission::RecordUnsubmitted() {
    m_result.stoppedByRequest = true;
    // Every (list, part) range that no call covered, in order; the last
    // write also removes the record this job replaces.
    struct Range {
        ListState* list;
        int part;
        size_t from;
    };
    std::vector<Range> ranges;
    for (size_t l = m_list; l < m_lists.size(); ++l) {
        ListState& list = *m_lists[l];
        const size_t size = list.numbers->size();
        int unsubmitted = 0;
        for (int p = 0; p < static_cast<int>(list.records.size()); ++p) {
            size_t from = 0;
            if (l == m_list)
                from = p < m_part ? m_offset + m_batchCount : m_offset;
            if (from < size)
                ranges.push_back({&list, p, from});
        }
        unsubmitted = static_cast<int>(size - (l == m_list ? m_offset : 0));
        m_result.failedCount += unsubmitted;
    }
    qint64 deleteId = 0;
    for (auto& list : m_lists)
        for (auto& rec : list->records)
            if (rec.replaceId != 0)
                deleteId = rec.replaceId;
    SmsOutbox outbox(m_db, m_customerDb);
    for (size_t i = 0; i < ranges.size(); ++i) {
        SEND_INFO_WRITEDB& rec = ranges[i].list->records[ranges[i].part];
        rec.numbers = ranges[i].list->numbers->data() + ranges[i].from;
        rec.numCount = static_cast<int>(ranges[i].list->numbers->size() - ranges[i].from);
        const bool last = i + 1 == ranges.size();
        if (!outbox.WriteUnsubmitted(rec, m_job, ranges[i].list->international, last ? deleteId : 0)) {
            m_result.outcomeWriteFailed = true;
            return;
        }
        m_done += rec.numCount;
    }
    m_list = m_lists.size();
}

void SmsSubmission::Finish() {
    m_result.allSent = m_list >= m_lists.size() && !m_lists.empty() && m_result.failedCount == 0 &&
                       m_result.unknownCount == 0 && !m_result.stoppedByWriteFailure &&
                       !m_result.stoppedByRequest && !m_result.outcomeWriteFailed;
    // Told from the event loop, never from inside Start or a caller's slot.
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_busy = false;
            m_lists.clear();
            emit finished(m_result);
        },
        Qt::QueuedConnection);
}
