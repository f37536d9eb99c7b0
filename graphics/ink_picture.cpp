#include "graphics/ink_picture.h"

#include "graphics/pixel_ops.h"

#include <cstring>

namespace glimra {
namespace {

// Clear stretches shorter than this stay inside a run: a run costs more to start
// than a few clear pixels cost to skip.
constexpr int JoinGap = 16;

bool Clear(const std::uint8_t* row, int x) {
    return row[x * 4 + 3] == 0;
}

} // namespace

TInkPicture::TInkPicture(const std::uint8_t* bgra, int w, int h, std::ptrdiff_t stride) {
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* row = bgra + y * stride;
        int x = 0;
        while (x < w) {
            while (x < w && Clear(row, x))
                ++x;
            if (x == w)
                break;
            const int left = x;
            int end = x; // one past the last inked pixel of the run
            for (int gap = 0; x < w && gap < JoinGap; ++x) {
                gap = Clear(row, x) ? gap + 1 : 0;
                if (gap == 0)
                    end = x + 1;
            }
            // Whole groups of four clear-padded pixels: the blend takes four at a time
            // and a clear pixel changes nothing under it.
            const int count = (end - left + 3) / 4 * 4;
            Runs.push_back({y, left, count, Bgra.size()});
            Bgra.insert(Bgra.end(), row + left * 4, row + end * 4);
            Bgra.resize(Bgra.size() + static_cast<std::size_t>(count - (end - left)) * 4, 0);
            x = end;
        }
    }
}

void TInkPicture::BlendOnto(TPixelView dst, int dx, int dy, TRowExtents* touched) const {
    if (dst.Empty())
        return;
    const TRowBlend blend = RowBlend();
    // The runs of a row go left to right: the row's span is noted once, when it ends.
    int rowY = -1, rowLeft = 0, rowRight = 0;
    const auto noteRow = [&] {
        if (touched && rowY >= 0)
            touched->Add(rowY, rowLeft, rowRight);
    };
    for (const TRun& run : Runs) {
        const int y = dy + run.Row;
        if (y < 0)
            continue;
        if (y >= dst.Height)
            break; // the runs go row by row
        const int left = std::max(dx + run.Left, 0);
        const int right = std::min(dx + run.Left + run.Count, dst.Width);
        if (left >= right)
            continue;
        const std::uint8_t* s = Bgra.data() + run.First + (left - dx - run.Left) * 4;
        blend(dst.Row(y) + left * 3, s, right - left, dst.Width - right);
        if (y != rowY) {
            noteRow();
            rowY = y;
            rowLeft = left;
        }
        rowRight = right;
    }
    noteRow();
}

} // namespace glimra
