#pragma once
// The fuzz input as a file: an anonymous in-memory file reached through /proc, so the
// reader opens it by path exactly as it opens a movie on disk.

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

class MemoryFile {
public:
    MemoryFile(const uint8_t* data, size_t size) : fd_(memfd_create("zel-fuzz", 0)) {
        size_t written = 0;
        while (fd_ >= 0 && written < size) {
            const ssize_t n = write(fd_, data + written, size - written);
            if (n <= 0) break;
            written += static_cast<size_t>(n);
        }
    }
    ~MemoryFile() {
        if (fd_ >= 0) close(fd_);
    }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    bool IsOpen() const { return fd_ >= 0; }
    std::string Path() const { return "/proc/self/fd/" + std::to_string(fd_); }

private:
    int fd_;
};
