#include "viewer/retry_state.h"

namespace glimra {

std::string TRetryState::Failed(const std::string& path) {
    ++RetryCount;
    OpenFailed = true;
    return "CAN NOT OPEN: " + path + " ( retry: " + std::to_string(RetryCount) + ")";
}

TTickAction TRetryState::Tick() const {
    if (!OpenFailed)
        return RetryCount > 0 ? TTickAction::ConfirmReload : TTickAction::EndBadge;
    return RetryCount > MaxRetry ? TTickAction::GiveUp : TTickAction::Retry;
}

std::vector<std::string> TRetryState::GiveUp(const std::string& path) {
    std::vector<std::string> lines = {"COULD NOT OPEN: " + path +
                                          " ( retry: " + std::to_string(RetryCount) + ")",
                                      "BREAK.( RETRY>" + std::to_string(MaxRetry) + ")"};
    OpenFailed = false;
    RetryCount = 0;
    return lines;
}

} // namespace glimra
