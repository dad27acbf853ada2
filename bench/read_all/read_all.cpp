// read_all: reads every frame of a movie, decoded and corrected as the movie's data asks,
// into one buffer, and prints the seconds the reads took. The C++ reference of
// bench/python_read.py. A first, untimed pass brings the file into the page cache and
// the reader's buffers into memory, as a long-running process has them; the second
// pass is timed.
//
//   read_all MOVIE [--no-correction]
//
// Exit status: 0 read, 1 the movie or a frame cannot be read, 2 bad usage.

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "reader/MovieReader.h"

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3 || (argc == 3 && std::string(argv[2]) != "--no-correction")) {
        std::fprintf(stderr, "usage: read_all MOVIE [--no-correction]\n");
        return 2;
    }
    zel::CMovieReader reader;
    if (!reader.Open(argv[1], argc == 3 ? 0 : 1)) {
        std::fprintf(stderr, "read_all: %s: %s\n", argv[1], reader.OpenError().c_str());
        return 1;
    }
    const int64_t frameBytes = int64_t{reader.Parameters().width} * reader.Parameters().height * (reader.Parameters().bitDepth > 8 ? 2 : 1);
    std::vector<uint8_t> frame(static_cast<size_t>(frameBytes));

    const auto readAll = [&] {
        for (int n = 0; n < reader.Parameters().frameCount; ++n) {
            if (reader.ReadFrame(frame.data(), n, frameBytes) != frameBytes) {
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
