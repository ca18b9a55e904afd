#pragma once
// The receive job: fetches the received messages from the service, stores
// them, removes the senders who asked to unsubscribe, runs the interactive
// rules and sends the automatic reply and forward, recording every automatic
// send. It runs on a worker with its own database connection and service
// client, from a copy of the settings taken on the GUI thread; what the
// window must show is handed to a ReceiveJobSink.
#include "core/helpers.h"
#include "sms/num_content.h"
#include "sms/received_records.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <sqlite3.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

class CWebServiceClient;
struct RECV_MSG;

// ---- the receive window --------------------------------------------------------

// [SysSetting] Auto100, StartTime and EndTime: the period without automatic
// receiving ("HH:mm:ss" texts) and whether weekends have none at all.
struct ReceiveWindow {
    bool skipWeekend = false;
    QString startTime;
    QString endTime;
    static ReceiveWindow Read(const QString& accountIni);
};

// True when automatic receiving is allowed at `now`. The times compare as
// texts; a period whose start lies after its end runs over midnight; both
// bounds are allowed times; with both times empty every time is allowed.
bool IsInReceiveWindow(const ReceiveWindow& window, const QDateTime& now);

// ---- pieces of a received message -------------------------------------------------

// "yyyy-M-d H:m[:s]" with "-" or "/" in the date and a blank or "T" before
// the time, rewritten "yyyy-MM-dd HH:mm:ss"; nullopt when the text is no
// such time or no valid one.
std::optional<QString> NormalizeSendTime(const QString& text);

// The reply sub-number of a receiving number: what follows the first
// len(serviceNumber) characters, -1 when that is empty or not one to five
// digits.
int SendReceiveNumber(const QString& recvNum, const QString& serviceNumber);

// The extension that names the forward group ("Name<ext>" of [GroupName]):
// the sub-number's digits as received, "0" when there is none.
QString ForwardExtension(const QString& recvNum, const QString& serviceNumber);

// The forward text: sendTime + "号码" + sendNum + name (when not empty) +
// "回复：" + msgContent + "【" + signature + "】".
QString ForwardText(const RECV_MSG& msg, const QString& name, const QString& signature);

// out[0] = name, out[1] = coName of the first contact with that number
// (both empty when there is none; a failed query logs "出错了").
void LookupContactName(sqlite3* db, const QString& number, QString out[2]);

// ---- what the job reads -------------------------------------------------------------

struct ReceiveJobInputs {
    QString serial;        // account field 0
    QString password;      // account field 1
    QString signature;     // account field 13
    QString serviceNumber; // account field 14
    // A copy of g_sysSettings: entry 1 the automatic reply, entry 2 the
    // forward (its targets joined by ","), entry 7's flag the sender's name
    // in forwarded texts.
    std::vector<SYSSETTING> settings;
    QString tdContact;      // [Td] TdContact
    ReceivedShowSettings show; // [ReceiveMsg]
    // [GroupName], keys in lower case.
    std::map<QString, QString> groupNames;
    QString databasePath;

    // The logged-in account, g_sysSettings and `accountIni`'s values, as
    // they are now. Call on the GUI thread.
    static ReceiveJobInputs Collect(const QString& accountIni);
    // "Name<ext>" of [GroupName], "" when missing.
    QString groupName(const QString& ext) const;
};

// What the job shows through the window. Called on the job's thread; an
// implementation posts to the GUI thread.
class ReceiveJobSink {
public:
    virtual ~ReceiveJobSink() = default;
    // Status-bar part 2 (empty: cleared).
    virtual void SetStatusText(const QString& text) = 0;
    // A manual receive found nothing waiting: "没有需要接收的短信.".
    virtual void NothingToReceive() = 0;
    // A batch is stored: when `manual` the received node is selected; the
    // received view re-queries with `filter`.
    virtual void BatchStored(bool manual, const QString& filter) = 0;
};

// Shared between the window and its running job: a manual command during
// the job makes it count as manual; a close asks it to end before its next
// service call.
struct ReceiveJobState {
    std::atomic<bool> manual{false};
    std::atomic<bool> stop{false};
};

// One recipient list of an automatic send and how it went out.
struct AutoSend {
    std::vector<NUM_CONTENT> items;
    bool personalised = false;
};

class ReceivedTraffic {
public:
    // `db` is the job's own connection; `sink` and `state` may be null.
    ReceivedTraffic(ReceiveJobInputs inputs, sqlite3* db, ReceiveJobSink* sink = nullptr,
                    std::shared_ptr<ReceiveJobState> state = nullptr);
    ~ReceivedTraffic();
    ReceivedTraffic(const ReceivedTraffic&) = delete;
    ReceivedTraffic& operator=(const ReceivedTraffic&) = delete;

    // The whole job: fetch, store, unsubscribe, show, rules, reply, forward.
    void Run();

    // The steps, in the job's order.
    // Stores the batch in one transaction; the rowids of the stored rows are
    // kept for the rules, the earliest valid send time becomes the since time.
    // A message that could not be stored is written whole to the run log.
    void StoreBatch(const std::vector<RECV_MSG>& messages);
    // Deletes the contacts whose message holds the unsubscribe keyword.
    void Unsubscribe(const std::vector<RECV_MSG>& messages);
    // out[0] = name, out[1] = coName of the first contact with that number.
    void LookupContactName(const QString& number, QString out[2]);
    void RunInteractiveMessages();
    void AutoReply(const std::vector<RECV_MSG>& messages);
    void AutoForward(const std::vector<RECV_MSG>& messages);

    const QString& interactiveSince() const { return m_since; }
    const std::vector<int64_t>& storedRowids() const { return m_storedRowids; }
    CWebServiceClient& client() { return *m_client; }

private:
    bool manual() const;
    bool stopping() const;
    void Status(const char* text);
    void RunRule(const QString& content, const QString& sqlDes);
    // Records the send as pending, calls `send` (0: accepted, `rrid` its
    // id) and records its outcome.
    void SendAndRecord(AutoSend& send, const std::function<int(std::string& rrid)>& call);

    ReceiveJobInputs m_in;
    sqlite3* m_db;
    ReceiveJobSink* m_sink;
    std::shared_ptr<ReceiveJobState> m_state;
    std::unique_ptr<CWebServiceClient> m_client;
    QString m_since;
    std::vector<int64_t> m_storedRowids;
};

// The job on the calling (worker) thread: opens its own connection to
// inputs.databasePath, runs, closes.
void RunReceiveJob(const ReceiveJobInputs& inputs, ReceiveJobSink* sink, std::shared_ptr<ReceiveJobState> state);
