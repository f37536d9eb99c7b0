#include "graphics/ink_picture.h"

#include "graphics/pixel_ops.h"

#include <algorithm>
#include <cstring>

namespace glimra {
namespace {

// Clear stretches shorter than this stay inside a run: a run costs more to start
// than a few clear pixels cost to skip.
constexpr int JoinGap = 16;

bool Clear(const std::uint8_t* row, int x) {
    return row[x * 4 + 3] == 0;
}

// The first pixel from x on that is not clear, or w.
int SkipClear(const std::uint8_t* row, int x, int w) {
    while (x + 4 <= w && FourClear(row + x * 4))
        x += 4;
    while (x < w && Clear(row, x))
        ++x;
    return x;
}

} // namespace

TInkPicture::TInkPicture(const std::uint8_t* bgra, int w, int h, std::ptrdiff_t stride) {
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* row = bgra + y * stride;
        for (int x = SkipClear(row, 0, w); x < w;) {
            const int left = x;
            int end = x; // one past the last inked pixel of the run
            while (x < w) {
                while (x < w && !Clear(row, x))
                    ++x;
                end = x;
                x = SkipClear(row, x, w);
                if (x - end >= JoinGap || x == w)
                    break;
            }
            // Whole groups of four clear-padded pixels: the blend takes four at a time
            // and a clear pixel changes nothing under it.
            const int count = (end - left + 3) / 4 * 4;
            Runs.push_back({y, left, count, Ink.size()});
            Ink.insert(Ink.end(), row + left * 4, row + end * 4);
            Ink.resize(Ink.size() + static_cast<std::size_t>(count - (end - left)) * 4, 0);
        }
    }
    ToInk(Ink.data(), Ink.data(), static_cast<int>(Pixels()));
}

void TInkPicture::BlendOnto(TPixelView dst, int dx, int dy, TRowExtents* touched,
                            const TRestore* restore) const {
    if (dst.Empty())
        return;
    const TRowBlend blend = InkRowBlend();
    // The runs of a row go left to right: the row's span is noted once, when it ends.
    int rowY = -1, rowLeft = 0, rowRight = 0;
    // The row's span to restore, {0, 0} when none, and how far it is restored.
    int restoreLeft = 0, restoreRight = 0, restored = 0;
    const std::uint8_t* baseRow = nullptr;
    const auto copyBase = [&](int from, int to) {
        if (from < to)
            std::memcpy(dst.Row(rowY) + from * 3, baseRow + from * 3,
                        static_cast<std::size_t>(to - from) * 3);
    };
    const auto endRow = [&] {
        if (rowY < 0)
            return;
        if (touched)
            touched->Add(rowY, rowLeft, rowRight);
        if (baseRow)
            copyBase(restored, restoreRight);
    };
    const auto startRow = [&](int y) {
        rowY = y;
        restoreLeft = restoreRight = restored = 0;
        baseRow = nullptr;
        if (!restore || !restore->Pending)
            return;
        const auto [left, right] = restore->Pending->Take(y);
        if (left < right) {
            restoreLeft = restored = std::max(left, 0);
            restoreRight = std::min(right, dst.Width);
            baseRow = restore->Base.Row(y);
        }
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
        if (y != rowY) {
            endRow();
            startRow(y);
            rowLeft = left;
        }
        rowRight = right;
        const std::uint8_t* s = Ink.data() + run.First + (left - dx - run.Left) * 4;
        std::uint8_t* d = dst.Row(y);
        // Before the span, in it and after it. In it the pixels under come from the base
        // and the blend may write ahead only inside it: past it the base may not be
        // what dst shows.
        const int from = std::clamp(restoreLeft, left, right);
        const int to = baseRow ? std::clamp(restoreRight, from, right) : from;
        if (left < from)
            blend(d + left * 3, d + left * 3, s, from - left, dst.Width - from);
        if (from < to) {
            copyBase(restored, from);
            blend(d + from * 3, baseRow + from * 3, s + (from - left) * 4, to - from,
                  restoreRight - to);
            restored = to;
        }
        if (to < right)
            blend(d + to * 3, d + to * 3, s + (to - left) * 4, right - to, dst.Width - right);
    }
    endRow();
}

} // namespace glimra
