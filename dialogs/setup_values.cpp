#include "dialogs/setup_values.h"

#include <algorithm>
#include <utility>

namespace glimra {

TColor PreviewColor(int red, int green, int blue) {
    auto inverse = [](int tint) { return static_cast<TColor>(255 - std::clamp(tint, 0, 255)); };
    return inverse(blue) << 16 | inverse(green) << 8 | inverse(red);
}

int MoveLine(std::vector<TCheckLine>& lines, int selected, int delta) {
    const int count = static_cast<int>(lines.size());
    const int target = selected + delta;
    if (selected < 0 || selected >= count || target < 0 || target >= count)
        return selected;
    std::swap(lines[selected], lines[target]);
    return target;
}

} // namespace glimra
