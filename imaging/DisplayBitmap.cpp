// The display bitmap: a bottom-up 8-bit device-independent bitmap whose 256-entry grey
// palette maps each pixel byte to the grey level of the same value.

#include <cstring>

#include "imaging/DisplayBitmap.h"
#include "imaging/ImagingDetail.h"

namespace zel {

namespace {

constexpr int kInfoHeaderSize = 40;

void WriteBitmapHeader(uint8_t* block, int stride, int height, int imageSize, bool topDown) {
    using detail::StoreLe16;
    using detail::StoreLe32;
    std::memset(block, 0, kInfoHeaderSize);
    StoreLe32(block + 0, kInfoHeaderSize);            // biSize
    StoreLe32(block + 4, static_cast<uint32_t>(stride));  // biWidth: the stride, padding shows black
    // biHeight > 0: rows stored bottom-up; < 0: top-down.
    StoreLe32(block + 8, static_cast<uint32_t>(topDown ? -height : height));
    StoreLe16(block + 12, 1);                          // biPlanes
    StoreLe16(block + 14, 8);                          // biBitCount
    StoreLe32(block + 20, static_cast<uint32_t>(imageSize));  // biSizeImage; compression, resolution, colours 0
    uint8_t* palette = block + kInfoHeaderSize;
    for (int i = 0; i < 256; ++i) {
        const auto grey = static_cast<uint8_t>(i);
        palette[4 * i + 0] = grey;  // blue
        palette[4 * i + 1] = grey;  // green
        palette[4 * i + 2] = grey;  // red
        palette[4 * i + 3] = 0;     // reserved
    }
}

}  // namespace

const uint8_t* BuildDisplayBitmap(ImageBuffer& buffer, int bytesPerSample, int depth, int width, int height,
                                  const void* samples, bool topDown) {
    // A buffer holds a bitmap or a TIFF image, never both. Arguments that describe no
    // bitmap (or one too large for the int size fields) are refused before anything
    // changes, like the TIFF case.
    if (buffer.tiffBlock || width <= 0 || height <= 0) {
        return nullptr;
    }
    if (bytesPerSample != 1 && bytesPerSample != 2 && bytesPerSample != 4) {
        return nullptr;
    }
    const int64_t stride = (static_cast<int64_t>(width) + 3) / 4 * 4;
    const int64_t imageSize = stride * height;  // < 2^62, no overflow
    if (imageSize > detail::kMaxBlockBytes - kBitmapHeaderSize) {
        return nullptr;
    }

    buffer.dibBits = detail::ReplaceBlock(buffer, buffer.dibBlock, kBitmapHeaderSize, imageSize);
    if (buffer.dibBits == nullptr) {
        return nullptr;
    }
    WriteBitmapHeader(buffer.dibBlock.get(), static_cast<int>(stride), height, buffer.imageSize, topDown);

    if (samples != nullptr) {
        ConvertSamplesTo8Bit(topDown ? -height : height, buffer.dibBits, bytesPerSample, depth, width, samples);
    } else {
        // Laid out only; black until the first render rather than leftover heap bytes.
        std::memset(buffer.dibBits, 0, static_cast<size_t>(imageSize));
    }
    buffer.status = 0;
    return buffer.dibBlock.get();
}

}  // namespace zel
