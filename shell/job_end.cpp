#include "job_end.h"

#include <cstring>
#include <memory>

#include "app_messages.h"
#include "file_streams.h"
#include "job_destination.h"
#include "message_box.h"

namespace {

// The key length the jobs use: the bytes before the first 0 byte; 0 for no key.
int KeyLengthOf(const BYTE* key) {
    return key != nullptr ? static_cast<int>(std::strlen(reinterpret_cast<const char*>(key))) : 0;
}

// Deletes a destination that a throw left half written: it must not pass for a result.
class CPartialDestGuard {
public:
    explicit CPartialDestGuard(CFile& dest) : m_dest(dest), m_bArmed(true) {}
    ~CPartialDestGuard() {
        if (!m_bArmed) return;
        const CString path = m_dest.GetFilePath();
        m_dest.Abort();
        ::DeleteFileA(path);
    }
    void Release() { m_bArmed = false; }
    CPartialDestGuard(const CPartialDestGuard&) = delete;
    CPartialDestGuard& operator=(const CPartialDestGuard&) = delete;

private:
    CFile& m_dest;
    bool m_bArmed;
};

const char* ClosingText(const CBlowfishView& view, const JobEndTexts& texts) {
    if (view.StopRequested()) return texts.stopped;
    return view.JobComplete() ? texts.done : texts.failed;
}

}  // namespace

UINT RunJobThread(LPVOID pParam, int (CBlowfishView::*run)(), const JobEndTexts& texts) {
    CObject* object = static_cast<CObject*>(pParam);
    if (object == nullptr || !object->IsKindOf(RUNTIME_CLASS(CBlowfishView))) return static_cast<UINT>(-1);
    CBlowfishView* view = static_cast<CBlowfishView*>(object);
    HWND hView = view->GetSafeHwnd();
    view->MarkJobComplete(false);
    // The view must leave its busy state however the job ends.
    try {
        (view->*run)();
    } catch (...) {
        view->MarkJobComplete(false);
        AfxMessageBox("Not enough memory to finish the job.");
    }
    // The password-derived tables must not outlive the job that needed them.
    view->m_keyContext.Wipe();
    view->SetJobEndText(ClosingText(*view, texts));
    ::PostMessageA(hView, WM_JOB_DONE, 0, 0);
    return 0;
}

int RunCodecJob(CBlowfishView& view, uint64_t sourceOffset, CodecJobFile codecFile, const CodecJobTexts& texts) {
    std::unique_ptr<CFile> source = view.NewJobFile();
    if (!OpenJobFile(*source, view.m_strSource, CFile::modeRead | CFile::shareDenyWrite, texts.openSourceFailed))
        return 0;
    source->Seek(static_cast<int64_t>(sourceOffset), CFile::begin);
    // The result goes to a file of its own beside the destination and replaces the
    // destination only when it is complete and on the disk: a failure, a stop or a throw
    // loses that file alone, never one the user chose to replace. The source itself is
    // never replaced by its own result.
    const std::string temporary =
        MayReplace(source->GetHandle(), view.m_strDest) ? CreateFileBeside(view.m_strDest) : std::string();
    if (temporary.empty()) {
        AfxMessageBox(texts.openDestFailed);
        source->Close();
        return 0;
    }
    std::unique_ptr<CFile> dest = view.NewJobFile();
    if (!OpenJobFile(*dest, temporary.c_str(), CFile::modeCreate | CFile::modeReadWrite, texts.openDestFailed)) {
        ::DeleteFileA(temporary.c_str());
        source->Close();
        return 0;
    }
    CPartialDestGuard guard(*dest);
    int complete = codecFile(*source, *dest, view.m_pszKey.data(), KeyLengthOf(view.m_pszKey.data()), view);
    guard.Release();
    if (complete == 1 && !ReplaceWithComplete(temporary, view.m_strDest)) {
        ::DeleteFileA(temporary.c_str());
        AfxMessageBox(texts.writeFailed);
        complete = 0;
    }
    view.MarkJobComplete(complete == 1);
    return 1;
}

int FinishCodecRun(lockedfile::CodecStatus status, FileSink& writer, CFile& source, CFile& dest,
                   const CodecJobTexts& texts) {
    // Nothing may still write or flush the file once it is closed, whatever ended the run.
    if (!writer.Finish() && status == lockedfile::CodecStatus::Ok) status = lockedfile::CodecStatus::WriteFailed;
    source.Close();
    // The result must be on the disk before it may take the destination's place.
    if (status == lockedfile::CodecStatus::Ok && !dest.Flush()) status = lockedfile::CodecStatus::WriteFailed;
    // A delayed write can still fail as the file is closed.
    if (!dest.Close() && status == lockedfile::CodecStatus::Ok) status = lockedfile::CodecStatus::WriteFailed;
    if (status == lockedfile::CodecStatus::Ok) return 1;

    ::DeleteFileA(dest.GetFilePath());
    const struct {
        lockedfile::CodecStatus status;
        const char* text;
    } messages[] = {
        {lockedfile::CodecStatus::ReadFailed, texts.readFailed},
        {lockedfile::CodecStatus::SourceShorter, texts.readFailed},
        {lockedfile::CodecStatus::SourceLonger, texts.readFailed},
        {lockedfile::CodecStatus::WriteFailed, texts.writeFailed},
        {lockedfile::CodecStatus::EmptyKey, "You did not specify a password."},
    };
    for (const auto& message : messages)
        if (message.status == status) AfxMessageBox(message.text);
    return 0;
}

bool OpenJobFile(CFile& file, const char* pszPath, UINT nOpenFlags, const char* pszFailureText) {
    if (file.Open(pszPath, nOpenFlags)) return true;
    AfxMessageBox(pszFailureText);
    file.Abort();
    return false;
}
