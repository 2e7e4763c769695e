// The five file dialogs of the view's flows: one procedure, five sets of parameters.
#include "ansi_code_page.h"
#include "blowfish_view.h"
#include "file_dialog.h"
#include "folder_names.h"
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
// and answers 0. Without an initial folder the dialog opens where the platform chooses.
int SelectFile(const FileDialogParams& params, const char* pszInitialName, CString& target,
               const char* pszInitialDir = nullptr) {
    CFileDialog dialog(params.bOpen, params.pszDefExt, pszInitialName, params.dwFlags, params.pszFilter, nullptr);
    dialog.m_ofn.lpstrTitle = params.pszTitle;
    dialog.m_ofn.lpstrInitialDir = pszInitialDir;
    const INT_PTR result = dialog.DoModal();
    // Repaint what the dialog covered before the next dialog opens or the job starts.
    CWinThread* thread = AfxGetThread();
    CWnd* mainWnd = thread != nullptr ? thread->GetMainWnd() : nullptr;
    if (mainWnd != nullptr && mainWnd->GetSafeHwnd() != nullptr) mainWnd->UpdateWindow();
    if (result != IDOK) return 0;
    target = dialog.GetPathName();
    return 1;
}

}  // namespace

int CBlowfishView::SelectSourceToEncrypt() { return SelectFile(kSourceToEncrypt, nullptr, m_strSource); }
int CBlowfishView::SelectDestToEncrypt() { return SelectFile(kDestToEncrypt, nullptr, m_strDest); }
int CBlowfishView::SelectSourceToDecrypt() { return SelectFile(kSourceToDecrypt, nullptr, m_strSource); }
// Proposes the name that the locked file stores (already in m_strDest) in the locked file's
// folder, shortened when that folder leaves it too little room. The folder is given so
// that the name is fitted to the folder the dialog really opens in.
int CBlowfishView::SelectDestToDecrypt() {
    const std::string folder = files::FullFolderOf(m_strSource.GetString());
    const std::string proposed =
        lockedfile::FitProposedName(m_strDest.GetString(), files::RoomForNameIn(folder), IsAnsiLeadByte);
    return SelectFile(kDestToDecrypt, proposed.c_str(), m_strDest, folder.empty() ? nullptr : folder.c_str());
}
int CBlowfishView::SelectFileToShred() { return SelectFile(kFileToShred, nullptr, m_strSource); }
