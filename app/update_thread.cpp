#include "app/update_thread.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <condition_variable>
#include <mutex>

namespace glimra {

struct TUpdateThread::TState {
    explicit TState(TUpdateHost& host, double framesPerSecond)
        : Host(&host), FramesPerSecond(framesPerSecond) {}

    // Main thread only.
    TUpdateHost* Host;
    TUpdateSweep Sweep;
    const double FramesPerSecond;

    // Guarded by Mutex.
    std::mutex Mutex;
    std::condition_variable Changed;
    bool Stop = false;
    bool WakeRequested = false;
    bool Suspended = false;
    bool Idle = true;
    bool FramePending = false; // a sweep is queued for the main thread
    bool SweepIdle = false;    // the last sweep that ended stepped nothing
    int Ticks = 0;
};

TUpdateThread::TUpdateThread(TUpdateHost& host, double framesPerSecond)
    : state_(std::make_shared<TState>(host, framesPerSecond)) {
    worker_.reset(QThread::create([state = state_] { Run(state); }));
    worker_->start(QThread::LowPriority);
}

TUpdateThread::~TUpdateThread() {
    RequestStop();
    worker_->wait();
}

void TUpdateThread::SetPriority(int value) {
    static constexpr QThread::Priority priorities[] = {
        QThread::IdlePriority, QThread::LowestPriority, QThread::LowPriority,
        QThread::NormalPriority, QThread::HighPriority};
    if (value < 0 || value > 4 || !worker_->isRunning())
        return;
    worker_->setPriority(priorities[value]);
}

QThread::Priority TUpdateThread::Priority() const {
    return worker_->priority();
}

void TUpdateThread::ResetCursor() {
    state_->Sweep.ResetCursor();
}

void TUpdateThread::RequestStop() {
    std::lock_guard lock(state_->Mutex);
    state_->Stop = true;
    state_->Changed.notify_all();
}

void TUpdateThread::Wake() {
    std::lock_guard lock(state_->Mutex);
    state_->Suspended = false;
    state_->WakeRequested = true;
    state_->Changed.notify_all();
}

void TUpdateThread::Suspend() {
    std::lock_guard lock(state_->Mutex);
    state_->Suspended = true;
    state_->WakeRequested = false;
}

bool TUpdateThread::IsIdle() const {
    std::lock_guard lock(state_->Mutex);
    return state_->Idle;
}

int TUpdateThread::Ticks() const {
    std::lock_guard lock(state_->Mutex);
    return state_->Ticks;
}

void TUpdateThread::SweepOnMainThread(const std::shared_ptr<TState>& state) {
    TState& s = *state;
    {
        std::lock_guard lock(s.Mutex);
        if (s.Stop)
            return;
        if (s.Suspended) {
            s.FramePending = false;
            s.SweepIdle = true;
            return;
        }
    }
    // A window that restarts the sweep in every step (ResetCursor) must not keep
    // the main thread here: the rest of the sweep waits for the next frame.
    const int limit = 2 * s.Host->WindowCount() + 2;
    bool ended = false;
    for (int n = 0; n < limit; ++n) {
        const int index = s.Sweep.Next(*s.Host);
        if (index < 0) {
            ended = true;
            break;
        }
        s.Host->StepWindow(index);
        // The step may have closed the program and destroyed the thread.
        std::lock_guard lock(s.Mutex);
        if (s.Stop)
            return;
    }
    std::lock_guard lock(s.Mutex);
    s.FramePending = false;
    s.SweepIdle = ended && s.Sweep.LastSweepIdle();
}

void TUpdateThread::Run(const std::shared_ptr<TState>& state) {
    TState& s = *state;
    TFramePacer pacer(s.FramesPerSecond);
    std::unique_lock lock(s.Mutex);
    for (;;) {
        s.Idle = true;
        s.Changed.wait(lock, [&] { return s.Stop || s.WakeRequested; });
        if (s.Stop)
            return;
        s.WakeRequested = false;
        s.SweepIdle = false;
        s.Idle = false;
        pacer.Start(TFramePacer::Clock::now());
        for (;;) {
            if (!s.FramePending) {
                s.FramePending = true;
                lock.unlock();
                const bool posted = QMetaObject::invokeMethod(
                    QCoreApplication::instance(), [state] { SweepOnMainThread(state); },
                    Qt::QueuedConnection);
                lock.lock();
                if (!posted) {
                    s.FramePending = false;
                    break;
                }
            }
            const auto deadline = pacer.Next(TFramePacer::Clock::now());
            if (s.Changed.wait_until(lock, deadline, [&] { return s.Stop; }))
                return;
            ++s.Ticks;
            if (s.FramePending || !s.SweepIdle)
                continue;
            if (!s.WakeRequested)
                break;
            // Woken while the last sweep found nothing: sweep again.
            s.WakeRequested = false;
            s.SweepIdle = false;
        }
    }
}

} // namespace glimra
