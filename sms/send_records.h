#pragma once
// The send records of the SMS composer: the numbers of a submission, how
// they are cut into batches, how one service call's answer is judged, and
// the outbox that writes `sendInfo`, `sendNums`, `CountmsgRecord` and the
// day's send-record file. A batch is written as pending before the service
// is called and updated with the call's outcome afterwards, so a call whose
// answer never came stays "未知" instead of passing for sent or failed.
// Plain code without windows; every SQL value is bound.
#include "service/web_service_client.h"
#include "sms/sms_text.h"

#include <QDateTime>
#include <QString>
#include <QtGlobal>
#include <sqlite3.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class VIRTUAL_LIST;

// sendInfo.sendType values written here.
inline constexpr int kSendTypeSms = 1;
inline constexpr int kSendTypeVoice = 5;
inline constexpr int kSendTypeSurvey = 6;

// The batch size when the setting gives none (or nonsense).
inline constexpr int kDefaultSmsBatchSize = 5000;
// The status of a number whose call has no known outcome yet.
inline constexpr char kStatusUnknown[] = "未知";

// One recipient as it is sent and recorded: its list key, the decoded number
// (the key without the "2" marker of a number that began with "0") and the
// name the list holds for it.
struct SmsRecipient {
    qint64 key = 0;
    std::string number;
    QString name;
};

// The numbers of `count` recipients joined by "," as one call sends them.
std::string JoinRecipientNumbers(const SmsRecipient* numbers, int count);

// The composer's numbers, split by the number module's international test.
struct SmsNumberLists {
    std::vector<SmsRecipient> domestic;
    std::vector<SmsRecipient> international;
    int total() const { return static_cast<int>(domestic.size() + international.size()); }
};

// Every row of `source` (keys in row order), names looked up by key. Names
// are copied so the composer may empty its list while the submission runs.
SmsNumberLists BuildNumberLists(const VIRTUAL_LIST& source);

// All numbers of a draft as one list (domestic first, then international, as
// the rows come); keys of kDraftKeyLimit and above are left out, each logged
// "检查到过长号码过滤掉". `international` receives the count of the
// international ones among those kept (the draft's charge needs it).
inline constexpr qint64 kDraftKeyLimit = 2100000000000000LL;
std::vector<SmsRecipient> BuildDraftNumberList(const VIRTUAL_LIST& source, int* international = nullptr);

// The numbers per service call: 1 when `single`; else the text of
// g_sysSettings entry 8 when its flag is on and the text reads as a number
// of 1 or more; else kDefaultSmsBatchSize.
int SmsBatchSize(bool single = false);

// Cuts the next batch (SmsBatchSize(single) numbers) off the front of a
// comma-separated list. Returns the batch without a trailing comma; `count`
// gets its numbers and `rest` what is left (empty when the list is used up).
std::string CutNumberBatch(std::string_view list, bool single, int* count, std::string_view* rest);

// The charged parts of one recorded text: RecordPartCount of sms/sms_text.

// What became of one service call.
enum class SmsSendOutcome { Sent, Failed, Unknown };

// The one rule for every sender: sent when the wrapper reported success (0;
// for the voice call a result above 10000); unknown when the request went
// out whole and no answer was read; failed otherwise, whatever the time the
// call took. A refusal from the service is always a failure.
SmsSendOutcome OutcomeOfCall(int wrapperResult, CallOutcome transport, bool voiceCall = false);

// The bookkeeping of one content part of one number list of a submission.
struct SEND_INFO_WRITEDB {
    qint64 successId = 0;  // sendID of the numbers whose batch was sent (or is pending)
    qint64 failId = 0;     // sendID of the numbers whose batch failed
    int successWrites = 0; // 0 until the success row exists
    int failWrites = 0;    // 0 until the failure row exists
    bool success = false;  // the current batch's outcome was "sent"
    qint64 replaceId = 0;  // record this job replaces (deleted by the last outcome write); 0 none
    int draft = 0;
    const SmsRecipient* numbers = nullptr; // the current batch, owned by the caller
    int numCount = 0;
    int sendReceiveNum = 0;
    QString content;    // the part text as submitted
    QString timingTime; // what the service gets: "" = now, else "%Y-%m-%d %H:%M:00"
    // The rowid range of the current batch's pending sendNums rows.
    qint64 firstRowid = 0;
    qint64 lastRowid = 0;
};

