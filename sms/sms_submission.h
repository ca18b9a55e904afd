#pragma once
// One SMS submission of the composer: the numbers are cut into batches and
// each batch is sent once per content part. For every batch and part the
// pending record is committed, the service call runs on a worker thread the
// submission owns, and its completion comes back as a queued call on the
// GUI thread, where the outcome is written and the next batch begins. The
// GUI thread never waits for the service and never runs a nested event loop.
#include "sms/send_records.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class CallRunner;

// One service call of a submission.
struct SmsSendCall {
    bool intlOperation = false; // qxSmsSend_g instead of qxSmsSend
    std::string numbers;        // decoded numbers joined by ","
    int numCount = 0;
    QString content;
    QString timingTime; // "" = now
};

// What the call gave back: the wrapper's result, how the transport ended and
// the service's reference for the batch (empty unless sent).
struct SmsSendAnswer {
    int result = -1;
    CallOutcome transport = CallOutcome::NotSent;
    std::string rrid;
};

// Makes the service calls of one submission. Send runs on the submission's
// worker thread, one call at a time, never on the GUI thread.
class SmsSender {
public:
    virtual ~SmsSender() = default;
    virtual SmsSendAnswer Send(const SmsSendCall& call) = 0;
};

// The real service: one CWebServiceClient for the whole submission, built
// from the account's serial number and password.
class ServiceSmsSender : public SmsSender {
public:
    ServiceSmsSender(); // fields 0 and 1 of g_pAccount
    ServiceSmsSender(const QString& serial, const QString& password);
    ~ServiceSmsSender() override;
    SmsSendAnswer Send(const SmsSendCall& call) override;
    // Tests cap the time-outs or aim the client elsewhere before the first call.
    CWebServiceClient& client() { return *m_client; }

private:
    std::unique_ptr<CWebServiceClient> m_client;
};

// What the composer hands over.
struct SmsSubmitRequest {
    SmsNumberLists numbers; // BuildNumberLists of the composer's list
    QStringList parts;      // content parts as sent (numbering and signature in place)
    QString timingTime;     // "" = now, else "%Y-%m-%d %H:%M:00"
    bool survey = false;    // sendType 6; surveyMinutes is the reply window
    int surveyMinutes = 0;
    bool korean = false; // every number through qxSmsSend_g
    int sendReceiveNum = 1;
    qint64 replaceId = 0;          // loaded record id (draft, failed record); 0 none
    bool keepRecord = false;       // the loaded record is kept (a resent sent record)
    QString mark;                  // "短信归属:" for the statistics
    bool keepVoiceBatches = false; // keep each domestic batch for the voice follow-up
};

// How a submission ended. Counts are numbers (a number whose batch failed in
// several parts counts once).
struct SmsSubmitResult {
    bool allSent = false; // every batch of every part was sent
    int sentCount = 0;
    int failedCount = 0;                // failed, or never submitted after a stop
    int unknownCount = 0;               // no answer read: outcome unknown
    bool stoppedByWriteFailure = false; // a pending write failed; nothing more was sent
    bool stoppedByRequest = false;      // RequestStop
    bool outcomeWriteFailed = false;    // some outcome transaction rolled back (left "未知")
    std::vector<std::vector<SmsRecipient>> voiceBatches; // with keepVoiceBatches
};

// One box the composer shows at the end.
struct SmsEndMessage {
    QString text;
    unsigned icon = 0; // mb::IconWarning or mb::IconInformation
};

// The end message(s): "写短信记录出错，发送已停止。" when a pending write
// stopped it; the failure text when numbers failed; the unknown text with
// their count; "发送成功" only when none of these applies.
std::vector<SmsEndMessage> SmsSubmitEndMessages(const SmsSubmitResult& result);

using SmsClock = std::function<QDateTime()>;

class SmsSubmission : public QObject {
    Q_OBJECT
public:
    // Writes to g_pDB, and to g_pCustomerDB when g_nCustomize is set.
    explicit SmsSubmission(std::unique_ptr<SmsSender> sender, QObject* parent = nullptr);
    // Waits for a call in flight (its outcome is then not written: it stays "未知").
    ~SmsSubmission() override;

    // Other connections (the GUI thread's own); `customerDb` null keeps no statistics.
    void SetDatabases(sqlite3* db, sqlite3* customerDb);
    void SetClock(SmsClock clock);

    // Starts the submission; the first pending write and call begin before
    // it returns. False when one is already running, or when there is
    // nothing to send (no numbers or no parts; finished is not emitted).
    bool Start(SmsSubmitRequest request);
    // The batch in flight finishes; every number not yet submitted is recorded
    // as failed (to be resent), then finished is emitted.
    void RequestStop();
    bool IsBusy() const { return m_busy; }
    const SmsSubmitResult& Result() const { return m_result; }

signals:
    // Numbers done (counted once per part) of `total` (numbers x parts).
    void progress(qint64 done, qint64 total);
    void finished(const SmsSubmitResult& result);

private:
    struct ListState;
    void Advance();
    void BeginCall();
    void OnCallDone(SmsSendAnswer answer);
    void RecordUnsubmitted();
    void Finish();
    bool IsLastWrite() const;

    std::shared_ptr<SmsSender> m_sender;
    std::unique_ptr<CallRunner> m_runner;
    sqlite3* m_db;
    sqlite3* m_customerDb;
    SmsClock m_clock;

    bool m_busy = false;
    bool m_stopRequested = false;
    SmsSubmitRequest m_request;
    SmsJobInfo m_job;
    SmsSubmitResult m_result;
    std::vector<std::unique_ptr<ListState>> m_lists;
    size_t m_list = 0;   // current list
    size_t m_offset = 0; // first number of the current batch
    int m_batchSize = kDefaultSmsBatchSize;
    int m_batchCount = 0; // numbers of the current batch
    int m_part = 0;       // current part
    qint64 m_done = 0;
    qint64 m_total = 0;
};
