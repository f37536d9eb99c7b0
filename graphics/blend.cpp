#include "graphics/blend.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <utility>
#include <vector>

namespace glimra {
namespace {

// Every result of one TMix, one byte each: a lookup per byte instead of the
// double arithmetic, with the same roundings.
struct TMixTable {
    std::uint8_t Out[256][256];
    explicit TMixTable(double alpha) {
        const TMix mix(alpha);
        for (int b = 0; b < 256; ++b)
            for (int p = 0; p < 256; ++p)
                Out[b][p] = mix(static_cast<std::uint8_t>(b), static_cast<std::uint8_t>(p));
    }
};

// Controls blend with a few levels again and again: their tables are kept, on the
// thread that drew with them.
const TMixTable& MixTable(double alpha) {
    constexpr std::size_t Kept = 8;
    thread_local std::vector<std::pair<double, std::unique_ptr<TMixTable>>> tables;
    for (auto& [a, table] : tables)
        if (a == alpha || (std::isnan(a) && std::isnan(alpha)))
            return *table;
    if (tables.size() == Kept)
        tables.erase(tables.begin());
    tables.emplace_back(alpha, std::make_unique<TMixTable>(alpha));
    return *tables.back().second;
}

void Blend(TPixelView back, TConstPixelView pic, const TMaskView* mask, bool lighten,
           double alpha) {
    if (back.Empty() || pic.Empty())
        return;
    const int x0 = (back.Width - pic.Width) / 2;
    const int y0 = (back.Height - pic.Height) / 2;
    // Picture columns and rows whose target lies inside the background.
    const int j0 = std::max(0, -x0), j1 = std::min(pic.Width, back.Width - x0);
    const int i0 = std::max(0, -y0), i1 = std::min(pic.Height, back.Height - y0);
    if (j0 >= j1 || i0 >= i1)
        return;
    const TMixTable* table = lighten ? nullptr : &MixTable(alpha);
    for (int i = i0; i < i1; ++i) {
        const std::uint8_t* p = pic.Row(i) + j0 * 3;
        std::uint8_t* b = back.Row(y0 + i) + (x0 + j0) * 3;
        for (int j = j0; j < j1; ++j, p += 3, b += 3) {
            if (mask && mask->White(j, i))
                continue;
            for (int c = 0; c < 3; ++c)
                b[c] = table ? table->Out[b[c]][p[c]] : std::max(b[c], p[c]);
        }
    }
}

} // namespace

void BlendPicture(TPixelView back, TConstPixelView pic, bool lighten, double alpha) {
    Blend(back, pic, nullptr, lighten, alpha);
}

void BlendPictureMasked(TPixelView back, TConstPixelView pic, TMaskView mask, bool lighten,
                        double alpha) {
    Blend(back, pic, &mask, lighten, alpha);
}

} // namespace glimra
