// Narrow names are strings in the process's ANSI code page.
#pragma once

#include <windows.h>

#include <cstdint>

// On a double-byte code page a lead byte and the byte after it are one character, and that
// trail byte may equal '\\' or '|'.
inline bool IsAnsiLeadByte(uint8_t value) { return ::IsDBCSLeadByte(value) != FALSE; }
