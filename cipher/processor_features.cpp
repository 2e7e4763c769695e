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

ProcessorFeatures Detect()
{
    ProcessorFeatures features;
    unsigned a, b, c, d;
    if (__get_cpuid_max(0, nullptr) < 7 || !__get_cpuid(1, &a, &b, &c, &d))
        return features;
    const bool osSavesState = c & (1u << 27);
    const bool avx = c & (1u << 28);
    if (!osSavesState || !avx)
        return features;
    const uint64_t state = EnabledRegisterState();
    constexpr uint64_t kVectorState = 0x6;     // SSE and AVX registers
    constexpr uint64_t kAvx512State = 0xE0;    // opmasks and the upper halves of 32 registers
    if ((state & kVectorState) != kVectorState)
        return features;
    __cpuid_count(7, 0, a, b, c, d);
    features.avx2 = b & (1u << 5);
    features.avx512 = (b & (1u << 16)) && (state & kAvx512State) == kAvx512State;
    return features;
}

#else

ProcessorFeatures Detect()
{
    return {};
}

#endif

}  // namespace

const ProcessorFeatures& DetectedProcessorFeatures()
{
    static const ProcessorFeatures features = Detect();
    return features;
}
