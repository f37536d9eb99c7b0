#include "platform/window_opacity.h"

#include <QGuiApplication>
#include <QWidget>
#include <cstdlib>
#include <memory>
#include <string>
#include <xcb/xcb.h>

namespace glimra {
namespace {

std::optional<bool> forced;
std::optional<bool> forcedBlends;

// The screen part of DISPLAY (":0.1" is screen 1); Qt opens that one.
int DisplayScreen() {
    const char* display = std::getenv("DISPLAY");
    if (!display)
        return 0;
    const std::string text(display);
    const auto colon = text.rfind(':');
    const auto dot = text.find('.', colon == std::string::npos ? 0 : colon);
    return dot == std::string::npos ? 0 : std::atoi(text.c_str() + dot + 1);
}

bool CompositorOwnsSelection(xcb_connection_t* connection) {
    const std::string name = "_NET_WM_CM_S" + std::to_string(DisplayScreen());
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> atom(
        xcb_intern_atom_reply(
            connection,
            xcb_intern_atom(connection, 1, static_cast<uint16_t>(name.size()), name.c_str()),
            nullptr),
        &std::free);
    // With only_if_exists set, no atom means no manager ever announced itself.
    if (!atom || atom->atom == XCB_ATOM_NONE)
        return false;
    std::unique_ptr<xcb_get_selection_owner_reply_t, decltype(&std::free)> owner(
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, atom->atom),
                                      nullptr),
        &std::free);
    return owner && owner->owner != XCB_WINDOW_NONE;
}

} // namespace

bool WindowOpacityAvailable() {
    if (forced)
        return *forced;
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    // Other platforms (offscreen, Wayland through Qt's own client) show no window opacity.
    if (!x11 || !x11->connection())
        return false;
    return CompositorOwnsSelection(x11->connection());
}

namespace {

bool NativeWayland() {
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

} // namespace

bool CompositorBlends() {
    if (forcedBlends)
        return *forcedBlends;
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (x11 && x11->connection())
        return CompositorOwnsSelection(x11->connection());
    return NativeWayland();
}

bool PlatformPlacesWindows() {
    return !NativeWayland();
}

void SetCompositorBlends(std::optional<bool> blends) {
    forcedBlends = blends;
}

void SetWindowOpacityAvailability(std::optional<bool> available) {
    forced = available;
}

void SetWindowOpacity(QWidget& window, double opacity) {
    window.setWindowOpacity(opacity);
}

} // namespace glimra
