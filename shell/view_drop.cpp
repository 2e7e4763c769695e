// The view's side of drag and drop: which drags it takes, and which flow a dropped file
// starts.
#include <windows.h>
#include <shellapi.h>

#include <cstring>
#include <string>
#include <vector>

#include "blowfish_view.h"
#include "message_box.h"
#include "ole_data_object.h"

namespace {

constexpr char kNoFilesMessage[] = "False";
constexpr char kOneFileMessage[] = "You may only drag and drop 1 file at a time.";
constexpr char kPathTooLongMessage[] = "The path of the dropped file is too long for Kestrine.";
constexpr UINT kFileCountQuery = 0xFFFFFFFF;

// What a dropped file list holds: how many files, and the path when there is exactly one.
struct DroppedFiles {
    UINT count = 0;
    CString path;
    bool pathTooLong = false;
};

DroppedFiles ReadDroppedFiles(HDROP hDrop) {
    DroppedFiles files;
    files.count = ::DragQueryFileA(hDrop, kFileCountQuery, nullptr, 0);
    if (files.count != 1) return files;
    // Asked for its length first, so that a path is never cut to fit. A list of wide
    // characters counts those, and each may need two bytes here.
    const UINT length = ::DragQueryFileA(hDrop, 0, nullptr, 0);
    std::vector<char> buffer(2 * static_cast<size_t>(length) + 2, '\0');
    ::DragQueryFileA(hDrop, 0, buffer.data(), static_cast<UINT>(buffer.size()));
    // The flows and the jobs work within the platform's path limit; a longer path is
    // refused rather than shortened into another file's name.
    if (std::strlen(buffer.data()) >= MAX_PATH)
        files.pathTooLong = true;
    else
        files.path = buffer.data();
    return files;
}

// ".kst" in any letter case, compared on the last four characters as the platform
// upper-cases them.
bool NamesLockedFile(const CString& path) {
    const int length = path.GetLength();
    std::string tail(path.GetString() + (length > 4 ? length - 4 : 0));
    ::CharUpperBuffA(&tail[0], static_cast<DWORD>(tail.size()));
    return tail == ".KST";
}

}  // namespace

DROPEFFECT CBlowfishView::OnDragOver(COleDataObject* pDataObject, DWORD, POINT) {
    // Dragged text is refused even when the same drag also carries files.
    if (pDataObject->IsDataAvailable(CF_TEXT)) return DROPEFFECT_NONE;
    if (pDataObject->IsDataAvailable(CF_HDROP)) return DROPEFFECT_COPY;
    return DROPEFFECT_NONE;
}

BOOL CBlowfishView::OnDrop(COleDataObject* pDataObject, DROPEFFECT, POINT) {
    // Before anything is read: a running job's or a waiting flow's fields stay as they are.
    if (RefuseWhileBusy()) return FALSE;
    if (!pDataObject->IsDataAvailable(CF_HDROP)) {
        AfxMessageBox(kNoFilesMessage, MB_OK);
        return FALSE;
    }
    DroppedFiles files;
    {
        CStorageMedium medium;
        FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        if (!pDataObject->GetData(CF_HDROP, medium.Receive(), &format) || medium.GetGlobal() == nullptr) {
            AfxMessageBox(kNoFilesMessage, MB_OK);
            return FALSE;
        }
        files = ReadDroppedFiles(static_cast<HDROP>(medium.GetGlobal()));
    }  // the medium goes back before any message or flow
    if (files.count > 1) {
        AfxMessageBox(kOneFileMessage, MB_ICONINFORMATION);
        return FALSE;
    }
    if (files.pathTooLong) {
        AfxMessageBox(kPathTooLongMessage, MB_OK);
        return FALSE;
    }
    // An empty list (or an empty name) names nothing to work on.
    if (files.path.IsEmpty()) return FALSE;

    m_strSource = files.path;
    if (NamesLockedFile(files.path))
        ReadLockedHeader();
    else
        EncryptDroppedFile();
    return TRUE;
}
