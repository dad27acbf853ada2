// Building the in-memory TIFF image: the fixed 200-byte head and the pixel area.
//
// Only whole-byte samples are written: a requested depth of 9 to 16 gives a 16-bit
// image and 0 to 8 an 8-bit one (a file declaring, say, 4 bits per sample while holding
// a byte per pixel would be misread by every reader). ImageWidth and ImageLength are
// SHORT entries of the fixed directory, so images wider or taller than 65535 are
// refused, as is any image whose pixel bytes do not fit the int size fields.

#include <algorithm>
#include <cstring>

#include "imaging/DisplayBitmap.h"
#include "imaging/ImagingDetail.h"
#include "imaging/RowKernels.h"
#include "imaging/TiffImage.h"

namespace zel {

namespace {

using detail::StoreLe16;
using detail::StoreLe32;

constexpr int kDirectoryOffset = 10;
constexpr int kEntryCount = 14;
constexpr int kNextDirectoryOffset = kDirectoryOffset + 2 + 12 * kEntryCount;  // 180
constexpr int kXResolutionOffset = 184;
constexpr int kYResolutionOffset = 192;
constexpr int kMaxTiffSide = 0xFFFF;

enum FieldType : uint16_t { kShort = 3, kLong = 4, kRational = 5 };

// Upper part of the layout code when it is 8 or 16, else the source bit count.
int RequestedDepth(int layoutCode, int sourceBits) {
    const int coded = 8 * (layoutCode >> 8);
    return coded == 8 || coded == 16 ? coded : sourceBits;
}

// Bits per sample written for a requested depth, 0 when the depth is refused.
int OutputDepth(int requested) {
    if (requested < 0 || requested > 16) {
        return 0;
    }
    return requested > 8 ? 16 : 8;
}

// Pixel bytes of a width x height image at outputDepth, or -1 when the image cannot be
// described by the fixed head or held in the int size fields.
int64_t PixelBytes(int outputDepth, int width, int height) {
    if (width <= 0 || height <= 0 || width > kMaxTiffSide || height > kMaxTiffSide) {
        return -1;
    }
    const int64_t bytes = static_cast<int64_t>(outputDepth / 8) * width * height;
    return bytes > detail::kMaxBlockBytes - kTiffHeadSize ? -1 : bytes;
}

bool ValidSampleSize(int bytesPerSample) {
    return bytesPerSample == 1 || bytesPerSample == 2 || bytesPerSample == 4;
}

void WriteEntry(uint8_t*& at, uint16_t tag, uint16_t type, uint32_t value) {
    StoreLe16(at + 0, tag);
    StoreLe16(at + 2, type);
    StoreLe32(at + 4, 1);  // count
    // A SHORT sits in the first two bytes of the value field; storing 32 bits zeroes the rest.
    StoreLe32(at + 8, value);
    at += 12;
}

}  // namespace

uint8_t* WriteTiffHeader(int depth, int height, uint8_t* block, int width) {
    const int outputDepth = OutputDepth(depth);
    if (block == nullptr || outputDepth == 0) {
        return nullptr;
    }
    const int64_t pixelBytes = PixelBytes(outputDepth, width, height);
    if (pixelBytes < 0) {
        return nullptr;
    }
    std::memset(block, 0, kTiffHeadSize);  // also the unused bytes 8-9
    block[0] = 'I';                        // little-endian ("II")
    block[1] = 'I';
    StoreLe16(block + 2, 42);
    StoreLe32(block + 4, kDirectoryOffset);
    StoreLe16(block + kDirectoryOffset, kEntryCount);
    uint8_t* entry = block + kDirectoryOffset + 2;
    WriteEntry(entry, 254, kLong, 0);                                   // NewSubfileType
    WriteEntry(entry, 256, kShort, static_cast<uint32_t>(width));       // ImageWidth
    WriteEntry(entry, 257, kShort, static_cast<uint32_t>(height));      // ImageLength
    WriteEntry(entry, 258, kShort, static_cast<uint32_t>(outputDepth)); // BitsPerSample
    WriteEntry(entry, 259, kShort, 1);                                  // Compression: none
    WriteEntry(entry, 262, kShort, 1);                                  // Photometric: BlackIsZero
    WriteEntry(entry, 273, kLong, kTiffHeadSize);                       // StripOffsets
    WriteEntry(entry, 277, kShort, 1);                                  // SamplesPerPixel
    WriteEntry(entry, 278, kShort, static_cast<uint32_t>(height));      // RowsPerStrip: one strip
    WriteEntry(entry, 279, kLong, static_cast<uint32_t>(pixelBytes));   // StripByteCounts
    WriteEntry(entry, 282, kRational, kXResolutionOffset);              // XResolution
    WriteEntry(entry, 283, kRational, kYResolutionOffset);              // YResolution
    WriteEntry(entry, 284, kShort, 1);                                  // PlanarConfiguration: chunky
    WriteEntry(entry, 296, kShort, 1);                                  // ResolutionUnit: none
    StoreLe32(block + kNextDirectoryOffset, 0);                         // no further directory
    StoreLe32(block + kXResolutionOffset, 1);                           // 1/1
    StoreLe32(block + kXResolutionOffset + 4, 1);
    StoreLe32(block + kYResolutionOffset, 1);
    StoreLe32(block + kYResolutionOffset + 4, 1);
    return block + kTiffHeadSize;
}

void FillTiffImage(int height, int layoutCode, int sourceBits, uint8_t* pixels, int width, const void* samples) {
    const int outputDepth = OutputDepth(RequestedDepth(layoutCode, sourceBits));
    const int bytesPerSample = layoutCode & 0xFF;
    if (pixels == nullptr || samples == nullptr || outputDepth == 0 || !ValidSampleSize(bytesPerSample) ||
        width <= 0 || height <= 0) {
        return;
    }
    if (outputDepth == 8) {
        // Top-down, unpadded: the TIFF rows follow the sample rows.
        ConvertSamplesTo8Bit(-height, pixels, bytesPerSample, sourceBits, -width, samples);
        return;
    }
    // No row padding, so the whole image is one run of samples. A source bit count above
    // 16 (which BuildTiffImage refuses) copies the low 16 bits; 0 or below leaves nothing.
    const int64_t count = static_cast<int64_t>(width) * height;
    const int shift = 16 - std::clamp(sourceBits, 0, 16);
    const auto* in = static_cast<const uint8_t*>(samples);
    const auto bits = static_cast<unsigned>(shift);
    if (shift >= 16) {
        std::memset(pixels, 0, static_cast<size_t>(count) * 2);
    } else if (bytesPerSample == 1) {
        detail::WidenRow8(pixels, in, count, bits);
    } else if (bytesPerSample == 2) {
        if (shift == 0) {
            std::memmove(pixels, samples, static_cast<size_t>(count) * 2);  // already little-endian
        } else {
            detail::ShiftRow16(pixels, in, count, bits);
        }
    } else {
        detail::NarrowRow32(pixels, in, count, bits);  // the low 2 bytes of each sample
    }
}

uint8_t* BuildTiffImage(int height, ImageBuffer& buffer, int layoutCode, int sourceBits, int width,
                        const void* samples) {
    if (buffer.dibBlock) {
        return nullptr;  // the buffer holds a display bitmap
    }
    const int requested = RequestedDepth(layoutCode, sourceBits);
    const int outputDepth = OutputDepth(requested);
    if (outputDepth == 0 || !ValidSampleSize(layoutCode & 0xFF)) {
        return nullptr;
    }
    // 16-bit output shifts samples left by 16 - sourceBits; a count outside 0..16 has no
    // such shift (a right shift would not keep the values as the file promises).
    if (outputDepth == 16 && (sourceBits < 0 || sourceBits > 16)) {
        return nullptr;
    }
    const int64_t pixelBytes = PixelBytes(outputDepth, width, height);
    if (pixelBytes < 0) {
        return nullptr;
    }

    buffer.tiffData = nullptr;
    if (detail::ReplaceBlock(buffer, buffer.tiffBlock, kTiffHeadSize, pixelBytes) == nullptr) {
        return nullptr;
    }
    buffer.tiffData = WriteTiffHeader(requested, height, buffer.tiffBlock.get(), width);

    if (samples != nullptr) {
        FillTiffImage(height, layoutCode, sourceBits, buffer.tiffData, width, samples);
    } else {
        // The document decodes frames into this area later; until then it is black, and a
        // file written before that holds no leftover heap bytes.
        std::memset(buffer.tiffData, 0, static_cast<size_t>(pixelBytes));
    }
    buffer.status = 0;
    return buffer.tiffBlock.get();
}

}  // namespace zel
