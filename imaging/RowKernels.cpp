// Row loops of the imaging passes: the mappings to 8 bits (the display render of every
// frame shown, and the 8-bit TIFF output), their widening to the 32-bit pixels a screen
// draws, and the fills of 16-bit TIFF images. One source, compiled once per
// instruction-set target; calls run the best target the processor has (simd/Dispatch.h).
//
// The mappings stay in the sample's own lane width: the 16-bit clamp to 255 before the
// left shift keeps the shifted value below 2^16, and the narrowing to bytes saturates,
// so no lane ever needs widening to 32 bits.

#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "imaging/RowKernels.cpp"
#include <hwy/foreach_target.h>  // IWYU pragma: keep

#include <hwy/highway.h>

#include <algorithm>
#include <cstring>

#include "imaging/RowKernels.h"
#include "simd/Dispatch.h"

HWY_BEFORE_NAMESPACE();
namespace zel::detail::HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

// Tags of one lane (the one-lane target's, and SweepRow's for short rows) have no
// halves.
#if HWY_TARGET == HWY_SCALAR
template <class D>
constexpr bool kOneLane = true;
#else
template <class D>
constexpr bool kOneLane = hn::MaxLanes(D()) == 1;
#endif

// Calls step(d, i) for whole vectors of `d` that cover samples [0, count): as many as fit
// from i = 0, then one ending exactly at count, which redoes a few samples with the same
// result (the output depends only on the input, and dst and src do not overlap). A row
// shorter than one vector goes one sample at a time. Nothing outside the row is touched.
template <class D, class Step>
HWY_INLINE void SweepRow(D d, ptrdiff_t count, const Step& step) {
    const auto lanes = static_cast<ptrdiff_t>(hn::Lanes(d));
    if (count < lanes) {
        const hn::CappedTag<hn::TFromD<D>, 1> one;
        for (ptrdiff_t i = 0; i < count; ++i) step(one, i);
        return;
    }
    ptrdiff_t i = 0;
    for (; i + lanes <= count; i += lanes) step(d, i);
    if (i < count) step(d, count - lanes);
}

// 1-byte samples in byte lanes. A left shift saturates exactly when the value exceeds
// 255 >> left; the comparison's all-ones lanes are then 255.
template <bool kLeft>
void ConvertBytes(uint8_t* HWY_RESTRICT dst, const uint8_t* HWY_RESTRICT src, ptrdiff_t count, int right, int left) {
    const auto limit = static_cast<uint8_t>(255 >> left);
    SweepRow(hn::ScalableTag<uint8_t>(), count, [&](auto d, ptrdiff_t i) HWY_ATTR {
        auto v = hn::ShiftRightSame(hn::LoadU(d, src + i), right);
        if constexpr (kLeft) {
            v = hn::Or(hn::ShiftLeftSame(v, left), hn::VecFromMask(d, hn::Gt(v, hn::Set(d, limit))));
        }
        hn::StoreU(v, d, dst + i);
    });
}

void ConvertRow8Kernel(uint8_t* HWY_RESTRICT dst, const uint8_t* HWY_RESTRICT src, ptrdiff_t count, int right,
                       int left) {
    if (left == 0) {
        ConvertBytes<false>(dst, src, count, right, left);
    } else {
        ConvertBytes<true>(dst, src, count, right, left);
    }
}

// 2-byte samples. After a right shift they are below 0x8000, where the signed
// saturating narrowing to bytes is the clamp to 255; without one they are clamped first.
template <bool kRight, bool kLeft, class D>
HWY_INLINE hn::Vec<D> MapWords(D d, hn::Vec<D> v, int right, int left) {
    const auto c255 = hn::Set(d, uint16_t{255});
    if constexpr (kRight) v = hn::ShiftRightSame(v, right);
    if constexpr (!kRight || kLeft) v = hn::Min(v, c255);
    if constexpr (kLeft) v = hn::Min(hn::ShiftLeftSame(v, left), c255);
    return v;
}

#if HWY_TARGET != HWY_SCALAR
// Two vectors of 16-bit values below 0x8000 as one vector of bytes, in order, each
// clamped to 255. A 128-bit vector narrows with saturation (which clamps) and one
// interleave. Wider vectors narrow within 128-bit blocks and would need a lane permute
// per half; for them a clamp and one ConcatEven of the low bytes is cheaper.
template <class D8, class V16>
HWY_INLINE hn::Vec<D8> NarrowPair(D8 d8, V16 low, V16 high) {
    const hn::RebindToSigned<hn::DFromV<V16>> di;
    if constexpr (hn::MaxLanes(d8) == 16) {
        const hn::Half<D8> half;
        return hn::Combine(d8, hn::DemoteTo(half, hn::BitCast(di, high)), hn::DemoteTo(half, hn::BitCast(di, low)));
    } else {
        const auto c255 = hn::Set(di, int16_t{255});
        return hn::ConcatEven(d8, hn::BitCast(d8, hn::Min(hn::BitCast(di, high), c255)),
                              hn::BitCast(d8, hn::Min(hn::BitCast(di, low), c255)));
    }
}
#endif

