// Where a job's result is written before it takes the destination's place: a file of its
// own in the destination's folder, so that an existing destination the user chose to
// replace is replaced only by a complete, flushed result, and never goes with a failure.
#pragma once

#include <windows.h>

#include <string>

// Makes a new, empty file with a name of its own in the folder of `pszDest` and returns its
// path; empty when the folder cannot take one.
std::string CreateFileBeside(const char* pszDest);

// Moves the complete file `temporary` over `pszDest`, on the disk before it returns.
bool ReplaceWithComplete(const std::string& temporary, const char* pszDest);

// Whether `pszPath` names the file open as `hOpen`, or the same file as `pszOther`, under
// any spelling: compared by volume and file index. False when either cannot be looked at.
bool IsSameFile(HANDLE hOpen, const char* pszPath);
bool IsSameFile(const char* pszPath, const char* pszOther);

// Whether `pszDest` may be replaced by the result of a job reading the file open as
// `hSource`: not when it is that very file under any spelling (letter case, a short name,
// a relative path: compared by volume and file index), a folder, or a read-only file.
bool MayReplace(HANDLE hSource, const char* pszDest);
