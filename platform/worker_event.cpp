#include "platform/worker_event.h"

#include <algorithm>
#include <chrono>
#include <thread>

void Event::set() {
    {
        std::lock_guard lock(m_mutex);
        m_set = true;
    }
    m_changed.notify_all();
}

void Event::reset() {
    std::lock_guard lock(m_mutex);
    m_set = false;
}

bool Event::isSet() const {
    std::lock_guard lock(m_mutex);
    return m_set;
}

bool Event::wait(int timeoutMs) {
    std::unique_lock lock(m_mutex);
    if (timeoutMs < 0) {
        m_changed.wait(lock, [this] { return m_set; });
        return true;
    }
    return m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return m_set; });
}

void WaitForStopRequest(WorkerControl& control) {
    while (control.running.load() || !control.stop.isSet()) {
        // A stop event set while the flag is still on would end every wait at
        // once: look at the flag again a little later instead of spinning.
        if (control.stop.isSet())
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        else
            control.stop.wait(1000);
    }
}

bool StopRequested(const WorkerControl& control) {
    return !control.running.load() && control.stop.isSet();
}

bool WaitUnlessStopped(WorkerControl& control, int timeoutMs) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
    for (;;) {
        if (StopRequested(control))
            return true;
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            return false;
        // As in WaitForStopRequest: an event set while the flag is still on
        // would end every wait at once.
        if (control.stop.isSet())
            std::this_thread::sleep_for(std::chrono::milliseconds(std::min<long long>(left, 20)));
        else
            control.stop.wait(static_cast<int>(std::min<long long>(left, 1000)));
    }
}

void RunWorkerFrame(WorkerControl& control, int startDelayMs, const std::function<void()>& body) {
    if (!WaitUnlessStopped(control, startDelayMs))
        body();
    WaitForStopRequest(control);
    control.stop.reset();
}
