#pragma once
// Minimal JSON text output for flat objects of strings and integers.

#include <cstdint>
#include <string>

#include "document/Utf8Text.h"

namespace zel::cli {

// A JSON text must be UTF-8; a file name that is not (a Latin-1 name on POSIX) is
// written with U+FFFD in place of its stray bytes rather than making the output invalid.
inline std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (const unsigned char c : ValidUtf8(text)) {
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (c < 0x20) {
                    static const char hex[] = "0123456789abcdef";
                    out += "\\u00";
                    out += hex[c >> 4];
                    out += hex[c & 15];
                } else {
                    out += static_cast<char>(c);
                }
        }
    }
    return out + "\"";
}

}  // namespace zel::cli
