#include "channels/mms_submission.h"

#include "channels/mms_checks.h"
#include "contacts/contact_fields.h"
#include "contacts/field_markers.h"
#include "core/account.h"
#include "core/app_globals.h"
#include "core/database.h"
#include "core/log.h"
#include "core/string_table.h"
#include "platform/msgbox.h"
#include "sms/call_runner.h"

#include <QTimer>

namespace {

constexpr char kTimeFormat[] = "yyyy-MM-dd HH:mm:ss";

std::vector<ChannelAttachment> AttachmentsOf(const std::vector<MMSCONTENT>& frames) {
    std::vector<ChannelAttachment> attachments;
    attachments.reserve(frames.size());
    for (const MMSCONTENT& f : frames)
        attachments.push_back({f.soundPath, f.picturePath, f.text});
    return attachments;
}

} // namespace

// The personalised fields of the frames, read for one number at a time
// through one prepared statement.
struct MmsSubmission::FieldReader {
    FieldReader(sqlite3* db, const QStringList& names) : names(names), reader(db, names) {}
    QStringList names;
    ContactFieldReader reader;
};

ServiceMmsSender::ServiceMmsSender()
    : ServiceMmsSender(g_pAccount.field(kAccountSerial), g_pAccount.field(kAccountPassword)) {}

ServiceMmsSender::ServiceMmsSender(const QString& serial, const QString& password)
    : m_client(std::make_unique<CWebServiceClient>(serial, password)) {
    SelectChannelServer(*m_client, QStringLiteral("彩信"));
}

ServiceMmsSender::~ServiceMmsSender() = default;

MmsSendAnswer ServiceMmsSender::Send(const MmsSendCall& call) {
    MmsSendAnswer answer;
    answer.result =
        m_client->CallMmsSend(call.frames, call.title, QString::fromStdString(call.numbers), call.timingTime);
    answer.transport = m_client->LastCallOutcome();
    return answer;
}

SmsEndMessage MmsSubmitEndMessage(const MmsSubmitResult& result) {
    if (result.failedCount > 0 || result.stoppedByWriteFailure)
        return {LoadStr(289), mb::IconWarning};
    if (result.unknownCount > 0) {
        // The SMS item's text, so an unknown outcome reads the same everywhere.
        SmsSubmitResult unknown;
        unknown.unknownCount = result.unknownCount;
        return SmsSubmitEndMessages(unknown).front();
    }
    return {LoadStr(280), mb::IconInformation};
}

MmsSubmission::MmsSubmission(std::unique_ptr<MmsSender> sender, QObject* parent)
    : QObject(parent), m_sender(std::move(sender)), m_runner(std::make_unique<CallRunner>()),
      m_pause(new QTimer(this)), m_db(g_pDB) {
    m_pause->setSingleShot(true);
    m_pause->setTimerType(Qt::PreciseTimer); // a coarse timer may end 5% early
    connect(m_pause, &QTimer::timeout, this, &MmsSubmission::Advance);
}

MmsSubmission::~MmsSubmission() {
    // First the runner: it waits for a call in flight and delivers nothing
    // afterwards, so no completion can reach a half-destroyed submission.
    m_runner.reset();
}

void MmsSubmission::SetDatabase(sqlite3* db) {
    m_db = db;
}

void MmsSubmission::SetClock(SmsClock clock) {
    m_clock = std::move(clock);
}

MmsStartResult MmsSubmission::Start(MmsSubmitRequest request) {
    if (m_busy)
        return MmsStartResult::Busy;
    if (request.numbers.empty() || request.frames.empty() || !m_db)
        return MmsStartResult::Nothing;
    if (m_sizeLimit < 0)
        m_sizeLimit = g_nMmsMaxSize;
    // Checked once here: a missing or oversized file would otherwise fail
    // every batch, each with its own box and pause.
    const MmsSizeReport report = CheckMmsFiles(request.frames, m_sizeLimit, false, request.personalised);
    if (!report.problems.empty()) {
        ShowMessageBox(report.problems.front(), mb::IconWarning);
        return MmsStartResult::FileProblem;
    }
    m_request = std::move(request);
    m_result = MmsSubmitResult();
    m_stopRequested = false;
    m_fileMessageShown = false;
    m_offset = 0;
    m_done = 0;
    m_batchSize = SmsBatchSize(m_request.personalised);
    m_submitTime = (m_clock ? m_clock() : QDateTime::currentDateTime()).toString(QLatin1String(kTimeFormat));
    m_fields.reset();
    if (m_request.personalised) {
        QStringList names;
        for (const MMSCONTENT& f : m_request.frames) {
            ExtractFieldTokens(f.picturePath, names);
            ExtractFieldTokens(f.soundPath, names);
            ExtractFieldTokens(f.text, names);
        }
        names.removeDuplicates();
        if (!names.isEmpty())
            m_fields = std::make_unique<FieldReader>(m_db, names);
    }
    m_busy = true;
    LogWrite(g_logRun, "In CDlgSendMMS::SendMMS");
    Advance();
    return MmsStartResult::Started;
}

