// Paths in the tests are built as narrow text of the ANSI code page; the program holds
// them wide. These cross between the two as the program's own conversions do.
#pragma once

#include <string>

#include "wide_text.h"

namespace kst_test {

inline std::wstring Wide(const std::string& ansi) { return AfxWiden(ansi.c_str()); }
inline std::string Narrow(const std::wstring& wide) { return std::string(AfxNarrowForDisplay(wide).GetString()); }

}  // namespace kst_test
