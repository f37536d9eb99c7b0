#include "graphics/qt_pixels.h"

#include "graphics/pixel_ops.h"

#include <QBackingStore>
#include <QGuiApplication>
#include <QPaintEngine>
#include <QPainter>
#include <QPalette>
#include <QStaticText>
#include <QWidget>

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

namespace {

// The window system's picture of widget when painter paints straight into it, one
// device pixel per pixel, 32 bits per pixel, unshared (writing cannot copy it).
QImage* WindowPicture(const QWidget& widget, QPainter& painter, bool alpha) {
    QBackingStore* store = widget.isWindow() ? widget.backingStore() : nullptr;
    auto* image = store ? dynamic_cast<QImage*>(store->paintDevice()) : nullptr;
    if (!image || !painter.paintEngine() || painter.paintEngine()->paintDevice() != image)
        return nullptr;
    const QImage::Format format = image->format();
    const bool plain = alpha ? format == QImage::Format_ARGB32_Premultiplied
                             : format == QImage::Format_RGB32 || format == QImage::Format_ARGB32 ||
                                   format == QImage::Format_ARGB32_Premultiplied;
    if (!plain || !image->isDetached() || image->devicePixelRatio() != 1.0 ||
        !painter.deviceTransform().isIdentity() || image->width() < widget.width() ||
        image->height() < widget.height())
        return nullptr;
    return image;
}

} // namespace

void ShowPicture(const QImage& picture, const QRegion& region, const QWidget& widget,
                 QPainter& painter, QImage& scratch, const TLiveShade* shade,
                 const TCoverage* coverage) {
    const TConstPixelView source = ViewOf(picture);
    const auto copy = [&](const QRect& r, uchar* bits, qsizetype stride) {
        const TRect rect{r.left(), r.top(), r.right() + 1, r.bottom() + 1};
        if (shade)
            CopyToPremultiplied(source, rect, *shade, coverage, bits, stride);
        else
            CopyToXrgb(source, rect, bits, stride);
    };
    if (QImage* target = WindowPicture(widget, painter, shade != nullptr)) {
        for (const QRect& r : region)
            copy(r, target->bits(), target->bytesPerLine());
        return;
    }
    const QImage::Format format =
        shade ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
    if (scratch.size() != picture.size() || scratch.format() != format)
        scratch = QImage(picture.size(), format);
    const QRect bounds = region.boundingRect();
    copy(bounds, scratch.bits(), scratch.bytesPerLine());
    // Translucent pixels replace what the window held there, never add to it.
    if (shade)
        painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(bounds, scratch, bounds);
}

void ShowFinePicture(const QImage& fine, QPoint at, QPainter& painter, QImage& scratch,
                     const TLiveShade* shade) {
    const TConstPixelView source = ViewOf(fine);
    if (source.Empty())
        return;
    const QImage::Format format =
        shade ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
    if (scratch.size() != fine.size() || scratch.format() != format)
        scratch = QImage(fine.size(), format);
    if (shade)
        CopyToPremultiplied(source, source.Rect(), *shade, nullptr, scratch.bits(),
                            scratch.bytesPerLine());
    else
        CopyToXrgb(source, source.Rect(), scratch.bits(), scratch.bytesPerLine());
    const qreal ratio = fine.devicePixelRatio();
    if (shade)
        painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(QRectF(at, QSizeF(fine.width() / ratio, fine.height() / ratio)), scratch);
}

TInkPicture TextInk(const QStaticText& text, const QFont& font, const QColor& color, QSize size,
                    QPoint at) {
    QImage canvas(size, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    {
        QPainter painter(&canvas);
        painter.setFont(font);
        painter.setPen(color);
        painter.drawStaticText(at, text);
    }
    return TInkPicture(canvas.constBits(), canvas.width(), canvas.height(), canvas.bytesPerLine());
}

} // namespace glimra
