#include "app/update_sweep.h"

namespace glimra {

int TUpdateSweep::Next(const TUpdateHost& host) {
    // The count is read each time: a step may have opened or closed windows.
    for (; cursor_ < host.WindowCount(); ++cursor_) {
        if (host.WantsStep(cursor_)) {
            ++stepped_;
            return cursor_++;
        }
    }
    lastSweepIdle_ = stepped_ == 0;
    cursor_ = 0;
    stepped_ = 0;
    return -1;
}

TFramePacer::TFramePacer(double framesPerSecond) {
    const double rate = framesPerSecond >= 1 && framesPerSecond <= 1000 ? framesPerSecond : 60;
    period_ = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(1 / rate));
}

TFramePacer::Clock::time_point TFramePacer::Next(Clock::time_point now) {
    deadline_ += period_;
    if (deadline_ + period_ <= now)
        deadline_ = now;
    return deadline_;
}

} // namespace glimra
