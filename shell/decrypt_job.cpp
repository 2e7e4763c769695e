// The decrypt job: a locked file in, its plain file out, the locked file left as it was.
#include "bar_progress.h"
#include "blowfish_view.h"
#include "job_end.h"
#include "job_runner.h"
#include "job_streams.h"

namespace {
const CodecJobTexts kDecryptTexts = {
    "Error opening source file to decrypt.", "Error opening destination file for decryption.",
    "Error reading the file to decrypt.", "Error writing the decrypted file."};
const JobEndTexts kDecryptEnd = {"Done Decrypting", "Decrypting failed.", "Decrypting stopped."};
}  // namespace

UINT DecryptThreadProc(LPVOID pParam) { return RunJobThread(pParam, &CBlowfishView::RunDecrypt, kDecryptEnd); }

// The blocks start after the header the view has read: at the tail count.
int CBlowfishView::RunDecrypt() { return RunCodecJob(*this, m_nDataOffset, &DecryptFile, kDecryptTexts); }

int DecryptFile(CFile& source, CFile& dest, const BYTE* key, int keyLength, CBlowfishView& view) {
    files::FileSource reader = JobSource(source);
    CJobWriteBehind writeBehind(dest);
    files::FileSink writer = JobSink(dest, writeBehind);
    BarProgress progress(view);
    const uint64_t length = source.GetLength();
    lockedfile::CodecStatus status = lockedfile::DecryptStream(reader, length, source.GetPosition(), writer, key,
                                                               keyLength, view.m_keyContext, progress,
                                                               JobRunner(view, length));
    return FinishCodecRun(status, writer, source, dest, kDecryptTexts);
}
