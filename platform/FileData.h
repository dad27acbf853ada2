#pragma once
// How much of a stretch of a file is stored on disk, as opposed to holes of a sparse file
// (which read as zeros but were never written). A header can declare a frame of a
// gigabyte in a file of a few kilobytes made sparse to the size the header claims; the
// reader asks this before it allocates and reads a frame that large.

#include <cstdint>
#include <optional>
#include <string>

namespace zel::platform {

// The bytes of [offset, offset + length) of the file at path that are stored (not in a
// hole); nullopt when the system cannot tell (then assume all of them are).
std::optional<int64_t> FileStoredBytesIn(const std::string& path, int64_t offset, int64_t length);

}  // namespace zel::platform
