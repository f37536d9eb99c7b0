// What colour and alert rules cost: matching appended bytes for alerts (as the alert
// thread does, each byte once) beside memcpy of the same bytes, with the first start's
// rules, with an alert rule added, and with an expression that backtracking engines
// cannot finish over a long line.
#include "memcpy_anchor.h"
#include "viewer/alert_lines.h"

#include <benchmark/benchmark.h>
#include <string>

namespace glimra {
namespace {

// 32 MB of log lines of about 100 bytes, one in a hundred an error.
const std::string& Log() {
    static const std::string text = [] {
        std::string out;
        for (int i = 0; out.size() < (32u << 20); ++i)
            out += "2026-12-10 01:23:45.678 [worker-" + std::to_string(i % 16) + "] " +
                   (i % 100 == 0 ? "ERROR" : "INFO") + " request " + std::to_string(i) +
                   " served in 12 ms from cache node 7\n";
        return out;
    }();
    return text;
}

void Feed(benchmark::State& state, const std::string& bytes, const TRuleSet& rules) {
    TAlertLines lines;
    std::size_t hits = 0;
    Measure(state, bytes.size(),
            [&] { lines.Feed(bytes, rules, [&](int, std::string_view) { ++hits; }); });
    benchmark::DoNotOptimize(hits);
}

void BM_AlertMatchDefaultRules(benchmark::State& state) {
    Feed(state, Log(), TRuleSet(DefaultColorRules()));
}
BENCHMARK(BM_AlertMatchDefaultRules)->Unit(benchmark::kMillisecond);

void BM_AlertMatchWithExpression(benchmark::State& state) {
    std::vector<TColorRule> rules = DefaultColorRules();
    rules[0].Alert = true;
    rules.push_back({"re:served in [0-9]{4,} ms", clAqua, true});
    Feed(state, Log(), TRuleSet(rules));
}
BENCHMARK(BM_AlertMatchWithExpression)->Unit(benchmark::kMillisecond);

void BM_AlertMatchTenMegabyteLine(benchmark::State& state) {
    const std::string line = std::string(10u << 20, 'a') + "b\n";
    Feed(state, line, TRuleSet({{"re:(a+)+$", clRed, true}}));
}
BENCHMARK(BM_AlertMatchTenMegabyteLine)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace glimra

BENCHMARK_MAIN();
