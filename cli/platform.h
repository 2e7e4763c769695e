// What kst needs from the system it runs on: files, the terminal and interruption.
// One implementation for POSIX systems and one for the Windows console.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "locked_format.h"

namespace kst {

// An open file, closed when it goes. Holds a file descriptor or a Windows HANDLE.
class FileHandle {
public:
    FileHandle() : m_handle(kNone) {}
    explicit FileHandle(intptr_t handle) : m_handle(handle) {}
    ~FileHandle() { Close(); }
    FileHandle(FileHandle&& other) noexcept : m_handle(other.m_handle) { other.m_handle = kNone; }
    FileHandle& operator=(FileHandle&& other) noexcept
    {
        if (this != &other) {
            Close();
            m_handle = other.m_handle;
            other.m_handle = kNone;
        }
        return *this;
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    bool IsOpen() const { return m_handle != kNone; }
    intptr_t Get() const { return m_handle; }
    // Returns false when closing reports an error (a delayed write that failed).
    bool Close();

    // Reads up to `want` bytes; got == 0 without an error is the end of the file.
    bool Read(uint8_t* buffer, size_t want, size_t& got);
    bool WriteAll(const uint8_t* buffer, size_t count);
    // Does not return before the bytes written so far are on the disk.
    bool Flush();

    static constexpr intptr_t kNone = -1;

private:
    intptr_t m_handle;
};

// Asks the system to start writing `count` bytes of `file` from `offset` to the disk now,
// without waiting, so that a later Flush has little left to do. Where the system has no
// such request this does nothing and Flush does all the work.
void StartWriteBack(FileHandle& file, uint64_t offset, uint64_t count);

// The outcome of a file operation, with the system's own words when it failed.
struct FileResult {
    bool ok = true;
    std::string reason;
};

// Opens an existing regular file for reading only (others may keep reading it).
// Directories and devices are refused.
FileResult OpenForReading(const std::string& path, FileHandle& file, uint64_t& length);
// Opens an existing regular file for writing in place, neither truncated nor moved.
FileResult OpenForOverwriting(const std::string& path, FileHandle& file, uint64_t& length);
// Opens an existing file of any kind for reading (a FIFO too); an interrupt ends a wait
// for its writer.
FileResult OpenToRead(const std::string& path, FileHandle& file);
// Creates a new file in `directory` that only its owner may open, under a short name no one
// else can guess or take first, whatever the length of the name it will get.
FileResult CreateUniqueFile(const std::string& directory, FileHandle& file, std::string& path);
// Narrows what others may do with `file` to what they may do with `source` and, when
// `replaced` exists, with it: plaintext is never readable by more users than its source.
FileResult LimitAccess(FileHandle& file, FileHandle& source, const std::string& replaced);
// Makes the names in `folder` (a rename just done there) last across a power cut.
bool SyncFolder(const std::string& folder);
// A second handle on standard output, closed on its own.
FileResult OpenStandardOutput(FileHandle& file);
// The last failed system call's error, in the system's words.
std::string LastErrorText();
// Gives the closed file `from` the name `to`. Without `replace` an existing `to` is left
// alone and `existed` is set.
FileResult RenameFile(const std::string& from, const std::string& to, bool replace, bool& existed);
bool RemoveFile(const std::string& path);
bool PathExists(const std::string& path);
// What `path` is when it exists and, links followed, is no regular file ("is a directory",
// "is a FIFO", ...); "" for a file, a link to one, or nothing.
std::string NotAFile(const std::string& path);
// Whether both paths name the same existing file (links and other spellings included).
bool SameFile(const std::string& first, const std::string& second);

// Where a path's last component begins: after the last separator of this system.
size_t FileNameStart(const std::string& path);
// The folder part of a path, with its separator ("" for a bare name).
std::string FolderOf(const std::string& path);
// The bytes a file name may take in `folder` ("" for the current one) on this system.
size_t RoomForNameIn(const std::string& folder);
// How the system's narrow names are cut into characters (nullptr: UTF-8).
lockedfile::LeadBytePredicate NameLeadBytes();
// Which characters separate the components of this system's paths.
lockedfile::PathStyle NamePathStyle();

bool StderrIsTerminal();
// Asks on the terminal with echo off; false when there is no terminal or on interruption.
bool ReadSecretFromTerminal(const char* prompt, std::string& secret);
// A second handle on a descriptor the process was given, closed on its own; it shares the
// descriptor's file position.
FileResult OpenDescriptor(int descriptor, FileHandle& file);
void WriteToStderr(const std::string& text);

// Ctrl+C and termination requests set a flag the work looks at between chunks, so that
// it can remove what it has half written before it ends.
void InstallInterruptHandler();
bool InterruptRequested();
int InterruptExitStatus();
// After the cleanup, ends the process by the interrupting signal itself, so that a calling
// shell sees the death by it (and a loop in a script stops); returns when there is none.
void EndByInterrupt();

}  // namespace kst
