// Windows code pages through the system's own tables, as both faces on Windows convert the
// names and passwords a locked file stores (Win32 only).
#pragma once

#include <memory>
#include <string>

#include "code_page.h"

namespace files {

// Code page `number`, cut into characters by `leadBytes` (its lead bytes as Windows has
// them). Without best fit: a look-alike ("a" for "ä" on a system that lacks it) would key
// or name with something other than what was typed.
class WindowsCodePage : public lockedfile::CodePage {
public:
    WindowsCodePage(unsigned number, lockedfile::LeadBytePredicate leadBytes)
        : m_number(number), m_leadBytes(leadBytes)
    {
    }
    bool Encode(char32_t character, std::string& bytes) const override;
    bool Decode(const std::string& bytes, char32_t& character) const override;
    lockedfile::LeadBytePredicate LeadBytes() const override { return m_leadBytes; }

private:
    unsigned m_number;
    lockedfile::LeadBytePredicate m_leadBytes;
};

// The system's ANSI code page, in which the program keys and names (UTF-8 itself where
// Windows is set to use UTF-8 as its ANSI code page).
std::unique_ptr<lockedfile::CodePage> AnsiCodePage();

// Wide text, as the wide functions take and give it, and Unicode characters.
std::u32string UnicodeOf(const std::wstring& wide);
std::wstring WideOf(const std::u32string& characters);

}  // namespace files
