#include "viewer/device_text.h"

#include "graphics/qt_pixels.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace glimra {

namespace {

QRect ToQRect(TRect r) {
    return {r.Left, r.Top, r.Width(), r.Height()};
}

// The ramp's value at column x of the window, none past its end.
int RampAt(const std::vector<int>& ramp, int left, int x) {
    const auto i = static_cast<std::size_t>(x - left);
    return i < ramp.size() ? ramp[i] : 0;
}

} // namespace

void TDeviceText::BeginFrame(const QImage& picture, qreal ratio) {
    Texts.clear();
    Lines.clear();
    Lights.clear();
    Darkened = {};
    Over = {};
    Picture = &picture;
    Ratio = ratio;
    Menus.clear();
    MenuArea = {};
    if (ratio <= 1.0 || picture.isNull()) {
        Under = QImage();
        return;
    }
    if (Under.size() != picture.size() || Under.format() != picture.format())
        Under = QImage(picture.size(), picture.format());
    std::memcpy(Under.bits(), picture.constBits(), static_cast<std::size_t>(picture.sizeInBytes()));
}

void TDeviceText::Add(QString text, TRect place, const QFont& font, QColor color, int flags) {
    if (!Under.isNull() && !place.IsEmpty() && !text.isEmpty())
        Texts.push_back({std::move(text), ToQRect(place) & Under.rect(), font, color, flags});
}

std::vector<QRect> TDeviceText::AddLines(const std::vector<QLine>& lines, const QPen& pen) {
    std::vector<QRect> places;
    if (Under.isNull())
        return places;
    // A square cap reaches half the pen past the ends.
    const int reach = static_cast<int>(std::ceil(pen.widthF())) + 1;
    for (const QLine& line : lines) {
        const QRect rect =
            QRect(line.p1(), line.p2()).normalized().adjusted(-reach, -reach, reach, reach) &
            Under.rect();
        Lines.push_back({line, pen, rect});
        places.push_back(rect);
    }
    return places;
}

void TDeviceText::DrewOver(TRect r) {
    if (!r.IsEmpty())
        Over += ToQRect(r);
}

void TDeviceText::AddLight(TRect band, int channel, const std::vector<int>& ramp) {
    // On no channel the light changes nothing.
    if (Under.isNull() || band.IsEmpty() || channel < 0 || channel > 2)
        return;
    const bool darkens = std::any_of(ramp.begin(), ramp.end(), [](int v) { return v < 0; });
    if (darkens) {
        // No composition mode takes away: the band is drawn finer and the light
        // applied to each device pixel, which needs device pixels that nest.
        if (WholeRatio() == 0) {
            DrewOver(band);
            return;
        }
        Darkened += ToQRect(band);
    }
    Lights.push_back({band, channel, ramp, darkens});
}

int TDeviceText::WholeRatio() const {
    const int whole = static_cast<int>(Ratio);
    return whole == Ratio ? whole : 0;
}

void TDeviceText::BeginMenus(const QImage& picture) {
    if (Under.isNull())
        UnderMenus = QImage();
    else
        UnderMenus = picture.copy();
}

void TDeviceText::AddMenu(QPoint at, const QImage& plate, std::vector<TMenuCaption> captions,
                          std::vector<TMenuLine> marks) {
    if (UnderMenus.isNull() || plate.isNull())
        return;
    MenuArea += QRect(at, plate.size()) & Under.rect();
    // Black would make an opaque pixel of a translucent one in the live look.
    QImage lights = plate.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < lights.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(lights.scanLine(y));
        for (int x = 0; x < lights.width(); ++x)
            if ((row[x] & 0xffffff) == 0)
                row[x] = 0;
    }
    Menus.push_back({at, plate, std::move(lights), std::move(captions), std::move(marks)});
}

QRegion TDeviceText::Widened(const QRegion& region) const {
    QRegion widened = region;
    for (const TText& text : Texts)
        if (region.intersects(text.Rect))
            widened += text.Rect;
    for (const TLine& line : Lines)
        if (region.intersects(line.Rect))
            widened += line.Rect;
    for (const TMenu& menu : Menus)
        for (const TMenuCaption& caption : menu.Captions)
            if (region.intersects(caption.Rect))
                widened += caption.Rect;
    return widened;
}

