// One line of text from a stream: a password from a file, a descriptor or the terminal.
#pragma once

#include <string>

#include "locked_format.h"
#include "secret_bytes.h"

namespace kst {

// Reads one line a byte at a time, so that nothing after it is taken from a descriptor
// another reader shares. The line ends at '\n' or at the end of the stream; neither the
// '\n' nor a '\r' just before it is kept. A line that begins with a UTF-16 byte order
// mark is UTF-16 text: it ends at the unit U+000A, and keeps its mark and its units as
// they came, less that unit and a U+000D before it. False on a read error. The line is a
// secret: whatever memory it outgrows on the way is wiped.
bool ReadLine(lockedfile::ByteSource& source, SecretBytes& line);

enum class Utf16Order { None, LittleEndian, BigEndian };
// Whether a line begins with a UTF-16 byte order mark, and which order it gives.
Utf16Order Utf16ByteOrder(const SecretBytes& line);
// The UTF-16 unit of the two bytes at `bytes`, in that byte order.
char16_t Utf16Unit(const uint8_t* bytes, Utf16Order order);

}  // namespace kst
