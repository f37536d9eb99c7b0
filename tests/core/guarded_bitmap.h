#pragma once
#include "graphics/pixel_view.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace glimra {

// A 24-bit bitmap with guard bytes before, after and in every row's padding,
// so a test sees any write outside the pixels.
class TGuardedBitmap {
public:
    static constexpr std::uint8_t Canary = 0xA5;
    static constexpr std::ptrdiff_t Guard = 64;

    TGuardedBitmap(int width, int height, std::uint8_t fill = 0)
        : Width(width), Height(height), Stride(DibStride(width) + 4),
          Data(static_cast<std::size_t>(Guard * 2 + Stride * std::max(height, 0)), Canary) {
        for (int y = 0; y < Height; ++y)
            std::fill_n(Row(y), Width * 3, fill);
    }
    TPixelView View() { return {Data.data() + Guard, Width, Height, Stride}; }
    std::uint8_t* Row(int y) { return Data.data() + Guard + y * Stride; }
    std::uint8_t* Pixel(int x, int y) { return Row(y) + x * 3; }
    void Set(int x, int y, std::uint8_t b, std::uint8_t g, std::uint8_t r) {
        Pixel(x, y)[0] = b;
        Pixel(x, y)[1] = g;
        Pixel(x, y)[2] = r;
    }
    // Every byte that is not a pixel still holds the canary.
    bool GuardsIntact() const {
        for (std::ptrdiff_t i = 0; i < static_cast<std::ptrdiff_t>(Data.size()); ++i) {
            const std::ptrdiff_t inRows = i - Guard;
            const bool pixel =
                inRows >= 0 && inRows < Stride * Height && inRows % Stride < Width * 3;
            if (!pixel && Data[i] != Canary)
                return false;
        }
        return true;
    }

    const int Width;
    const int Height;
    const std::ptrdiff_t Stride;

private:
    std::vector<std::uint8_t> Data;
};

} // namespace glimra
