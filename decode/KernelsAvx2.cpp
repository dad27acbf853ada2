// AVX2 unpacking kernels, compiled for AVX2 through function attributes so that the
// rest of the library keeps the baseline instruction set; Isa.cpp only selects them
// when the processor reports AVX2. Each kernel handles whole vector-sized units and
// hands the remainder to the plain C++ kernel, and no load reaches past the bytes
// its count covers.

#include "decode/Kernels.h"

#if defined(__x86_64__)

#include "decode/Avx2Primitives.h"
#include "decode/KernelsPortable.h"

namespace zel::detail {

namespace {

using namespace avx2;

ZEL_AVX2 void UnpackLane10Avx2(const uint8_t* src, uint16_t* dst, size_t blocks) {
    size_t blk = 0;
    for (; blk + 2 <= blocks; blk += 2) {
        const uint8_t* a = src + 40 * blk;
        const LaneSamples s = UnpackTwoBlocks(a, a + 40);
        uint16_t* d = dst + 32 * blk;
        Store256(d, _mm256_permute2x128_si256(s.s0, s.s1, 0x20));
        Store256(d + 16, _mm256_permute2x128_si256(s.s2, s.s3, 0x20));
        Store256(d + 32, _mm256_permute2x128_si256(s.s0, s.s1, 0x31));
        Store256(d + 48, _mm256_permute2x128_si256(s.s2, s.s3, 0x31));
    }
    UnpackLane10Portable(src + 40 * blk, dst + 32 * blk, blocks - blk);
}

ZEL_AVX2 void UnpackBits10Avx2(const uint8_t* src, uint16_t* dst, size_t groups) {
    size_t g = 0;
    for (; g + 4 <= groups; g += 4) {
        Store256(dst + 4 * g, Bits10x16(src + 5 * g));
    }
    UnpackBits10Portable(src + 5 * g, dst + 4 * g, groups - g);
}

ZEL_AVX2 void UnpackBits12Avx2(const uint8_t* src, uint16_t* dst, size_t groups) {
    size_t g = 0;
    for (; g + 8 <= groups; g += 8) {
        Store256(dst + 2 * g, Bits12x16(src + 3 * g));
    }
    UnpackBits12Portable(src + 3 * g, dst + 2 * g, groups - g);
}

ZEL_AVX2 void Expand8Avx2(const uint8_t* src, uint16_t* dst, size_t count) {
    size_t i = 0;
    for (; i + 16 <= count; i += 16) {
        Store256(dst + i, Expand8x16(src + i));
    }
    Expand8Portable(src + i, dst + i, count - i);
}

}  // namespace

const Kernels* Avx2Kernels() {
    static const Kernels kernels{UnpackLane10Avx2, UnpackBits10Avx2, UnpackBits12Avx2, Expand8Avx2};
    return &kernels;
}

}  // namespace zel::detail

#else  // !__x86_64__

namespace zel::detail {

const Kernels* Avx2Kernels() {
    return nullptr;
}

}  // namespace zel::detail

#endif
