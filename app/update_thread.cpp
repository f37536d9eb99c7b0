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
    bool StepDone = false;
    int SteppedIndex = -1;
    bool SweepIdle = true;
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

void TUpdateThread::StepOnMainThread(const std::shared_ptr<TState>& state) {
    TState& s = *state;
    bool suspended;
    {
        std::lock_guard lock(s.Mutex);
        if (s.Stop)
            return;
        suspended = s.Suspended;
    }
    int index = -1;
    bool sweepIdle = true;
    if (!suspended) {
        index = s.Sweep.Next(*s.Host);
        sweepIdle = s.Sweep.LastSweepIdle();
        if (index >= 0)
            s.Host->StepWindow(index);
    }
    std::lock_guard lock(s.Mutex);
    s.SteppedIndex = index;
    s.SweepIdle = sweepIdle;
    s.StepDone = true;
    s.Changed.notify_all();
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
        s.Idle = false;
        pacer.Start(TFramePacer::Clock::now());
        for (;;) {
            // Not a blocking queued call: waiting here must end on a stop request,
            // or a main thread that waits for this thread would never be answered.
            s.StepDone = false;
            lock.unlock();
            const bool posted = QMetaObject::invokeMethod(
                QCoreApplication::instance(), [state] { StepOnMainThread(state); },
                Qt::QueuedConnection);
            lock.lock();
            if (!posted)
                break;
            s.Changed.wait(lock, [&] { return s.Stop || s.StepDone; });
            if (s.Stop)
                return;
            if (s.SteppedIndex >= 0)
                continue;
            if (s.SweepIdle)
                break;
            const auto deadline = pacer.Next(TFramePacer::Clock::now());
            if (s.Changed.wait_until(lock, deadline, [&] { return s.Stop; }))
                return;
        }
    }
}

} // namespace glimra
