// What stands in the way of writing a result to a destination, found before any work is
// done (before the password is asked for): the work then never runs only to fail at its
// end. Whether the destination is the source itself is the caller's own question
// (file_identity.h), and whether an existing file may be replaced at all.
#pragma once

#include <string>

#include "path.h"

namespace files {

enum class DestinationProblem {
    None,
    IsFolder,
    NotAFile,       // a device, a pipe, a socket: replacing it would destroy it
    ReadOnly,       // Windows: a read-only file cannot be replaced
    HeldOpen,       // Windows: another program has it open and lets nobody delete it
    FolderRefuses,  // its folder takes no new file, where the result is written first
    Unknown,        // it could not be looked at; `reason` says why
};

struct DestinationCheck {
    bool exists = false;  // there is a file the result would replace
    DestinationProblem problem = DestinationProblem::None;
    // What a folder or no file is ("is a FIFO"); the system's words for a folder that
    // refuses and for what could not be looked at.
    std::string reason;
};

DestinationCheck InspectDestination(const Path& destination);

}  // namespace files
