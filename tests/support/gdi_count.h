// The number of GDI objects this process holds, for leak checks.
#pragma once

#include <windows.h>

namespace kst_test {

// GetGuiResources where the platform answers it. Wine 8 answers 0, so there the entries in
// use of the process's own GDI handle table (which the PEB points to) are counted instead.
DWORD GdiObjectCount();

}  // namespace kst_test
