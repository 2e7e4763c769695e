#include "doc_template.h"

#include "frame_wnd.h"
#include "thread.h"
#include "win_app.h"

IMPLEMENT_DYNAMIC(CDocTemplate, CCmdTarget)
IMPLEMENT_DYNAMIC(CSingleDocTemplate, CDocTemplate)

namespace {

CString LoadResourceString(UINT nID) {
    char buffer[1024] = {};
    const int n = ::LoadStringA(::GetModuleHandleA(nullptr), nID, buffer, sizeof buffer);
    return CString(buffer, n);
}

}  // namespace

CDocTemplate::CDocTemplate(UINT nIDResource, AFX_DOC_FACTORY pfnNewDoc, AFX_FRAME_FACTORY pfnNewFrame,
                           AFX_VIEW_FACTORY pfnNewView)
    : m_nIDResource(nIDResource), m_strDocStrings(LoadResourceString(nIDResource)), m_pfnNewDoc(pfnNewDoc),
      m_pfnNewFrame(pfnNewFrame), m_pfnNewView(pfnNewView) {}

BOOL CDocTemplate::GetDocString(CString& rString, DocStringIndex index) const {
    const char* p = m_strDocStrings;
    for (int i = 0; i < index; ++i) {
        p = ::strchr(p, '\n');
        if (p == nullptr) {
            rString.Empty();
            return FALSE;
        }
        ++p;
    }
    const char* end = ::strchr(p, '\n');
    rString = end != nullptr ? CString(p, static_cast<int>(end - p)) : CString(p);
    return TRUE;
}

CDocument* CDocTemplate::CreateNewDocument() {
    CDocument* pDoc = m_pfnNewDoc();
    if (pDoc != nullptr) pDoc->m_pDocTemplate = this;
    return pDoc;
}

CFrameWnd* CDocTemplate::CreateNewFrame(CDocument* pDoc) {
    CFrameWnd* pFrame = m_pfnNewFrame();
    if (pFrame == nullptr) return nullptr;
    CCreateContext context{pDoc, m_pfnNewView, this};
    if (!pFrame->LoadFrame(m_nIDResource, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE, nullptr, &context)) {
        // A frame whose window failed in its creation is not deleted by that window.
        delete pFrame;
        return nullptr;
    }
    return pFrame;
}

void CDocTemplate::InitialUpdateFrame(CFrameWnd* pFrame, CDocument* pDoc, BOOL bMakeVisible) {
    pFrame->InitialUpdateFrame(pDoc, bMakeVisible);
}

CSingleDocTemplate::~CSingleDocTemplate() {
    if (m_pOnlyDoc != nullptr) m_pOnlyDoc->m_pDocTemplate = nullptr;
}

void CSingleDocTemplate::RemoveDocument(CDocument* pDoc) {
    if (m_pOnlyDoc == pDoc) m_pOnlyDoc = nullptr;
}

CDocument* CSingleDocTemplate::OpenDocumentFile(const wchar_t* lpszPathName, BOOL bMakeVisible) {
    CDocument* pDoc = m_pOnlyDoc;
    CFrameWnd* pFrame = nullptr;
    bool bCreated = false;
    if (pDoc != nullptr) {
        if (!pDoc->SaveModified()) return nullptr;
        pFrame = pDoc->GetViews().empty() ? nullptr : CFrameWnd::GetParentFrameOf(pDoc->GetViews().front());
    } else {
        pDoc = CreateNewDocument();
        if (pDoc == nullptr) return nullptr;
        m_pOnlyDoc = pDoc;
        bCreated = true;
        pFrame = CreateNewFrame(pDoc);
        if (pFrame == nullptr) {
            delete pDoc;  // clears m_pOnlyDoc
            return nullptr;
        }
    }

    if (lpszPathName == nullptr) {
        CString strTitle;
        if (!GetDocString(strTitle, docName) || strTitle.IsEmpty()) strTitle = "Untitled";
        pDoc->SetTitle(strTitle);
        if (!pDoc->OnNewDocument()) {
            if (bCreated && pFrame != nullptr) pFrame->DestroyWindow();  // takes the view along
            if (bCreated) delete pDoc;
            return nullptr;
        }
    } else {
        if (!pDoc->OnOpenDocument(lpszPathName)) {
            if (bCreated && pFrame != nullptr) pFrame->DestroyWindow();
            if (bCreated) delete pDoc;
            return nullptr;
        }
        pDoc->SetPathName(lpszPathName);
    }

    CWinThread* pThread = AfxGetThread();
    if (bCreated && pThread != nullptr && pThread->m_pMainWnd == nullptr) {
        pThread->m_pMainWnd = pFrame;
        // Before the initial update: its dialogs may be up for long, and a second start of
        // the program meanwhile must find this window rather than come up beside it.
        if (CWinApp* pApp = AfxGetApp()) pApp->MarkMainWindowAsRunningInstance();
    }
    if (pFrame != nullptr) InitialUpdateFrame(pFrame, pDoc, bMakeVisible);
    return pDoc;
}
