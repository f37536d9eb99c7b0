#pragma once
#include "graphics/brightness.h"
#include "graphics/pixel_view.h"

#include <QImage>
#include <cstdint>

class QPainter;

namespace glimra {

// The screen-sized 24-bit surface holding the shaded desktop. Rows are
// addressed as y × Stride, so any height the memory allows is served.
class TCdib {
public:
    TCdib(int width, int height);

    // False when the pixel memory could not be allocated.
    bool IsValid() const { return !Image.isNull(); }
    std::uint8_t* Bits() { return IsValid() ? Image.bits() : nullptr; }
    int Width() const { return SurfaceWidth; }
    int Height() const { return SurfaceHeight; }
    int Stride() const { return static_cast<int>(Image.bytesPerLine()); }
    TPixelView View();
    const QImage& Picture() const { return Image; }

    void Clear();
    // Copies the w × h piece at (srcX, srcY) to (destX, destY) of target,
    // unscaled. Where the piece lies beyond the surface the target turns black.
    // target must be Format_BGR888 (as every composition bitmap is).
    void Draw(QImage& target, int destX, int destY, int srcX, int srcY, int w, int h) const;
    void Draw(QPainter& target, int destX, int destY, int srcX, int srcY, int w, int h) const;
    // Fills the surface from a picture of the screen, converted and clipped.
    void Assign(const QImage& screen);

    // Darkens or lightens the whole surface by Level × 20 and the tints.
    void AdjustBrightness(std::uint8_t level);
    TTint Tint() const { return {AvB, AvG, AvR, AvReverse}; }

    // Resize the surface; its content becomes black.
    void SetWidth(int n);
    void SetHeight(int n);

    std::uint8_t AvB = 0;
    std::uint8_t AvG = 0;
    std::uint8_t AvR = 0;
    bool AvReverse = false;

private:
    void Allocate(int width, int height);

    QImage Image;
    int SurfaceWidth = 0;
    int SurfaceHeight = 0;
};

} // namespace glimra
