// Row loops of the imaging passes. The 2-byte and 1-byte mappings to 8 bits (the display
// render on every frame shown, and the 8-bit TIFF output) and the widening of bytes to
// 16 bits have hand-written SSE2 and AVX2 versions: left to itself the compiler widens the
// 16-bit lanes to 32 bits for the variable shifts and runs at half the speed. The other
// loops are plain C++ that the compiler vectorises well enough for their rare use.

#include "imaging/RowKernels.h"

#include <algorithm>

#include "decode/Cpu.h"
#include "imaging/ImagingDetail.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#define ZEL_IMAGING_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define ZEL_IMAGING_CLONES
#endif

namespace zel::detail {

namespace {

// ---- Plain C++: the whole job off x86-64, the tails on it. ----

void ConvertRow8Portable(uint8_t* __restrict dst, const uint8_t* __restrict src, ptrdiff_t count,
                         unsigned right, unsigned left) {
    for (ptrdiff_t i = 0; i < count; ++i) {
        const auto v = static_cast<unsigned>(src[i] >> right) << left;  // at most 255 << 8
        dst[i] = static_cast<uint8_t>(std::min(v, 255u));
    }
}

void ConvertRow16Portable(uint8_t* __restrict dst, const uint8_t* __restrict src, ptrdiff_t count,
                          unsigned right, unsigned left) {
    for (ptrdiff_t i = 0; i < count; ++i) {
        const unsigned v = std::min(static_cast<unsigned>(Get16(src, i)) >> right, 255u) << left;
        dst[i] = static_cast<uint8_t>(std::min(v, 255u));
    }
}

void WidenRow8Portable(uint8_t* __restrict dst, const uint8_t* __restrict src, ptrdiff_t count, unsigned shift) {
    for (ptrdiff_t i = 0; i < count; ++i) {
        Put16(dst, i, static_cast<uint16_t>(static_cast<unsigned>(src[i]) << shift));
    }
}

#if defined(__x86_64__)

// ---- SSE2, 16 pixels a step. Unsigned 16-bit minimum: a - saturated(a - b). ----

inline __m128i Min255Sse2(__m128i v, __m128i c255) { return _mm_sub_epi16(v, _mm_subs_epu16(v, c255)); }

// Maps eight 16-bit samples to at most 255 each (still in 16-bit lanes). With left == 0 and
// right > 0 the value is below 0x8000 and the later signed saturating pack clamps it.
template <bool kPackClamps>
inline __m128i MapSse2(__m128i v, __m128i right, __m128i left, __m128i c255) {
    v = _mm_srl_epi16(v, right);
    if constexpr (kPackClamps) {
        return v;
    } else {
        return Min255Sse2(_mm_sll_epi16(Min255Sse2(v, c255), left), c255);
    }
}

template <bool kPackClamps>
ptrdiff_t ConvertRow16Sse2(uint8_t* dst, const uint8_t* src, ptrdiff_t count, unsigned right, unsigned left) {
    const __m128i r = _mm_cvtsi32_si128(static_cast<int>(right));
    const __m128i l = _mm_cvtsi32_si128(static_cast<int>(left));
    const __m128i c255 = _mm_set1_epi16(255);
    ptrdiff_t i = 0;
    for (; i + 16 <= count; i += 16) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 2 * i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 2 * i + 16));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i),
                         _mm_packus_epi16(MapSse2<kPackClamps>(a, r, l, c255), MapSse2<kPackClamps>(b, r, l, c255)));
    }
    return i;
}

ptrdiff_t ConvertRow8Sse2(uint8_t* dst, const uint8_t* src, ptrdiff_t count, unsigned right, unsigned left) {
    const __m128i r = _mm_cvtsi32_si128(static_cast<int>(right));
    const __m128i l = _mm_cvtsi32_si128(static_cast<int>(left));
    const __m128i c255 = _mm_set1_epi16(255);
    const __m128i zero = _mm_setzero_si128();
    ptrdiff_t i = 0;
    for (; i + 16 <= count; i += 16) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
        const __m128i a = MapSse2<false>(_mm_unpacklo_epi8(x, zero), r, l, c255);
        const __m128i b = MapSse2<false>(_mm_unpackhi_epi8(x, zero), r, l, c255);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), _mm_packus_epi16(a, b));
    }
    return i;
}

