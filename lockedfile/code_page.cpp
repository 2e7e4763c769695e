// Unicode text and the bytes of a locked file's code page: the stored name, the key, and
// the stored name read back.
#include "code_page.h"

#include "path_names.h"

namespace lockedfile {

namespace {

bool IsSurrogate(char32_t c)
{
    return c >= 0xD800 && c <= 0xDFFF;
}

bool IsScalarValue(char32_t c)
{
    return c <= 0x10FFFF && !IsSurrogate(c);
}

// The code point of the well-formed UTF-8 sequence of `length` bytes at `bytes` (one
// CharacterLength cut), or kNoCharacter: overlong forms, surrogates and values past
// U+10FFFF are no characters.
char32_t DecodeUtf8Sequence(const char* bytes, size_t length)
{
    const auto lead = static_cast<uint8_t>(bytes[0]);
    if (length == 1)
        return lead < 0x80 ? lead : kNoCharacter;
    char32_t value = lead & (0x7F >> length);
    for (size_t i = 1; i < length; ++i)
        value = value << 6 | (static_cast<uint8_t>(bytes[i]) & 0x3F);
    static const char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    return value >= kSmallest[length] && IsScalarValue(value) ? value : kNoCharacter;
}

// Overwrites a character's bytes, which may be a password's, before they go.
void Wipe(std::string& bytes)
{
    if (!bytes.empty())
        WipeBytes(&bytes[0], bytes.size());
    bytes.clear();
}

}  // namespace

bool EncodeCharacter(const CodePage& codePage, char32_t character, std::string& bytes)
{
    bytes.clear();
    char32_t back = kNoCharacter;
    // A converter may spell a character it lacks as several (a letter and a combining
    // accent) or as a look-alike; only one whole character that reads back as it counts.
    if (!IsScalarValue(character) || !codePage.Encode(character, bytes) || bytes.empty() ||
        CharacterLength(bytes, 0, codePage.LeadBytes()) != bytes.size() || !codePage.Decode(bytes, back) ||
        back != character) {
        Wipe(bytes);
        return false;
    }
    return true;
}

std::string StoredNameFor(const std::u32string& fileName, const CodePage& codePage)
{
    std::string stored;
    std::string bytes;
    for (const char32_t c : fileName) {
        if (!EncodeCharacter(codePage, c, bytes))
            bytes = "_";
        // Cut between characters, so the name never ends in half of one.
        if (stored.size() + bytes.size() > kMaxStoredName)
            break;
        stored += bytes;
    }
    return stored;
}

bool KeyFor(const SecretCharacters& password, const CodePage& codePage, SecretBytes& key)
{
    WipeSecret(key);
    std::string bytes;
    for (const char32_t c : password) {
        if (!EncodeCharacter(codePage, c, bytes)) {
            // What was converted so far is part of the secret too.
            WipeSecret(key);
            return false;
        }
        key.insert(key.end(), bytes.begin(), bytes.end());
    }
    Wipe(bytes);
    return true;
}

std::vector<StoredCharacter> ReadStoredName(const std::string& storedName, const CodePage& codePage)
{
    std::vector<StoredCharacter> characters;
    for (size_t at = 0; at < storedName.size();) {
        const size_t length = CharacterLength(storedName, at, codePage.LeadBytes());
        StoredCharacter read{storedName.substr(at, length), kNoCharacter};
        if (!codePage.Decode(read.bytes, read.character) || !IsScalarValue(read.character))
            read.character = kNoCharacter;
        characters.push_back(std::move(read));
        at += length;
    }
    return characters;
}

std::u32string StoredNameText(const std::string& storedName, const CodePage& codePage)
{
    std::u32string text;
    for (const StoredCharacter& read : ReadStoredName(storedName, codePage))
        text += read.character == kNoCharacter ? U'_' : read.character;
    return text;
}

std::u32string ProposedNameFor(const std::string& storedName, const CodePage& codePage, size_t room,
                               const std::function<size_t(char32_t)>& cost)
{
    const auto characterCost = [&](const std::string& bytes) {
        char32_t c = kNoCharacter;
        return cost(codePage.Decode(bytes, c) && IsScalarValue(c) ? c : U'_');
    };
    const std::string safe = SafeProposedName(storedName, codePage.LeadBytes());
    return StoredNameText(FitProposedName(safe, room, codePage.LeadBytes(), characterCost), codePage);
}

void ReadUtf8(const char* text, size_t length, const std::function<void(char32_t)>& each)
{
    for (size_t at = 0; at < length;) {
        const size_t size = CharacterLength(text + at, length - at, nullptr);
        const char32_t c = DecodeUtf8Sequence(text + at, size);
        // A malformed sequence is no character; the bytes after its first may begin one.
        each(c);
        at += c == kNoCharacter ? 1 : size;
    }
}

void ReadUtf16(const char16_t* text, size_t length, const std::function<void(char32_t)>& each)
{
    for (size_t at = 0; at < length; ++at) {
        const char16_t unit = text[at];
        const bool pair = unit >= 0xD800 && unit <= 0xDBFF && at + 1 < length && text[at + 1] >= 0xDC00 &&
                          text[at + 1] <= 0xDFFF;
        if (pair) {
            each(0x10000 + ((char32_t(unit) - 0xD800) << 10 | (char32_t(text[at + 1]) - 0xDC00)));
            ++at;
        } else {
            // Windows names may hold a lone surrogate; it stays what it is, and no code page
            // has it.
            each(unit);
        }
    }
}

size_t EncodeUtf8(char32_t c, char bytes[4])
{
    if (!IsScalarValue(c))
        c = 0xFFFD;
    if (c < 0x80) {
        bytes[0] = char(c);
        return 1;
    }
    const size_t length = c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
    static const uint8_t kLeadMarks[] = {0, 0, 0xC0, 0xE0, 0xF0};
    for (size_t i = length - 1; i > 0; --i, c >>= 6)
        bytes[i] = char(0x80 | (c & 0x3F));
    bytes[0] = char(kLeadMarks[length] | c);
    return length;
}

std::u32string FromUtf8(const std::string& text)
{
    std::u32string characters;
    ReadUtf8(text.data(), text.size(), [&](char32_t c) { characters += c; });
    return characters;
}

std::string ToUtf8(const std::u32string& text)
{
    std::string bytes;
    char sequence[4];
    for (const char32_t c : text)
        bytes.append(sequence, EncodeUtf8(c, sequence));
    return bytes;
}

bool IsUtf8(const char* text, size_t length)
{
    bool wellFormed = true;
    ReadUtf8(text, length, [&](char32_t c) { wellFormed = wellFormed && c != kNoCharacter; });
    return wellFormed;
}

std::u32string FromUtf16(const std::u16string& text)
{
    std::u32string characters;
    ReadUtf16(text.data(), text.size(), [&](char32_t c) { characters += c; });
    return characters;
}

std::u16string ToUtf16(const std::u32string& text)
{
    std::u16string units;
    for (char32_t c : text) {
        if (c > 0x10FFFF)
            c = 0xFFFD;
        if (c < 0x10000) {
            units += char16_t(c);
        } else {
            units += char16_t(0xD800 + ((c - 0x10000) >> 10));
            units += char16_t(0xDC00 + ((c - 0x10000) & 0x3FF));
        }
    }
    return units;
}

bool Utf8CodePage::Encode(char32_t character, std::string& bytes) const
{
    bytes.clear();
    if (!IsScalarValue(character))
        return false;
    char sequence[4];
    bytes.assign(sequence, EncodeUtf8(character, sequence));
    return true;
}

bool Utf8CodePage::Decode(const std::string& bytes, char32_t& character) const
{
    if (bytes.empty() || CharacterLength(bytes, 0, nullptr) != bytes.size())
        return false;
    character = DecodeUtf8Sequence(bytes.data(), bytes.size());
    return character != kNoCharacter;
}

}  // namespace lockedfile
