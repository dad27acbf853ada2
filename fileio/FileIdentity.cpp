#include "fileio/FileIdentity.h"

#include <sys/stat.h>

namespace zel {

namespace {

FileIdentity IdentityOf(const struct stat& st) {
    return {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
}

}  // namespace

std::optional<FileIdentity> IdentityOfPath(const std::string& path) {
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0) return std::nullopt;
    return IdentityOf(st);
}

std::optional<FileIdentity> IdentityOfDescriptor(int fd) {
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0) return std::nullopt;
    return IdentityOf(st);
}

}  // namespace zel
