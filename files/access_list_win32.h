// Who may open a file, as its access list (DACL) says, read and set through open handles,
// and compared: whether one list lets anybody do anything another does not.
#pragma once

#include <windows.h>

#include <vector>

#include "result.h"

namespace files::win32 {

struct AccessList {
    bool unrestricted = false;  // no list at all: anybody may do anything
    std::vector<BYTE> acl;      // a copy of the list (an ACL), when there is one
};

// The list of the file open as `file` (a handle with READ_CONTROL).
Result ReadAccessList(HANDLE file, AccessList& list);
// The list of a security descriptor the system gave.
Result AccessListOf(PSECURITY_DESCRIPTOR descriptor, AccessList& list);
// Gives the file open as `file` (a handle with WRITE_DAC) exactly `list`, protected from
// what its folder would hand down.
Result SetAccessList(HANDLE file, const AccessList& list);
// Adds to `list` full access for the user this process runs as, where it lacks it.
Result LetInCurrentUser(AccessList& list);
// Full access for the system and for the user this process runs as, for nobody else.
Result PrivateAccessList(AccessList& list);

// Whether `inner` lets nobody do anything that `outer` does not let them do. Entries are
// compared by whom they name and what they allow, whatever they hand down to children;
// entries that forbid only narrow `inner`. When `outer` forbids anything, only a list that
// says the same is known to be within it.
bool GrantsNoMoreThan(const AccessList& inner, const AccessList& outer);

}  // namespace files::win32
