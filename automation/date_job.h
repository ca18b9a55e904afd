#pragma once
// The date job: the due recipients of handled minutes, sent on a worker with
// its own database connection and service client, each send recorded as
// pending before its call and updated with its outcome. Jobs run in minute
// order; a later one queues behind the running one, none is dropped or run
// twice. At close the sends not yet called are recorded as failed.
#include "automation/date_messages.h"
#include "platform/worker_thread.h"
#include "sms/num_content.h"

#include <QString>
#include <sqlite3.h>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <vector>

class CWebServiceClient;

// The recipients of `send` with their texts: the content, its field markers
// filled per recipient from `db` when it has any (`personalised` true).
std::vector<NUM_CONTENT> PrepareDateSendItems(sqlite3* db, const DateSend& send, bool& personalised);

// One send: the pending record, the call (gxmt with field markers, else
// qxSmsSend), the outcome. The wrapper's result; -1 when nothing was called.
int SendDateMessage(sqlite3* db, CWebServiceClient& client, const DateSend& send);

// Records sends that were never called as failed, so they can be sent again,
// and logs each.
void RecordDateSendsFailed(sqlite3* db, const std::vector<DateSend>& sends);

// How long a close waits for the call in flight.
inline constexpr int kDateJobJoinBoundMs = 60000;

struct DateJobSetup {
    QString databasePath;
    QString serial;
    QString password;
};

class DateJobQueue {
public:
    DateJobQueue() = default;
    ~DateJobQueue();
    DateJobQueue(const DateJobQueue&) = delete;
    DateJobQueue& operator=(const DateJobQueue&) = delete;

    // The account and database the next started worker uses.
    void setSetup(DateJobSetup setup);
    // Queues one minute's sends behind the others and starts the worker when
    // none runs. Nothing after Close.
    void Enqueue(std::vector<DateSend> sends);
    // True while sends wait or one is being sent.
    bool busy() const;
    // Waits at most `timeoutMs` until nothing is left; true when idle.
    bool WaitIdle(int timeoutMs) const;
    // Ends the queue: the sends not yet called are taken from it, recorded as
    // failed on `db` and logged; then the worker (at most the call in
    // flight) is joined within `joinBoundMs`. True when the worker ended.
    bool Close(sqlite3* db, int joinBoundMs);

private:
    void Run(DateJobSetup setup);

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_idle;
    std::deque<DateSend> m_queue;
    DateJobSetup m_setup;
    bool m_active = false; // a worker owns the queue
    bool m_closed = false;
    WorkerThread m_worker;
};
