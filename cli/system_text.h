// This system's narrow text (paths, messages) and Unicode: the locale's encoding on POSIX
// systems (UTF-8 where the locale names only ASCII, as a bare C locale does under a UTF-8
// terminal); on Windows UTF-8, which kst makes of its wide command line and the file layer
// turns back into wide paths, so that any name the system has is carried whole.
#pragma once

#include <string>

#include "code_page.h"
#include "secret_bytes.h"

namespace kst {

// A byte that is no text in the narrow encoding reads as lockedfile::kNoCharacter.
std::u32string NarrowToUnicode(const std::string& text);
// The narrow bytes of `character`, or false when the narrow encoding lacks it.
bool NarrowCharacter(char32_t character, std::string& bytes);
// How much of the room a folder leaves for a name (files::RoomForNameIn) one character
// takes: on POSIX systems its narrow bytes (1 for the '_' that stands for one they lack),
// on Windows its UTF-16 code units.
size_t NameCost(char32_t character);

// Where a password line was read: the terminal, or a file or descriptor.
enum class PasswordOrigin { Terminal, File };
// The characters of a password line. On POSIX systems both are narrow text. On Windows
// the console is read as Unicode (and handed on as UTF-8); a file is UTF-8 when it is
// well-formed UTF-8 (as Notepad and kst on other systems write it), or else text of the
// ANSI code page. A UTF-8 byte order mark before a file's line is skipped (a line with a
// UTF-16 mark never comes here: password.cpp reads it as UTF-16). A byte that is no text
// reads as lockedfile::kNoCharacter.
lockedfile::SecretCharacters PasswordCharacters(const SecretBytes& line, PasswordOrigin origin);
// What a password line was read as, for the message when it is no text: "UTF-8", ...
std::string PasswordEncodingName(PasswordOrigin origin);

// Where a UTF-8 byte order mark ends at the start of a password file's line, or 0.
inline size_t ByteOrderMarkLength(const SecretBytes& line)
{
    return line.size() >= 3 && line[0] == 0xEF && line[1] == 0xBB && line[2] == 0xBF ? 3 : 0;
}

}  // namespace kst
