#pragma once
// The grey display bitmap (a device-independent bitmap: 8-bit with a grey palette, or the
// 32-bit pixels a screen draws without converting) and the one mapping of samples to
// 8-bit grey values.

#include <cstdint>

#include "imaging/ImageBuffer.h"

namespace zel {

constexpr int kBitmapHeaderSize = 1064;  // 40-byte info header + 256 RGBQUAD palette entries
constexpr int kXrgbBitmapHeaderSize = 40;  // the info header alone: 32-bit pixels need no palette

// How the display bitmap stores its rows.
struct DisplayLayout {
    bool topDown = false;  // top row first (a screen draws the rows without flipping)
    // 32-bit pixels, each the native word 0xFF000000 | g x 0x010101 for the grey value g
    // (what screens draw as they stand), instead of one byte per pixel.
    bool xrgb = false;
};

// Converts rows x |width| samples of bytesPerSample (1, 2 or 4, unsigned) bytes to 8-bit
// values; 2^depth - 1 maps to 255 (depth <= 8 shifts left, above 8 shifts right, both
// clamped at 255). rows > 0: bottom-up output (source row 0 becomes the last row);
// rows < 0: top-down. width > 0: destination rows padded with zeros to a multiple of 4;
// width < 0: no padding.
// Depths outside the usual range stay defined: depth <= 0 maps every nonzero sample to
// 255, a depth whose right shift reaches the sample's width maps everything to 0; 1-byte
// samples follow the same rule above depth 8. Null pointers, rows or width 0, or another
// sample size write nothing. dst must hold |rows| x stride bytes.
void ConvertSamplesTo8Bit(int rows, uint8_t* dst, int bytesPerSample, int depth, int width, const void* src);
// The same values as 32-bit screen pixels (DisplayLayout::xrgb), rows and padding as
// above, padding pixels opaque black. dst must hold |rows| x stride x 4 bytes.
void ConvertSamplesToXrgb(int rows, uint8_t* dst, int bytesPerSample, int depth, int width, const void* src);

// Lays out the bitmap (width rounded up to 4 pixels per row) in buffer.dibBlock and, when
// samples is given, converts them at `depth`. Returns the start of dibBlock (the bitmap
// info header) or null when the buffer holds a TIFF image or memory runs out. Also null,
// with the buffer unchanged, for width or height <= 0, a sample size other than 1, 2 or 4,
// or a bitmap of 2^31 bytes or more. Without samples the pixels are laid out black.
// A top-down layout has a negative height in the header, as any top-down bitmap; an xrgb
// one is a 32-bit bitmap whose pixels follow the 40-byte header.
const uint8_t* BuildDisplayBitmap(ImageBuffer& buffer, int bytesPerSample, int depth, int width, int height,
                                  const void* samples, DisplayLayout layout = {});

}  // namespace zel
