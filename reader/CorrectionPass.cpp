#include "reader/CorrectionPass.h"

#include <algorithm>

namespace zel {

void OffsetCorrectRow(uint16_t* samples, const int16_t* offsets, int count, int floor, int fullScale) {
    for (int i = 0; i < count; ++i) {
        const int t = samples[i] + offsets[i];
        samples[i] = static_cast<uint16_t>(std::clamp(t, floor, fullScale));
    }
}

void GainCorrectRow(uint16_t* samples, const int16_t* offsets, const int16_t* gains, int count, int floor,
                    int fullScale, int pedestal) {
    // |v + offset| < 2^16 and |gain| <= 2^15, so the product fits in 32 bits.
    const int nearFull = fullScale - 1;
    for (int i = 0; i < count; ++i) {
        const int v = samples[i];
        const int t = pedestal + ((v + offsets[i]) * gains[i] + 256) / 512;
        const int corrected = std::clamp(t, floor, fullScale);
        samples[i] = static_cast<uint16_t>(v >= nearFull ? fullScale : corrected);
    }
}

}  // namespace zel
