#include "common/fair_mutex.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

namespace glimra {
namespace {

// A worker that unlocks and locks again at once, as the store's worker does between its
// steps, must let a thread that was already waiting in first.
TEST(FairMutex, AThreadThatLocksAgainAtOnceLetsTheWaitingOneInFirst) {
    for (int round = 0; round < 20; ++round) {
        TFairMutex mutex;
        std::vector<char> order;
        std::atomic<bool> waiting{false};
        mutex.lock();
        std::thread window([&] {
            waiting = true;
            std::lock_guard lock(mutex);
            order.push_back('w');
        });
        while (!waiting)
            std::this_thread::yield();
        // Time to reach the wait; the order must hold however the threads are scheduled.
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        for (int step = 0; step < 3; ++step) {
            order.push_back('s');
            mutex.unlock();
            mutex.lock();
        }
        mutex.unlock();
        window.join();
        EXPECT_EQ(std::string(order.begin(), order.end()), "swss") << round;
    }
}

TEST(FairMutex, TryLockTakesOnlyAFreeLockAndKeepsOthersOut) {
    TFairMutex mutex;
    ASSERT_TRUE(mutex.try_lock());
    std::atomic<bool> got{false};
    std::thread other([&] { got = mutex.try_lock(); });
    other.join();
    EXPECT_FALSE(got);
    mutex.unlock();
    // Both locks at once, as the store takes them, from two threads in turn.
    TFairMutex second;
    int count = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 2000; ++i) {
                std::scoped_lock both(mutex, second);
                ++count;
            }
        });
    for (std::thread& t : threads)
        t.join();
    EXPECT_EQ(count, 8000);
}

} // namespace
} // namespace glimra
