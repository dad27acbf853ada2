// read_all: reads every frame of a movie, decoded and corrected as the movie's data asks,
// and prints the seconds the reads took. The C++ reference of bench/python_read.py and
// bench/python_lazy.py. A first, untimed pass brings the file into the page cache and
// the reader's buffers into memory, as a long-running process has them; the second
// pass is timed.
//
// By default every frame goes into one frame buffer, which stays in the cache. With
// --one-array each pass reads the frames into one new array of them all, as movie[:]
// returns them: the timed pass then also pays for fresh pages and for writing every
// frame out to memory.
//
//   read_all MOVIE [--no-correction] [--one-array]
//
// Exit status: 0 read, 1 the movie or a frame cannot be read, 2 bad usage.

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

#include "reader/MovieReader.h"

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace {

// numpy asks Linux for huge pages behind every large array it makes; the one array is
// given the same, so that both pay the same for their fresh pages (with 4 KiB pages a
// virtual machine's page faults cost several times the decoding).
void LikeNumpysArray(uint8_t* data, int64_t bytes) {
#ifdef __linux__
    constexpr uintptr_t kPage = 4096;
    const uintptr_t begin = (reinterpret_cast<uintptr_t>(data) + kPage - 1) & ~(kPage - 1);
    const uintptr_t end = reinterpret_cast<uintptr_t>(data) + static_cast<uintptr_t>(bytes);
    if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#else
    (void)data, (void)bytes;
#endif
}

}  // namespace

int main(int argc, char** argv) {
    bool correction = true, oneArray = false, usage = argc < 2;
    for (int i = 2; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--no-correction") correction = false;
        else if (option == "--one-array") oneArray = true;
        else usage = true;
    }
    if (usage) {
        std::fprintf(stderr, "usage: read_all MOVIE [--no-correction] [--one-array]\n");
        return 2;
    }
    zel::CMovieReader reader;
    if (!reader.Open(argv[1], correction ? 1 : 0)) {
        std::fprintf(stderr, "read_all: %s: %s\n", argv[1], reader.OpenError().c_str());
        return 1;
    }
    const auto& params = reader.Parameters();
    const int frames = params.frameCount;
    const int64_t frameBytes = int64_t{params.width} * params.height * (params.bitDepth > 8 ? 2 : 1);
    const int64_t bufferBytes = oneArray ? frames * frameBytes : frameBytes;

    const auto readAll = [&] {
        // Not zeroed: the reads write every byte, as numpy.empty's array is not either.
        const auto buffer = std::make_unique_for_overwrite<uint8_t[]>(static_cast<size_t>(bufferBytes));
        if (oneArray) LikeNumpysArray(buffer.get(), bufferBytes);
        for (int n = 0; n < frames; ++n) {
            uint8_t* const target = buffer.get() + (oneArray ? n * frameBytes : 0);
            if (reader.ReadFrame(target, n, frameBytes) != frameBytes) {
                std::fprintf(stderr, "read_all: %s: frame %d cannot be read\n", argv[1], n);
                return false;
            }
        }
        return true;
    };
    if (!readAll()) return 1;
    const auto start = std::chrono::steady_clock::now();
    if (!readAll()) return 1;
    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
    std::printf("%.6f\n", seconds.count());
    return 0;
}
