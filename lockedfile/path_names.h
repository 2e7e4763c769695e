// Where the last component of a path begins, for every face that cuts one: a path is read
// as whole characters of its code page, so a trail byte equal to '\\' is never taken for a
// separator. Portable: the faces pass their system's lead bytes and separators.
#pragma once

#include <cstddef>
#include <string>

#include "locked_format.h"

namespace lockedfile {

// The offset of the first byte after the path's last separator (0 for a bare name; the
// path's length when it ends in a separator). Characters are cut as for StoredNameFor:
// with a lead-byte predicate a lead byte and the byte after it are one character, without
// one the path is read as UTF-8.
size_t FileNameStart(const std::string& path, LeadBytePredicate isLeadByte, PathStyle style);

}  // namespace lockedfile