ptrdiff_t WidenRow8Sse2(uint8_t* dst, const uint8_t* src, ptrdiff_t count, unsigned shift) {
    const __m128i s = _mm_cvtsi32_si128(static_cast<int>(shift));
    const __m128i zero = _mm_setzero_si128();
    ptrdiff_t i = 0;
    for (; i + 16 <= count; i += 16) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 2 * i), _mm_sll_epi16(_mm_unpacklo_epi8(x, zero), s));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 2 * i + 16), _mm_sll_epi16(_mm_unpackhi_epi8(x, zero), s));
    }
    return i;
}

// ---- AVX2, 32 pixels a step. ----

#define ZEL_AVX2 __attribute__((target("avx2")))

template <bool kPackClamps>
ZEL_AVX2 inline __m256i MapAvx2(__m256i v, __m128i right, __m128i left, __m256i c255) {
    v = _mm256_srl_epi16(v, right);
    if constexpr (kPackClamps) {
        return v;
    } else {
        return _mm256_min_epu16(_mm256_sll_epi16(_mm256_min_epu16(v, c255), left), c255);
    }
}

// The 256-bit pack works within 128-bit halves; the permute puts the 8-byte groups back
// in source order.
ZEL_AVX2 inline void PackStoreAvx2(uint8_t* dst, __m256i a, __m256i b) {
    const __m256i packed = _mm256_permute4x64_epi64(_mm256_packus_epi16(a, b), 0xD8);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst), packed);
}

template <bool kPackClamps>
ZEL_AVX2 ptrdiff_t ConvertRow16Avx2(uint8_t* dst, const uint8_t* src, ptrdiff_t count, unsigned right,
                                    unsigned left) {
    const __m128i r = _mm_cvtsi32_si128(static_cast<int>(right));
    const __m128i l = _mm_cvtsi32_si128(static_cast<int>(left));
    const __m256i c255 = _mm256_set1_epi16(255);
    ptrdiff_t i = 0;
    for (; i + 32 <= count; i += 32) {
        const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + 2 * i));
        const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + 2 * i + 32));
        PackStoreAvx2(dst + i, MapAvx2<kPackClamps>(a, r, l, c255), MapAvx2<kPackClamps>(b, r, l, c255));
    }
    return i;
}

ZEL_AVX2 ptrdiff_t ConvertRow8Avx2(uint8_t* dst, const uint8_t* src, ptrdiff_t count, unsigned right,
                                   unsigned left) {
    const __m128i r = _mm_cvtsi32_si128(static_cast<int>(right));
    const __m128i l = _mm_cvtsi32_si128(static_cast<int>(left));
    const __m256i c255 = _mm256_set1_epi16(255);
    ptrdiff_t i = 0;
    for (; i + 32 <= count; i += 32) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
        const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i + 16));
        PackStoreAvx2(dst + i, MapAvx2<false>(_mm256_cvtepu8_epi16(x), r, l, c255),
                      MapAvx2<false>(_mm256_cvtepu8_epi16(y), r, l, c255));
    }
    return i;
}

ZEL_AVX2 ptrdiff_t WidenRow8Avx2(uint8_t* dst, const uint8_t* src, ptrdiff_t count, unsigned shift) {
    const __m128i s = _mm_cvtsi32_si128(static_cast<int>(shift));
    ptrdiff_t i = 0;
    for (; i + 32 <= count; i += 32) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
        const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i + 16));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + 2 * i), _mm256_sll_epi16(_mm256_cvtepu8_epi16(x), s));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + 2 * i + 32),
                            _mm256_sll_epi16(_mm256_cvtepu8_epi16(y), s));
    }
    return i;
}

#undef ZEL_AVX2

#endif  // __x86_64__

}  // namespace

