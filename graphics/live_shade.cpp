#include "graphics/live_shade.h"

#include "graphics/layer_alpha.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace glimra {
namespace {

constexpr int MidGrey = 128;

// What the captured shading makes of mid-grey on one channel.
int CapturedMidGrey(int d, std::uint8_t tint, bool lighten) {
    const auto clamp = [](int v) { return std::clamp(v, 0, 255); };
    return lighten ? clamp(MidGrey + clamp(d - tint)) : std::max(0, MidGrey - clamp(d + tint));
}

} // namespace

TLiveShade LiveShade(std::uint8_t level, TTint tint) {
    const int d = level * 20;
    const int target[3] = {CapturedMidGrey(d, tint.AvB, tint.AvReverse),
                           CapturedMidGrey(d, tint.AvG, tint.AvReverse),
                           CapturedMidGrey(d, tint.AvR, tint.AvReverse)};
    // The least alpha that reaches every channel's target with a colour in range:
    // darker needs black over more of what is behind, lighter needs white.
    double alpha = 0;
    for (int t : target)
        alpha = std::max({alpha, 1.0 - t / double(MidGrey), (t - MidGrey) / 127.0});
    TLiveShade shade;
    shade.Alpha = static_cast<std::uint8_t>(std::lround(alpha * 255));
    const double behind = (255 - shade.Alpha) / 255.0 * MidGrey;
    const auto colour = [&](int t) {
        return static_cast<std::uint8_t>(std::clamp<long>(std::lround(t - behind), 0, shade.Alpha));
    };
    shade.B = colour(target[0]);
    shade.G = colour(target[1]);
    shade.R = colour(target[2]);
    return shade;
}

void TLiveShade::AddInk(std::uint8_t b, std::uint8_t g, std::uint8_t r) {
    if (InkCount < MaxInks) {
        Inks[InkCount][0] = b;
        Inks[InkCount][1] = g;
        Inks[InkCount][2] = r;
        ++InkCount;
    }
}

std::uint8_t InkAlpha(const std::uint8_t* pixel, const std::uint8_t* under, std::uint8_t underAlpha,
                      const TLiveShade& shade) {
    for (int i = 0; i < shade.InkCount; ++i) {
        const std::uint8_t* ink = shade.Inks[i];
        // How far along from under to the ink, read on the channel they differ most in.
        int c = 0;
        for (int k = 1; k < 3; ++k)
            if (std::abs(ink[k] - under[k]) > std::abs(ink[c] - under[c]))
                c = k;
        const int span = ink[c] - under[c];
        if (std::abs(span) < 32)
            continue;
        const double share = double(pixel[c] - under[c]) / span;
        if (share <= 0 || share >= 1)
            continue;
        bool onTheWay = true;
        for (int k = 0; k < 3; ++k)
            onTheWay = onTheWay && std::abs(under[k] + share * (ink[k] - under[k]) - pixel[k]) <= 3;
        if (onTheWay)
            return static_cast<std::uint8_t>(std::lround(255 * share + (1 - share) * underAlpha));
    }
    return 255;
}

TLiveShade LayeredShade(std::uint8_t alpha) {
    return {0, 0, 0, std::max(alpha, MinLayerAlpha)};
}

void TCoverage::Begin(TConstPixelView picture, std::uint8_t alpha) {
    Width = picture.Width;
    Height = picture.Height;
    Known.resize(static_cast<std::size_t>(Width) * Height * 3);
    Alpha.assign(static_cast<std::size_t>(Width) * Height, alpha);
    Learn(picture, picture.Rect());
}

void TCoverage::Learn(TConstPixelView picture, TRect r) {
    r = Intersect(r, Intersect(picture.Rect(), {0, 0, Width, Height}));
    for (int y = r.Top; y < r.Bottom; ++y)
        std::memcpy(&Known[(static_cast<std::size_t>(y) * Width + r.Left) * 3],
                    picture.Row(y) + r.Left * 3, static_cast<std::size_t>(r.Width()) * 3);
}

void TCoverage::Settle(TConstPixelView picture, TRect r) {
    r = Intersect(r, Intersect(picture.Rect(), {0, 0, Width, Height}));
    for (int y = r.Top; y < r.Bottom; ++y)
        for (int x = r.Left; x < r.Right; ++x)
            if (AlphaAt(x, y, picture.Row(y) + x * 3) == 255)
                Alpha[static_cast<std::size_t>(y) * Width + x] = 255;
    Learn(picture, r);
}

void TCoverage::Cover(int x, int y, double alpha) {
    std::uint8_t& a = Alpha[static_cast<std::size_t>(y) * Width + x];
    alpha = std::clamp(alpha, 0.0, 1.0);
    a = static_cast<std::uint8_t>(std::lround(255 * alpha + (1 - alpha) * a));
}

