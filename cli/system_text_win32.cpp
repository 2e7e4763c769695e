#include "system_text.h"

#include "folder_names.h"
#include "path.h"
#include "path_names.h"
#include "windows_code_page.h"

namespace kst {

namespace {

// Hands each character of text in the ANSI code page to `each`, as the program reads it.
void ReadAnsi(const char* text, size_t length, const std::function<void(char32_t)>& each)
{
    const std::unique_ptr<lockedfile::CodePage> ansi = files::AnsiCodePage();
    std::string piece;
    for (size_t at = 0; at < length;) {
        const size_t size = lockedfile::CharacterLength(text + at, length - at, ansi->LeadBytes());
        piece.assign(text + at, size);
        char32_t c = lockedfile::kNoCharacter;
        each(ansi->Decode(piece, c) ? c : lockedfile::kNoCharacter);
        at += size;
    }
    // The text may be a password.
    WipeBytes(&piece[0], piece.size());
}

}  // namespace

std::u32string NarrowToUnicode(const std::string& text)
{
    // As the file layer reads it, so that a name is the one the program reads from its path.
    return files::UnicodeOf(files::Path(text).Native());
}

bool NarrowCharacter(char32_t character, std::string& bytes)
{
    return lockedfile::Utf8CodePage().Encode(character, bytes);
}

size_t NameCost(char32_t character)
{
    return files::NameUnitsOf(character);
}

lockedfile::SecretCharacters PasswordCharacters(const SecretBytes& line, PasswordOrigin origin)
{
    lockedfile::SecretCharacters characters;
    const auto keep = [&](char32_t c) { characters.push_back(c); };
    const size_t skipped = origin == PasswordOrigin::File ? ByteOrderMarkLength(line) : 0;
    const char* text = reinterpret_cast<const char*>(line.data()) + skipped;
    const size_t length = line.size() - skipped;
    // The console was read as Unicode and handed on as UTF-8.
    if (origin == PasswordOrigin::Terminal || skipped > 0 || lockedfile::IsUtf8(text, length))
        lockedfile::ReadUtf8(text, length, keep);
    else
        ReadAnsi(text, length, keep);
    return characters;
}

std::string PasswordEncodingName(PasswordOrigin origin)
{
    return origin == PasswordOrigin::Terminal ? "Unicode" : "UTF-8 or ANSI code page";
}

}  // namespace kst
