// Raster layouts: stored sample k is sample k of the buffer, so each is a single
// kernel call over the whole frame.

#include "decode/Layouts.h"

namespace zel::detail {

// Format 0: whole 40-byte blocks; a tail of fewer than 32 samples stays untouched.
void DecodeLane10Raster(const FrameView& frame, const Kernels& kernels) {
    const size_t blocks = frame.width * frame.rows / kLaneBlockSamples;
    kernels.lane10(frame.packed, frame.out, blocks);
}

// Format 5: one companded code per sample.
void DecodeCompanded8Raster(const FrameView& frame, const Kernels& kernels) {
    kernels.expand8(frame.packed, frame.out, frame.width * frame.rows);
}

// Format 6: 5 bytes per 4 samples; the fast path only runs on a multiple of 4.
void DecodeBits10Raster(const FrameView& frame, const Kernels& kernels) {
    kernels.bits10(frame.packed, frame.out, frame.width * frame.rows / 4);
}

}  // namespace zel::detail
