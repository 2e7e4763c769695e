// A file on disk, through the file layer's handle (files/). The object closes its file when
// it goes away. Read, Write and Flush report failure to the caller, so that a job can tell
// a full disk from success; they are virtual so that a test can stand in a file that fails
// on purpose.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "cstring.h"
#include "file_handle.h"
#include "object.h"

namespace files {
class PendingFile;
}

class CFile : public CObject {
    DECLARE_DYNAMIC(CFile)
public:
    enum OpenFlags : UINT {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareDenyWrite = 0x0020,   // others may read
        shareDenyNone = 0x0040,    // others may read and write
        modeCreate = 0x1000,       // create, or empty an existing file
    };
    enum SeekPosition { begin = 0, current = 1, end = 2 };

    CFile();
    ~CFile() override;
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    // Without a share flag the file is held exclusively: no other opener, for reading
    // or writing, until it is closed. Returns FALSE on failure.
    virtual BOOL Open(const std::wstring& strFileName, UINT nOpenFlags);
    // Creates a new, empty file for reading and writing that takes pszDest's place only
    // when Commit is called, for the bytes of the open file `source`: written beside it,
    // opened by nobody else meanwhile, and gone if the object is closed, aborted or
    // destroyed first, or if the process ends (files/pending_file.h). FALSE when it cannot
    // be made.
    BOOL OpenPending(const std::wstring& strDest, const CFile& source);

    // Reads up to nCount bytes; `got` below nCount without failure means the end of the file.
    virtual bool Read(void* pBuffer, UINT nCount, UINT& got);
    // Writes all nCount bytes or reports failure.
    virtual bool Write(const void* pBuffer, UINT nCount);
    // Returns only when the bytes written so far are on the disk.
    virtual bool Flush();

    // Returns the new position, or UINT64_MAX on failure.
    uint64_t Seek(int64_t offset, SeekPosition from);
    uint64_t SeekToBegin() { return Seek(0, begin); }
    virtual uint64_t GetLength() const;
    uint64_t GetPosition() const;

    std::wstring GetFileName() const;   // the last path component
    const std::wstring& GetFilePath() const { return m_strFileName; }  // a pending file's: its destination
    HANDLE GetHandle() const { return m_file.Native(); }
    // The file layer's handle, for its checks and its writing behind.
    files::File& FileHandle() { return m_file; }
    const files::File& FileHandle() const { return m_file; }
    bool IsOpen() const { return m_file.IsOpen(); }

    // Puts a pending file in its destination's place, replacing what is there, once it is
    // flushed (through Flush); a plain file is flushed and closed. On failure the pending
    // file is gone.
    bool Commit();
    // Closing can be where a delayed write fails, so it reports that too. A pending file
    // that was not committed is discarded.
    bool Close();
    // Closes without reporting anything; also for an object whose Open failed.
    void Abort();

private:
    files::File m_file;
    std::unique_ptr<files::PendingFile> m_pending;  // set while the file is pending
    std::wstring m_strFileName;
};
