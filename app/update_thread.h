#pragma once
#include "app/update_sweep.h"
#include "platform/screen_refresh.h"

#include <QThread>

#include <memory>

namespace glimra {

// Drives the continuous animation of the windows. Once per screen frame it
// hands the main thread one sweep over the host's windows, stepping each window
// that wants a step, and goes on with its own pace without waiting for it: a
// frame still queued is not queued again, so a busy main thread skips frames
// instead of piling them up. After a sweep that stepped nothing it sleeps until
// Wake. It never reads the window list itself: every look at the list happens on
// the main thread, inside the sweep.
//
// Construct, use and destroy on the main thread.
class TUpdateThread {
public:
    explicit TUpdateThread(TUpdateHost& host, double framesPerSecond = ScreenRefreshRate());
    // Stops the thread and waits for it; never waits on the main thread.
    ~TUpdateThread();
    TUpdateThread(const TUpdateThread&) = delete;
    TUpdateThread& operator=(const TUpdateThread&) = delete;

    // 0 idle, 1 lowest, 2 low, 3 normal, 4 high; any other value changes nothing.
    void SetPriority(int value);
    QThread::Priority Priority() const;
    // The next sweep starts at the first window.
    void ResetCursor();
    // Ends the thread at its next check, also while it waits for a step.
    void RequestStop();
    // Runs sweeps again after an idle sweep or a Suspend.
    void Wake();
    // Stops stepping until the next Wake (the hub rebuilding its windows).
    void Suspend();
    // The thread is asleep, waiting for Wake.
    bool IsIdle() const;
    // Frame deadlines the thread has reached: it keeps counting while the main
    // thread is busy.
    int Ticks() const;

private:
    struct TState;
    static void Run(const std::shared_ptr<TState>& state);
    static void SweepOnMainThread(const std::shared_ptr<TState>& state);

    // Shared with the thread and with steps still queued for the main thread,
    // so neither outlives what it touches.
    std::shared_ptr<TState> state_;
    std::unique_ptr<QThread> worker_;
};

} // namespace glimra
