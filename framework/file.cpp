#include "file.h"

#include <limits>
#include <string>

#include "ansi_code_page.h"
#include "path_names.h"

IMPLEMENT_DYNAMIC(CFile, CObject)

namespace {

DWORD AccessFor(UINT flags) {
    switch (flags & 0x3) {
        case CFile::modeWrite: return GENERIC_WRITE;
        case CFile::modeReadWrite: return GENERIC_READ | GENERIC_WRITE;
        default: return GENERIC_READ;
    }
}

DWORD ShareFor(UINT flags) {
    if (flags & CFile::shareDenyNone) return FILE_SHARE_READ | FILE_SHARE_WRITE;
    if (flags & CFile::shareDenyWrite) return FILE_SHARE_READ;
    return 0;
}

}  // namespace

CFile::~CFile() { Abort(); }

BOOL CFile::Open(const char* pszFileName, UINT nOpenFlags) {
    Abort();
    m_strFileName = pszFileName;
    DWORD disposition = (nOpenFlags & modeCreate) ? CREATE_ALWAYS : OPEN_EXISTING;
    // Windows refuses to write to a read-only file; some hosts of the program (Wine run by
    // a superuser) do not, and the jobs rely on the refusal.
    DWORD attributes = ::GetFileAttributesA(pszFileName);
    if (AccessFor(nOpenFlags) != GENERIC_READ && attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & FILE_ATTRIBUTE_READONLY)) {
        ::SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    m_hFile.Reset(::CreateFileA(pszFileName, AccessFor(nOpenFlags), ShareFor(nOpenFlags), nullptr, disposition,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    return m_hFile.IsValid();
}

bool CFile::Read(void* pBuffer, UINT nCount, UINT& got) {
    got = 0;
    DWORD done = 0;
    if (!::ReadFile(m_hFile, pBuffer, nCount, &done, nullptr)) return false;
    got = done;
    return true;
}

bool CFile::Write(const void* pBuffer, UINT nCount) {
    const BYTE* bytes = static_cast<const BYTE*>(pBuffer);
    while (nCount > 0) {
        DWORD done = 0;
        if (!::WriteFile(m_hFile, bytes, nCount, &done, nullptr) || done == 0) return false;
        bytes += done;
        nCount -= done;
    }
    return true;
}

bool CFile::Flush() { return ::FlushFileBuffers(m_hFile) != FALSE; }

uint64_t CFile::Seek(int64_t offset, SeekPosition from) {
    static const DWORD kMethods[] = {FILE_BEGIN, FILE_CURRENT, FILE_END};
    LARGE_INTEGER distance, moved;
    distance.QuadPart = offset;
    if (!::SetFilePointerEx(m_hFile, distance, &moved, kMethods[from]))
        return std::numeric_limits<uint64_t>::max();
    return static_cast<uint64_t>(moved.QuadPart);
}

uint64_t CFile::GetLength() const {
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(m_hFile, &size)) return 0;
    return static_cast<uint64_t>(size.QuadPart);
}

uint64_t CFile::GetPosition() const {
    LARGE_INTEGER zero, at;
    zero.QuadPart = 0;
    if (!::SetFilePointerEx(m_hFile, zero, &at, FILE_CURRENT)) return 0;
    return static_cast<uint64_t>(at.QuadPart);
}

CString CFile::GetFileName() const {
    const std::string path(m_strFileName.GetString(), static_cast<size_t>(m_strFileName.GetLength()));
    const size_t start = lockedfile::FileNameStart(path, IsAnsiLeadByte, lockedfile::PathStyle::Windows);
    return m_strFileName.Mid(static_cast<int>(start));
}

bool CFile::Close() { return m_hFile.Reset(); }

void CFile::Abort() { m_hFile.Reset(); }
