// Windows only: UTF-8 and UTF-16, wide paths and error codes.

#include "platform/WindowsApi.h"

#include <climits>

#include "platform/WindowsText.h"

namespace zel::platform {

namespace {

// Full paths from this length on take the "\\?\" form: MAX_PATH less room for an 8.3 name
// (12), the limit CreateDirectoryW keeps to.
constexpr size_t kClassicLimit = MAX_PATH - 12;

class WindowsCategory : public std::error_category {
public:
    const char* name() const noexcept override { return "windows"; }
    std::string message(int code) const override {
        wchar_t* text = nullptr;
        const DWORD length = ::FormatMessageW(
            FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
            static_cast<DWORD>(code), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
        std::string message = length > 0 && text ? Narrow(std::wstring_view(text, length)) : std::string();
        if (text) ::LocalFree(text);
        // Like strerror's texts: no line break or full stop at the end.
        while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' ' ||
                                    message.back() == '.'))
            message.pop_back();
        return message.empty() ? "Windows error " + std::to_string(static_cast<unsigned>(code)) : message;
    }
};

bool StartsWith(const std::wstring& text, const wchar_t* prefix) { return text.rfind(prefix, 0) == 0; }

}  // namespace

bool Widen(std::string_view utf8, std::wstring& wide) {
    wide.clear();
    if (utf8.empty()) return true;
    if (utf8.size() > INT_MAX) return false;
    const int size = static_cast<int>(utf8.size());
    const int length = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, nullptr, 0);
    if (length <= 0) return false;
    wide.resize(static_cast<size_t>(length));
    return ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, wide.data(), length) == length;
}

std::string Narrow(std::wstring_view wide) {
    if (wide.empty() || wide.size() > INT_MAX) return {};
    const int size = static_cast<int>(wide.size());
    const int length = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return {};
    std::string utf8(static_cast<size_t>(length), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, utf8.data(), length, nullptr, nullptr);
    return utf8;
}

std::wstring SystemPath(const std::string& utf8, std::error_code& error) {
    error.clear();
    std::wstring wide;
    if (utf8.empty()) {
        error = std::make_error_code(std::errc::no_such_file_or_directory);
        return {};
    }
    if (!Widen(utf8, wide) || wide.find(L'\0') != std::wstring::npos) {
        error = std::make_error_code(std::errc::invalid_argument);
        return {};
    }
    if (StartsWith(wide, L"\\\\?\\") || StartsWith(wide, L"\\\\.\\")) return wide;
    const DWORD needed = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return wide;  // the call it is made for reports the problem
    std::wstring full(needed, L'\0');
    const DWORD length = ::GetFullPathNameW(wide.c_str(), needed, full.data(), nullptr);
    if (length == 0 || length >= needed) return wide;
    full.resize(length);
    if (StartsWith(full, L"\\\\.\\")) return full;  // a device name
    if (full.size() < kClassicLimit) return wide;
    if (StartsWith(full, L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);  // \\server\share\...
    return L"\\\\?\\" + full;
}

std::error_code WindowsError(unsigned long code) {
    switch (code) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_NET_NAME:
            return std::make_error_code(std::errc::no_such_file_or_directory);
        case ERROR_ACCESS_DENIED:
            return std::make_error_code(std::errc::permission_denied);
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS:
            return std::make_error_code(std::errc::file_exists);
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return std::make_error_code(std::errc::no_space_on_device);
        case ERROR_FILE_TOO_LARGE:
            return std::make_error_code(std::errc::file_too_large);
        case ERROR_FILENAME_EXCED_RANGE:
            return std::make_error_code(std::errc::filename_too_long);
        case ERROR_DIRECTORY:
            return std::make_error_code(std::errc::not_a_directory);
        case ERROR_DIR_NOT_EMPTY:
            return std::make_error_code(std::errc::directory_not_empty);
        case ERROR_WRITE_PROTECT:
            return std::make_error_code(std::errc::read_only_file_system);
        case ERROR_NOT_ENOUGH_MEMORY:
        case ERROR_OUTOFMEMORY:
            return std::make_error_code(std::errc::not_enough_memory);
        default: {
            static const WindowsCategory category;
            return {static_cast<int>(code), category};
        }
    }
}

}  // namespace zel::platform
