#pragma once
#include <QPoint>
#include <optional>

class QWidget;

namespace glimra {

// Where the display has the window's top-left corner now, in the program's pixels, when
// it reports places (X11). A window manager that has just moved the window may not have
// told the program yet, and a hidden window shows again where the program thinks it is.
std::optional<QPoint> DisplayedOrigin(const QWidget& window);

} // namespace glimra
