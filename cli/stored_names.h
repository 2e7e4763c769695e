// The stored name as kst makes it, proposes it and shows it: between this system's narrow
// text and the code page of the locked file.
#pragma once

#include <string>

#include "code_page.h"

namespace kst {

// The stored name for the file at `path`: its last component in the code page, each
// character the code page lacks as '_'.
std::string StoredNameOf(const std::string& path, const lockedfile::CodePage& codePage);

// The name decrypt writes by default in `folder`, as the program proposes it (the core's
// ProposedNameFor, fitted to the folder's room), in narrow text: a character the narrow
// text lacks as '_'. "" when nothing usable is left.
std::string ProposedNameFor(const std::string& storedName, const lockedfile::CodePage& codePage,
                            const std::string& folder);

// The stored name as info shows it: read from the code page, but never as anything that
// drives the terminal or hides what follows. Controls, bidirectional and invisible
// formatting characters, bytes that read as no character and characters the narrow text
// lacks show as their bytes escaped (\x1b), the backslash as "\\".
std::string ShownStoredName(const std::string& storedName, const lockedfile::CodePage& codePage);

}  // namespace kst
