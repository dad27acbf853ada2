#pragma once
// AVX2 building blocks shared by the AVX2 kernels and layouts. Only for x86-64
// sources; every function carries the avx2 target attribute, so including files are
// still compiled for the baseline instruction set and only call these after the
// run-time check.

#if defined(__x86_64__)

#include <immintrin.h>

#include <cstdint>

#define ZEL_AVX2 __attribute__((target("avx2")))

namespace zel::detail::avx2 {

ZEL_AVX2 inline __m128i Load128(const void* p) {
    return _mm_loadu_si128(static_cast<const __m128i*>(p));
}

ZEL_AVX2 inline __m256i Load2x128(const uint8_t* lo, const uint8_t* hi) {
    return _mm256_inserti128_si256(_mm256_castsi128_si256(Load128(lo)), Load128(hi), 1);
}

ZEL_AVX2 inline void Store128(void* p, __m128i v) {
    _mm_storeu_si128(static_cast<__m128i*>(p), v);
}

ZEL_AVX2 inline void Store256(void* p, __m256i v) {
    _mm256_storeu_si256(static_cast<__m256i*>(p), v);
}

// The four sample planes of two lane-packed blocks, block a in the low and block b
// in the high half of each register. Interleaving byte plane i + 1 with plane i gives
// 16-bit words with plane i in the high byte, and each sample plane is one such word
// shifted and masked: s0 = P0P1 >> 6, s1 = (P1P2 >> 4) & 0x3FF, s2 = (P2P3 >> 2) & 0x3FF,
// s3 = P3P4 & 0x3FF.
struct LaneSamples {
    __m256i s0, s1, s2, s3;
};

ZEL_AVX2 inline __m256i Load2x64(const uint8_t* lo, const uint8_t* hi) {
    return _mm256_inserti128_si256(_mm256_castsi128_si256(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(lo))),
                                   _mm_loadl_epi64(reinterpret_cast<const __m128i*>(hi)), 1);
}

ZEL_AVX2 inline LaneSamples UnpackTwoBlocks(const uint8_t* a, const uint8_t* b) {
    const __m256i mask = _mm256_set1_epi16(0x3FF);
    const __m256i p01 = Load2x128(a, b);            // planes 0 and 1 in each half
    const __m256i p23 = Load2x128(a + 16, b + 16);  // planes 2 and 3
    const __m256i p4 = Load2x64(a + 32, b + 32);
    const __m256i p1 = _mm256_srli_si256(p01, 8);
    const __m256i p3 = _mm256_srli_si256(p23, 8);
    return {_mm256_srli_epi16(_mm256_unpacklo_epi8(p1, p01), 6),
            _mm256_and_si256(_mm256_srli_epi16(_mm256_unpacklo_epi8(p23, p1), 4), mask),
            _mm256_and_si256(_mm256_srli_epi16(_mm256_unpacklo_epi8(p3, p23), 2), mask),
            _mm256_and_si256(_mm256_unpacklo_epi8(p4, p3), mask)};
}

// MSB-first bit streams, 16 samples per call. Each 16-bit lane receives the two
// bytes that hold its sample, most significant byte high; a multiply by 2^k shifts
// every lane left by its own bit offset k, dropping the bits of the previous sample,
// and one logical right shift leaves the sample. The low half covers the first eight
// samples and the high half, loaded from a later offset so that no load passes the
// unit's last byte, the other eight.

// 16 10-bit samples from 20 bytes.
ZEL_AVX2 inline __m256i Bits10x16(const uint8_t* src) {
    // Sample i of eight starts in byte o = 10i / 8 = 0,1,2,3,5,6,7,8 at bit 10i mod 8.
    // The high half is loaded from byte 4, so its bytes 10 + o sit at 6 + o.
    const __m256i shuffle = _mm256_setr_epi8(1, 0, 2, 1, 3, 2, 4, 3, 6, 5, 7, 6, 8, 7, 9, 8,  //
                                             7, 6, 8, 7, 9, 8, 10, 9, 12, 11, 13, 12, 14, 13, 15, 14);
    const __m256i shifts = _mm256_setr_epi16(1, 4, 16, 64, 1, 4, 16, 64, 1, 4, 16, 64, 1, 4, 16, 64);
    const __m256i v = _mm256_shuffle_epi8(Load2x128(src, src + 4), shuffle);
    return _mm256_srli_epi16(_mm256_mullo_epi16(v, shifts), 6);
}

