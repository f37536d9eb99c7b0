#include "platform/screen_capture.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

namespace glimra {

TSize PrimaryScreenSize() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return {1024, 768};
    const QSize size = screen->geometry().size();
    return {size.width(), size.height()};
}

QImage GrabScreen() {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return {};
    QImage shot = screen->grabWindow(0).toImage();
    // A scaled screen grabs in device pixels; windows are placed in logical ones.
    const QSize size = screen->geometry().size();
    if (!shot.isNull() && shot.size() != size)
        shot = shot.scaled(size);
    return shot;
}

} // namespace glimra
