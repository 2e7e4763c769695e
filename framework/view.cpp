#include "view.h"

#include "ole_drop_target.h"

IMPLEMENT_DYNAMIC(CView, CWnd)
IMPLEMENT_DYNAMIC(CFormView, CView)

BEGIN_MESSAGE_MAP(CView, CWnd)
    ON_WM_DESTROY()
END_MESSAGE_MAP()

// A view that goes before its window (and before its drop target) must not leave OLE a
// registration that reaches it.
CView::~CView() {
    if (m_pDropTarget != nullptr) m_pDropTarget->Revoke();
}

void CView::OnInitialUpdate() {}

DROPEFFECT CView::OnDragEnter(COleDataObject*, DWORD, POINT) { return DROPEFFECT_NONE; }
DROPEFFECT CView::OnDragOver(COleDataObject*, DWORD, POINT) { return DROPEFFECT_NONE; }
void CView::OnDragLeave() {}
BOOL CView::OnDrop(COleDataObject*, DROPEFFECT, POINT) { return FALSE; }

void CView::OnDestroy() {
    if (m_pDropTarget != nullptr) m_pDropTarget->Revoke();
    Default();
}

BOOL CFormView::Create(CWnd* pParentWnd, const RECT& rect, UINT nID) {
    CREATESTRUCTA cs{};
    cs.style = WS_CHILD | WS_VISIBLE;
    cs.x = rect.left;
    cs.y = rect.top;
    cs.cx = rect.right - rect.left;
    cs.cy = rect.bottom - rect.top;
    cs.hwndParent = pParentWnd != nullptr ? pParentWnd->GetSafeHwnd() : nullptr;
    cs.hMenu = reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID));
    cs.hInstance = ::GetModuleHandleA(nullptr);
    if (!PreCreateWindow(cs)) return FALSE;

    HWND hWnd = nullptr;
    {
        CWindowCreationHook hook(this);
        hWnd = ::CreateDialogParamA(cs.hInstance, MAKEINTRESOURCEA(m_nIDTemplate), cs.hwndParent, &AfxDlgProc, 0);
    }
    if (hWnd == nullptr) return FALSE;
    // The template's placement gives way to the frame's.
    ::SetWindowLongPtrA(hWnd, GWLP_ID, static_cast<LONG_PTR>(nID));
    ::SetWindowPos(hWnd, nullptr, cs.x, cs.y, cs.cx, cs.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    if (cs.style & WS_VISIBLE) ::ShowWindow(hWnd, SW_SHOWNA);
    return TRUE;
}

void CFormView::OnInitialUpdate() { UpdateData(FALSE); }