// 16 12-bit samples from 24 bytes.
ZEL_AVX2 inline __m256i Bits12x16(const uint8_t* src) {
    // Sample i of eight starts in byte o = 12i / 8 = 0,1,3,4,6,7,9,10 at bit 0 or 4.
    // The high half is loaded from byte 8, so its bytes 12 + o sit at 4 + o.
    const __m256i shuffle = _mm256_setr_epi8(1, 0, 2, 1, 4, 3, 5, 4, 7, 6, 8, 7, 10, 9, 11, 10,  //
                                             5, 4, 6, 5, 8, 7, 9, 8, 11, 10, 12, 11, 14, 13, 15, 14);
    const __m256i shifts = _mm256_setr_epi16(1, 16, 1, 16, 1, 16, 1, 16, 1, 16, 1, 16, 1, 16, 1, 16);
    const __m256i v = _mm256_shuffle_epi8(Load2x128(src, src + 8), shuffle);
    return _mm256_srli_epi16(_mm256_mullo_epi16(v, shifts), 4);
}

// The companding curve in 16-bit integer lanes. Every segment is
// base + floor((c - start) x slope + offset), evaluated as the fixed-point product
// base + mulhi(d x 1024 + r, K) with d = c - start; the constants reproduce the exact
// truncated rational values for every code of their segment:
//   codes   0-127  c                            (K = 64: mulhi(d x 1024, 64) = d)
//   codes 128-191  128 + mulhi(d x 1024 + 255, 129)
//   codes 192-223  256 + mulhi(d x 1024 + 45, 527)
//   codes 224-255  512 + mulhi(d x 1024, 1055)
// In 16 bits c x 1024 wraps to (c mod 64) x 1024. That is d x 1024 where segments
// start at multiples of 64; for 224-255 it is d x 1024 + 32768, which r = 32768 wraps
// back, and codes 64-127 get base 64. So each lane only needs its code's r, K and base,
// looked up by the top three bits of the code with byte shuffles. The tests compare
// all 256 codes with the integer table.
ZEL_AVX2 inline __m256i Expand8x16(const uint8_t* src) {
    // Per top three bits 0-7 of the code; the same table in both 128-bit halves.
    const __m256i offsetR = _mm256_setr_epi16(0, 0, 0, 0, 255, 255, 45, static_cast<short>(32768),  //
                                              0, 0, 0, 0, 255, 255, 45, static_cast<short>(32768));
    const __m256i factorK = _mm256_setr_epi16(64, 64, 64, 64, 129, 129, 527, 1055,  //
                                              64, 64, 64, 64, 129, 129, 527, 1055);
    const __m256i base = _mm256_setr_epi16(0, 0, 64, 64, 128, 128, 256, 512,  //
                                           0, 0, 64, 64, 128, 128, 256, 512);
    const __m256i c = _mm256_cvtepu8_epi16(Load128(src));
    // Byte indices 2s and 2s + 1 of entry s = c >> 5 in each 16-bit lane.
    const __m256i index = _mm256_add_epi16(_mm256_mullo_epi16(_mm256_srli_epi16(c, 5), _mm256_set1_epi16(0x0202)),
                                           _mm256_set1_epi16(0x0100));
    const __m256i x = _mm256_add_epi16(_mm256_slli_epi16(c, 10), _mm256_shuffle_epi8(offsetR, index));
    return _mm256_add_epi16(_mm256_mulhi_epu16(x, _mm256_shuffle_epi8(factorK, index)),
                            _mm256_shuffle_epi8(base, index));
}

}  // namespace zel::detail::avx2

#endif
