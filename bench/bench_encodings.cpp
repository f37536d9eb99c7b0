// Reading a log in another encoding: how fast it is decoded to UTF-8 and its line starts
// found, block by block as the store will read it, beside memcpy of the same bytes.
#include "common/line_scanner.h"
#include "memcpy_anchor.h"
#include "platform/system_codecs.h"

#include <benchmark/benchmark.h>

namespace {

using namespace glimra;

constexpr std::size_t LogBytes = 32u << 20;
constexpr std::size_t Block = 1u << 20;

// A busy Japanese service log in encoding, about LogBytes long.
const std::string& Sample(TEncoding encoding) {
    static std::string samples[16];
    std::string& bytes = samples[static_cast<int>(encoding)];
    if (!bytes.empty())
        return bytes;
    auto encoder = SystemCodecs().Encoder(encoding);
    std::string line;
    for (std::size_t i = 0; bytes.size() < LogBytes; ++i) {
        line = "2024-05-01 12:00:" + std::to_string(i % 60) + " INFO [" + std::to_string(i) + "] " +
               (i % 3 ? "GET /api/orders 200 in 12ms from 192.168.3.17"
                      : "接続エラー: タイムアウト 30 秒、再接続しました") +
               "\r\n";
        encoder->Encode(line, bytes, nullptr);
    }
    return bytes;
}

void Decode(benchmark::State& state, TEncoding encoding) {
    const std::string& bytes = Sample(encoding);
    std::string out;
    out.reserve(bytes.size() * 2);
    Measure(state, bytes.size(), [&] {
        auto decoder = SystemCodecs().Decoder(encoding);
        out.clear();
        for (std::size_t at = 0; at < bytes.size(); at += Block)
            decoder->Decode(std::string_view(bytes).substr(at, Block), out);
        decoder->Finish(out);
        benchmark::DoNotOptimize(out.data());
    });
}

void FindLines(benchmark::State& state, TEncoding encoding) {
    const std::string& bytes = Sample(encoding);
    std::vector<std::uint64_t> starts;
    Measure(state, bytes.size(), [&] {
        TLineScanner scanner(encoding, 0);
        starts.clear();
        for (std::size_t at = 0; at < bytes.size(); at += Block)
            scanner.Feed(std::string_view(bytes).substr(at, Block), starts);
        benchmark::DoNotOptimize(starts.data());
    });
}

void Detect(benchmark::State& state, TEncoding encoding) {
    const std::string head = Sample(encoding).substr(0, DetectionBytes);
    Measure(state, head.size(),
            [&] { benchmark::DoNotOptimize(SystemCodecs().Detect(head, std::nullopt)); });
}

BENCHMARK_CAPTURE(Decode, CP932, TEncoding::Cp932)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Decode, EUC_JP, TEncoding::EucJp)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Decode, UTF16LE, TEncoding::Utf16Le)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FindLines, CP932, TEncoding::Cp932)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FindLines, UTF16LE, TEncoding::Utf16Le)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Detect, CP932, TEncoding::Cp932)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Detect, UTF16LE, TEncoding::Utf16Le)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
