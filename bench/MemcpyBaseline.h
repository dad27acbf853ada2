#pragma once
// Benchmarks report their time as a ratio to memcpy of the same frame's 16-bit sample
// bytes, measured in the same process, so the figures hold across machines.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <vector>

namespace zelbench {

// Seconds for one memcpy of `bytes` (median of repeated copies between warm buffers).
inline double MemcpySeconds(size_t bytes) {
    std::vector<uint8_t> from(bytes, 1), to(bytes, 0);
    std::vector<double> times;
    for (int i = 0; i < 60; ++i) {
        const auto start = std::chrono::steady_clock::now();
        std::memcpy(to.data(), from.data(), bytes);
        benchmark::ClobberMemory();
        times.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    std::nth_element(times.begin(), times.begin() + 30, times.end());
    return times[30];
}

// Adds the counter "x_memcpy": time per iteration divided by one memcpy of `bytes`.
inline void ReportMemcpyRatio(benchmark::State& state, size_t bytes) {
    static const double seconds = MemcpySeconds(bytes);
    state.counters["x_memcpy"] = benchmark::Counter(
        seconds, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

}  // namespace zelbench
