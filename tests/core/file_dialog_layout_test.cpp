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

TEST(FileDialogLayout, OkPutsTheNameIntoTheFolderThePathGives) {
    const struct {
        const char* Path;
        bool NamesFolder; // the text names an existing folder
        const char* Composed;
    } cases[] = {
        {"/logs/", false, "/logs/app.log"},       // as the dialog opens
        {"/logs/old", true, "/logs/old/app.log"}, // a folder typed or dropped without '/'
        {"/logs/old/", false, "/logs/old/app.log"},
        {"/logs/app.log", false, "/logs/app.log"}, // a full path: its folder
        {"/logs/new", false, "/logs/app.log"},
        {"/", true, "/app.log"},
        {"", false, "/app.log"}, // nothing checked here: the writer fails
    };
    for (const auto& c : cases)
        EXPECT_EQ(ComposeDialogPath(c.Path, "app.log", c.NamesFolder), c.Composed) << c.Path;
}

} // namespace
} // namespace glimra
