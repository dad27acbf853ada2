// Feeds arbitrary bytes to the movie reader as a file: open with and without
// correction, then read a few frames with whole and partial buffers.

#include <sys/mman.h>
#include <unistd.h>

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
    const int64_t sampleBytes = static_cast<int64_t>(reader.pixelCount) * ((reader.bitDepth + 7) / 8);
    if (sampleBytes > kMaxFuzzFrameBytes) return;
    std::vector<uint16_t> buffer(static_cast<size_t>(sampleBytes / 2 + 1));
    const int last = reader.frameCount - 1;
    for (const int n : {0, 1, 0, last, 2}) reader.ReadFrame(buffer.data(), n, sampleBytes);
    // A buffer for only some rows.
    reader.ReadFrame(buffer.data(), 0, static_cast<int64_t>(reader.width) * 2 * 5);
    reader.ForceSeekFrame(0);
    reader.ReadFrame(buffer.data(), 1, sampleBytes);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const int fd = memfd_create("zel-fuzz", 0);
    if (fd < 0) return 0;
    size_t written = 0;
    while (written < size) {
        const ssize_t n = write(fd, data + written, size - written);
        if (n <= 0) break;
        written += static_cast<size_t>(n);
    }
    const std::string path = "/proc/self/fd/" + std::to_string(fd);
    Exercise(path, 1);
    Exercise(path, 0);
    close(fd);
    return 0;
}
