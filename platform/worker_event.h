#pragma once
// A manual-reset event for worker threads, and the control that the main
// window shares with each of its long-running workers (report, mail).
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>

// Stays set until reset; any number of threads may wait on it.
class Event {
public:
    void set();
    void reset();
    bool isSet() const;
    // True when the event is set, at once or within `timeoutMs`; false when
    // the time ran out. A negative time-out waits for ever.
    bool wait(int timeoutMs);

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_set = false;
};

// A worker runs until its owner has cleared `running` and set `stop`.
struct WorkerControl {
    std::atomic<bool> running{false};
    Event stop;
};

// How long a worker waits after its start before it begins work.
inline constexpr int kWorkerStartDelayMs = 5000;

// Returns once `running` is false and `stop` is set.
void WaitForStopRequest(WorkerControl& control);

// True once the owner asked the worker to stop: `running` cleared and
// `stop` set.
bool StopRequested(const WorkerControl& control);
// Waits `timeoutMs`, or less when a stop request comes: true when it came
// (at once when it came before), false when the time ran out.
bool WaitUnlessStopped(WorkerControl& control, int timeoutMs);

// The life of a worker thread: waits out its start delay (cut short by a
// stop), runs `body` unless stopped meanwhile, then waits for its stop
// request even when the body ended on its own, and clears the event so the
// owner can start the worker again.
void RunWorkerFrame(WorkerControl& control, int startDelayMs, const std::function<void()>& body);
