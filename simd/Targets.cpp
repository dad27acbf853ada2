#include "simd/Targets.h"

#include <hwy/highway.h>
#include <hwy/targets.h>

namespace zel::simd {

#if defined(HWY_COMPILE_ONLY_STATIC)

// One target, fixed when the program was compiled.
std::vector<int64_t> RunnableTargets() { return {HWY_STATIC_TARGET}; }
int64_t ActiveTarget() { return HWY_STATIC_TARGET; }
ScopedTarget::ScopedTarget(int64_t) {}
ScopedTarget::~ScopedTarget() = default;

#else

std::vector<int64_t> RunnableTargets() {
    // Highway lists targets from its lowest bit up, and lower bits are better targets.
    return hwy::SupportedAndGeneratedTargets();
}

int64_t ActiveTarget() {
    const int64_t runnable = hwy::SupportedTargets() & HWY_TARGETS;
    return runnable & -runnable;  // the lowest bit: the best target
}

ScopedTarget::ScopedTarget(int64_t target) { hwy::SetSupportedTargetsForTest(target); }
ScopedTarget::~ScopedTarget() { hwy::SetSupportedTargetsForTest(0); }

#endif

std::string TargetName(int64_t target) { return hwy::TargetName(target); }

}  // namespace zel::simd
