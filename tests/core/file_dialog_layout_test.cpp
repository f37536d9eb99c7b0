#include "dialogs/file_dialog_layout.h"

#include <gtest/gtest.h>

namespace glimra {
namespace {

TEST(FileDialogLayout, EditsAndButtonsStackUpFromTheBottom) {
    // 480 × 240, 12-pixel lines, 23-pixel edits, buttons 75 × 11.
    const TFileDialogLayout l = LayOutFileDialog(480, 240, 12, {409, 23}, {75, 11});
    EXPECT_EQ(l.PathEdit, (TBounds{24, 240 - 24 - 11 - 46 - 40, 409, 23}));
    EXPECT_EQ(l.NameEdit, (TBounds{24, 119 + 23 + 12 + 10, 409, 23}));
    EXPECT_EQ(l.OkButton, (TBounds{280, 164 + 23 + 10, 75, 11}));
    EXPECT_EQ(l.CancelButton, (TBounds{360, 197, 75, 11}));
    // The dialog grows: the edits widen and everything follows the bottom edge.
    const TFileDialogLayout wide = LayOutFileDialog(600, 300, 12, {409, 23}, {75, 11});
    EXPECT_EQ(wide.PathEdit.Width, 529);
    EXPECT_EQ(wide.PathEdit.Top, 179);
    EXPECT_EQ(wide.OkButton.Left, 400);
}

TEST(FileDialogLayout, OkPutsTheNameIntoTheTypedFolder) {
    // As the dialog opens: the folder with its closing separator.
    EXPECT_EQ(ComposeDialogPath("/logs/", "app.log"), "/logs/app.log");
    // A folder typed (or dropped) without it is the same folder, not its parent with a
    // doubled separator.
    EXPECT_EQ(ComposeDialogPath("/logs/old", "app.log"), "/logs/old/app.log");
    EXPECT_EQ(ComposeDialogPath("/", "app.log"), "/app.log");
    // Nothing is checked here: an empty name or folder goes to the writer, which fails.
    EXPECT_EQ(ComposeDialogPath("/logs/", ""), "/logs/");
    EXPECT_EQ(ComposeDialogPath("", "app.log"), "/app.log");
}

} // namespace
} // namespace glimra
