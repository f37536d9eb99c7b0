// A bitmap the module owns, and the decoder for the BMP files it ships with.
#pragma once

#include "modules/glimra_module.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace glimra::tessel {

// Pixels in the layout the host expects: top-down rows padded to 4 bytes, 24-bit
// blue-green-red or 1-bit most significant bit first. Dib() lends them to the host.
class DibBitmap {
public:
    DibBitmap() = default;
    DibBitmap(std::int32_t width, std::int32_t height, std::int32_t bitCount);

    std::int32_t Width() const { return dib_.Width; }
    std::int32_t Height() const { return dib_.Height; }
    std::int32_t BitCount() const { return dib_.BitCount; }
    std::int32_t Stride() const { return dib_.Stride; }
    std::uint8_t* Row(std::int32_t y) { return bits_.data() + std::size_t(y) * dib_.Stride; }
    const std::uint8_t* Row(std::int32_t y) const {
        return bits_.data() + std::size_t(y) * dib_.Stride;
    }
    GlimraDib* Dib() {
        dib_.Bits = bits_.data(); // copies and moves leave it behind
        return &dib_;
    }

    // Pixel access for 24-bit bitmaps; the colour is 0xRRGGBB.
    std::uint32_t Pixel(std::int32_t x, std::int32_t y) const;
    void SetPixel(std::int32_t x, std::int32_t y, std::uint32_t rgb);
    // Bit access for 1-bit bitmaps.
    bool Bit(std::int32_t x, std::int32_t y) const;
    void SetBit(std::int32_t x, std::int32_t y, bool on);

    // Empty when the data is no BMP we can read.
    bool Empty() const { return bits_.empty(); }

private:
    GlimraDib dib_{0, 0, 0, 0, nullptr};
    std::vector<std::uint8_t> bits_;
};

// Decodes an uncompressed BMP of 1, 4, 8 or 24 bits (bottom-up or top-down) into a
// 24-bit bitmap; empty on anything else or on data that ends too soon.
DibBitmap DecodeBmp(const unsigned char* data, std::size_t size);
// A 1-bit bitmap whose bit is set where the picture is light (white in a mask).
DibBitmap ToMask(const DibBitmap& picture);

} // namespace glimra::tessel
