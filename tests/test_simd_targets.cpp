// The kernels' instruction sets: at least one runs here, the best comes first, and a
// pinned target is the one in use until the pin is released.

#include <gtest/gtest.h>

#include "simd/Targets.h"

namespace {

TEST(SimdTargets, PinningSelectsEachRunnableTargetAndRestoresTheBest) {
    const std::vector<int64_t> targets = zel::simd::RunnableTargets();
    ASSERT_FALSE(targets.empty());
    const int64_t best = zel::simd::ActiveTarget();
    EXPECT_EQ(best, targets.front());
    for (const int64_t target : targets) {
        const zel::simd::ScopedTarget pin(target);
        EXPECT_EQ(zel::simd::ActiveTarget(), target) << zel::simd::TargetName(target);
    }
    EXPECT_EQ(zel::simd::ActiveTarget(), best);
}

}  // namespace
