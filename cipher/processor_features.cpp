#include "processor_features.h"

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

#include <cstdint>

namespace {

// One feature: the bits leaf 7 (sub-leaf 0) must report in EBX and ECX, and the register
// state (XCR0) the operating system must save for it.
struct Requirement {
    uint32_t leaf7Ebx;
    uint32_t leaf7Ecx;
    uint64_t savedState;
};

constexpr uint64_t kSseAvxState = 0x6;       // XMM and the upper halves of YMM
constexpr uint64_t kAvx512State = 0xE0;      // opmasks, the upper halves of ZMM0-15, ZMM16-31
constexpr Requirement kAvx2{1u << 5, 0, kSseAvxState};
constexpr Requirement kBmi1{1u << 3, 0, 0};
constexpr Requirement kAvx512Vbmi{(1u << 16) | (1u << 30), 1u << 1, kSseAvxState | kAvx512State};

#if defined(__x86_64__) || defined(__i386__)

uint64_t EnabledRegisterState()
{
    uint32_t low, high;
    __asm__ volatile("xgetbv" : "=a"(low), "=d"(high) : "c"(0));
    return uint64_t(high) << 32 | low;
}

bool Meets(const Requirement& need)
{
    unsigned a, b, c, d;
    if (__get_cpuid_max(0, nullptr) < 7 || !__get_cpuid(1, &a, &b, &c, &d))
        return false;
    if (need.savedState != 0) {
        const bool osSavesState = c & (1u << 27);
        const bool avx = c & (1u << 28);
        // xgetbv itself faults where the system has not enabled it.
        if (!osSavesState || !avx || (EnabledRegisterState() & need.savedState) != need.savedState)
            return false;
    }
    __cpuid_count(7, 0, a, b, c, d);
    return (b & need.leaf7Ebx) == need.leaf7Ebx && (c & need.leaf7Ecx) == need.leaf7Ecx;
}

#else

bool Meets(const Requirement&)
{
    return false;
}

#endif

}  // namespace

bool ProcessorRunsAvx2()
{
    static const bool runs = Meets(kAvx2);
    return runs;
}

bool ProcessorRunsBmi1()
{
    static const bool runs = Meets(kBmi1);
    return runs;
}

bool ProcessorRunsAvx512Vbmi()
{
    static const bool runs = Meets(kAvx512Vbmi);
    return runs;
}
