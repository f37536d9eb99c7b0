#pragma once
#include "graphics/popup_menu_layout.h"

#include <QColor>
#include <QImage>
#include <QLineF>
#include <QPen>
#include <QRect>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

namespace glimra {

class TGlimraCPopupMenu;

// A caption as the menu draws it, in the owner's picture's coordinates.
struct TMenuCaption {
    QString Text;
    QRect Rect;
    QColor Color;
};

// A stroke of a check mark as the menu draws it finer, in the owner's picture's
// coordinates.
struct TMenuLine {
    QLineF Line;
    QPen Pen;
};

// One entry of a popup menu; the caption "-" makes it a separator line.
struct TGlimraMenuItem {
    std::function<void(TGlimraCPopupMenu& sender)> OnClick;
    QString Caption;
    bool Checked = false;
    bool IsSeparator() const { return Caption == QLatin1String("-"); }
};

// A menu without a window of its own: it renders itself into an image that the owner
// blends into its picture on every redraw, and the owner hands it moves and clicks.
class TGlimraCPopupMenu {
public:
    // redraw: the owner composes its picture again (and so calls DrawTo).
    explicit TGlimraCPopupMenu(std::function<void()> redraw) : Redraw(std::move(redraw)) {}

    TGlimraMenuItem& AddItem(const QString& caption, bool checked,
                             std::function<void(TGlimraCPopupMenu&)> onClick = {});
    void Popup(int x, int y);
    void CloseUp();
    // Fits the menu into the owner's picture and blends it in; nothing while hidden.
    void DrawTo(QImage& ownerBitmap);
    // Hover highlight, and on click the handler of the item under (x, y).
    void MouseEvent(bool click, int y, int x);

    bool Shown() const { return IsShown; }
    int X = 0, Y = 0;
    int HotIndex = -1;
    int ItemIndex = -1;
    const TMenuLayout& Layout() const { return Geometry; }
    const QImage& Image() const { return Picture; }
    // The image without the captions and check marks, and those, for an owner that
    // draws them finer than its picture: blended as DrawTo does, then those over it.
    const QImage& Plate() const { return Bare; }
    std::vector<TMenuCaption> Captions() const;
    std::vector<TMenuLine> Marks() const;
    std::vector<std::unique_ptr<TGlimraMenuItem>> Items;

private:
    // The image with HotIndex's row lit.
    void BuildImage();
    // The item of row is checked and shows a mark, drawn in MarkColor.
    bool ShowsMark(int row) const;
    TColor MarkColor(int row) const;

    std::function<void()> Redraw;
    bool IsShown = false;
    TMenuLayout Geometry;
    QImage Picture;
    QImage Bare;
};

} // namespace glimra
