#pragma once
// Picture content and correction tables for demo movies: deterministic, so the same options
// always give the same file.

#include <cstdint>

#include "zelwriter/MovieSpec.h"

namespace zelgen {

enum class DemoPattern { Gradient, Moving, Noise };

// Fills width*height samples of frame `frame` with values 0..maxValue:
//   Gradient: a diagonal ramp that drifts a little from frame to frame;
//   Moving:   a bright disc travelling across a horizontal ramp;
//   Noise:    uniform noise, different in every frame.
void FillDemoFrame(DemoPattern pattern, int frame, int frameCount, int width, int height, uint16_t maxValue,
                   uint16_t* samples);

// Correction tables of the given kind (0, 3, 6, 9) covering width x height, with small offsets
// (a few counts) and gains near 1.0. For kind 9 the stored offset word is pre-scaled the way the
// reader scales it back for a bitDepth-bit movie. Kind 6 uses references 0 and 100; pair it with
// a correction point in between (see kDemoCorrectionPoint).
CorrectionSpec DemoCorrection(int kind, int width, int height, int bitDepth);
inline constexpr int16_t kDemoCorrectionPoint = 40;

}  // namespace zelgen
