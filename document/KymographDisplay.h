#pragma once
// A kymograph as 8-bit grey for the screen, with automatic contrast: its lowest sample
// black, its highest white, linear in between. A kymograph's values span whatever the
// line crosses, often a small part of the movie's depth, so the movie's display gain
// would mostly show it flat; the file keeps every sample as it is.

#include <cstdint>

#include "document/Kymograph.h"

namespace zel {

struct GreyScale {
    int16_t low = 0;   // shown black
    int16_t high = 0;  // shown white; everything is black when high == low
};

// The lowest and highest sample of the kymograph (0, 0 when it is empty).
GreyScale AutoContrast(const Kymograph& kymograph);

// Row `row` as Width() grey bytes into out; nothing outside the image.
void GreyRow(const Kymograph& kymograph, const GreyScale& scale, int row, uint8_t* out);

}  // namespace zel
