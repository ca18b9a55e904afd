// The workers' event: stays set until reset, timed waits, and a waiter woken
// from another thread.
#include "platform/worker_event.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

long long MsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

TEST(Workers, EventSetResetAndTimedWait) {
    Event event;
    EXPECT_FALSE(event.isSet());
    auto start = Clock::now();
    EXPECT_FALSE(event.wait(60));
    EXPECT_GE(MsSince(start), 55);

    event.set();
    // Set stays set: every wait ends at once, however long it would wait.
    start = Clock::now();
    EXPECT_TRUE(event.wait(10000));
    EXPECT_TRUE(event.wait(0));
    EXPECT_TRUE(event.wait(-1));
    EXPECT_LT(MsSince(start), 1000);

    event.reset();
    EXPECT_FALSE(event.isSet());
    EXPECT_FALSE(event.wait(0));
    EXPECT_FALSE(event.wait(20));
}

TEST(Workers, EventWakesWaitersOnOtherThreads) {
    for (const int timeoutMs : {10000, -1}) {
        SCOPED_TRACE(timeoutMs);
        Event event;
        const auto start = Clock::now();
        auto first = std::async(std::launch::async, [&] { return event.wait(timeoutMs); });
        auto second = std::async(std::launch::async, [&] { return event.wait(timeoutMs); });
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        event.set();
        EXPECT_TRUE(first.get());
        EXPECT_TRUE(second.get());
        EXPECT_LT(MsSince(start), 5000);
    }
}

} // namespace
