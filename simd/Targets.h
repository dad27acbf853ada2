#pragma once
// The instruction sets the vector kernels are compiled for, and a way to pin them to one
// of those for tests and benchmarks.
//
// Every kernel source is compiled once per target of this build (on x86-64: SSSE3, SSE4,
// AVX2, AVX-512 and a scalar or 128-bit emulated fallback; NEON or SVE elsewhere) and the
// best one the processor runs is used (simd/Dispatch.h).

#include <cstdint>
#include <string>
#include <vector>

namespace zel::simd {

// The compiled targets this processor can run, best first.
std::vector<int64_t> RunnableTargets();

// The target the kernels use now.
int64_t ActiveTarget();

// "AVX2", "SSE4", "EMU128", ...
std::string TargetName(int64_t target);

// Restricts the kernels to `target` while alive; restores the processor's choice on
// destruction. Only for single-threaded tests and benchmarks: the choice is process-wide.
class ScopedTarget {
public:
    explicit ScopedTarget(int64_t target);
    ~ScopedTarget();
    ScopedTarget(const ScopedTarget&) = delete;
    ScopedTarget& operator=(const ScopedTarget&) = delete;
};

}  // namespace zel::simd
