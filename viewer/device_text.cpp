#include "viewer/device_text.h"

#include "graphics/qt_pixels.h"

#include <QPainter>

#include <cstring>

namespace glimra {

namespace {

QRect ToQRect(TRect r) {
    return {r.Left, r.Top, r.Width(), r.Height()};
}

} // namespace

void TDeviceText::BeginFrame(const QImage& picture, qreal ratio) {
    Texts.clear();
    Over = {};
    if (ratio <= 1.0 || picture.isNull()) {
        Under = QImage();
        return;
    }
    if (Under.size() != picture.size() || Under.format() != picture.format())
        Under = QImage(picture.size(), picture.format());
    std::memcpy(Under.bits(), picture.constBits(), static_cast<std::size_t>(picture.sizeInBytes()));
}

void TDeviceText::Add(QString text, TRect place, const QFont& font, QColor color) {
    if (!Under.isNull() && !place.IsEmpty() && !text.isEmpty())
        Texts.push_back({std::move(text), ToQRect(place) & Under.rect(), font, color});
}

void TDeviceText::DrewOver(TRect r) {
    if (!r.IsEmpty())
        Over += ToQRect(r);
}

QRegion TDeviceText::Widened(const QRegion& region) const {
    QRegion widened = region;
    for (const TText& text : Texts)
        if (region.intersects(text.Rect))
            widened += text.Rect;
    return widened;
}

void TDeviceText::Paint(QPainter& painter, const QRegion& region, const QWidget& widget,
                        QImage& scratch, const TLiveShade* shade, const TCoverage* coverage) const {
    QRegion places;
    for (const TText& text : Texts)
        places += text.Rect;
    const QRegion part = (region & places) - Over;
    if (part.isEmpty())
        return;
    painter.save();
    painter.setClipRegion(part);
    ShowPicture(Under, part, widget, painter, scratch, shade, coverage);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    for (const TText& text : Texts) {
        const QRegion clip = part & text.Rect;
        if (clip.isEmpty())
            continue;
        painter.setClipRegion(clip);
        painter.setFont(text.Font);
        painter.setPen(text.Color);
        painter.drawText(text.Rect.left(), text.Rect.top() + painter.fontMetrics().ascent(),
                         text.Text);
    }
    painter.restore();
}

} // namespace glimra
