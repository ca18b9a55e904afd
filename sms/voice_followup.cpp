#include "sms/voice_followup.h"

#include "core/account.h"
#include "core/app_globals.h"
#include "core/database.h"
#include "core/log.h"
#include "core/sql.h"
#include "platform/ini.h"
#include "platform/msgbox.h"
#include "sms/call_runner.h"

#include <QCoreApplication>

#include <algorithm>

namespace {

constexpr char kTimeFormat[] = "yyyy-MM-dd HH:mm:ss";
// With this many numbers or more, no names are looked up.
constexpr int kVoiceNameLookupLimit = 100;
constexpr int kVoiceNumberChars = 15;
constexpr int kVoiceNameBytes = 31;

QString Tr(const char* text) {
    return QCoreApplication::translate("VoiceFollowUp", text);
}

// At most `bytes` bytes of UTF-8, cut before a character that does not fit.
QString CutUtf8(const QString& text, int bytes) {
    QByteArray utf8 = text.toUtf8();
    if (utf8.size() <= bytes)
        return text;
    int end = bytes;
    while (end > 0 && (static_cast<unsigned char>(utf8[end]) & 0xC0) == 0x80)
        --end;
    return QString::fromUtf8(utf8.left(end));
}

// The numbers the record holds: info.count / 3 of them, at most those given.
int RecordedNumbers(const SoundRecordInput& input) {
    return std::clamp(input.info.count / kVoiceChargePerNumber, 0, static_cast<int>(input.numbers.size()));
}

// The job row, its attachment and its numbers, in the caller's transaction.
qint64 WriteVoiceRows(sqlite3* db, const SoundRecordInput& input, int count, int isDraft, int isFail,
                      const char* status, const QDateTime& now) {
    const qint64 sendId = AllocateSendId(db);
    if (sendId <= 0)
        return 0;
    SqlStatement info(db, "INSERT INTO sendInfo (content,submitTime,timingTime,count,isDraft,isFail,sendID,"
                          "sendType,send_receive_Num) VALUES(?1,?2,?3,?4,?5,?6,?7,5,0)");
    info.bind(1, input.info.subject)
        .bind(2, now.toString(QLatin1String(kTimeFormat)))
        .bind(3, input.sendTime)
        .bind(4, count)
        .bind(5, isDraft)
        .bind(6, isFail)
        .bind(7, static_cast<int64_t>(sendId));
    if (info.exec() != SQLITE_OK) {
        LogWrite(g_logRun, "ERROR,存入语音记录主题等出错了:" + std::string(sqlite3_errmsg(db)));
        ShowMessageBox(Tr("存入语音记录主题等出错了"), mb::IconError);
        return 0;
    }
    SqlStatement attachment(db, "INSERT INTO attachmentContent (soundFileFullPath,txtContent,sendID) VALUES "
                                "('',?1,?2)");
    if (attachment.bind(1, input.info.content).bind(2, static_cast<int64_t>(sendId)).exec() != SQLITE_OK) {
        LogWrite(g_logRun, "ERROR,存入语音记录附件出错了:" + std::string(sqlite3_errmsg(db)));
        ShowMessageBox(Tr("存入语音记录附件出错了"), mb::IconError);
        return 0;
    }
    const int n = RecordedNumbers(input);
    SqlStatement nameOf(db,
                        "SELECT name FROM ContactList WHERE mobileNum=?1 AND name is not null and name<>'' "
                        "LIMIT 1");
    SqlStatement number(db, "INSERT INTO sendNums (sendID,numOrMailAddr,name,status) values(?1,?2,?3,?4)");
    number.bind(1, static_cast<int64_t>(sendId));
    if (status)
        number.bind(4, status);
    else
        number.bindNull(4);
    for (int i = 0; i < n; ++i) {
        const SmsRecipient& r = input.numbers[i];
        const std::string_view digits = std::string_view(r.number).substr(0, kVoiceNumberChars);
        QString name;
        if (n < kVoiceNameLookupLimit) {
            name = r.name;
            if (name.isEmpty()) {
                nameOf.reset();
                nameOf.bind(1, digits);
                if (nameOf.step() == SQLITE_ROW)
                    name = CutUtf8(nameOf.qtext(0), kVoiceNameBytes);
            }
        }
        number.bind(2, digits).bind(3, name);
        // A number that cannot be stored does not stop the record, but a
        // pending record that misses numbers must not be called.
        if (number.exec() != SQLITE_OK && status)
            return 0;
        number.reset();
    }
    return sendId;
}

} // namespace

qint64 SaveSoundRecord(sqlite3* db, const SoundRecordInput& input, int isDraft, int isFail,
                       const QDateTime& now) {
    SqlTransaction tx(db);
    if (!tx.active())
        return 0;
    const qint64 id = WriteVoiceRows(db, input, input.info.count, isDraft, isFail, nullptr, now);
    if (id <= 0 || tx.commit() != SQLITE_OK)
        return 0;
    return id;
}

qint64 SaveSoundRecordPending(sqlite3* db, const SoundRecordInput& input, const QDateTime& now) {
    SqlTransaction tx(db);
    if (!tx.active())
        return 0;
    const qint64 id = WriteVoiceRows(db, input, 0, 0, 0, kStatusUnknown, now);
    if (id <= 0)
        return 0;
    if (tx.commit() != SQLITE_OK) {
        LogWrite(g_logRun,
                 "ERROR,写短信记录出错了commit transaction,error info:" + std::string(sqlite3_errmsg(db)));
        return 0;
    }
    return id;
}

