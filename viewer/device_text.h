#pragma once
#include "common/geometry.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QRegion>
#include <QString>

#include <vector>

class QPainter;
class QWidget;

namespace glimra {

struct TLiveShade;
class TCoverage;

// The lines at the screen's resolution where a window pixel is more than one device
// pixel. The composition stays in window pixels with its ink (the lens, the controls,
// the live look and what changed read it there); a paint lays over the rows the
// picture as it was before the lines, scaled, and then the text drawn by the painter,
// which rasterises it for the device. At a ratio of 1 it keeps and paints nothing.
class TDeviceText {
public:
    // A frame begins: picture holds everything under the lines. Nothing is kept unless
    // ratio is above 1.
    void BeginFrame(const QImage& picture, qreal ratio, const QFont& font, QColor color);
    // A line's text with its row: its top-left corner where the ink goes, as wide and
    // high as the ink may reach.
    void AddRow(QString text, TRect row);
    // Drawn over the lines after them (scroll bar, light, progress): shown from the
    // composition. Everywhere: the rows are not laid over this frame at all.
    void DrewOver(TRect r);
    void DrewEverywhere();

    // This frame keeps the picture under the lines: they are to be laid again finer.
    bool Kept() const { return !Under.isNull(); }
    // region grown by the whole of every row it touches: a glyph is never cut where
    // the window-pixel ink and the device's happen to differ.
    QRegion Widened(const QRegion& region) const;
    // Lays the rows that fall into region over what the painter showed there.
    void Paint(QPainter& painter, const QRegion& region, const QWidget& widget, QImage& scratch,
               const TLiveShade* shade, const TCoverage* coverage) const;

private:
    struct TRow {
        QString Text;
        QRect Rect;
    };
    std::vector<TRow> Rows;
    QRegion Over;
    QImage Under; // the composition before the lines, kept allocated
    QFont Font;
    QColor Color;
};

} // namespace glimra
