// The view's flows for a file chosen in Explorer ("Encrypt with Kestrine", "Shred with
// Kestrine"): the same flows a dropped file or the Shred command runs, entered with the
// file already chosen.
#include <windows.h>

#include <string>

#include "blowfish_view.h"
#include "message_box.h"
#include "preparing_scope.h"

namespace {

// The file's name as Explorer lists it, extension included and in the letters it has on
// disk; false when the path names no file (missing, a folder, a pattern).
bool FindFileName(const CString& strPath, std::string& strName) {
    const DWORD attributes = ::GetFileAttributesA(strPath);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return false;
    WIN32_FIND_DATAA found{};
    const HANDLE hFind = ::FindFirstFileA(strPath, &found);
    if (hFind == INVALID_HANDLE_VALUE) return false;
    ::FindClose(hFind);
    strName = found.cFileName;
    return true;
}

// Finds the file's name, or says that the path names no file and answers false.
bool FindFileOrSayWhy(const CString& strPath, std::string& strName) {
    if (FindFileName(strPath, strName)) return true;
    AfxMessageBox(("Kestrine cannot find the file \"" + std::string(strPath.GetString()) + "\".").c_str());
    return false;
}

}  // namespace

void CBlowfishView::EncryptFileFromShell(const CString& strPath) {
    std::string name;
    // The busy check comes first: a running job's or a waiting flow's fields stay as they are.
    if (RefuseWhileBusy() || !FindFileOrSayWhy(strPath, name)) return;
    m_strSource = strPath;
    EncryptDroppedFile();
}

void CBlowfishView::ShredFileFromShell(const CString& strPath) {
    std::string name;
    if (RefuseWhileBusy() || !FindFileOrSayWhy(strPath, name)) return;
    {
        // No file dialog stands between the click in Explorer and the zeros: ask first.
        CPreparingScope preparing(m_bPreparing);
        const std::string question =
            "Shred " + name + "? Its contents will be overwritten with zeros and cannot be recovered.";
        if (AfxMessageBox(question.c_str(), MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES) return;
    }
    m_strSource = strPath;
    StartJob("Shredding ", &ShredThreadProc);
}
