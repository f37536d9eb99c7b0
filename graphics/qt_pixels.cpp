#include "graphics/qt_pixels.h"

#include "graphics/pixel_ops.h"

#include <QGuiApplication>
#include <QPalette>

namespace glimra {

QImage NormalisedMask(const QImage& image) {
    if (image.isNull())
        return {};
    QImage mask = image.convertToFormat(QImage::Format_Mono);
    const bool zeroIsWhite = qGray(mask.color(0)) > qGray(mask.color(1));
    if (zeroIsWhite) {
        for (int y = 0; y < mask.height(); ++y) {
            uchar* row = mask.scanLine(y);
            for (qsizetype i = 0; i < mask.bytesPerLine(); ++i)
                row[i] = static_cast<uchar>(~row[i]);
        }
    }
    mask.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    return mask;
}

void EnsureBitmap(QImage& image, int width, int height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (image.format() == QImage::Format_BGR888 && image.width() == width &&
        image.height() == height)
        return;
    image = width > 0 && height > 0 ? QImage(width, height, QImage::Format_BGR888) : QImage();
    // Fresh memory holds anything: start from black.
    image.fill(Qt::black);
}

void FillBitmap(QImage& image, TColor color) {
    const QColor c = ToQColor(color);
    TPixelView view = ViewOf(image);
    FillRect(view, view.Rect(), static_cast<std::uint8_t>(c.blue()),
             static_cast<std::uint8_t>(c.green()), static_cast<std::uint8_t>(c.red()));
}

} // namespace glimra
