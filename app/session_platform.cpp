#include "app/session_platform.h"

namespace glimra {

std::string SessionPlatform(const TSession& session) {
    if (session.PlatformAsked || session.WaylandDisplay.empty() || session.X11Display.empty())
        return {};
    return "xcb";
}

bool AsksPlatform(const std::vector<std::string>& args) {
    for (const std::string& arg : args)
        if (arg == "-platform" || arg == "--platform" || arg.starts_with("-platform=") ||
            arg.starts_with("--platform="))
            return true;
    return false;
}

} // namespace glimra
