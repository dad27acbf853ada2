#pragma once
// Per-row pixel loops of the imaging passes, compiled for every vector instruction set
// of the processor family and run with the best one the processor has (see
// simd/Targets.h). Every target gives the same bytes.
//
// src points at count samples of the given size and dst at the output row, both at any
// alignment; the two must not overlap. Shift counts beyond the meaningful range act as
// in unbounded arithmetic (a right shift by the sample's width or more gives 0, a left
// shift of the 8-bit mappings saturates every nonzero value); the callers reduce them
// anyway.

#include <cstddef>
#include <cstdint>

namespace zel::detail {

// dst[i] = min(255, min(255, src[i] >> right) << left) for 1-, 2- and 4-byte samples.
void ConvertRow8(uint8_t* dst, const uint8_t* src, ptrdiff_t count, unsigned right, unsigned left);
void ConvertRow16(uint8_t* dst, const uint8_t* src, ptrdiff_t count, unsigned right, unsigned left);
void ConvertRow32(uint8_t* dst, const uint8_t* src, ptrdiff_t count, unsigned right, unsigned left);

// 16-bit little-endian output: dst sample i = (src[i] << shift) mod 2^16, src being
// bytes (Widen), 16-bit samples (Shift) or the low 16 bits of 32-bit samples (Narrow).
void WidenRow8(uint8_t* dst, const uint8_t* src, ptrdiff_t count, unsigned shift);
void ShiftRow16(uint8_t* dst, const uint8_t* src, ptrdiff_t count, unsigned shift);
void NarrowRow32(uint8_t* dst, const uint8_t* src, ptrdiff_t count, unsigned shift);

// 32-bit grey pixels for a screen: dst pixel i is the native word 0xFF000000 | src[i] x
// 0x010101 (opaque, red = green = blue = src[i]), 4 bytes each.
void GreyToXrgbRow(uint8_t* dst, const uint8_t* src, ptrdiff_t count);

}  // namespace zel::detail
