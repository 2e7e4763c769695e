// The steps of a pending file that differ between systems (pending_file_posix.cpp,
// pending_file_win32.cpp); PendingFile puts them in order.
#pragma once

#include <string>

#include "file_handle.h"
#include "path.h"
#include "result.h"

namespace files::pending {

// The destination in the form the other steps take (on Windows full and long-form).
Result FullDestination(const Path& destination, NativePath& full);
// The folder of a full destination, with its separator.
NativePath FolderOf(const NativePath& destination);
// What the source lets the result be read by, where the system bounds it by the source.
Result SourcePermissions(const File& source, unsigned& permissions);
// Opens a new file beside `destination` into `output`, for the bytes of the open file
// `source` (none: a probe that is never written). `temporary` is its path (empty while it
// has none); `removesItself` whether the system removes it when it is closed or the
// process ends. On failure nothing is left.
Result CreateBeside(const NativePath& destination, const File* source, File& output, NativePath& temporary,
                    bool& removesItself);
// Readies the complete file for its rename: who may read it, a name if it has none, and
// no longer removed when it is closed.
Result Seal(File& output, const NativePath& destination, unsigned permissions, NativePath& temporary,
            bool& removesItself);
// What `destination` is when it exists and, links followed, is no file ("is a FIFO"); ""
// for a file, a link to one, or nothing.
std::string NotAFile(const NativePath& destination);
// Gives the closed file `temporary` the name `destination`. Without `replace` an existing
// destination is left alone and `existed` is set.
Result Move(const NativePath& temporary, const NativePath& destination, bool replace, bool& existed);
void Remove(const NativePath& temporary);

}  // namespace files::pending