template <bool kRight, bool kLeft>
void ConvertWords(uint8_t* HWY_RESTRICT dst, const uint16_t* HWY_RESTRICT src, ptrdiff_t count, int right,
                  int left) {
    SweepRow(hn::ScalableTag<uint8_t>(), count, [&](auto d, ptrdiff_t i) HWY_ATTR {
        if constexpr (kOneLane<decltype(d)>) {
            const hn::Rebind<uint16_t, decltype(d)> d16;
            const hn::Rebind<int16_t, decltype(d)> di;
            const auto v = MapWords<kRight, kLeft>(d16, hn::LoadU(d16, src + i), right, left);
            hn::StoreU(hn::DemoteTo(d, hn::BitCast(di, v)), d, dst + i);
        } else {
#if HWY_TARGET != HWY_SCALAR
            const hn::Repartition<uint16_t, decltype(d)> d16;
            const auto low = MapWords<kRight, kLeft>(d16, hn::LoadU(d16, src + i), right, left);
            const auto high = MapWords<kRight, kLeft>(d16, hn::LoadU(d16, src + i + hn::Lanes(d16)), right, left);
            hn::StoreU(NarrowPair(d, low, high), d, dst + i);
#endif
        }
    });
}

void ConvertRow16Kernel(uint8_t* HWY_RESTRICT dst, const uint8_t* HWY_RESTRICT src, ptrdiff_t count, int right,
                        int left) {
    const auto* words = reinterpret_cast<const uint16_t*>(src);
    if (right > 0) {
        left == 0 ? ConvertWords<true, false>(dst, words, count, right, left)
                  : ConvertWords<true, true>(dst, words, count, right, left);
    } else {
        left == 0 ? ConvertWords<false, false>(dst, words, count, right, left)
                  : ConvertWords<false, true>(dst, words, count, right, left);
    }
}

void ConvertRow32Kernel(uint8_t* HWY_RESTRICT dst, const uint8_t* HWY_RESTRICT src, ptrdiff_t count, int right,
                        int left) {
    const auto* in = reinterpret_cast<const uint32_t*>(src);
    SweepRow(hn::ScalableTag<uint32_t>(), count, [&](auto d, ptrdiff_t i) HWY_ATTR {
        const hn::Rebind<uint8_t, decltype(d)> d8;
        const hn::RebindToSigned<decltype(d)> di;
        const auto c255 = hn::Set(d, 255u);
        const auto v = hn::Min(hn::ShiftRightSame(hn::LoadU(d, in + i), right), c255);
        hn::StoreU(hn::DemoteTo(d8, hn::BitCast(di, hn::Min(hn::ShiftLeftSame(v, left), c255))), d8, dst + i);
    });
}

// One vector of bytes becomes two of 16-bit samples: with one 128-bit block, by
// interleaving with zeros; wider vectors interleave within blocks, so they widen halves.
void WidenRow8Kernel(uint8_t* HWY_RESTRICT dst, const uint8_t* HWY_RESTRICT src, ptrdiff_t count, int shift) {
    auto* out = reinterpret_cast<uint16_t*>(dst);
    SweepRow(hn::ScalableTag<uint8_t>(), count, [&](auto d, ptrdiff_t i) HWY_ATTR {
        if constexpr (kOneLane<decltype(d)>) {
            const hn::Rebind<uint16_t, decltype(d)> d16;
            hn::StoreU(hn::ShiftLeftSame(hn::PromoteTo(d16, hn::LoadU(d, src + i)), shift), d16, out + i);
        } else {
#if HWY_TARGET != HWY_SCALAR
            const hn::Repartition<uint16_t, decltype(d)> d16;
            const size_t half = hn::Lanes(d16);
            const auto v = hn::LoadU(d, src + i);
            if constexpr (hn::MaxLanes(d) == 16) {
                const auto zero = hn::Zero(d);
                hn::StoreU(hn::ShiftLeftSame(hn::ZipLower(d16, v, zero), shift), d16, out + i);
                hn::StoreU(hn::ShiftLeftSame(hn::ZipUpper(d16, v, zero), shift), d16, out + i + half);
            } else {
                const hn::Half<decltype(d)> h;
                hn::StoreU(hn::ShiftLeftSame(hn::PromoteTo(d16, hn::LowerHalf(h, v)), shift), d16, out + i);
                hn::StoreU(hn::ShiftLeftSame(hn::PromoteTo(d16, hn::UpperHalf(h, v)), shift), d16, out + i + half);
            }
#endif
        }
    });
}

void ShiftRow16Kernel(uint8_t* HWY_RESTRICT dst, const uint8_t* HWY_RESTRICT src, ptrdiff_t count, int shift) {
    auto* out = reinterpret_cast<uint16_t*>(dst);
    const auto* in = reinterpret_cast<const uint16_t*>(src);
    SweepRow(hn::ScalableTag<uint16_t>(), count, [&](auto d, ptrdiff_t i) HWY_ATTR {
        hn::StoreU(hn::ShiftLeftSame(hn::LoadU(d, in + i), shift), d, out + i);
    });
}

