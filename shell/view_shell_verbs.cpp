// The view's flows for a file chosen in Explorer ("Encrypt with Kestrine", "Shred with
// Kestrine"): the same flows a dropped file or the Shred command runs, entered with the
// file already chosen.
#include <windows.h>

#include <string>

#include "blowfish_view.h"
#include "folder_names.h"
#include "message_box.h"
#include "preparing_scope.h"

namespace {

// Finds the file's name as Explorer lists it, extension included and in the letters it has
// on disk, or says that the path names no file (missing, a folder, a pattern) and answers
// false. The messages name files: they are wide, so that every character of a name shows.
bool FindFileOrSayWhy(const std::wstring& strPath, std::wstring& strName) {
    if (files::ListedFileName(strPath, strName)) return true;
    AfxMessageBox(L"Kestrine cannot find the file \"" + strPath + L"\".");
    return false;
}

}  // namespace

void CBlowfishView::EncryptFileFromShell(const std::wstring& strPath) {
    std::wstring name;
    // The busy check comes first: a running job's or a waiting flow's fields stay as they are.
    if (RefuseWhileBusy() || !FindFileOrSayWhy(strPath, name)) return;
    m_strSource = strPath;
    EncryptDroppedFile();
}

void CBlowfishView::ShredFileFromShell(const std::wstring& strPath) {
    std::wstring name;
    if (RefuseWhileBusy() || !FindFileOrSayWhy(strPath, name)) return;
    {
        // No file dialog stands between the click in Explorer and the zeros: ask first.
        CPreparingScope preparing(m_bPreparing);
        const std::wstring question =
            L"Shred " + name + L"? Its contents will be overwritten with zeros and cannot be recovered.";
        if (AfxMessageBox(question, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES) return;
    }
    m_strSource = strPath;
    StartJob("Shredding ", &ShredThreadProc);
}
