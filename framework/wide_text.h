// Wide text (the names of files, which may hold any character) beside the framework's
// narrow text (the program's own texts, in the ANSI code page).
#pragma once

#include <string>

#include "cstring.h"

// Narrow text of the ANSI code page as wide text.
std::wstring AfxWiden(const char* pszText);
// The ANSI code page's spelling of wide text, for a narrow window: each character the code
// page lacks as '?' (never a look-alike, which would name another file).
CString AfxNarrowForDisplay(const std::wstring& strText);
