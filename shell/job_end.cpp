#include "job_end.h"

#include <cstring>
#include <memory>

#include "app_messages.h"
#include "destination_refusal.h"
#include "file_identity.h"
#include "message_box.h"

namespace {

// The key length the jobs use: the bytes before the first 0 byte; 0 for no key.
int KeyLengthOf(const BYTE* key) {
    return key != nullptr ? static_cast<int>(std::strlen(reinterpret_cast<const char*>(key))) : 0;
}

const char* ClosingText(const CBlowfishView& view, const JobEndTexts& texts) {
    if (view.StopRequested()) return texts.stopped;
    return view.JobComplete() ? texts.done : texts.failed;
}

// Why the view's destination cannot take the result of a job reading `source`; null when
// nothing stands in the way. The source itself is never replaced by its own result.
const char* JobDestinationRefusal(const CFile& source, const std::wstring& strDest, const CodecJobTexts& texts) {
    const files::Path dest = files::Path::FromNative(strDest);
    if (files::SameFile(source.FileHandle(), dest)) return texts.openDestFailed;
    return DestinationRefusal(files::InspectDestination(dest), texts.openDestFailed);
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
    // The password and the tables derived from it must not outlive the job that needed
    // them. The user-interface thread leaves the key alone until WM_JOB_DONE.
    view->m_keyContext.Wipe();
    WipeSecret(view->m_pszKey);
    view->SetJobEndText(ClosingText(*view, texts));
    ::PostMessageA(hView, WM_JOB_DONE, 0, 0);
    return 0;
}

int RunCodecJob(CBlowfishView& view, uint64_t sourceOffset, CodecJobFile codecFile, const CodecJobTexts& texts) {
    std::unique_ptr<CFile> source = view.NewJobFile();
    if (!OpenJobFile(*source, view.m_strSource, CFile::modeRead | CFile::shareDenyWrite, texts.openSourceFailed))
        return 0;
    source->Seek(static_cast<int64_t>(sourceOffset), CFile::begin);
    // The flows refused what stood in the destination's way before the password was asked
    // for; it may have changed since. The result goes to a file of its own beside the
    // destination and replaces it only when it is complete and on the disk: a failure, a
    // stop, a throw or the end of the process loses that file alone (the CFile discards it
    // however it goes), never one the user chose to replace.
    const char* refusal = JobDestinationRefusal(*source, view.m_strDest, texts);
    std::unique_ptr<CFile> dest = view.NewJobFile();
    if (refusal == nullptr && !dest->OpenPending(view.m_strDest, *source)) refusal = texts.openDestFailed;
    if (refusal != nullptr) {
        AfxMessageBox(refusal);
        source->Close();
        return 0;
    }
    const int complete = codecFile(*source, *dest, view.m_pszKey.data(), KeyLengthOf(view.m_pszKey.data()), view);
    view.MarkJobComplete(complete == 1);
    return 1;
}

int FinishCodecRun(lockedfile::CodecStatus status, files::FileSink& writer, CFile& source, CFile& dest,
                   const CodecJobTexts& texts) {
    // Nothing may still write or flush the file once it is closed, whatever ended the run.
    if (!writer.Finish() && status == lockedfile::CodecStatus::Ok) status = lockedfile::CodecStatus::WriteFailed;
    source.Close();
    // Flushed, then renamed over the destination; a delayed write can still fail there.
    if (status == lockedfile::CodecStatus::Ok && !dest.Commit()) status = lockedfile::CodecStatus::WriteFailed;
    if (status == lockedfile::CodecStatus::Ok) return 1;

    dest.Abort();
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

bool OpenJobFile(CFile& file, const std::wstring& strPath, UINT nOpenFlags, const char* pszFailureText) {
    if (file.Open(strPath, nOpenFlags)) return true;
    AfxMessageBox(pszFailureText);
    file.Abort();
    return false;
}
