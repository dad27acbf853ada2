// The POSIX calls behind ReplacingFile: a temporary file made with O_EXCL beside the
// target, plain write() calls, close(), rename() and unlink().

#include "fileio/ReplacingFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <system_error>
#include <utility>

namespace zel {

namespace {

constexpr size_t kBufferSize = 64 * 1024;
constexpr int kNameAttempts = 100;

std::string Failure(const char* action, const std::string& target, const std::string& reason) {
    return std::string("cannot ") + action + " " + target + ": " + reason;
}

std::string Failure(const char* action, const std::string& target, int errorNumber) {
    return Failure(action, target, std::generic_category().message(errorNumber));
}

bool Report(std::string* error, std::string text) {
    if (error) *error = std::move(text);
    return false;
}

// A finished file can replace nothing but a file: a folder cannot be replaced, and a
// device, pipe or socket (also one behind a link) would be swapped for a plain file.
// Anything stat() cannot see is left for the creation to report.
bool CheckTarget(const std::string& target, std::string* error) {
    struct stat status {};
    if (::stat(target.c_str(), &status) != 0 || S_ISREG(status.st_mode)) return true;
    if (S_ISDIR(status.st_mode)) return Report(error, Failure("create", target, EISDIR));
    return Report(error, Failure("create", target, "not a regular file"));
}

// Creates a new temporary file beside `target`; O_EXCL never opens someone else's file,
// and a name in use (another writer, a crashed run) just moves on to the next number.
// The name extends the target's so a leftover is recognisable; when that makes the name
// too long for the file system, a short name in the same folder is used instead.
// Returns the descriptor, or -1 with errno set by the failing open().
int CreateTemporary(const std::string& target, std::string& temporary) {
    const std::string pid = std::to_string(::getpid());
    const size_t slash = target.find_last_of('/');
    const std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    const std::string stems[] = {target + ".partial-" + pid + "-", folder + ".zel-partial-" + pid + "-"};
    for (const std::string& stem : stems) {
        for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
            temporary = stem + std::to_string(attempt);
            int descriptor;
            do {
                descriptor = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            } while (descriptor < 0 && errno == EINTR);
            if (descriptor >= 0) return descriptor;
            if (errno != EEXIST) break;
        }
        if (errno != ENAMETOOLONG) return -1;
    }
    return -1;
}

}  // namespace

ReplacingFile::~ReplacingFile() { Abandon(); }

bool ReplacingFile::Create(const std::string& target, std::string* error) {
    Abandon();
    if (!CheckTarget(target, error)) return false;
    std::string temporary;
    const int descriptor = CreateTemporary(target, temporary);
    if (descriptor < 0) return Report(error, Failure("create", target, errno));
    descriptor_ = descriptor;
    target_ = target;
    temporary_ = std::move(temporary);
    buffer_.reserve(kBufferSize);
    return true;
}

bool ReplacingFile::Write(const void* data, size_t size, std::string* error) {
    if (!Usable(error)) return false;
    if (size == 0) return true;
    const char* bytes = static_cast<const char*>(data);
    if (buffer_.size() + size > kBufferSize) {
        if (!Flush(error)) return false;
        if (size >= kBufferSize) return WriteOut(bytes, size, error);  // no point copying it first
    }
    buffer_.append(bytes, size);
    return true;
}

bool ReplacingFile::Flush(std::string* error) {
    if (!Usable(error)) return false;
    const bool written = WriteOut(buffer_.data(), buffer_.size(), error);
    buffer_.clear();
    return written;
}

bool ReplacingFile::Commit(std::string* error) {
    if (!Flush(error)) {
        Abandon();
        return false;
    }
    // close() can report a deferred write error (e.g. on network file systems).
    const int closed = ::close(descriptor_);
    const int closeError = errno;
    descriptor_ = -1;
    std::string failure;
    if (closed != 0) {
        failure = Failure("write", target_, closeError);
    } else if (std::rename(temporary_.c_str(), target_.c_str()) != 0) {
        failure = Failure("create", target_, errno);
    }
    if (!failure.empty()) ::unlink(temporary_.c_str());
    Reset();
    return failure.empty() || Report(error, std::move(failure));
}

void ReplacingFile::Abandon() {
    if (IsOpen()) {
        ::close(descriptor_);
        ::unlink(temporary_.c_str());
    }
    Reset();
}

bool ReplacingFile::Usable(std::string* error) const {
    if (!IsOpen()) return Report(error, "no file is open");
    if (!failure_.empty()) return Report(error, failure_);
    return true;
}

// Writes all `size` bytes, resuming after partial writes and interrupted calls.
bool ReplacingFile::WriteOut(const char* data, size_t size, std::string* error) {
    while (size > 0) {
        const ssize_t written = ::write(descriptor_, data, size);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {  // a full disk, a file size limit, an I/O error
            failure_ = Failure("write", target_, written < 0 ? errno : EIO);
            return Report(error, failure_);
        }
        data += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

void ReplacingFile::Reset() {
    descriptor_ = -1;
    target_.clear();
    temporary_.clear();
    buffer_ = std::string();  // gives the buffer's memory back
    failure_.clear();
}

}  // namespace zel
