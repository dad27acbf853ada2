// The display bitmap: an 8-bit device-independent bitmap whose 256-entry grey palette
// maps each pixel byte to the grey level of the same value, or a 32-bit one of grey
// pixels without a palette.

#include <cstring>

#include "imaging/DisplayBitmap.h"
#include "imaging/ImagingDetail.h"

namespace zel {

namespace {

constexpr int kInfoHeaderSize = 40;

void WriteBitmapHeader(uint8_t* block, int columns, int height, int imageSize, DisplayLayout layout) {
    using detail::StoreLe16;
    using detail::StoreLe32;
    std::memset(block, 0, kInfoHeaderSize);
    StoreLe32(block + 0, kInfoHeaderSize);            // biSize
    StoreLe32(block + 4, static_cast<uint32_t>(columns));  // biWidth: with the padding, which shows black
    // biHeight > 0: rows stored bottom-up; < 0: top-down.
    StoreLe32(block + 8, static_cast<uint32_t>(layout.topDown ? -height : height));
    StoreLe16(block + 12, 1);                          // biPlanes
    StoreLe16(block + 14, layout.xrgb ? 32 : 8);       // biBitCount
    StoreLe32(block + 20, static_cast<uint32_t>(imageSize));  // biSizeImage; compression, resolution, colours 0
    if (layout.xrgb) return;  // 32-bit pixels carry their colour: no palette
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
                                  const void* samples, DisplayLayout layout) {
    // A buffer holds a bitmap or a TIFF image, never both. Arguments that describe no
    // bitmap (or one too large for the int size fields) are refused before anything
    // changes, like the TIFF case.
    if (buffer.tiffBlock || width <= 0 || height <= 0) {
        return nullptr;
    }
    if (bytesPerSample != 1 && bytesPerSample != 2 && bytesPerSample != 4) {
        return nullptr;
    }
    const int64_t columns = (static_cast<int64_t>(width) + 3) / 4 * 4;
    const int64_t imageSize = columns * (layout.xrgb ? 4 : 1) * height;  // < 2^62, no overflow
    const int headerSize = layout.xrgb ? kXrgbBitmapHeaderSize : kBitmapHeaderSize;
    if (imageSize > detail::kMaxBlockBytes - headerSize) {
        return nullptr;
    }

    buffer.dibBits = detail::ReplaceBlock(buffer, buffer.dibBlock, headerSize, imageSize);
    if (buffer.dibBits == nullptr) {
        return nullptr;
    }
    WriteBitmapHeader(buffer.dibBlock.get(), static_cast<int>(columns), height, buffer.imageSize, layout);

    const int rows = layout.topDown ? -height : height;
    if (samples != nullptr && layout.xrgb) {
        ConvertSamplesToXrgb(rows, buffer.dibBits, bytesPerSample, depth, width, samples);
    } else if (samples != nullptr) {
        ConvertSamplesTo8Bit(rows, buffer.dibBits, bytesPerSample, depth, width, samples);
    } else if (layout.xrgb) {
        // Laid out only; black until the first render rather than leftover heap bytes.
        constexpr uint32_t kOpaqueBlack = 0xFF000000u;
        for (int64_t i = 0; i < imageSize; i += 4) std::memcpy(buffer.dibBits + i, &kOpaqueBlack, 4);
    } else {
        std::memset(buffer.dibBits, 0, static_cast<size_t>(imageSize));
    }
    buffer.status = 0;
    return buffer.dibBlock.get();
}

}  // namespace zel
