#pragma once
// Runs one blocking service call at a time on a worker thread and hands its
// answer back to the thread of a context object as a queued call. Once the
// runner is destroyed no answer is delivered any more, so a call that
// outlives its owner cannot touch it.
#include <QObject>

#include <functional>
#include <memory>
#include <mutex>

#include "platform/worker_thread.h"

class CallRunner {
public:
    CallRunner() = default;
    // Stops delivery and waits, bounded, for a call in flight.
    ~CallRunner();
    CallRunner(const CallRunner&) = delete;
    CallRunner& operator=(const CallRunner&) = delete;

    // Starts `call` on the worker; `done` later runs on `context`'s thread
    // with what `call` returned. False when the previous call still runs.
    template <typename Answer>
    bool Run(QObject* context, std::function<Answer()> call, std::function<void(Answer)> done) {
        if (!m_worker.join(kJoinMs))
            return false;
        auto mailbox = m_mailbox;
        return m_worker.start([mailbox, context, call = std::move(call), done = std::move(done)] {
            Answer answer = call();
            std::lock_guard lock(mailbox->mutex);
            if (mailbox->open)
                QMetaObject::invokeMethod(
                    context, [done, answer]() mutable { done(std::move(answer)); }, Qt::QueuedConnection);
        });
    }

    // A call is bounded by the client's own time-outs (150 s); beyond that
    // the worker is left to the program's end.
    static constexpr int kJoinMs = 160000;

private:
    struct Mailbox {
        std::mutex mutex;
        bool open = true;
    };
    std::shared_ptr<Mailbox> m_mailbox = std::make_shared<Mailbox>();
    WorkerThread m_worker;
};

inline CallRunner::~CallRunner() {
    {
        std::lock_guard lock(m_mailbox->mutex);
        m_mailbox->open = false;
    }
    m_worker.join(kJoinMs);
}
