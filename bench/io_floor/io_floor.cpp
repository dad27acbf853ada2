// The I/O floor of a conversion: what the file system alone costs for the bytes a
// conversion moves. Reads the movie sequentially in 4 MiB blocks and writes `files` files
// of `fileBytes` each into the folder (as a conversion writes its TIFF files: a new file
// per frame, written in one call), then prints the seconds taken. No decoding, no
// correction, no formatting: a conversion cannot be faster than this.
//
// "safe" writes each file as a conversion must, so that no reader ever sees half a file
// and a failure leaves none: created under a new temporary name beside the target
// (O_EXCL), written, closed, renamed onto the target. "plain" creates the target itself.
//
// Usage: io_floor MOVIE FOLDER FILES FILE_BYTES [plain|safe]

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

bool WriteAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written <= 0) return false;
        data += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5 && argc != 6) {
        std::fprintf(stderr, "usage: io_floor MOVIE FOLDER FILES FILE_BYTES [plain|safe]\n");
        return 2;
    }
    const bool safe = argc == 6 && std::string(argv[5]) == "safe";
    const std::string movie = argv[1], folder = argv[2];
    const long files = std::atol(argv[3]);
    const auto fileBytes = static_cast<size_t>(std::atoll(argv[4]));
    std::vector<char> block(size_t{4} << 20);
    const std::vector<char> payload(fileBytes, 0);

    const auto start = std::chrono::steady_clock::now();
    const int source = ::open(movie.c_str(), O_RDONLY | O_CLOEXEC);
    if (source < 0) {
        std::perror(movie.c_str());
        return 1;
    }
    // Reads and writes interleave as in a conversion: the movie's bytes are spread over
    // the files, so each file follows its share of the movie.
    const off_t movieBytes = ::lseek(source, 0, SEEK_END);
    ::lseek(source, 0, SEEK_SET);
    const off_t share = files > 0 ? movieBytes / files + 1 : movieBytes;
    for (long n = 0; n < files; ++n) {
        for (off_t done = 0; done < share;) {
            const ssize_t got = ::read(source, block.data(), std::min<size_t>(block.size(), static_cast<size_t>(share - done)));
            if (got <= 0) break;
            done += got;
        }
        char name[32];
        std::snprintf(name, sizeof name, "/floor_%06ld.tif", n);
        const std::string target = folder + name;
        const std::string written = safe ? target + ".partial" : target;
        const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (safe ? O_EXCL : O_TRUNC);
        const int out = ::open(written.c_str(), flags, 0666);
        if (out < 0 || !WriteAll(out, payload.data(), payload.size()) || ::close(out) != 0 ||
            (safe && ::rename(written.c_str(), target.c_str()) != 0)) {
            std::perror(target.c_str());
            return 1;
        }
    }
    ::close(source);
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    std::printf("%.6f\n", elapsed.count());
    return 0;
}
