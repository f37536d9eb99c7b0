#include "settings/ini_text.h"
#include "settings/settings_keys.h"

#include <benchmark/benchmark.h>

namespace {

using namespace glimra;

std::string WrittenFile(std::size_t modules) {
    std::vector<TModuleSetupData> list(modules);
    for (std::size_t i = 0; i < modules; ++i)
        list[i].FileName = "MODULE" + std::to_string(i) + ".SO";
    TIniFileWriter writer;
    WriteSettingsKeys(writer, DefaultSettings(1920, 1080), list);
    return writer.Text();
}

void ReadAll(benchmark::State& state, const std::string& text, std::size_t modules) {
    std::vector<TModuleSetupData> list(modules);
    for (std::size_t i = 0; i < modules; ++i)
        list[i].FileName = "MODULE" + std::to_string(i) + ".SO";
    for (auto _ : state) {
        TIniFileReader reader(text);
        TRegIniRec settings = DefaultSettings(1920, 1080);
        benchmark::DoNotOptimize(ReadSettingsKeys(reader, settings, list));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

// A file as the store writes it, with a few modules.
void BM_ReadWrittenFile(benchmark::State& state) {
    ReadAll(state, WrittenFile(8), 8);
}
BENCHMARK(BM_ReadWrittenFile);

// A hand-damaged file: one 10 MB line that every key lookup has to pass.
void BM_ReadFileWithHugeLine(benchmark::State& state) {
    std::string text = WrittenFile(8);
    text.insert(text.find("[Main]\r\n") + 8, std::string(10 << 20, 'x') + "\r\n");
    ReadAll(state, text, 8);
}
BENCHMARK(BM_ReadFileWithHugeLine)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
