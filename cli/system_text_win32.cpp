#include "system_text.h"

#include "windows_code_page.h"

namespace kst {

namespace {

const char kByteOrderMark[] = "\xEF\xBB\xBF";

}  // namespace

std::u32string NarrowToUnicode(const std::string& text)
{
    // Narrow text here is in the ANSI code page, read as the program reads it.
    const std::unique_ptr<lockedfile::CodePage> ansi = files::AnsiCodePage();
    std::u32string characters;
    for (const lockedfile::StoredCharacter& read : lockedfile::ReadStoredName(text, *ansi))
        characters += read.character;
    return characters;
}

bool NarrowCharacter(char32_t character, std::string& bytes)
{
    return lockedfile::EncodeCharacter(*files::AnsiCodePage(), character, bytes);
}

std::u32string PasswordCharacters(const std::string& line, PasswordOrigin origin)
{
    // The console was read as Unicode and handed on as UTF-8.
    if (origin == PasswordOrigin::Terminal)
        return lockedfile::FromUtf8(line);
    const bool marked = line.compare(0, 3, kByteOrderMark) == 0;
    std::string text = marked ? line.substr(3) : line;
    const std::u32string characters =
        marked || lockedfile::IsUtf8(text) ? lockedfile::FromUtf8(text) : NarrowToUnicode(text);
    lockedfile::WipeText(text);
    return characters;
}

std::string PasswordEncodingName(PasswordOrigin origin)
{
    return origin == PasswordOrigin::Terminal ? "Unicode" : "UTF-8 or ANSI code page";
}

}  // namespace kst
