#pragma once
// Windows only: text between UTF-8 and UTF-16, paths as the wide calls take them, and
// the system's error codes as std::error_code.

#include <string>
#include <string_view>
#include <system_error>

namespace zel::platform {

// UTF-8 to UTF-16; false when `utf8` is not valid UTF-8.
bool Widen(std::string_view utf8, std::wstring& wide);
// UTF-16 to UTF-8 (an unpaired surrogate becomes U+FFFD).
std::string Narrow(std::wstring_view wide);

// The UTF-16 path to hand to the wide calls for a UTF-8 path. A path whose full form has
// 248 characters or more (the classic limit, less room for a file name in a folder) is
// given as that full form in the "\\?\" (or "\\?\UNC\") namespace, which knows no such
// limit; other paths are passed as they are, and the system resolves them as usual.
// Paths already in the "\\?\" or "\\.\" namespace stay as they are. Reserved names
// ("NUL", "CON") come back as their "\\.\" device path. Fails (ENOENT for an empty
// path, EINVAL for text that is not UTF-8) without touching the file system.
std::wstring SystemPath(const std::string& utf8, std::error_code& error);

// A Windows error code (GetLastError) as an error_code: the POSIX equivalent in
// std::generic_category() when there is one, so that both systems word it alike, or else
// the code itself with the system's own text.
std::error_code WindowsError(unsigned long code);

}  // namespace zel::platform
