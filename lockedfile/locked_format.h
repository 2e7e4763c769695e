// The locked-file format and its block codec. Portable: knows nothing of Win32. Where each
// field lies is in locked_layout.h; how the blocks are run, in block_runner.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "block_runner.h"
#include "blowfish_key_context.h"
#include "locked_layout.h"

namespace lockedfile {

constexpr char kMagic[4] = {'B', 'L', 'O', 'W'};
constexpr size_t kMaxStoredName = 255;
// The longest password a locked file is made with, counted in bytes of the narrow (on
// Windows the ANSI) code page the key is taken from: Blowfish keys with at most 56 bytes,
// and the program's password dialog takes no more.
constexpr size_t kMaxPasswordBytes = 56;

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

// Reads until `want` bytes have come or the stream ends (then `got` < `want`); false on an
// I/O error. A source may hand out fewer bytes than asked at any time.
bool ReadFully(ByteSource& source, uint8_t* buffer, size_t want, size_t& got);

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
    // The source did not end where its stated length said: it ended before (a file cut
    // while it was read), or it went on after (a file appended to, or one whose size says
    // 0 but which reads bytes, as those under /proc do). Either way the output is not the
    // file it was made from.
    SourceShorter,
    SourceLonger,
    WriteFailed,
    EmptyKey,   // a key of length 0 never reaches the key schedule
    Stopped,    // the progress sink asked the job to stop
};

// Tells whether a byte starts a two-byte character of the narrow code page in use.
// On Windows the job layer passes a function calling IsDBCSLeadByte.
using LeadBytePredicate = bool (*)(uint8_t byte);

// Which characters separate path components where the source's name was given: on Windows
// '\\', '/' and the drive's ':'; on POSIX systems '/' and, as names from Windows may carry
// it, '\\' (there ':' is an ordinary character of a name).
enum class PathStyle { Windows, Posix };

// The stored name for a source file name (the last path component): at most 255 bytes,
// never cut inside a character. With a lead-byte predicate the name is read as a
// double-byte code page (a lead byte and the byte after it form one character, so a
// trail byte equal to '\\' is not taken for a separator); without one it is read as
// UTF-8, and a byte that does not begin a well-formed sequence counts as one character.
// Empty when the path ends in a separator; the header needs a name of 1 byte or more.
std::string StoredNameFor(const std::string& fileName, LeadBytePredicate isLeadByte = nullptr,
                          PathStyle style = PathStyle::Windows);

// Reduces an untrusted stored name to a safe bare file name to propose: no drive,
// directory or ".." parts, no characters Windows forbids in names. May be empty. The name
// is read as whole characters with the same lead-byte predicate as StoredNameFor.
std::string SafeProposedName(const std::string& storedName, LeadBytePredicate isLeadByte = nullptr);

// How much room one character of a name (its bytes, as the lead-byte predicate cuts them)
// takes where the name will be written.
using CharacterCost = std::function<size_t(const std::string& character)>;

// Shortens a safe proposed name so that it takes at most `room`, and fits in a path buffer
// together with the folder it is proposed in: the base name is cut (never inside a
// character) and the extension kept; a name whose extension alone is too long is cut as a
// whole. Without a cost each character takes its bytes. The result is still safe; empty
// when nothing fits.
std::string FitProposedName(const std::string& safeName, size_t room, LeadBytePredicate isLeadByte = nullptr,
                            const CharacterCost& cost = nullptr);

// Header of a locked file for a source of `sourceLength` bytes. A name longer than 255
// bytes is cut to 255 so the header always matches its length byte (StoredNameFor
// already cuts on a character boundary).
std::vector<uint8_t> BuildHeader(const std::string& storedName, uint64_t sourceLength);

enum class HeaderStatus {
    Ok,
    NotLocked,    // no magic: not a locked file
    NoTailCount,  // the file ends right after the stored name: not a locked file either
    BadHeader,    // a name length of 0, or a file that ends inside the stored name
    ReadFailed,
};
struct HeaderInfo {
    HeaderStatus status = HeaderStatus::BadHeader;
    std::string storedName;   // raw bytes as stored
    uint64_t dataOffset = 0;  // 5 + n: the offset of the tail count
};
// Reads the magic, the name length and the stored name from the start of `source`, a
// locked file of `totalLength` bytes, never more bytes than the file holds. The source is
// left at `dataOffset`, so the caller can go on with DecryptStream; whether the tail count
// is there is judged from `totalLength`, without reading it.
HeaderInfo ReadHeader(ByteSource& source, uint64_t totalLength);

// Writes the whole locked file (header and blocks) from `length` bytes of `source`.
// A source that ends before `length` bytes is SourceShorter, one that goes on after them
// SourceLonger (found once all was written). Nothing is written for an empty key. The
// blocks are ciphered with `context`, which this keys: it belongs to the caller, who wipes
// it when the job ends. Memory use does not depend on the length.
// Progress: SetRange once, then each distinct position once, in order: the multiples of 3
// that block boundaries reach, and 100 at the end; whatever the runner.
CodecStatus EncryptStream(ByteSource& source, uint64_t length, const std::string& storedName, ByteSink& dest,
                          const uint8_t* key, int keyLength, BlowfishKeyContext& context, ProgressSink& progress,
                          const BlockRunner& runner);

// Deciphers a locked file of `totalLength` bytes whose reading position is `dataOffset`
// (the tail count). Progress positions are measured against the whole file.
// A tail count of 8 or more counts as 0; 1 to 7 bytes after the last whole block are
// copied unchanged; a file that ends before its tail count yields an empty output. A
// source that ends before `totalLength`, or goes on after it, is told as for EncryptStream.
// Keying, runner and progress as for EncryptStream.
CodecStatus DecryptStream(ByteSource& source, uint64_t totalLength, uint64_t dataOffset, ByteSink& dest,
                          const uint8_t* key, int keyLength, BlowfishKeyContext& context, ProgressSink& progress,
                          const BlockRunner& runner);

// The same on the calling thread, with a key context of their own that is wiped before
// they return.
CodecStatus EncryptStream(ByteSource& source, uint64_t length, const std::string& storedName, ByteSink& dest,
                          const uint8_t* key, int keyLength, ProgressSink& progress);
CodecStatus DecryptStream(ByteSource& source, uint64_t totalLength, uint64_t dataOffset, ByteSink& dest,
                          const uint8_t* key, int keyLength, ProgressSink& progress);

}  // namespace lockedfile
