#pragma once
// Byte-order helpers. A movie file states its byte order once, in its header; every
// multi-byte integer of the header, the directory, the records, the correction tables
// and the per-frame headers is stored in that order. Pixel data are byte streams and
// never swapped.

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace zel {

constexpr uint32_t Swap32(uint32_t v) {
    return (v >> 24) | ((v >> 8) & 0x0000ff00u) | ((v << 8) & 0x00ff0000u) | (v << 24);
}

constexpr uint16_t Swap16(uint16_t v, bool nativeOrder) {
    return nativeOrder ? v : static_cast<uint16_t>((v >> 8) | (v << 8));
}

// Bounds-checked reads of little-endian-or-swapped integers from a record buffer.
// Reads past the end yield 0, so a record that is shorter than its layout can never
// be read out of bounds.
class RecordView {
public:
    RecordView(const uint8_t* data, size_t size, bool nativeOrder)
        : data_(data), size_(size), native_(nativeOrder) {}

    uint8_t U8(size_t at) const { return at < size_ ? data_[at] : 0; }
    int8_t S8(size_t at) const { return static_cast<int8_t>(U8(at)); }

    uint16_t U16(size_t at) const {
        if (at > size_ || size_ - at < 2) return 0;
        uint16_t v;
        std::memcpy(&v, data_ + at, 2);
        return Swap16(v, native_);
    }
    int16_t S16(size_t at) const { return static_cast<int16_t>(U16(at)); }

    uint32_t U32(size_t at) const {
        if (at > size_ || size_ - at < 4) return 0;
        uint32_t v;
        std::memcpy(&v, data_ + at, 4);
        return native_ ? v : Swap32(v);
    }
    int32_t S32(size_t at) const { return static_cast<int32_t>(U32(at)); }

    bool TagIs(size_t at, const char (&tag)[5]) const {
        return at <= size_ && size_ - at >= 4 && std::memcmp(data_ + at, tag, 4) == 0;
    }

private:
    const uint8_t* data_;
    size_t size_;
    bool native_;
};

}  // namespace zel
