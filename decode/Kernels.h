#pragma once
// Unpacking kernels: turn a run of stored bytes into consecutive 16-bit samples.
// Each kernel reads exactly the bytes its count covers and nothing beyond them, so
// callers can hand them the end of a buffer. The layouts decide where the samples go.

#include <cstddef>
#include <cstdint>

#include "decode/DecodeDetail.h"

namespace zel::detail {

struct Kernels {
    // `blocks` lane-packed blocks: 40 bytes -> 32 samples each.
    void (*lane10)(const uint8_t* src, uint16_t* dst, size_t blocks);
    // `groups` groups of an MSB-first 10-bit stream: 5 bytes -> 4 samples each.
    void (*bits10)(const uint8_t* src, uint16_t* dst, size_t groups);
    // `groups` groups of an MSB-first 12-bit stream: 3 bytes -> 2 samples each.
    void (*bits12)(const uint8_t* src, uint16_t* dst, size_t groups);
    // `count` companded codes -> `count` samples through the expand table.
    void (*expand8)(const uint8_t* src, uint16_t* dst, size_t count);
};

const Kernels& PortableKernels();

// Null when the build has no AVX2 kernels (non-x86 targets).
const Kernels* Avx2Kernels();

// The kernels for `isa`, or the portable ones when `isa` cannot run here.
const Kernels& KernelsFor(Isa isa);

}  // namespace zel::detail
