#include "graphics/overlaps.h"

#include "graphics/pixel_ops.h"

#include <algorithm>
#include <iterator>

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

namespace {

// An unstretched copy writes every pixel of its destination.
bool Fills(const TOverlapCopy& copy) {
    return !copy.Dest.IsEmpty() && copy.Source.Width() == copy.Dest.Width() &&
           copy.Source.Height() == copy.Dest.Height();
}

bool Holds(TRect outer, TRect inner) {
    return Intersect(outer, inner) == inner;
}

} // namespace

std::vector<TOverlapStep> ShowingSteps(const std::vector<TOverlapStep>& steps) {
    std::vector<TOverlapStep> showing;
    for (auto it = steps.begin(); it != steps.end(); ++it) {
        const TRect dest = it->Copy.Dest;
        const bool hidden = std::any_of(it + 1, steps.end(), [dest](const TOverlapStep& later) {
            return Fills(later.Copy) && Holds(later.Copy.Dest, dest);
        });
        if (!hidden)
            showing.push_back(*it);
    }
    return showing;
}

TRect FilledRect(const std::vector<TOverlapStep>& steps) {
    TRect filled;
    for (const TOverlapStep& step : steps)
        if (Fills(step.Copy) &&
            step.Copy.Dest.Width() * static_cast<long long>(step.Copy.Dest.Height()) >
                filled.Width() * static_cast<long long>(filled.Height()))
            filled = step.Copy.Dest;
    return filled;
}

std::vector<TRect> Around(TRect whole, TRect hole) {
    hole = Intersect(hole, whole);
    if (hole.IsEmpty())
        return {whole};
    const std::vector<TRect> parts{{whole.Left, whole.Top, whole.Right, hole.Top},
                                   {whole.Left, hole.Bottom, whole.Right, whole.Bottom},
                                   {whole.Left, hole.Top, hole.Left, hole.Bottom},
                                   {hole.Right, hole.Top, whole.Right, hole.Bottom}};
    std::vector<TRect> around;
    std::copy_if(parts.begin(), parts.end(), std::back_inserter(around),
                 [](TRect r) { return !r.IsEmpty(); });
    return around;
}

void ApplyOverlap(TPixelView front, TConstPixelView back, const TOverlapCopy& copy,
                  std::uint8_t level, TTint tint) {
    if (Fills(copy) && Holds(front.Rect(), copy.Dest) && Holds(back.Rect(), copy.Source)) {
        ShadeCopy(front, copy.Dest, back, copy.Source, level, tint);
        return;
    }
    StretchCopy(front, copy.Dest, back, copy.Source);
    ShadeRect(front, copy.Dest, level, tint);
}

} // namespace glimra
