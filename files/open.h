// Opening files: one call for every face, the platform's access and sharing spelt out.
#pragma once

#include <cstdint>

#include "file_handle.h"
#include "path.h"
#include "result.h"

namespace files {

enum class Access { Read, Write, ReadWrite };
// What others may do with the file while it is open. Windows enforces it; POSIX systems
// have no such lock and take it as a statement of intent.
enum class Sharing { None, Read, ReadWrite };
enum class Creation { OpenExisting, CreateOrEmpty };

// Opens `path` as asked. On Windows writing to a file marked read-only is refused also
// where the host would allow it (Wine run by a superuser).
Result Open(const Path& path, Access access, Sharing sharing, Creation creation, File& file);
// Opens an existing regular file, read or written from start to end. Folders, devices
// and pipes are refused: the work needs a length it can trust before it starts.
Result OpenRegular(const Path& path, Access access, Sharing sharing, File& file, uint64_t& length);
// A second handle on standard output, closed on its own.
Result OpenStandardOutput(File& file);
// A second handle on a descriptor the process was given, closed on its own; it shares the
// descriptor's file position.
Result OpenDescriptor(int descriptor, File& file);

}  // namespace files
