// The code page a locked file's stored name and key are in. The format stores bytes of a
// Windows code page (the ANSI one of the system that made the file); each face converts
// between Unicode and those bytes with what its system has (Windows its own tables, POSIX
// systems iconv), and this file holds the one rule both faces follow. Portable.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "locked_format.h"
#include "secret_bytes.h"

namespace lockedfile {

// Stands for text that was no character at all: a byte the text's own encoding does not
// read, or half of a UTF-16 surrogate pair. No code page has it.
constexpr char32_t kNoCharacter = 0xFFFFFFFF;

// The characters of a secret (a password): wiped whenever their memory is given back.
using SecretCharacters = std::vector<char32_t, WipingAllocator<char32_t>>;

class CodePage {
public:
    virtual ~CodePage() = default;
    // The bytes of `character` in this code page, or false when it has none. Only the
    // code page's own character counts: never a look-alike ("best fit") or a default.
    virtual bool Encode(char32_t character, std::string& bytes) const = 0;
    // The character that `bytes` (one character as LeadBytes cuts them) stand for, or
    // false when they stand for none.
    virtual bool Decode(const std::string& bytes, char32_t& character) const = 0;
    // How the code page's text is cut into characters (nullptr: UTF-8).
    virtual LeadBytePredicate LeadBytes() const = 0;
};

// The bytes of `character` when the code page has it exactly: bytes that form one whole
// character of the code page and read back as `character`.
bool EncodeCharacter(const CodePage& codePage, char32_t character, std::string& bytes);

// The stored name for a file name (the last path component) given as Unicode: each
// character in its bytes of the code page, each one the code page lacks as one '_'; then
// cut to 255 bytes, never inside a character. A name the code page holds is stored byte
// for byte as the code page spells it.
std::string StoredNameFor(const std::u32string& fileName, const CodePage& codePage);

// The key for a password given as Unicode: its bytes in the code page. False, and `key`
// empty, when the code page lacks one of its characters: such a password is refused, as
// any stand-in byte would make it weaker than it looks.
bool KeyFor(const SecretCharacters& password, const CodePage& codePage, SecretBytes& key);

// One character of a stored name: its bytes, and what they stand for in the code page
// (kNoCharacter when nothing).
struct StoredCharacter {
    std::string bytes;
    char32_t character;
};
// A stored name read as characters of the code page, whole characters as LeadBytes cuts them.
std::vector<StoredCharacter> ReadStoredName(const std::string& storedName, const CodePage& codePage);

// A stored name (made safe beforehand) as Unicode: bytes that stand for no character
// become '_', as characters a stored name cannot hold do when it is made.
std::u32string StoredNameText(const std::string& storedName, const CodePage& codePage);

// The name to propose for an untrusted stored name, in the folder it is proposed in: made
// safe (SafeProposedName), fitted so that it takes at most `room` where it will be written
// (`cost`: how much one of its characters takes there, in bytes or UTF-16 code units), and
// read from the code page, bytes that stand for no character as '_'. Empty when nothing
// usable is left. Both faces propose with this one rule.
std::u32string ProposedNameFor(const std::string& storedName, const CodePage& codePage, size_t room,
                               const std::function<size_t(char32_t)>& cost);

// UTF-8 and UTF-16, which faces use for their own text. A byte that begins no well-formed
// UTF-8 character reads as kNoCharacter; a lone UTF-16 surrogate reads as itself (Windows
// names may hold one) and is written back as it was. What is no character is written as
// U+FFFD, and UTF-8 has no lone surrogates either. The readers hand each character to
// `each`, so that a secret's characters go straight where they are kept.
void ReadUtf8(const char* text, size_t length, const std::function<void(char32_t)>& each);
void ReadUtf16(const char16_t* text, size_t length, const std::function<void(char32_t)>& each);
// Writes `character` as UTF-8 into `bytes` and answers how many it took (1 to 4).
size_t EncodeUtf8(char32_t character, char bytes[4]);
std::u32string FromUtf8(const std::string& text);
std::string ToUtf8(const std::u32string& text);
std::u32string FromUtf16(const std::u16string& text);
std::u16string ToUtf16(const std::u32string& text);
// Whether every byte of `text` is part of a well-formed UTF-8 character.
bool IsUtf8(const char* text, size_t length);

// Code page 65001: UTF-8 itself, for files made by a face that keys and names with UTF-8.
class Utf8CodePage : public CodePage {
public:
    bool Encode(char32_t character, std::string& bytes) const override;
    bool Decode(const std::string& bytes, char32_t& character) const override;
    LeadBytePredicate LeadBytes() const override { return nullptr; }
};

}  // namespace lockedfile
