#pragma once
#include "common/color.h"
#include "common/color_rules.h"

#include <cstdint>
#include <string>
#include <vector>

namespace glimra {

struct TFontData {
    std::string FontName; // UTF-8
    TColor FontColor = clWhite;
    std::int32_t FontSize = 9; // points
    bool operator==(const TFontData&) const = default;
};

// One field per settings key; every part of the program reads and writes these directly.
struct TRegIniRec {
    TFontData Font;
    std::int32_t TipsCount = 0;
    bool TipsShow = true;
    std::int32_t Left = 0, Top = 0, Width = 480, Height = 350;
    std::int32_t WaitTime = 4500, Retry = 10;
    bool WordWrap = true;
    std::int32_t CaptureWait = 800, LightLevel = 2, BlendLevel = 50;
    bool GWatch = true, StayOnTop = false, LayerWin = false;
    TColor ActiveColor = clLime, DeActiveColor = clBlue, ActiveMenuColor = clRed,
           DeActiveMenuColor = clLime, FileColor = clAqua;
    std::int32_t ThreadPriority = 0;
    bool Opening = true;
    std::int32_t AV_B = 1, AV_R = 1, AV_G = 1;
    bool AV_REVERSE = false;
    std::int32_t ScrollWait = 0;
    std::vector<TColorRule> Rules = DefaultColorRules();
    bool operator==(const TRegIniRec&) const = default;
};

// The name of the control window's font, the default text font.
inline const char* const DefaultFontName = "ＭＳ Ｐゴシック";
inline constexpr std::int32_t DefaultFontSize = 9;
// The largest text the windows draw, in points: a line then still fits on a screen, and
// a giant size would only make the button captions images of gigabytes.
inline constexpr std::int32_t MaxFontSize = 512;

// The defaults of every key; the window place depends on the screen.
TRegIniRec DefaultSettings(int screenWidth, int screenHeight);

} // namespace glimra
