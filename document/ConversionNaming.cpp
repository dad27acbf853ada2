// Path splitting, numbered file names and conversion depths.
//
// SplitPath follows the rules of the system it runs on. Its separators are the
// platform's: '/' and '\' on Windows, '/' alone on POSIX, where '\' (like ':') is an
// ordinary character of a file name and splitting there would name another file:
//   - on Windows a leading "X:" (ASCII letter and colon) is the drive and belongs to the
//     folder;
//   - the folder runs up to and including the last separator;
//   - the extension is the last component from its last '.', dot included, so
//     "a.b.tif" gives "a.b" + ".tif", "name." gives "name" + "." and ".profile" gives an
//     empty base name + ".profile" (as Windows splits it);
//   - a ';' is an ordinary character: a path is always used literally.
// Components are std::string and never truncated, whatever their length: a long name is
// kept whole rather than silently changed into another file's name.

#include "document/ConversionNaming.h"

#include <cstdio>

#include "platform/Files.h"

namespace zel {
namespace {

bool IsSeparator(char c) { return platform::PathSeparators().find(c) != std::string_view::npos; }

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

#ifdef _WIN32
constexpr bool kDrives = true;
#else
constexpr bool kDrives = false;
#endif

}  // namespace

std::string SplitPath(const std::string& path, std::string* folder, std::string* baseName, std::string* extension) {
    const std::string& copy = path;
    const size_t driveEnd = kDrives && copy.size() >= 2 && IsAsciiLetter(copy[0]) && copy[1] == ':' ? 2 : 0;
    size_t nameStart = driveEnd;
    for (size_t i = driveEnd; i < copy.size(); ++i) {
        if (IsSeparator(copy[i])) nameStart = i + 1;
    }
    const size_t dot = copy.rfind('.');
    const size_t extStart = dot != std::string::npos && dot >= nameStart ? dot : copy.size();

    if (folder) *folder = copy.substr(0, nameStart);
    if (baseName) *baseName = copy.substr(nameStart, extStart - nameStart);
    if (extension) *extension = copy.substr(extStart);
    return copy.substr(nameStart);
}

ConversionPattern ChooseConversionPattern(const std::string& output, const std::string& movieName,
                                          bool outputIsFolder) {
    ConversionPattern pattern;
    const bool endsInSeparator = !output.empty() && IsSeparator(output.back());
    if (outputIsFolder || endsInSeparator) {
        pattern.folder = output.empty() || endsInSeparator ? output : output + "/";
        SplitPath(movieName, nullptr, &pattern.baseName, nullptr);
        pattern.extension = ".tif";
        return pattern;
    }
    SplitPath(output, &pattern.folder, &pattern.baseName, &pattern.extension);
    return pattern;
}

// The number is printed as "%6.6d" prints it: at least six digits, zero-padded, and a
// negative frame keeps its sign in front of six digits ("-000001"). Negative frames
// never reach a conversion (it stops at a frame outside the movie), so that form is
// only ever seen by callers formatting names themselves.
std::string NumberedFileName(const std::string& folder, const std::string& baseName, int frame,
                             const std::string& extension) {
    char number[24];
    std::snprintf(number, sizeof number, "_%6.6d", frame);
    return folder + baseName + number + extension;
}

// The TIFF builder takes sourceBits significant bits per sample; outputBits are written.
// 16-bit output: the samples' container width (8 for 8-bit movies, 16 for deeper ones).
// 8-bit output: the movie's own depth, scaled down to 8 bits by the builder.
// A depth outside 1..16 cannot be converted: sourceBits 0 makes the run stop at once.
ConversionDepths ChooseConversionDepths(int bitDepth, bool sixteenBitOutput) {
    ConversionDepths depths;
    depths.outputBits = sixteenBitOutput ? 16 : 8;
    if (bitDepth < 1 || bitDepth > 16) {
        depths.sourceBits = 0;
        return depths;
    }
    const int containerBits = ((bitDepth + 7) / 8) * 8;
    if (sixteenBitOutput)
        depths.sourceBits = containerBits;
    else
        depths.sourceBits = containerBits > 8 ? bitDepth : 8;
    return depths;
}

}  // namespace zel
