#include "graphics/warning_light.h"

#include <algorithm>
#include <cstring>

namespace glimra {
namespace {

inline std::uint8_t Brighten(std::uint8_t v, int s) {
    return static_cast<std::uint8_t>(std::clamp(v + s, 0, 255));
}

} // namespace

TWarningLight::TWarningLight() : Band(40, 10) {}

void TWarningLight::SetSize(int width, int height) {
    BandWidth = std::max(width, 0);
    BandHeight = std::max(height, 0);
    Band.Resize(BandWidth, BandHeight);
}

const std::vector<int>& TWarningLight::Ramp() {
    RampValues.resize(static_cast<std::size_t>(BandWidth));
    int s = 0;
    bool falling = false;
    for (int& value : RampValues) {
        value = s;
        falling = falling || s > 240;
        s += falling ? StepDown : StepUp;
    }
    return RampValues;
}

// Pixels are blue, green, red: red is the third byte.
int TWarningLight::ChannelOffset() const {
    return Channel <= 2 ? 2 - Channel : -1;
}

void TWarningLight::Step(TPixelView target) {
    if (target.Empty())
        return;
    const int lastRow = std::min(Top + BandHeight - 1, target.Height - 1);
    const int lastCol = std::max(std::min(Position + BandWidth - 1, target.Width - 1), 0);
    const int offset = ChannelOffset();
    const std::vector<int>& ramp = Ramp();
    if (offset >= 0) {
        for (int y = std::max(Top, 0); y <= lastRow; ++y) {
            std::uint8_t* p = target.Row(y) + Position * 3 + offset;
            for (int x = Position; x <= lastCol; ++x, p += 3)
                *p = Brighten(*p, ramp[x - Position]);
        }
    }
    Position += BandWidth / 2;
    if (Position > target.Width - 1)
        Position = 0;
}

void TWarningLight::SweepTo(TConstPixelView target, const TBlit& blit) {
    if (target.Empty() || BandWidth <= 0 || BandHeight <= 0)
        return;
    const int firstRow = std::max(Top, 0);
    const int lastRow = std::min(Top + BandHeight - 1, target.Height - 1);
    if (firstRow > lastRow)
        return;
    const int lastCol = target.Width - 1;
    const int offset = ChannelOffset();
    const std::vector<int>& ramp = Ramp();
    TPixelView band = Band.View();
    for (int c = 0; c <= target.Width - 2; ++c) {
        const int width = std::min(c + BandWidth - 1, lastCol) - c + 1;
        for (int y = firstRow; y <= lastRow; ++y) {
            std::uint8_t* out = band.Row(y - firstRow);
            std::memcpy(out, target.Row(y) + c * 3, static_cast<std::size_t>(width) * 3);
            if (offset >= 0)
                for (int x = 0; x < width; ++x)
                    out[x * 3 + offset] = Brighten(out[x * 3 + offset], ramp[x]);
        }
        blit(TConstPixelView(band.Bits, width, lastRow - firstRow + 1, band.Stride), c, firstRow);
    }
}

} // namespace glimra
