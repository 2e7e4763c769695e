#include "wnd_hook_map.h"

#include "subclass_wnd.h"
#include "wnd.h"

CWndHookMap* GetHookMap() {
    static CWndHookMap map(10);
    return &map;
}

CSubclassWnd* CWndHookMap::FindHook(HWND hWnd) const {
    void* pHead = nullptr;
    if (hWnd == nullptr || !Lookup(hWnd, pHead)) return nullptr;
    return static_cast<CSubclassWnd*>(pHead);
}

void CWndHookMap::AddHook(HWND hWnd, CSubclassWnd* pHook) {
    CSubclassWnd* pHead = FindHook(hWnd);
    pHook->m_pNextHook = pHead;
    (*this)[hWnd] = pHook;
    if (pHead != nullptr) {
        // Every hook of a chain ends at the same saved procedure.
        pHook->m_pfnPrevProc = pHead->m_pfnPrevProc;
    } else {
        pHook->m_pfnPrevProc = reinterpret_cast<WNDPROC>(
            ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&HookedWndProc)));
    }
}

void CWndHookMap::RemoveHook(CSubclassWnd* pHook) {
    const HWND hWnd = pHook->m_hWndHooked;
    CSubclassWnd* pHead = FindHook(hWnd);
    if (pHead == nullptr) return;
    if (pHook == pHead) {
        if (pHook->m_pNextHook != nullptr) {
            (*this)[hWnd] = pHook->m_pNextHook;
        } else {
            RemoveKey(hWnd);
            ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(pHook->m_pfnPrevProc));
        }
        return;
    }
    for (CSubclassWnd* p = pHead; p != nullptr; p = p->m_pNextHook) {
        if (p->m_pNextHook == pHook) {
            p->m_pNextHook = pHook->m_pNextHook;
            return;
        }
    }
}

void CWndHookMap::RemoveAllHooks(HWND hWnd) {
    while (CSubclassWnd* pHead = FindHook(hWnd)) pHead->SetHook(nullptr);
}
