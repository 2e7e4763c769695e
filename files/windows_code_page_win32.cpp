#include "windows_code_page.h"

#include <windows.h>

namespace files {

bool WindowsCodePage::Encode(char32_t character, std::string& bytes) const
{
    const std::wstring wide = WideOf(std::u32string(1, character));
    char buffer[8];
    BOOL usedDefault = FALSE;
    const int length = ::WideCharToMultiByte(m_number, WC_NO_BEST_FIT_CHARS, wide.data(), int(wide.size()), buffer,
                                             sizeof buffer, nullptr, &usedDefault);
    if (length <= 0 || usedDefault)
        return false;
    bytes.assign(buffer, size_t(length));
    return true;
}

bool WindowsCodePage::Decode(const std::string& bytes, char32_t& character) const
{
    wchar_t wide[4];
    const int length =
        ::MultiByteToWideChar(m_number, MB_ERR_INVALID_CHARS, bytes.data(), int(bytes.size()), wide, 4);
    const std::u32string characters = length > 0 ? UnicodeOf(std::wstring(wide, size_t(length))) : std::u32string();
    if (characters.size() != 1)
        return false;
    character = characters[0];
    return true;
}

std::unique_ptr<lockedfile::CodePage> AnsiCodePage()
{
    const UINT number = ::GetACP();
    if (number == CP_UTF8)
        return std::make_unique<lockedfile::Utf8CodePage>();
    return std::make_unique<WindowsCodePage>(number, [](uint8_t byte) { return ::IsDBCSLeadByte(byte) != FALSE; });
}

std::u32string UnicodeOf(const std::wstring& wide)
{
    return lockedfile::FromUtf16(std::u16string(wide.begin(), wide.end()));
}

std::wstring WideOf(const std::u32string& characters)
{
    const std::u16string units = lockedfile::ToUtf16(characters);
    return std::wstring(units.begin(), units.end());
}

}  // namespace files
