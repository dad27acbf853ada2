// The correction passes run once per frame over every sample (or band by band while the
// band is in cache), so they are vector loops: one source, compiled once per
// instruction-set target; calls run the best target the processor has.
//
// The vector forms hold for the parameters of real movies (0 <= floor <= fullScale
// <= 32767); other parameters take the plain loop, computed in 64 bits so that no
// product overflows, which gives the same results wherever the 32-bit formula is defined.

#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "reader/CorrectionPass.cpp"
#include <hwy/foreach_target.h>  // IWYU pragma: keep

#include <hwy/highway.h>

#include <algorithm>
#include <cstddef>

#include "reader/CorrectionPass.h"
#include "simd/Dispatch.h"

HWY_BEFORE_NAMESPACE();
namespace zel::detail::HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

// One sample of each pass, for the one-lane target and for rows shorter than a vector
// (parameters in the vector range only). The gain product is formed modulo 2^32: it
// only wraps for samples at full scale, whose result is not used.
inline uint16_t OffsetSample(int v, int offset, int floor, int fullScale) {
    return static_cast<uint16_t>(std::clamp(v + offset, floor, fullScale));
}

inline uint16_t GainSample(int v, int offset, int gain, int floor, int fullScale, int pedestal) {
    const auto x = static_cast<int32_t>(static_cast<uint32_t>(v + offset) * static_cast<uint32_t>(gain) + 256u);
    const int q = (x + ((x >> 31) & 511)) >> 9;  // x / 512, truncating toward zero
    return static_cast<uint16_t>(v >= fullScale - 1 ? fullScale : std::clamp(pedestal + q, floor, fullScale));
}

#if HWY_TARGET == HWY_SCALAR

// Plain loops, which the compiler vectorises for the baseline instruction set.
void OffsetCorrectKernel(uint16_t* HWY_RESTRICT samples, const int16_t* HWY_RESTRICT offsets, ptrdiff_t count,
                         int floor, int fullScale) {
    for (ptrdiff_t i = 0; i < count; ++i) samples[i] = OffsetSample(samples[i], offsets[i], floor, fullScale);
}

void GainCorrectKernel(uint16_t* HWY_RESTRICT samples, const int16_t* HWY_RESTRICT offsets,
                       const int16_t* HWY_RESTRICT gains, ptrdiff_t count, int floor, int fullScale, int pedestal) {
    for (ptrdiff_t i = 0; i < count; ++i)
        samples[i] = GainSample(samples[i], offsets[i], gains[i], floor, fullScale, pedestal);
}

#else

// Replaces samples [0, count) by corrected(i), the corrected samples i.. of one vector of
// `d` lanes, as 16-bit values; count is at least one vector. The last vector ends exactly
// at count and keeps the lanes an earlier vector has already corrected, so nothing
// outside the row is read or written.
template <class D, class Corrected>
HWY_INLINE void CorrectInPlace(D d, uint16_t* HWY_RESTRICT samples, ptrdiff_t count, const Corrected& corrected) {
    const hn::Rebind<uint16_t, D> d16;
    const auto lanes = static_cast<ptrdiff_t>(hn::Lanes(d));
    ptrdiff_t i = 0;
    for (; i + lanes <= count; i += lanes) hn::StoreU(corrected(i), d16, samples + i);
    if (i < count) {
        const ptrdiff_t last = count - lanes;
        const auto done = hn::FirstN(d16, static_cast<size_t>(i - last));
        const auto fresh = corrected(last);
        hn::StoreU(hn::IfThenElse(done, hn::LoadU(d16, samples + last), fresh), d16, samples + last);
    }
}

