#pragma once
// What the processor can run, asked once per process. The library is built for the
// x86-64 baseline (SSE2); AVX2 kernels run only where the processor reports AVX2.

namespace zel::detail {

// False on processors without AVX2 and in builds for other architectures.
bool CpuHasAvx2();

}  // namespace zel::detail
