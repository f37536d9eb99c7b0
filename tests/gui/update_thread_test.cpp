#include "app/update_thread.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace glimra {
namespace {

class TFakeHost : public TUpdateHost {
public:
    std::vector<bool> Wants;
    std::vector<int> Steps;
    mutable int Looks = 0;
    std::function<void(int)> OnStep;

    int WindowCount() const override { return static_cast<int>(Wants.size()); }
    bool WantsStep(int index) const override {
        ++Looks;
        return Wants.at(index);
    }
    void StepWindow(int index) override {
        ++Steps.at(index);
        if (OnStep)
            OnStep(index);
    }
    void SetWindows(std::vector<bool> wants) {
        Wants = std::move(wants);
        Steps.assign(Wants.size(), 0);
    }
};

// Serves the main thread's queue until done() holds or the time is up.
bool ServeUntil(const std::function<bool()>& done, int ms = 2000) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

void Serve(int ms) {
    ServeUntil([] { return false; }, ms);
}

// Turns a hang into a failure: ends the test program unless disarmed in time.
class TWatchdog {
public:
    explicit TWatchdog(const char* what, std::chrono::seconds limit = std::chrono::seconds(30))
        : thread_([this, what, limit] {
              std::unique_lock lock(mutex_);
              if (!disarmed_.wait_for(lock, limit, [this] { return done_; })) {
                  std::fprintf(stderr, "hung: %s\n", what);
                  std::abort();
              }
          }) {}
    ~TWatchdog() {
        {
            std::lock_guard lock(mutex_);
            done_ = true;
        }
        disarmed_.notify_all();
        thread_.join();
    }

private:
    std::mutex mutex_;
    std::condition_variable disarmed_;
    bool done_ = false;
    std::thread thread_;
};

TEST(UpdateThread, StartsAsleepAndGoesIdleAfterOneEmptySweep) {
    TFakeHost host;
    host.SetWindows({false, false, false});
    TUpdateThread thread(host);
    Serve(30);
    EXPECT_TRUE(thread.IsIdle());
    EXPECT_EQ(host.Looks, 0); // nothing resumes it before a window asks

    thread.Wake();
    ASSERT_TRUE(ServeUntil([&] { return host.Looks >= 3 && thread.IsIdle(); }));
    const int looks = host.Looks;
    Serve(100);
    EXPECT_EQ(host.Looks, looks); // asleep: it does not look at the windows again
    EXPECT_EQ(host.Steps, (std::vector<int>{0, 0, 0}));
}

TEST(UpdateThread, StepsOnlyTheWantingWindowAtTheFramePace) {
    using Clock = std::chrono::steady_clock;
    constexpr double kFramesPerSecond = 20;
    const auto period = std::chrono::duration<double>(1 / kFramesPerSecond);
    TFakeHost host;
    host.SetWindows({false, true, false});
    std::vector<Clock::time_point> stepped;
    host.OnStep = [&](int) { stepped.push_back(Clock::now()); };
    TUpdateThread thread(host, kFramesPerSecond);
    const Clock::time_point woken = Clock::now();
    thread.Wake();
    ASSERT_TRUE(ServeUntil([&] { return host.Steps[1] >= 6; }, 5000));
    EXPECT_EQ(host.Steps[0], 0);
    EXPECT_EQ(host.Steps[2], 0);
    EXPECT_FALSE(thread.IsIdle());
    // One sweep per frame of the pacer, however fast the main thread answers:
    // step n never comes before n frames have passed since the wake.
    for (std::size_t n = 0; n < stepped.size(); ++n)
        EXPECT_GE(stepped[n] - woken, n * period) << n;
    host.OnStep = nullptr;

    // The window stops wanting steps: the thread falls asleep.
    host.Wants[1] = false;
    ASSERT_TRUE(ServeUntil([&] { return thread.IsIdle(); }));
    const int steps = host.Steps[1];
    // Wake after idle resumes the sweeps.
    host.Wants[2] = true;
    thread.Wake();
    ASSERT_TRUE(ServeUntil([&] { return host.Steps[2] >= 2; }));
    EXPECT_EQ(host.Steps[1], steps);
}

// The thread never waits for the main thread: while the main thread is busy it
// keeps its pace, and the frames it could not hand over are dropped, not queued.
TEST(UpdateThread, ABusyMainThreadDoesNotHoldTheThreadNorPileUpSweeps) {
    TFakeHost host;
    host.SetWindows({true, false, true});
    TUpdateThread thread(host, 200);
    thread.Wake();
    ASSERT_TRUE(ServeUntil([&] { return host.Steps[0] >= 2; }));
    // One sweep steps every window that wants a step, in one hand-over.
    EXPECT_EQ(host.Steps[0], host.Steps[2]);
    const int steps = host.Steps[0];
    const int ticks = thread.Ticks();
    // The main thread is busy (serves no events) while the thread goes on ticking; the
    // deadline is only there so a held thread fails rather than hangs.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (thread.Ticks() - ticks < 5 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_GE(thread.Ticks() - ticks, 5);
    QCoreApplication::processEvents();
    EXPECT_LE(host.Steps[0] - steps, 2);
}

TEST(UpdateThread, SuspendHoldsUntilTheNextWake) {
    TFakeHost host;
    host.SetWindows({true});
    TUpdateThread thread(host, 200);
    thread.Wake();
    ASSERT_TRUE(ServeUntil([&] { return host.Steps[0] >= 2; }));
    thread.Suspend();
    ASSERT_TRUE(ServeUntil([&] { return thread.IsIdle(); }));
    const int steps = host.Steps[0];
    Serve(50);
    EXPECT_EQ(host.Steps[0], steps);
    thread.Wake();
    ASSERT_TRUE(ServeUntil([&] { return host.Steps[0] > steps; }));
}

TEST(UpdateThread, StopWhileTickingEndsWithoutServingTheMainThread) {
    TFakeHost host;
    host.SetWindows({true});
    auto thread = std::make_unique<TUpdateThread>(host, 1000);
    thread->Wake();
    ASSERT_TRUE(ServeUntil([&] { return host.Steps[0] >= 3; }));
    // The thread now waits for the main thread, which does not answer while it
    // joins: only a stop that is honoured lets the join end.
    {
        TWatchdog watchdog("the update thread waited on the main thread after a stop");
        thread->RequestStop();
        thread.reset();
    }
    // A step still queued for the main thread does nothing once stopped.
    const int steps = host.Steps[0];
    Serve(30);
    EXPECT_EQ(host.Steps[0], steps);
}

TEST(UpdateThread, AStepMayDestroyTheThread) {
    TFakeHost host;
    host.SetWindows({true, true});
    auto thread = std::make_unique<TUpdateThread>(host);
    // Closing the last window from inside a step shuts everything down there.
    host.OnStep = [&](int) { thread.reset(); };
    thread->Wake();
    ASSERT_TRUE(ServeUntil([&] { return thread == nullptr; }));
    Serve(30);
    EXPECT_EQ(host.Steps, (std::vector<int>{1, 0}));
}

TEST(UpdateThread, WindowsClosedDuringASweepAreNotRead) {
    TFakeHost host;
    host.SetWindows({true, true, true});
    TUpdateThread thread(host, 200);
    // The first window closes the others while it is stepped.
    host.OnStep = [&](int index) {
        if (index == 0) {
            host.Wants.resize(1);
            host.Steps.resize(1);
        }
    };
    thread.Wake();
    ASSERT_TRUE(ServeUntil([&] { return host.Steps[0] >= 3; }));
}

TEST(UpdateThread, PriorityMapping) {
    TFakeHost host;
    TUpdateThread thread(host);
    EXPECT_EQ(thread.Priority(), QThread::LowPriority);
    thread.SetPriority(7);
    EXPECT_EQ(thread.Priority(), QThread::LowPriority);
    thread.SetPriority(-1);
    EXPECT_EQ(thread.Priority(), QThread::LowPriority);
    const QThread::Priority expected[] = {QThread::IdlePriority, QThread::LowestPriority,
                                          QThread::LowPriority, QThread::NormalPriority,
                                          QThread::HighPriority};
    for (int value = 4; value >= 0; --value) {
        thread.SetPriority(value);
        EXPECT_EQ(thread.Priority(), expected[value]) << value;
    }
}

TEST(UpdateThread, ResetCursorRestartsTheSweepAtTheFirstWindow) {
    TFakeHost host;
    host.SetWindows({true, true, true});
    TUpdateThread thread(host, 200);
    // After the first window's step the cursor goes back to it, so the first
    // window is stepped again before the others in the same sweep.
    bool reset = false;
    host.OnStep = [&](int index) {
        if (index == 0 && !reset) {
            reset = true;
            thread.ResetCursor();
        }
    };
    thread.Wake();
    ASSERT_TRUE(ServeUntil([&] { return host.Steps[2] >= 1; }));
    EXPECT_EQ(host.Steps[0], 2);
}

} // namespace
} // namespace glimra
