#include "platform/top_level_windows.h"

#include <QGuiApplication>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <xcb/xcb.h>

namespace glimra {
namespace {

template <typename T> using TReply = std::unique_ptr<T, decltype(&std::free)>;

xcb_atom_t Atom(xcb_connection_t* c, const char* name) {
    TReply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(
            c, xcb_intern_atom(c, 1, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr),
        &std::free);
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

std::vector<xcb_window_t> Children(xcb_connection_t* c, xcb_window_t window) {
    TReply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(c, xcb_query_tree(c, window), nullptr),
                                        &std::free);
    if (!tree)
        return {};
    const xcb_window_t* first = xcb_query_tree_children(tree.get());
    return {first, first + xcb_query_tree_children_length(tree.get())};
}

// Asks for every window's property at once, then collects the answers.
void AddTitles(xcb_connection_t* c, const std::vector<xcb_window_t>& windows, xcb_atom_t property,
               xcb_atom_t type, std::vector<std::string>& out) {
    std::vector<xcb_get_property_cookie_t> cookies;
    for (xcb_window_t w : windows)
        cookies.push_back(xcb_get_property(c, 0, w, property, type, 0, 1024));
    for (auto cookie : cookies) {
        TReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(c, cookie, nullptr),
                                               &std::free);
        if (reply && xcb_get_property_value_length(reply.get()) > 0)
            out.emplace_back(static_cast<const char*>(xcb_get_property_value(reply.get())),
                             static_cast<std::size_t>(xcb_get_property_value_length(reply.get())));
    }
}

} // namespace

std::vector<std::string> TopLevelWindowTitles() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* c = x11 ? x11->connection() : nullptr;
    if (!c)
        return {};
    const xcb_setup_t* setup = xcb_get_setup(c);
    std::vector<xcb_window_t> windows;
    for (auto screen = xcb_setup_roots_iterator(setup); screen.rem; xcb_screen_next(&screen))
        for (xcb_window_t top : Children(c, screen.data->root)) {
            windows.push_back(top);
            for (xcb_window_t inner : Children(c, top))
                windows.push_back(inner);
        }
    std::vector<std::string> titles;
    AddTitles(c, windows, Atom(c, "_NET_WM_NAME"), Atom(c, "UTF8_STRING"), titles);
    AddTitles(c, windows, XCB_ATOM_WM_NAME, XCB_ATOM_ANY, titles);
    return titles;
}

bool TopLevelWindowExists(const std::string& titlePart) {
    for (const std::string& title : TopLevelWindowTitles())
        if (title.find(titlePart) != std::string::npos)
            return true;
    return false;
}

} // namespace glimra
