// Who may read a file, as its access list says: for the tests that a result is never more
// readable than the file it replaces. Wine shows an access list through the file's Unix
// mode and reads it back from there; an entry for the owner also gives its group bits, so
// a private file is one that others cannot read, not an exact mode.
#pragma once

#include <string>

namespace kst_test {

// Gives `path` an access list that lets only its owner in, as a private file has.
bool MakePrivate(const std::string& path);
// Whether anyone beyond the owner may read `path`: an entry that lets everyone, the
// authenticated users or the users read it, or no access list at all.
bool OthersMayRead(const std::string& path);
// The same for a file open as `file` (a HANDLE with READ_CONTROL).
bool OthersMayReadOpen(void* file);

}  // namespace kst_test
