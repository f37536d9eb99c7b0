#include "graphics/skin_geometry.h"

#include <algorithm>

namespace glimra {

namespace {
int Sign(int v) {
    return (v > 0) - (v < 0);
}
} // namespace

TSkinPoint TSkinSegment::Last() const {
    return {To.X - Sign(To.X - From.X), To.Y - Sign(To.Y - From.Y)};
}

std::array<TSkinPoint, 8> SkinOctagon(int width, int height) {
    const int c = SkinCornerCut;
    return {{{width - c, 0},
             {c, 0},
             {0, c},
             {0, height - c},
             {c, height},
             {width - c, height},
             {width, height - c},
             {width, c}}};
}

bool InSkinTitleRow(int y) {
    return y < SkinTitleRowHeight;
}
bool OnSkinMemoLamp(int x) {
    return x >= 28 && x <= 35;
}
bool OnSkinMinimiseGlyph(int x, int width) {
    return x > width - 55 && x < width - 50;
}
bool OnSkinCloseGlyph(int x, int width) {
    return x > width - 40 && x < width - 34;
}
bool OnSkinResizeGrip(int x, int y, int width) {
    return x > width - 17 && y > 13;
}

TSkinPress SkinLeftPress(int x, int y, int width, bool inTitleRow, bool dialogStyle) {
    TSkinPress press;
    if (inTitleRow) {
        if (!dialogStyle) {
            if (OnSkinMemoLamp(x))
                press.Memo = true;
            else if (OnSkinMinimiseGlyph(x, width))
                press.Minimise = true;
        }
        if (OnSkinCloseGlyph(x, width))
            press.Close = true;
        else
            press.Drag = TSkinDrag::Move;
    } else if (OnSkinResizeGrip(x, y, width)) {
        press.Drag = TSkinDrag::Resize;
    }
    return press;
}

TSkinBounds SkinMoveStep(TSkinBounds bounds, TSkinPoint drag, int x, int y) {
    const int left = bounds.Left + x - drag.X;
    bounds.Left = left < 1 ? 0 : left;
    bounds.Top += y - drag.Y;
    return bounds;
}

TSkinBounds SkinResizeStep(TSkinBounds bounds, TSkinPoint drag, int x, int y) {
    bounds.Width = std::max(1, bounds.Width + x - drag.X);
    bounds.Height = std::max(1, bounds.Height + y - drag.Y);
    return bounds;
}

TSkinLayout SkinLayout(int width, int height) {
    const int w = width, h = height;
    TSkinLayout layout;
    layout.Lamp = {28, 5, 35, 12};
    layout.Minimise = {{w - 55, 10}, {w - 50, 10}};
    layout.Close = {{{{w - 40, 5}, {w - 34, 11}}, {{w - 35, 5}, {w - 41, 11}}}};
    layout.Grip = {{w - 15, h - 7}, {w - 5, h - 17}};
    layout.TitleFrame = {{{25, 2}, {w - 25, 2}, {w - 25, 14}, {25, 14}, {25, 2}}};
    layout.TitleText = {37, 3, w - 60, 13};
    return layout;
}

} // namespace glimra
