#include "graphics/overlaps.h"

#include "graphics/pixel_ops.h"

#include <algorithm>

namespace glimra {

std::optional<TOverlapCopy> OverlapRects(TBounds b, TSize backBitmap, TBounds f,
                                         TSize frontBitmap) {
    const bool leftOf = b.Left < f.Left;
    const bool above = b.Top < f.Top;
    TRect s, d;
    s.Left = leftOf ? f.Left - b.Left : 0;
    s.Top = above ? f.Top - b.Top : 0;
    d.Left = leftOf ? 0 : b.Left - f.Left;
    d.Top = above ? 0 : b.Top - f.Top;
    s.Right = leftOf ? b.Width : f.Width + f.Left - b.Left;
    s.Bottom = above ? b.Height : f.Height + f.Top - b.Top;
    d.Right = s.Right + d.Left - s.Left;
    d.Bottom = s.Bottom + d.Top - s.Top;
    // A front window narrower than the one behind it sees only its own width of it.
    if (leftOf && f.Width < b.Width) {
        s.Left = f.Left - b.Left;
        s.Right = f.Left + f.Width - b.Left;
    }
    if (above && f.Height < b.Height) {
        s.Top = f.Top - b.Top;
        s.Bottom = f.Top + f.Height - b.Top;
    }
    s.Left = std::max(s.Left, 0);
    s.Top = std::max(s.Top, 0);
    d.Left = std::max(d.Left, 0);
    d.Top = std::max(d.Top, 0);
    s.Right = std::min(s.Right, backBitmap.Width);
    s.Bottom = std::min(s.Bottom, backBitmap.Height);
    if (backBitmap.Width < d.Right - d.Left)
        d.Right = d.Left + backBitmap.Width;
    if (backBitmap.Height < d.Bottom - d.Top)
        d.Bottom = d.Top + backBitmap.Height;
    d.Right = std::min(d.Right, frontBitmap.Width);
    d.Bottom = std::min(d.Bottom, frontBitmap.Height);
    if (s.IsEmpty() || d.IsEmpty())
        return std::nullopt;
    return TOverlapCopy{s, d};
}

std::vector<TOverlapStep> OverlapCopies(const std::vector<TStackedWindow>& windows, TBounds front,
                                        TSize frontBitmap) {
    std::vector<TOverlapStep> steps;
    if (windows.size() < 2)
        return steps;
    for (std::size_t i = 0; i < windows.size(); ++i) {
        const TStackedWindow& w = windows[i];
        if (w.IsSelf || w.Minimised)
            break;
        if (auto copy = OverlapRects(w.Bounds, w.Bitmap, front, frontBitmap))
            steps.push_back({i, *copy});
    }
    return steps;
}

void ApplyOverlap(TPixelView front, TConstPixelView back, const TOverlapCopy& copy,
                  std::uint8_t level, TTint tint) {
    StretchCopy(front, copy.Dest, back, copy.Source);
    ShadeRect(front, copy.Dest, level, tint);
}

} // namespace glimra
