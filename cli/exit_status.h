// What kst's exit status tells a script. An interruption exits with 128 plus the signal
// number, as shells report it.
#pragma once

namespace kst {

enum ExitStatus : int {
    kExitDone = 0,
    kExitIoError = 1,            // a file could not be opened, read, written or renamed
    kExitUsage = 2,              // the command line or the password was refused
    kExitNotLocked = 3,          // the file is not a locked file, or its header is damaged
    kExitDestinationExists = 4,  // the output exists and --force was not given
};

}  // namespace kst
