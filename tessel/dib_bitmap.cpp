#include "tessel/dib_bitmap.h"

#include <cstring>

namespace glimra::tessel {

DibBitmap::DibBitmap(std::int32_t width, std::int32_t height, std::int32_t bitCount) {
    const std::int32_t stride = (width * bitCount + 31) / 32 * 4;
    bits_.assign(std::size_t(stride) * std::size_t(height), 0);
    dib_ = {width, height, bitCount, stride, bits_.data()};
}

std::uint32_t DibBitmap::Pixel(std::int32_t x, std::int32_t y) const {
    const std::uint8_t* p = Row(y) + x * 3;
    return std::uint32_t(p[2]) << 16 | std::uint32_t(p[1]) << 8 | p[0];
}

void DibBitmap::SetPixel(std::int32_t x, std::int32_t y, std::uint32_t rgb) {
    std::uint8_t* p = Row(y) + x * 3;
    p[0] = std::uint8_t(rgb);
    p[1] = std::uint8_t(rgb >> 8);
    p[2] = std::uint8_t(rgb >> 16);
}

bool DibBitmap::Bit(std::int32_t x, std::int32_t y) const {
    return Row(y)[x / 8] & (0x80 >> (x % 8));
}

void DibBitmap::SetBit(std::int32_t x, std::int32_t y, bool on) {
    std::uint8_t& b = Row(y)[x / 8];
    const std::uint8_t bit = std::uint8_t(0x80 >> (x % 8));
    b = on ? std::uint8_t(b | bit) : std::uint8_t(b & ~bit);
}

namespace {

std::uint32_t U32(const unsigned char* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}
std::uint16_t U16(const unsigned char* p) {
    return std::uint16_t(p[0] | p[1] << 8);
}

} // namespace

DibBitmap DecodeBmp(const unsigned char* data, std::size_t size) {
    constexpr std::size_t fileHeader = 14;
    if (!data || size < fileHeader + 40 || data[0] != 'B' || data[1] != 'M')
        return {};
    const std::uint32_t offBits = U32(data + 10);
    const unsigned char* info = data + fileHeader;
    const std::uint32_t infoSize = U32(info);
    const auto width = std::int32_t(U32(info + 4));
    const auto rawHeight = std::int32_t(U32(info + 8));
    const std::uint16_t bitCount = U16(info + 14);
    const std::uint32_t compression = U32(info + 16);
    std::uint32_t colours = U32(info + 32);
    if (infoSize < 40 || U16(info + 12) != 1 || compression != 0 || width <= 0 || width > 0x8000 ||
        rawHeight == 0 || rawHeight < -0x8000 || rawHeight > 0x8000)
        return {};
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24)
        return {};
    const bool bottomUp = rawHeight > 0;
    const std::int32_t height = bottomUp ? rawHeight : -rawHeight;

    // The palette follows the info header; an empty count means all colours.
    std::vector<std::uint32_t> palette;
    if (bitCount <= 8) {
        const std::uint32_t full = 1u << bitCount;
        if (colours == 0 || colours > full)
            colours = full;
        const std::size_t palStart = fileHeader + infoSize;
        if (palStart + std::size_t(colours) * 4 > size)
            return {};
        palette.resize(full, 0);
        for (std::uint32_t i = 0; i < colours; ++i) {
            const unsigned char* e = data + palStart + i * 4;
            palette[i] = std::uint32_t(e[2]) << 16 | std::uint32_t(e[1]) << 8 | e[0];
        }
    }
    const std::size_t srcStride = (std::size_t(width) * bitCount + 31) / 32 * 4;
    if (offBits > size || size - offBits < srcStride * std::size_t(height))
        return {};

    DibBitmap out(width, height, 24);
    for (std::int32_t y = 0; y < height; ++y) {
        const unsigned char* src =
            data + offBits + srcStride * std::size_t(bottomUp ? height - 1 - y : y);
        if (bitCount == 24) {
            std::memcpy(out.Row(y), src, std::size_t(width) * 3);
            continue;
        }
        for (std::int32_t x = 0; x < width; ++x) {
            const std::size_t bitPos = std::size_t(x) * bitCount;
            const unsigned shift = 8 - bitCount - bitPos % 8;
            const unsigned index = (src[bitPos / 8] >> shift) & ((1u << bitCount) - 1);
            out.SetPixel(x, y, palette[index]);
        }
    }
    return out;
}

DibBitmap ToMask(const DibBitmap& picture) {
    DibBitmap mask(picture.Width(), picture.Height(), 1);
    for (std::int32_t y = 0; y < picture.Height(); ++y)
        for (std::int32_t x = 0; x < picture.Width(); ++x) {
            const std::uint32_t c = picture.Pixel(x, y);
            const unsigned sum = (c >> 16 & 0xff) + (c >> 8 & 0xff) + (c & 0xff);
            mask.SetBit(x, y, sum >= 3 * 128);
        }
    return mask;
}

} // namespace glimra::tessel
