#pragma once
#include <string>
#include <vector>

namespace glimra {

// What one tick of a window's notify timer has to do.
enum class TTickAction {
    EndBadge,      // nothing pending: only the update badge ends
    ConfirmReload, // the open succeeded after failures: read once more
    GiveUp,        // more failures than retries allowed
    Retry,         // try to open again
};

// The counting of failed opens. At most one failure counts per tick of the retry
// clock, and a read that succeeds starts the count afresh: a writer that locks its
// file for a moment around each write is never given up, however often it writes.
struct TRetryState {
    int RetryCount = 0;
    int MaxRetry = 10;
    bool OpenFailed = false;
    // A read succeeded after failures: the next tick reads once more.
    bool ConfirmPending = false;
    // A failure was counted since the last tick.
    bool CountedSinceTick = false;

    // Counts a failed open; returns the line the window shows.
    std::string Failed(const std::string& path);
    void Succeeded();
    // Starts a new interval of the retry clock.
    TTickAction Tick();
    // The two lines shown after giving up; resets the count.
    std::vector<std::string> GiveUp(const std::string& path);
    // Retrying is over.
    void Finish();
};

} // namespace glimra
