#pragma once
#include "common/geometry.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace glimra {

// Bytes per row of a 24-bit picture: three per pixel, padded to 4.
constexpr std::ptrdiff_t DibStride(int width) {
    return width <= 0 ? 0 : (static_cast<std::ptrdiff_t>(width) * 3 + 3) / 4 * 4;
}

// A 24-bit picture laid out like a device-independent bitmap: rows of blue,
// green, red bytes padded to 4 bytes, row 0 at the top. Does not own the bytes.
struct TPixelView {
    std::uint8_t* Bits = nullptr;
    int Width = 0;
    int Height = 0;
    std::ptrdiff_t Stride = 0;

    bool Empty() const { return Bits == nullptr || Width <= 0 || Height <= 0; }
    TRect Rect() const { return {0, 0, Width, Height}; }
    std::uint8_t* Row(int y) const { return Bits + static_cast<std::ptrdiff_t>(y) * Stride; }
};

struct TConstPixelView {
    const std::uint8_t* Bits = nullptr;
    int Width = 0;
    int Height = 0;
    std::ptrdiff_t Stride = 0;

    TConstPixelView() = default;
    TConstPixelView(const std::uint8_t* bits, int width, int height, std::ptrdiff_t stride)
        : Bits(bits), Width(width), Height(height), Stride(stride) {}
    TConstPixelView(TPixelView v)
        : Bits(v.Bits), Width(v.Width), Height(v.Height), Stride(v.Stride) {}

    bool Empty() const { return Bits == nullptr || Width <= 0 || Height <= 0; }
    TRect Rect() const { return {0, 0, Width, Height}; }
    const std::uint8_t* Row(int y) const { return Bits + static_cast<std::ptrdiff_t>(y) * Stride; }
};

// A 1-bit mask: the most significant bit of a byte is its leftmost pixel,
// row 0 at the top. A set bit is white.
struct TMaskView {
    const std::uint8_t* Bits = nullptr;
    int Width = 0;
    int Height = 0;
    std::ptrdiff_t Stride = 0;

    bool Contains(int x, int y) const {
        return Bits != nullptr && x >= 0 && y >= 0 && x < Width && y < Height;
    }
    // Outside the mask counts as white.
    bool White(int x, int y) const {
        if (!Contains(x, y))
            return true;
        return (Bits[static_cast<std::ptrdiff_t>(y) * Stride + x / 8] >> (7 - x % 8)) & 1;
    }
};

// 24-bit pixel memory owned by the core (work bitmaps, tests).
class TPixelBuffer {
public:
    TPixelBuffer() = default;
    TPixelBuffer(int width, int height) { Resize(width, height); }
    // Keeps the allocation when it is large enough; the content is zeroed.
    void Resize(int width, int height) {
        Width = std::max(width, 0);
        Height = std::max(height, 0);
        Data.assign(static_cast<std::size_t>(DibStride(Width)) * Height, 0);
    }
    TPixelView View() { return {Data.data(), Width, Height, DibStride(Width)}; }
    TConstPixelView View() const { return {Data.data(), Width, Height, DibStride(Width)}; }
    int GetWidth() const { return Width; }
    int GetHeight() const { return Height; }

private:
    std::vector<std::uint8_t> Data;
    int Width = 0;
    int Height = 0;
};

} // namespace glimra
