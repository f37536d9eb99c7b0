#pragma once

namespace glimra {

// Tells the activation changes the user makes from the ones the program causes
// itself when it hides its windows to capture the desktop and shows them again.
class TActivationFilter {
public:
    enum class TChange { Activated, Deactivated };

    // The program hides its windows now; they get the focus back when shown.
    void OwnHideBegins();
    // One of the program's windows received the input focus.
    void FocusReturned();
    // Whether a change of the application's state comes from the user. Our own hide
    // may deactivate the program, and then our own show activates it again.
    bool IsUsers(TChange change);

private:
    bool OwnHide = false;     // hidden by us; the focus has not come back yet
    bool OwnInactive = false; // the deactivation our hide caused has been seen
};

} // namespace glimra
