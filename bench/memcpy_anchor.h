#pragma once
// A pass's speed beside a plain memcpy of the same bytes, measured in the same
// run: the ratio says how far the pass is from the memory bandwidth.
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstring>
#include <vector>

namespace glimra {

using BenchClock = std::chrono::steady_clock;

// Seconds per copy of the given number of bytes.
inline double MemcpySeconds(std::size_t bytes) {
    std::vector<char> from(bytes, 1), to(bytes);
    const int rounds = static_cast<int>(std::max<std::size_t>(1, (256u << 20) / bytes));
    const auto start = BenchClock::now();
    for (int i = 0; i < rounds; ++i) {
        std::memcpy(to.data(), from.data(), bytes);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    return std::chrono::duration<double>(BenchClock::now() - start).count() / rounds;
}

// Runs pass in the timed loop, then reports its speed beside memcpy's.
template <class Pass> void Measure(benchmark::State& state, std::size_t bytes, Pass&& pass) {
    const auto start = BenchClock::now();
    for (auto _ : state)
        pass();
    const double seconds =
        std::chrono::duration<double>(BenchClock::now() - start).count() / state.iterations();
    const double copy = MemcpySeconds(bytes);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
    state.counters["GB/s"] = bytes / seconds / 1e9;
    state.counters["memcpy_GB/s"] = bytes / copy / 1e9;
    state.counters["memcpy_ratio"] = seconds / copy;
}

} // namespace glimra
