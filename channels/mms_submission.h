#pragma once
// One MMS submission of the composer. The frames' files are checked once
// before anything is recorded; then, batch by batch (or number by number for
// a personalised MMS), the pending record is committed, the service call
// runs on a worker thread the submission owns, and its completion comes back
// as a queued call on the GUI thread, where the outcome is written and the
// next batch begins. After a failed batch the next one waits 5 s on a timer.
// The GUI thread never waits for the service and runs no nested event loop.
#include "channels/channel_records.h"
#include "service/mms_content.h"
#include "service/web_service_client.h"
#include "sms/sms_submission.h"

#include <QDateTime>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class CallRunner;
class QTimer;

// One qxMmsSend call.
struct MmsSendCall {
    std::vector<MMSCONTENT> frames; // personalised: the number's filled copy
    QString title;
    std::string numbers; // decoded numbers joined by ","
    int numCount = 0;
    QString timingTime; // "" = now
};

struct MmsSendAnswer {
    int result = -1; // the wrapper's: 0 accepted, anything else failed
    CallOutcome transport = CallOutcome::NotSent;
};

// Makes the service calls of one submission, on the submission's worker.
class MmsSender {
public:
    virtual ~MmsSender() = default;
    virtual MmsSendAnswer Send(const MmsSendCall& call) = 0;
};

// The real service: one CWebServiceClient for the whole submission, aimed at
// the MMS channel server (SelectChannelServer "彩信").
class ServiceMmsSender : public MmsSender {
public:
    ServiceMmsSender(); // fields 0 and 1 of g_pAccount
    ServiceMmsSender(const QString& serial, const QString& password);
    ~ServiceMmsSender() override;
    MmsSendAnswer Send(const MmsSendCall& call) override;
    CWebServiceClient& client() { return *m_client; }

private:
    std::unique_ptr<CWebServiceClient> m_client;
};

struct MmsSubmitRequest {
    QString title;
    std::vector<MMSCONTENT> frames;    // in tab order, at least one
    std::vector<SmsRecipient> numbers; // BuildRecipients of the composer's list
    QString timingTime;                // "" = now, else the timed-send picker's text
    bool personalised = false;         // one call and record per number, fields filled in
    qint64 replaceId = 0;              // the stored record the composer replaces; 0 none
};

struct MmsSubmitResult {
    int sentCount = 0;
    int failedCount = 0;                // refused, failed, a personalised file problem, or never submitted
    int unknownCount = 0;               // no answer read: outcome unknown
    bool stoppedByWriteFailure = false; // a pending write failed; nothing more was sent
    bool stoppedByRequest = false;      // RequestStop
    bool outcomeWriteFailed = false;    // an outcome write rolled back (the batch left "未知")
    bool replaced = false;              // the record replaceId was removed
    qint64 lastSendId = 0;              // the record written last
};

// The box the composer shows at the end: 289 when a batch failed (error
// icon), else the SMS item's unknown-outcome text when one was unknown, else
// 280 "发送成功" (information icon).
SmsEndMessage MmsSubmitEndMessage(const MmsSubmitResult& result);

// Why Start did not start.
enum class MmsStartResult {
    Started,
    Busy,        // a submission runs
    Nothing,     // no number, no frame or no database
    FileProblem, // a frame's file failed the check (shown); nothing recorded
};

class MmsSubmission : public QObject {
    Q_OBJECT
public:
    // Writes to g_pDB.
    explicit MmsSubmission(std::unique_ptr<MmsSender> sender, QObject* parent = nullptr);
    // Waits for a call in flight (its outcome is not written: it stays "未知").
    ~MmsSubmission() override;

    void SetDatabase(sqlite3* db);
    void SetClock(SmsClock clock);
    // The pause after a failed batch (5000 ms).
    void SetFailurePauseMs(int ms) { m_pauseMs = ms; }
    // The size limit of the file check (g_nMmsMaxSize when not set).
    void SetSizeLimit(qint64 bytes) { m_sizeLimit = bytes; }

    // Checks the frames' files (the first problem is shown, warning icon,
    // and nothing is recorded), then records and sends the first batch
    // before it returns.
    MmsStartResult Start(MmsSubmitRequest request);
    // The batch in flight finishes; every number not yet submitted is
    // recorded as failed, then finished is emitted.
    void RequestStop();
    bool IsBusy() const { return m_busy; }
    const MmsSubmitResult& Result() const { return m_result; }

signals:
    void progress(qint64 done, qint64 total);
    void finished(const MmsSubmitResult& result);

private:
    void Advance();
    void BeginCall();
    void OnCallDone(MmsSendAnswer answer);
    bool PrepareBatch();
    void RecordUnsubmitted();
    void Finish();
    void ShowWriteError(ChannelWriteError error);
    bool IsLastBatch() const;

    std::shared_ptr<MmsSender> m_sender;
    std::unique_ptr<CallRunner> m_runner;
    QTimer* m_pause = nullptr;
    sqlite3* m_db;
    SmsClock m_clock;
    int m_pauseMs = 5000;
    qint64 m_sizeLimit = -1;

    bool m_busy = false;
    bool m_stopRequested = false;
    bool m_fileMessageShown = false;
    MmsSubmitRequest m_request;
    MmsSubmitResult m_result;
    QString m_submitTime;
    QString m_title;
    int m_batchSize = kDefaultSmsBatchSize;
    size_t m_offset = 0; // first number of the current batch
    ChannelRecord m_record;
    MmsSendCall m_call;
    qint64 m_done = 0;
    QStringList m_fieldNames; // the personalised fields, looked up once
    struct FieldReader;
    std::unique_ptr<FieldReader> m_fields;
};

// A draft of the composer: one record with isDraft 1 (the list may be
// empty) replacing `replaceId` when not 0, in one transaction. The new
// sendID, or 0 when nothing was saved (the error's message shown).
qint64 SaveMmsDraft(sqlite3* db, const QString& title, const std::vector<MMSCONTENT>& frames,
                    const std::vector<SmsRecipient>& numbers, qint64 replaceId, const QDateTime& now);
