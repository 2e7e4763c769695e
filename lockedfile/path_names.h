// Where the last component of a path begins, for every face that cuts one: a path is read
// as whole characters of its code page, so a trail byte equal to '\\' is never taken for a
// separator. Portable: the faces pass their system's lead bytes and separators.
#pragma once

#include <cstddef>
#include <string>

#include "locked_format.h"

namespace lockedfile {

// The length of the character that starts at `at`, never past the end of the text: with a
// lead-byte predicate a lead byte and the byte after it, without one a well-formed UTF-8
// sequence; any other byte is a character of its own.
size_t CharacterLength(const std::string& text, size_t at, LeadBytePredicate isLeadByte);
// The same for the `left` bytes (one or more) at `text`.
size_t CharacterLength(const char* text, size_t left, LeadBytePredicate isLeadByte);

// The offset of the first byte after the path's last separator (0 for a bare name; the
// path's length when it ends in a separator). Characters are cut as for StoredNameFor:
// with a lead-byte predicate a lead byte and the byte after it are one character, without
// one the path is read as UTF-8.
size_t FileNameStart(const std::string& path, LeadBytePredicate isLeadByte, PathStyle style);

}  // namespace lockedfile
