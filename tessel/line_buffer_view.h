// TModule: a 64 x 64 miniature of the window's text over a translucent grid, one
// stroke per display line with a chosen word marked in red, and a red dot that
// blinks while the window keeps being redrawn. A right click asks for the word.
#pragma once

#include "tessel/dib_bitmap.h"
#include "tessel/module_class.h"

#include <cstdint>
#include <string>

namespace glimra::tessel {

class TModule : public TCustomModule {
public:
    explicit TModule(void* owner);

    void DrawToBitmap(GlimraDib* dc) override;
    std::int32_t SetParam(const char* text) override;
    void MouseDown(std::uint8_t button, std::uint8_t shift, std::int32_t x,
                   std::int32_t y) override;
    void MouseMove(std::uint8_t shift, std::int32_t x, std::int32_t y) override;
    void MouseUp(std::uint8_t button, std::uint8_t shift, std::int32_t x, std::int32_t y) override;

    std::uint32_t LastTick = 0;
    DibBitmap GridBitmap;
    DibBitmap MaskBitmap;
    DibBitmap WorkBitmap;
    std::u32string HighlightWord; // always upper case; empty marks nothing

    // Milliseconds since system start; tests stand in their own clock.
    static std::uint32_t (*TickSource)();
    // Asks for the word; false on Cancel. Tests stand in their own answer.
    static bool (*AskWord)(std::u32string& word);

private:
    void CopyBackground(const GlimraDib* dc);
    void DrawStrokes(std::int32_t topLine, std::int32_t scrollMax);
    void DrawBlinkMarker();
};

// Code points of UTF-8 text, one U+FFFD for each byte that does not decode.
std::u32string DecodeUtf8(const std::string& text);
// Upper case by Unicode's rules.
std::u32string UpperCase(const std::u32string& text);
// The "HIGHLIGHT TEXT" dialog: prompt "WORD>", at most 255 characters.
bool AskWordByDialog(std::u32string& word);

} // namespace glimra::tessel
