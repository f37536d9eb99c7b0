#pragma once
#include "common/color.h"

#include <optional>
#include <string>
#include <string_view>

namespace glimra {

// The colour's name (clWhite, clBtnFace, clNone...) or "$00BBGGRR".
std::string ColorToText(TColor color);

// A colour name (any letter case) or an integer as TextToInt reads it; nullopt
// for anything else.
std::optional<TColor> TextToColor(std::string_view text);

} // namespace glimra
