// Pixel passes next to a plain memcpy of the same bytes.
#include "graphics/bitmap_owner.h"
#include "graphics/brightness.h"
#include "graphics/cdib.h"
#include "graphics/glimra_button.h"
#include "memcpy_anchor.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <cstring>

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
