#include "platform/worker_thread.h"

#include <atomic>
#include <chrono>

namespace {
std::atomic<int> g_leftRunning{0};
}

WorkerThread::~WorkerThread() { join(0); }

bool WorkerThread::start(std::function<void()> body) {
    if (running())
        return false;
    if (m_thread.joinable())
        m_thread.join();
    auto state = std::make_shared<State>();
    state->done = false;
    m_state = state;
    m_thread = std::thread([state, body = std::move(body)] {
        body();
        std::lock_guard<std::mutex> lock(state->mutex);
        state->done = true;
        state->cv.notify_all();
    });
    return true;
}

bool WorkerThread::running() const {
    std::lock_guard<std::mutex> lock(m_state->mutex);
    return !m_state->done;
}

bool WorkerThread::join(int timeoutMs) {
    if (!m_thread.joinable())
        return true;
    bool done;
    {
        std::unique_lock<std::mutex> lock(m_state->mutex);
        done = m_state->cv.wait_for(lock, std::chrono::milliseconds(timeoutMs > 0 ? timeoutMs : 0),
                                    [&] { return m_state->done; });
    }
    if (done) {
        m_thread.join();
        return true;
    }
    m_thread.detach();
    ++g_leftRunning;
    return false;
}

bool AnyWorkerLeftRunning() { return g_leftRunning > 0; }
