#include "platform/screen_capture.h"

#include "graphics/cdib.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

namespace glimra {

TSize PrimaryScreenSize() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return {};
    const QSize size = screen->size() * screen->devicePixelRatio();
    return {size.width(), size.height()};
}

bool CaptureScreen(TCdib& surface) {
    surface.Clear();
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen || !surface.IsValid())
        return false;
    QImage shot = screen->grabWindow(0).toImage();
    if (shot.isNull())
        return false;
    // A scaled screen grabs in device pixels; the surface is the screen's size.
    if (shot.width() != surface.Width() || shot.height() != surface.Height())
        shot = shot.scaled(surface.Width(), surface.Height());
    surface.Assign(shot);
    return true;
}

} // namespace glimra
