#include "view.h"

IMPLEMENT_DYNAMIC(CView, CWnd)
IMPLEMENT_DYNAMIC(CFormView, CView)

void CView::OnInitialUpdate() {}

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

    AfxHookWindowCreate(this);
    HWND hWnd = ::CreateDialogParamA(cs.hInstance, MAKEINTRESOURCEA(m_nIDTemplate), cs.hwndParent, &AfxDlgProc, 0);
    AfxUnhookWindowCreate();
    if (hWnd == nullptr) return FALSE;
    // The template's placement gives way to the frame's.
    ::SetWindowLongPtrA(hWnd, GWLP_ID, static_cast<LONG_PTR>(nID));
    ::SetWindowPos(hWnd, nullptr, cs.x, cs.y, cs.cx, cs.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    if (cs.style & WS_VISIBLE) ::ShowWindow(hWnd, SW_SHOWNA);
    return TRUE;
}

void CFormView::OnInitialUpdate() { UpdateData(FALSE); }
