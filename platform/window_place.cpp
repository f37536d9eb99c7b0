#include "platform/window_place.h"

#include <QGuiApplication>
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
    const double ratio = window.devicePixelRatioF();
    return QPoint(static_cast<int>(std::lround(origin->dst_x / ratio)),
                  static_cast<int>(std::lround(origin->dst_y / ratio)));
}

} // namespace glimra
