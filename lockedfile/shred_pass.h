// Shredding: every byte of a file overwritten with zeros in place, one chunk at a time,
// each chunk forced to disk before the next. The file keeps its name and its length.
// Portable: the program's shred job and kst's shred command both run this pass over their
// own kind of file.
#pragma once

#include <cstddef>
#include <cstdint>

#include "locked_format.h"

namespace lockedfile {

// The chunk bounds both the memory a shred takes and the work between two flushes and two
// progress positions; each flush waits for the disk.
constexpr size_t kShredChunk = 100000;

// The file a shred overwrites, written from its start. Write writes all `count` bytes or
// fails; Flush returns only when what was written is on the disk.
class ShredTarget : public ByteSink {
public:
    virtual bool Flush() = 0;
};

enum class ShredStatus {
    Done,         // every byte is zero and on the disk
    WriteFailed,  // a write or a flush failed: the chunks before it stay overwritten
    Stopped,      // the progress sink asked to stop between chunks
};

// Overwrites `length` bytes of `file` with zeros: chunks of kShredChunk bytes and a last
// one of what is left, at least one (an empty file still gets its flush), so exactly
// `length` bytes are written whatever the length.
// Progress: SetRange, 0, then after each chunk the share written, truncated to a whole
// percent (none for an empty file), and 100 at the end. The stop question is asked before
// each chunk; what is overwritten stays overwritten.
ShredStatus ShredPass(ShredTarget& file, uint64_t length, ProgressSink& progress);

}  // namespace lockedfile
