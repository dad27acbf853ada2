#pragma once
// Benchmarks report their time as a ratio to memcpy of the same frame's 16-bit sample
// bytes, measured in the same run right after the benchmark's own loop, so the figures
// hold across machines.
//
//   const zelbench::MemcpyRatio ratio(state, bytes);  // just before the loop
//   for (auto _ : state) { ... }
//
// adds the counter "x_memcpy": time per iteration / time of one memcpy of `bytes`.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <vector>

namespace zelbench {

// Seconds for one memcpy of `bytes` between warm buffers: the fastest of repeated
// copies, so that the ratios err on the strict side.
inline double MemcpySeconds(size_t bytes) {
    std::vector<uint8_t> from(bytes, 1), to(bytes, 0);
    for (int i = 0; i < 32; ++i) std::memcpy(to.data(), from.data(), bytes);  // warm caches, pages, clock
    double best = 1e9;
    for (int i = 0; i < 64; ++i) {
        const auto start = std::chrono::steady_clock::now();
        std::memcpy(to.data(), from.data(), bytes);
        benchmark::ClobberMemory();
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

class MemcpyRatio {
public:
    MemcpyRatio(benchmark::State& state, size_t bytes)
        : state_(state), bytes_(bytes), start_(std::chrono::steady_clock::now()) {}
    ~MemcpyRatio() {
        if (state_.iterations() == 0) return;
        const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
        const double perIteration = elapsed / static_cast<double>(state_.iterations());
        state_.counters["x_memcpy"] = perIteration / MemcpySeconds(bytes_);
    }
    MemcpyRatio(const MemcpyRatio&) = delete;
    MemcpyRatio& operator=(const MemcpyRatio&) = delete;

private:
    benchmark::State& state_;
    size_t bytes_;
    std::chrono::steady_clock::time_point start_;
};

}  // namespace zelbench
