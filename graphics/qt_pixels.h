#pragma once
#include "common/color.h"
#include "common/qt_color.h"
#include "graphics/ink_picture.h"
#include "graphics/live_shade.h"
#include "graphics/pixel_view.h"

#include <QColor>
#include <QImage>
#include <QRegion>

class QFont;
class QPainter;
class QStaticText;
class QWidget;

namespace glimra {

// The core's view of a 24-bit image; empty unless the image is Format_BGR888.
inline TPixelView ViewOf(QImage& image) {
    if (image.format() != QImage::Format_BGR888 || image.isNull())
        return {};
    return {image.bits(), image.width(), image.height(), image.bytesPerLine()};
}

inline TConstPixelView ViewOf(const QImage& image) {
    if (image.format() != QImage::Format_BGR888 || image.isNull())
        return {};
    return {image.constBits(), image.width(), image.height(), image.bytesPerLine()};
}

// A mask image whose set bits are white (see NormalisedMask).
inline TMaskView MaskViewOf(const QImage& mask) {
    if (mask.format() != QImage::Format_Mono || mask.isNull())
        return {};
    return {mask.constBits(), mask.width(), mask.height(), mask.bytesPerLine()};
}

// Any image as a 1-bit mask, most significant bit first, with bit 1 white.
QImage NormalisedMask(const QImage& image);

// An image of the given size in the surface format, reused when it already fits.
void EnsureBitmap(QImage& image, int width, int height);

// The same colour filled into a 24-bit image region.
void FillBitmap(QImage& image, TColor color);

// Shows the region of a 24-bit picture as the window of the painter begun on widget in
// its paint event. Where the painter paints straight into the window system's picture
// of the window (not a grab, not a scaled screen), the pixels are converted into it on
// this thread: no second copy, no painter helper threads. Otherwise the painter draws
// a converted copy, kept in scratch. With a live shade, the picture's backdrop pixels
// (and those coverage follows) are shown translucent for the compositor to blend.
void ShowPicture(const QImage& picture, const QRegion& region, const QWidget& widget,
                 QPainter& painter, QImage& scratch, const TLiveShade* shade = nullptr,
                 const TCoverage* coverage = nullptr);

// Shows a 24-bit picture drawn for the device (its device pixel ratio set) with its
// top-left corner at at, each device pixel as ShowPicture shows a window pixel.
void ShowFinePicture(const QImage& fine, QPoint at, QPainter& painter, QImage& scratch,
                     const TLiveShade* shade = nullptr);

// Laid-out text drawn once, its top-left corner at `at` of a clear picture of size,
// kept as ink to lay over pictures again and again.
TInkPicture TextInk(const QStaticText& text, const QFont& font, const QColor& color, QSize size,
                    QPoint at = {});

} // namespace glimra
