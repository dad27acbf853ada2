#pragma once
// Per-row pixel loops of the imaging passes, in a plain C++ version and, on x86-64, SSE2
// and AVX2 versions chosen at run time (the library is built for the SSE2 baseline).
// All versions give identical bytes; the tests compare them.
//
// Shift counts must be in range (the callers reduce them): right < the sample's bit
// count, left <= 8 for the 8-bit mappings, shift <= 15 for the 16-bit ones.

#include <cstddef>
#include <cstdint>

namespace zel::detail {

enum class RowIsa { Portable, Sse2, Avx2 };

// True when this build and this processor can run `isa`.
bool RowIsaAvailable(RowIsa isa);
// The fastest available.
RowIsa BestRowIsa();

// dst[i] = min(255, min(255, src[i] >> right) << left) for 1-, 2- and 4-byte samples
// (src points at count samples of that size, at any alignment).
void ConvertRow8(RowIsa isa, uint8_t* dst, const uint8_t* src, ptrdiff_t count, unsigned right, unsigned left);
void ConvertRow16(RowIsa isa, uint8_t* dst, const uint8_t* src, ptrdiff_t count, unsigned right, unsigned left);
void ConvertRow32(uint8_t* dst, const uint8_t* src, ptrdiff_t count, unsigned right, unsigned left);

// 16-bit little-endian output: dst sample i = (src[i] << shift) mod 2^16, src being
// bytes (Widen), 16-bit samples (Shift) or the low 16 bits of 32-bit samples (Narrow).
void WidenRow8(RowIsa isa, uint8_t* dst, const uint8_t* src, ptrdiff_t count, unsigned shift);
void ShiftRow16(uint8_t* dst, const uint8_t* src, ptrdiff_t count, unsigned shift);
void NarrowRow32(uint8_t* dst, const uint8_t* src, ptrdiff_t count, unsigned shift);

}  // namespace zel::detail