void TDeviceText::Paint(QPainter& painter, const QRegion& region, const QWidget& widget,
                        QImage& scratch, const TLiveShade* shade, const TCoverage* coverage) const {
    QRegion places;
    for (const TText& text : Texts)
        places += text.Rect;
    for (const TLine& line : Lines)
        places += line.Rect;
    const QRegion part = (region & places) - Over - Darkened;
    const QRegion menus = region & MenuArea;
    const QRegion dark = (region & places & Darkened) - Over - MenuArea;
    if (part.isEmpty() && menus.isEmpty() && dark.isEmpty())
        return;
    painter.save();
    // Under the menus, what was there before them: they are laid again over the texts.
    const QRegion beside = menus - part;
    if (!beside.isEmpty()) {
        painter.setClipRegion(beside);
        ShowPicture(UnderMenus, beside, widget, painter, scratch, shade, coverage);
    }
    if (!part.isEmpty())
        PaintTexts(painter, part, widget, scratch, shade, coverage);
    if (!dark.isEmpty()) {
        painter.setClipRegion(dark);
        const QRect area = dark.boundingRect();
        ShowFinePicture(Fine(area), area.topLeft(), painter, FineScratch, shade);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
    PaintMenus(painter, menus);
    painter.restore();
}

void TDeviceText::PaintTexts(QPainter& painter, const QRegion& part, const QWidget& widget,
                             QImage& scratch, const TLiveShade* shade,
                             const TCoverage* coverage) const {
    painter.setClipRegion(part);
    ShowPicture(Under, part, widget, painter, scratch, shade, coverage);
    DrawInk(painter, part);
    // The light adds to each channel, as it did in the picture.
    painter.setClipRegion(part);
    painter.setCompositionMode(QPainter::CompositionMode_Plus);
    for (const TLight& light : Lights) {
        if (light.Darkens)
            continue;
        QImage add(light.Band.Width(), light.Band.Height(), QImage::Format_RGB32);
        for (int x = 0; x < add.width(); ++x) {
            const int v = std::min(RampAt(light.Ramp, 0, x), 255);
            const QRgb rgb = qRgb(light.Channel == 0 ? v : 0, light.Channel == 1 ? v : 0,
                                  light.Channel == 2 ? v : 0);
            for (int y = 0; y < add.height(); ++y)
                add.setPixel(x, y, rgb);
        }
        painter.drawImage(light.Band.Left, light.Band.Top, add);
    }
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void TDeviceText::DrawInk(QPainter& painter, const QRegion& clip) const {
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    for (const TText& text : Texts) {
        const QRegion cut = clip & text.Rect;
        if (cut.isEmpty())
            continue;
        painter.setClipRegion(cut);
        painter.setFont(text.Font);
        painter.setPen(text.Color);
        if (text.Flags != 0)
            painter.drawText(text.Rect, text.Flags, text.Text);
        else
            painter.drawText(text.Rect.left(), text.Rect.top() + painter.fontMetrics().ascent(),
                             text.Text);
    }
    painter.setClipRegion(clip);
    for (const TLine& line : Lines) {
        painter.setPen(line.Pen);
        painter.drawLine(line.Line);
    }
}

QImage TDeviceText::Fine(QRect area) const {
    const int ratio = WholeRatio();
    if (Under.isNull() || ratio == 0 || area.isEmpty() || !Under.rect().contains(area))
        return {};
    QImage fine(area.size() * ratio, QImage::Format_RGB32);
    fine.setDevicePixelRatio(ratio);
    QPainter painter(&fine);
    painter.translate(-area.topLeft());
    painter.drawImage(area, Under, area);
    DrawInk(painter, area);
    // Each device pixel takes what its window pixel's column took.
    for (const TLight& light : Lights) {
        const QRect band = ToQRect(light.Band) & area;
        const int shift = 16 - 8 * light.Channel;
        for (int y = band.top() * ratio; y < (band.bottom() + 1) * ratio; ++y) {
            auto* row = reinterpret_cast<QRgb*>(fine.scanLine(y - area.top() * ratio)) -
                        area.left() * ratio;
            for (int x = band.left() * ratio; x < (band.right() + 1) * ratio; ++x) {
                const int v = RampAt(light.Ramp, light.Band.Left, x / ratio);
                const int c = std::clamp(static_cast<int>(row[x] >> shift & 0xff) + v, 0, 255);
                row[x] = (row[x] & ~(0xffu << shift)) | static_cast<QRgb>(c) << shift;
            }
        }
    }
    // What was drawn over the texts shows as the window has it.
    const QRegion over = (Over + MenuArea) & area;
    if (!over.isEmpty() && Picture) {
        painter.setClipRegion(over);
        painter.drawImage(area, *Picture, area);
    }
    painter.end();
    return fine.convertToFormat(QImage::Format_BGR888);
}

void TDeviceText::PaintMenus(QPainter& painter, const QRegion& region) const {
    if (region.isEmpty())
        return;
    painter.setClipRegion(region);
    painter.setFont(QFont());
    for (const TMenu& menu : Menus) {
        // The menu's blend per channel: the plate where it is lighter, else the mean of
        // the two. That is the mean, then lightened by the plate.
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        painter.setOpacity(0.5);
        painter.drawImage(menu.At, menu.Plate);
        painter.setOpacity(1.0);
        painter.setCompositionMode(QPainter::CompositionMode_Lighten);
        painter.drawImage(menu.At, menu.Lights);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        for (const TMenuLine& mark : menu.Marks) {
            painter.setPen(mark.Pen);
            painter.drawLine(mark.Line);
        }
        for (const TMenuCaption& caption : menu.Captions) {
            painter.setPen(caption.Color);
            painter.drawText(caption.Rect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                             caption.Text);
        }
    }
}

} // namespace glimra
