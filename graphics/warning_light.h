#pragma once
#include "graphics/pixel_view.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace glimra {

// The moving glint: a band of pixel rows of a window's bitmap whose chosen
// channel is brightened by a ramp that rises, then falls. The target bitmap
// is passed to each call, since the window resizes it between frames.
class TWarningLight {
public:
    TWarningLight();

    void SetTop(int row) { Top = row; }
    void SetSize(int width, int height);
    void ResetPosition() { Position = 0; }

    // Brightens the band at Position and advances by half the band's width,
    // starting over at the left edge once past the end. An empty target is left alone.
    void Step(TPixelView target);

    // Receives the band composed at column x of row y; it is valid only during the call.
    using TBlit = std::function<void(TConstPixelView band, int x, int y)>;
    // Composes the band at every start column from 0 to the target's width − 2
    // (the target is not changed) and hands each to blit.
    void SweepTo(TConstPixelView target, const TBlit& blit);

    int GetTop() const { return Top; }
    int GetPosition() const { return Position; }
    int GetBandWidth() const { return BandWidth; }
    int GetBandHeight() const { return BandHeight; }

    // What each of the band's columns adds, from its first column.
    const std::vector<int>& Ramp();

    // 0 red, 1 green, 2 blue; any other value brightens nothing.
    std::uint8_t Channel = 0;
    int StepUp = 10;
    // Taken once the ramp has passed 240.
    int StepDown = -15;

private:
    int ChannelOffset() const;

    int BandHeight = 10;
    int BandWidth = 40;
    TPixelBuffer Band;
    std::vector<int> RampValues;
    int Top = 0;
    int Position = 0;
};

} // namespace glimra
