// Windows code pages through the system's own tables, as the program converts.
#include "code_pages.h"

#include <windows.h>

namespace kst {

namespace {

class WindowsCodePage : public lockedfile::CodePage {
public:
    explicit WindowsCodePage(const KnownCodePage& known) : m_known(known) {}

    bool Encode(char32_t character, std::string& bytes) const override
    {
        const std::wstring wide = Wide(character);
        char buffer[8];
        BOOL usedDefault = FALSE;
        // Without best fit: a look-alike ("a" for "ä" on a system that lacks it) would
        // key or name with something other than what was typed.
        const int length = ::WideCharToMultiByte(m_known.number, WC_NO_BEST_FIT_CHARS, wide.data(), int(wide.size()),
                                                 buffer, sizeof buffer, nullptr, &usedDefault);
        if (length <= 0 || usedDefault)
            return false;
        bytes.assign(buffer, size_t(length));
        return true;
    }

    bool Decode(const std::string& bytes, char32_t& character) const override
    {
        wchar_t wide[4];
        const int length =
            ::MultiByteToWideChar(m_known.number, MB_ERR_INVALID_CHARS, bytes.data(), int(bytes.size()), wide, 4);
        const std::u32string characters =
            length > 0 ? lockedfile::FromUtf16(std::u16string(wide, wide + length)) : std::u32string();
        if (characters.size() != 1)
            return false;
        character = characters[0];
        return true;
    }

    lockedfile::LeadBytePredicate LeadBytes() const override { return m_known.leadBytes; }

private:
    static std::wstring Wide(char32_t character)
    {
        const std::u16string units = lockedfile::ToUtf16(std::u32string(1, character));
        return std::wstring(units.begin(), units.end());
    }

    const KnownCodePage& m_known;
};

}  // namespace

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
        opened.converter = std::make_unique<WindowsCodePage>(*known);
    return opened;
}

}  // namespace kst
