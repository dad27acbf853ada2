// The 8-to-10-bit companding curve of the 8-bit stored layouts.
//
// Codes 0-127 are linear; the upper half of the code range covers 128-1023 in three
// straight segments of decreasing resolution. Each entry is the exact rational value
// of its segment, truncated; the segments are evaluated in integers so that no
// floating-point rounding can move an entry that sits exactly on an integer.

#include <array>

#include "decode/DecodeDetail.h"
#include "decode/DecodeFrame.h"

namespace zel {

namespace {

uint16_t ExpandCode(unsigned c) {
    if (c < 128) {
        return static_cast<uint16_t>(c);
    }
    if (c < 192) {  // (c - 128) * 127 / 63 + 128.5, scaled by 126
        return static_cast<uint16_t>(((c - 128) * 254 + 16191) / 126);
    }
    if (c < 224) {  // (c - 192) * 255 / 31 + 256.5, scaled by 62
        return static_cast<uint16_t>(((c - 192) * 510 + 15903) / 62);
    }
    return static_cast<uint16_t>((c - 224) * 511 / 31 + 512);
}

}  // namespace

void BuildExpandTable(uint16_t table[256]) {
    for (unsigned c = 0; c < 256; ++c) {
        table[c] = ExpandCode(c);
    }
}

namespace detail {

const std::array<uint16_t, 256>& Expand8To10() {
    static const std::array<uint16_t, 256> table = [] {
        std::array<uint16_t, 256> t{};
        BuildExpandTable(t.data());
        return t;
    }();
    return table;
}

}  // namespace detail
}  // namespace zel
