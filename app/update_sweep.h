#pragma once
#include <chrono>

namespace glimra {

// What the update thread needs of the control hub. Called on the main thread only.
class TUpdateHost {
public:
    virtual ~TUpdateHost() = default;
    virtual int WindowCount() const = 0;
    // The window wants continuous steps (its ThreadTick or NeedsUpdates is set).
    virtual bool WantsStep(int index) const = 0;
    // One Auto or animation step of the window.
    virtual void StepWindow(int index) = 0;
};

// The cursor over the hub's windows. Lives on the main thread, so the list is
// only ever read where it is changed.
class TUpdateSweep {
public:
    // Index of the next window from the cursor on that wants a step, the cursor
    // then past it; -1 when the sweep reached the end (the cursor starts over).
    int Next(const TUpdateHost& host);
    // After Next returned -1: whether the sweep that just ended stepped nothing.
    bool LastSweepIdle() const { return lastSweepIdle_; }
    // The next sweep starts at the first window.
    void ResetCursor() { cursor_ = 0; }
    int Cursor() const { return cursor_; }

private:
    int cursor_ = 0;
    int stepped_ = 0;
    bool lastSweepIdle_ = true;
};

// Deadlines of steady frames. A frame that comes late is not made up for by a
// burst of quick ones: the pace starts over from the late frame.
class TFramePacer {
public:
    using Clock = std::chrono::steady_clock;
    // Rates outside 1..1000 frames per second (an unknown refresh rate) give 60.
    explicit TFramePacer(double framesPerSecond);
    void Start(Clock::time_point now) { deadline_ = now; }
    // The deadline of the frame after the current one.
    Clock::time_point Next(Clock::time_point now);
    Clock::duration Period() const { return period_; }

private:
    Clock::duration period_;
    Clock::time_point deadline_{};
};

} // namespace glimra
