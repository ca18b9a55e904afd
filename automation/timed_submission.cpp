#include "automation/timed_submission.h"

#include "core/log.h"
#include "core/sql.h"
#include "service/web_service_client.h"

#include <QHash>
#include <QPair>

namespace {

struct TimedJob {
    QString time;
    QString content;
    std::vector<QString> numbers;
};

std::vector<TimedJob> GroupJobs(const std::vector<GxmtItem>& items) {
    std::vector<TimedJob> jobs;
    QHash<QPair<QString, QString>, size_t> index;
    for (const GxmtItem& item : items) {
        const QPair<QString, QString> key(item.time, item.content);
        auto it = index.constFind(key);
        if (it == index.constEnd()) {
            it = index.insert(key, jobs.size());
            jobs.push_back({item.time, item.content, {}});
        }
        jobs[*it].numbers.push_back(item.number);
    }
    return jobs;
}

void LogFailure(sqlite3* db, const char* what) {
    LogWrite(g_logRun, std::string("ERROR,") + what + "," + SqlErrorText(db));
}

} // namespace

bool WriteTimedPending(sqlite3* db, const TimedSubmission& submission, AutoSendRecord& record) {
    record = AutoSendRecord();
    if (!db || submission.items.empty())
        return false;
    const std::vector<TimedJob> jobs = GroupJobs(submission.items);
    const qint64 firstId = AllocateId(db, "sendInfo", "sendID", static_cast<int64_t>(jobs.size()));
    if (firstId <= 0) {
        LogFailure(db, "定时短信取发送编号出错了");
        return false;
    }
    SqlTransaction tx(db);
    if (!tx.active()) {
        LogFailure(db, "定时短信写发送记录出错了,begin transaction");
        return false;
    }
    SqlStatement info(db, "INSERT INTO sendInfo (content,submitTime,timingTime,count,isDraft,isFail,sendID,"
                          "sendType,send_receive_Num) VALUES(?1,?2,?3,0,0,0,?4,?5,0)");
    SqlStatement nums(db, "INSERT INTO sendNums (sendID,numOrMailAddr,taskID,rrid,status) "
                          "VALUES(?1,?2,?3,'',?4)");
    AutoSendRecord pending;
    for (size_t i = 0; i < jobs.size(); ++i) {
        const TimedJob& job = jobs[i];
        const qint64 sendId = firstId + static_cast<qint64>(i);
        info.bind(1, job.content)
            .bind(2, submission.submitTime)
            .bind(3, job.time)
            .bind(4, static_cast<int64_t>(sendId))
            .bind(5, kSendTypeSms);
        if (info.exec() != SQLITE_OK) {
            LogFailure(db, "插入定时短信记录出错了");
            return false;
        }
        info.reset();
        for (const QString& number : job.numbers) {
            nums.bind(1, static_cast<int64_t>(sendId))
                .bind(2, number)
                .bind(3, static_cast<int64_t>(submission.taskId))
                .bind(4, kStatusUnknown);
            if (nums.exec() != SQLITE_OK) {
                LogFailure(db, "存入号码列表出错了");
                return false;
            }
            nums.reset();
        }
        pending.sendIds.push_back(sendId);
        pending.counts.push_back(submission.partsPerNumber * static_cast<int>(job.numbers.size()));
    }
    if (tx.commit() != SQLITE_OK) {
        LogFailure(db, "定时短信写发送记录出错了,commit transaction");
        tx.rollback();
        return false;
    }
    record = std::move(pending);
    return true;
}

TimedCallAnswer CallTimedSubmission(CWebServiceClient& client, const std::vector<GxmtItem>& items) {
    const GxmtLists lists = JoinGxmtItems(items);
    TimedCallAnswer answer;
    answer.result = client.CallGxmt(lists.numbers, lists.contents, lists.times, QString());
    answer.transport = client.LastCallOutcome();
    return answer;
}

SmsSendOutcome WriteTimedOutcome(sqlite3* db, const AutoSendRecord& record, const TimedCallAnswer& answer,
                                 bool* written) {
    // gxmt hands back no reference: the numbers keep rrid ''.
    const bool ok = WriteAutoSendOutcome(db, record, answer.result, answer.transport, std::string());
    if (written)
        *written = ok;
    return OutcomeOfCall(answer.result, answer.transport);
}

TimedSubmissionResult SubmitTimed(sqlite3* db, CWebServiceClient& client, const TimedSubmission& submission) {
    TimedSubmissionResult result;
    result.pendingWritten = WriteTimedPending(db, submission, result.record);
    if (!result.pendingWritten)
        return result;
    result.outcome = WriteTimedOutcome(db, result.record, CallTimedSubmission(client, submission.items));
    return result;
}
