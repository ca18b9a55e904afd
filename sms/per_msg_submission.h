#pragma once
// Sending the rows of the personalised-SMS dialog through gxmt, one text per
// number, in batches. Every message is on record before its batch is
// called: its own sendID, a sendInfo row (count 0) and a sendNums row with
// its rrid and status "未知", committed; the call runs on a worker the
// submission owns and its completion comes back as a queued call on the GUI
// thread, where the outcome is written in one transaction and the next batch
// begins. An unanswered call stays "未知", never passes for sent.
#include "service/web_service_client.h"
#include "sms/row_sources.h"
#include "sms/send_records.h"
#include "sms/sms_submission.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class CallRunner;
struct sqlite3;

// The batch size: the text of g_sysSettings entry 9 read as a number; 500
// when it is below 1 or no number.
inline constexpr int kDefaultPerMsgBatchSize = 500;
int PerMsgBatchSize();
// The same rule for a given text.
int PerMsgBatchSizeOf(const QString& text);

// The roads rows come by.
enum class PerMsgRoad {
    Imported,  // an imported file
    Edited,    // the composer: its text carries the signature already
    BatchDate, // the batch date messages: each row has its own send time
    Resend,    // failed records sent again
};

// True when the account's signature is appended to every text at send (and
// so shown behind each row): imported and batch date rows when signed.
bool PerMsgSignatureAppended(PerMsgRoad road, bool signedFlag);

// A row's text as the list shows it: the text, and "【" + signature + "】"
// behind it exactly when it will be sent that way.
QString PerMsgShownText(const QString& rowText, PerMsgRoad road, bool signedFlag, const QString& signature);

// One gxmt call: the lists item by item, as CallGxmt takes them.
struct GxmtCall {
    QString numbers;  // joined by ","
    QString contents; // GxmtContent of each text, joined by ","
    QString times;    // one time per item joined by ",", or "" to send now
    QString rrids;    // joined by ","
    int count = 0;
};
struct GxmtAnswer {
    int result = -1; // CallGxmt's result: 0 or more accepted
    CallOutcome transport = CallOutcome::NotSent;
};

// Makes the gxmt calls of one submission, on its worker thread.
class GxmtSender {
public:
    virtual ~GxmtSender() = default;
    virtual GxmtAnswer Send(const GxmtCall& call) = 0;
};

// The real service: one CWebServiceClient for the whole submission.
class ServiceGxmtSender : public GxmtSender {
public:
    ServiceGxmtSender(); // fields 0 and 1 of g_pAccount
    ServiceGxmtSender(const QString& serial, const QString& password);
    ~ServiceGxmtSender() override;
    GxmtAnswer Send(const GxmtCall& call) override;
    CWebServiceClient& client() { return *m_client; }

private:
    std::unique_ptr<CWebServiceClient> m_client;
};

// What the dialog hands over. The rows must stay unchanged while the
// submission is busy (the dialog disables its list).
struct PerMsgSubmitRequest {
    const VIRTUAL_LIST_PERMSG* rows = nullptr;
    PerMsgRoad road = PerMsgRoad::Imported;
    bool signedFlag = false; // m_bSigned
    QString signature;       // field 13 of the account
    QString timingTime;      // "" = now, else "%Y-%m-%d %H:%M:00" (imported and edited roads)
    int batchSize = 0;       // 0: PerMsgBatchSize()
};

struct PerMsgSubmitResult {
    int sentCount = 0;
    int failedCount = 0;  // refused, not sent, or never submitted after a stop
    int unknownCount = 0; // no answer read
    bool stoppedByWriteFailure = false;
    bool stoppedByRequest = false;
    bool outcomeWriteFailed = false; // some outcome did not commit: those stay "未知"
    bool allSent() const {
        return failedCount == 0 && unknownCount == 0 && !stoppedByWriteFailure && !outcomeWriteFailed;
    }
};

// The boxes at the end: "写短信记录出错，发送已停止。" when a pending write
// stopped it; string 247 ("部分发送失败，请到失败记录里重新" + "发送" or "提交")
// when messages failed; the unknown text with their count; else string 246
// ("发送成功" or "提交成功"). `submitWording`: the batch date road.
std::vector<SmsEndMessage> PerMsgEndMessages(const PerMsgSubmitResult& result, bool submitWording);

using PerMsgClock = std::function<QDateTime()>;

class PerMsgSubmission : public QObject {
    Q_OBJECT
public:
    // Writes to g_pDB, and to g_pCustomerDB when g_nCustomize is set.
    explicit PerMsgSubmission(std::unique_ptr<GxmtSender> sender, QObject* parent = nullptr);
    // Waits for a call in flight (its messages then stay "未知").
    ~PerMsgSubmission() override;

    // `customerDb` null keeps no statistics.
    void SetDatabases(sqlite3* db, sqlite3* customerDb);
    void SetClock(PerMsgClock clock);

    // Starts; the first pending write and call begin before it returns.
    // False when busy or there are no rows (finished is not emitted).
    bool Start(PerMsgSubmitRequest request);
    // The batch in flight finishes; the rows not yet submitted are recorded
    // as failed personalised records (the resend road leaves its records as
    // they are), then finished is emitted.
    void RequestStop();
    bool IsBusy() const { return m_busy; }
    const PerMsgSubmitResult& Result() const { return m_result; }

signals:
    // Rows done of `total`.
    void progress(qint64 done, qint64 total);
    void finished(const PerMsgSubmitResult& result);

public:
    struct Batch; // one batch's messages (internal)

private:
    void Advance();
    void OnCallDone(GxmtAnswer answer);
    void RecordUnsubmitted();
    void Finish();

    std::shared_ptr<GxmtSender> m_sender;
    std::unique_ptr<CallRunner> m_runner;
    sqlite3* m_db;
    sqlite3* m_customerDb;
    PerMsgClock m_clock;

    bool m_busy = false;
    bool m_stopRequested = false;
    PerMsgSubmitRequest m_request;
    PerMsgSubmitResult m_result;
    QDateTime m_start;
    int m_batchSize = kDefaultPerMsgBatchSize;
    int m_next = 0; // first row of the next batch
    qint64 m_done = 0;
    qint64 m_total = 0;
    std::unique_ptr<Batch> m_batch;
    // Resend road: the success copy made for each multi-number record.
    std::map<qint64, qint64> m_copies;
};
