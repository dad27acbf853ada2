#pragma once
// Unpacking kernels: turn a run of stored bytes into consecutive 16-bit samples.
// Each kernel reads exactly the bytes its count covers and nothing beyond them, so
// callers can hand them the end of a buffer. The layouts decide where the samples go.
// The plain versions are the scalar target's kernels and the vector kernels' tails.

#include <cstddef>
#include <cstdint>

namespace zel::detail {

// `blocks` lane-packed blocks: 40 bytes -> 32 samples each.
void UnpackLane10(const uint8_t* src, uint16_t* dst, size_t blocks);
// `groups` groups of an MSB-first 10-bit stream: 5 bytes -> 4 samples each.
void UnpackBits10(const uint8_t* src, uint16_t* dst, size_t groups);
// `groups` groups of an MSB-first 12-bit stream: 3 bytes -> 2 samples each.
void UnpackBits12(const uint8_t* src, uint16_t* dst, size_t groups);
// `count` companded codes -> `count` samples through the expand table.
void Expand8(const uint8_t* src, uint16_t* dst, size_t count);

void UnpackLane10Plain(const uint8_t* src, uint16_t* dst, size_t blocks);
void UnpackBits10Plain(const uint8_t* src, uint16_t* dst, size_t groups);
void UnpackBits12Plain(const uint8_t* src, uint16_t* dst, size_t groups);
void Expand8Plain(const uint8_t* src, uint16_t* dst, size_t count);

}  // namespace zel::detail
