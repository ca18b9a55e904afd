#include "gui/widgets/worker_progress.h"

#include <QMetaObject>

#include <algorithm>
#include <memory>

std::function<bool(qint64, qint64)> QueuedPermilleProgress(QObject* receiver, std::function<void(int)> show,
                                                           const std::atomic<bool>& stop) {
    auto last = std::make_shared<int>(-1);
    return [receiver, show = std::move(show), &stop, last](qint64 done, qint64 total) {
        const int permille =
            total > 0 ? static_cast<int>(std::clamp<qint64>(done * 1000 / total, 0, 1000)) : 0;
        if (permille != *last) {
            *last = permille;
            QMetaObject::invokeMethod(
                receiver, [show, permille] { show(permille); }, Qt::QueuedConnection);
        }
        return !stop.load();
    };
}

void WindowJob::Run(std::function<bool()> work, std::function<void(bool)> then) {
    Stop(); // joins one that has finished
    m_stop = false;
    m_running = true;
    m_thread = std::thread([this, work = std::move(work), then = std::move(then)] {
        const bool ok = work();
        QMetaObject::invokeMethod(
            m_window,
            [this, ok, then] {
                if (!m_running)
                    return; // stopped meanwhile; the thread has been joined
                const bool stopped = m_stop.load();
                Stop();
                if (!stopped)
                    then(ok);
            },
            Qt::QueuedConnection);
    });
}

void WindowJob::Stop() {
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
    m_running = false;
}
