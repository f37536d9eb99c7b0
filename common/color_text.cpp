#include "common/color_text.h"

#include "common/text_utils.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <utility>

namespace glimra {
namespace {

struct TNamedColor {
    const char* Name;
    TColor Value;
};

constexpr TColor Sys(TColor index) {
    return SystemColorBase + index;
}

constexpr std::array<TNamedColor, 42> NamedColors{{
    {"clBlack", clBlack},         {"clMaroon", clMaroon},
    {"clGreen", clGreen},         {"clOlive", clOlive},
    {"clNavy", clNavy},           {"clPurple", clPurple},
    {"clTeal", clTeal},           {"clGray", clGray},
    {"clSilver", clSilver},       {"clRed", clRed},
    {"clLime", clLime},           {"clYellow", clYellow},
    {"clBlue", clBlue},           {"clFuchsia", clFuchsia},
    {"clAqua", clAqua},           {"clWhite", clWhite},
    {"clScrollBar", Sys(0)},      {"clBackground", Sys(1)},
    {"clActiveCaption", Sys(2)},  {"clInactiveCaption", Sys(3)},
    {"clMenu", Sys(4)},           {"clWindow", Sys(5)},
    {"clWindowFrame", Sys(6)},    {"clMenuText", Sys(7)},
    {"clWindowText", Sys(8)},     {"clCaptionText", Sys(9)},
    {"clActiveBorder", Sys(10)},  {"clInactiveBorder", Sys(11)},
    {"clAppWorkSpace", Sys(12)},  {"clHighlight", Sys(13)},
    {"clHighlightText", Sys(14)}, {"clBtnFace", Sys(15)},
    {"clBtnShadow", Sys(16)},     {"clGrayText", Sys(17)},
    {"clBtnText", Sys(18)},       {"clInactiveCaptionText", Sys(19)},
    {"clBtnHighlight", Sys(20)},  {"cl3DDkShadow", Sys(21)},
    {"cl3DLight", Sys(22)},       {"clInfoText", Sys(23)},
    {"clInfoBk", Sys(24)},        {"clNone", clNone},
}};

bool SameText(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        return lower(x) == lower(y);
    });
}

} // namespace

std::string ColorToText(TColor color) {
    for (const TNamedColor& named : NamedColors)
        if (named.Value == color)
            return named.Name;
    char text[10];
    std::snprintf(text, sizeof text, "$%08X", static_cast<unsigned>(color));
    return text;
}

std::optional<TColor> TextToColor(std::string_view text) {
    for (const TNamedColor& named : NamedColors)
        if (SameText(named.Name, text))
            return named.Value;
    if (std::optional<std::int32_t> value = TextToInt(text))
        return static_cast<TColor>(*value);
    return std::nullopt;
}

} // namespace glimra
