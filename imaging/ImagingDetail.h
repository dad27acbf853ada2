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
// (the pixel area of a TIFF image is such a block); these element types let the row
// loops read and write them without alignment or aliasing assumptions and still vectorise.
#if defined(__GNUC__)
using U16Any = uint16_t __attribute__((may_alias, aligned(1)));
using U32Any = uint32_t __attribute__((may_alias, aligned(1)));
#else
using U16Any = uint16_t;
using U32Any = uint32_t;
#endif

}  // namespace zel::detail
