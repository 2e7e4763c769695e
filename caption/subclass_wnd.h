// A hook object sees the messages of a window it does not own before the window's own
// procedure does. Hooks on one window form a chain, newest first; each passes on what it
// does not handle, and the oldest passes it to the procedure the window had before any
// hook came. The window's final destruction message detaches them all.
#pragma once

#include <windows.h>

#include "object.h"

class CWnd;
class CWndHookMap;

// The procedure installed into every hooked window.
LRESULT CALLBACK HookedWndProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam);

class CSubclassWnd : public CObject {
    DECLARE_DYNAMIC(CSubclassWnd)
public:
    CSubclassWnd();
    // The owner detaches first, or the window's WM_NCDESTROY has. An object that goes
    // while still attached detaches itself, so the window never calls into a dead object.
    ~CSubclassWnd() override;
    CSubclassWnd(const CSubclassWnd&) = delete;
    CSubclassWnd& operator=(const CSubclassWnd&) = delete;

    // With a window: attaches this object at the head of the window's chain. With null:
    // detaches it. FALSE (and nothing done) for an attach of an attached object, a detach
    // of one that is not attached, or a window object without a window.
    BOOL SetHook(CWnd* pWnd);
    BOOL IsHooked() const { return m_pWnd != nullptr; }
    CWnd* GetHookedWnd() const { return m_pWnd; }
    CSubclassWnd* GetNextHook() const { return m_pNextHook; }
    WNDPROC GetPrevProc() const { return m_pfnPrevProc; }

    // Handles one message; this version passes it on to the next hook (through its own
    // override) or to the saved procedure.
    virtual LRESULT WindowProc(UINT nMsg, WPARAM wParam, LPARAM lParam);

    // Passes on the message being dispatched, as this class's WindowProc would, with the
    // parameters of the thread's current-message record. A handler that needs a changed
    // parameter passed on writes it into the record around this call.
    LRESULT Default();

protected:
    CWnd* m_pWnd;
    // The window this hook was attached to. The window object may lose its handle while
    // the hook is attached; the chain and the map are still this window's.
    HWND m_hWndHooked;
    WNDPROC m_pfnPrevProc;
    CSubclassWnd* m_pNextHook;

    friend class CWndHookMap;
    friend LRESULT CALLBACK HookedWndProc(HWND, UINT, WPARAM, LPARAM);
};
