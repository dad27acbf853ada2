#pragma once
// A file written under a temporary name beside its target and renamed onto the target
// only once it is complete, so the target's name only ever shows a whole file: either
// the one that was there before or the new one.
//
// Create opens a new temporary file in the target's folder; Write collects bytes in a
// 64 KiB buffer and writes them out when it fills; Commit writes the rest, closes and
// renames. A file that is abandoned (Abandon, the destructor, or any failure) is closed
// and its temporary removed, and the target is left exactly as it was.
//
// The rename replaces the target's directory entry (rename() on POSIX, MoveFileExW with
// MOVEFILE_REPLACE_EXISTING on Windows): a target that is a symbolic link is replaced by
// a regular file (the file it pointed to is never touched). Targets that are (or link
// to) folders, devices, pipes or sockets are refused at Create.
//
// The new file keeps the rules of the file it replaces, so writing a file again never
// opens it to more people. On POSIX it gets that file's permission bits (not set-id or
// sticky bits), its group where the system allows it (otherwise the group gets only the
// permissions of others) and its owner where the system allows it (root only); the
// temporary has them from the start. On Windows it keeps the hidden and system
// attributes; its security descriptor is inherited from the folder, as for any new file.
// A target that does not exist gives the permissions of any new file (on POSIX 0666
// less the umask). A write-protected target (POSIX: no write permission for its owner,
// refused also to root, as rm and cp -i treat it; Windows: read-only) is refused at
// Create before anything is written: "cannot write out/a.tif: the file is
// write-protected (no write permission for its owner)". For a symbolic link all this is
// judged on the file it points to, the one whose rules were set: a link to a protected
// file is refused, and the link to a 0600 file becomes a 0600 file. The target is
// judged once, at Create.
//
// Failures fill `error`, when given, with the target's path and the system's reason,
// e.g. "cannot write out/a.csv: No space left on device". The first write failure
// sticks: later Writes and Commit fail with the same text.

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/Files.h"

namespace zel {

class ReplacingFile {
public:
    ReplacingFile() = default;
    ~ReplacingFile();  // abandons a file that was not committed
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // Opens a new temporary file for `target`, abandoning any file still open.
    bool Create(const std::string& target, std::string* error = nullptr);
    bool Write(const void* data, size_t size, std::string* error = nullptr);
    bool Write(std::string_view text, std::string* error = nullptr) { return Write(text.data(), text.size(), error); }
    // Writes the buffered bytes now, so that a file that cannot take them fails early.
    bool Flush(std::string* error = nullptr);
    // Writes the rest, closes, and renames the temporary onto the target. The file is
    // closed afterwards whatever the outcome; on failure it is abandoned.
    bool Commit(std::string* error = nullptr);
    // Closes and removes the temporary; the target stays as it was. Harmless when closed.
    void Abandon();

    bool IsOpen() const { return file_.IsOpen(); }
    // Both empty while no file is open.
    const std::string& Target() const { return target_; }
    const std::string& TemporaryPath() const { return temporary_; }
    // The open temporary file itself, for a writer that places its bytes at offsets and
    // reads them back (the TIFF stack writer, through libtiff); such bytes and Write's
    // are not to be mixed. Closed while no file is open.
    platform::File& TemporaryFile() { return file_; }

private:
    bool Usable(std::string* error) const;  // open and without a write failure
    bool WriteOut(const char* data, size_t size, std::string* error);
    void Reset();

    platform::File file_;
    std::string target_;
    std::string temporary_;
    std::string buffer_;
    std::string failure_;  // the first write failure, repeated by later calls
    std::string processId_;  // in temporary names; asked of the system once per object
};

}  // namespace zel