void MmsSubmission::RequestStop() {
    if (!m_busy)
        return;
    m_stopRequested = true;
    if (m_pause->isActive()) {
        // Nothing in flight: the rest is recorded now.
        m_pause->stop();
        Advance();
    }
}

bool MmsSubmission::IsLastBatch() const {
    return m_offset + static_cast<size_t>(m_record.numCount) >= m_request.numbers.size();
}

void MmsSubmission::ShowWriteError(ChannelWriteError error) {
    const QString text = ChannelWriteErrorText(error);
    if (!text.isEmpty())
        ShowMessageBox(text, mb::IconError);
}

// The next batch's record and call. False when the batch was settled
// without a call (a personalised number whose filled paths fail the check).
bool MmsSubmission::PrepareBatch() {
    const size_t left = m_request.numbers.size() - m_offset;
    const int count = static_cast<int>(std::min<size_t>(static_cast<size_t>(m_batchSize), left));
    const SmsRecipient* numbers = m_request.numbers.data() + m_offset;

    m_call = MmsSendCall();
    m_call.title = m_request.title;
    m_call.timingTime = m_request.timingTime;
    m_call.numbers = JoinRecipientNumbers(numbers, count);
    m_call.numCount = count;
    m_call.frames = m_request.frames;
    if (m_request.personalised && m_fields) {
        QStringList values;
        m_fields->reader.Read(values, QString::fromStdString(numbers[0].number).trimmed(), 0);
        for (qsizetype i = 0; i < m_fields->names.size() && i < values.size(); ++i) {
            QString value = values[i];
            if (value.endsWith(QLatin1String(".0")))
                value.chop(2);
            const QString marker = QLatin1String("<%") + m_fields->names[i] + QLatin1String("%>");
            for (MMSCONTENT& f : m_call.frames) {
                f.picturePath.replace(marker, value);
                f.soundPath.replace(marker, value);
                f.text.replace(marker, value);
            }
        }
    }

    m_record = ChannelRecord();
    m_record.sendType = kSendTypeMms;
    m_record.content = m_request.title;
    m_record.submitTime = m_submitTime;
    m_record.timingTime = m_request.timingTime;
    m_record.attachments = AttachmentsOf(m_call.frames);
    m_record.numbers = numbers;
    m_record.numCount = count;

    if (m_request.personalised) {
        const MmsSizeReport report = CheckMmsFiles(m_call.frames, m_sizeLimit, false);
        if (!report.problems.empty()) {
            if (!m_fileMessageShown) {
                m_fileMessageShown = true;
                ShowMessageBox(report.problems.front(), mb::IconWarning);
            }
            return false;
        }
    }
    return true;
}

void MmsSubmission::Advance() {
    const qint64 total = static_cast<qint64>(m_request.numbers.size());
    while (m_offset < m_request.numbers.size()) {
        if (m_stopRequested) {
            RecordUnsubmitted();
            break;
        }
        if (PrepareBatch()) {
            ChannelRecordWriter writer(m_db);
            if (!writer.WritePending(m_record)) {
                // Nothing of this batch is on record, so it is not sent; a
                // replaced record stays whole for a later resend.
                ShowWriteError(writer.lastError());
                m_result.stoppedByWriteFailure = true;
                break;
            }
            m_result.lastSendId = m_record.sendId;
            BeginCall();
            return;
        }
        // A personalised number whose files failed: recorded failed, no
        // call and no pause.
        const qint64 replaceId = IsLastBatch() && !m_result.replaced ? m_request.replaceId : 0;
        ChannelRecordWriter writer(m_db);
        if (writer.WriteFailed(m_record, replaceId)) {
            m_result.lastSendId = m_record.sendId;
            m_result.replaced = m_result.replaced || replaceId > 0;
        } else {
            ShowWriteError(writer.lastError());
            m_result.outcomeWriteFailed = true;
        }
        m_result.failedCount += m_record.numCount;
        m_offset += static_cast<size_t>(m_record.numCount);
        m_done += m_record.numCount;
        emit progress(m_done, total);
    }
    Finish();
}

