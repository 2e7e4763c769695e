// The encrypt job: a plain file in, a locked file out, the plain file left as it was.
#include <memory>

#include "bar_progress.h"
#include "blowfish_view.h"
#include "file_streams.h"
#include "job_end.h"
#include "message_box.h"

namespace {
// Names are in the process's ANSI code page; on a double-byte code page a cut must not
// separate a lead byte from its trail byte.
bool IsAnsiLeadByte(uint8_t byte) { return IsDBCSLeadByte(byte) != FALSE; }

const CodecFailureTexts kEncryptFailures = {"Error reading the file to encrypt.", "Error writing the encrypted file."};
}  // namespace

UINT EncryptThreadProc(LPVOID pParam) { return RunJobThread(pParam, &CBlowfishView::RunEncrypt, "Done Encrypting"); }

int CBlowfishView::RunEncrypt() {
    std::unique_ptr<CFile> source = NewJobFile();
    // Read and write access without sharing: nobody changes the file while it is read.
    if (!OpenJobFile(*source, m_strSource, CFile::modeReadWrite, "Error opening source file to encrypt.")) return 0;
    std::unique_ptr<CFile> dest = NewJobFile();
    if (!OpenJobFile(*dest, m_strDest, CFile::modeCreate | CFile::modeReadWrite,
                     "Error opening destination file for encryption.")) {
        source->Close();
        return 0;
    }
    EncryptFile(*source, *dest, m_pszKey, KeyLengthOf(m_pszKey), *this);
    return 1;
}

int EncryptFile(CFile& source, CFile& dest, const BYTE* key, int keyLength, CBlowfishView& view) {
    std::string storedName = lockedfile::StoredNameFor(source.GetFileName().GetString(), IsAnsiLeadByte);
    FileSource reader(source);
    FileSink writer(dest);
    BarProgress progress(view);
    lockedfile::CodecStatus status =
        lockedfile::EncryptStream(reader, source.GetLength(), storedName, writer, key, keyLength, progress);
    if (status == lockedfile::CodecStatus::Ok && !writer.Finish()) status = lockedfile::CodecStatus::WriteFailed;
    return FinishCodecRun(status, source, dest, kEncryptFailures);
}
