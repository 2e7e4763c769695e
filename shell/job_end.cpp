#include "job_end.h"

#include <cstring>

#include "message_box.h"
#include "app_messages.h"

UINT RunJobThread(LPVOID pParam, int (CBlowfishView::*run)(), const char* pszDoneText) {
    CObject* object = static_cast<CObject*>(pParam);
    if (object == nullptr || !object->IsKindOf(RUNTIME_CLASS(CBlowfishView))) return static_cast<UINT>(-1);
    CBlowfishView* view = static_cast<CBlowfishView*>(object);
    HWND hView = view->GetSafeHwnd();
    // The view must leave its busy state however the job ends.
    try {
        (view->*run)();
    } catch (...) {
        AfxMessageBox("Not enough memory to finish the job.");
    }
    view->m_strStatus = pszDoneText;
    ::PostMessageA(hView, WM_JOB_DONE, 0, 0);
    return 0;
}

int FinishCodecRun(lockedfile::CodecStatus status, CFile& source, CFile& dest, const CodecFailureTexts& texts) {
    source.Close();
    // A delayed write can still fail as the file is closed.
    if (!dest.Close() && status == lockedfile::CodecStatus::Ok) status = lockedfile::CodecStatus::WriteFailed;
    if (status == lockedfile::CodecStatus::Ok) return 1;

    ::DeleteFileA(dest.GetFilePath());
    const struct { lockedfile::CodecStatus status; const char* text; } messages[] = {
        {lockedfile::CodecStatus::ReadFailed, texts.readFailed},
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

int KeyLengthOf(const BYTE* key) {
    return key != nullptr ? static_cast<int>(std::strlen(reinterpret_cast<const char*>(key))) : 0;
}