bool SaveSoundRecordOutcome(sqlite3* db, qint64 sendId, const SoundRecordInput& input,
                            SmsSendOutcome outcome) {
    if (outcome == SmsSendOutcome::Unknown)
        return true;
    SqlTransaction tx(db);
    if (!tx.active())
        return false;
    SqlStatement nums(db, "UPDATE sendNums SET status=NULL WHERE sendID=?1");
    if (nums.bind(1, static_cast<int64_t>(sendId)).exec() != SQLITE_OK)
        return false;
    SqlStatement info(db, "UPDATE sendInfo SET count=?1,isFail=?2 WHERE sendID=?3");
    info.bind(1, input.info.count)
        .bind(2, outcome == SmsSendOutcome::Sent ? 0 : 1)
        .bind(3, static_cast<int64_t>(sendId));
    if (info.exec() != SQLITE_OK)
        return false;
    if (tx.commit() != SQLITE_OK) {
        LogWrite(g_logRun,
                 "ERROR,写短信记录出错了commit transaction,error info:" + std::string(sqlite3_errmsg(db)));
        return false;
    }
    return true;
}

ServiceVoiceSender::ServiceVoiceSender()
    : ServiceVoiceSender(g_pAccount.field(kAccountSerial), g_pAccount.field(kAccountPassword)) {}

ServiceVoiceSender::ServiceVoiceSender(const QString& serial, const QString& password)
    : m_client(std::make_unique<CWebServiceClient>(serial, password)) {}

ServiceVoiceSender::~ServiceVoiceSender() = default;

SmsSendAnswer ServiceVoiceSender::Send(const VoiceSendCall& call) {
    SelectChannelServer(*m_client, QStringLiteral("语音"));
    SmsSendAnswer answer;
    answer.result = m_client->CallAudioSend(call.subject, QString::fromStdString(call.numbers), QString(),
                                            call.text, QString(), call.callerNumber);
    answer.transport = m_client->LastCallOutcome();
    return answer;
}

QString VoiceFollowUpCallerNumber() {
    return ini::ReadString(g_strAccountIni, QStringLiteral("Voice"), QStringLiteral("VoiceNum"), QString(),
                           100);
}

bool VoiceFollowUpAllowed(const QString& text) {
    return text.size() <= kVoiceFollowUpMaxText;
}

std::vector<SmsEndMessage> VoiceFollowUpEndMessages(const VoiceFollowUpResult& result) {
    return std::vector<SmsEndMessage>(result.sentBatches,
                                      SmsEndMessage{Tr("语音发送成功"), mb::IconInformation});
}

VoiceFollowUp::VoiceFollowUp(std::unique_ptr<VoiceSender> sender, QObject* parent)
    : QObject(parent), m_sender(std::move(sender)), m_runner(std::make_unique<CallRunner>()), m_db(g_pDB) {}

VoiceFollowUp::~VoiceFollowUp() {
    m_runner.reset();
}

void VoiceFollowUp::SetDatabase(sqlite3* db) {
    m_db = db;
}

void VoiceFollowUp::SetClock(SmsClock clock) {
    m_clock = std::move(clock);
}

bool VoiceFollowUp::Start(std::vector<std::vector<SmsRecipient>> batches, const QString& text,
                          const QString& callerNumber) {
    if (m_busy || batches.empty() || !m_db)
        return false;
    m_batches = std::move(batches);
    m_index = 0;
    m_text = text;
    m_caller = callerNumber.isEmpty() ? VoiceFollowUpCallerNumber() : callerNumber;
    m_result = VoiceFollowUpResult();
    m_busy = true;
    Next();
    return true;
}

void VoiceFollowUp::Next() {
    while (m_index < m_batches.size() && m_batches[m_index].empty())
        ++m_index;
    if (m_index >= m_batches.size()) {
        QMetaObject::invokeMethod(
            this,
            [this] {
                m_busy = false;
                emit finished(m_result);
            },
            Qt::QueuedConnection);
        return;
    }
    const std::vector<SmsRecipient>& batch = m_batches[m_index];
    m_input = SoundRecordInput();
    m_input.numbers = batch;
    m_input.info.count = kVoiceChargePerNumber * static_cast<int>(batch.size());
    m_input.info.subject = QStringLiteral("短信转语音主题");
    m_input.info.content = m_text;
    m_pendingId = SaveSoundRecordPending(m_db, m_input, m_clock ? m_clock() : QDateTime::currentDateTime());
    if (m_pendingId <= 0) {
        m_result.stoppedByWriteFailure = true;
        m_index = m_batches.size();
        Next();
        return;
    }
    VoiceSendCall call;
    call.subject = m_input.info.subject;
    for (size_t i = 0; i < batch.size(); ++i) {
        if (i > 0)
            call.numbers += ',';
        call.numbers += batch[i].number;
    }
    call.text = m_text;
    call.callerNumber = m_caller;
    std::shared_ptr<VoiceSender> sender = m_sender;
    if (!m_runner->Run<SmsSendAnswer>(
            this, [sender, call = std::move(call)] { return sender->Send(call); },
            [this](SmsSendAnswer answer) { OnCallDone(std::move(answer)); }))
        OnCallDone(SmsSendAnswer{-1, CallOutcome::NoAnswer, {}});
}

void VoiceFollowUp::OnCallDone(SmsSendAnswer answer) {
    const SmsSendOutcome outcome = OutcomeOfCall(answer.result, answer.transport, true);
    if (!SaveSoundRecordOutcome(m_db, m_pendingId, m_input, outcome))
        ++m_result.unknownBatches;
    else if (outcome == SmsSendOutcome::Sent)
        ++m_result.sentBatches;
    else if (outcome == SmsSendOutcome::Failed)
        ++m_result.failedBatches;
    else
        ++m_result.unknownBatches;
    ++m_index;
    Next();
}
