#pragma once
#include "common/color.h"

#include <string>
#include <vector>

namespace glimra {

// The colour a white window has once the background adjustment has subtracted
// the tints red, green and blue (0 to 255 each); lightening plays no part.
TColor PreviewColor(int red, int green, int blue);

// One line of the module list: the library's file name and whether it is loaded.
struct TCheckLine {
    std::string Text;
    bool Checked = false;
    bool operator==(const TCheckLine&) const = default;
};

// Moves the selected line one place up (delta -1) or down (+1), text and check mark
// together; returns the selection afterwards. With no selection (-1) or at the
// list's end nothing moves.
int MoveLine(std::vector<TCheckLine>& lines, int selected, int delta);

} // namespace glimra
