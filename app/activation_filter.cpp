#include "app/activation_filter.h"

namespace glimra {

void TActivationFilter::OwnHideBegins() {
    OwnHide = true;
    OwnInactive = false;
}

void TActivationFilter::FocusReturned() {
    // Back before any deactivation was reported: none will be, so nothing is ours now.
    // After one was, the activation that follows this focus is still ours.
    if (!OwnInactive)
        OwnHide = false;
}

bool TActivationFilter::IsUsers(TChange change) {
    if (change == TChange::Deactivated) {
        if (!OwnHide)
            return true;
        OwnInactive = true;
        return false;
    }
    const bool ours = OwnInactive;
    OwnHide = OwnInactive = false;
    return !ours;
}

} // namespace glimra
