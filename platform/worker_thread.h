#pragma once
// A worker thread owned by a window: started only when none runs, and
// joined with a bound before anything it uses is released. A worker that
// outlives its bound is left to the program's end, which then ends the
// process at once (AnyWorkerLeftRunning) instead of running destructors
// under it.
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

class WorkerThread {
public:
    WorkerThread() = default;
    // Joins without a bound when the worker ended; a worker still running
    // is detached and counted as left running.
    ~WorkerThread();
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    // Starts `body` on a new thread. False (and nothing started) while the
    // previous body still runs.
    bool start(std::function<void()> body);
    // True from start until the body returned.
    bool running() const;
    // Waits at most `timeoutMs` for the body to return, then joins. True
    // when nothing runs any more; false when the body still runs (it is then
    // left running and counted by AnyWorkerLeftRunning).
    bool join(int timeoutMs);

private:
    struct State {
        std::mutex mutex;
        std::condition_variable cv;
        bool done = true;
    };
    std::shared_ptr<State> m_state = std::make_shared<State>();
    std::thread m_thread;
};

// True when some worker outlived its bounded join.
bool AnyWorkerLeftRunning();
