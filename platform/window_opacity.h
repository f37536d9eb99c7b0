#pragma once
#include <optional>

class QWidget;

namespace glimra {

// Whether the desktop can show a window with an opacity of its own: on X11 a
// compositing manager must own _NET_WM_CM_S<screen>. Asked anew on each call, since
// a manager may start or stop while the program runs.
bool WindowOpacityAvailable();
// Whether the desktop blends windows that have an alpha channel: native Wayland, or
// X11 with a compositing manager (XWayland included).
bool CompositorBlends();
// Whether window positions are the program's to set and read (not on native Wayland,
// where the compositor places windows and reports no position).
bool PlatformPlacesWindows();
// For tests: the look to take instead of asking the display; nullopt asks again.
void SetCompositorBlends(std::optional<bool> blends);
// For tests: answer this instead of asking the display; nullopt asks again.
void SetWindowOpacityAvailability(std::optional<bool> available);

// opacity from 0 (invisible) to 1; the desktop keeps it for the window.
void SetWindowOpacity(QWidget& window, double opacity);

} // namespace glimra
