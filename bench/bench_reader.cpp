// The correction passes and a whole sequential ReadFrame of a 1280 x 1024 10-bit movie
// with gain correction, read from the page cache. The correction passes run on each
// instruction set (argument "target", see PinnedTarget.h).

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "MemcpyBaseline.h"
#include "PinnedTarget.h"
#include "reader/CorrectionPass.h"
#include "reader/MovieReader.h"
#include "zelwriter/MovieWriter.h"

namespace {

constexpr int W = 1280, H = 1024;
constexpr size_t kSampleBytes = size_t{W} * H * 2;

struct Tables {
    std::vector<uint16_t> samples;
    std::vector<int16_t> offsets, gains;
    Tables() : samples(size_t{W} * H), offsets(samples.size()), gains(samples.size()) {
        std::mt19937 random(1);
        for (size_t i = 0; i < samples.size(); ++i) {
            samples[i] = static_cast<uint16_t>(random() % 1024);
            offsets[i] = static_cast<int16_t>(static_cast<int>(random() % 64) - 32);
            gains[i] = static_cast<int16_t>(480 + random() % 64);
        }
    }
};

void BM_Memcpy(benchmark::State& state) {
    std::vector<uint8_t> from(kSampleBytes, 1), to(kSampleBytes);
    const zelbench::MemcpyRatio ratio(state, kSampleBytes);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), kSampleBytes);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Memcpy);

void BM_OffsetCorrection(benchmark::State& state) {
    const zelbench::PinnedTarget pin(state, state.range(0));
    if (!pin) return;
    Tables t;
    std::vector<uint16_t> frame = t.samples;
    const zelbench::MemcpyRatio ratio(state, kSampleBytes);
    for (auto _ : state) {
        for (int y = 0; y < H; ++y)
            zel::OffsetCorrectRow(frame.data() + y * W, t.offsets.data() + y * W, W, 0, 1023);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_OffsetCorrection)->ArgName("target")->DenseRange(0, zelbench::kTargetArgs - 1);

void BM_GainCorrection(benchmark::State& state) {
    const zelbench::PinnedTarget pin(state, state.range(0));
    if (!pin) return;
    Tables t;
    std::vector<uint16_t> frame = t.samples;
    const zelbench::MemcpyRatio ratio(state, kSampleBytes);
    for (auto _ : state) {
        for (int y = 0; y < H; ++y)
            zel::GainCorrectRow(frame.data() + y * W, t.offsets.data() + y * W, t.gains.data() + y * W, W, 0, 1023,
                                32);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_GainCorrection)->ArgName("target")->DenseRange(0, zelbench::kTargetArgs - 1);

// A 10-bit raster movie (Arg: pixelFormat 0 or 6) with kind 9 correction, read in order
// round and round; the file is small enough to stay in the page cache.
void BM_ReadFrameSequentialGain(benchmark::State& state) {
    const int format = static_cast<int>(state.range(0));
    constexpr int kFrames = 24;
    const std::string path =
        (std::filesystem::temp_directory_path() / ("zelbench_" + std::to_string(::getpid()) + ".zel")).string();
    zelgen::MovieSpec spec = *zelgen::SpecForPixelFormat(format, true);
    spec.width = W;
    spec.height = H;
    spec.correction.kind = 9;
    spec.correction.width = W;
    spec.correction.height = H;
    Tables t;
    spec.correction.offsets = t.offsets;
    spec.correction.gains = t.gains;
    const auto source = [&](int n, uint16_t* out) {
        for (size_t i = 0; i < t.samples.size(); ++i) out[i] = static_cast<uint16_t>((t.samples[i] + n) & 1023);
    };
    std::string error;
    if (!zelgen::WriteMovie(path, spec, kFrames, source, &error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    zel::CMovieReader reader;
    if (!reader.Open(path, 1) || reader.Parameters().correctionKind != 9) {
        state.SkipWithError("cannot open the benchmark movie with correction");
        std::filesystem::remove(path);
        return;
    }
    std::vector<uint16_t> frame(size_t{W} * H);
    for (int n = 0; n < kFrames; ++n) reader.ReadFrame(frame.data(), n, static_cast<int64_t>(kSampleBytes));
    {
        int n = 0;
        const zelbench::MemcpyRatio ratio(state, kSampleBytes);
        for (auto _ : state) {
            if (reader.ReadFrame(frame.data(), n, static_cast<int64_t>(kSampleBytes)) == 0) {
                state.SkipWithError("frame read failed");
                break;
            }
            n = (n + 1) % kFrames;
        }
    }
    reader.Close();
    std::filesystem::remove(path);
}
BENCHMARK(BM_ReadFrameSequentialGain)->Arg(0)->Arg(6);

}  // namespace
