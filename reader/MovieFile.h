#pragma once
// The open movie file: a platform::File (64-bit offsets, a descriptor on POSIX and a
// HANDLE on Windows) owned for the reader's whole life. Every repositioning goes through
// Seek, which counts itself, so tests can prove that sequential frame reads never
// reposition the file.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <system_error>

#include "platform/FileIdentity.h"
#include "platform/Files.h"

namespace zel {

class MovieFile {
public:
    MovieFile() = default;
    ~MovieFile();
    MovieFile(const MovieFile&) = delete;
    MovieFile& operator=(const MovieFile&) = delete;

    // Opens read-only, sharing the file with other programs; on failure returns false and
    // fills `error` with the system's reason ("is a directory" and "is not a regular
    // file" for what is not a file) and `system` with the system's error.
    bool Open(const std::string& path, std::string& error, std::error_code& system);
    void Close();
    bool IsOpen() const { return file_.IsOpen(); }

    // Reads up to `bytes`, retrying interrupted and partial reads; returns the count
    // read (short at end of file) or -1 on a read error.
    int64_t Read(void* dest, size_t bytes);
    // Reads exactly `bytes` at absolute `offset`; false if the file is shorter.
    bool ReadAt(int64_t offset, void* dest, size_t bytes) const;  // leaves the position as it is
    bool Seek(int64_t offset);          // absolute
    bool Skip(int64_t bytes);           // relative, forward
    int64_t Size() const { return size_; }
    std::optional<FileIdentity> Identity() const { return file_.Identity(); }
    uint64_t SeekCount() const { return seekCount_; }

private:
    platform::File file_;
    int64_t size_ = 0;
    uint64_t seekCount_ = 0;
};

}  // namespace zel
