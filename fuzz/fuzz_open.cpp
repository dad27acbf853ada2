// Feeds arbitrary bytes to the movie reader as a file: open with and without
// correction, then read a few frames with whole and partial buffers.

#include "MemoryFile.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "reader/MovieReader.h"

namespace {

// Reading frames is bounded: the fuzzer should spend its time on the parser, not on
// decoding huge frames.
constexpr int64_t kMaxFuzzFrameBytes = 8 << 20;

void Exercise(const std::string& path, int applyCorrection) {
    zel::CMovieReader reader;
    if (!reader.Open(path, applyCorrection)) return;
    const int64_t sampleBytes = static_cast<int64_t>(reader.Parameters().pixelCount) * ((reader.Parameters().bitDepth + 7) / 8);
    if (sampleBytes > kMaxFuzzFrameBytes) return;
    std::vector<uint16_t> buffer(static_cast<size_t>(sampleBytes / 2 + 1));
    const int last = reader.Parameters().frameCount - 1;
    for (const int n : {0, 1, 0, last, 2}) reader.ReadFrame(buffer.data(), n, sampleBytes);
    // A buffer for only some rows.
    reader.ReadFrame(buffer.data(), 0, static_cast<int64_t>(reader.Parameters().width) * 2 * 5);
    reader.ForceSeekFrame(0);
    reader.ReadFrame(buffer.data(), 1, sampleBytes);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const MemoryFile file(data, size);
    if (!file.IsOpen()) return 0;
    Exercise(file.Path(), true);
    Exercise(file.Path(), false);
    return 0;
}
