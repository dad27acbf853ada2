// The file layer on POSIX: descriptors with open(), pread(), write(), rename() and
// unlink(), fchown() and fchmod() for a replacing file's permissions; 64-bit offsets
// (off_t is 64 bits on every system built for).

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/Files.h"

namespace zel {

namespace {

std::error_code LastError() { return {errno, std::generic_category()}; }

// Reads until `bytes` are in, the file ends or a read fails, retrying interrupted and
// partial reads; `readSome(at, count, done)` is one system read. The count read, or -1.
template <class ReadSome>
int64_t ReadFully(void* dest, size_t bytes, std::error_code& error, ReadSome readSome) {
    auto* out = static_cast<char*>(dest);
    size_t done = 0;
    while (done < bytes) {
        const ssize_t got = readSome(out + done, bytes - done, done);
        if (got < 0) {
            if (errno == EINTR) continue;
            error = LastError();
            return -1;
        }
        if (got == 0) break;
        done += static_cast<size_t>(got);
    }
    return static_cast<int64_t>(done);
}

FileIdentity IdentityOf(const struct stat& st) {
    return {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
}

// Gives the new file `fd` the owner, group and permission bits of the file it replaces.
// Only root may give a file away, so others keep it as their own; a writer who is not in
// the replaced file's group cannot give it that group either, and then the group class
// gets no more than everyone else has (the new group's members are not those the bits
// were meant for). Refusals are not failures: the file was created for its owner only,
// so whatever is not applied errs on the private side.
void TakePermissions(int fd, const platform::FilePermissions& like) {
    struct stat st {};
    if (::fstat(fd, &st) != 0) return;
    const auto owner = static_cast<uid_t>(like.owner);
    const auto group = static_cast<gid_t>(like.group);
    bool groupKept = st.st_gid == group;
    if (st.st_uid != owner || !groupKept) {
        groupKept = ::fchown(fd, owner, group) == 0 || ::fchown(fd, static_cast<uid_t>(-1), group) == 0;
    }
    mode_t mode = static_cast<mode_t>(like.mode) & 0777;
    if (!groupKept) mode = (mode & 0707) | ((mode & 07) << 3);
    ::fchmod(fd, mode);
}

}  // namespace

std::optional<FileIdentity> IdentityOfPath(const std::string& path) {
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0) return std::nullopt;
    return IdentityOf(st);
}

namespace platform {

std::string_view PathSeparators() { return "/"; }

PathKind KindOfPath(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return PathKind::Absent;
    if (S_ISREG(st.st_mode)) return PathKind::Regular;
    return S_ISDIR(st.st_mode) ? PathKind::Directory : PathKind::Other;
}

std::optional<FilePermissions> PermissionsOfPath(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return std::nullopt;
    FilePermissions permissions;
    permissions.writeProtected = (st.st_mode & S_IWUSR) == 0;
    permissions.mode = static_cast<uint32_t>(st.st_mode & 0777);
    permissions.owner = static_cast<uint32_t>(st.st_uid);
    permissions.group = static_cast<uint32_t>(st.st_gid);
    return permissions;
}

std::string_view WriteProtection() { return "no write permission for its owner"; }

std::error_code ReplaceFile(const std::string& from, const std::string& to) {
    return std::rename(from.c_str(), to.c_str()) == 0 ? std::error_code() : LastError();
}

std::error_code RemoveFile(const std::string& path) {
    return ::unlink(path.c_str()) == 0 ? std::error_code() : LastError();
}

File::~File() { Close(); }

std::error_code File::OpenForReading(const std::string& path) {
    Close();
    // Non-blocking only for the open itself: opening a FIFO would otherwise wait for a
    // writer forever. Anything but a regular file is refused below.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return LastError();
    struct stat st {};
    std::error_code failure;
    if (::fstat(fd, &st) != 0) {
        failure = LastError();
    } else if (!S_ISREG(st.st_mode)) {
        failure = S_ISDIR(st.st_mode) ? std::make_error_code(std::errc::is_a_directory) : NotRegularFile();
    } else {
        const int flags = ::fcntl(fd, F_GETFL);
        if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) failure = LastError();
    }
    if (failure) {
        ::close(fd);
        return failure;
    }
#ifdef POSIX_FADV_SEQUENTIAL
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
#endif
    native_ = fd;
    return {};
}

std::error_code File::CreateNew(const std::string& path, const FilePermissions* like) {
    Close();
    // 0666 is what the umask is there to trim for a new file. A file taking another's
    // permissions starts private instead: permissions are checked when a file is opened,
    // so one readable for a moment could be opened then and read from ever after.
    const mode_t mode = like ? 0600 : 0666;
    int fd;
    do {
        fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return LastError();
    if (like) TakePermissions(fd, *like);
    native_ = fd;
    return {};
}

std::error_code File::Close() {
    if (!IsOpen()) return {};
    // close() can report a deferred write error (e.g. on network file systems).
    const int closed = ::close(static_cast<int>(native_));
    const std::error_code failure = closed != 0 ? LastError() : std::error_code();
    native_ = kClosed;
    return failure;
}

int64_t File::Read(void* dest, size_t bytes, std::error_code& error) {
    if (!IsOpen()) {
        error = std::make_error_code(std::errc::bad_file_descriptor);
        return -1;
    }
    const int fd = static_cast<int>(native_);
    return ReadFully(dest, bytes, error, [fd](char* at, size_t count, size_t) { return ::read(fd, at, count); });
}

int64_t File::ReadAt(int64_t offset, void* dest, size_t bytes, std::error_code& error) const {
    if (!IsOpen() || offset < 0) {
        error = std::make_error_code(IsOpen() ? std::errc::invalid_argument : std::errc::bad_file_descriptor);
        return -1;
    }
    const int fd = static_cast<int>(native_);
    return ReadFully(dest, bytes, error, [fd, offset](char* at, size_t count, size_t done) {
        return ::pread(fd, at, count, offset + static_cast<int64_t>(done));
    });
}

bool File::Seek(int64_t offset) {
    return IsOpen() && offset >= 0 && ::lseek(static_cast<int>(native_), offset, SEEK_SET) == offset;
}

bool File::Skip(int64_t bytes) {
    return IsOpen() && bytes >= 0 && ::lseek(static_cast<int>(native_), bytes, SEEK_CUR) >= 0;
}

std::error_code File::Write(const void* data, size_t bytes) {
    if (!IsOpen()) return std::make_error_code(std::errc::bad_file_descriptor);
    const char* in = static_cast<const char*>(data);
    while (bytes > 0) {
        const ssize_t written = ::write(static_cast<int>(native_), in, bytes);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0)  // a full disk, a file size limit, an I/O error
            return written < 0 ? LastError() : std::make_error_code(std::errc::io_error);
        in += written;
        bytes -= static_cast<size_t>(written);
    }
    return {};
}

std::error_code File::WriteAt(int64_t offset, const void* data, size_t bytes) {
    if (!IsOpen()) return std::make_error_code(std::errc::bad_file_descriptor);
    if (offset < 0) return std::make_error_code(std::errc::invalid_argument);
    const char* in = static_cast<const char*>(data);
    while (bytes > 0) {
        const ssize_t written = ::pwrite(static_cast<int>(native_), in, bytes, offset);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return written < 0 ? LastError() : std::make_error_code(std::errc::io_error);
        in += written;
        bytes -= static_cast<size_t>(written);
        offset += written;
    }
    return {};
}

std::optional<int64_t> File::Size() const {
    struct stat st {};
    if (!IsOpen() || ::fstat(static_cast<int>(native_), &st) != 0) return std::nullopt;
    return static_cast<int64_t>(st.st_size);
}

std::optional<FileIdentity> File::Identity() const {
    struct stat st {};
    if (!IsOpen() || ::fstat(static_cast<int>(native_), &st) != 0) return std::nullopt;
    return IdentityOf(st);
}

}  // namespace platform
}  // namespace zel
