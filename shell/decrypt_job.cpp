// The decrypt job: a locked file in, its plain file out, the locked file left as it was.
#include <memory>

#include "bar_progress.h"
#include "blowfish_view.h"
#include "file_streams.h"
#include "job_end.h"
#include "message_box.h"

namespace {
const CodecFailureTexts kDecryptFailures = {"Error reading the file to decrypt.", "Error writing the decrypted file."};
}  // namespace

UINT DecryptThreadProc(LPVOID pParam) { return RunJobThread(pParam, &CBlowfishView::RunDecrypt, "Done Decrypting"); }

int CBlowfishView::RunDecrypt() {
    std::unique_ptr<CFile> source = NewJobFile();
    if (!OpenJobFile(*source, m_strSource, CFile::modeReadWrite, "Error opening source file to decrypt.")) return 0;
    // The blocks start after the header the view has read: at the tail count.
    source->Seek(static_cast<int64_t>(m_nDataOffset), CFile::begin);
    std::unique_ptr<CFile> dest = NewJobFile();
    if (!OpenJobFile(*dest, m_strDest, CFile::modeCreate | CFile::modeReadWrite,
                     "Error opening destination file for decryption.")) {
        source->Close();
        return 0;
    }
    DecryptFile(*source, *dest, m_pszKey, KeyLengthOf(m_pszKey), *this);
    return 1;
}

int DecryptFile(CFile& source, CFile& dest, const BYTE* key, int keyLength, CBlowfishView& view) {
    FileSource reader(source);
    FileSink writer(dest);
    BarProgress progress(view);
    lockedfile::CodecStatus status = lockedfile::DecryptStream(reader, source.GetLength(), source.GetPosition(), writer,
                                                       key, keyLength, progress);
    if (status == lockedfile::CodecStatus::Ok && !writer.Finish()) status = lockedfile::CodecStatus::WriteFailed;
    return FinishCodecRun(status, source, dest, kDecryptFailures);
}
