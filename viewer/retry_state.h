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

// The counting of failed opens, shared by every failure until a confirmed
// success or the give-up.
struct TRetryState {
    int RetryCount = 0;
    int MaxRetry = 10;
    bool OpenFailed = false;

    // Counts a failed open; returns the line the window shows.
    std::string Failed(const std::string& path);
    TTickAction Tick() const;
    // The two lines shown after giving up; resets the count.
    std::vector<std::string> GiveUp(const std::string& path);
};

} // namespace glimra