void TCoverage::Darkened(TConstPixelView picture, TRect r, int times) {
    const double kept = std::pow(26.0 / 32.0, times);
    r = Intersect(r, {0, 0, Width, Height});
    for (int y = r.Top; y < r.Bottom; ++y)
        for (int x = r.Left; x < r.Right; ++x)
            Cover(x, y, 1 - kept);
    Learn(picture, r);
}

std::uint8_t TCoverage::AlphaAt(int x, int y, const std::uint8_t* pixel,
                                const TLiveShade* inks) const {
    const std::size_t at = static_cast<std::size_t>(y) * Width + x;
    if (std::memcmp(&Known[at * 3], pixel, 3) == 0)
        return Alpha[at];
    return inks ? InkAlpha(pixel, &Known[at * 3], Alpha[at], *inks) : 255;
}

namespace {

// InkAlpha over the shade's own colour, worked out once per conversion: for each ink,
// by the value of the channel it differs most in, the alpha and the other channels a
// pixel on the way to it has.
class TInkLines {
public:
    explicit TInkLines(const TLiveShade& shade) {
        const std::uint8_t under[3] = {shade.B, shade.G, shade.R};
        for (int i = 0; i < shade.InkCount; ++i) {
            const std::uint8_t* ink = shade.Inks[i];
            TLine& line = Lines[Count];
            line.Channel = 0;
            for (int k = 1; k < 3; ++k)
                if (std::abs(ink[k] - under[k]) > std::abs(ink[line.Channel] - under[line.Channel]))
                    line.Channel = k;
            const int span = ink[line.Channel] - under[line.Channel];
            if (std::abs(span) < 32)
                continue;
            for (int v = 0; v < 256; ++v) {
                const double share = double(v - under[line.Channel]) / span;
                line.Valid[v] = share > 0 && share < 1;
                for (int k = 0; k < 3; ++k)
                    line.Expected[v][k] = static_cast<std::int16_t>(
                        std::lround(under[k] + share * (ink[k] - under[k])));
                line.Alpha[v] =
                    static_cast<std::uint8_t>(std::lround(255 * share + (1 - share) * shade.Alpha));
            }
            ++Count;
        }
    }
    std::uint8_t AlphaOf(const std::uint8_t* pixel) const {
        for (int i = 0; i < Count; ++i) {
            const TLine& line = Lines[i];
            const int v = pixel[line.Channel];
            if (line.Valid[v] && std::abs(line.Expected[v][0] - pixel[0]) <= 3 &&
                std::abs(line.Expected[v][1] - pixel[1]) <= 3 &&
                std::abs(line.Expected[v][2] - pixel[2]) <= 3)
                return line.Alpha[v];
        }
        return 255;
    }

private:
    struct TLine {
        int Channel = 0;
        bool Valid[256] = {};
        std::int16_t Expected[256][3] = {};
        std::uint8_t Alpha[256] = {};
    };
    TLine Lines[TLiveShade::MaxInks];
    int Count = 0;
};

} // namespace

void CopyToPremultiplied(TConstPixelView src, TRect r, const TLiveShade& shade,
                         const TCoverage* coverage, std::uint8_t* bgra, std::ptrdiff_t stride) {
    r = Intersect(r, src.Rect());
    if (r.IsEmpty())
        return;
    // Coverage of another size belongs to a picture since replaced.
    if (coverage && !coverage->Fits(src))
        coverage = nullptr;
    // Worked out again only when the shade changes.
    thread_local TLiveShade linesFor;
    thread_local std::unique_ptr<TInkLines> lines;
    if (!lines || !(linesFor == shade)) {
        lines = std::make_unique<TInkLines>(shade);
        linesFor = shade;
    }
    const TInkLines& inks = *lines;
    const std::uint32_t key = shade.B | shade.G << 8 | shade.R << 16;
    const std::uint32_t backdrop = key | std::uint32_t{shade.Alpha} << 24;
    for (int y = r.Top; y < r.Bottom; ++y) {
        const std::uint8_t* s = src.Row(y) + r.Left * 3;
        std::uint8_t* d = bgra + y * stride + r.Left * 4;
        for (int x = r.Left; x < r.Right; ++x, s += 3, d += 4) {
            std::uint8_t a;
            if (coverage) {
                a = coverage->AlphaAt(x, y, s, &shade);
            } else if ((s[0] | s[1] << 8 | s[2] << 16) == static_cast<int>(key)) {
                std::memcpy(d, &backdrop, 4);
                continue;
            } else {
                a = inks.AlphaOf(s);
            }
            // Premultiplied: no channel above the alpha.
            d[0] = std::min(s[0], a);
            d[1] = std::min(s[1], a);
            d[2] = std::min(s[2], a);
            d[3] = a;
        }
    }
}

} // namespace glimra
