// Speed of the imaging passes for a 1280 x 1024 frame, as x_memcpy: time per frame over
// one memcpy of the frame's 16-bit sample bytes (1280 x 1024 x 2) in the same run.
//
// BM_ImagingConvert: the display render (bottom-up, padded rows) of 10-bit samples at
//   depth 10 (gain 1; budget 3), 12-bit samples at depth 12, and 10-bit samples at
//   depth 8 (gain 4).
// BM_ImagingConvertRows: the depth-10 render row by row on one instruction set (argument
//   "target", see PinnedTarget.h).
// BM_ImagingFillTiff / BM_ImagingBuildTiff: the temporary image of the per-frame export,
//   8-bit output of 10-bit samples (layout code 258) and 16-bit output of an 8-bit movie
//   (513); Build includes allocating the block and writing the head, as each export does.
//   The 16-bit fill runs on every target.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include "MemcpyBaseline.h"
#include "PinnedTarget.h"
#include "imaging/DisplayBitmap.h"
#include "imaging/RowKernels.h"
#include "imaging/TiffImage.h"

namespace {

constexpr int kWidth = 1280;
constexpr int kRows = 1024;
constexpr size_t kSamples = static_cast<size_t>(kWidth) * kRows;
constexpr size_t kFrameBytes = kSamples * sizeof(uint16_t);

template <typename Sample>
std::vector<Sample> RandomSamples(unsigned bits) {
    std::vector<Sample> samples(kSamples);
    std::mt19937 random(20240611u);
    for (auto& v : samples) {
        v = static_cast<Sample>(random() & ((1u << bits) - 1u));
    }
    return samples;
}

void BM_ImagingConvert(benchmark::State& state, int sampleBits, int depth) {
    const auto samples = RandomSamples<uint16_t>(static_cast<unsigned>(sampleBits));
    std::vector<uint8_t> bitmap(kSamples);
    const zelbench::MemcpyRatio ratio(state, kFrameBytes);
    for (auto _ : state) {
        zel::ConvertSamplesTo8Bit(kRows, bitmap.data(), 2, depth, kWidth, samples.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK_CAPTURE(BM_ImagingConvert, bits10_depth10, 10, 10)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_ImagingConvert, bits12_depth12, 12, 12)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_ImagingConvert, bits10_depth8_gain4, 10, 8)->Unit(benchmark::kMicrosecond);

void BM_ImagingConvertRows(benchmark::State& state) {
    const zelbench::PinnedTarget pin(state, state.range(0));
    if (!pin) return;
    const auto samples = RandomSamples<uint16_t>(10);
    std::vector<uint8_t> bitmap(kSamples);
    const auto* source = reinterpret_cast<const uint8_t*>(samples.data());
    const zelbench::MemcpyRatio ratio(state, kFrameBytes);
    for (auto _ : state) {
        for (int row = 0; row < kRows; ++row) {
            zel::detail::ConvertRow16(bitmap.data() + (kRows - 1 - row) * kWidth,
                                      source + static_cast<size_t>(row) * kWidth * 2, kWidth, 2, 0);
        }
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ImagingConvertRows)
    ->ArgName("target")
    ->DenseRange(0, zelbench::kTargetArgs - 1)
    ->Unit(benchmark::kMicrosecond);

void BM_ImagingFillTiff8From10Bit(benchmark::State& state) {
    const auto samples = RandomSamples<uint16_t>(10);
    std::vector<uint8_t> pixels(kSamples);
    const zelbench::MemcpyRatio ratio(state, kFrameBytes);
    for (auto _ : state) {
        zel::FillTiffImage(kRows, 8 * 32 + 2, 10, pixels.data(), kWidth, samples.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ImagingFillTiff8From10Bit)->Unit(benchmark::kMicrosecond);

void BM_ImagingFillTiff16From8Bit(benchmark::State& state) {
    const zelbench::PinnedTarget pin(state, state.range(0));
    if (!pin) return;
    const auto samples = RandomSamples<uint8_t>(8);
    std::vector<uint8_t> pixels(kFrameBytes);
    const zelbench::MemcpyRatio ratio(state, kFrameBytes);
    for (auto _ : state) {
        zel::FillTiffImage(kRows, 16 * 32 + 1, 8, pixels.data(), kWidth, samples.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ImagingFillTiff16From8Bit)
    ->ArgName("target")
    ->DenseRange(0, zelbench::kTargetArgs - 1)
    ->Unit(benchmark::kMicrosecond);

void BuildTiff(benchmark::State& state, int layoutCode, int sourceBits, const void* samples) {
    const zelbench::MemcpyRatio ratio(state, kFrameBytes);
    for (auto _ : state) {
        zel::ImageBuffer image;  // the export's temporary image, built and freed per frame
        benchmark::DoNotOptimize(zel::BuildTiffImage(kRows, image, layoutCode, sourceBits, kWidth, samples));
        benchmark::ClobberMemory();
        zel::FreeImageBuffer(image);
    }
}

void BM_ImagingBuildTiff8From10Bit(benchmark::State& state) {
    const auto samples = RandomSamples<uint16_t>(10);
    BuildTiff(state, 8 * 32 + 2, 10, samples.data());
}
BENCHMARK(BM_ImagingBuildTiff8From10Bit)->Unit(benchmark::kMicrosecond);

void BM_ImagingBuildTiff16From8Bit(benchmark::State& state) {
    const auto samples = RandomSamples<uint8_t>(8);
    BuildTiff(state, 16 * 32 + 1, 8, samples.data());
}
BENCHMARK(BM_ImagingBuildTiff16From8Bit)->Unit(benchmark::kMicrosecond);

}  // namespace
