// A window over a large log: how long reading, wrapping and scrolling take, and how much
// memory the process needs at its peak.
#include "platform/file_access.h"
#include "viewer/line_store.h"

#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QString>
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <unistd.h>

namespace {

using namespace glimra;

constexpr std::size_t LogLines = 1'000'000;
constexpr std::size_t LogBytes = 100'000'000;
constexpr int TextWidth = 480; // the default window's text area, in pixels
constexpr std::size_t ScreenLines = 40;

std::string LogPath;

// Lines of a busy service: timestamp, level, message, with a Japanese message now
// and then; padded so the file comes to LogBytes over LogLines. Written in pieces, so
// making the file does not count towards the peak memory.
void WriteLogLines(std::ofstream& out) {
    static const char* const Levels[] = {"INFO ", "INFO ", "DEBUG", "WARN ", "ERROR"};
    static const char* const Messages[] = {
        "GET /api/orders 200 in 12ms from 192.168.3.17",
        "query finished, 214 rows, plan cached",
        "session opened for user fumiko",
        "ファイルを保存しました。次の処理を待っています",
        "job nightly-report step 3/5 done, next run scheduled",
    };
    std::mt19937 random(7);
    std::string text;
    const std::size_t average = LogBytes / LogLines - 1;
    char head[64];
    for (std::size_t i = 0; i < LogLines; ++i) {
        std::size_t start = text.size();
        std::snprintf(head, sizeof head, "2024-05-01 %02zu:%02zu:%02zu.%03zu %s [%07zu] ",
                      i / 360000 % 24, i / 6000 % 60, i / 100 % 60, i % 1000, Levels[random() % 5],
                      i);
        text += head;
        text += Messages[random() % 5];
        // Lengths vary around the average; the padding is words, so wrapping has blanks.
        std::size_t target = average - 30 + random() % 61;
        if (text.size() - start < target) {
            while (text.size() - start < target)
                text += " detail";
            text.resize(start + target); // cuts padding only, never a character
        }
        text += '\n';
        if (text.size() > (1 << 20)) {
            out << text;
            text.clear();
        }
    }
    out << text;
}

void WriteLog() {
    char path[] = "/tmp/glimra_bench_log_XXXXXX";
    int fd = mkstemp(path);
    if (fd < 0) {
        std::perror("mkstemp");
        std::exit(1);
    }
    close(fd);
    LogPath = path;
    std::ofstream out(LogPath, std::ios::binary);
    WriteLogLines(out);
}

std::string ReadLog() {
    std::string bytes;
    if (ReadWholeFile(LogPath, bytes) != TReadResult::Ok) {
        std::fprintf(stderr, "cannot read %s\n", LogPath.c_str());
        std::exit(1);
    }
    return bytes;
}

void CountPeakMemory(benchmark::State& state) {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}

int FixedWidth(char32_t c) {
    return c < 0x1100 ? 7 : 14; // wide for CJK, as a monospaced font draws them
}

TCharWidth FontWidth() {
    auto metrics = std::make_shared<QFontMetrics>(QFont(QStringLiteral("IPAGothic"), 10));
    return [metrics](char32_t c) { return metrics->horizontalAdvance(QString::fromUcs4(&c, 1)); };
}

// The store every later benchmark works on, read once.
TLineStore& Store() {
    static TLineStore store;
    static bool loaded = store.SetText(ReadLog());
    (void)loaded;
    return store;
}

void BM_ReadAndSetText(benchmark::State& state) {
    for (auto _ : state) {
        TLineStore store;
        store.SetText(ReadLog());
        benchmark::DoNotOptimize(store.LineCount());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * LogBytes));
    CountPeakMemory(state);
}
BENCHMARK(BM_ReadAndSetText)->Unit(benchmark::kMillisecond)->Iterations(3);

// Arg 0: a fixed width per character; 1: the advances of a real font.
void BM_WrapAndCount(benchmark::State& state) {
    TLineStore& store = Store();
    TCharWidth width = state.range(0) == 0 ? TCharWidth(FixedWidth) : FontWidth();
    for (auto _ : state) {
        store.SetWrap(true, TextWidth, width);
        while (store.WrapSome(1 << 20)) {
        } // the worker's part, here on one thread
        benchmark::DoNotOptimize(store.DisplayLineCount());
    }
    state.counters["display_lines"] = static_cast<double>(store.DisplayLineCount());
    CountPeakMemory(state);
}
BENCHMARK(BM_WrapAndCount)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(2);

// A screenful at a random place, as a jump of the scroll bar asks for it.
// Arg 0: unwrapped; 1: wrapped (counted beforehand, as the window does on load).
void BM_FetchScreenful(benchmark::State& state) {
    TLineStore& store = Store();
    store.SetWrap(state.range(0) != 0, TextWidth, FixedWidth);
    while (store.WrapSome(1 << 20)) {
    }
    const std::size_t count = store.DisplayLineCount();
    std::mt19937_64 random(11);
    for (auto _ : state) {
        std::size_t top = random() % (count - ScreenLines);
        for (std::size_t i = top; i < top + ScreenLines; ++i)
            benchmark::DoNotOptimize(store.DisplayLine(i));
    }
    CountPeakMemory(state);
}
BENCHMARK(BM_FetchScreenful)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv); // font metrics need one
    WriteLog();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove(LogPath);
    return 0;
}
