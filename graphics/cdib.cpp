#include "graphics/cdib.h"

#include "graphics/pixel_ops.h"
#include "graphics/qt_pixels.h"

#include <QPainter>
#include <algorithm>
#include <cstring>

namespace glimra {

TCdib::TCdib(int width, int height) {
    Allocate(width, height);
}

void TCdib::Allocate(int width, int height) {
    SurfaceWidth = std::max(width, 0);
    SurfaceHeight = std::max(height, 0);
    EnsureBitmap(Image, width, height);
    Clear();
}

TPixelView TCdib::View() {
    return ViewOf(Image);
}

void TCdib::Clear() {
    if (IsValid())
        std::memset(Image.bits(), 0, static_cast<std::size_t>(Image.sizeInBytes()));
}

void TCdib::Draw(QImage& target, int destX, int destY, int srcX, int srcY, int w, int h) const {
    const TRect src{srcX, srcY, srcX + w, srcY + h};
    TPixelView dst = ViewOf(target);
    if (Intersect(src, ViewOf(Image).Rect()) != src)
        FillRect(dst, {destX, destY, destX + w, destY + h}, 0, 0, 0);
    CopyRect(dst, destX, destY, ViewOf(Image), src);
}

void TCdib::Draw(QPainter& target, int destX, int destY, int srcX, int srcY, int w, int h) const {
    target.drawImage(QPoint(destX, destY), Image, QRect(srcX, srcY, w, h));
}

void TCdib::Assign(const QImage& screen) {
    Clear();
    if (screen.isNull())
        return;
    const QImage converted = screen.convertToFormat(QImage::Format_BGR888);
    CopyRect(View(), 0, 0, ViewOf(converted), ViewOf(converted).Rect());
}

void TCdib::AdjustBrightness(std::uint8_t level) {
    glimra::AdjustBrightness(View(), level, Tint());
}

void TCdib::SetWidth(int n) {
    if (n != Width())
        Allocate(n, Height());
}

void TCdib::SetHeight(int n) {
    if (n != Height())
        Allocate(Width(), n);
}

} // namespace glimra
