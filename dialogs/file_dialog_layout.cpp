#include "dialogs/file_dialog_layout.h"

namespace glimra {

TFileDialogLayout LayOutFileDialog(int width, int height, int lineHeight, TSize edit,
                                   TSize button) {
    TFileDialogLayout l;
    const int editWidth = width - 71;
    l.PathEdit = {24, height - 2 * lineHeight - button.Height - 2 * edit.Height - 40, editWidth,
                  edit.Height};
    l.NameEdit = {24, l.PathEdit.Top + edit.Height + lineHeight + 10, editWidth, edit.Height};
    const int buttonTop = l.NameEdit.Top + edit.Height + 10;
    l.OkButton = {width - 200, buttonTop, button.Width, button.Height};
    l.CancelButton = {width - 120, buttonTop, button.Width, button.Height};
    return l;
}

std::string ComposeDialogPath(const std::string& folderText, const std::string& name) {
    // A folder typed without its closing '/' is still that folder, not its parent.
    std::string folder = folderText;
    if (!folder.empty() && folder.back() == '/')
        folder.pop_back();
    return folder + "/" + name;
}

} // namespace glimra
