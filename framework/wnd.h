// CWnd: a C++ object bound to one window. Every framework window runs the one window
// procedure AfxWndProc, which finds the object, dispatches through its message map and
// falls back to the window's default processing.
#pragma once

#include <windows.h>

#include "cmd_target.h"
#include "handle.h"

class CDataExchange;
class CWnd;

LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam);

// A C++ exception must never unwind through the platform's frames: every window procedure
// that dispatches into handlers catches everything and ends the program here.
[[noreturn]] void AfxUnexpectedException();

// Sets a window's text only when it differs, so an unchanged title costs no WM_SETTEXT
// (and no repaint of a caption).
void AfxSetWindowText(HWND hWnd, LPCSTR lpszNew);

// CWnd::m_nFlags: the frame keeps drawing itself active while it loses the activation
// (for example to a tool window of its own).
constexpr UINT WF_STAYACTIVE = 0x0020;

// The dialog procedure of framework dialogs and form views: the window procedure does the
// work; this one only answers WM_INITDIALOG.
INT_PTR CALLBACK AfxDlgProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam);

// Binds the next window created on this thread to `pWnd` (used where the platform creates
// the window, as for dialogs) for as long as the object lives: the hook goes with it
// however the scope that made it ends.
class CWindowCreationHook {
public:
    explicit CWindowCreationHook(CWnd* pWnd);
    ~CWindowCreationHook();
    CWindowCreationHook(const CWindowCreationHook&) = delete;
    CWindowCreationHook& operator=(const CWindowCreationHook&) = delete;

private:
    CHookHandle m_hook;
};

// The creation hook's binding of a new window (internal).
void AfxHookBindNewWindow(HWND hWnd);

// Registers (once per process) a window class that runs AfxWndProc and returns its name.
LPCSTR AfxRegisterWndClass(UINT nClassStyle, HCURSOR hCursor = nullptr, HBRUSH hbrBackground = nullptr,
                           HICON hIcon = nullptr);

class CWnd : public CCmdTarget {
    DECLARE_DYNAMIC(CWnd)
public:
    CWnd();
    ~CWnd() override;

