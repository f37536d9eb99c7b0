#pragma once
#include "common/color.h"
#include "common/geometry.h"
#include "graphics/pixel_view.h"

namespace glimra {

// Where everything of a popup menu's image lies: rows of one item height below a
// 2-pixel margin, captions at x = 16, a frame of 16 pixels on either side.
struct TMenuLayout {
    int ItemHeight = 1;
    int WidestCaption = 0;
    int Count = 0;

    int Width() const { return WidestCaption + 32; }
    int Height() const { return Count * ItemHeight + 4; }
    int RowTop(int row) const { return 2 + row * ItemHeight; }
    int RowMiddle(int row) const { return RowTop(row) + ItemHeight / 2; }
    // The yellow band of a highlighted row.
    TRect Highlight(int row) const {
        return {8, RowTop(row), Width() - 8, RowTop(row) + ItemHeight};
    }
    static constexpr int CaptionLeft = 16;
};

// A straight line from (X1, Y1) to (X2, Y2), horizontal or vertical, drawn left to
// right or top to bottom without its end point.
struct TMenuStroke {
    int X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
    bool operator==(const TMenuStroke&) const = default;
};

TMenuStroke SeparatorStroke(const TMenuLayout& layout, int row);
// The cross of a checked item: vertical stroke first, then the horizontal one.
void CheckMarkStrokes(const TMenuLayout& layout, int row, TMenuStroke out[2]);
// Draws a stroke, clipped to the picture.
void DrawStroke(TPixelView picture, const TMenuStroke& stroke, TColor color);
void FillRect(TPixelView picture, TRect rect, TColor color);

// The row under a point, counted from the menu's top edge (rows are hit-tested from
// the top in steps of the item height, drawn 2 pixels lower).
int MenuRowAt(int y, int menuTop, int itemHeight);
// Strictly inside the menu: a point on its edge is outside.
bool MenuContains(int x, int y, TPoint menu, const TMenuLayout& layout);
// Moves the menu left and up so that it ends inside the owner; a menu larger than the
// owner starts at a negative position.
TPoint FitMenu(TPoint menu, TSize image, TSize owner);

// Blends image into back with its top-left corner at (x, y), or centred in back;
// pixels outside back are skipped. Each channel becomes (1 − alpha) × back +
// alpha × image to the nearest integer, halves to even; with lighten an image byte
// brighter than the back is taken as it is.
void BlendImage(TPixelView back, TConstPixelView image, TPoint at, bool centred, bool lighten,
                double alpha);

} // namespace glimra
