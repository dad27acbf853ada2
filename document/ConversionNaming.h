#pragma once
// Names and depths of a TIFF conversion, shared by the GUI and the command-line tool so
// both write the same files.

#include <string>

namespace zel {

// Splits a path into folder (with its trailing separator), base name and extension (with
// its dot); each output may be null. The platform's separators separate ('/' on POSIX,
// '/' and '\' on Windows); every other character, ';' included, belongs to the name.
// Returns base name + extension.
std::string SplitPath(const std::string& path, std::string* folder, std::string* baseName, std::string* extension);

// folder + baseName + "_" + frame printed with at least six digits + extension.
std::string NumberedFileName(const std::string& folder, const std::string& baseName, int frame,
                             const std::string& extension);

// Where a conversion's numbered files go.
struct ConversionPattern {
    std::string folder;  // with its trailing separator, or empty for the current folder
    std::string baseName;
    std::string extension;
};

// An output that names a folder (outputIsFolder: an existing folder; or any path ending
// in a separator) receives files named after the movie: "frames" + "m.zel" gives
// "frames/m_000012.tif". Any other output is split into folder, base name and extension.
ConversionPattern ChooseConversionPattern(const std::string& output, const std::string& movieName,
                                          bool outputIsFolder);

struct ConversionDepths {
    int sourceBits = 16;
    int outputBits = 16;
};

// The bits handed to the TIFF builder and the bits written, for a movie of bitDepth.
ConversionDepths ChooseConversionDepths(int bitDepth, bool sixteenBitOutput);

}  // namespace zel
