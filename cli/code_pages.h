// The Windows code page kst keys and names with: the program keys with the bytes of its
// system's ANSI code page and stores names in it, so a file made on a Japanese system
// opens elsewhere only when these are read as code page 932 (--code-page).
#pragma once

#include <memory>
#include <string>

#include "code_page.h"

namespace kst {

// What kst knows of a code page: the name iconv gives it and how its text is cut into
// characters (the lead bytes of Windows's tables).
struct KnownCodePage {
    unsigned number;
    const char* iconvName;
    lockedfile::LeadBytePredicate leadBytes;  // nullptr: UTF-8
};
const KnownCodePage* FindCodePage(unsigned number);

// The ANSI code pages of Windows systems (874, 932, 936, 949, 950, 1250 to 1258) and 65001
// (UTF-8, which Windows may be set to use and with which older kst versions keyed).
bool IsKnownCodePage(unsigned number);
// Without --code-page: 1252 (Western Windows) on POSIX systems, the system's own ANSI code
// page on Windows, as the program there uses.
unsigned DefaultCodePage();
// The code page a run keys and names with.
struct OpenedCodePage {
    unsigned number = 0;
    std::unique_ptr<lockedfile::CodePage> converter;  // nullptr when it cannot be used
    std::string reason;                               // why not
};
OpenedCodePage OpenCodePage(unsigned number);

}  // namespace kst
