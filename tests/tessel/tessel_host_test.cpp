// The built tessel.so loaded through the host's own loader into a real window.
#include "fake_window_host.h"
#include "gui_test_util.h"
#include "modules/rap.h"
#include "viewer/module_host.h"

#include <QColor>
#include <gtest/gtest.h>

#include <cstdlib>

namespace glimra {
namespace {

constexpr int Grey = 40;

// Within one step of rounding.
void ExpectNear(const QColor& got, int r, int g, int b, const char* what) {
    EXPECT_LE(std::abs(got.red() - r), 1) << what;
    EXPECT_LE(std::abs(got.green() - g), 1) << what;
    EXPECT_LE(std::abs(got.blue() - b), 1) << what;
}

// 70 % of c over 30 % of the grey background.
int Over(int c) {
    return (c * 7 + Grey * 3 + 5) / 10;
}

TEST(TesselInTheHost, GridAndStrokesBlendAtSeventyPercentOverTheWindow) {
    TTestFolder folder;
    TFakeWindowHost host;
    auto w = MakeWindow(host);
    std::string text = "abc\nend procedure;\n";
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
    // blended onto itself, which changes nothing.
    ExpectNear(at(7, 2), Over(64), Over(96), Over(128), "grid");
    ExpectNear(at(8, 2), Grey, Grey, Grey, "between the lines");
    ExpectNear(at(2, 3), Over(0), Over(0), Over(255), "blue stroke");
    ExpectNear(at(14, 3), Grey, Grey, Grey, "end point of the stroke");
    ExpectNear(at(8, 3), Over(255), Over(0), Over(0), "red mark");
    ExpectNear(at(64, 2), Grey, Grey, Grey, "outside the square");
    ExpectNear(at(-1, 2), Grey, Grey, Grey, "outside the square");

    // The first draw restarted the blink period; the next one shows the dot.
    w->WindowBitmap.fill(QColor(Grey, Grey, Grey));
    rap.Draw(instance, w->WindowDib());
    ExpectNear(at(56, 56), Over(255), Grey, Grey, "dot");

    // Hidden: not a pixel changes.
    w->WindowBitmap.fill(QColor(Grey, Grey, Grey));
    *rap.GetVisiblePtr(instance) = 0;
    rap.Draw(instance, w->WindowDib());
    ExpectNear(at(7, 2), Grey, Grey, Grey, "hidden");
    rap.FreeInstance(instance);
}

} // namespace
} // namespace glimra
