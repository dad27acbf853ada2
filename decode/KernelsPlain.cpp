// Plain C++ unpacking kernels: the scalar target's kernels and the tails of the vector
// kernels. Each step reads its
// bytes into locals before it stores anything, and the pointers are marked as not
// overlapping: a store through a 16-bit pointer may otherwise alias the byte input and
// force every byte to be read again.

#include "decode/DecodeDetail.h"
#include "decode/Kernels.h"

namespace zel::detail {

void UnpackLane10Plain(const uint8_t* __restrict src, uint16_t* __restrict dst, size_t blocks) {
    for (size_t blk = 0; blk < blocks; ++blk) {
        const uint8_t* b = src + 40 * blk;
        uint16_t* d = dst + 32 * blk;
        // Lane j: bytes j, 8+j, 16+j, 24+j, 32+j form one 40-bit big-endian value
        // holding samples j, 8+j, 16+j, 24+j from its top.
        for (size_t j = 0; j < 8; ++j) {
            const unsigned b0 = b[j], b1 = b[8 + j], b2 = b[16 + j], b3 = b[24 + j], b4 = b[32 + j];
            d[j] = static_cast<uint16_t>((b0 << 2) | (b1 >> 6));
            d[8 + j] = static_cast<uint16_t>(((b1 & 0x3Fu) << 4) | (b2 >> 4));
            d[16 + j] = static_cast<uint16_t>(((b2 & 0x0Fu) << 6) | (b3 >> 2));
            d[24 + j] = static_cast<uint16_t>(((b3 & 0x03u) << 8) | b4);
        }
    }
}

void UnpackBits10Plain(const uint8_t* __restrict src, uint16_t* __restrict dst, size_t groups) {
    for (size_t g = 0; g < groups; ++g) {
        const uint8_t* b = src + 5 * g;
        const unsigned b0 = b[0], b1 = b[1], b2 = b[2], b3 = b[3], b4 = b[4];
        uint16_t* d = dst + 4 * g;
        d[0] = static_cast<uint16_t>((b0 << 2) | (b1 >> 6));
        d[1] = static_cast<uint16_t>(((b1 & 0x3Fu) << 4) | (b2 >> 4));
        d[2] = static_cast<uint16_t>(((b2 & 0x0Fu) << 6) | (b3 >> 2));
        d[3] = static_cast<uint16_t>(((b3 & 0x03u) << 8) | b4);
    }
}

void UnpackBits12Plain(const uint8_t* __restrict src, uint16_t* __restrict dst, size_t groups) {
    for (size_t g = 0; g < groups; ++g) {
        const uint8_t* b = src + 3 * g;
        const unsigned b0 = b[0], b1 = b[1], b2 = b[2];
        uint16_t* d = dst + 2 * g;
        d[0] = static_cast<uint16_t>((b0 << 4) | (b1 >> 4));
        d[1] = static_cast<uint16_t>(((b1 & 0x0Fu) << 8) | b2);
    }
}

void Expand8Plain(const uint8_t* __restrict src, uint16_t* __restrict dst, size_t count) {
    const uint16_t* table = Expand8To10().data();
    for (size_t i = 0; i < count; ++i) {
        dst[i] = table[src[i]];
    }
}

}  // namespace zel::detail
