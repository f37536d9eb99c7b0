// Cost of one check of the polling watch (used when inotify cannot watch the
// folder or the folder was lost): list and stat a folder, compare with the last.
// And cost of finding a followed file's stamp after a change in a big folder, by
// its exact name and by another spelling (the whole folder is read then).
#include "platform/dir_watch.h"
#include "platform/file_access.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

fs::path MakeFolder(int files) {
    const fs::path dir = fs::temp_directory_path() / ("glimra_bench_" + std::to_string(files));
    fs::remove_all(dir);
    fs::create_directories(dir);
    for (int i = 0; i < files; ++i)
        std::ofstream(dir / ("log" + std::to_string(i) + ".txt")) << "line " << i << "\n";
    return dir;
}

void BM_ScanAndCompare(benchmark::State& state) {
    const fs::path dir = MakeFolder(static_cast<int>(state.range(0)));
    glimra::TDirSnapshot last = glimra::ScanDirectory(dir.string(), false);
    for (auto _ : state) {
        glimra::TDirSnapshot next = glimra::ScanDirectory(dir.string(), false);
        benchmark::DoNotOptimize(glimra::SnapshotChanged(last, next, 31));
        last = std::move(next);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    fs::remove_all(dir);
}
BENCHMARK(BM_ScanAndCompare)->Arg(100)->Arg(2000)->Unit(benchmark::kMicrosecond);

void FindStamp(benchmark::State& state, const std::string& name) {
    const fs::path dir = MakeFolder(static_cast<int>(state.range(0)));
    const std::string path = (dir / name).string();
    for (auto _ : state)
        benchmark::DoNotOptimize(glimra::FindFileStamp(path));
    fs::remove_all(dir);
}

void BM_FindStampExactName(benchmark::State& state) {
    FindStamp(state, "log7.txt");
}
void BM_FindStampOtherSpelling(benchmark::State& state) {
    FindStamp(state, "LOG7.TXT");
}
BENCHMARK(BM_FindStampExactName)->Arg(30000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FindStampOtherSpelling)->Arg(30000)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