// Values of a whole submission that every write of it shares.
struct SmsJobInfo {
    int sendType = kSendTypeSms;
    QString submitTime;   // "%Y-%m-%d %H:%M:%S"
    QString recordTiming; // sendInfo.timingTime (for a survey: the end of its window)
    QString fileTiming;   // the send-record line's timing field; its date names the file
    QString mark;         // CountmsgRecord.mark
};

// The job values of a submission made at `submitTime`: a survey's record
// timing is the submit time plus `surveyMinutes`, and its file line uses the
// submit time; any other send files by the timing time when there is one.
SmsJobInfo MakeSmsJobInfo(const QDateTime& submitTime, const QString& timingTime, bool survey,
                          int surveyMinutes, const QString& mark);

// The send-record line of one number (without its CR LF): content (CR LF as
// one blank), number, name, submit time and timing time, separated by 0x01.
std::string SendRecordLine(const QString& content, const SmsRecipient& recipient, const QString& submitTime,
                           const QString& timingTime);

// A failure id and a success id for each of `parts` content parts: two new
// ids per part, failure first, from the process-wide allocator, above every
// sendID of sendInfo and of sendNums. False on a database failure.
bool AllocateSubmissionIds(sqlite3* db, std::vector<SEND_INFO_WRITEDB>& records);
// One new sendID, as above (drafts, voice records). 0 on failure.
qint64 AllocateSendId(sqlite3* db);

// Writes the records of SMS jobs. `customerDb` is the statistics database,
// null when statistics are not kept.
class SmsOutbox {
public:
    SmsOutbox(sqlite3* db, sqlite3* customerDb);

    // One committed transaction: the success row of `rec` when missing
    // (count 0, isFail 0) and a sendNums row per number of the batch under
    // it, rrid '' and status "未知"; their rowids are kept in `rec`. False
    // (rolled back, logged) on any failure: nothing of the batch is written
    // and the caller must not call the service.
    bool WritePending(SEND_INFO_WRITEDB& rec, const SmsJobInfo& job);

    // The outcome of the batch in `rec`, in one transaction: sent -> rrid
    // stored, status cleared, count raised; failed -> the rows move to the
    // failure id (row created or count raised), an emptied success row is
    // removed; unknown -> nothing changes. `deleteId` (not 0) is the record
    // the job replaces, deleted in this same transaction. After the commit:
    // the statistics row (isFail 0 only when sent) and, for a sent batch,
    // the send-record lines. False when the transaction did not commit (it
    // was rolled back; the numbers stay "未知").
    bool WriteOutcome(SEND_INFO_WRITEDB& rec, const SmsJobInfo& job, SmsSendOutcome outcome,
                      const std::string& rrid, bool international, qint64 deleteId = 0);

    // Numbers that were never submitted (the submission was stopped): written
    // straight under the failure id, with the statistics row, in one
    // transaction that also deletes `deleteId` when not 0.
    bool WriteUnsubmitted(SEND_INFO_WRITEDB& rec, const SmsJobInfo& job, bool international,
                          qint64 deleteId = 0);

    // A draft in one transaction under rec.successId: isDraft 1, isFail 0,
    // count = parts x (domestic + 12 x international), a sendNums row per
    // number with rrid ''. Never deletes the record it was loaded from.
    bool WriteDraft(const SEND_INFO_WRITEDB& rec, const SmsJobInfo& job, int internationalCount);

    sqlite3* db() const { return m_db; }
    sqlite3* customerDb() const { return m_customerDb; }

private:
    sqlite3* m_db;
    sqlite3* m_customerDb;
};

// A draft of the composer: one new id, the numbers of BuildDraftNumberList
// and the content without signature. The new sendID, or 0 when nothing was
// saved (logged).
qint64 SaveSmsDraft(sqlite3* db, const QString& content, const std::vector<SmsRecipient>& numbers,
                    int internationalCount, int sendReceiveNum, bool survey, int surveyMinutes,
                    const QDateTime& now);
