#include "platform/screen_refresh.h"

#include <QGuiApplication>
#include <QScreen>

namespace glimra {

double ScreenRefreshRate() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->refreshRate() : 0;
}

} // namespace glimra
