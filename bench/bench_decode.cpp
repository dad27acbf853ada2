// Frame decoding speed for a 1280 x 1024 frame of every stored layout, as a ratio
// to memcpy of the decoded frame's bytes (1280 x 1024 x 2).
//
// BM_Decode times every decode of its loop, then runs as many memcpys of the frame's
// sample bytes back to back and times each of them too, so both are measured hot and
// in the same run. Counters:
//   x_memcpy      fastest decode / fastest memcpy (interference from other work on
//                 the machine only ever adds time, so the minima are the steadiest)
//   x_memcpy_med  median decode / median memcpy
//   budget        3: decode and gain correction together, on the best target
// Arguments: format; target, the index of the instruction set among those this processor
// runs (0 is the best, the label names it; the last is the slowest, e.g. the scalar
// fallback); correct, 1 to apply a gain correction (kind 6) to each band of rows as the
// decoder finishes it, as the reader does, 0 for the decode alone.
// BM_MemcpyDecodedFrame is the plain memcpy loop on its own, for reference.
//
// Run: zel_bench --benchmark_filter="BM_Decode|BM_MemcpyDecodedFrame"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <random>
#include <vector>

#include "decode/DecodeFrame.h"
#include "reader/CorrectionPass.h"
#include "PinnedTarget.h"

namespace {

constexpr int kWidth = 1280;
constexpr int kRows = 1024;
constexpr size_t kSamples = static_cast<size_t>(kWidth) * kRows;
constexpr size_t kFrameBytes = kSamples * sizeof(uint16_t);

using Clock = std::chrono::steady_clock;

double Nanos(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::nano>(to - from).count();
}

double Median(std::vector<double> v) {
    std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2), v.end());
    return v[v.size() / 2];
}

// Pseudo-random stored bytes, enough for any layout (at most 12 bits per sample).
const std::vector<uint8_t>& StoredBytes() {
    static const std::vector<uint8_t> bytes = [] {
        std::vector<uint8_t> b(kFrameBytes);
        std::mt19937 random(20240611u);
        for (auto& v : b) {
            v = static_cast<uint8_t>(random());
        }
        return b;
    }();
    return bytes;
}

void BM_MemcpyDecodedFrame(benchmark::State& state) {
    std::vector<uint8_t> src(kFrameBytes, 1);
    std::vector<uint8_t> dst(kFrameBytes, 2);
    for (auto _ : state) {
        std::memcpy(dst.data(), src.data(), kFrameBytes);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kFrameBytes));
}
BENCHMARK(BM_MemcpyDecodedFrame)->Unit(benchmark::kMicrosecond);

// Gain correction of each band of rows as the decoder finishes it (offsets and gains
// small and varied, as a camera's tables are).
struct GainBands final : zel::RowSink {
    uint16_t* samples;
    std::vector<int16_t> offsets = std::vector<int16_t>(kSamples);
    std::vector<int16_t> gains = std::vector<int16_t>(kSamples);
    explicit GainBands(uint16_t* s) : samples(s) {
        std::mt19937 random(7u);
        for (size_t i = 0; i < kSamples; ++i) {
            offsets[i] = static_cast<int16_t>(static_cast<int>(random() % 64) - 32);
            gains[i] = static_cast<int16_t>(480 + static_cast<int>(random() % 64));
        }
    }
    void RowsDone(int firstRow, int rows) override {
        for (int row = firstRow; row < firstRow + rows; ++row) {
            const size_t at = static_cast<size_t>(row) * kWidth;
            zel::GainCorrectRow(samples + at, offsets.data() + at, gains.data() + at, kWidth, 0, 4095, 16);
        }
    }
};

void BM_Decode(benchmark::State& state) {
    const int format = static_cast<int>(state.range(0));
    const zelbench::PinnedTarget pin(state, state.range(1));
    if (!pin) return;
    const std::vector<uint8_t>& bytes = StoredBytes();
    std::vector<uint16_t> out(kSamples, 0);
    GainBands correct(out.data());
    zel::RowSink* const sink = state.range(2) != 0 ? &correct : nullptr;
    std::vector<double> decodeNanos;
    for (auto _ : state) {
        const auto start = Clock::now();
        zel::DecodeFrame(bytes.data(), bytes.size(), kWidth, kRows, out.data(), format, sink);
        benchmark::ClobberMemory();
        decodeNanos.push_back(Nanos(start, Clock::now()));
        state.SetIterationTime(decodeNanos.back() * 1e-9);
    }
    std::vector<uint8_t> copySrc(kFrameBytes, 1);
    std::vector<uint8_t> copyDst(kFrameBytes, 2);
    std::vector<double> copyNanos;
    for (size_t i = 0; i < std::max<size_t>(decodeNanos.size(), 200); ++i) {
        const auto start = Clock::now();
        std::memcpy(copyDst.data(), copySrc.data(), kFrameBytes);
        benchmark::ClobberMemory();
        copyNanos.push_back(Nanos(start, Clock::now()));
    }
    state.counters["x_memcpy"] = *std::min_element(decodeNanos.begin(), decodeNanos.end()) /
                                 *std::min_element(copyNanos.begin(), copyNanos.end());
    state.counters["x_memcpy_med"] = Median(decodeNanos) / Median(copyNanos);
    state.counters["budget"] = 3;
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kFrameBytes));
}
BENCHMARK(BM_Decode)
    ->ArgNames({"format", "target", "correct"})
    ->ArgsProduct({{0, 1, 2, 3, 4, 5, 6}, {0, 1, 2, 3, 4}, {0, 1}})
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);

}  // namespace
