#include "gdi_count.h"

#include <cstdint>

namespace kst_test {

namespace {

// Wine's layout of a GDI handle table entry (24 bytes); Type is 0 for a free entry.
struct GdiHandleEntry {
    uint64_t object;
    uint32_t owner;
    uint16_t unique;
    uint8_t type;
    uint8_t flags;
    uint64_t userPointer;
};
static_assert(sizeof(GdiHandleEntry) == 24, "Wine's GDI handle entry");
constexpr int kGdiHandleCount = 0x10000;
// PEB.GdiSharedHandleTable of a 32-bit process.
constexpr size_t kPebGdiTableOffset = 0x94;

const uint8_t* ProcessEnvironmentBlock() {
    // fs:[0x30] of a 32-bit thread is its process's PEB.
    const uint8_t* peb = nullptr;
    __asm__("movl %%fs:0x30, %0" : "=r"(peb));
    return peb;
}

DWORD CountHandleTableEntries() {
    const uint8_t* peb = ProcessEnvironmentBlock();
    const auto* table = *reinterpret_cast<const GdiHandleEntry* const*>(peb + kPebGdiTableOffset);
    if (table == nullptr) return 0;
    DWORD count = 0;
    for (int i = 0; i < kGdiHandleCount; ++i) count += table[i].type != 0 ? 1 : 0;
    return count;
}

}  // namespace

DWORD GdiObjectCount() {
    const DWORD count = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
    return count != 0 ? count : CountHandleTableEntries();
}

}  // namespace kst_test
