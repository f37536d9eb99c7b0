#pragma once
#include "common/geometry.h"
#include "graphics/glimra_popup_menu.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QLine>
#include <QPen>
#include <QRegion>
#include <QString>

#include <utility>
#include <vector>

class QPainter;
class QWidget;

namespace glimra {

struct TLiveShade;
class TCoverage;

// The window's text at the screen's resolution where a window pixel is more than one
// device pixel. The composition stays in window pixels with the lines' ink (the lens,
// the controls, the live look and what changed read it there); a paint lays over the
// texts' places the picture as it was before the lines, scaled, and then the texts
// drawn by the painter, which rasterises them for the device. At a ratio of 1 it keeps
// and paints nothing.
class TDeviceText {
public:
    // A frame begins: picture holds everything under the texts and goes on to be the
    // window's composition. Nothing is kept unless ratio is above 1.
    void BeginFrame(const QImage& picture, qreal ratio);
    // A text in the order drawn, its top-left corner at place's, cut to place; with
    // flags, laid out in place as QPainter::drawText lays it with them.
    void Add(QString text, TRect place, const QFont& font, QColor color, int flags = 0);
    // Lines drawn with pen, as the texts are; the places they cover.
    std::vector<QRect> AddLines(const std::vector<QLine>& lines, const QPen& pen);
    // Drawn over the texts after them (scroll bar, light, progress): shown from the
    // composition.
    void DrewOver(TRect r);
    // The light added ramp to channel (0 red, 1 green, 2 blue) of band, one value a
    // column, saturating: laid again over the texts finer. A light that darkens is
    // drawn over unless the ratio is a whole number.
    void AddLight(TRect band, int channel, const std::vector<int>& ramp);
    // The menus are about to be blended into picture: where they lie, it is shown as it
    // is now, the menus over it finer.
    void BeginMenus(const QImage& picture);
    // A menu blended at at: plate lightens and halves what lies under it, the marks
    // and captions are drawn over.
    void AddMenu(QPoint at, const QImage& plate, std::vector<TMenuCaption> captions,
                 std::vector<TMenuLine> marks);

    // This frame keeps the picture under the lines: they are to be laid again finer.
    bool Kept() const { return !Under.isNull(); }
    // region grown by the whole of every text it touches: a glyph is never cut where
    // the window-pixel ink and the device's happen to differ.
    QRegion Widened(const QRegion& region) const;
    // area of the window as shown, drawn for the device: 24-bit, its device pixel
    // ratio set. Null unless the ratio is a whole number and area lies in the window.
    QImage Fine(QRect area) const;
    // Lays the texts that fall into region over what the painter showed there.
    void Paint(QPainter& painter, const QRegion& region, const QWidget& widget, QImage& scratch,
               const TLiveShade* shade, const TCoverage* coverage) const;

private:
    struct TText {
        QString Text;
        QRect Rect;
        QFont Font;
        QColor Color;
        int Flags = 0;
    };
    struct TLine {
        QLine Line;
        QPen Pen;
        QRect Rect;
    };
    struct TMenu {
        QPoint At;
        QImage Plate;
        QImage Lights; // the plate's non-black pixels: lightening by black changes nothing
        std::vector<TMenuCaption> Captions;
        std::vector<TMenuLine> Marks;
    };
    struct TLight {
        TRect Band;
        int Channel;
        std::vector<int> Ramp;
        bool Darkens;
    };
    void PaintTexts(QPainter& painter, const QRegion& part, const QWidget& widget, QImage& scratch,
                    const TLiveShade* shade, const TCoverage* coverage) const;
    // The texts and lines, each cut to its place and to clip.
    void DrawInk(QPainter& painter, const QRegion& clip) const;
    // A whole ratio, 0 if there is none.
    int WholeRatio() const;
    void PaintMenus(QPainter& painter, const QRegion& region) const;

    std::vector<TText> Texts;
    std::vector<TLine> Lines;
    std::vector<TLight> Lights;
    QRegion Darkened; // where lights take away: shown from a finer picture
    QRegion Over;
    const QImage* Picture = nullptr;
    qreal Ratio = 1;
    QImage Under; // the composition before the texts, kept allocated
    std::vector<TMenu> Menus;
    QRegion MenuArea;
    QImage UnderMenus;          // the composition before the menus, kept while one shows
    mutable QImage FineScratch; // of a size of its own: the window's scratch stays allocated
};

} // namespace glimra
