#pragma once
#include <string>
#include <vector>

namespace glimra {

// What the start sees of its session: the environment and the arguments Qt reads.
struct TSession {
    std::string WaylandDisplay; // WAYLAND_DISPLAY
    std::string X11Display;     // DISPLAY
    bool PlatformAsked = false; // QT_QPA_PLATFORM set, or -platform given
};

// The platform to start on, empty to leave Qt's own choice. In a Wayland session that
// also runs XWayland, an X11 window keeps the place and size the program gives it and
// reports where it is; natively the compositor places it. So XWayland, unless the
// user asked for a platform.
std::string SessionPlatform(const TSession& session);

// Whether the arguments name a platform for Qt (-platform NAME, -platform=NAME).
bool AsksPlatform(const std::vector<std::string>& args);

} // namespace glimra
