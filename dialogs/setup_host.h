#pragma once

namespace glimra {

// What the setup dialog asks of the control window: its commands and the setup
// exchange. The dialog holds no settings itself.
class TSetupHost {
public:
    virtual ~TSetupHost() = default;
    virtual void RefreshBackground() = 0;
    virtual void CentreActiveWindow() = 0;
    virtual void ShowHiddenWindows() = 0;
    virtual void HideAllWindows() = 0;
    virtual void OpenProductPage() = 0;
    // "UPDATE": the dialog's values into the settings, applied.
    virtual void ApplySetup() = 0;
    // The module list's order and check marks into the settings.
    virtual void ApplyModuleList() = 0;
    // Restarts the module system and all windows.
    virtual void ReloadAll() = 0;
    virtual void ChooseFont() = 0;
    // A fixed pause before a restart; the screen keeps painting meanwhile.
    virtual void Pause(int milliseconds) = 0;
};

} // namespace glimra
