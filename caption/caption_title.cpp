// The frame's window text and the document title both texts carry.
#include <vector>

#include "caption_painter.h"
#include "caption_text.h"
#include "document.h"
#include "frame_wnd.h"
#include "thread.h"

namespace {

CString WindowTextOf(CWnd* pWnd) {
    const int nLength = pWnd->GetWindowTextLength();
    std::vector<char> buffer(static_cast<size_t>(nLength) + 1, '\0');
    pWnd->GetWindowText(buffer.data(), nLength + 1);
    return CString(buffer.data());
}

}  // namespace

CString CCaptionPainter::GetDocumentTitle() {
    // One scratch string for the whole process, used on the user-interface thread only.
    static CString s_strDocTitle;
    s_strDocTitle.Empty();

    CWinThread* pThread = AfxGetThread();
    CWnd* pMainWnd = pThread != nullptr ? pThread->GetMainWnd() : nullptr;
    if (pMainWnd == nullptr || !pMainWnd->IsKindOf(RUNTIME_CLASS(CFrameWnd))) return s_strDocTitle;
    CFrameWnd* pMainFrame = static_cast<CFrameWnd*>(pMainWnd);
    CFrameWnd* pActiveFrame = pMainFrame->GetActiveFrame();
    if (pActiveFrame == nullptr || pActiveFrame == pMainFrame) return s_strDocTitle;

    s_strDocTitle = WindowTextOf(pActiveFrame);
    if (!s_strDocTitle.IsEmpty() && m_bMarkModified) {
        CDocument* pDoc = pActiveFrame->GetActiveDocument();
        const bool bMarked = s_strDocTitle.GetAt(s_strDocTitle.GetLength() - 1) == '*';
        if (pDoc != nullptr && pDoc->IsModified() && !bMarked) s_strDocTitle += '*';
    }
    return s_strDocTitle;
}

void CCaptionPainter::UpdateFrameTitle(HWND hWnd, CString strTitle) {
    AfxSetWindowText(hWnd, ComposeWindowText(strTitle, GetDocumentTitle()));
}
