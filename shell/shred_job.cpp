// The shred job: every byte of a file overwritten with zeros in place, chunk by chunk,
// each chunk forced to disk before the next. The file keeps its name and length.
#include <algorithm>
#include <cstdint>
#include <memory>

#include "bar_progress.h"
#include "blowfish_view.h"
#include "job_end.h"
#include "message_box.h"

namespace {

constexpr UINT kChunk = 100000;

// Lengths are 64-bit: the last chunk is what is left, so exactly `length` bytes are
// written whatever the length, and the count never wraps.
bool OverwriteWithZeros(CFile& file, const BYTE* zeros, BarProgress& progress, const CBlowfishView& view) {
    const uint64_t length = file.GetLength();
    uint64_t written = 0;
    progress.SetRange();
    progress.SetPos(0);
    do {
        UINT chunk = static_cast<UINT>(std::min<uint64_t>(kChunk, length - written));
        if (!file.Write(zeros, chunk) || !file.Flush()) return false;
        written += chunk;
        if (length != 0) progress.SetPos(static_cast<int>(static_cast<double>(written) / static_cast<double>(length) * 100.0));
        // Asked to stop (the window is closing): what is overwritten stays overwritten.
        if (view.StopRequested()) break;
    } while (written < length);
    progress.SetPos(100);
    return true;
}

const JobEndTexts kShredEnd = {"Done Shredding", "Shredding failed.", "Shredding stopped."};

}  // namespace

UINT ShredThreadProc(LPVOID pParam) { return RunJobThread(pParam, &CBlowfishView::RunShred, kShredEnd); }

int CBlowfishView::RunShred() {
    std::unique_ptr<CFile> file = NewJobFile();
    if (!OpenJobFile(*file, m_strSource, CFile::modeReadWrite, "Error opening source file to shred.")) return 0;
    // Out of memory here ends the job like any other throw, with the common message.
    std::unique_ptr<BYTE[]> zeros(new BYTE[kChunk]());
    BarProgress progress(*this);
    bool overwritten = OverwriteWithZeros(*file, zeros.get(), progress, *this);
    if (!file->Close()) overwritten = false;
    // The file could be opened, so the job ran: 1 either way, as for the other jobs.
    if (!overwritten)
        AfxMessageBox("Error writing zeros over the file to shred.");
    else
        MarkJobComplete(true);
    return 1;
}
