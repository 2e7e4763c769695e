#include "document.h"

#include <algorithm>

#include "doc_template.h"
#include "frame_wnd.h"
#include "view.h"
#include "wide_text.h"

IMPLEMENT_DYNAMIC(CDocument, CCmdTarget)

BEGIN_MESSAGE_MAP(CDocument, CCmdTarget)
END_MESSAGE_MAP()

CDocument::CDocument() : m_pDocTemplate(nullptr), m_strTitle(), m_strPathName(), m_bModified(FALSE), m_viewList() {}

CDocument::~CDocument() {
    for (CView* pView : m_viewList) pView->m_pDocument = nullptr;
    if (m_pDocTemplate != nullptr) m_pDocTemplate->RemoveDocument(this);
}

BOOL CDocument::OnNewDocument() {
    DeleteContents();
    m_strPathName.clear();
    SetModifiedFlag(FALSE);
    return TRUE;
}

BOOL CDocument::OnOpenDocument(const wchar_t*) {
    DeleteContents();
    SetModifiedFlag(FALSE);
    return TRUE;
}

void CDocument::OnCloseDocument() {
    // The views' frames go first; each destroys its views with it.
    std::vector<HWND> frames;
    for (CView* pView : m_viewList) {
        HWND hFrame = ::GetParent(pView->GetSafeHwnd());
        if (hFrame != nullptr && std::find(frames.begin(), frames.end(), hFrame) == frames.end())
            frames.push_back(hFrame);
    }
    for (HWND hFrame : frames) ::DestroyWindow(hFrame);
    DeleteContents();
    delete this;
}

void CDocument::DeleteContents() {}

BOOL CDocument::SaveModified() { return TRUE; }

void CDocument::SetTitle(LPCSTR lpszTitle) {
    m_strTitle = lpszTitle;
    // The frames that show the document carry its title.
    for (CView* pView : m_viewList) {
        if (CFrameWnd* pFrame = CFrameWnd::GetParentFrameOf(pView)) pFrame->DelayUpdateFrameTitle();
    }
}

void CDocument::SetPathName(const wchar_t* lpszPathName) {
    m_strPathName = lpszPathName;
    const size_t nSlash = m_strPathName.find_last_of(L"\\/");
    SetTitle(AfxNarrowForDisplay(m_strPathName.substr(nSlash == std::wstring::npos ? 0 : nSlash + 1)));
}

void CDocument::AddView(CView* pView) {
    if (std::find(m_viewList.begin(), m_viewList.end(), pView) == m_viewList.end()) m_viewList.push_back(pView);
    pView->m_pDocument = this;
}

void CDocument::RemoveView(CView* pView) {
    m_viewList.erase(std::remove(m_viewList.begin(), m_viewList.end(), pView), m_viewList.end());
    if (pView->m_pDocument == this) pView->m_pDocument = nullptr;
}
