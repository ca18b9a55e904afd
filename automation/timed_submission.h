#pragma once
// Timed submissions: one gxmt call hands the service a whole schedule
// (numbers, texts and send times, item by item) and the service sends each
// item at its time. Every send time becomes one send job in the records.
//
// The jobs are written as pending before the call (committed, count 0,
// numbers "未知"), so a call whose answer never comes leaves rows that say
// so; after the call the SMS composer's outcome rule decides what they say.
// Values are bound, ids come from the process-wide allocator.
#include "automation/interactive_records.h"
#include "sms/gxmt_list.h"
#include "sms/send_records.h"

#include <QString>
#include <QtGlobal>
#include <sqlite3.h>

#include <vector>

class CWebServiceClient;

struct TimedSubmission {
    // One per number and send time ("%Y-%m-%d %H:%M:00"). Items that share
    // their time and text form one job, in the order they first appear.
    std::vector<GxmtItem> items;
    QString submitTime;     // "%Y-%m-%d %H:%M:%S"
    qint64 taskId = 0;      // the task whose numbers these are; 0: none
    int partsPerNumber = 1; // a job's count once it went out: this x its numbers
};

// The pending jobs, in one committed transaction: per job one sendInfo row
// (content, submitTime, timingTime, count 0, isDraft 0, isFail 0, sendID,
// sendType 1, send_receive_Num 0) under consecutive new ids, and one sendNums
// row per number (rrid '', status "未知", taskID when given). `record`
// receives the ids and the counts the outcome writes. False (rolled back,
// logged) on any failure or without items: then nothing may be called.
bool WriteTimedPending(sqlite3* db, const TimedSubmission& submission, AutoSendRecord& record);

// What the one call gave back.
struct TimedCallAnswer {
    int result = -1;
    CallOutcome transport = CallOutcome::NotSent;
};

// The one gxmt call of the whole schedule (JoinGxmtItems' lists, no rrid).
// Blocks up to the operation's time-out: never on the GUI thread.
TimedCallAnswer CallTimedSubmission(CWebServiceClient& client, const std::vector<GxmtItem>& items);

// The outcome of the call, judged by OutcomeOfCall, in one transaction:
// accepted -> numbers' status NULL and the jobs' counts; refused -> also
// isFail 1; unknown -> the rows stay "未知" with count 0. `written` (when
// given) is false when that transaction did not commit (the rows then stay
// pending).
SmsSendOutcome WriteTimedOutcome(sqlite3* db, const AutoSendRecord& record, const TimedCallAnswer& answer,
                                 bool* written = nullptr);

struct TimedSubmissionResult {
    bool pendingWritten = false; // false: nothing was called
    SmsSendOutcome outcome = SmsSendOutcome::Failed;
    AutoSendRecord record;
};

// The whole round on the calling thread (a worker with its own connection):
// the pending write, the call only when it committed, then the outcome.
TimedSubmissionResult SubmitTimed(sqlite3* db, CWebServiceClient& client, const TimedSubmission& submission);
