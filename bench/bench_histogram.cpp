// The AOI histogram over a whole 1280 x 1024 frame, as the histogram window computes it
// for every frame of playback: 12-bit samples in 2 bytes (monochrome and colour mosaic),
// a flat frame (every sample in one bin, the worst case for counting), and 8-bit samples.
// The budget is 200 frames/s; the "frames/s" counter states the rate reached.

#include <benchmark/benchmark.h>

#include "RandomFrame.h"

#include <cstdint>
#include <random>
#include <vector>

#include "document/Histogram.h"

namespace {

constexpr int W = 1280, H = 1024;

using zelbench::RandomFrame;

template <typename Sample>
void RunWholeFrame(benchmark::State& state, const std::vector<Sample>& frame, int colorPattern, int bitDepth) {
    zel::AoiHistogram result;  // one result reused, as the window does
    const zel::FrameSamples samples{frame.data(), sizeof(Sample), W, H};
    for (auto _ : state) {
        benchmark::DoNotOptimize(zel::ComputeAoiHistogram({0, 0, W - 1, H - 1}, samples, colorPattern, bitDepth, result));
        benchmark::DoNotOptimize(result);
    }
    state.counters["frames/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * W * H * static_cast<int64_t>(sizeof(Sample)));
}

void BM_HistogramMono12(benchmark::State& state) { RunWholeFrame(state, RandomFrame<int16_t>(4095), 0, 12); }
void BM_HistogramColour12(benchmark::State& state) { RunWholeFrame(state, RandomFrame<int16_t>(4095), 2, 12); }
void BM_HistogramFlat12(benchmark::State& state) {
    RunWholeFrame(state, std::vector<int16_t>(size_t{W} * H, 64), 0, 12);
}
void BM_HistogramMono8(benchmark::State& state) { RunWholeFrame(state, RandomFrame<uint8_t>(255), 0, 8); }

BENCHMARK(BM_HistogramMono12)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HistogramColour12)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HistogramFlat12)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HistogramMono8)->Unit(benchmark::kMillisecond);

}  // namespace
