#include "platform/window_place.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <xcb/xcb.h>

namespace glimra {

std::optional<QPoint> DisplayedOrigin(const QWidget& window) {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    const auto id = static_cast<xcb_window_t>(window.internalWinId());
    if (!x11 || !x11->connection() || !id)
        return std::nullopt;
    xcb_connection_t* connection = x11->connection();
    const auto free = [](void* reply) { std::free(reply); };
    std::unique_ptr<xcb_get_geometry_reply_t, decltype(free)> geometry(
        xcb_get_geometry_reply(connection, xcb_get_geometry(connection, id), nullptr), free);
    if (!geometry)
        return std::nullopt;
    std::unique_ptr<xcb_translate_coordinates_reply_t, decltype(free)> origin(
        xcb_translate_coordinates_reply(
            connection, xcb_translate_coordinates(connection, id, geometry->root, 0, 0), nullptr),
        free);
    if (!origin)
        return std::nullopt;
    // Qt keeps each screen's top-left corner where the display has it and scales what
    // lies beyond it by that screen's ratio, which need not be the window's yet.
    const QPoint shown(origin->dst_x, origin->dst_y);
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect logical = screen->geometry();
        const qreal ratio = screen->devicePixelRatio();
        if (QRect(logical.topLeft(), logical.size() * ratio).contains(shown))
            return logical.topLeft() + (shown - logical.topLeft()) / ratio;
    }
    const double ratio = window.devicePixelRatioF();
    return QPoint(static_cast<int>(std::lround(origin->dst_x / ratio)),
                  static_cast<int>(std::lround(origin->dst_y / ratio)));
}

} // namespace glimra
