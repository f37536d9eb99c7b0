// The host's blends of a module bitmap onto a window's composition bitmap,
// next to a plain memcpy of the source's bytes.
#include "graphics/pixel_view.h"
#include "memcpy_anchor.h"
#include "modules/host_pixels.h"

#include <benchmark/benchmark.h>
#include <vector>

namespace glimra {
namespace {

// A composition bitmap of 640 × 480 and a source of the size asked, both
// patterned so neither blend branch is always taken.
struct TScene {
    TPixelBuffer Dst{640, 480};
    TPixelBuffer Src;
    std::vector<std::uint8_t> Mask;

    TScene(int width, int height, std::uint8_t maskByte) : Src(width, height) {
        Fill(Dst.View(), 37);
        Fill(Src.View(), 101);
        Mask.assign(static_cast<std::size_t>(MaskStride(width)) * height, maskByte);
    }
    static void Fill(TPixelView v, int step) {
        for (int y = 0; y < v.Height; ++y)
            for (int x = 0; x < v.Width * 3; ++x)
                v.Row(y)[x] = static_cast<std::uint8_t>((x + y) * step);
    }
    std::size_t Bytes() const {
        return static_cast<std::size_t>(DibStride(Src.GetWidth())) * Src.GetHeight();
    }
    TMaskView MaskView() const {
        return {Mask.data(), Src.GetWidth(), Src.GetHeight(), MaskStride(Src.GetWidth())};
    }
};

void BM_Blend(benchmark::State& state) {
    TScene scene(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)), 0xFF);
    const bool lighten = state.range(2) != 0;
    Measure(state, scene.Bytes(), [&] {
        Blend(scene.Dst.View(), 80, 60, scene.Src.View(), 0.4, lighten, false);
        benchmark::ClobberMemory();
    });
}
BENCHMARK(BM_Blend)
    ->ArgNames({"w", "h", "lighten"})
    ->Args({64, 64, 0})
    ->Args({480, 350, 0})
    ->Args({64, 64, 1})
    ->Args({480, 350, 1})
    ->Unit(benchmark::kMicrosecond);

// Mask byte 0xFF selects every pixel, 0x81 a quarter of them.
void BM_BlendMask(benchmark::State& state) {
    TScene scene(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)),
                 static_cast<std::uint8_t>(state.range(2)));
    Measure(state, scene.Bytes(), [&] {
        BlendMask(scene.Dst.View(), 80, 60, scene.Src.View(), scene.MaskView(), 0.4, false, false);
        benchmark::ClobberMemory();
    });
}
BENCHMARK(BM_BlendMask)
    ->ArgNames({"w", "h", "mask"})
    ->Args({64, 64, 0xFF})
    ->Args({480, 350, 0xFF})
    ->Args({64, 64, 0x81})
    ->Args({480, 350, 0x81})
    ->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace glimra

BENCHMARK_MAIN();
