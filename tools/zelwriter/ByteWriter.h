#pragma once
// Stores integers into a byte buffer in the movie file's byte order. Every multi-byte value of
// the header, the directory, the records, the correction tables and the per-frame headers goes
// through here; tags, camera codes and pixel data are plain bytes.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace zelgen {

class ByteWriter {
public:
    ByteWriter(std::vector<uint8_t>& bytes, bool bigEndian) : bytes_(bytes), bigEndian_(bigEndian) {}

    // All Put* grow the buffer as needed so a record can be filled in any order.
    void Put8(uint64_t at, uint8_t v) { Ensure(at + 1); bytes_[at] = v; }
    void Put16(uint64_t at, uint16_t v) { PutN(at, v, 2); }
    void Put32(uint64_t at, uint32_t v) { PutN(at, v, 4); }
    void PutText(uint64_t at, std::string_view text) {
        Ensure(at + text.size());
        for (size_t i = 0; i < text.size(); ++i) bytes_[at + i] = static_cast<uint8_t>(text[i]);
    }
    void Ensure(uint64_t size) {
        if (bytes_.size() < size) bytes_.resize(size, 0);
    }

private:
    void PutN(uint64_t at, uint32_t v, int n) {
        Ensure(at + static_cast<uint64_t>(n));
        for (int i = 0; i < n; ++i) {
            const int shift = bigEndian_ ? 8 * (n - 1 - i) : 8 * i;
            bytes_[at + static_cast<uint64_t>(i)] = static_cast<uint8_t>(v >> shift);
        }
    }

    std::vector<uint8_t>& bytes_;
    bool bigEndian_;
};

}  // namespace zelgen
