#pragma once
// The per-frame correction passes over one row (or any run) of samples, in place. They
// are cheap to call per row or per band of rows, and give the same results on every
// instruction set.

#include <cstdint>

namespace zel {

// Kind 3: v + offset, clamped to floor .. fullScale.
void OffsetCorrectRow(uint16_t* __restrict samples, const int16_t* __restrict offsets, int count, int floor, int fullScale);

// Kinds 6 and 9: samples at or within one code of fullScale stay at fullScale; others
// become pedestal + ((v + offset) * gain + 256) / 512 (the division truncating toward
// zero), clamped to floor .. fullScale.
void GainCorrectRow(uint16_t* __restrict samples, const int16_t* __restrict offsets, const int16_t* __restrict gains, int count, int floor,
                    int fullScale, int pedestal);

}  // namespace zel