    HWND m_hWnd;
    // Framework state of the window (WF_ flags).
    UINT m_nFlags;

    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return GetSafeHwnd(); }

    // The object bound to `hWnd`, or a stand-in owned by this thread for a window the
    // framework does not know (forgotten by AfxDeleteTempMap).
    static CWnd* FromHandle(HWND hWnd);
    // The object bound to `hWnd`, or null.
    static CWnd* FromHandlePermanent(HWND hWnd);

    // Creation. lpszClassName null means the framework's default class.
    virtual BOOL CreateEx(DWORD dwExStyle, LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle,
                          int x, int y, int nWidth, int nHeight, HWND hWndParent, HMENU nIDorHMenu,
                          LPVOID lpParam = nullptr);
    virtual BOOL Create(LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                        CWnd* pParentWnd, UINT nID);
    virtual BOOL PreCreateWindow(CREATESTRUCT& cs);
    BOOL DestroyWindow();

    // Binding an existing window: Attach only records it; SubclassWindow also routes its
    // messages through the message map.
    BOOL Attach(HWND hWndNew);
    HWND Detach();
    BOOL SubclassWindow(HWND hWnd);
    BOOL SubclassDlgItem(UINT nID, CWnd* pParent);
    HWND UnsubclassWindow();

    // Thin wrappers.
    CWnd* GetDlgItem(int nID) const;
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
    CWnd* GetParent() const { return FromHandle(::GetParent(m_hWnd)); }
    void SetWindowText(LPCSTR lpszString) { ::SetWindowTextA(m_hWnd, lpszString); }
    DWORD GetStyle() const { return static_cast<DWORD>(::GetWindowLongA(m_hWnd, GWL_STYLE)); }
    DWORD GetExStyle() const { return static_cast<DWORD>(::GetWindowLongA(m_hWnd, GWL_EXSTYLE)); }
    BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
    BOOL IsZoomed() const { return ::IsZoomed(m_hWnd); }
    int GetWindowTextLength() const { return ::GetWindowTextLengthA(m_hWnd); }
    int GetWindowText(LPSTR lpszStringBuf, int nMaxCount) const {
        return ::GetWindowTextA(m_hWnd, lpszStringBuf, nMaxCount);
    }
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::SendMessageA(m_hWnd, message, wParam, lParam);
    }
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::PostMessageA(m_hWnd, message, wParam, lParam);
    }
    void UpdateWindow() const { ::UpdateWindow(m_hWnd); }
    void Invalidate(BOOL bErase = TRUE) const { ::InvalidateRect(m_hWnd, nullptr, bErase); }
    BOOL ShowWindow(int nCmdShow) const { return ::ShowWindow(m_hWnd, nCmdShow); }
    BOOL EnableWindow(BOOL bEnable = TRUE) const { return ::EnableWindow(m_hWnd, bEnable); }
    BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    void MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint = TRUE) const {
        ::MoveWindow(m_hWnd, x, y, nWidth, nHeight, bRepaint);
    }
    void GetClientRect(LPRECT lpRect) const { ::GetClientRect(m_hWnd, lpRect); }
    void GetWindowRect(LPRECT lpRect) const { ::GetWindowRect(m_hWnd, lpRect); }
    CWnd* SetFocus() const { return FromHandle(::SetFocus(m_hWnd)); }
    void DragAcceptFiles(BOOL bAccept = TRUE) const { ::DragAcceptFiles(m_hWnd, bAccept); }
    void ScreenToClient(LPPOINT lpPoint) const { ::ScreenToClient(m_hWnd, lpPoint); }
    void ScreenToClient(LPRECT lpRect) const {
        ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<LPPOINT>(lpRect), 2);
    }
    void InvalidateRect(const RECT* lpRect, BOOL bErase = TRUE) const { ::InvalidateRect(m_hWnd, lpRect, bErase); }

    // The top-level window this one lives in (itself when it is top-level).
    CWnd* GetTopLevelParent() const;
    // TRUE when the top-level parent, or the popup it last activated (a modal dialog, say),
    // is the foreground window: the application is the one the user works in.
    BOOL IsTopParentActive() const;

    // Data exchange between the window's controls and the object's fields: bSaveAndValidate
    // TRUE reads the controls, FALSE fills them. FALSE when a validation refused the data.
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

    // Default processing of the message being dispatched on this thread.
    LRESULT Default();

    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // WM_COMMAND: TRUE when the command was handled (then the window procedure answers 0).
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    // Called after the window is gone (WM_NCDESTROY); objects that own themselves delete here.
    virtual void PostNcDestroy();

    // Default handlers for the map entries of the same names.
    int OnCreate(LPCREATESTRUCT lpCreateStruct);
    void OnClose();
    void OnDestroy();
    void OnDropFiles(HDROP hDropInfo);
    void OnSize(UINT nType, int cx, int cy);

protected:
    virtual void DoDataExchange(CDataExchange* pDX);
    // WM_INITDIALOG of a window made from a dialog template; the result goes back to the
    // dialog manager (TRUE: focus the first control).
    virtual BOOL HandleInitDialog();

    // Binds this object to `hWnd` (window property); `pfnSuper` is the procedure that
    // handles what the map does not.
    void Bind(HWND hWnd, WNDPROC pfnSuper);
    void Unbind();

    WNDPROC m_pfnSuper;
    // The window takes UTF-16 messages (a control of a Unicode dialog), and is routed and
    // passed on as such.
    bool m_bUnicode;

    friend LRESULT CALLBACK AfxWndProc(HWND, UINT, WPARAM, LPARAM);
    friend void AfxHookBindNewWindow(HWND hWnd);
    friend INT_PTR CALLBACK AfxDlgProc(HWND, UINT, WPARAM, LPARAM);

    DECLARE_MESSAGE_MAP()
};
