#include "reader/MovieFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zel {

MovieFile::~MovieFile() { Close(); }

bool MovieFile::Open(const std::string& path, std::string& error) {
    Close();
    // Non-blocking only for the open itself: opening a FIFO would otherwise wait for a
    // writer forever. Anything but a regular file is refused below.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        error = std::strerror(errno);
        ::close(fd);
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        error = S_ISDIR(st.st_mode) ? "is a directory" : "is not a regular file";
        ::close(fd);
        return false;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        error = std::strerror(errno);
        ::close(fd);
        return false;
    }
#ifdef POSIX_FADV_SEQUENTIAL
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
#endif
    fd_ = fd;
    size_ = st.st_size;
    seekCount_ = 0;
    return true;
}

void MovieFile::Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    size_ = 0;
}

int64_t MovieFile::Read(void* dest, size_t bytes) {
    if (fd_ < 0) return -1;
    auto* out = static_cast<char*>(dest);
    size_t done = 0;
    while (done < bytes) {
        const ssize_t got = ::read(fd_, out + done, bytes - done);
        if (got < 0) {
            if (errno == EINTR) continue;
            return -1;
        }
        if (got == 0) break;
        done += static_cast<size_t>(got);
    }
    return static_cast<int64_t>(done);
}

bool MovieFile::ReadAt(int64_t offset, void* dest, size_t bytes) const {
    if (fd_ < 0 || offset < 0) return false;
    auto* out = static_cast<char*>(dest);
    size_t done = 0;
    while (done < bytes) {
        const ssize_t got = ::pread(fd_, out + done, bytes - done, offset + static_cast<int64_t>(done));
        if (got < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (got == 0) return false;
        done += static_cast<size_t>(got);
    }
    return true;
}

bool MovieFile::Seek(int64_t offset) {
    if (fd_ < 0 || offset < 0) return false;
    ++seekCount_;
    return ::lseek(fd_, offset, SEEK_SET) == offset;
}

bool MovieFile::Skip(int64_t bytes) {
    if (fd_ < 0 || bytes < 0) return false;
    ++seekCount_;
    return ::lseek(fd_, bytes, SEEK_CUR) >= 0;
}

}  // namespace zel
