// Writing an in-memory TIFF image to disk so that the file name only ever shows a
// complete file: the bytes go to a temporary file next to the target, which is renamed
// onto the target once every byte is written and the file is closed. A failure at any
// step removes the temporary file; an existing file of the target name stays as it was.

#include <string>

#include "fileio/ReplacingFile.h"
#include "imaging/TiffImage.h"

namespace zel {

namespace {

constexpr int kStripOffsetsTag = 273;
constexpr int kStripByteCountsTag = 279;

int Refuse(std::string* error, const char* reason) {
    if (error) *error = reason;
    return 0;
}

}  // namespace

int WriteTiffFile(const ImageBuffer& buffer, const std::string& path, std::string* error) {
    const uint8_t* block = buffer.tiffBlock.get();
    if (block == nullptr) {
        return Refuse(error, "no TIFF image to write");
    }
    if (path.empty()) {
        return Refuse(error, "no file name to write the TIFF image to");
    }
    // The file is the strip's end: head plus pixels, as the directory says, and never
    // more than the block holds.
    const size_t blockSize = buffer.BlockSize();
    const int64_t offset = GetTiffTagValue(kStripOffsetsTag, block, blockSize);
    const int64_t count = GetTiffTagValue(kStripByteCountsTag, block, blockSize);
    if (offset <= 0 || count < 0 || static_cast<uint64_t>(offset) + static_cast<uint64_t>(count) > blockSize) {
        return Refuse(error, "the TIFF image's strip does not lie inside its block");
    }
    const auto size = static_cast<size_t>(offset + count);

    ReplacingFile file;
    const bool written = file.Create(path, error) && file.Write(block, size, error) && file.Commit(error);
    return written ? 1 : 0;
}

}  // namespace zel
