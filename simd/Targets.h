#pragma once
// The instruction sets the vector kernels are compiled for, and a way to pin them to one
// of those for tests and benchmarks.
//
// Every kernel source is compiled once per target of this build (SSSE3, SSE4, AVX2,
// AVX-512 and a portable 128-bit emulation on x86-64; NEON or SVE elsewhere) and the best
// one the processor runs is picked on the first call. Builds without the run-time
// dispatcher (cross builds without the vector library's binary part) hold one target.

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
