#pragma once
// Run-time choice among the per-target copies of a vector kernel.
//
// A kernel source includes Highway's foreach_target.h, which compiles its body once per
// instruction-set target into namespaces N_AVX3, N_AVX2, ..., and then, in its
// HWY_ONCE section:
//
//   ZEL_SIMD_EXPORT(Kernel);                       // the table of the kernel's copies
//   ... ZEL_SIMD_DISPATCH(Kernel)(arguments) ...   // calls the copy chosen for this processor
//
// The choice is made here rather than by Highway's library: that keeps the binary free
// of a shared library whose start-up work costs every short-lived process several
// milliseconds, and lets builds for other systems (where only Highway's headers exist)
// choose at run time as well.

#include <hwy/highway.h>

#include <cstddef>

namespace zel::simd {

// Slot of the chosen target in every kernel's table: the best target this build holds
// and this processor runs, or the pinned one (ScopedTarget).
size_t ChosenSlot();

}  // namespace zel::simd

// One entry per slot, best first; null where the build holds no copy for that target.
// The order must match kSlotTargets in Targets.cpp.
#define ZEL_SIMD_TABLE(FUNC) zel_simd_table_##FUNC
#define ZEL_SIMD_EXPORT(FUNC)                                                                             \
    static decltype(&HWY_STATIC_DISPATCH(FUNC)) const ZEL_SIMD_TABLE(FUNC)[] = {                         \
        HWY_CHOOSE_AVX3(FUNC), HWY_CHOOSE_AVX2(FUNC),  HWY_CHOOSE_SSE4(FUNC),    HWY_CHOOSE_SSSE3(FUNC), \
        HWY_CHOOSE_SVE2(FUNC), HWY_CHOOSE_SVE(FUNC),   HWY_CHOOSE_NEON(FUNC),    HWY_CHOOSE_FALLBACK(FUNC)}
#define ZEL_SIMD_DISPATCH(FUNC) (*ZEL_SIMD_TABLE(FUNC)[zel::simd::ChosenSlot()])
