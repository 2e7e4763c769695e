// Windows code pages through iconv. glibc's tables and Windows's differ in a few places;
// where Windows has a character that glibc lacks, or spells one differently, Windows's
// bytes are taken here, because the program keys and names with Windows's.
#include "code_pages.h"

#include "iconv_converter.h"

namespace kst {

namespace {

// Characters Windows spells with other bytes than glibc does, or has where glibc has none
// (the characters of the private use area that Windows gives user-defined bytes are left
// out: they are nobody's names or passwords).
struct WindowsSpelling {
    unsigned codePage;
    const char* bytes;
    char32_t character;
};
const WindowsSpelling kWindowsSpellings[] = {
    {1255, "\xCA", 0x05BA},  // Hebrew point holam haser for vav
    // Box drawing characters that Big5 has twice: Windows writes them in row F9.
    {950, "\xF9\xF9", 0x2550},
    {950, "\xF9\xE9", 0x255E},
    {950, "\xF9\xEB", 0x2561},
    {950, "\xF9\xEA", 0x256A},
};

class IconvCodePage : public lockedfile::CodePage {
public:
    explicit IconvCodePage(const KnownCodePage& known)
        : m_known(known), m_encoder(known.iconvName, "UTF-32LE"), m_decoder("UTF-32LE", known.iconvName)
    {
    }
    bool IsOpen() const { return m_encoder.IsOpen() && m_decoder.IsOpen(); }

    bool Encode(char32_t character, std::string& bytes) const override
    {
        for (const WindowsSpelling& spelling : kWindowsSpellings) {
            if (spelling.codePage == m_known.number && spelling.character == character) {
                bytes = spelling.bytes;
                return true;
            }
        }
        if (character >= 0x80 && character <= 0x9F && IsControlByte(uint8_t(character))) {
            bytes = std::string(1, char(character));
            return true;
        }
        return m_encoder.Convert(Utf32Bytes(character), bytes);
    }

    bool Decode(const std::string& bytes, char32_t& character) const override
    {
        for (const WindowsSpelling& spelling : kWindowsSpellings) {
            if (spelling.codePage == m_known.number && bytes == spelling.bytes) {
                character = spelling.character;
                return true;
            }
        }
        std::string utf32;
        if (m_decoder.Convert(bytes, utf32)) {
            character = FromUtf32Bytes(utf32);
            return character != lockedfile::kNoCharacter;
        }
        if (bytes.size() == 1 && IsControlByte(uint8_t(bytes[0]))) {
            character = uint8_t(bytes[0]);
            return true;
        }
        return false;
    }

    lockedfile::LeadBytePredicate LeadBytes() const override { return m_known.leadBytes; }

private:
    // Windows reads a byte from 0x80 to 0x9F that its code page leaves unused as the C1
    // control of the same value; glibc reads none there.
    bool IsControlByte(uint8_t byte) const
    {
        std::string utf32;
        return byte >= 0x80 && byte <= 0x9F && !m_known.leadBytes(byte) &&
               !m_decoder.Convert(std::string(1, char(byte)), utf32);
    }

    const KnownCodePage& m_known;
    IconvConverter m_encoder;
    IconvConverter m_decoder;
};

}  // namespace

unsigned DefaultCodePage()
{
    return 1252;
}

OpenedCodePage OpenCodePage(unsigned number)
{
    OpenedCodePage opened;
    opened.number = number;
    const KnownCodePage* known = FindCodePage(number);
    if (known == nullptr) {
        opened.reason = "code page " + std::to_string(number) + " is unknown";
    } else if (known->leadBytes == nullptr) {
        opened.converter = std::make_unique<lockedfile::Utf8CodePage>();
    } else {
        auto converter = std::make_unique<IconvCodePage>(*known);
        if (converter->IsOpen())
            opened.converter = std::move(converter);
        else
            opened.reason = std::string("this system's iconv cannot convert ") + known->iconvName + " (code page " +
                            std::to_string(number) + ")";
    }
    return opened;
}

}  // namespace kst