// The low 16 bits, as non-negative 32-bit values, narrow without saturating.
void NarrowRow32Kernel(uint8_t* HWY_RESTRICT dst, const uint8_t* HWY_RESTRICT src, ptrdiff_t count, int shift) {
    auto* out = reinterpret_cast<uint16_t*>(dst);
    const auto* in = reinterpret_cast<const uint32_t*>(src);
    SweepRow(hn::ScalableTag<uint32_t>(), count, [&](auto d, ptrdiff_t i) HWY_ATTR {
        const hn::Rebind<uint16_t, decltype(d)> d16;
        const hn::RebindToSigned<decltype(d)> di;
        const auto low = hn::And(hn::ShiftLeftSame(hn::LoadU(d, in + i), shift), hn::Set(d, 0xFFFFu));
        hn::StoreU(hn::DemoteTo(d16, hn::BitCast(di, low)), d16, out + i);
    });
}

// Each byte widened to its 32-bit lane and copied into the three colour bytes above it.
void GreyToXrgbRowKernel(uint8_t* HWY_RESTRICT dst, const uint8_t* HWY_RESTRICT src, ptrdiff_t count) {
    auto* out = reinterpret_cast<uint32_t*>(dst);
    SweepRow(hn::ScalableTag<uint32_t>(), count, [&](auto d, ptrdiff_t i) HWY_ATTR {
        const hn::Rebind<uint8_t, decltype(d)> d8;
        const auto g = hn::PromoteTo(d, hn::LoadU(d8, src + i));
        const auto opaque = hn::Set(d, 0xFF000000u);
        hn::StoreU(hn::Or(hn::Or(g, hn::ShiftLeft<8>(g)), hn::Or(hn::ShiftLeft<16>(g), opaque)), d, out + i);
    });
}

}  // namespace zel::detail::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace zel::detail {

ZEL_SIMD_EXPORT(ConvertRow8Kernel);
ZEL_SIMD_EXPORT(ConvertRow16Kernel);
ZEL_SIMD_EXPORT(ConvertRow32Kernel);
ZEL_SIMD_EXPORT(WidenRow8Kernel);
ZEL_SIMD_EXPORT(ShiftRow16Kernel);
ZEL_SIMD_EXPORT(NarrowRow32Kernel);
ZEL_SIMD_EXPORT(GreyToXrgbRowKernel);

namespace {

// The kernels shift by counts below the lane width only. Larger ones have a fixed
// result: every bit shifted out (zeros), or, for the left shift of the 8-bit mappings,
// every nonzero value saturated, as a shift of 8 already does.
constexpr unsigned kMaxLeft = 8;

void Zeros(uint8_t* dst, ptrdiff_t bytes) { std::memset(dst, 0, static_cast<size_t>(bytes)); }

int Left(unsigned left) { return static_cast<int>(std::min(left, kMaxLeft)); }

}  // namespace

void ConvertRow8(uint8_t* dst, const uint8_t* src, ptrdiff_t count, unsigned right, unsigned left) {
    if (count <= 0) return;
    if (right >= 8) return Zeros(dst, count);
    ZEL_SIMD_DISPATCH(ConvertRow8Kernel)(dst, src, count, static_cast<int>(right), Left(left));
}

void ConvertRow16(uint8_t* dst, const uint8_t* src, ptrdiff_t count, unsigned right, unsigned left) {
    if (count <= 0) return;
    if (right >= 16) return Zeros(dst, count);
    ZEL_SIMD_DISPATCH(ConvertRow16Kernel)(dst, src, count, static_cast<int>(right), Left(left));
}

void ConvertRow32(uint8_t* dst, const uint8_t* src, ptrdiff_t count, unsigned right, unsigned left) {
    if (count <= 0) return;
    if (right >= 32) return Zeros(dst, count);
    ZEL_SIMD_DISPATCH(ConvertRow32Kernel)(dst, src, count, static_cast<int>(right), Left(left));
}

void WidenRow8(uint8_t* dst, const uint8_t* src, ptrdiff_t count, unsigned shift) {
    if (count <= 0) return;
    if (shift >= 16) return Zeros(dst, 2 * count);
    ZEL_SIMD_DISPATCH(WidenRow8Kernel)(dst, src, count, static_cast<int>(shift));
}

void ShiftRow16(uint8_t* dst, const uint8_t* src, ptrdiff_t count, unsigned shift) {
    if (count <= 0) return;
    if (shift >= 16) return Zeros(dst, 2 * count);
    ZEL_SIMD_DISPATCH(ShiftRow16Kernel)(dst, src, count, static_cast<int>(shift));
}

void NarrowRow32(uint8_t* dst, const uint8_t* src, ptrdiff_t count, unsigned shift) {
    if (count <= 0) return;
    if (shift >= 16) return Zeros(dst, 2 * count);
    ZEL_SIMD_DISPATCH(NarrowRow32Kernel)(dst, src, count, static_cast<int>(shift));
}

void GreyToXrgbRow(uint8_t* dst, const uint8_t* src, ptrdiff_t count) {
    if (count <= 0) return;
    ZEL_SIMD_DISPATCH(GreyToXrgbRowKernel)(dst, src, count);
}

}  // namespace zel::detail
#endif  // HWY_ONCE
