#include "graphics/badges.h"

#include "graphics/qt_pixels.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <array>
#include <cmath>
#include <functional>

namespace glimra {
namespace {

using TTriangle = std::array<QPointF, 3>;

// Width of the band along the sides that carries the words.
constexpr double BadgeBand = 24;

double Distance(QPointF a, QPointF b) {
    return std::hypot(a.x() - b.x(), a.y() - b.y());
}

// The triangle whose sides lie inset by the given distance.
TTriangle Inset(const TTriangle& t, double by) {
    const double a = Distance(t[1], t[2]), b = Distance(t[0], t[2]), c = Distance(t[0], t[1]);
    const QPointF centre = (a * t[0] + b * t[1] + c * t[2]) / (a + b + c);
    const double area = std::abs((t[1].x() - t[0].x()) * (t[2].y() - t[0].y()) -
                                 (t[2].x() - t[0].x()) * (t[1].y() - t[0].y())) /
                        2;
    const double radius = 2 * area / (a + b + c);
    TTriangle inner;
    for (int i = 0; i < 3; ++i)
        inner[i] = centre + (t[i] - centre) * ((radius - by) / radius);
    return inner;
}

QPolygonF Polygon(const TTriangle& t) {
    return QPolygonF({t[0], t[1], t[2]});
}

QFont BadgeFont(int pixelSize, bool bold = true) {
    QFont font(QStringLiteral("Sans Serif"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

// Writes text along every side of t, centred in the band of the given width
// inside it, always reading from left to right.
void TextAlongSides(QPainter& p, const TTriangle& t, const QString& text, double band) {
    const QPointF centroid = (t[0] + t[1] + t[2]) / 3.0;
    const QFontMetricsF metrics(p.font());
    for (int i = 0; i < 3; ++i) {
        const QPointF from = t[i], to = t[(i + 1) % 3];
        const QPointF mid = (from + to) / 2.0;
        double angle = std::atan2(to.y() - from.y(), to.x() - from.x());
        if (std::cos(angle) < 0)
            angle += M_PI;
        // The band lies on the side of the line where the middle is.
        const QPointF down(-std::sin(angle), std::cos(angle));
        const QPointF toCentre = centroid - mid;
        const double side = down.x() * toCentre.x() + down.y() * toCentre.y() > 0 ? 1 : -1;
        p.save();
        p.translate(mid);
        p.rotate(angle * 180.0 / M_PI);
        const double w = metrics.horizontalAdvance(text);
        const double baseline = side * band / 2 + (metrics.ascent() - metrics.descent()) / 2;
        p.drawText(QPointF(-w / 2, baseline), text);
        p.restore();
    }
}

void CentredText(QPainter& p, double centreY, const QString& text) {
    const QFontMetricsF metrics(p.font());
    const double w = metrics.horizontalAdvance(text);
    p.drawText(QPointF((BadgeSide - w) / 2, centreY + (metrics.ascent() - metrics.descent()) / 2),
               text);
}

// The picture in the surface format and a mask that is white outside outline.
TBadge Finish(const QImage& drawn, const TTriangle& outline, qreal scale) {
    QImage mask(drawn.size(), QImage::Format_RGB32);
    mask.fill(Qt::white);
    {
        QPainter p(&mask);
        p.scale(scale, scale);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::black);
        p.drawPolygon(Polygon(outline));
    }
    return {drawn.convertToFormat(QImage::Format_BGR888), NormalisedMask(mask)};
}

// A black square with the artwork that draw paints inside outer, and its mask.
TBadge DrawBadge(const TTriangle& outer, qreal scale,
                 const std::function<void(QPainter&, const TTriangle& inner)>& draw) {
    const int side = qRound(BadgeSide * scale);
    QImage image(side, side, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(scale, scale);
    draw(p, Inset(outer, BadgeBand));
    p.end();
    return Finish(image, outer, scale);
}

} // namespace

TBadge UpdateBadge(qreal scale) {
    const TTriangle outer{QPointF(100, 6), QPointF(194, 176), QPointF(6, 176)};
    return DrawBadge(outer, scale, [&](QPainter& p, const TTriangle& inner) {
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawPolygon(Polygon(outer));
        p.setBrush(QColor(255, 255, 0));
        p.drawPolygon(Polygon(inner));
        p.setPen(Qt::black);
        p.setFont(BadgeFont(15));
        TextAlongSides(p, outer, QStringLiteral("UPDATE"), BadgeBand);
        p.setFont(BadgeFont(48));
        CentredText(p, 100, QStringLiteral("!"));
        p.setFont(BadgeFont(15));
        CentredText(p, 140, QStringLiteral("Attention!"));
    });
}

TBadge DangerBadge(qreal scale) {
    const TTriangle outer{QPointF(194, 24), QPointF(100, 194), QPointF(6, 24)};
    return DrawBadge(outer, scale, [&](QPainter& p, const TTriangle& inner) {
        p.setPen(QPen(QColor(255, 0, 0), 3));
        p.setBrush(Qt::NoBrush);
        p.drawPolygon(Polygon(Inset(outer, 1.5)));
        p.drawPolygon(Polygon(inner));
        p.setFont(BadgeFont(15));
        TextAlongSides(p, outer, QStringLiteral("DANGER"), BadgeBand);
        p.setFont(BadgeFont(10));
        CentredText(p, 66, QStringLiteral("SELF TERMINATION"));
        p.setFont(BadgeFont(30));
        CentredText(p, 92, QStringLiteral("404"));
    });
}

} // namespace glimra
