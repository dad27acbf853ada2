#pragma once
// The benchmark argument "target": the index of an instruction set among those this
// processor runs (0 the best, the last the slowest, e.g. the scalar fallback). Pins the
// vector kernels to it while alive and names it in the run's label, so one run prints
// the figures of every target side by side.
//
//   const zelbench::PinnedTarget pin(state, state.range(0));
//   if (!pin) return;  // this processor runs fewer targets: the run is skipped

#include <benchmark/benchmark.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "simd/Targets.h"

namespace zelbench {

class PinnedTarget {
public:
    PinnedTarget(benchmark::State& state, int64_t index) {
        const std::vector<int64_t> targets = zel::simd::RunnableTargets();
        if (index < 0 || static_cast<size_t>(index) >= targets.size()) {
            state.SkipWithError("no such target here");
            return;
        }
        pin_.emplace(targets[static_cast<size_t>(index)]);
        state.SetLabel(zel::simd::TargetName(targets[static_cast<size_t>(index)]));
    }
    explicit operator bool() const { return pin_.has_value(); }

private:
    std::optional<zel::simd::ScopedTarget> pin_;
};

// Target indices to register: more than any processor runs; the missing ones skip.
inline constexpr int64_t kTargetArgs = 5;

}  // namespace zelbench
