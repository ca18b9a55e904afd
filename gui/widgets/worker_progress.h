#pragma once
// Progress of a worker thread, shown by a window: the worker's callback
// turns (done, total) into per mille and hands each new figure to the
// window's thread, so a million rows do not flood its event queue.
#include <QObject>
#include <QtGlobal>

#include <atomic>
#include <functional>
#include <thread>

// A callback for the worker: `show(permille)` runs queued on `receiver`'s
// thread (and not at all once `receiver` is gone); the callback returns
// false, asking the worker to stop, once `stop` is set.
std::function<bool(qint64 done, qint64 total)> QueuedPermilleProgress(QObject* receiver,
                                                                      std::function<void(int permille)> show,
                                                                      const std::atomic<bool>& stop);

// One job at a time on a thread that a window owns. `work` runs on the
// thread; once it returns, the thread is joined on the window's thread and
// `then(ok)` runs there, unless Stop() came first. Stop() (also the
// destructor) raises StopFlag() for the job and waits for it.
class WindowJob {
public:
    explicit WindowJob(QObject* window) : m_window(window) {}
    ~WindowJob() { Stop(); }
    WindowJob(const WindowJob&) = delete;
    WindowJob& operator=(const WindowJob&) = delete;

    // Stops a job still running first.
    void Run(std::function<bool()> work, std::function<void(bool ok)> then);
    void Stop();
    bool Running() const { return m_running; }
    const std::atomic<bool>& StopFlag() const { return m_stop; }

private:
    QObject* m_window;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    bool m_running = false;
};
