// The shred job: the core's shred pass over the chosen file, with the view's progress bar.
#include <memory>

#include "bar_progress.h"
#include "blowfish_view.h"
#include "job_end.h"
#include "message_box.h"
#include "shred_pass.h"

namespace {

class CFileShredTarget : public lockedfile::ShredTarget {
public:
    explicit CFileShredTarget(CFile& file) : m_file(file) {}
    // The pass writes at most one chunk at a time, far below what a UINT counts.
    bool Write(const uint8_t* buffer, size_t count) override { return m_file.Write(buffer, static_cast<UINT>(count)); }
    bool Flush() override { return m_file.Flush(); }

private:
    CFile& m_file;
};

const JobEndTexts kShredEnd = {"Done Shredding", "Shredding failed.", "Shredding stopped."};

}  // namespace

UINT ShredThreadProc(LPVOID pParam) { return RunJobThread(pParam, &CBlowfishView::RunShred, kShredEnd); }

int CBlowfishView::RunShred() {
    std::unique_ptr<CFile> file = NewJobFile();
    if (!OpenJobFile(*file, m_strSource, CFile::modeReadWrite, "Error opening source file to shred.")) return 0;
    CFileShredTarget target(*file);
    BarProgress progress(*this);
    // Out of memory for the chunk ends the job like any other throw, with the common message.
    lockedfile::ShredStatus status = lockedfile::ShredPass(target, file->GetLength(), progress);
    if (!file->Close() && status == lockedfile::ShredStatus::Done) status = lockedfile::ShredStatus::WriteFailed;
    // The file could be opened, so the job ran: 1 however it ended, as for the other jobs.
    // Asked to stop (the window is closing), it says nothing: the user asked for it.
    if (status == lockedfile::ShredStatus::WriteFailed)
        AfxMessageBox("Error writing zeros over the file to shred.");
    else
        MarkJobComplete(status == lockedfile::ShredStatus::Done);
    return 1;
}