// v + offset clamped to floor .. fullScale, in 16-bit lanes: v - 32768 is exact as a
// signed value, and the saturating add only saturates where the true sum lies outside
// 0 .. 65535, where the clamp gives the same bound either way (floor >= 0).
void OffsetCorrectKernel(uint16_t* HWY_RESTRICT samples, const int16_t* HWY_RESTRICT offsets, ptrdiff_t count,
                         int floor, int fullScale) {
    const hn::ScalableTag<uint16_t> d;
    const hn::RebindToSigned<decltype(d)> di;
    if (count < static_cast<ptrdiff_t>(hn::Lanes(d))) {
        for (ptrdiff_t i = 0; i < count; ++i) samples[i] = OffsetSample(samples[i], offsets[i], floor, fullScale);
        return;
    }
    const auto flip = hn::Set(di, int16_t{-32768});
    const auto low = hn::Set(di, static_cast<int16_t>(floor - 32768));
    const auto high = hn::Set(di, static_cast<int16_t>(fullScale - 32768));
    CorrectInPlace(d, samples, count, [&](ptrdiff_t i) HWY_ATTR {
        const auto v = hn::Xor(hn::BitCast(di, hn::LoadU(d, samples + i)), flip);
        const auto sum = hn::SaturatedAdd(v, hn::LoadU(di, offsets + i));
        return hn::BitCast(d, hn::Xor(hn::Min(hn::Max(sum, low), high), flip));
    });
}

#if HWY_ARCH_X86 && HWY_TARGET != HWY_EMU128

// On x86 the 16 x 16 -> 32-bit multiply-add adds the products of adjacent lanes, the
// interleaves work within 128-bit blocks, and the narrowing of two 32-bit vectors packs
// them block by block. So (v, offset) . (gain, gain) = (v + offset) * gain lands in one
// 32-bit lane per sample, exact since v < 32767 wherever the result is used, and the
// narrowing puts the samples back in order. Saturating the 32-bit results to 16 bits
// before the clamp keeps them in order, so the clamp gives the exact result.
void GainCorrectKernel(uint16_t* HWY_RESTRICT samples, const int16_t* HWY_RESTRICT offsets,
                       const int16_t* HWY_RESTRICT gains, ptrdiff_t count, int floor, int fullScale, int pedestal) {
    const hn::ScalableTag<int16_t> d;
    const hn::RebindToUnsigned<decltype(d)> du;
    const hn::Repartition<int32_t, decltype(d)> d32;
    if (count < static_cast<ptrdiff_t>(hn::Lanes(d))) {
        for (ptrdiff_t i = 0; i < count; ++i)
            samples[i] = GainSample(samples[i], offsets[i], gains[i], floor, fullScale, pedestal);
        return;
    }
    const auto round = hn::Set(d32, 256), bias = hn::Set(d32, 511), base = hn::Set(d32, pedestal);
    const auto low = hn::Set(d, static_cast<int16_t>(floor)), high = hn::Set(d, static_cast<int16_t>(fullScale));
    const auto nearFull = hn::Set(du, static_cast<uint16_t>(fullScale - 1));
    // pedestal + (x + 256) / 512, truncating toward zero: negative values first gain 511.
    const auto divide = [&](hn::Vec<decltype(d32)> x) HWY_ATTR {
        x = hn::Add(x, round);
        return hn::Add(hn::ShiftRight<9>(hn::Add(x, hn::And(hn::ShiftRight<31>(x), bias))), base);
    };
    CorrectInPlace(du, samples, count, [&](ptrdiff_t i) HWY_ATTR {
        const auto raw = hn::LoadU(du, samples + i);
        const auto v = hn::BitCast(d, raw);
        const auto o = hn::LoadU(d, offsets + i);
        const auto g = hn::LoadU(d, gains + i);
        auto unused = hn::Zero(d32);
        const auto lo = hn::ReorderWidenMulAccumulate(d32, hn::InterleaveLower(d, v, o), hn::InterleaveLower(d, g, g),
                                                      hn::Zero(d32), unused);
        const auto hi = hn::ReorderWidenMulAccumulate(d32, hn::InterleaveUpper(d, v, o), hn::InterleaveUpper(d, g, g),
                                                      hn::Zero(d32), unused);
        const auto t = hn::Min(hn::Max(hn::ReorderDemote2To(d, divide(lo), divide(hi)), low), high);
        // v >= nearFull (unsigned) exactly when nearFull - v saturates to 0.
        const auto kept = hn::Eq(hn::SaturatedSub(nearFull, raw), hn::Zero(du));
        return hn::IfThenElse(kept, hn::BitCast(du, high), hn::BitCast(du, t));
    });
}

#else

