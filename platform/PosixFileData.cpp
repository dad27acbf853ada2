#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/FileData.h"

namespace zel::platform {

namespace {

// Beyond this many stored stretches the file is taken as stored: looking further would
// cost more than reading.
constexpr int kMaxExtents = 4096;

}  // namespace

std::optional<int64_t> FileStoredBytesIn(const std::string& path, int64_t offset, int64_t length) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return std::nullopt;
    const int64_t end = offset + length;
    int64_t stored = 0;
    std::optional<int64_t> result;
    for (int extent = 0; offset < end; ++extent) {
        if (extent == kMaxExtents) {
            result = length;
            break;
        }
        // SEEK_DATA: the first stored byte at or after offset (ENXIO: none up to the end);
        // SEEK_HOLE: where that stored stretch ends.
        const off_t data = ::lseek(fd, static_cast<off_t>(offset), SEEK_DATA);
        if (data < 0) {
            if (errno == ENXIO) result = stored;
            break;
        }
        if (data >= end) {
            result = stored;
            break;
        }
        const off_t hole = ::lseek(fd, data, SEEK_HOLE);
        if (hole < 0) break;
        stored += std::min<int64_t>(hole, end) - data;
        offset = hole;
        if (offset >= end) result = stored;
    }
    ::close(fd);
    return result;
}

}  // namespace zel::platform
