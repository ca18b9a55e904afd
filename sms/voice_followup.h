#pragma once
// Voice records and the voice follow-up of an SMS: the text just sent is sent
// again as a voice message to each batch's numbers. The record rules are
// those of the voice dialog's save, usable without a window; the follow-up
// goes through the outbox like an SMS: pending before the call, then the
// outcome.
#include "sms/send_records.h"
#include "sms/sms_submission.h"

#include <QObject>
#include <QString>

#include <memory>
#include <string>
#include <vector>

class CallRunner;

// A voice message is charged three messages per number.
inline constexpr int kVoiceChargePerNumber = 3;
// The longest text that may follow an SMS as voice.
inline constexpr int kVoiceFollowUpMaxText = 300;

// What a caller without a window hands to the voice record writer.
struct SOUND_SAVE_INFO {
    int count = 0; // charged messages: 3 x numbers
    QString subject;
    QString content; // the text read out
};

// A voice record: sendInfo (content = subject, sendType 5, send_receive_Num
// 0), its attachmentContent row (no sound file, the text) and a sendNums row
// per number. Names: with fewer than 100 numbers, the recipient's own name,
// else the first named contact with that number (at most 31 bytes); with 100
// or more numbers no names.
struct SoundRecordInput {
    QString sendTime;                  // "" = now
    std::vector<SmsRecipient> numbers; // at most 15 characters of each number are stored
    SOUND_SAVE_INFO info;
};

// The windowless save in one transaction, with the outcome already known
// (drafts, or a caller that recorded nothing before its call). The new
// sendID, 0 on failure (logged, rolled back).
qint64 SaveSoundRecord(sqlite3* db, const SoundRecordInput& input, int isDraft, int isFail,
                       const QDateTime& now);

// The outbox road: the record committed with count 0, isFail 0 and every
// number "未知" before the call (0 on failure: the caller must not call) ...
qint64 SaveSoundRecordPending(sqlite3* db, const SoundRecordInput& input, const QDateTime& now);
// ... then the outcome in one transaction: sent -> status cleared, count set;
// failed -> isFail 1, status cleared, count set; unknown -> left as it is.
bool SaveSoundRecordOutcome(sqlite3* db, qint64 sendId, const SoundRecordInput& input,
                            SmsSendOutcome outcome);

// The voice call of one batch. Runs on the follow-up's worker thread.
struct VoiceSendCall {
    QString subject;
    std::string numbers; // joined by ","
    QString text;
    QString callerNumber;
};
class VoiceSender {
public:
    virtual ~VoiceSender() = default;
    // result as CallAudioSend's (above 10000 = accepted); rrid unused.
    virtual SmsSendAnswer Send(const VoiceSendCall& call) = 0;
};

// The real service: one client built from the account, aimed at the voice
// server (SelectChannelServer "语音").
class ServiceVoiceSender : public VoiceSender {
public:
    ServiceVoiceSender();
    ServiceVoiceSender(const QString& serial, const QString& password);
    ~ServiceVoiceSender() override;
    SmsSendAnswer Send(const VoiceSendCall& call) override;
    CWebServiceClient& client() { return *m_client; }

private:
    std::unique_ptr<CWebServiceClient> m_client;
};

// The caller number of the follow-up: [Voice] VoiceNum of g_strAccountIni.
QString VoiceFollowUpCallerNumber();
// True when `text` may follow as voice (at most kVoiceFollowUpMaxText units).
bool VoiceFollowUpAllowed(const QString& text);

struct VoiceFollowUpResult {
    int sentBatches = 0;
    int failedBatches = 0;
    int unknownBatches = 0;
    bool stoppedByWriteFailure = false;
};

// The boxes after a follow-up: "语音发送成功" once per accepted batch (the
// service's refusals were shown by the call itself).
std::vector<SmsEndMessage> VoiceFollowUpEndMessages(const VoiceFollowUpResult& result);

// Sends the kept batches one after another, like SmsSubmission: pending
// record, call on its worker, outcome on the GUI thread.
class VoiceFollowUp : public QObject {
    Q_OBJECT
public:
    explicit VoiceFollowUp(std::unique_ptr<VoiceSender> sender, QObject* parent = nullptr);
    ~VoiceFollowUp() override;
    void SetDatabase(sqlite3* db);
    void SetClock(SmsClock clock);

    // Subject "短信转语音主题", caller number VoiceFollowUpCallerNumber() unless given.
    bool Start(std::vector<std::vector<SmsRecipient>> batches, const QString& text,
               const QString& callerNumber = QString());
    bool IsBusy() const { return m_busy; }
    const VoiceFollowUpResult& Result() const { return m_result; }

signals:
    void finished(const VoiceFollowUpResult& result);

private:
    void Next();
    void OnCallDone(SmsSendAnswer answer);

    std::shared_ptr<VoiceSender> m_sender;
    std::unique_ptr<CallRunner> m_runner;
    sqlite3* m_db;
    SmsClock m_clock;
    bool m_busy = false;
    std::vector<std::vector<SmsRecipient>> m_batches;
    size_t m_index = 0;
    QString m_text;
    QString m_caller;
    qint64 m_pendingId = 0;
    SoundRecordInput m_input;
    VoiceFollowUpResult m_result;
};
