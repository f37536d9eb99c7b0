// The built tessel.so loaded through the host's own loader into a real window.
#include "fake_window_host.h"
#include "gui_test_util.h"
#include "modules/rap.h"
#include "viewer/module_host.h"

#include <QColor>
#include <gtest/gtest.h>

#include <cmath>

namespace glimra {
namespace {

constexpr int Grey = 40;

// The double 0.7 tessel passes, widened: these products of it are exact.
constexpr long double Alpha = 0.7;

// The table blend of s over d, and the masked blend rounded halves to even.
int Tabled(int d, int s) {
    return int(std::trunc((1 - Alpha) * d)) + int(std::trunc(Alpha * s));
}
int Masked(int d, int s) {
    return int(std::nearbyint((1 - Alpha) * d + Alpha * s));
}
// The work picture holds what lies under it, strokes and dot aside: the final blend
// mixes each byte with itself.
QColor Over(int r, int g, int b) {
    return QColor(Tabled(Grey, r), Tabled(Grey, g), Tabled(Grey, b));
}
QColor Itself(int r, int g, int b) {
    return QColor(Tabled(r, r), Tabled(g, g), Tabled(b, b));
}

TEST(TesselInTheHost, GridAndStrokesBlendAtSeventyPercentOverTheWindow) {
    TTestFolder folder;
    TFakeWindowHost host;
    auto w = MakeWindow(host);
    std::string text = "abc\nend procedure;\nstra\u00dfe procedure\nprocedure x\n";
    for (int i = 0; i < 40; ++i)
        text += "filler line\n";
    w->OpenFile(folder.Write("view.log", text));
    w->SetScrollPosition(0);

    TRap rap;
    ASSERT_TRUE(rap.LoadModule(GLIMRA_TESSEL_PATH)) << rap.LoadError();
    EXPECT_EQ(rap.GetSpec(), 258);
    EXPECT_EQ(rap.GetName(), "LINEBUFFER VIEW");
    rap.SetHostProcs(HostProcedures());
    void* instance = rap.CreateInstance(w.get());
    ASSERT_NE(instance, nullptr);
    EXPECT_EQ(*rap.GetWidthPtr(instance), 64);
    const int left = 20, top = 30;
    *rap.GetLeftPtr(instance) = left;
    *rap.GetTopPtr(instance) = top;

    w->WindowBitmap.fill(QColor(Grey, Grey, Grey));
    rap.Draw(instance, w->WindowDib());
    auto at = [&](int x, int y) { return w->WindowBitmap.pixelColor(left + x, top + y); };

    // A grid line between two strokes: the grid over the window, then that picture
    // blended onto itself.
    const QColor grey(Grey, Grey, Grey);
    const int gridR = Masked(Grey, 64), gridG = Masked(Grey, 96), gridB = Masked(Grey, 128);
    EXPECT_EQ(at(7, 2), Itself(gridR, gridG, gridB)) << "grid";
    EXPECT_EQ(at(8, 2), Itself(Grey, Grey, Grey)) << "between the lines";
    EXPECT_EQ(at(2, 3), Over(0, 0, 255)) << "blue stroke";
    EXPECT_EQ(at(2, 3), QColor(12, 12, 190)) << "blue stroke";
    EXPECT_EQ(at(14, 3), Itself(Grey, Grey, Grey)) << "end point of the stroke";
    EXPECT_EQ(at(5, 3), Over(255, 0, 0)) << "red mark of the word at 5";
    EXPECT_EQ(at(12, 3), Over(255, 0, 0)) << "red mark to 13";
    EXPECT_EQ(at(13, 3), QColor(Tabled(gridR, 255), Tabled(gridG, 0), Tabled(gridB, 0)))
        << "red mark over the grid";
    // An upper-cased sharp s stays one letter: the mark stays on its word.
    EXPECT_EQ(at(6, 5), Over(0, 0, 255)) << "before the word";
    EXPECT_EQ(at(8, 5), Over(255, 0, 0)) << "the word";
    // A word at the start of its line (drawn on a grid row) is marked from x = 1 to 9.
    const QColor redOnGrid(Tabled(gridR, 255), Tabled(gridG, 0), Tabled(gridB, 0));
    EXPECT_EQ(at(1, 7), redOnGrid) << "the word from its first letter";
    EXPECT_EQ(at(9, 7), redOnGrid) << "to its last";
    EXPECT_EQ(at(10, 7), QColor(Tabled(gridR, 0), Tabled(gridG, 0), Tabled(gridB, 255)))
        << "then the line's stroke";
    EXPECT_EQ(at(64, 2), grey) << "outside the square";
    EXPECT_EQ(at(-1, 2), grey) << "outside the square";

    // The first draw restarted the blink period; the next one shows the dot.
    w->WindowBitmap.fill(QColor(Grey, Grey, Grey));
    rap.Draw(instance, w->WindowDib());
    EXPECT_EQ(at(56, 56), Over(255, Grey, Grey)) << "dot";

    // Hidden: not a pixel changes.
    w->WindowBitmap.fill(QColor(Grey, Grey, Grey));
    *rap.GetVisiblePtr(instance) = 0;
    rap.Draw(instance, w->WindowDib());
    EXPECT_EQ(at(7, 2), grey) << "hidden";
    rap.FreeInstance(instance);
}

} // namespace
} // namespace glimra
