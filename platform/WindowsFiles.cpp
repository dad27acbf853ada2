// The file layer on Windows: HANDLEs from CreateFileW on UTF-16 paths, ReadFile and
// WriteFile at offsets given each time in an OVERLAPPED (so the position is this
// object's own, 64 bits wide, and a read at an offset never moves it), MoveFileExW for
// replacing and GetFileInformationByHandle for file identity.

#include "platform/WindowsApi.h"
#undef ReplaceFile  // windows.h's name for ReplaceFileW, not to be confused with ours

#include <algorithm>
#include <limits>

#include "platform/Files.h"
#include "platform/WindowsText.h"

namespace zel {

namespace platform {

namespace {

// Every sharing mode: other programs may read, write, rename and remove the file while it
// is open here, as on POSIX, and a file they hold open can be opened here.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// One ReadFile or WriteFile moves at most a DWORD's worth; 1 GiB per call is plenty.
constexpr size_t kLargestTransfer = size_t{1} << 30;
// Names of more than this many UTF-16 units do not fit a component on NTFS, FAT or ReFS.
constexpr size_t kLongestComponent = 255;

HANDLE AsHandle(std::intptr_t native) { return reinterpret_cast<HANDLE>(native); }

std::error_code LastError() { return WindowsError(::GetLastError()); }

OVERLAPPED At(int64_t offset) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(static_cast<uint64_t>(offset) & 0xFFFFFFFFu);
    at.OffsetHigh = static_cast<DWORD>(static_cast<uint64_t>(offset) >> 32);
    return at;
}

// Reads at `offset` until `bytes` are in or the file ends; the count, or -1.
int64_t ReadFrom(HANDLE handle, int64_t offset, void* dest, size_t bytes, std::error_code& error) {
    auto* out = static_cast<char*>(dest);
    size_t done = 0;
    while (done < bytes) {
        OVERLAPPED at = At(offset + static_cast<int64_t>(done));
        const auto asked = static_cast<DWORD>(std::min(bytes - done, kLargestTransfer));
        DWORD got = 0;
        if (!::ReadFile(handle, out + done, asked, &got, &at)) {
            const DWORD code = ::GetLastError();
            if (code == ERROR_HANDLE_EOF) break;  // the offset lies at or past the end
            error = WindowsError(code);
            return -1;
        }
        if (got == 0) break;
        done += got;
    }
    return static_cast<int64_t>(done);
}

// The last component of a UTF-16 path: after its last separator.
size_t LastComponentLength(const std::wstring& path) {
    const size_t separator = path.find_last_of(L"\\/");
    return separator == std::wstring::npos ? path.size() : path.size() - separator - 1;
}

// Opens for looking only (no access to the contents), following links; folders too.
HANDLE OpenToLookAt(const std::wstring& path) {
    return ::CreateFileW(path.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

bool IsDevicePath(const std::wstring& path) { return path.rfind(L"\\\\.\\", 0) == 0; }

// The attributes a replacing file takes from the file it replaces: hidden and system say
// how the user wants the name shown, and a file that was hidden should not reappear
// because it was written again. Read-only never comes across, as such a file is not
// replaced; archive is set on every new file anyway. Who may open the file is a matter
// of its security descriptor, which is not copied: the new file inherits its folder's,
// as any new file does.
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

}  // namespace

std::string_view PathSeparators() { return "/\\"; }

PathKind KindOfPath(const std::string& path) {
    std::error_code failure;
    const std::wstring wide = SystemPath(path, failure);
    if (failure) return PathKind::Absent;
    if (IsDevicePath(wide)) return PathKind::Other;  // NUL, CON, COM1, pipes: never opened here
    const HANDLE handle = OpenToLookAt(wide);
    if (handle == INVALID_HANDLE_VALUE) return PathKind::Absent;
    BY_HANDLE_FILE_INFORMATION info{};
    PathKind kind = PathKind::Other;
    if (::GetFileType(handle) == FILE_TYPE_DISK && ::GetFileInformationByHandle(handle, &info)) {
        if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            kind = PathKind::Directory;
        else if (!(info.dwFileAttributes & FILE_ATTRIBUTE_DEVICE))
            kind = PathKind::Regular;
    }
    ::CloseHandle(handle);
    return kind;
}

std::optional<FilePermissions> PermissionsOfPath(const std::string& path) {
    std::error_code failure;
    const std::wstring wide = SystemPath(path, failure);
    if (failure || IsDevicePath(wide)) return std::nullopt;
    const HANDLE handle = OpenToLookAt(wide);  // the file a link points to, as on POSIX
    if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool known = ::GetFileInformationByHandle(handle, &info) != 0;
    ::CloseHandle(handle);
    if (!known) return std::nullopt;
    FilePermissions permissions;
    permissions.writeProtected = (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
    permissions.mode = info.dwFileAttributes & kKeptAttributes;
    return permissions;
}

std::string_view WriteProtection() { return "read-only"; }

std::error_code ReplaceFile(const std::string& from, const std::string& to) {
    std::error_code failure;
    const std::wstring source = SystemPath(from, failure);
    if (failure) return failure;
    const std::wstring target = SystemPath(to, failure);
    if (failure) return failure;
    // A virus scanner or an indexer that has just opened the new file, or the old one,
    // makes the rename fail for a moment; try again for about a third of a second before
    // reporting it. A lasting cause (a folder of that name, a read-only file) fails the
    // same way and is reported after that.
    DWORD wait = 10;
    for (int attempt = 0;; ++attempt) {
        if (::MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) return {};
        const DWORD code = ::GetLastError();
        const bool passing = code == ERROR_ACCESS_DENIED || code == ERROR_SHARING_VIOLATION ||
                             code == ERROR_LOCK_VIOLATION;
        if (!passing || attempt == 5) return WindowsError(code);
        ::Sleep(wait);
        wait *= 2;
    }
}

std::error_code RemoveFile(const std::string& path) {
    std::error_code failure;
    const std::wstring wide = SystemPath(path, failure);
    if (failure) return failure;
    return ::DeleteFileW(wide.c_str()) ? std::error_code() : LastError();
}

File::~File() { Close(); }

std::error_code File::OpenForReading(const std::string& path) {
    Close();
    std::error_code failure;
    const std::wstring wide = SystemPath(path, failure);
    if (failure) return failure;
    // Devices (NUL, CON, COM1, pipes) are refused by name: opening one could wait.
    if (IsDevicePath(wide)) return NotRegularFile();
    const HANDLE handle = ::CreateFileW(wide.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD code = ::GetLastError();
        // A folder cannot be opened as a file; say so rather than "Permission denied".
        if (code == ERROR_ACCESS_DENIED && KindOfPath(path) == PathKind::Directory)
            return std::make_error_code(std::errc::is_a_directory);
        return WindowsError(code);
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (::GetFileType(handle) != FILE_TYPE_DISK) {
        failure = NotRegularFile();
    } else if (!::GetFileInformationByHandle(handle, &info)) {
        failure = LastError();
    } else if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        failure = std::make_error_code(std::errc::is_a_directory);
    } else if (info.dwFileAttributes & FILE_ATTRIBUTE_DEVICE) {
        failure = NotRegularFile();
    }
    if (failure) {
        ::CloseHandle(handle);
        return failure;
    }
    native_ = reinterpret_cast<std::intptr_t>(handle);
    position_ = 0;
    return {};
}

std::error_code File::CreateNew(const std::string& path, const FilePermissions* like) {
    Close();
    std::error_code failure;
    const std::wstring wide = SystemPath(path, failure);
    if (failure) return failure;
    if (IsDevicePath(wide)) return NotRegularFile();
    // FILE_ATTRIBUTE_NORMAL stands for "no attributes" and is valid only alone.
    const DWORD kept = like ? like->mode & kKeptAttributes : 0;
    const DWORD attributes = kept != 0 ? kept : FILE_ATTRIBUTE_NORMAL;
    const HANDLE handle =
        ::CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE, kShareAll, nullptr, CREATE_NEW, attributes, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD code = ::GetLastError();
        // No file system of Windows holds a longer name, whatever the error says about it
        // (NTFS: an invalid name; others: a path not found).
        if (LastComponentLength(wide) > kLongestComponent) return std::make_error_code(std::errc::filename_too_long);
        return WindowsError(code);
    }
    native_ = reinterpret_cast<std::intptr_t>(handle);
    position_ = 0;
    return {};
}

std::error_code File::Close() {
    if (!IsOpen()) return {};
    const bool closed = ::CloseHandle(AsHandle(native_)) != 0;
    const std::error_code failure = closed ? std::error_code() : LastError();
    native_ = kClosed;
    position_ = 0;
    return failure;
}

int64_t File::Read(void* dest, size_t bytes, std::error_code& error) {
    if (!IsOpen()) {
        error = std::make_error_code(std::errc::bad_file_descriptor);
        return -1;
    }
    const int64_t got = ReadFrom(AsHandle(native_), position_, dest, bytes, error);
    if (got > 0) position_ += got;
    return got;
}

int64_t File::ReadAt(int64_t offset, void* dest, size_t bytes, std::error_code& error) const {
    if (!IsOpen() || offset < 0) {
        error = std::make_error_code(IsOpen() ? std::errc::invalid_argument : std::errc::bad_file_descriptor);
        return -1;
    }
    return ReadFrom(AsHandle(native_), offset, dest, bytes, error);
}

bool File::Seek(int64_t offset) {
    if (!IsOpen() || offset < 0) return false;
    position_ = offset;
    return true;
}

bool File::Skip(int64_t bytes) {
    if (!IsOpen() || bytes < 0 || bytes > std::numeric_limits<int64_t>::max() - position_) return false;
    position_ += bytes;
    return true;
}

std::error_code File::Write(const void* data, size_t bytes) {
    const std::error_code failure = WriteAt(position_, data, bytes);
    if (!failure) position_ += static_cast<int64_t>(bytes);
    return failure;
}

std::error_code File::WriteAt(int64_t offset, const void* data, size_t bytes) {
    if (!IsOpen()) return std::make_error_code(std::errc::bad_file_descriptor);
    if (offset < 0) return std::make_error_code(std::errc::invalid_argument);
    const char* in = static_cast<const char*>(data);
    while (bytes > 0) {
        OVERLAPPED at = At(offset);
        const auto asked = static_cast<DWORD>(std::min(bytes, kLargestTransfer));
        DWORD written = 0;
        if (!::WriteFile(AsHandle(native_), in, asked, &written, &at)) return LastError();
        if (written == 0) return std::make_error_code(std::errc::io_error);
        in += written;
        bytes -= written;
        offset += written;
    }
    return {};
}

std::optional<int64_t> File::Size() const {
    LARGE_INTEGER size{};
    if (!IsOpen() || !::GetFileSizeEx(AsHandle(native_), &size)) return std::nullopt;
    return static_cast<int64_t>(size.QuadPart);
}

namespace {

FileIdentity IdentityOf(const BY_HANDLE_FILE_INFORMATION& info) {
    return {info.dwVolumeSerialNumber, (uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow};
}

}  // namespace

std::optional<FileIdentity> File::Identity() const {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!IsOpen() || !::GetFileInformationByHandle(AsHandle(native_), &info)) return std::nullopt;
    return IdentityOf(info);
}

}  // namespace platform

std::optional<FileIdentity> IdentityOfPath(const std::string& path) {
    if (path.empty()) return std::nullopt;
    std::error_code failure;
    const std::wstring wide = platform::SystemPath(path, failure);
    if (failure || platform::IsDevicePath(wide)) return std::nullopt;
    const HANDLE handle = platform::OpenToLookAt(wide);
    if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool known = ::GetFileInformationByHandle(handle, &info) != 0;
    ::CloseHandle(handle);
    if (!known) return std::nullopt;
    return platform::IdentityOf(info);
}

}  // namespace zel
