#include "system_text.h"

#include <langinfo.h>

#include <cstring>
#include <functional>

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

// Hands each character of narrow text to `each`.
void ReadNarrow(const char* text, size_t length, const std::function<void(char32_t)>& each)
{
    const char* encoding = LocaleEncoding();
    if (encoding == nullptr) {
        lockedfile::ReadUtf8(text, length, each);
        return;
    }
    // Character by character (the shortest run of bytes that converts), so that a byte
    // that is no text costs only itself.
    const IconvConverter decoder("UTF-32LE", encoding);
    std::string piece;
    std::string utf32;
    for (size_t at = 0; at < length;) {
        size_t size = 0;
        bool converted = false;
        while (!converted && size < 4 && at + size < length) {
            piece.assign(text + at, ++size);
            converted = decoder.Convert(piece, utf32);
        }
        each(converted ? FromUtf32Bytes(utf32) : lockedfile::kNoCharacter);
        at += converted ? size : 1;
    }
    // The text may be a password.
    for (std::string* secret : {&piece, &utf32})
        WipeBytes(&(*secret)[0], secret->size());
}

}  // namespace

std::u32string NarrowToUnicode(const std::string& text)
{
    std::u32string characters;
    ReadNarrow(text.data(), text.size(), [&](char32_t c) { characters += c; });
    return characters;
}

bool NarrowCharacter(char32_t character, std::string& bytes)
{
    const char* encoding = LocaleEncoding();
    if (encoding == nullptr)
        return lockedfile::Utf8CodePage().Encode(character, bytes);
    return IconvConverter(encoding, "UTF-32LE").Convert(Utf32Bytes(character), bytes) && !bytes.empty();
}

size_t NameCost(char32_t character)
{
    std::string bytes;
    return NarrowCharacter(character, bytes) ? bytes.size() : 1;
}

lockedfile::SecretCharacters PasswordCharacters(const SecretBytes& line, PasswordOrigin origin)
{
    // Both are narrow text; an editor may begin a UTF-8 file with a byte order mark.
    const size_t skipped = origin == PasswordOrigin::File && LocaleEncoding() == nullptr ? ByteOrderMarkLength(line) : 0;
    lockedfile::SecretCharacters characters;
    ReadNarrow(reinterpret_cast<const char*>(line.data()) + skipped, line.size() - skipped,
               [&](char32_t c) { characters.push_back(c); });
    return characters;
}

std::string PasswordEncodingName(PasswordOrigin)
{
    const char* encoding = LocaleEncoding();
    return encoding == nullptr ? "UTF-8" : encoding;
}

}  // namespace kst
