#include "graphics/popup_menu_layout.h"

#include "graphics/blend.h"

#include <algorithm>

namespace glimra {

TMenuStroke SeparatorStroke(const TMenuLayout& layout, int row) {
    const int middle = layout.RowMiddle(row);
    return {TMenuLayout::CaptionLeft, middle, layout.Width() - 16, middle};
}

void CheckMarkStrokes(const TMenuLayout& layout, int row, TMenuStroke out[2]) {
    const int middle = layout.RowMiddle(row);
    out[0] = {11, middle - 3, 11, middle + 2};
    out[1] = {9, middle - 1, 14, middle - 1};
}

void FillRect(TPixelView picture, TRect rect, TColor color) {
    const TRect r = Intersect(rect, picture.Rect());
    if (picture.Empty() || r.IsEmpty())
        return;
    const std::uint8_t bgr[3] = {BlueOf(color), GreenOf(color), RedOf(color)};
    for (int y = r.Top; y < r.Bottom; ++y) {
        std::uint8_t* p = picture.Row(y) + r.Left * 3;
        for (int x = r.Left; x < r.Right; ++x, p += 3)
            std::copy_n(bgr, 3, p);
    }
}

void DrawStroke(TPixelView picture, const TMenuStroke& s, TColor color) {
    // A one-pixel line is the rectangle it covers, end point left out.
    FillRect(picture,
             s.Y1 == s.Y2 ? TRect{s.X1, s.Y1, s.X2, s.Y1 + 1} : TRect{s.X1, s.Y1, s.X1 + 1, s.Y2},
             color);
}

int MenuRowAt(int y, int menuTop, int itemHeight) {
    return (y - menuTop) / std::max(1, itemHeight);
}

bool MenuContains(int x, int y, TPoint menu, const TMenuLayout& layout) {
    return menu.X < x && x < menu.X + layout.Width() && menu.Y < y && y < menu.Y + layout.Height();
}

TPoint FitMenu(TPoint menu, TSize image, TSize owner) {
    if (menu.X + image.Width > owner.Width)
        menu.X = owner.Width - image.Width;
    if (menu.Y + image.Height > owner.Height)
        menu.Y = owner.Height - image.Height;
    return menu;
}

void BlendImage(TPixelView back, TConstPixelView image, TPoint at, bool centred, bool lighten,
                double alpha) {
    if (back.Empty() || image.Empty())
        return;
    if (centred)
        at = {(back.Width - image.Width) / 2, (back.Height - image.Height) / 2};
    const int j0 = std::max(0, -at.X), j1 = std::min(image.Width, back.Width - at.X);
    const int i0 = std::max(0, -at.Y), i1 = std::min(image.Height, back.Height - at.Y);
    if (j0 >= j1 || i0 >= i1)
        return;
    const TMix mix(alpha);
    for (int i = i0; i < i1; ++i) {
        const std::uint8_t* s = image.Row(i) + j0 * 3;
        std::uint8_t* d = back.Row(at.Y + i) + (at.X + j0) * 3;
        for (int n = (j1 - j0) * 3; n > 0; --n, ++s, ++d)
            *d = lighten && *s > *d ? *s : mix(*d, *s);
    }
}

} // namespace glimra
