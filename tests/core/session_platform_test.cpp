#include "app/session_platform.h"

#include <gtest/gtest.h>

namespace glimra {
namespace {

TEST(SessionPlatform, XWaylandInAWaylandSessionUnlessAPlatformIsAsked) {
    struct {
        TSession Session;
        std::string Platform;
    } const cases[] = {
        {{"wayland-0", ":1", false}, "xcb"}, // GNOME, Plasma: through XWayland
        {{"wayland-0", ":1", true}, ""},     // QT_QPA_PLATFORM=wayland or -platform
        {{"wayland-0", "", false}, ""},      // no XWayland: native is all there is
        {{"", ":0", false}, ""},             // plain X11
        {{"", "", false}, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SessionPlatform(c.Session), c.Platform)
            << c.Session.WaylandDisplay << "|" << c.Session.X11Display << "|"
            << c.Session.PlatformAsked;
    EXPECT_TRUE(AsksPlatform({"-platform", "wayland", "f.log"}));
    EXPECT_TRUE(AsksPlatform({"--platform=wayland"}));
    EXPECT_FALSE(AsksPlatform({"f.log", "platform"}));
}

} // namespace
} // namespace glimra
