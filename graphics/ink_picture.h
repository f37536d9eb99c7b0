#pragma once
#include "graphics/pixel_view.h"
#include "graphics/row_extents.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace glimra {

// A picture of text kept as its inked pixels only: most of a line's picture is clear,
// and a frame that lays the line again then touches nothing but the ink.
class TInkPicture {
public:
    TInkPicture() = default;
    // From a premultiplied picture (rows of blue, green, red, alpha bytes, w x h, stride
    // bytes apart); its clear pixels are left out.
    TInkPicture(const std::uint8_t* bgra, int w, int h, std::ptrdiff_t stride);

    // Rows of dst still to be brought back to Base (as large as dst): where the ink
    // lies in one, its span is done as the ink is laid, each pixel written once from
    // Base instead of copied and then blended over. Outside the spans dst is taken as
    // it is.
    struct TRestore {
        TConstPixelView Base;
        TRowExtents* Pending = nullptr;
    };

    // Source over onto dst with the picture's top-left corner at (dx, dy); what falls
    // outside dst is skipped. The pixels it may have changed are added to touched.
    // The spans of restore's rows the picture reaches are restored and taken out.
    void BlendOnto(TPixelView dst, int dx, int dy, TRowExtents* touched = nullptr,
                   const TRestore* restore = nullptr) const;

    // Pixels kept, clear ones inside a run included.
    std::size_t Pixels() const { return Ink.size() / 4; }

private:
    struct TRun {
        int Row = 0;
        int Left = 0;
        int Count = 0;
        std::size_t First = 0; // byte offset of the run's pixels in Ink
    };
    std::vector<TRun> Runs;        // row by row, left to right
    std::vector<std::uint8_t> Ink; // as ToInk makes it
};

} // namespace glimra
