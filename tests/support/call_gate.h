#pragma once
// A gate that a sender in a test waits at (on the submission's worker) until
// the test opens it, so a call can be held in flight.
#include <condition_variable>
#include <mutex>

struct Gate {
    std::mutex mutex;
    std::condition_variable cv;
    bool open = false;
    int waiting = 0;
    void pass() {
        std::unique_lock lock(mutex);
        ++waiting;
        cv.wait(lock, [this] { return open; });
    }
    void release() {
        std::lock_guard lock(mutex);
        open = true;
        cv.notify_all();
    }
    int waiters() {
        std::lock_guard lock(mutex);
        return waiting;
    }
};
