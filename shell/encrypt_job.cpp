// The encrypt job: a plain file in, a locked file out, the plain file left as it was.
#include "bar_progress.h"
#include "blowfish_view.h"
#include "job_end.h"
#include "job_runner.h"
#include "job_streams.h"
#include "windows_code_page.h"

namespace {
const CodecJobTexts kEncryptTexts = {
    "Error opening source file to encrypt.", "Error opening destination file for encryption.",
    "Error reading the file to encrypt.", "Error writing the encrypted file."};
const JobEndTexts kEncryptEnd = {"Done Encrypting", "Encrypting failed.", "Encrypting stopped."};
}  // namespace

UINT EncryptThreadProc(LPVOID pParam) { return RunJobThread(pParam, &CBlowfishView::RunEncrypt, kEncryptEnd); }

int CBlowfishView::RunEncrypt() { return RunCodecJob(*this, 0, &EncryptFile, kEncryptTexts); }

int EncryptFile(CFile& source, CFile& dest, const BYTE* key, int keyLength, CBlowfishView& view) {
    // The name in the ANSI code page, as the format stores it: what it lacks as '_'.
    const std::string storedName =
        lockedfile::StoredNameFor(files::UnicodeOf(source.GetFileName()), *files::AnsiCodePage());
    files::FileSource reader = JobSource(source);
    CJobWriteBehind writeBehind(dest);
    files::FileSink writer = JobSink(dest, writeBehind);
    BarProgress progress(view);
    const uint64_t length = source.GetLength();
    lockedfile::CodecStatus status = lockedfile::EncryptStream(reader, length, storedName, writer, key, keyLength,
                                                               view.m_keyContext, progress, JobRunner(view, length));
    return FinishCodecRun(status, writer, source, dest, kEncryptTexts);
}
