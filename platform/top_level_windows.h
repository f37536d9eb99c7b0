#pragma once
#include <string>
#include <vector>

namespace glimra {

// The titles (UTF-8) of the display's top-level windows, and of the windows one level
// below them, where a window manager puts a program's own window inside its frame.
// Empty where the display is not X11.
std::vector<std::string> TopLevelWindowTitles();

// Whether some top-level window's title contains text.
bool TopLevelWindowExists(const std::string& titlePart);

} // namespace glimra
