#include "sms/voice_followup.h"

#include "core/account.h"
#include "core/database.h"
#include "platform/worker_thread.h"

qint64 SaveSoundRecord(sqlite3*, const SoundRecordInput&, int, int, const QDateTime&) { return 0; }
qint64 SaveSoundRecordPending(sqlite3*, const SoundRecordInput&, const QDateTime&) { return 0; }
bool SaveSoundRecordOutcome(sqlite3*, qint64, const SoundRecordInput&, SmsSendOutcome) { return false; }

ServiceVoiceSender::ServiceVoiceSender()
    : ServiceVoiceSender(g_pAccount.field(kAccountSerial), g_pAccount.field(kAccountPassword)) {}
ServiceVoiceSender::ServiceVoiceSender(const QString& serial, const QString& password)
    : m_client(std::make_unique<CWebServiceClient>(serial, password)) {}
ServiceVoiceSender::~ServiceVoiceSender() = default;
SmsSendAnswer ServiceVoiceSender::Send(const VoiceSendCall&) { return {}; }

QString VoiceFollowUpCallerNumber() { return {}; }
bool VoiceFollowUpAllowed(const QString& text) { return text.size() <= kVoiceFollowUpMaxText; }

VoiceFollowUp::VoiceFollowUp(std::unique_ptr<VoiceSender> sender, QObject* parent)
    : QObject(parent), m_sender(std::move(sender)), m_worker(std::make_unique<WorkerThread>()), m_db(g_pDB),
      m_generation(std::make_shared<int>(0)) {}
VoiceFollowUp::~VoiceFollowUp() = default;
void VoiceFollowUp::SetDatabase(sqlite3* db) { m_db = db; }
void VoiceFollowUp::SetClock(SmsClock clock) { m_clock = std::move(clock); }
bool VoiceFollowUp::Start(std::vector<std::vector<SmsRecipient>>, const QString&, const QString&) { return false; }
void VoiceFollowUp::Next() {}
void VoiceFollowUp::OnCallDone(SmsSendAnswer) {}
