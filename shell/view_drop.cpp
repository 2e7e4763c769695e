// The view's side of drag and drop: which drags it takes, and which flow a dropped file
// starts.
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "app_messages.h"
#include "blowfish_view.h"
#include "message_box.h"
#include "ole_data_object.h"

namespace {

constexpr char kNoFilesMessage[] = "False";
constexpr char kOneFileMessage[] = "You may only drag and drop 1 file at a time.";
constexpr UINT kFileCountQuery = 0xFFFFFFFF;

// What a dropped file list holds: how many files, and the path when there is exactly one.
struct DroppedFiles {
    UINT count = 0;
    std::wstring path;
};

DroppedFiles ReadDroppedFiles(HDROP hDrop) {
    DroppedFiles files;
    files.count = ::DragQueryFileW(hDrop, kFileCountQuery, nullptr, 0);
    if (files.count != 1) return files;
    // The wide name, asked for its length first: a path is never cut to fit, and may be
    // longer than MAX_PATH and hold any character (the narrow one has '?' for what the
    // ANSI code page lacks, and names no file then).
    const UINT length = ::DragQueryFileW(hDrop, 0, nullptr, 0);
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1, L'\0');
    ::DragQueryFileW(hDrop, 0, buffer.data(), static_cast<UINT>(buffer.size()));
    files.path = buffer.data();
    return files;
}

// ".kst" in any letter case, compared on the last four characters as the platform
// upper-cases them.
bool NamesLockedFile(const std::wstring& path) {
    std::wstring tail = path.substr(path.size() > 4 ? path.size() - 4 : 0);
    ::CharUpperBuffW(&tail[0], static_cast<DWORD>(tail.size()));
    return tail == L".KST";
}

}  // namespace

DROPEFFECT CBlowfishView::OnDragOver(COleDataObject* pDataObject, DWORD, POINT) {
    // Dragged text is refused even when the same drag also carries files.
    if (pDataObject->IsDataAvailable(CF_TEXT)) return DROPEFFECT_NONE;
    if (pDataObject->IsDataAvailable(CF_HDROP)) return DROPEFFECT_COPY;
    return DROPEFFECT_NONE;
}

// Everything a drop leads to, a refusal's message too, comes after the drop has returned:
// the program the file was dragged from waits in its drag loop until then.
BOOL CBlowfishView::OnDrop(COleDataObject* pDataObject, DROPEFFECT, POINT) {
    const auto refuse = [this](const char* pszText, UINT nType) {
        PostMessage(WM_DROP_REFUSED, reinterpret_cast<WPARAM>(pszText), static_cast<LPARAM>(nType));
        return FALSE;
    };
    // Before anything is read: a running job's or a waiting flow's fields stay as they are,
    // and so does a drop whose flow has not started yet.
    if (IsBusy() || !m_strDroppedPath.empty()) return refuse(kBusyMessage, MB_OK);
    if (!pDataObject->IsDataAvailable(CF_HDROP)) return refuse(kNoFilesMessage, MB_OK);
    DroppedFiles files;
    {
        CStorageMedium medium;
        FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        if (!pDataObject->GetData(CF_HDROP, medium.Receive(), &format) || medium.GetGlobal() == nullptr)
            return refuse(kNoFilesMessage, MB_OK);
        files = ReadDroppedFiles(static_cast<HDROP>(medium.GetGlobal()));
    }  // the medium goes back before any message or flow
    if (files.count > 1) return refuse(kOneFileMessage, MB_ICONINFORMATION);
    // An empty list (or an empty name) names nothing to work on.
    if (files.path.empty()) return FALSE;

    m_strDroppedPath = files.path;
    PostMessage(WM_DROP_FLOW, 0, 0);
    return TRUE;
}

LRESULT CBlowfishView::OnDropFlow(WPARAM, LPARAM) {
    const std::wstring path = m_strDroppedPath;
    m_strDroppedPath.clear();
    if (path.empty() || RefuseWhileBusy()) return 0;
    m_strSource = path;
    if (NamesLockedFile(path))
        ReadLockedHeader();
    else
        EncryptDroppedFile();
    return 0;
}

LRESULT CBlowfishView::OnDropRefused(WPARAM wParam, LPARAM lParam) {
    AfxMessageBox(reinterpret_cast<const char*>(wParam), static_cast<UINT>(lParam));
    return 0;
}
