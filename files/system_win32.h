// Helpers of the Win32 implementation, shared by its files. Everything inside works on
// wide paths and the wide functions; narrow text is met only at the layer's edge (path.h).
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "file_handle.h"
#include "result.h"

namespace files::win32 {

// Wide text as the layer's narrow text (UTF-8, a lone surrogate as its three bytes).
std::string NarrowOf(const std::wstring& wide);

// The system's text for an error, as narrow text.
std::string SystemText(DWORD error);

inline Result FailedWith(DWORD error)
{
    return Failed(SystemText(error));
}

// The full form of `path`, as the system completes it; `nameStart`, when given, gets where
// its last component begins. False when the system cannot make it full.
bool FullPath(const std::wstring& path, std::wstring& full, size_t* nameStart = nullptr);
// The full form of `path` in the long form (\\?\C:\..., \\?\UNC\server\share\...), which
// no MAX_PATH limits and the system takes as it is; `nameStart`, when given, gets where
// its last component begins. False when the system cannot make it full.
bool FullLongPath(const std::wstring& path, std::wstring& full, size_t* nameStart = nullptr);

// The path as the wide functions take it beyond MAX_PATH: its full long form, or the path
// as it is when the system cannot make it full.
std::wstring LongForm(const std::wstring& path);

// Creates a new file in `folder` (a full path with its separator) under a short name of
// its own that nobody can guess or take first, and that shows what it is (~kstXXXXXXXX.tmp);
// held for reading, writing and deleting, shared with nobody. `path` gets its path.
Result CreateUniqueIn(const std::wstring& folder, SECURITY_ATTRIBUTES* security, DWORD attributes, DWORD flags,
                      File& file, std::wstring& path);

struct LocalFreeDeleter {
    void operator()(void* memory) const { ::LocalFree(memory); }
};
// Memory the system allocated for the caller with LocalAlloc.
using LocalMemory = std::unique_ptr<void, LocalFreeDeleter>;

}  // namespace files::win32
