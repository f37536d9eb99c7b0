#pragma once
#include "common/color.h"
#include "graphics/pixel_view.h"

#include <array>
#include <cstdint>
#include <functional>

namespace glimra {

// Thumb coordinate along a track of extent pixels: 2 at Min, extent − 2 at Max.
int ThumbFromPosition(int extent, int min, int max, int position);
// The inverse, clamped into min … max; max ≤ min gives 0 before clamping.
int PositionFromThumb(int extent, int min, int max, int thumb);

// The thin scroll bar of a viewer window: a line with a short cross mark as
// its thumb. It has no window; the owner draws it into its bitmap with PaintTo
// and forwards the mouse to it.
class TMiniScrollBar {
public:
    explicit TMiniScrollBar(TColor color = clBlack);

    int Left = 0;
    int Top = 0;
    int Min = 0; // plain field: setting it recomputes nothing
    bool Visible = true;
    bool CanRepaint = true;

    std::function<void()> OnChange;
    // At mouse release, when SetPosition changed the value since the last release.
    std::function<void()> OnChanged;
    // Asked for whenever the bar's look changed and CanRepaint is set.
    std::function<void()> OnRepaint;

    int Position() const { return Pos; }
    int Max() const { return MaxValue; }
    int Width() const { return W; }
    int Height() const { return H; }
    TColor Color() const { return BarColor; }
    bool Vertical() const { return Lying; }
    int ThumbX() const { return ThumbXValue; }
    int ThumbY() const { return ThumbYValue; }
    bool Contains(int x, int y) const;

    void SetPosition(int value);
    void SetMax(int value);
    void SetColor(TColor value);
    // true gives the lying bar (thumb moving sideways).
    void SetVertical(bool value);
    void SetBounds(int left, int top, int width, int height);

    // Mouse in the parent's coordinates.
    void MouseDown(int x, int y);
    void MouseMove(int x, int y);
    void MouseUp();

    // Draws track and thumb in the parent's coordinates, clipped to the bitmap.
    void PaintTo(TPixelView target) const;
    // Where PaintTo may draw.
    TRect Painted() const;
    // What PaintTo fills: the track and the thumb's cross mark.
    std::array<TRect, 2> Strokes() const;

private:
    int Extent() const { return Lying ? W : H; }
    void UpdateThumb();
    void PositionFromThumb();
    void CentreCross();
    void Repaint() const;

    int W = 100;
    int H = 200;
    int Pos = 0;
    int MaxValue = 100;
    TColor BarColor;
    bool Lying = false;
    int ThumbXValue = 0;
    int ThumbYValue = 0;
    int LastX = 0;
    int LastY = 0;
    bool Dragging = false;
    bool PositionSet = false;
};

} // namespace glimra
