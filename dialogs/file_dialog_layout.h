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

// The path OK composes: the folder text names the folder, with or without a trailing
// '/', and the name is put inside it.
std::string ComposeDialogPath(const std::string& folderText, const std::string& name);

} // namespace glimra
