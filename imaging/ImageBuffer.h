#pragma once
// An image buffer owns either a display bitmap or a whole TIFF file in memory,
// never both. The document keeps its full-depth frame as the pixel area of a TIFF image
// (so a 16-bit frame is written to disk as it stands) and its display as a bitmap.

#include <cstddef>
#include <cstdint>
#include <memory>

namespace zel {

struct ImageBuffer {
    int status = -1;     // -1 after InitImageBuffer; 0 once a bitmap or TIFF image is built
    int headerSize = 0;  // bytes ahead of the pixels: 1064 (8-bit bitmap), 40 (32-bit bitmap) or 200 (TIFF)
    int imageSize = 0;   // bytes of pixel data
    std::unique_ptr<uint8_t[]> dibBlock;  // bitmap header, grey palette (8-bit only), pixels
    uint8_t* dibBits = nullptr;           // pixels inside dibBlock
    std::unique_ptr<uint8_t[]> tiffBlock; // a whole TIFF file
    uint8_t* tiffData = nullptr;          // pixels inside tiffBlock
    std::unique_ptr<uint8_t[]> spareBlock;

    // Bytes of the block in use (header plus pixels), 0 when empty.
    size_t BlockSize() const { return static_cast<size_t>(headerSize) + static_cast<size_t>(imageSize); }
};

// status -1, every other field empty.
void InitImageBuffer(ImageBuffer& buffer);
// Releases the blocks; the record itself belongs to its owner.
void FreeImageBuffer(ImageBuffer& buffer);

}  // namespace zel
