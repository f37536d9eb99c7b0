#pragma once

namespace glimra {

// Refresh rate of the primary screen in frames per second; 0 when unknown.
double ScreenRefreshRate();

} // namespace glimra
