#pragma once
// The instruction-set targets (Highway's target bits) this processor and operating
// system can run, asked once per process.

#include <cstdint>

namespace zel::simd {

int64_t ProcessorTargets();

}  // namespace zel::simd
