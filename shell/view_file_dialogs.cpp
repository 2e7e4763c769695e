// The five file dialogs of the view's flows: one procedure, five sets of parameters.
#include "ansi_code_page.h"
#include "blowfish_view.h"
#include "file_dialog.h"
#include "locked_format.h"

namespace {

constexpr char kTextFilter[] = "Text Files (*.txt)|*.txt|All Files (*.*)|*.*||";
constexpr char kLockedFilter[] = "Locked Files (*.kst)|*.kst|All Files (*.*)|*.*||";
constexpr char kAllFilter[] = "All Files (*.*)|*.*||";

struct FileDialogParams {
    BOOL bOpen;
    const char* pszTitle;
    const char* pszFilter;
    const char* pszDefExt;
    DWORD dwFlags;
};

constexpr FileDialogParams kSourceToEncrypt = {TRUE, "Select File to Encrypt", kTextFilter, nullptr,
                                               OFN_FILEMUSTEXIST};
constexpr FileDialogParams kDestToEncrypt = {FALSE, "Encrypted File", kLockedFilter, "kst", OFN_OVERWRITEPROMPT};
constexpr FileDialogParams kSourceToDecrypt = {TRUE, "Select File to Decrypt", kLockedFilter, "blo",
                                               OFN_FILEMUSTEXIST};
constexpr FileDialogParams kDestToDecrypt = {FALSE, "Decrypted File", kAllFilter, nullptr, OFN_OVERWRITEPROMPT};
constexpr FileDialogParams kFileToShred = {TRUE, "Select File to Shred", kAllFilter, nullptr, OFN_FILEMUSTEXIST};

// Runs one file dialog; stores the chosen path into `target` and answers 1, or leaves it
// and answers 0.
int SelectFile(const FileDialogParams& params, const char* pszInitialName, CString& target) {
    CFileDialog dialog(params.bOpen, params.pszDefExt, pszInitialName, params.dwFlags, params.pszFilter, nullptr);
    dialog.m_ofn.lpstrTitle = params.pszTitle;
    const INT_PTR result = dialog.DoModal();
    // Repaint what the dialog covered before the next dialog opens or the job starts.
    CWinThread* thread = AfxGetThread();
    CWnd* mainWnd = thread != nullptr ? thread->GetMainWnd() : nullptr;
    if (mainWnd != nullptr && mainWnd->GetSafeHwnd() != nullptr) mainWnd->UpdateWindow();
    if (result != IDOK) return 0;
    target = dialog.GetPathName();
    return 1;
}

// The bytes a file name may take in the folder the save dialog opens in (the current
// directory), so that folder and name fit in MAX_PATH: the dialog cannot take a longer path.
size_t RoomForNameInDialogFolder() {
    char folder[MAX_PATH * 2] = {};
    const DWORD length = ::GetCurrentDirectoryA(sizeof folder, folder);
    if (length == 0 || length >= sizeof folder) return 0;
    const size_t used = length + (folder[length - 1] == '\\' ? 0 : 1) + 1;  // separator, terminator
    return used < MAX_PATH ? MAX_PATH - used : 0;
}

}  // namespace

int CBlowfishView::SelectSourceToEncrypt() { return SelectFile(kSourceToEncrypt, nullptr, m_strSource); }
int CBlowfishView::SelectDestToEncrypt() { return SelectFile(kDestToEncrypt, nullptr, m_strDest); }
int CBlowfishView::SelectSourceToDecrypt() { return SelectFile(kSourceToDecrypt, nullptr, m_strSource); }
// Proposes the name that the locked file stores (already in m_strDest), shortened when the
// folder leaves it too little room.
int CBlowfishView::SelectDestToDecrypt() {
    const CString proposed =
        lockedfile::FitProposedName(m_strDest.GetString(), RoomForNameInDialogFolder(), IsAnsiLeadByte);
    return SelectFile(kDestToDecrypt, proposed, m_strDest);
}
int CBlowfishView::SelectFileToShred() { return SelectFile(kFileToShred, nullptr, m_strSource); }
