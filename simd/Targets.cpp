// Which instruction-set targets the processor runs, asked once, and the choice among the
// targets this build holds.

#include "simd/Targets.h"

#include <algorithm>
#include <atomic>

#include "simd/Dispatch.h"
#include "simd/ProcessorTargets.h"

namespace zel::simd {

namespace {

// The target each slot of a kernel table stands for (see ZEL_SIMD_EXPORT), best first.
// The last slot, the fallback, always runs: it is the build's baseline.
#if HWY_TARGETS & HWY_EMU128
constexpr int64_t kFallback = HWY_EMU128;
#elif HWY_TARGETS & HWY_SCALAR
constexpr int64_t kFallback = HWY_SCALAR;
#else
constexpr int64_t kFallback = HWY_STATIC_TARGET;
#endif
constexpr int64_t kSlotTargets[] = {HWY_AVX3, HWY_AVX2, HWY_SSE4, HWY_SSSE3, HWY_SVE2, HWY_SVE, HWY_NEON, kFallback};
constexpr size_t kSlots = sizeof kSlotTargets / sizeof kSlotTargets[0];

bool Compiled(size_t slot) { return slot == kSlots - 1 || (HWY_TARGETS & kSlotTargets[slot]) != 0; }

bool Runs(size_t slot) { return slot == kSlots - 1 || (ProcessorTargets() & kSlotTargets[slot]) != 0; }

// The pinned target's slot, or kSlots for none. Process-wide by nature: the kernels are
// free functions called from everywhere; only tests and benchmarks pin.
std::atomic<size_t> pinnedSlot{kSlots};

size_t BestSlot() {
    static const size_t best = [] {
        for (size_t slot = 0; slot + 1 < kSlots; ++slot) {
            if (Compiled(slot) && Runs(slot)) return slot;
        }
        return kSlots - 1;
    }();
    return best;
}

size_t SlotOf(int64_t target) {
    for (size_t slot = 0; slot < kSlots; ++slot) {
        if (kSlotTargets[slot] == target && Compiled(slot) && Runs(slot)) return slot;
    }
    return kSlots;
}

}  // namespace

size_t ChosenSlot() {
    const size_t pinned = pinnedSlot.load(std::memory_order_relaxed);
    return pinned < kSlots ? pinned : BestSlot();
}

std::vector<int64_t> RunnableTargets() {
    std::vector<int64_t> targets;
    for (size_t slot = 0; slot < kSlots; ++slot) {
        const bool listed = std::find(targets.begin(), targets.end(), kSlotTargets[slot]) != targets.end();
        if (Compiled(slot) && Runs(slot) && !listed) {
            targets.push_back(kSlotTargets[slot]);
        }
    }
    return targets;
}

int64_t ActiveTarget() { return kSlotTargets[ChosenSlot()]; }

std::string TargetName(int64_t target) { return hwy::TargetName(target); }

ScopedTarget::ScopedTarget(int64_t target) {
    pinnedSlot.store(SlotOf(target), std::memory_order_relaxed);
}

ScopedTarget::~ScopedTarget() {
    pinnedSlot.store(kSlots, std::memory_order_relaxed);
}

}  // namespace zel::simd
