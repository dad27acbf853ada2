// x86-64: each target needs every instruction-set extension its code is compiled with,
// and the wider registers also need the operating system to save them on a task switch
// (XCR0, read with XGETBV). Elsewhere only the build's baseline target is claimed: other
// processors' optional extensions are not probed.

#include "simd/ProcessorTargets.h"

#include <hwy/highway.h>

#if HWY_ARCH_X86
#if defined(_MSC_VER)
#include <intrin.h>
#else
#include <cpuid.h>
#endif
#endif

namespace zel::simd {

namespace {

#if HWY_ARCH_X86

struct CpuidRegisters {
    uint32_t eax = 0, ebx = 0, ecx = 0, edx = 0;
};

CpuidRegisters Cpuid(uint32_t leaf, uint32_t subleaf) {
    CpuidRegisters r;
#if defined(_MSC_VER)
    int regs[4];
    __cpuidex(regs, static_cast<int>(leaf), static_cast<int>(subleaf));
    r = {static_cast<uint32_t>(regs[0]), static_cast<uint32_t>(regs[1]), static_cast<uint32_t>(regs[2]),
         static_cast<uint32_t>(regs[3])};
#else
    __cpuid_count(leaf, subleaf, r.eax, r.ebx, r.ecx, r.edx);
#endif
    return r;
}

uint64_t SavedRegisterState() {
#if defined(_MSC_VER)
    return _xgetbv(0);
#else
    uint32_t low = 0, high = 0;
    __asm__("xgetbv" : "=a"(low), "=d"(high) : "c"(0));
    return (static_cast<uint64_t>(high) << 32) | low;
#endif
}

bool Bit(uint32_t reg, int bit) { return ((reg >> bit) & 1u) != 0; }

int64_t DetectX86() {
    if (Cpuid(0, 0).eax < 7) return 0;  // too old to have anything beyond the baseline
    const CpuidRegisters one = Cpuid(1, 0);
    const CpuidRegisters seven = Cpuid(7, 0);
    const bool osSavesState = Bit(one.ecx, 27);
    const uint64_t xcr0 = osSavesState ? SavedRegisterState() : 0;
    const bool ymm = (xcr0 & 0x6) == 0x6;    // SSE and AVX state
    const bool zmm = (xcr0 & 0xE6) == 0xE6;  // plus the AVX-512 mask and upper registers

    const bool ssse3 = Bit(one.ecx, 0) && Bit(one.ecx, 9);
    const bool sse4 = ssse3 && Bit(one.ecx, 19) && Bit(one.ecx, 20) && Bit(one.ecx, 1) && Bit(one.ecx, 25);
    const bool avx2 = sse4 && ymm && Bit(one.ecx, 28) && Bit(seven.ebx, 5) && Bit(seven.ebx, 3) &&
                      Bit(seven.ebx, 8) && Bit(one.ecx, 12) && Bit(one.ecx, 29);
    const bool avx3 = avx2 && zmm && Bit(seven.ebx, 16) && Bit(seven.ebx, 31) && Bit(seven.ebx, 17) &&
                      Bit(seven.ebx, 30);
    return (ssse3 ? HWY_SSSE3 : 0) | (sse4 ? HWY_SSE4 : 0) | (avx2 ? HWY_AVX2 : 0) | (avx3 ? HWY_AVX3 : 0);
}

#endif

}  // namespace

int64_t ProcessorTargets() {
    static const int64_t targets = [] {
        int64_t found = HWY_STATIC_TARGET;
#if HWY_ARCH_X86
        found |= DetectX86();
#endif
        return found;
    }();
    return targets;
}

}  // namespace zel::simd
