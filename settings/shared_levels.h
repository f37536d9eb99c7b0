#pragma once
#include <cstdint>

namespace glimra {

// The settings BlendLevel and LightLevel as read at start, handed to the modules.
inline std::int32_t SharedBlendLevel = 50;
inline std::int32_t SharedLightLevel = 2;

} // namespace glimra
