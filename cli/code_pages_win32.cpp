// Windows code pages through the system's own tables, as the program converts (files/).
#include "code_pages.h"

#include <windows.h>

#include "windows_code_page.h"

namespace kst {

unsigned DefaultCodePage()
{
    return ::GetACP();
}

OpenedCodePage OpenCodePage(unsigned number)
{
    OpenedCodePage opened;
    opened.number = number;
    const KnownCodePage* known = FindCodePage(number);
    if (known == nullptr)
        opened.reason = "code page " + std::to_string(number) + " is not one Kestrine knows how to read names in";
    else if (known->leadBytes == nullptr)
        opened.converter = std::make_unique<lockedfile::Utf8CodePage>();
    else if (!::IsValidCodePage(number))
        opened.reason = "code page " + std::to_string(number) + " is not installed on this system";
    else
        opened.converter = std::make_unique<files::WindowsCodePage>(number, known->leadBytes);
    return opened;
}

}  // namespace kst
