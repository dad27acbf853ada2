// The stream unpacking kernels, compiled for every instruction-set target and chosen at
// run time. Each handles whole 16- or 32-sample units with vectors and hands the
// remainder to the plain kernel; no load reaches past the bytes its count covers.

#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "decode/UnpackKernels.cpp"
#include <hwy/foreach_target.h>  // IWYU pragma: keep

#include <hwy/highway.h>

#include "decode/Kernels.h"
#include "decode/UnpackBlocks-inl.h"

HWY_BEFORE_NAMESPACE();
namespace zel::detail::HWY_NAMESPACE {

#if HWY_TARGET == HWY_SCALAR

void UnpackLane10Target(const uint8_t* src, uint16_t* dst, size_t blocks) { UnpackLane10Plain(src, dst, blocks); }
void UnpackBits10Target(const uint8_t* src, uint16_t* dst, size_t groups) { UnpackBits10Plain(src, dst, groups); }
void UnpackBits12Target(const uint8_t* src, uint16_t* dst, size_t groups) { UnpackBits12Plain(src, dst, groups); }
void Expand8Target(const uint8_t* src, uint16_t* dst, size_t count) { Expand8Plain(src, dst, count); }

#else

// Lane packing, one block per vector block: with two blocks per vector the planes of two
// blocks are regrouped so that each store takes 16 consecutive samples.
void UnpackLane10Target(const uint8_t* src, uint16_t* dst, size_t blocks) {
    const D16 d16;
    size_t blk = 0;
    for (; blk + kBlocksPerVector <= blocks; blk += kBlocksPerVector) {
        const uint8_t* a = src + 40 * blk;
        const LaneSamples s = UnpackLaneBlocks(a, a + 40);
        uint16_t* d = dst + 32 * blk;
        if constexpr (kBlocksPerVector == 2) {
            hn::StoreU(hn::ConcatLowerLower(d16, s.s1, s.s0), d16, d);
            hn::StoreU(hn::ConcatLowerLower(d16, s.s3, s.s2), d16, d + 16);
            hn::StoreU(hn::ConcatUpperUpper(d16, s.s1, s.s0), d16, d + 32);
            hn::StoreU(hn::ConcatUpperUpper(d16, s.s3, s.s2), d16, d + 48);
        } else {
            hn::StoreU(s.s0, d16, d);
            hn::StoreU(s.s1, d16, d + 8);
            hn::StoreU(s.s2, d16, d + 16);
            hn::StoreU(s.s3, d16, d + 24);
        }
    }
    UnpackLane10Plain(src + 40 * blk, dst + 32 * blk, blocks - blk);
}

// 16 samples per unit: `Unpacker::kBytes` bytes, or `groupsPerUnit` groups.
template <class Unpacker>
size_t UnpackUnits(const uint8_t* src, uint16_t* dst, size_t units) {
    const Unpacker unpack;
    for (size_t u = 0; u < units; ++u) StoreUnit(unpack(src + Unpacker::kBytes * u), dst + 16 * u);
    return units;
}

void UnpackBits10Target(const uint8_t* src, uint16_t* dst, size_t groups) {
    const size_t g = 4 * UnpackUnits<Bits10Unpacker>(src, dst, groups / 4);
    UnpackBits10Plain(src + 5 * g, dst + 4 * g, groups - g);
}

void UnpackBits12Target(const uint8_t* src, uint16_t* dst, size_t groups) {
    const size_t g = 8 * UnpackUnits<Bits12Unpacker>(src, dst, groups / 8);
    UnpackBits12Plain(src + 3 * g, dst + 2 * g, groups - g);
}

void Expand8Target(const uint8_t* src, uint16_t* dst, size_t count) {
    const size_t i = 16 * UnpackUnits<Expand8Unpacker>(src, dst, count / 16);
    Expand8Plain(src + i, dst + i, count - i);
}

#endif

}  // namespace zel::detail::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
#include "simd/Dispatch.h"

namespace zel::detail {

ZEL_SIMD_EXPORT(UnpackLane10Target);
ZEL_SIMD_EXPORT(UnpackBits10Target);
ZEL_SIMD_EXPORT(UnpackBits12Target);
ZEL_SIMD_EXPORT(Expand8Target);

void UnpackLane10(const uint8_t* src, uint16_t* dst, size_t blocks) {
    ZEL_SIMD_DISPATCH(UnpackLane10Target)(src, dst, blocks);
}
void UnpackBits10(const uint8_t* src, uint16_t* dst, size_t groups) {
    ZEL_SIMD_DISPATCH(UnpackBits10Target)(src, dst, groups);
}
void UnpackBits12(const uint8_t* src, uint16_t* dst, size_t groups) {
    ZEL_SIMD_DISPATCH(UnpackBits12Target)(src, dst, groups);
}
void Expand8(const uint8_t* src, uint16_t* dst, size_t count) {
    ZEL_SIMD_DISPATCH(Expand8Target)(src, dst, count);
}

}  // namespace zel::detail
#endif
