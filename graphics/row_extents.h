#pragma once
#include "common/geometry.h"

#include <algorithm>
#include <climits>
#include <utility>
#include <vector>

namespace glimra {

// The columns drawn in each row of a picture, kept as one span per row from the
// leftmost to the rightmost: copying a row's span back is one copy however many
// pieces were drawn in it.
class TRowExtents {
public:
    // No row drawn, in a picture height rows high.
    void Reset(int height) {
        rows_.assign(static_cast<std::size_t>(std::max(height, 0)), {INT_MAX, INT_MIN});
        top_ = INT_MAX;
        bottom_ = INT_MIN;
    }
    // Columns left up to right of row y; rows outside the picture are left out.
    void Add(int y, int left, int right) {
        if (y < 0 || y >= static_cast<int>(rows_.size()) || left >= right)
            return;
        auto& [first, last] = rows_[static_cast<std::size_t>(y)];
        first = std::min(first, left);
        last = std::max(last, right);
        top_ = std::min(top_, y);
        bottom_ = std::max(bottom_, y + 1);
    }
    // The span of row y, {INT_MAX, INT_MIN} when none, and the row no longer drawn.
    std::pair<int, int> Take(int y) {
        if (y < 0 || y >= static_cast<int>(rows_.size()))
            return {INT_MAX, INT_MIN};
        return std::exchange(rows_[static_cast<std::size_t>(y)], {INT_MAX, INT_MIN});
    }
    void Add(TRect r) {
        for (int y = r.Top; y < r.Bottom; ++y)
            Add(y, r.Left, r.Right);
    }
    // The rectangle holding every span; empty when nothing was drawn.
    TRect Bounds() const {
        TRect bounds{INT_MAX, top_, INT_MIN, bottom_};
        ForEach([&bounds](int, int left, int right) {
            bounds.Left = std::min(bounds.Left, left);
            bounds.Right = std::max(bounds.Right, right);
        });
        return bounds.IsEmpty() ? TRect{} : bounds;
    }
    // Calls f(y, left, right) for every row drawn, top to bottom.
    template <class F> void ForEach(F&& f) const {
        for (int y = std::max(top_, 0); y < bottom_; ++y) {
            const auto& [first, last] = rows_[static_cast<std::size_t>(y)];
            if (first < last)
                f(y, first, last);
        }
    }

private:
    std::vector<std::pair<int, int>> rows_;
    int top_ = INT_MAX;
    int bottom_ = INT_MIN;
};

} // namespace glimra
