#include "viewer/retry_state.h"

namespace glimra {

std::string TRetryState::Failed(const std::string& path) {
    if (!CountedSinceTick)
        ++RetryCount;
    CountedSinceTick = true;
    OpenFailed = true;
    return "CAN NOT OPEN: " + path + " ( retry: " + std::to_string(RetryCount) + ")";
}

void TRetryState::Succeeded() {
    if (RetryCount > 0)
        ConfirmPending = true;
    RetryCount = 0;
    OpenFailed = false;
}

TTickAction TRetryState::Tick() {
    CountedSinceTick = false;
    if (!OpenFailed)
        // A count left by a failure that a change event cleared still wants its read.
        return ConfirmPending || RetryCount > 0 ? TTickAction::ConfirmReload
                                                : TTickAction::EndBadge;
    return RetryCount > MaxRetry ? TTickAction::GiveUp : TTickAction::Retry;
}

std::vector<std::string> TRetryState::GiveUp(const std::string& path) {
    std::vector<std::string> lines = {"COULD NOT OPEN: " + path +
                                          " ( retry: " + std::to_string(RetryCount) + ")",
                                      "BREAK.( RETRY>" + std::to_string(MaxRetry) + ")"};
    Finish();
    return lines;
}

void TRetryState::Finish() {
    OpenFailed = false;
    RetryCount = 0;
    ConfirmPending = false;
}

} // namespace glimra
