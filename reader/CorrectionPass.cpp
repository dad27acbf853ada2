#include "reader/CorrectionPass.h"

#if defined(__x86_64__)
#include <immintrin.h>

// The AVX2 helpers pass vectors by value inside this file only.
#pragma GCC diagnostic ignored "-Wpsabi"

#include "decode/DecodeDetail.h"
#endif

// Both passes run once per frame over every sample. The offset pass is written so that
// the compiler vectorises it. The gain pass needs a 16 x 16 -> 32-bit multiply, which
// SSE2 only has as the pairwise multiply-add: (v, o) . (g, g) = v*g + o*g = (v + o)*g,
// exact for every int16 offset and gain since v < 2^12 wherever the result is used.

namespace zel {

namespace {

inline int ClampTo(int value, int low, int high) {
    value = value < low ? low : value;
    return value > high ? high : value;
}

// x / 512, truncating toward zero as integer division does.
inline int DivideBy512(int x) { return (x + ((x >> 31) & 511)) >> 9; }

void GainCorrectScalar(uint16_t* __restrict samples, const int16_t* __restrict offsets,
                       const int16_t* __restrict gains, int count, int floor, int fullScale, int pedestal) {
    const int nearFull = fullScale - 1;
    for (int i = 0; i < count; ++i) {
        const int v = samples[i];
        const int t = pedestal + DivideBy512((v + offsets[i]) * gains[i] + 256);
        samples[i] = static_cast<uint16_t>(v >= nearFull ? fullScale : ClampTo(t, floor, fullScale));
    }
}

#if defined(__x86_64__)

// Eight samples at a time. Saturating the 32-bit results to 16 bits before the clamp
// keeps them in order, so the clamp gives the exact result.
int GainCorrectSse2(uint16_t* samples, const int16_t* offsets, const int16_t* gains, int count, int floor,
                    int fullScale, int pedestal) {
    const __m128i round = _mm_set1_epi32(256), bias = _mm_set1_epi32(511), base = _mm_set1_epi32(pedestal);
    const __m128i low = _mm_set1_epi16(static_cast<int16_t>(floor));
    const __m128i high = _mm_set1_epi16(static_cast<int16_t>(fullScale));
    const __m128i nearFull = _mm_set1_epi16(static_cast<int16_t>(fullScale - 1));
    const auto divide = [&](__m128i x) {
        x = _mm_add_epi32(x, round);
        return _mm_add_epi32(_mm_srai_epi32(_mm_add_epi32(x, _mm_and_si128(_mm_srai_epi32(x, 31), bias)), 9), base);
    };
    int i = 0;
    for (; i + 8 <= count; i += 8) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(samples + i));
        const __m128i o = _mm_loadu_si128(reinterpret_cast<const __m128i*>(offsets + i));
        const __m128i g = _mm_loadu_si128(reinterpret_cast<const __m128i*>(gains + i));
        const __m128i lo = divide(_mm_madd_epi16(_mm_unpacklo_epi16(v, o), _mm_unpacklo_epi16(g, g)));
        const __m128i hi = divide(_mm_madd_epi16(_mm_unpackhi_epi16(v, o), _mm_unpackhi_epi16(g, g)));
        const __m128i t = _mm_min_epi16(_mm_max_epi16(_mm_packs_epi32(lo, hi), low), high);
        // v >= nearFull (unsigned) exactly when nearFull - v saturates to 0.
        const __m128i saturated = _mm_cmpeq_epi16(_mm_subs_epu16(nearFull, v), _mm_setzero_si128());
        const __m128i result = _mm_or_si128(_mm_and_si128(saturated, high), _mm_andnot_si128(saturated, t));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(samples + i), result);
    }
    return i;
}

// pedestal + (x + 256) / 512, truncating toward zero, on eight 32-bit lanes.
__attribute__((target("avx2"))) inline __m256i DivideAvx2(__m256i x, __m256i round, __m256i bias, __m256i base) {
    x = _mm256_add_epi32(x, round);
    return _mm256_add_epi32(_mm256_srai_epi32(_mm256_add_epi32(x, _mm256_and_si256(_mm256_srai_epi32(x, 31), bias)), 9),
                            base);
}

__attribute__((target("avx2"))) int GainCorrectAvx2(uint16_t* samples, const int16_t* offsets,
                                                     const int16_t* gains, int count, int floor, int fullScale,
                                                     int pedestal) {
    const __m256i round = _mm256_set1_epi32(256), bias = _mm256_set1_epi32(511), base = _mm256_set1_epi32(pedestal);
    const __m256i low = _mm256_set1_epi16(static_cast<int16_t>(floor));
    const __m256i high = _mm256_set1_epi16(static_cast<int16_t>(fullScale));
    const __m256i nearFull = _mm256_set1_epi16(static_cast<int16_t>(fullScale - 1));
    int i = 0;
    for (; i + 16 <= count; i += 16) {
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(samples + i));
        const __m256i o = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(offsets + i));
        const __m256i g = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(gains + i));
        // Unpack and pack both work within 128-bit lanes, so the order comes back intact.
        const __m256i lo = DivideAvx2(_mm256_madd_epi16(_mm256_unpacklo_epi16(v, o), _mm256_unpacklo_epi16(g, g)), round, bias, base);
        const __m256i hi = DivideAvx2(_mm256_madd_epi16(_mm256_unpackhi_epi16(v, o), _mm256_unpackhi_epi16(g, g)), round, bias, base);
        const __m256i t = _mm256_min_epi16(_mm256_max_epi16(_mm256_packs_epi32(lo, hi), low), high);
        const __m256i saturated = _mm256_cmpeq_epi16(_mm256_max_epu16(v, nearFull), v);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(samples + i), _mm256_blendv_epi8(t, high, saturated));
    }
    return i;
}

#endif

}  // namespace

#if defined(__x86_64__) && defined(__GNUC__)
__attribute__((target_clones("avx2", "default")))
#endif
void OffsetCorrectRow(uint16_t* __restrict samples, const int16_t* __restrict offsets, int count, int floor,
                      int fullScale) {
    for (int i = 0; i < count; ++i)
        samples[i] = static_cast<uint16_t>(ClampTo(samples[i] + offsets[i], floor, fullScale));
}

void GainCorrectRow(uint16_t* __restrict samples, const int16_t* __restrict offsets, const int16_t* __restrict gains,
                    int count, int floor, int fullScale, int pedestal) {
    int done = 0;
#if defined(__x86_64__)
    static const bool avx2 = detail::BestIsa() == detail::Isa::Avx2;
    done = avx2 ? GainCorrectAvx2(samples, offsets, gains, count, floor, fullScale, pedestal)
                : GainCorrectSse2(samples, offsets, gains, count, floor, fullScale, pedestal);
#endif
    GainCorrectScalar(samples + done, offsets + done, gains + done, count - done, floor, fullScale, pedestal);
}

}  // namespace zel
