#pragma once
#include <algorithm>
#include <cstdint>

namespace glimra {

// Flags of a layered window's attributes: use the colour key, use the alpha.
inline constexpr std::uint32_t LayerColorKey = 1;
inline constexpr std::uint32_t LayerAlpha = 2;
// A layered window never becomes fully or almost fully invisible.
inline constexpr std::uint8_t MinLayerAlpha = 20;

// The window's opacity, 0 to 1, for an alpha and flags; without the alpha flag the
// window stays opaque.
constexpr double LayerOpacity(std::uint8_t alpha, std::uint32_t flags) {
    if (!(flags & LayerAlpha))
        return 1.0;
    return std::max(alpha, MinLayerAlpha) / 255.0;
}

} // namespace glimra
