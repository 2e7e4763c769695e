#include "stored_names.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

#include "folder_names.h"
#include "locked_format.h"
#include "path_names.h"
#include "system_text.h"

namespace kst {

namespace {

// Characters that a terminal acts on or that change how the text around them shows:
// C0 and C1 controls, DEL, and the bidirectional and invisible formatting characters.
bool IsShownAsBytes(char32_t c)
{
    static const struct {
        char32_t first;
        char32_t last;
    } kRanges[] = {{0x00, 0x1F},     {0x7F, 0x9F},     {0x061C, 0x061C}, {0x200B, 0x200F},
                   {0x2028, 0x202E}, {0x2060, 0x2069}, {0xFEFF, 0xFEFF}};
    return c == lockedfile::kNoCharacter || std::any_of(std::begin(kRanges), std::end(kRanges), [c](const auto& r) {
               return c >= r.first && c <= r.last;
           });
}

void AppendEscaped(const std::string& bytes, std::string& shown)
{
    static const struct {
        char byte;
        const char* text;
    } kShortEscapes[] = {{'\\', "\\\\"}, {'\n', "\\n"}, {'\r', "\\r"}, {'\t', "\\t"}};
    for (const char c : bytes) {
        const auto escape = std::find_if(std::begin(kShortEscapes), std::end(kShortEscapes),
                                         [c](const auto& entry) { return entry.byte == c; });
        if (escape != std::end(kShortEscapes)) {
            shown += escape->text;
        } else {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02x", static_cast<unsigned char>(c));
            shown += hex;
        }
    }
}

// Each character the narrow text lacks as '_'.
std::string UnicodeToNarrow(const std::u32string& text)
{
    std::string narrow;
    std::string bytes;
    for (const char32_t c : text)
        narrow += NarrowCharacter(c, bytes) ? bytes : "_";
    return narrow;
}

}  // namespace

std::string StoredNameOf(const std::string& path, const lockedfile::CodePage& codePage)
{
    const size_t nameStart = lockedfile::FileNameStart(path, files::NameLeadBytes(), files::NamePathStyle());
    return lockedfile::StoredNameFor(NarrowToUnicode(path.substr(nameStart)), codePage);
}

std::string ProposedNameFor(const std::string& storedName, const lockedfile::CodePage& codePage,
                            const std::string& folder)
{
    return UnicodeToNarrow(lockedfile::ProposedNameFor(storedName, codePage, files::RoomForNameIn(folder), NameCost));
}

std::string ShownStoredName(const std::string& storedName, const lockedfile::CodePage& codePage)
{
    std::string shown;
    std::string narrow;
    for (const lockedfile::StoredCharacter& read : lockedfile::ReadStoredName(storedName, codePage)) {
        if (!IsShownAsBytes(read.character) && read.character != '\\' && NarrowCharacter(read.character, narrow))
            shown += narrow;
        else
            AppendEscaped(read.bytes, shown);
    }
    return shown;
}

}  // namespace kst
