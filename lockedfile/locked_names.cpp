// The name a locked file carries, the name it may propose when it is opened, and where a
// path's last component begins.
#include "locked_format.h"
#include "path_names.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace lockedfile {

namespace {

bool IsSeparator(char c)
{
    return c == '\\' || c == '/' || c == ':';
}

bool IsForbiddenInName(char c)
{
    return static_cast<unsigned char>(c) < 32 || std::strchr("<>:\"/\\|?*", c) != nullptr;
}

bool IsAsciiDigitOrSuperscript(const std::string& rest)
{
    // Superscript one, two and three: single bytes in the ANSI code page, two in UTF-8.
    static const char* const kDigits[] = {"\xB9", "\xB2", "\xB3", "\xC2\xB9", "\xC2\xB2", "\xC2\xB3"};
    if (rest.size() == 1 && rest[0] >= '0' && rest[0] <= '9')
        return true;
    return std::find(std::begin(kDigits), std::end(kDigits), rest) != std::end(kDigits);
}

// Names that Windows opens as devices whatever their extension.
bool IsDeviceName(const std::string& name)
{
    std::string stem = name.substr(0, name.find('.'));
    while (!stem.empty() && stem.back() == ' ')
        stem.pop_back();
    for (char& c : stem) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    for (const char* device : kDevices) {
        if (stem == device)
            return true;
    }
    return stem.size() > 3 && (stem.compare(0, 3, "COM") == 0 || stem.compare(0, 3, "LPT") == 0) &&
           IsAsciiDigitOrSuperscript(stem.substr(3));
}

// How much of the room `text` takes: each character its cost, or its bytes without one.
size_t CostOf(const std::string& text, LeadBytePredicate isLeadByte, const CharacterCost& cost)
{
    if (!cost)
        return text.size();
    size_t total = 0;
    for (size_t at = 0; at < text.size();) {
        const size_t length = CharacterLength(text, at, isLeadByte);
        total += cost(text.substr(at, length));
        at += length;
    }
    return total;
}

// The first characters of `text` that fit in `room`.
std::string CutToCharacters(const std::string& text, size_t room, LeadBytePredicate isLeadByte,
                            const CharacterCost& cost)
{
    size_t end = 0;
    size_t used = 0;
    while (end < text.size()) {
        const size_t length = CharacterLength(text, end, isLeadByte);
        const size_t taken = cost ? cost(text.substr(end, length)) : length;
        if (used + taken > room)
            break;
        used += taken;
        end += length;
    }
    return text.substr(0, end);
}

// Where the extension starts (its dot), or npos: the last dot that is a whole character.
size_t ExtensionStart(const std::string& name, LeadBytePredicate isLeadByte)
{
    size_t dot = std::string::npos;
    for (size_t at = 0; at < name.size();) {
        const size_t length = CharacterLength(name, at, isLeadByte);
        if (length == 1 && name[at] == '.' && at > 0)
            dot = at;
        at += length;
    }
    return dot;
}

// Windows drops trailing dots and spaces, which also turns "." and ".." into nothing.
void DropTrailingDotsAndSpaces(std::string& name, LeadBytePredicate isLeadByte)
{
    size_t keep = 0;
    for (size_t at = 0; at < name.size();) {
        const size_t length = CharacterLength(name, at, isLeadByte);
        const bool blank = length == 1 && (name[at] == '.' || name[at] == ' ');
        at += length;
        if (!blank)
            keep = at;
    }
    name.resize(keep);
}

}  // namespace

size_t CharacterLength(const char* text, size_t left, LeadBytePredicate isLeadByte)
{
    const auto lead = static_cast<uint8_t>(text[0]);
    if (isLeadByte != nullptr)
        return isLeadByte(lead) && left >= 2 ? 2 : 1;

    const size_t wanted = lead >= 0xF0 && lead <= 0xF4 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 1;
    if (wanted > left || lead >= 0xF5)
        return 1;
    for (size_t i = 1; i < wanted; ++i) {
        if ((static_cast<uint8_t>(text[i]) & 0xC0) != 0x80)
            return 1;
    }
    return wanted;
}

size_t CharacterLength(const std::string& text, size_t at, LeadBytePredicate isLeadByte)
{
    return CharacterLength(text.data() + at, text.size() - at, isLeadByte);
}

size_t FileNameStart(const std::string& path, LeadBytePredicate isLeadByte, PathStyle style)
{
    // Walk whole characters, so that a trail byte never passes for a separator.
    size_t nameStart = 0;
    for (size_t at = 0; at < path.size();) {
        const size_t length = CharacterLength(path, at, isLeadByte);
        at += length;
        const char c = path[at - 1];
        if (length == 1 && (style == PathStyle::Windows ? IsSeparator(c) : c == '/' || c == '\\'))
            nameStart = at;
    }
    return nameStart;
}

std::string StoredNameFor(const std::string& fileName, LeadBytePredicate isLeadByte, PathStyle style)
{
    const size_t nameStart = FileNameStart(fileName, isLeadByte, style);
    size_t nameEnd = nameStart;
    while (nameEnd < fileName.size()) {
        const size_t length = CharacterLength(fileName, nameEnd, isLeadByte);
        if (nameEnd + length - nameStart > kMaxStoredName)
            break;
        nameEnd += length;
    }
    return fileName.substr(nameStart, nameEnd - nameStart);
}

std::string SafeProposedName(const std::string& storedName, LeadBytePredicate isLeadByte)
{
    // Whole characters, so that a trail byte never passes for a separator or a forbidden
    // character.
    std::string name;
    for (size_t at = 0; at < storedName.size();) {
        const size_t length = CharacterLength(storedName, at, isLeadByte);
        const char first = storedName[at];
        at += length;
        if (length == 1 && IsSeparator(first)) {
            name.clear();
            continue;
        }
        // A lead byte cut off from its trail byte is half a character.
        const bool halfCharacter = length == 1 && isLeadByte != nullptr && isLeadByte(static_cast<uint8_t>(first));
        if ((length == 1 && IsForbiddenInName(first)) || halfCharacter)
            continue;
        name.append(storedName, at - length, length);
    }
    DropTrailingDotsAndSpaces(name, isLeadByte);
    if (IsDeviceName(name))
        name.insert(0, "_");
    return name;
}

std::string FitProposedName(const std::string& safeName, size_t room, LeadBytePredicate isLeadByte,
                            const CharacterCost& cost)
{
    if (CostOf(safeName, isLeadByte, cost) <= room)
        return safeName;
    const size_t dot = ExtensionStart(safeName, isLeadByte);
    const size_t extensionCost = dot == std::string::npos ? 0 : CostOf(safeName.substr(dot), isLeadByte, cost);
    std::string name;
    if (dot != std::string::npos && extensionCost < room)
        name = CutToCharacters(safeName.substr(0, dot), room - extensionCost, isLeadByte, cost) + safeName.substr(dot);
    else
        name = CutToCharacters(safeName, room, isLeadByte, cost);
    DropTrailingDotsAndSpaces(name, isLeadByte);
    // A cut may leave a device name ("CONSOLE-LOG.txt" to "CON.txt"); its guard takes room.
    if (IsDeviceName(name))
        return FitProposedName("_" + name, room, isLeadByte, cost);
    return name;
}

}  // namespace lockedfile
