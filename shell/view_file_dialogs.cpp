// The five file dialogs of the view's flows: one procedure, five sets of parameters.
#include "blowfish_view.h"
#include "code_page.h"
#include "file_dialog.h"
#include "folder_names.h"
#include "windows_code_page.h"

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
int SelectFile(const FileDialogParams& params, const wchar_t* pszInitialName, std::wstring& target,
               const std::wstring& strInitialDir = std::wstring()) {
    CFileDialog dialog(params.bOpen, params.pszDefExt, pszInitialName, params.dwFlags, params.pszFilter, nullptr);
    dialog.SetTitle(params.pszTitle);
    dialog.SetInitialDir(strInitialDir);
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
// Proposes the name that the locked file stores (already in m_strDest, as ProposedNameFor
// made it) in the locked file's folder.
int CBlowfishView::SelectDestToDecrypt() {
    return SelectFile(kDestToDecrypt, m_strDest.c_str(), m_strDest, files::FullFolderOf(m_strSource));
}

// The stored name read from the ANSI code page, made safe and shortened when the locked
// file's folder, where the dialog opens, leaves it too little room: counted in the UTF-16
// code units the dialog takes.
std::wstring CBlowfishView::ProposedNameFor(const std::string& storedName) const {
    const size_t room = files::RoomForNameIn(files::FullFolderOf(m_strSource));
    return files::WideOf(lockedfile::ProposedNameFor(storedName, *files::AnsiCodePage(), room, files::NameUnitsOf));
}
int CBlowfishView::SelectFileToShred() { return SelectFile(kFileToShred, nullptr, m_strSource); }
