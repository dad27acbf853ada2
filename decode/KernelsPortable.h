#pragma once
// The plain C++ kernels by name, for the vector kernels' tails.

#include <cstddef>
#include <cstdint>

namespace zel::detail {

void UnpackLane10Portable(const uint8_t* src, uint16_t* dst, size_t blocks);
void UnpackBits10Portable(const uint8_t* src, uint16_t* dst, size_t groups);
void UnpackBits12Portable(const uint8_t* src, uint16_t* dst, size_t groups);
void Expand8Portable(const uint8_t* src, uint16_t* dst, size_t count);

}  // namespace zel::detail
