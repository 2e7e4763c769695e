#include "system_text.h"

#include <langinfo.h>

#include <cstring>

#include "code_page.h"
#include "iconv_converter.h"

namespace kst {

namespace {

// The locale's encoding for iconv, or nullptr for UTF-8 (which needs no iconv).
const char* LocaleEncoding()
{
    const char* codeset = ::nl_langinfo(CODESET);
    static const char* const kUtf8Names[] = {"UTF-8", "utf8", "ANSI_X3.4-1968", "ASCII", "US-ASCII", "646", ""};
    for (const char* name : kUtf8Names) {
        if (codeset == nullptr || std::strcmp(codeset, name) == 0)
            return nullptr;
    }
    return codeset;
}

}  // namespace

std::u32string NarrowToUnicode(const std::string& text)
{
    const char* encoding = LocaleEncoding();
    if (encoding == nullptr)
        return lockedfile::FromUtf8(text);
    // Character by character (the shortest run of bytes that converts), so that a byte
    // that is no text costs only itself.
    const IconvConverter decoder("UTF-32LE", encoding);
    std::u32string characters;
    std::string piece;
    std::string utf32;
    for (size_t at = 0; at < text.size();) {
        size_t length = 0;
        bool converted = false;
        while (!converted && length < 4 && at + length < text.size()) {
            piece.assign(text, at, ++length);
            converted = decoder.Convert(piece, utf32);
        }
        characters += converted ? FromUtf32Bytes(utf32) : lockedfile::kNoCharacter;
        at += converted ? length : 1;
    }
    // The text may be a password.
    lockedfile::WipeText(piece);
    lockedfile::WipeText(utf32);
    return characters;
}

bool NarrowCharacter(char32_t character, std::string& bytes)
{
    const char* encoding = LocaleEncoding();
    if (encoding == nullptr)
        return lockedfile::Utf8CodePage().Encode(character, bytes);
    return IconvConverter(encoding, "UTF-32LE").Convert(Utf32Bytes(character), bytes) && !bytes.empty();
}

std::u32string PasswordCharacters(const std::string& line, PasswordOrigin origin)
{
    // Both are narrow text; an editor may begin a UTF-8 file with a byte order mark.
    if (origin == PasswordOrigin::File && LocaleEncoding() == nullptr && line.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        std::string text = line.substr(3);
        const std::u32string characters = NarrowToUnicode(text);
        lockedfile::WipeText(text);
        return characters;
    }
    return NarrowToUnicode(line);
}

std::string PasswordEncodingName(PasswordOrigin)
{
    const char* encoding = LocaleEncoding();
    return encoding == nullptr ? "UTF-8" : encoding;
}

}  // namespace kst