bool RowIsaAvailable(RowIsa isa) {
    switch (isa) {
        case RowIsa::Portable:
            return true;
#if defined(__x86_64__)
        case RowIsa::Sse2:
            return true;  // part of the x86-64 baseline
        case RowIsa::Avx2:
            return CpuHasAvx2();
#else
        case RowIsa::Sse2:
        case RowIsa::Avx2:
            return false;
#endif
    }
    return false;
}

RowIsa BestRowIsa() {
    if (RowIsaAvailable(RowIsa::Avx2)) {
        return RowIsa::Avx2;
    }
    return RowIsaAvailable(RowIsa::Sse2) ? RowIsa::Sse2 : RowIsa::Portable;
}

void ConvertRow8(RowIsa isa, uint8_t* dst, const uint8_t* src, ptrdiff_t count, unsigned right, unsigned left) {
    ptrdiff_t done = 0;
#if defined(__x86_64__)
    if (isa == RowIsa::Avx2) {
        done = ConvertRow8Avx2(dst, src, count, right, left);
    } else if (isa == RowIsa::Sse2) {
        done = ConvertRow8Sse2(dst, src, count, right, left);
    }
#else
    (void)isa;
#endif
    ConvertRow8Portable(dst + done, src + done, count - done, right, left);
}

void ConvertRow16(RowIsa isa, uint8_t* dst, const uint8_t* src, ptrdiff_t count, unsigned right, unsigned left) {
    ptrdiff_t done = 0;
#if defined(__x86_64__)
    const bool packClamps = left == 0 && right > 0;
    if (isa == RowIsa::Avx2) {
        done = packClamps ? ConvertRow16Avx2<true>(dst, src, count, right, left)
                          : ConvertRow16Avx2<false>(dst, src, count, right, left);
    } else if (isa == RowIsa::Sse2) {
        done = packClamps ? ConvertRow16Sse2<true>(dst, src, count, right, left)
                          : ConvertRow16Sse2<false>(dst, src, count, right, left);
    }
#else
    (void)isa;
#endif
    ConvertRow16Portable(dst + done, src + 2 * done, count - done, right, left);
}

ZEL_IMAGING_CLONES
void ConvertRow32(uint8_t* __restrict dst, const uint8_t* __restrict src, ptrdiff_t count, unsigned right,
                  unsigned left) {
    right &= 31u;  // restates the callers' range so the loop vectorises without checks
    left &= 15u;
    for (ptrdiff_t i = 0; i < count; ++i) {
        const uint32_t v = std::min<uint32_t>(Get32(src, i) >> right, 255u) << left;
        dst[i] = static_cast<uint8_t>(std::min<uint32_t>(v, 255u));
    }
}

void WidenRow8(RowIsa isa, uint8_t* dst, const uint8_t* src, ptrdiff_t count, unsigned shift) {
    ptrdiff_t done = 0;
#if defined(__x86_64__)
    if (isa == RowIsa::Avx2) {
        done = WidenRow8Avx2(dst, src, count, shift);
    } else if (isa == RowIsa::Sse2) {
        done = WidenRow8Sse2(dst, src, count, shift);
    }
#else
    (void)isa;
#endif
    WidenRow8Portable(dst + 2 * done, src + done, count - done, shift);
}

ZEL_IMAGING_CLONES
void ShiftRow16(uint8_t* __restrict dst, const uint8_t* __restrict src, ptrdiff_t count, unsigned shift) {
    shift &= 15u;
    for (ptrdiff_t i = 0; i < count; ++i) Put16(dst, i, static_cast<uint16_t>(Get16(src, i) << shift));
}

ZEL_IMAGING_CLONES
void NarrowRow32(uint8_t* __restrict dst, const uint8_t* __restrict src, ptrdiff_t count, unsigned shift) {
    shift &= 15u;
    for (ptrdiff_t i = 0; i < count; ++i) Put16(dst, i, static_cast<uint16_t>(Get32(src, i) << shift));
}

}  // namespace zel::detail
