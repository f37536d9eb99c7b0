// What the host spends on a window's modules in one composition: DrawModules over
// eight loaded libraries whose instances are hidden and draw nothing, next to a
// memcpy of the window's 480 × 350 composition bitmap.
#include "graphics/pixel_view.h"
#include "memcpy_anchor.h"
#include "modules/module_set.h"
#include "platform/message_box.h"
#include "platform/settings_platform.h"
#include "settings/reg_work.h"
#include "viewer/module_host.h"

#include <QApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <filesystem>
#include <fstream>

namespace glimra {
namespace {

// Copies of the test module under eight names in a Module folder, and a store over it.
struct TEightModules {
    QTemporaryDir Dir;
    TQtSettingsFiles Files;
    TQtUserStore UserStore{Dir.path() + "/user.conf"};
    TScriptedMessageBoxes Boxes;
    std::unique_ptr<TRegWork> Store;
    TModuleSet Set{Boxes, HostProcedures()};
    std::vector<void*> Instances;

    TEightModules() {
        const std::filesystem::path folder = Dir.path().toStdString() + "/Module";
        std::filesystem::create_directories(folder);
        for (int i = 0; i < 8; ++i)
            std::filesystem::copy_file(GLIMRA_PAINTER_MODULE,
                                       folder / ("blank" + std::to_string(i) + ".so"));
        std::ofstream(Dir.path().toStdString() + "/GLIMRA4.INI")
            << "[SystemInfo]\r\nVersion= 0.1\r\n";
        Store = std::make_unique<TRegWork>(Dir.path().toStdString(), 1024, 768,
                                           TFontData{"DejaVu Sans", clWhite, 9},
                                           TRegWorkPlatform{Files, UserStore, Boxes, [] {}});
        Store->Load();
        Set.LoadModules(*Store);
        struct TSink : TModuleLocationSink {
            void AddLocation(void*, const std::string&, std::int32_t, std::uint8_t* visible,
                             std::int32_t*, std::int32_t*, std::int32_t*, std::int32_t*,
                             const char*) override {
                *visible = 0; // hidden: the module returns at once
            }
            void Normalize() override {}
        } sink;
        Set.CreateModuleInstances(
            nullptr, Instances, [](const std::string&) { return 0; }, sink);
    }
    ~TEightModules() { Set.FreeModuleInstances(nullptr, Instances); }
};

void BM_DrawModules(benchmark::State& state) {
    TEightModules modules;
    if (modules.Set.Count() != 8) {
        state.SkipWithError("the eight modules did not load");
        return;
    }
    TPixelBuffer bitmap(480, 350);
    TPixelView view = bitmap.View();
    GlimraDib dib{view.Width, view.Height, 24, static_cast<std::int32_t>(view.Stride), view.Bits};
    Measure(state, static_cast<std::size_t>(view.Stride) * view.Height,
            [&] { modules.Set.DrawModules(modules.Instances, dib); });
}
BENCHMARK(BM_DrawModules)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace glimra

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