// pedestal + ((v + offset) * gain + 256) / 512 in 32-bit lanes. The product fits 32 bits
// wherever the result is used (v < fullScale - 1 <= 32766), and the narrowing to 16 bits
// is exact because the value is already clamped to floor .. fullScale.
void GainCorrectKernel(uint16_t* HWY_RESTRICT samples, const int16_t* HWY_RESTRICT offsets,
                       const int16_t* HWY_RESTRICT gains, ptrdiff_t count, int floor, int fullScale, int pedestal) {
    const hn::ScalableTag<int32_t> d;
    const hn::Rebind<uint16_t, decltype(d)> du16;
    const hn::Rebind<int16_t, decltype(d)> di16;
    if (count < static_cast<ptrdiff_t>(hn::Lanes(d))) {
        for (ptrdiff_t i = 0; i < count; ++i)
            samples[i] = GainSample(samples[i], offsets[i], gains[i], floor, fullScale, pedestal);
        return;
    }
    const auto top = hn::Set(d, fullScale);
    CorrectInPlace(d, samples, count, [&](ptrdiff_t i) HWY_ATTR {
        const auto v = hn::PromoteTo(d, hn::LoadU(du16, samples + i));
        const auto o = hn::PromoteTo(d, hn::LoadU(di16, offsets + i));
        const auto g = hn::PromoteTo(d, hn::LoadU(di16, gains + i));
        const auto x = hn::Add(hn::Mul(hn::Add(v, o), g), hn::Set(d, 256));
        const auto q = hn::ShiftRight<9>(hn::Add(x, hn::And(hn::ShiftRight<31>(x), hn::Set(d, 511))));
        const auto t = hn::Min(hn::Max(hn::Add(q, hn::Set(d, pedestal)), hn::Set(d, floor)), top);
        return hn::DemoteTo(du16, hn::IfThenElse(hn::Gt(v, hn::Set(d, fullScale - 2)), top, t));
    });
}

#endif
#endif

}  // namespace zel::detail::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace zel {

namespace detail {
namespace {

ZEL_SIMD_EXPORT(OffsetCorrectKernel);
ZEL_SIMD_EXPORT(GainCorrectKernel);

// Parameters for which the vector forms give the formula's results.
bool VectorRange(int floor, int fullScale) { return 0 <= floor && floor <= fullScale && fullScale <= 32767; }

int64_t ClampTo(int64_t value, int64_t low, int64_t high) {
    value = value < low ? low : value;
    return value > high ? high : value;
}

void OffsetCorrect(uint16_t* samples, const int16_t* offsets, int count, int floor, int fullScale) {
    if (VectorRange(floor, fullScale)) {
        ZEL_SIMD_DISPATCH(OffsetCorrectKernel)(samples, offsets, count, floor, fullScale);
        return;
    }
    for (int i = 0; i < count; ++i)
        samples[i] = static_cast<uint16_t>(ClampTo(int64_t{samples[i]} + offsets[i], floor, fullScale));
}

void GainCorrect(uint16_t* samples, const int16_t* offsets, const int16_t* gains, int count, int floor,
                 int fullScale, int pedestal) {
    if (VectorRange(floor, fullScale)) {
        ZEL_SIMD_DISPATCH(GainCorrectKernel)(samples, offsets, gains, count, floor, fullScale, pedestal);
        return;
    }
    for (int i = 0; i < count; ++i) {
        const int64_t v = samples[i];
        const int64_t t = pedestal + ((v + offsets[i]) * gains[i] + 256) / 512;  // C++ division truncates
        samples[i] = static_cast<uint16_t>(v >= fullScale - 1 ? fullScale : ClampTo(t, floor, fullScale));
    }
}

}  // namespace
}  // namespace detail

void OffsetCorrectRow(uint16_t* __restrict samples, const int16_t* __restrict offsets, int count, int floor,
                      int fullScale) {
    if (count > 0) detail::OffsetCorrect(samples, offsets, count, floor, fullScale);
}

void GainCorrectRow(uint16_t* __restrict samples, const int16_t* __restrict offsets, const int16_t* __restrict gains,
                    int count, int floor, int fullScale, int pedestal) {
    if (count > 0) detail::GainCorrect(samples, offsets, gains, count, floor, fullScale, pedestal);
}

}  // namespace zel
#endif  // HWY_ONCE
