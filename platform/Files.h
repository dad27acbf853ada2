#pragma once
// The operating system's files behind one small interface, so that no other code calls
// POSIX or Windows directly. PosixFiles.cpp and WindowsFiles.cpp implement it; CMake
// compiles the one for the target system.
//
// Paths are UTF-8 everywhere. On POSIX they are handed to the system as they are; on
// Windows they are converted to UTF-16 and opened with the wide calls, and a path whose
// full form is too long for the classic 260-character limit is given in its "\\?\" form,
// so non-ASCII names and long paths both work.
//
// Failures are std::error_code values. Where the system's reason has a POSIX equivalent
// (a missing file, no permission, a full disk, a name in use, a name too long...) it is
// that errno value in std::generic_category(), so that both systems report it with the
// same code and words; other Windows reasons keep their code and the system's own text.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

#include "platform/FileIdentity.h"

namespace zel::platform {

// The characters that separate a path's components: '/' on POSIX, '/' and '\' on Windows.
std::string_view PathSeparators();

// What a path names, following symbolic links.
enum class PathKind {
    Absent,     // nothing the system could look at: missing, or unreachable
    Regular,    // a regular file
    Directory,  // a folder
    Other,      // a device, a pipe, a FIFO, a socket
};
PathKind KindOfPath(const std::string& path);

// The failure of a path that names something other than a regular file or a folder; its
// message is "not a regular file".
std::error_code NotRegularFile();

// What an existing file passes on to the file written to replace it, read through
// symbolic links: the file a link points to is the one whose rules a user set. The new
// file replaces the link itself (see ReplaceFile), but takes these.
struct FilePermissions {
    // Its owner may not write it: POSIX without the owner's write bit (whoever is
    // asking, root too, as rm and cp -i judge it), Windows with the read-only attribute.
    bool writeProtected = false;
    uint32_t mode = 0;   // POSIX: the permission bits (0777); Windows: the attributes kept
    uint32_t owner = 0;  // POSIX: user and group ids; unused on Windows
    uint32_t group = 0;
};
// The permissions of the file `path` names; nullopt when there is nothing to look at
// (missing, a link to nothing, unreachable).
std::optional<FilePermissions> PermissionsOfPath(const std::string& path);
// What write protection is on this system, in words for messages: "no write permission
// for its owner" on POSIX, "read-only" on Windows.
std::string_view WriteProtection();

// Renames `from` onto `to`, replacing a file of that name (rename() on POSIX,
// MoveFileExW with MOVEFILE_REPLACE_EXISTING on Windows, where a rename that a virus
// scanner or an indexer briefly blocks is tried again for a moment).
std::error_code ReplaceFile(const std::string& from, const std::string& to);
// Removes a file.
std::error_code RemoveFile(const std::string& path);

// An open file with 64-bit offsets, owned: closed by the destructor. It is opened either
// for reading (OpenForReading) or for writing and reading back what was written
// (CreateNew).
class File {
public:
    File() = default;
    ~File();
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    // Opens an existing regular file read-only, for reading mostly in order. Other
    // programs may go on reading, writing, renaming or removing the file meanwhile (on
    // Windows: every sharing mode), and it may be open in theirs. Never waits (a FIFO
    // without a writer is refused, not waited for). A folder gives
    // std::errc::is_a_directory, anything else that is not a regular file NotRegularFile().
    std::error_code OpenForReading(const std::string& path);
    // Creates a new, empty file for writing (and reading back); std::errc::file_exists
    // when the name is taken (an existing file is never opened),
    // std::errc::filename_too_long when the name is too long for the file system. Other
    // programs may read it meanwhile, as far as its permissions let them.
    //
    // Without `like` it has the permissions of any new file (POSIX: 0666 less the umask).
    // With `like` it takes those of the file it is to replace. POSIX: it is created
    // readable and writable by its owner only, so that nobody opens it before it has
    // them, then given like's owner and group as far as the system allows (a group that
    // cannot be given leaves the group the permissions of others, never more), then
    // like's permission bits. Windows: it is created with like's kept attributes. A file
    // system that holds no permissions (FAT) keeps its own; that is not a failure.
    std::error_code CreateNew(const std::string& path, const FilePermissions* like = nullptr);
    // Closes the file, reporting a write error the system deferred until now. Harmless
    // when closed.
    std::error_code Close();
    bool IsOpen() const { return native_ != kClosed; }

    // Reads up to `bytes` at the position and advances it, retrying interrupted and
    // partial reads; returns the count read (short only at the end of the file), or -1
    // with `error` set.
    int64_t Read(void* dest, size_t bytes, std::error_code& error);
    // The same at an absolute offset, leaving the position as it is.
    int64_t ReadAt(int64_t offset, void* dest, size_t bytes, std::error_code& error) const;
    // Moves the position to `offset` (absolute, at least 0) or `bytes` forward.
    bool Seek(int64_t offset);
    bool Skip(int64_t bytes);
    // Writes all `bytes` at the position and advances it, retrying interrupted and
    // partial writes. A write that can go no further (a full disk, a size limit) fails.
    std::error_code Write(const void* data, size_t bytes);
    // The same at an absolute offset, leaving the position as it is.
    std::error_code WriteAt(int64_t offset, const void* data, size_t bytes);

    // The size of the open file now; nullopt when the system cannot tell.
    std::optional<int64_t> Size() const;
    // Which file this is: device and inode on POSIX, volume serial number and file index
    // on Windows. nullopt when closed.
    std::optional<FileIdentity> Identity() const;

private:
    static constexpr std::intptr_t kClosed = -1;  // -1 is no descriptor and INVALID_HANDLE_VALUE alike
    std::intptr_t native_ = kClosed;  // the descriptor (POSIX) or the HANDLE (Windows)
#ifdef _WIN32
    int64_t position_ = 0;  // reads and writes give the system their offset each time
#endif
};

}  // namespace zel::platform
