// The locked-file format and its block codec. Portable: knows nothing of Win32.
//
//   offset 0      4 bytes  "BLOW"
//   offset 4      1 byte   name length n (1..255)
//   offset 5      n bytes  stored name (no terminator)
//   offset 5+n    1 byte   tail count t = L mod 8
//   offset 6+n    8*ceil(L/8) bytes of Blowfish blocks, halves least significant byte first
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace locked {

constexpr char kMagic[4] = {'B', 'L', 'O', 'W'};
constexpr size_t kMaxStoredName = 255;

// The user-visible texts of a refused header.
extern const char* const kNotLockedMessage;   // "This file was not encrypted with Kestrine."
extern const char* const kBadHeaderMessage;   // "Error reading Kestrine."

// Byte streams the codec reads and writes. Read returns false on an I/O error;
// `got` < `want` without an error means the end of the stream.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual bool Read(uint8_t* buffer, size_t want, size_t& got) = 0;
};
class ByteSink {
public:
    virtual ~ByteSink() = default;
    virtual bool Write(const uint8_t* buffer, size_t count) = 0;
};

// Receives the progress of a job and may ask it to stop between chunks.
class ProgressSink {
public:
    virtual ~ProgressSink() = default;
    virtual void SetRange() = 0;               // range 0..100
    virtual void SetPos(int percent) = 0;
    virtual bool StopRequested() { return false; }
};

enum class CodecStatus {
    Ok,
    ReadFailed,
    WriteFailed,
    EmptyKey,   // a key of length 0 never reaches the key schedule
    Stopped,    // the progress sink asked the job to stop
};

// The stored name for a source file name (the last path component): at most 255 bytes,
// cut on a character boundary of the process's narrow code page (see IsLeadByte).
std::string StoredNameFor(const std::string& fileName);

// Reduces an untrusted stored name to a safe bare file name to propose: no drive,
// directory or ".." parts, no characters Windows forbids in names. May be empty.
std::string SafeProposedName(const std::string& storedName);

// Header of a locked file for a source of `sourceLength` bytes.
std::vector<uint8_t> BuildHeader(const std::string& storedName, uint64_t sourceLength);

enum class HeaderStatus { Ok, NotLocked, BadHeader, ReadFailed };
struct HeaderInfo {
    HeaderStatus status = HeaderStatus::BadHeader;
    std::string storedName;   // raw bytes as stored
    uint64_t dataOffset = 0;  // 5 + n: the offset of the tail count
};
// Reads the magic, the name length and the stored name from the start of `source`,
// never more bytes than the file holds.
HeaderInfo ReadHeader(ByteSource& source);

// Writes the whole locked file (header and blocks) from `length` bytes of `source`.
// Progress: SetRange once, then each distinct position once, in order: the multiples of 3
// that block boundaries reach, and 100 at the end.
CodecStatus EncryptStream(ByteSource& source, uint64_t length, const std::string& storedName,
                          ByteSink& dest, const uint8_t* key, int keyLength, ProgressSink& progress);

// Deciphers a locked file of `totalLength` bytes whose reading position is `dataOffset`
// (the tail count). Progress positions are measured against the whole file.
CodecStatus DecryptStream(ByteSource& source, uint64_t totalLength, uint64_t dataOffset,
                          ByteSink& dest, const uint8_t* key, int keyLength, ProgressSink& progress);

}  // namespace locked
