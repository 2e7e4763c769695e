// The view's commands and the flows they start: file dialogs, the locked file's header,
// the password dialogs, and the start of the job on a worker thread.
#include <memory>

#include "blowfish_view.h"
#include "decrypt_password_dlg.h"
#include "destination_refusal.h"
#include "encrypt_password_dlg.h"
#include "file_identity.h"
#include "job_streams.h"
#include "locked_format.h"
#include "message_box.h"
#include "preparing_scope.h"
#include "wide_text.h"

extern const char kBusyMessage[] = "Kestrine is busy with another file. Please wait until it has finished.";

namespace {

constexpr char kNoPasswordMessage[] = "You did not specify a password.";
constexpr char kOpenLockedFailedMessage[] = "Error opening source file to decrypt.";
// The result would replace the very file it is made from.
constexpr char kSameFileMessage[] = "The file to write is the file being read. Please choose another name.";

// The message of a header that cannot be decrypted; null for a good one.
const char* HeaderRefusal(lockedfile::HeaderStatus status) {
    static const struct {
        lockedfile::HeaderStatus status;
        const char* text;
    } kRefusals[] = {
        {lockedfile::HeaderStatus::NotLocked, lockedfile::kNotLockedMessage},
        {lockedfile::HeaderStatus::NoTailCount, lockedfile::kNotLockedMessage},
        {lockedfile::HeaderStatus::BadHeader, lockedfile::kBadHeaderMessage},
        {lockedfile::HeaderStatus::ReadFailed, lockedfile::kBadHeaderMessage},
    };
    for (const auto& refusal : kRefusals)
        if (refusal.status == status) return refusal.text;
    return nullptr;
}

}  // namespace

BOOL CBlowfishView::RefuseDestination(bool bSameAsSource) {
    // The result would replace the file it is made from, or could not replace the one
    // chosen: said now, before the password, rather than after the whole job.
    const char* refusal =
        bSameAsSource ? kSameFileMessage
                      : DestinationRefusal(files::InspectDestination(files::Path::FromNative(m_strDest)), nullptr);
    if (refusal == nullptr) return FALSE;
    AfxMessageBox(refusal);
    return TRUE;
}

BOOL CBlowfishView::RefuseWhileBusy() {
    if (!IsBusy()) return FALSE;
    AfxMessageBox(kBusyMessage);
    return TRUE;
}

void CBlowfishView::StartJob(const char* pszVerb, AFX_THREADPROC pfnThreadProc) {
    // The status line is narrow: the path as the code page spells it.
    m_strStatus = pszVerb;
    m_strStatus += AfxNarrowForDisplay(m_strSource);
    UpdateData(FALSE);
    m_bBusy = 1;
    // The thread object deletes itself when the job ends.
    if (AfxBeginThread(pfnThreadProc, static_cast<CObject*>(this)) == nullptr) {
        m_bBusy = 0;
        AfxMessageBox("Kestrine could not start the job.");
    }
}

void CBlowfishView::OnEncrypt() {
    if (RefuseWhileBusy()) return;
    CPreparingScope preparing(m_bPreparing);
    m_progress.SetPos(0);
    if (!SelectSourceToEncrypt()) return;
    EncryptFromDestination();
}

void CBlowfishView::EncryptDroppedFile() {
    if (RefuseWhileBusy()) return;
    CPreparingScope preparing(m_bPreparing);
    m_progress.SetPos(0);
    EncryptFromDestination();
}

void CBlowfishView::EncryptFromDestination() {
    if (!SelectDestToEncrypt()) return;
    if (RefuseDestination(files::SameFile(files::Path::FromNative(m_strSource), files::Path::FromNative(m_strDest))))
        return;
    CEncryptPasswordDlg dialog;
    if (dialog.DoModal() != IDOK) return;
    m_strPassword.SecureEmpty();
    m_strPassword = dialog.m_strPassword;
    CopyPasswordToKey();
    StartJob("Encrypting ", &EncryptThreadProc);
}

void CBlowfishView::OnDecrypt() {
    if (RefuseWhileBusy()) return;
    {
        // A drop or shell open while the source dialog is up must not start a flow of its own.
        CPreparingScope preparing(m_bPreparing);
        if (!SelectSourceToDecrypt()) return;
    }
    ReadLockedHeader();
}

void CBlowfishView::ReadLockedHeader() {
    if (RefuseWhileBusy()) return;
    CPreparingScope preparing(m_bPreparing);

    // Only read, and held open (so others may read it but nobody may change it) until the
    // user has answered the dialogs: a locked file on read-only media opens as well.
    CFile lockedFile;
    if (!lockedFile.Open(m_strSource, CFile::modeRead | CFile::shareDenyWrite)) {
        AfxMessageBox(kOpenLockedFailedMessage);
        return;
    }
    lockedfile::HeaderInfo header;
    {
        files::FileSource reader = JobSource(lockedFile);
        header = lockedfile::ReadHeader(reader, lockedFile.GetLength());
    }
    if (const char* refusal = HeaderRefusal(header.status)) {
        AfxMessageBox(refusal);
        return;
    }
    // The stored name comes from the file and is not trusted: only a bare, safe file name
    // is proposed, read from the code page the program names files in.
    m_strDest = ProposedNameFor(header.storedName);
    m_nDataOffset = header.dataOffset;

    if (!SelectDestToDecrypt()) return;
    if (RefuseDestination(files::SameFile(lockedFile.FileHandle(), files::Path::FromNative(m_strDest)))) return;
    CDecryptPasswordDlg dialog;
    if (dialog.DoModal() != IDOK) return;
    // A key of length 0 must never reach the key schedule.
    if (dialog.m_strPassword.IsEmpty()) {
        AfxMessageBox(kNoPasswordMessage, MB_ICONHAND);
        return;
    }
    m_strPassword.SecureEmpty();
    m_strPassword = dialog.m_strPassword;
    CopyPasswordToKey();

    // The job opens the file afresh and seeks to m_nDataOffset.
    lockedFile.Close();
    StartJob("Decrypting ", &DecryptThreadProc);
}

void CBlowfishView::OnShred() {
    if (RefuseWhileBusy()) return;
    CPreparingScope preparing(m_bPreparing);
    if (!SelectFileToShred()) return;
    StartJob("Shredding ", &ShredThreadProc);
}
