// Writing an in-memory TIFF image to disk so that the file name only ever shows a
// complete file: the bytes go to a temporary file next to the target, which is renamed
// onto the target once every byte is written and the file is closed. A failure at any
// step removes the temporary file; an existing file of the target name stays as it was.
//
// rename() replaces the target's directory entry, so a target that was a symbolic link
// or had other permissions is replaced by a new regular file made with the process's
// umask, as a newly created file would be.

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "imaging/TiffImage.h"

namespace zel {

namespace {

constexpr int kStripOffsetsTag = 273;
constexpr int kStripByteCountsTag = 279;
constexpr int kNameAttempts = 100;

// Creates a new temporary file beside `path`; O_EXCL never opens someone else's file,
// and a name in use (another writer, a crashed run) just moves on to the next number.
// The name extends the target's so a leftover is recognisable; when that makes the name
// too long for the file system, a short name in the same folder is used instead.
int CreateTemporary(const std::string& path, std::string& temporary) {
    const std::string pid = std::to_string(::getpid());
    const size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    const std::string stems[] = {path + ".partial-" + pid + "-", folder + ".zel-partial-" + pid + "-"};
    for (const std::string& stem : stems) {
        for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
            temporary = stem + std::to_string(attempt);
            int fd;
            do {
                fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            } while (fd < 0 && errno == EINTR);
            if (fd >= 0) {
                return fd;
            }
            if (errno != EEXIST) {
                break;
            }
        }
        if (errno != ENAMETOOLONG) {
            return -1;
        }
    }
    return -1;
}

// Writes all `size` bytes, resuming after partial writes and interrupted calls.
bool WriteAll(int fd, const uint8_t* data, size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;  // a full disk, a file size limit, an I/O error
        }
        data += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

}  // namespace

int WriteTiffFile(const ImageBuffer& buffer, const std::string& path) {
    const uint8_t* block = buffer.tiffBlock.get();
    if (block == nullptr || path.empty()) {
        return 0;
    }
    // The file is the strip's end: head plus pixels, as the directory says, and never
    // more than the block holds.
    const size_t blockSize = buffer.BlockSize();
    const int64_t offset = GetTiffTagValue(kStripOffsetsTag, block, blockSize);
    const int64_t count = GetTiffTagValue(kStripByteCountsTag, block, blockSize);
    if (offset <= 0 || count < 0 || static_cast<uint64_t>(offset) + static_cast<uint64_t>(count) > blockSize) {
        return 0;
    }
    const auto size = static_cast<size_t>(offset + count);

    std::string temporary;
    const int fd = CreateTemporary(path, temporary);
    if (fd < 0) {
        return 0;  // missing folder, no permission, name too long: nothing was created
    }
    const bool written = WriteAll(fd, block, size);
    // close() can report a deferred write error (e.g. on network file systems).
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || std::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return 0;
    }
    return 1;
}

}  // namespace zel
