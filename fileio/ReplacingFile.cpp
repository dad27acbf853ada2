// ReplacingFile over the platform layer: a temporary file created beside the target
// (never opening an existing one) with the permissions of the file it replaces, plain
// writes, close, a rename onto the target, and removal of the temporary on every failure.

#include "fileio/ReplacingFile.h"

#include <optional>
#include <utility>

#include "platform/Process.h"

namespace zel {

namespace {

constexpr size_t kBufferSize = 64 * 1024;
constexpr int kNameAttempts = 100;

std::string Failure(const char* action, const std::string& target, const std::string& reason) {
    return std::string("cannot ") + action + " " + target + ": " + reason;
}

std::string Failure(const char* action, const std::string& target, const std::error_code& reason) {
    return Failure(action, target, reason.message());
}

bool Report(std::string* error, std::string text) {
    if (error) *error = std::move(text);
    return false;
}

// A finished file can replace nothing but a file: a folder cannot be replaced, and a
// device, pipe or socket (also one behind a link) would be swapped for a plain file.
// Anything the system cannot look at is left for the creation to report.
bool CheckTarget(const std::string& target, platform::PathKind kind, std::string* error) {
    switch (kind) {
        case platform::PathKind::Directory:
            return Report(error, Failure("create", target, std::make_error_code(std::errc::is_a_directory)));
        case platform::PathKind::Other:
            return Report(error, Failure("create", target, "not a regular file"));
        default:
            return true;
    }
}

// A file its owner may not write is not to be replaced, though the folder would allow it:
// the owner protected it on purpose, and rm and cp -i ask before going over it. Root is
// refused too, as root can always take the protection off first.
bool CheckWritable(const std::string& target, const platform::FilePermissions* permissions, std::string* error) {
    if (!permissions || !permissions->writeProtected) return true;
    return Report(error, Failure("write", target,
                                 "the file is write-protected (" + std::string(platform::WriteProtection()) + ")"));
}

// Creates a new temporary file beside `target`; an existing file is never opened, and a
// name in use (another writer, a crashed run) just moves on to the next number. The
// name extends the target's so a leftover is recognisable; when that makes the name too
// long for the file system, a short name in the same folder is used instead. The file
// takes the permissions of the file it is to replace, `like`, from the start, so that
// the bytes are never readable by more people than those of the file they replace.
// Returns the failure of the last creation tried.
std::error_code CreateTemporary(platform::File& file, const std::string& target, const platform::FilePermissions* like,
                                const std::string& pid, std::string& temporary) {
    const size_t separator = target.find_last_of(platform::PathSeparators());
    const std::string folder = separator == std::string::npos ? std::string() : target.substr(0, separator + 1);
    const std::string stems[] = {target + ".partial-" + pid + "-", folder + ".zel-partial-" + pid + "-"};
    std::error_code failure;
    for (const std::string& stem : stems) {
        for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
            temporary = stem + std::to_string(attempt);
            failure = file.CreateNew(temporary, like);
            if (!failure) return failure;
            if (failure != std::errc::file_exists) break;
        }
        if (failure != std::errc::filename_too_long) return failure;
    }
    return failure;
}

}  // namespace

ReplacingFile::~ReplacingFile() { Abandon(); }

bool ReplacingFile::Create(const std::string& target, std::string* error) {
    Abandon();
    const platform::PathKind kind = platform::KindOfPath(target);
    if (!CheckTarget(target, kind, error)) return false;
    // A target that is not there has no permissions to pass on (one look-up less per file
    // of a conversion into a new folder).
    const std::optional<platform::FilePermissions> replaced =
        kind == platform::PathKind::Absent ? std::nullopt : platform::PermissionsOfPath(target);
    const platform::FilePermissions* like = replaced ? &*replaced : nullptr;
    if (!CheckWritable(target, like, error)) return false;
    if (processId_.empty()) processId_ = std::to_string(platform::ProcessId());
    std::string temporary;
    if (const std::error_code failure = CreateTemporary(file_, target, like, processId_, temporary))
        return Report(error, Failure("create", target, failure));
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
    // Closing can report a deferred write error (e.g. on network file systems).
    std::string failure;
    if (const std::error_code closed = file_.Close()) {
        failure = Failure("write", target_, closed);
    } else if (const std::error_code renamed = platform::ReplaceFile(temporary_, target_)) {
        failure = Failure("create", target_, renamed);
    }
    if (!failure.empty()) platform::RemoveFile(temporary_);
    Reset();
    return failure.empty() || Report(error, std::move(failure));
}

void ReplacingFile::Abandon() {
    if (IsOpen()) {
        file_.Close();
        platform::RemoveFile(temporary_);
    }
    Reset();
}

bool ReplacingFile::Usable(std::string* error) const {
    if (!IsOpen()) return Report(error, "no file is open");
    if (!failure_.empty()) return Report(error, failure_);
    return true;
}

// Writes all `size` bytes; the first failure (a full disk, a file size limit, an I/O
// error) sticks.
bool ReplacingFile::WriteOut(const char* data, size_t size, std::string* error) {
    if (const std::error_code failure = file_.Write(data, size)) {
        failure_ = Failure("write", target_, failure);
        return Report(error, failure_);
    }
    return true;
}

void ReplacingFile::Reset() {
    file_.Close();
    target_.clear();
    temporary_.clear();
    buffer_ = std::string();  // gives the buffer's memory back
    failure_.clear();
}

}  // namespace zel
