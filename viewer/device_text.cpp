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

void TDeviceText::BeginFrame(const QImage& picture, qreal ratio, const QFont& font, QColor color) {
    Rows.clear();
    Over = {};
    if (ratio <= 1.0 || picture.isNull()) {
        Under = QImage();
        return;
    }
    if (Under.size() != picture.size() || Under.format() != picture.format())
        Under = QImage(picture.size(), picture.format());
    std::memcpy(Under.bits(), picture.constBits(), static_cast<std::size_t>(picture.sizeInBytes()));
    Font = font;
    Color = color;
}

void TDeviceText::AddRow(QString text, TRect row) {
    if (!Under.isNull() && !row.IsEmpty())
        Rows.push_back({std::move(text), ToQRect(row) & Under.rect()});
}

void TDeviceText::DrewOver(TRect r) {
    if (!r.IsEmpty())
        Over += ToQRect(r);
}

void TDeviceText::DrewEverywhere() {
    Rows.clear();
}

QRegion TDeviceText::Widened(const QRegion& region) const {
    QRegion widened = region;
    for (const TRow& row : Rows)
        if (region.intersects(row.Rect))
            widened += row.Rect;
    return widened;
}

void TDeviceText::Paint(QPainter& painter, const QRegion& region, const QWidget& widget,
                        QImage& scratch, const TLiveShade* shade, const TCoverage* coverage) const {
    QRegion rows;
    for (const TRow& row : Rows)
        rows += row.Rect;
    const QRegion part = (region & rows) - Over;
    if (part.isEmpty())
        return;
    painter.save();
    painter.setClipRegion(part);
    ShowPicture(Under, part, widget, painter, scratch, shade, coverage);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setFont(Font);
    painter.setPen(Color);
    const int ascent = painter.fontMetrics().ascent();
    for (const TRow& row : Rows) {
        const QRegion clip = part & row.Rect;
        if (clip.isEmpty())
            continue;
        painter.setClipRegion(clip);
        painter.drawText(row.Rect.left(), row.Rect.top() + ascent, row.Text);
    }
    painter.restore();
}

} // namespace glimra
