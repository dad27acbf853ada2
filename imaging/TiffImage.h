#pragma once
// Single-strip, uncompressed, little-endian grey TIFF files of 8 or 16 bits per sample,
// kept whole in one memory block: a fixed 200-byte head (header, one directory of 14
// entries, two resolution values) followed by the pixels, so that writing the file is one
// write of the block.
//
// layoutCode = output depth x 32 + bytes per source sample (258: 8-bit output from 2-byte
// samples; 513: 16-bit output from 1-byte samples). When its upper part (code >> 8, x 8)
// is not 8 or 16, the requested depth is the source bit count. A requested depth of 9..16
// gives a 16-bit image, 0..8 an 8-bit one (samples are whole bytes).
//
// ImageWidth and ImageLength are SHORT entries, so width and height are 1..65535, and the
// block must stay below 2^31 bytes (the int size fields); other sizes are refused.

#include <cstddef>
#include <cstdint>
#include <string>

#include "imaging/ImageBuffer.h"

namespace zel {

constexpr int kTiffHeadSize = 200;

// Builds the TIFF image in buffer.tiffBlock (and sets tiffData); converts samples into it
// when given. Returns the block, or null when the buffer holds a bitmap, the requested
// depth is outside 0..16, or memory runs out. Also refused (null, buffer unchanged): a
// sample size (low byte of layoutCode) other than 1, 2 or 4, 16-bit output with sourceBits
// outside 0..16, and sizes the head cannot describe. Without samples the pixels are 0.
uint8_t* BuildTiffImage(int height, ImageBuffer& buffer, int layoutCode, int sourceBits, int width,
                        const void* samples);

// Writes bytes 0..199 of the head; returns block + 200, or null for a depth outside 0..16.
uint8_t* WriteTiffHeader(int depth, int height, uint8_t* block, int width);

// Converts height x width source samples into the pixel area (no row padding). Writes
// nothing for null pointers, sizes <= 0 or a refused depth or sample size; for 16-bit
// output a sourceBits above 16 copies the low 16 bits and one below 1 writes zeros.
void FillTiffImage(int height, int layoutCode, int sourceBits, uint8_t* pixels, int width, const void* samples);

// The directory entry of `tag` in a block of blockSize bytes, or null. valuePointer, when
// given, receives the address of the value (inside the entry when it fits in 4 bytes).
// Never reads outside the block: a directory, entry or outside value that does not lie
// wholly inside it counts as not found, as does a block without the "II", 42 header.
const uint8_t* FindTiffTag(const uint8_t* block, size_t blockSize, int tag, const uint8_t** valuePointer);

// The tag's value as an integer, 0 when absent. Unsigned types (BYTE, SHORT, LONG, the
// RATIONAL numerator, ASCII, UNDEFINED, the bits of FLOAT/DOUBLE) are zero-extended, signed
// ones sign-extended; a field type outside 1..12 gives 0.
int64_t GetTiffTagValue(int tag, const uint8_t* block, size_t blockSize);

// Writes the TIFF image as a file. Returns 1 when the whole file was written, else 0
// and, when given, `error` says why with the system's reason ("cannot write a.tif: No
// space left on device"); a failed or short write leaves no file behind (and an existing
// file of that name as it was). The bytes go to a temporary file in the target's folder,
// which is renamed onto the path once complete; the file is StripOffsets +
// StripByteCounts bytes of the block, refused when that is more than the block holds.
// A path naming a folder, device, pipe or socket is refused.
int WriteTiffFile(const ImageBuffer& buffer, const std::string& path, std::string* error = nullptr);

}  // namespace zel
