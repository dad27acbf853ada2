// What the processor can run, for the kernels not yet built through the vector library.

#include "decode/Cpu.h"
#include "decode/DecodeDetail.h"

namespace zel::detail {

bool CpuHasAvx2() {
#if defined(__x86_64__)
    static const bool hasAvx2 = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0;
    }();
    return hasAvx2;
#else
    return false;
#endif
}

Isa BestIsa() { return CpuHasAvx2() ? Isa::Avx2 : Isa::Portable; }

}  // namespace zel::detail
