#include "automation/date_job.h"

#include "automation/interactive_records.h"
#include "core/database.h"
#include "core/log.h"
#include "service/web_service_client.h"
#include "sms/gxmt_list.h"

#include <QStringList>

#include <chrono>

std::vector<NUM_CONTENT> PrepareDateSendItems(sqlite3* db, const DateSend& send, bool& personalised) {
    std::vector<NUM_CONTENT> items;
    items.reserve(send.numbers.size());
    for (const QString& number : send.numbers)
        items.push_back({number, QString()});
    personalised = FillAutoSendTexts(db, send.content, items);
    return items;
}

int SendDateMessage(sqlite3* db, CWebServiceClient& client, const DateSend& send) {
    bool personalised = false;
    const std::vector<NUM_CONTENT> items = PrepareDateSendItems(db, send, personalised);
    if (items.empty())
        return -1;
    if (personalised) {
        std::vector<GxmtItem> gxmt;
        gxmt.reserve(items.size());
        for (const NUM_CONTENT& item : items)
            gxmt.push_back({item.number, item.text, QString()});
        const GxmtLists lists = JoinGxmtItems(gxmt);
        return SendAndRecordInteractive(db, client, true, items, [&](std::string&) {
            return client.CallGxmt(lists.numbers, lists.contents, QString(), QString());
        });
    }
    QStringList numbers;
    for (const NUM_CONTENT& item : items)
        numbers << item.number;
    const QString numberList = numbers.join(QLatin1Char(','));
    return SendAndRecordInteractive(db, client, false, items, [&](std::string& rrid) {
        return client.CallSmsSendAuto(numberList, send.content, QString(), rrid);
    });
}

void RecordDateSendsFailed(sqlite3* db, const std::vector<DateSend>& sends) {
    for (const DateSend& send : sends) {
        bool personalised = false;
        const std::vector<NUM_CONTENT> items = PrepareDateSendItems(db, send, personalised);
        AutoSendRecord record;
        if (!items.empty() && WriteInteractiveRecord(db, personalised, items, record))
            WriteAutoSendOutcome(db, record, -1, CallOutcome::NotSent, std::string());
        LogWriteString(g_logRun,
                       QStringLiteral("ERROR,date message %1 of %2 to %3 numbers was not sent before the "
                                      "program closed; recorded as failed")
                           .arg(send.message + 1)
                           .arg(send.minute)
                           .arg(send.numbers.size()));
    }
}

DateJobQueue::~DateJobQueue() {
    {
        std::lock_guard lock(m_mutex);
        m_closed = true;
        m_queue.clear();
    }
    // Close has normally run; a worker still sending must not outlive us.
    m_worker.join(kDateJobJoinBoundMs);
}

void DateJobQueue::setSetup(DateJobSetup setup) {
    std::lock_guard lock(m_mutex);
    m_setup = std::move(setup);
}

void DateJobQueue::Enqueue(std::vector<DateSend> sends) {
    if (sends.empty())
        return;
    std::unique_lock lock(m_mutex);
    if (m_closed)
        return;
    for (DateSend& s : sends)
        m_queue.push_back(std::move(s));
    if (m_active)
        return;
    m_active = true;
    const DateJobSetup setup = m_setup;
    lock.unlock();
    // A worker that has just given the queue up may still be returning.
    m_worker.join(kDateJobJoinBoundMs);
    m_worker.start([this, setup] { Run(setup); });
}

bool DateJobQueue::busy() const {
    std::lock_guard lock(m_mutex);
    return m_active;
}

bool DateJobQueue::WaitIdle(int timeoutMs) const {
    std::unique_lock lock(m_mutex);
    return m_idle.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return !m_active; });
}

bool DateJobQueue::Close(sqlite3* db, int joinBoundMs) {
    std::vector<DateSend> left;
    {
        std::lock_guard lock(m_mutex);
        m_closed = true;
        left.assign(std::make_move_iterator(m_queue.begin()), std::make_move_iterator(m_queue.end()));
        m_queue.clear();
    }
    RecordDateSendsFailed(db, left);
    return m_worker.join(joinBoundMs);
}

void DateJobQueue::Run(DateJobSetup setup) {
    sqlite3* db = OpenConnection(setup.databasePath);
    CWebServiceClient client(setup.serial, setup.password);
    for (;;) {
        DateSend send;
        {
            std::lock_guard lock(m_mutex);
            if (m_queue.empty() || !db) {
                if (!db && !m_queue.empty()) {
                    LogWrite(g_logRun, "ERROR,the date job could not open its database connection");
                    // Left for the close to record, as the sends never went out.
                }
                m_active = false;
                m_idle.notify_all();
                break;
            }
            send = std::move(m_queue.front());
            m_queue.pop_front();
        }
        SendDateMessage(db, client, send);
    }
    if (db)
        CloseConnection(db);
}
