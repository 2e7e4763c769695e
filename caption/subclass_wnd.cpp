#include "subclass_wnd.h"

#include "thread_state.h"
#include "wnd.h"
#include "wnd_hook_map.h"

IMPLEMENT_DYNAMIC(CSubclassWnd, CObject)

CSubclassWnd::CSubclassWnd()
    : CObject(), m_pWnd(nullptr), m_hWndHooked(nullptr), m_pfnPrevProc(nullptr), m_pNextHook(nullptr) {}

CSubclassWnd::~CSubclassWnd() {
    if (m_pWnd != nullptr) SetHook(nullptr);
}

BOOL CSubclassWnd::SetHook(CWnd* pWnd) {
    if (pWnd != nullptr) {
        // Attaching twice would link the object into a chain it is already in.
        if (m_pWnd != nullptr || pWnd->GetSafeHwnd() == nullptr) return FALSE;
        m_hWndHooked = pWnd->GetSafeHwnd();
        GetHookMap()->AddHook(m_hWndHooked, this);
        m_pWnd = pWnd;
        return TRUE;
    }
    if (m_pWnd == nullptr) return FALSE;
    GetHookMap()->RemoveHook(this);
    m_pWnd = nullptr;
    m_hWndHooked = nullptr;
    m_pfnPrevProc = nullptr;
    return TRUE;
}

LRESULT CSubclassWnd::WindowProc(UINT nMsg, WPARAM wParam, LPARAM lParam) {
    if (m_pNextHook != nullptr) return m_pNextHook->WindowProc(nMsg, wParam, lParam);
    if (m_pWnd == nullptr || m_pfnPrevProc == nullptr) return 0;
    return ::CallWindowProcA(m_pfnPrevProc, m_hWndHooked, nMsg, wParam, lParam);
}

LRESULT CSubclassWnd::Default() {
    const MSG msg = AfxGetThreadState()->m_lastSentMsg;
    return CSubclassWnd::WindowProc(msg.message, msg.wParam, msg.lParam);
}

LRESULT CALLBACK HookedWndProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam) {
    CWndHookMap* pMap = GetHookMap();
    CSubclassWnd* pHead = pMap->FindHook(hWnd);
    // Only someone who replaced a hooked window's procedure behind the map's back can get
    // here without an entry; there is no chain to follow, so the system gets the message.
    if (pHead == nullptr) return ::DefWindowProcA(hWnd, nMsg, wParam, lParam);
    try {
        CCurrentMessageScope scope(hWnd, nMsg, wParam, lParam);
        if (nMsg == WM_NCDESTROY) {
            // The hooks leave before the window's own procedure sees its end, so that
            // procedure finds itself installed again and may unbind its object.
            const WNDPROC pfnPrev = pHead->m_pfnPrevProc;
            pMap->RemoveAllHooks(hWnd);
            return ::CallWindowProcA(pfnPrev, hWnd, nMsg, wParam, lParam);
        }
        return pHead->WindowProc(nMsg, wParam, lParam);
    } catch (...) {
        AfxUnexpectedException();
    }
}
