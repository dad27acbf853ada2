// Run-time choice of the unpacking kernels. The library is built for the baseline
// instruction set; AVX2 kernels are used only when the processor reports AVX2.

#include "decode/Cpu.h"
#include "decode/DecodeDetail.h"
#include "decode/Kernels.h"

namespace zel::detail {

bool CpuHasAvx2() {
#if defined(__x86_64__)
    // Asked once; the answer cannot change while the process runs.
    static const bool hasAvx2 = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0;
    }();
    return hasAvx2;
#else
    return false;
#endif
}

bool IsaAvailable(Isa isa) {
    switch (isa) {
        case Isa::Portable:
            return true;
        case Isa::Avx2:
            return Avx2Kernels() != nullptr && CpuHasAvx2();
    }
    return false;
}

Isa BestIsa() {
    return IsaAvailable(Isa::Avx2) ? Isa::Avx2 : Isa::Portable;
}

}  // namespace zel::detail
