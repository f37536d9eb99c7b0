#pragma once
#include "common/geometry.h"
#include "settings/reg_ini_rec.h"

#include <QPointer>
#include <QRegion>
#include <cstdint>
#include <string>
#include <vector>

namespace glimra {

class TBackdrop;
class TForm2;
class TModuleSet;

// What the windows behind lay into a window, worked out once per frame.
struct TOverlapPlan {
    // The pieces, the light level and the tint: equal layouts lay the same pieces.
    std::vector<std::int64_t> Layout;
    // The pictures they come from: equal layouts and pictures, equal pixels.
    std::vector<std::int64_t> Pictures;
    // Painted over whole: what lies under it never shows.
    TRect Filled;
    // Around every piece: outside it, nothing depends on the pictures behind.
    TRect Area;
};

// The window last activated, created or being closed; cleared when it is destroyed.
inline QPointer<TForm2> ActiveWindow;

// What a viewer window needs of the one who owns it (the control hub). Settings flow
// from the host to the window only.
class TWindowHost {
public:
    virtual ~TWindowHost() = default;
    virtual const TRegIniRec& Settings() const = 0;
    // What every window composes over: the captured desktop or the live shade.
    virtual const TBackdrop& Backdrop() const = 0;
    // Lays the parts of the windows behind this one into its bitmap.
    virtual void ComposeOverlaps(TForm2& window) = 0;
    // What ComposeOverlaps would lay into the window.
    virtual TOverlapPlan OverlapPlan(const TForm2& window) const = 0;
    // The part of the window that the open windows in front of it hide on the screen,
    // in the window's own coordinates.
    virtual QRegion Hidden(const TForm2& window) const = 0;
    // Some window in front moved, went or let the ones behind show: each window paints
    // what it left out while hidden.
    virtual void ShowUncovered() = 0;
    // The number of open windows and dialogs.
    virtual int WindowCount() const = 0;
    // The update thread: run sweeps again, starting at the first window.
    virtual void WakeUpdates() = 0;
    virtual void ResetUpdateCursor() = 0;
    // The window is closing: its bookkeeping, and the end of the program after the last.
    virtual void CloseWindow(TForm2& window) = 0;
    // The loaded modules, and where a module stood in the last window closed.
    virtual TModuleSet& Modules() = 0;
    virtual std::int32_t SavedModuleLocation(const std::string& name) const = 0;

    // A new viewer window, shown; it becomes the active window.
    virtual TForm2* NewWindow() = 0;
    // Puts the window at the front of the stack and shows it.
    virtual void BringToFront(TForm2* window) = 0;
    // Runs the file information dialog modally with text as its message, pre-filled
    // from the active window's path; 1 for OK, 2 for cancel. After OK, DialogPath is
    // the path the user composed.
    virtual int RunFileDialog(const std::string& text) = 0;
    virtual std::string DialogPath() const = 0;
    virtual void SetDialogPath(const std::string& path) = 0;
    // The file information dialog is closing: the bookkeeping of CloseWindow without
    // storing its bounds.
    virtual void CloseDialog(TForm2& dialog) = 0;

    // The File menu's "Setup.": fill the setup dialog from the settings and show it.
    virtual void ShowSetup() = 0;
};

} // namespace glimra
