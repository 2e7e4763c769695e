#include "file.h"

#include <limits>
#include <string>

#include "open.h"
#include "pending_file.h"

IMPLEMENT_DYNAMIC(CFile, CObject)

namespace {

files::Access AccessFor(UINT flags) {
    switch (flags & 0x3) {
        case CFile::modeWrite: return files::Access::Write;
        case CFile::modeReadWrite: return files::Access::ReadWrite;
        default: return files::Access::Read;
    }
}

files::Sharing SharingFor(UINT flags) {
    if (flags & CFile::shareDenyNone) return files::Sharing::ReadWrite;
    if (flags & CFile::shareDenyWrite) return files::Sharing::Read;
    return files::Sharing::None;
}

}  // namespace

CFile::CFile() : m_file(), m_pending(), m_strFileName() {}

CFile::~CFile() { Abort(); }

BOOL CFile::Open(const std::wstring& strFileName, UINT nOpenFlags) {
    Abort();
    m_strFileName = strFileName;
    const files::Creation creation =
        (nOpenFlags & modeCreate) ? files::Creation::CreateOrEmpty : files::Creation::OpenExisting;
    return files::Open(files::Path::FromNative(strFileName), AccessFor(nOpenFlags), SharingFor(nOpenFlags), creation,
                       m_file)
        .ok;
}

BOOL CFile::OpenPending(const std::wstring& strDest, const CFile& source) {
    Abort();
    m_pending = std::make_unique<files::PendingFile>(m_file);
    if (!m_pending->Create(files::Path::FromNative(strDest), source.m_file).ok) {
        m_pending.reset();
        return FALSE;
    }
    m_strFileName = strDest;
    return TRUE;
}

bool CFile::Read(void* pBuffer, UINT nCount, UINT& got) {
    size_t read = 0;
    const bool ok = m_file.Read(static_cast<uint8_t*>(pBuffer), nCount, read);
    got = static_cast<UINT>(read);
    return ok;
}

bool CFile::Write(const void* pBuffer, UINT nCount) { return m_file.WriteAll(static_cast<const uint8_t*>(pBuffer), nCount); }

bool CFile::Flush() { return m_file.Flush(); }

uint64_t CFile::Seek(int64_t offset, SeekPosition from) {
    static const files::File::From kFrom[] = {files::File::From::Begin, files::File::From::Current,
                                              files::File::From::End};
    uint64_t position = 0;
    return m_file.Seek(offset, kFrom[from], position) ? position : std::numeric_limits<uint64_t>::max();
}

uint64_t CFile::GetLength() const {
    uint64_t length = 0;
    return m_file.Length(length) ? length : 0;
}

uint64_t CFile::GetPosition() const {
    uint64_t position = 0;
    return m_file.Position(position) ? position : 0;
}

std::wstring CFile::GetFileName() const {
    // Wide text has no lead bytes: the last separator (or a drive's colon) ends the folder.
    const size_t separator = m_strFileName.find_last_of(L"\\/:");
    return m_strFileName.substr(separator == std::wstring::npos ? 0 : separator + 1);
}

bool CFile::Commit() {
    if (!m_pending) return Flush() && Close();
    std::string reason;
    const bool committed = m_pending->Commit(true, reason, [this] { return Flush(); }) == files::CommitStatus::Done;
    m_pending.reset();
    return committed;
}

bool CFile::Close() {
    if (m_pending) {
        m_pending.reset();  // discards the uncommitted file
        return false;
    }
    return m_file.Close();
}

void CFile::Abort() {
    m_pending.reset();
    m_file.Close();
}