void MmsSubmission::BeginCall() {
    std::shared_ptr<MmsSender> sender = m_sender;
    const bool started = m_runner->Run<MmsSendAnswer>(
        this, [sender, call = m_call] { return sender->Send(call); },
        [this](MmsSendAnswer answer) { OnCallDone(answer); });
    if (!started) {
        // The worker of an earlier call never came back: this batch was not
        // sent and stays "未知" on record until it is checked.
        OnCallDone(MmsSendAnswer{-1, CallOutcome::NoAnswer});
    }
}

void MmsSubmission::OnCallDone(MmsSendAnswer answer) {
    const SmsSendOutcome outcome = OutcomeOfCall(answer.result, answer.transport);
    const char* state = outcome == SmsSendOutcome::Sent     ? "成功"
                        : outcome == SmsSendOutcome::Failed ? "失败"
                                                            : "未知";
    LogWrite(g_logSend, "SendMms号码个数：" + std::to_string(m_record.numCount) + " 状态：" + state);

    const qint64 replaceId = IsLastBatch() && !m_result.replaced ? m_request.replaceId : 0;
    ChannelRecordWriter writer(m_db);
    const int count = m_record.numCount;
    if (!writer.WriteOutcome(m_record, outcome, replaceId)) {
        // Rolled back: the batch stays "未知" on record, and so it is told.
        ShowWriteError(writer.lastError());
        m_result.outcomeWriteFailed = true;
        m_result.unknownCount += count;
    } else {
        m_result.replaced = m_result.replaced || replaceId > 0;
        if (outcome == SmsSendOutcome::Sent)
            m_result.sentCount += count;
        else if (outcome == SmsSendOutcome::Failed)
            m_result.failedCount += count;
        else
            m_result.unknownCount += count;
    }
    m_offset += static_cast<size_t>(count);
    m_done += count;
    emit progress(m_done, static_cast<qint64>(m_request.numbers.size()));

    if (outcome == SmsSendOutcome::Failed && m_offset < m_request.numbers.size() && !m_stopRequested) {
        // A pause before the next batch, on a timer: the window stays live.
        m_pause->start(m_pauseMs);
        return;
    }
    Advance();
}

void MmsSubmission::RecordUnsubmitted() {
    m_result.stoppedByRequest = true;
    while (m_offset < m_request.numbers.size()) {
        // The same cut as the batches would have had, so a personalised
        // number keeps its own record with its own frames.
        const bool checked = PrepareBatch();
        (void)checked;
        const qint64 replaceId = IsLastBatch() && !m_result.replaced ? m_request.replaceId : 0;
        ChannelRecordWriter writer(m_db);
        if (!writer.WriteFailed(m_record, replaceId)) {
            ShowWriteError(writer.lastError());
            m_result.outcomeWriteFailed = true;
            return;
        }
        m_result.lastSendId = m_record.sendId;
        m_result.replaced = m_result.replaced || replaceId > 0;
        m_result.failedCount += m_record.numCount;
        m_offset += static_cast<size_t>(m_record.numCount);
        m_done += m_record.numCount;
    }
}

void MmsSubmission::Finish() {
    m_fields.reset();
    // Told from the event loop, never from inside Start or a caller's slot.
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_busy = false;
            emit finished(m_result);
        },
        Qt::QueuedConnection);
}

qint64 SaveMmsDraft(sqlite3* db, const QString& title, const std::vector<MMSCONTENT>& frames,
                    const std::vector<SmsRecipient>& numbers, qint64 replaceId, const QDateTime& now) {
    ChannelRecord rec;
    rec.sendType = kSendTypeMms;
    rec.content = title;
    rec.submitTime = now.toString(QLatin1String(kTimeFormat));
    rec.attachments = AttachmentsOf(frames);
    rec.numbers = numbers.data();
    rec.numCount = static_cast<int>(numbers.size());
    ChannelRecordWriter writer(db);
    if (!writer.WriteDraft(rec, replaceId)) {
        const QString text = ChannelWriteErrorText(writer.lastError());
        if (!text.isEmpty())
            ShowMessageBox(text, mb::IconError);
        return 0;
    }
    return rec.sendId;
}
