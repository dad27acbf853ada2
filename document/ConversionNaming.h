#pragma once
// Names and depths of a TIFF conversion, shared by the GUI and the command-line tool so
// both write the same files.

#include <string>

namespace zel {

// Splits a path into folder (with its trailing separator), base name and extension (with
// its dot); each output may be null. '/' and '\' both separate. A path with ';' after its
// first character is cut at the first ';' first. Returns base name + extension.
std::string SplitPath(const std::string& path, std::string* folder, std::string* baseName, std::string* extension);

// folder + baseName + "_" + frame printed with at least six digits + extension.
std::string NumberedFileName(const std::string& folder, const std::string& baseName, int frame,
                             const std::string& extension);

struct ConversionDepths {
    int sourceBits = 16;
    int outputBits = 16;
};

// The bits handed to the TIFF builder and the bits written, for a movie of bitDepth.
ConversionDepths ChooseConversionDepths(int bitDepth, bool sixteenBitOutput);

}  // namespace zel
