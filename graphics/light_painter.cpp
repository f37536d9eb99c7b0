#include "graphics/light_painter.h"

#include "graphics/qt_pixels.h"

#include <QPainter>

namespace glimra {

void SweepTo(TWarningLight& light, const QImage& target, QPainter& painter) {
    light.SweepTo(ViewOf(target), [&painter](TConstPixelView band, int x, int y) {
        const QImage piece(band.Bits, band.Width, band.Height, band.Stride, QImage::Format_BGR888);
        painter.drawImage(x, y, piece);
    });
}

} // namespace glimra
