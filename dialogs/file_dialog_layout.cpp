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

std::string ComposeDialogPath(const std::string& pathText, const std::string& name,
                              bool namesFolder) {
    // A path names a file: its folder is everything before the last '/'.
    std::string folder = pathText;
    const auto slash = folder.rfind('/');
    if (!namesFolder)
        folder.resize(slash == std::string::npos ? 0 : slash + 1);
    if (folder.ends_with('/'))
        folder.pop_back();
    return folder + "/" + name;
}

} // namespace glimra
