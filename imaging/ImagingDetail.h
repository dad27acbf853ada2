#pragma once
// Helpers shared by the display bitmap and the TIFF writer: block allocation that
// reports failure as null, little-endian field stores and loads, and unaligned,
// alias-safe views of sample arrays.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>

#include "imaging/ImageBuffer.h"

namespace zel::detail {

// Both image formats we write are little-endian, and the 16-bit pixel areas are filled
// (and written to disk) with native stores; a big-endian host would need byte swaps here.
static_assert(std::endian::native == std::endian::little,
              "imaging writes little-endian images with native 16-bit stores");

// Largest block we build: sizes live in `int` fields (headerSize, imageSize).
constexpr int64_t kMaxBlockBytes = 0x7FFFFFFF;

// A block of `bytes` uninitialised bytes, or null when memory runs out; the image
// builders report failure as null rather than by an exception.
inline std::unique_ptr<uint8_t[]> AllocateBlock(size_t bytes) {
    try {
        return std::make_unique_for_overwrite<uint8_t[]>(bytes);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

// Replaces `block` (the buffer's bitmap or TIFF block) by a new one of headerSize +
// imageSize bytes and records both sizes in the buffer. The old block goes first, so the
// peak memory stays one block. Returns the pixel area, or null (block empty, sizes 0)
// when memory runs out. The caller has checked that the sizes fit an int.
inline uint8_t* ReplaceBlock(ImageBuffer& buffer, std::unique_ptr<uint8_t[]>& block, int headerSize,
                             int64_t imageSize) {
    block.reset();
    buffer.headerSize = 0;
    buffer.imageSize = 0;
    block = AllocateBlock(static_cast<size_t>(imageSize + headerSize));
    if (!block) return nullptr;
    buffer.headerSize = headerSize;
    buffer.imageSize = static_cast<int>(imageSize);
    return block.get() + headerSize;
}

inline void StoreLe16(uint8_t* at, uint32_t value) {
    const auto v = static_cast<uint16_t>(value);
    std::memcpy(at, &v, 2);
}
inline void StoreLe32(uint8_t* at, uint32_t value) { std::memcpy(at, &value, 4); }
inline uint16_t LoadLe16(const uint8_t* at) {
    uint16_t v;
    std::memcpy(&v, at, 2);
    return v;
}
inline uint32_t LoadLe32(const uint8_t* at) {
    uint32_t v;
    std::memcpy(&v, at, 4);
    return v;
}

// Sample arrays arrive as `const void*` and may sit at any address inside a byte block
// (the pixel area of a TIFF image is such a block); the row loops read and write their
// elements through memcpy, which makes no alignment or aliasing assumption and still
// compiles to plain (vectorisable) loads and stores.
inline uint16_t Get16(const uint8_t* base, ptrdiff_t i) {
    uint16_t v;
    std::memcpy(&v, base + 2 * i, 2);
    return v;
}
inline uint32_t Get32(const uint8_t* base, ptrdiff_t i) {
    uint32_t v;
    std::memcpy(&v, base + 4 * i, 4);
    return v;
}
inline void Put16(uint8_t* base, ptrdiff_t i, uint16_t v) { std::memcpy(base + 2 * i, &v, 2); }

}  // namespace zel::detail
