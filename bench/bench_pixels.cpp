// Pixel passes next to a plain memcpy of the same bytes.
#include "graphics/bitmap_owner.h"
#include "graphics/brightness.h"
#include "graphics/cdib.h"
#include "graphics/glimra_button.h"
#include "graphics/ink_picture.h"
#include "graphics/live_shade.h"
#include "graphics/pixel_ops.h"
#include "memcpy_anchor.h"

#include <QApplication>
#include <QPainter>
#include <benchmark/benchmark.h>
#include <cstring>
#include <vector>

namespace glimra {
namespace {

void BM_AdjustBrightness(benchmark::State& state) {
    TCdib surface(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    surface.AvB = 1;
    surface.AvG = 2;
    surface.AvR = 3;
    std::memset(surface.Bits(), 0x80,
                static_cast<std::size_t>(surface.Stride()) * surface.Height());
    const std::size_t bytes = static_cast<std::size_t>(surface.Stride()) * surface.Height();
    Measure(state, bytes, [&] {
        surface.AdjustBrightness(2);
        benchmark::ClobberMemory();
    });
}
BENCHMARK(BM_AdjustBrightness)
    ->Args({1920, 1080})
    ->Args({3840, 2160})
    ->Unit(benchmark::kMicrosecond);

void BM_ShadeRect(benchmark::State& state) {
    TCdib bitmap(480, 350);
    std::memset(bitmap.Bits(), 0x80, static_cast<std::size_t>(bitmap.Stride()) * 350);
    const std::size_t bytes = static_cast<std::size_t>(bitmap.Stride()) * 350;
    Measure(state, bytes, [&] {
        ShadeRect(bitmap.View(), {0, 0, 480, 350}, 2, {1, 1, 1, false});
        benchmark::ClobberMemory();
    });
}
BENCHMARK(BM_ShadeRect)->Unit(benchmark::kMicrosecond);

// A window's picture converted for the screen, as every paint does.
void BM_CopyToXrgb(benchmark::State& state) {
    TCdib bitmap(480, 350);
    std::memset(bitmap.Bits(), 0x80, static_cast<std::size_t>(bitmap.Stride()) * 350);
    std::vector<std::uint8_t> screen(480 * 4 * 350);
    Measure(state, screen.size(), [&] {
        CopyToXrgb(bitmap.View(), {0, 0, 480, 350}, screen.data(), 480 * 4);
        benchmark::ClobberMemory();
    });
}
BENCHMARK(BM_CopyToXrgb)->Unit(benchmark::kMicrosecond);

// The same for the live look: a shade with white text on a fifth of the pixels.
void BM_CopyToPremultiplied(benchmark::State& state) {
    TCdib bitmap(480, 350);
    TLiveShade shade = LiveShade(2, {1, 1, 1, false});
    shade.AddInk(255, 255, 255);
    std::memset(bitmap.Bits(), 0, static_cast<std::size_t>(bitmap.Stride()) * 350);
    for (int y = 0; y < 350; y += 5)
        std::memset(bitmap.Bits() + y * bitmap.Stride(), 0xC0, 480 * 3);
    std::vector<std::uint8_t> screen(480 * 4 * 350);
    Measure(state, screen.size(), [&] {
        CopyToPremultiplied(bitmap.View(), {0, 0, 480, 350}, shade, nullptr, screen.data(),
                            480 * 4);
        benchmark::ClobberMemory();
    });
}
BENCHMARK(BM_CopyToPremultiplied)->Unit(benchmark::kMicrosecond);

class TBenchOwner : public QWidget, public TBitmapOwner {
public:
    TBenchOwner() : Bitmap(480, 350, QImage::Format_BGR888) {
        resize(480, 350);
        Bitmap.fill(QColor(40, 90, 160));
    }
    const QImage& OwnerBitmap() const override { return Bitmap; }
    QImage Bitmap;
};

// What a viewer window's redraw asks of each button: take the background,
// blend, compose.
void BM_ButtonUpdate(benchmark::State& state) {
    TBenchOwner owner;
    TGlimraButton button(&owner);
    button.setGeometry(24, 15, 75, 11);
    button.SetCaption(QStringLiteral("File"));
    const std::size_t bytes = static_cast<std::size_t>(button.width()) * 3 * button.height();
    Measure(state, bytes, [&] { button.UpdateBackground(owner.Bitmap); });
}
BENCHMARK(BM_ButtonUpdate)->Unit(benchmark::kNanosecond);

// The text of a 480 x 350 window: 21 drawn lines laid through their ink.
void BM_InkLines(benchmark::State& state) {
    QImage line(465, 15, QImage::Format_ARGB32_Premultiplied);
    line.fill(Qt::transparent);
    {
        QPainter painter(&line);
        QFont font;
        font.setPointSize(9);
        painter.setFont(font);
        painter.setPen(QColor(230, 230, 230));
        painter.drawText(0, 12,
                         QStringLiteral("ticker line 123: the quick brown fox jumps over "
                                        "the lazy dog"));
    }
    const TInkPicture ink(line.constBits(), line.width(), line.height(), line.bytesPerLine());
    TCdib window(480, 350);
    std::memset(window.Bits(), 0x80, static_cast<std::size_t>(window.Stride()) * 350);
    const std::size_t bytes = static_cast<std::size_t>(window.Stride()) * 350;
    TRowExtents drawn;
    Measure(state, bytes, [&] {
        drawn.Reset(350);
        for (int row = 0; row < 21; ++row)
            ink.BlendOnto(window.View(), 15, 30 + row * 15, &drawn);
        benchmark::ClobberMemory();
    });
    state.counters["ink_pixels"] = static_cast<double>(ink.Pixels()) * 21;
}
BENCHMARK(BM_InkLines)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace glimra

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
