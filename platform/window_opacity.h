#pragma once
#include <optional>

class QWidget;

namespace glimra {

// Whether the desktop can show a window with an opacity of its own: on X11 a
// compositing manager must own _NET_WM_CM_S<screen>. Asked anew on each call, since
// a manager may start or stop while the program runs.
bool WindowOpacityAvailable();
// For tests: answer this instead of asking the display; nullopt asks again.
void SetWindowOpacityAvailability(std::optional<bool> available);

// opacity from 0 (invisible) to 1; the desktop keeps it for the window.
void SetWindowOpacity(QWidget& window, double opacity);

} // namespace glimra
