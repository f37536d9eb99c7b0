#include "graphics/mini_scroll_bar.h"

#include "graphics/pixel_ops.h"

#include <algorithm>
#include <cmath>

namespace glimra {

int ThumbFromPosition(int extent, int min, int max, int position) {
    const double range = static_cast<double>(max) - min;
    if (range <= 0)
        return 2;
    return static_cast<int>(
               std::trunc((extent - 4) / range * (static_cast<double>(position) - min))) +
           2;
}

int PositionFromThumb(int extent, int min, int max, int thumb) {
    const double range = static_cast<double>(max) - min;
    // A track of 4 pixels or less has no room to move along.
    double value = min;
    if (range <= 0)
        value = 0;
    else if (extent > 4)
        value = min + std::trunc((thumb - 2) / static_cast<double>(extent - 4) * range);
    return static_cast<int>(
        std::clamp(value, static_cast<double>(min), static_cast<double>(std::max(min, max))));
}

TMiniScrollBar::TMiniScrollBar(TColor color) : BarColor(color) {
    ThumbXValue = W / 2;
    ThumbYValue = H / 2;
    UpdateThumb();
}

bool TMiniScrollBar::Contains(int x, int y) const {
    return x >= Left && y >= Top && x < Left + W && y < Top + H;
}

void TMiniScrollBar::Repaint() const {
    if (CanRepaint && OnRepaint)
        OnRepaint();
}

void TMiniScrollBar::UpdateThumb() {
    const int t = ThumbFromPosition(Extent(), Min, MaxValue, Pos);
    (Lying ? ThumbXValue : ThumbYValue) = t;
}

void TMiniScrollBar::PositionFromThumb() {
    Pos = glimra::PositionFromThumb(Extent(), Min, MaxValue, Lying ? ThumbXValue : ThumbYValue);
    if (OnChange)
        OnChange();
}

void TMiniScrollBar::CentreCross() {
    (Lying ? ThumbYValue : ThumbXValue) = (Lying ? H : W) / 2;
}

void TMiniScrollBar::SetPosition(int value) {
    value = std::clamp(value, Min, std::max(Min, MaxValue));
    if (value == Pos)
        return;
    Pos = value;
    UpdateThumb();
    PositionSet = true;
    if (OnChange)
        OnChange();
    Repaint();
}

void TMiniScrollBar::SetMax(int value) {
    if (value == MaxValue)
        return;
    MaxValue = std::max(value, Min);
    Pos = std::min(Pos, MaxValue);
    UpdateThumb();
    if (OnChange)
        OnChange();
    Repaint();
}

void TMiniScrollBar::SetColor(TColor value) {
    if (value == BarColor)
        return;
    BarColor = value;
    Repaint();
}

void TMiniScrollBar::SetVertical(bool value) {
    if (value == Lying)
        return;
    Lying = value;
    UpdateThumb();
}

void TMiniScrollBar::SetBounds(int left, int top, int width, int height) {
    Left = left;
    Top = top;
    if (width == W && height == H)
        return;
    W = width;
    H = height;
    UpdateThumb();
    CentreCross();
    Repaint();
}

void TMiniScrollBar::MouseDown(int x, int y) {
    CentreCross();
    LastX = x;
    LastY = y;
    Dragging = true;
}

void TMiniScrollBar::MouseMove(int x, int y) {
    if (!Dragging)
        return;
    int& thumb = Lying ? ThumbXValue : ThumbYValue;
    thumb += Lying ? x - LastX : y - LastY;
    LastX = x;
    LastY = y;
    thumb = std::clamp(thumb, 2, std::max(2, Extent() - 2));
    PositionFromThumb();
    Repaint();
}

void TMiniScrollBar::MouseUp() {
    Dragging = false;
    if (OnChanged && PositionSet)
        OnChanged();
    PositionSet = false;
}

TRect TMiniScrollBar::Painted() const {
    // The thumb's cross reaches four pixels either side of the line.
    if (!Lying)
        return {Left + W / 2 - 4, Top, Left + W / 2 + 5, Top + std::max(H, ThumbYValue + 1)};
    return {Left, Top + H / 2 - 4, Left + std::max(W, ThumbXValue + 1), Top + H / 2 + 5};
}

std::array<TRect, 2> TMiniScrollBar::Strokes() const {
    // Lines leave out their end point, so the cross mark is 9 pixels long.
    if (!Lying) {
        const int x = Left + W / 2;
        return {{{x, Top + 2, x + 1, Top + H - 2},
                 {x - 4, Top + ThumbYValue, x + 5, Top + ThumbYValue + 1}}};
    }
    const int y = Top + H / 2;
    return {{{Left + 2, y, Left + W - 2, y + 1},
             {Left + ThumbXValue, y - 4, Left + ThumbXValue + 1, y + 5}}};
}

void TMiniScrollBar::PaintTo(TPixelView target) const {
    if (!Visible)
        return;
    const std::uint8_t b = BlueOf(BarColor), g = GreenOf(BarColor), r = RedOf(BarColor);
    for (const TRect& stroke : Strokes())
        FillRect(target, stroke, b, g, r);
}

} // namespace glimra
