#pragma once
#include "common/geometry.h"

#include <string>

namespace glimra {

// Where the file information dialog puts its two edits and two buttons, for a dialog
// of width × height whose text lines are lineHeight high.
struct TFileDialogLayout {
    TBounds PathEdit, NameEdit, OkButton, CancelButton;
};
TFileDialogLayout LayOutFileDialog(int width, int height, int lineHeight, TSize edit, TSize button);

// The path OK composes: the name put into the folder the path text gives. The text
// is that folder when it ends with '/' or names an existing folder (namesFolder);
// otherwise it is a path whose folder part is taken.
std::string ComposeDialogPath(const std::string& pathText, const std::string& name,
                              bool namesFolder);

} // namespace glimra
