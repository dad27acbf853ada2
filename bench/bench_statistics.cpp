// Region statistics over a whole 1280 x 1024 frame, monochrome and colour mosaic, with
// 2-byte and 1-byte samples. All ratios are against memcpy of the frame's 16-bit bytes
// (W x H x 2), so the 8-bit case shows its gain from reading half the bytes. Every
// benchmark runs on each instruction set (argument "target", see PinnedTarget.h).

#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include "MemcpyBaseline.h"
#include "PinnedTarget.h"
#include "RandomFrame.h"
#include "decode/AoiStatistics.h"

namespace {

constexpr int W = 1280, H = 1024;
constexpr size_t kSampleBytes = size_t{W} * H * 2;

using zelbench::RandomFrame;

template <typename Sample>
void RunWholeFrame(benchmark::State& state, int colorPattern, const zel::SampleRect& rect) {
    const zelbench::PinnedTarget pin(state, state.range(0));
    if (!pin) return;
    const std::vector<Sample> frame = RandomFrame<Sample>(sizeof(Sample) == 2 ? 4095 : 255);
    zel::AoiStatistics result;
    const zelbench::MemcpyRatio ratio(state, kSampleBytes);
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            zel::ComputeAoiStatistics(rect, frame.data(), sizeof(Sample), W, colorPattern, result));
        benchmark::DoNotOptimize(result);
    }
}

// The fuller figures (standard deviation, true extremes) over the same frame: the budget
// is 1.5 x the displayed figures' pass of the same layout.
template <typename Sample>
void RunWholeFrameSummary(benchmark::State& state, int colorPattern, const zel::SampleRect& rect) {
    const zelbench::PinnedTarget pin(state, state.range(0));
    if (!pin) return;
    const std::vector<Sample> frame = RandomFrame<Sample>(sizeof(Sample) == 2 ? 4095 : 255);
    zel::AoiSummary result;
    const zelbench::MemcpyRatio ratio(state, kSampleBytes);
    for (auto _ : state) {
        benchmark::DoNotOptimize(zel::SummariseAoi(rect, frame.data(), sizeof(Sample), W, colorPattern, result));
        benchmark::DoNotOptimize(result);
    }
}

constexpr zel::SampleRect kWholeFrame{0, 0, W - 1, H - 1};
// Odd corner and width: partial blocks at each row's end and the other mosaic phase.
constexpr zel::SampleRect kOddRect{1, 1, W - 4, H - 2};

void BM_AoiStatisticsMono16(benchmark::State& state) { RunWholeFrame<int16_t>(state, 0, kWholeFrame); }
void BM_AoiStatisticsColour16(benchmark::State& state) { RunWholeFrame<int16_t>(state, 2, kWholeFrame); }
void BM_AoiStatisticsColour16OddRect(benchmark::State& state) { RunWholeFrame<int16_t>(state, 2, kOddRect); }
void BM_AoiStatisticsMono8(benchmark::State& state) { RunWholeFrame<uint8_t>(state, 0, kWholeFrame); }
void BM_AoiStatisticsColour8(benchmark::State& state) { RunWholeFrame<uint8_t>(state, 5, kWholeFrame); }
void BM_AoiSummaryMono16(benchmark::State& state) { RunWholeFrameSummary<int16_t>(state, 0, kWholeFrame); }
void BM_AoiSummaryColour16(benchmark::State& state) { RunWholeFrameSummary<int16_t>(state, 2, kWholeFrame); }
void BM_AoiSummaryMono8(benchmark::State& state) { RunWholeFrameSummary<uint8_t>(state, 0, kWholeFrame); }

BENCHMARK(BM_AoiStatisticsMono16)->ArgName("target")->DenseRange(0, zelbench::kTargetArgs - 1);
BENCHMARK(BM_AoiStatisticsColour16)->ArgName("target")->DenseRange(0, zelbench::kTargetArgs - 1);
BENCHMARK(BM_AoiStatisticsColour16OddRect)->ArgName("target")->DenseRange(0, zelbench::kTargetArgs - 1);
BENCHMARK(BM_AoiStatisticsMono8)->ArgName("target")->DenseRange(0, zelbench::kTargetArgs - 1);
BENCHMARK(BM_AoiStatisticsColour8)->ArgName("target")->DenseRange(0, zelbench::kTargetArgs - 1);
BENCHMARK(BM_AoiSummaryMono16)->ArgName("target")->DenseRange(0, zelbench::kTargetArgs - 1);
BENCHMARK(BM_AoiSummaryColour16)->ArgName("target")->DenseRange(0, zelbench::kTargetArgs - 1);
BENCHMARK(BM_AoiSummaryMono8)->ArgName("target")->DenseRange(0, zelbench::kTargetArgs - 1);

}  // namespace
