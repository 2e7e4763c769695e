#include "processor_features.h"

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#include <cstdint>
#endif

namespace {

#if defined(__x86_64__) || defined(__i386__)

// The register state the operating system saves on a switch (XCR0).
uint64_t EnabledRegisterState()
{
    uint32_t low, high;
    __asm__ volatile("xgetbv" : "=a"(low), "=d"(high) : "c"(0));
    return uint64_t(high) << 32 | low;
}

bool DetectAvx2()
{
    unsigned a, b, c, d;
    if (__get_cpuid_max(0, nullptr) < 7 || !__get_cpuid(1, &a, &b, &c, &d))
        return false;
    const bool osSavesState = c & (1u << 27);
    const bool avx = c & (1u << 28);
    // xgetbv itself faults where the system has not enabled it.
    if (!osSavesState || !avx)
        return false;
    constexpr uint64_t kVectorState = 0x6;  // the SSE and AVX registers
    if ((EnabledRegisterState() & kVectorState) != kVectorState)
        return false;
    __cpuid_count(7, 0, a, b, c, d);
    return b & (1u << 5);
}

#else

bool DetectAvx2()
{
    return false;
}

#endif

}  // namespace

bool ProcessorRunsAvx2()
{
    static const bool avx2 = DetectAvx2();
    return avx2;
}
