#pragma once
#include "graphics/brightness.h"
#include "graphics/pixel_view.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace glimra {

// The live look: where a compositor blends, the backdrop of a window is not a copy of
// the desktop but a premultiplied colour at an alpha, laid over whatever lies behind.
// The 24-bit picture holds the colour there; everything else in it is opaque.
struct TLiveShade {
    std::uint8_t B = 0, G = 0, R = 0;
    std::uint8_t Alpha = 0;
    // The colours text is drawn in (blue, green, red): the edge of a glyph, its ink
    // blended over the backdrop, is as translucent as it is faint.
    static constexpr int MaxInks = 4;
    std::uint8_t Inks[MaxInks][3] = {};
    int InkCount = 0;
    void AddInk(std::uint8_t b, std::uint8_t g, std::uint8_t r);
    bool operator==(const TLiveShade&) const = default;
};

// The shade that turns mid-grey into what the captured copy's shading makes of it.
// An alpha blend can only scale what lies behind, where the captured shading
// subtracts: the two agree at mid-grey, darker colours come out a little lighter.
TLiveShade LiveShade(std::uint8_t level, TTint tint);
// A layered window: black at the layer's alpha, the text at full strength.
TLiveShade LayeredShade(std::uint8_t alpha);

// Which pixels the host's own blends laid into a live picture while modules drew, and
// how opaque each is; any other change to a pixel wrote it whole.
class TCoverage {
public:
    // The picture holds the backdrop now; from here on its changes are followed.
    void Begin(TConstPixelView picture, std::uint8_t alpha);
    void End() { Width = Height = 0; }
    bool Active() const { return Width > 0; }
    bool Fits(TConstPixelView picture) const {
        return Active() && picture.Width == Width && picture.Height == Height;
    }
    // Before a blend over r: pixels changed since they were known were written whole.
    void Settle(TConstPixelView picture, TRect r);
    // After a blend over r: the pixels (x, y) that select takes are covered at alpha
    // on top of what covered them; all of r is known again.
    template <class TSelect>
    void Blended(TConstPixelView picture, TRect r, double alpha, TSelect select) {
        r = Intersect(r, {0, 0, Width, Height});
        for (int y = r.Top; y < r.Bottom; ++y)
            for (int x = r.Left; x < r.Right; ++x)
                if (select(x, y))
                    Cover(x, y, alpha);
        Learn(picture, r);
    }
    // Each pass of a darkening scales what shows through as it scales the colour.
    void Darkened(TConstPixelView picture, TRect r, int times);
    // The alpha of a pixel of picture: as followed while it stays as known, else opaque
    // (or as far as ink was blended over it, when inks are given).
    std::uint8_t AlphaAt(int x, int y, const std::uint8_t* pixel,
                         const TLiveShade* inks = nullptr) const;

private:
    void Cover(int x, int y, double alpha);
    void Learn(TConstPixelView picture, TRect r);
    int Width = 0, Height = 0;
    std::vector<std::uint8_t> Known; // 3 bytes a pixel, rows packed
    std::vector<std::uint8_t> Alpha;
};

// The alpha of pixel where one of the shade's inks may have been blended over under
// (a premultiplied colour at alpha underAlpha): opaque unless it lies on the way from
// under to an ink.
std::uint8_t InkAlpha(const std::uint8_t* pixel, const std::uint8_t* under, std::uint8_t underAlpha,
                      const TLiveShade& shade);

// Converts r of a 24-bit picture into premultiplied blue, green, red, alpha rows: a
// pixel of the shade's colour takes its alpha (or the coverage's), the edges of ink
// their share of it, any other is opaque.
void CopyToPremultiplied(TConstPixelView src, TRect r, const TLiveShade& shade,
                         const TCoverage* coverage, std::uint8_t* bgra, std::ptrdiff_t stride);

} // namespace glimra
