#pragma once
// std::filesystem paths from and to UTF-8 text. A path built from a plain std::string is
// read in the ANSI code page on Windows, which cannot spell most names; through char8_t
// it is read as UTF-8 on every system (and on POSIX the bytes stay exactly as they are).

#include <filesystem>
#include <string>
#include <string_view>

namespace zel::platform {

inline std::filesystem::path PathFromUtf8(std::string_view utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

inline std::string Utf8OfPath(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

}  // namespace zel::platform
