#pragma once
// Which file a path or an open file names: device and inode on POSIX, volume serial
// number and file index on Windows, so that hard links, symbolic links and different
// spellings of one path all compare equal. Used to refuse writing an output over the very
// file being read. Implemented by the platform layer (platform/PosixFiles.cpp,
// platform/WindowsFiles.cpp); an open file tells its own (platform::File::Identity).

#include <cstdint>
#include <optional>
#include <string>

namespace zel {

struct FileIdentity {
    uint64_t device = 0;
    uint64_t inode = 0;

    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

// The file a path names, following symbolic links; nullopt when nothing exists there.
std::optional<FileIdentity> IdentityOfPath(const std::string& path);

}  // namespace zel
