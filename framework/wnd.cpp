#include "wnd.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "data_exchange.h"
#include "message_box.h"
#include "thread_state.h"

namespace {

// The window property that holds the bound object; a property works from any thread.
constexpr char kObjectProperty[] = "Afx.CWnd";
constexpr char kDefaultClassPrefix[] = "AfxWnd";

HINSTANCE ModuleInstance() { return ::GetModuleHandleA(nullptr); }

LRESULT CALLBACK CbtFilterHook(int nCode, WPARAM wParam, LPARAM lParam) {
    AFX_THREAD_STATE* state = AfxGetThreadState();
    if (nCode == HCBT_CREATEWND && state->m_pWndInit != nullptr) {
        AfxHookBindNewWindow(reinterpret_cast<HWND>(wParam));
    }
    // The platform finds the next hook itself; the handle argument is ignored.
    return ::CallNextHookEx(nullptr, nCode, wParam, lParam);
}

// Routes a window's messages to `proc`, in the character set the window has: a Unicode
// window (a control of a Unicode dialog) subclassed through the narrow function would get
// narrow messages from then on, and typed text its code page lacks would be lost.
WNDPROC ReplaceWindowProc(HWND hWnd, WNDPROC proc) {
    const auto value = reinterpret_cast<LONG_PTR>(proc);
    return reinterpret_cast<WNDPROC>(::IsWindowUnicode(hWnd) ? ::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, value)
                                                             : ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, value));
}

}  // namespace

void AfxUnexpectedException() {
    std::string text = AfxGetAppName();
    text += " met an unexpected error and has to close.";
    ::FatalAppExitA(0, text.c_str());
    std::abort();
}

void AfxSetWindowText(HWND hWnd, LPCSTR lpszNew) {
    const int nNew = lstrlenA(lpszNew);
    const int nOld = ::GetWindowTextLengthA(hWnd);
    if (nOld == nNew) {
        std::string old(static_cast<size_t>(nOld) + 1, '\0');
        ::GetWindowTextA(hWnd, &old[0], nOld + 1);
        if (std::strcmp(old.c_str(), lpszNew) == 0) return;
    }
    ::SetWindowTextA(hWnd, lpszNew);
}

// Binds the pending object of the creation hook to the window just being created. Only the
// first window is bound: a dialog's controls are created after the dialog itself.
void AfxHookBindNewWindow(HWND hWnd) {
    AFX_THREAD_STATE* state = AfxGetThreadState();
    CWnd* pWnd = state->m_pWndInit;
    state->m_pWndInit = nullptr;
    if (CWnd::FromHandlePermanent(hWnd) != nullptr) return;
    const WNDPROC oldProc = ReplaceWindowProc(hWnd, &AfxWndProc);
    pWnd->Bind(hWnd, oldProc == &AfxWndProc ? nullptr : oldProc);
}

// Each hook binds at most one window; a hook of an enclosing creation (a dialog made while
// another is created) sees the pending object already taken and passes on.
CWindowCreationHook::CWindowCreationHook(CWnd* pWnd)
    : m_hook(::SetWindowsHookExA(WH_CBT, &CbtFilterHook, nullptr, ::GetCurrentThreadId())) {
    AfxGetThreadState()->m_pWndInit = pWnd;
}

CWindowCreationHook::~CWindowCreationHook() { AfxGetThreadState()->m_pWndInit = nullptr; }

LPCSTR AfxRegisterWndClass(UINT nClassStyle, HCURSOR hCursor, HBRUSH hbrBackground, HICON hIcon) {
    // The class name encodes its parameters, so equal requests share one class.
    thread_local char name[96];
    wsprintfA(name, "%s:%x:%p:%p:%p", kDefaultClassPrefix, nClassStyle, static_cast<void*>(hCursor),
              static_cast<void*>(hbrBackground), static_cast<void*>(hIcon));
    WNDCLASSA existing{};
    if (!::GetClassInfoA(ModuleInstance(), name, &existing)) {
        WNDCLASSA wc{};
        wc.style = nClassStyle;
        wc.lpfnWndProc = &AfxWndProc;
        wc.hInstance = ModuleInstance();
        wc.hCursor = hCursor;
        wc.hbrBackground = hbrBackground;
        wc.hIcon = hIcon;
        wc.lpszClassName = name;
        if (!::RegisterClassA(&wc)) return nullptr;
    }
    return name;
}

LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam) {
    CWnd* pWnd = CWnd::FromHandlePermanent(hWnd);
    if (pWnd == nullptr && nMsg == WM_NCCREATE) {
        // A window of a framework class: the object comes in the creation parameters.
        auto* cs = reinterpret_cast<CREATESTRUCTA*>(lParam);
        pWnd = static_cast<CWnd*>(cs->lpCreateParams);
        if (pWnd != nullptr) pWnd->Bind(hWnd, nullptr);
    }
    if (pWnd == nullptr) return ::DefWindowProcA(hWnd, nMsg, wParam, lParam);

    LRESULT result = 0;
    try {
        CCurrentMessageScope scope(hWnd, nMsg, wParam, lParam);
        result = pWnd->WindowProc(nMsg, wParam, lParam);
    } catch (...) {
        AfxUnexpectedException();
    }
    if (nMsg == WM_NCDESTROY && CWnd::FromHandlePermanent(hWnd) == pWnd) {
        pWnd->Unbind();
        pWnd->PostNcDestroy();
    }
    return result;
}

INT_PTR CALLBACK AfxDlgProc(HWND hWnd, UINT nMsg, WPARAM, LPARAM) {
    if (nMsg != WM_INITDIALOG) return FALSE;
    try {
        CWnd* pWnd = CWnd::FromHandlePermanent(hWnd);
        return pWnd != nullptr ? pWnd->HandleInitDialog() : TRUE;
    } catch (...) {
        AfxUnexpectedException();
    }
}

IMPLEMENT_DYNAMIC(CWnd, CCmdTarget)

BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
END_MESSAGE_MAP()

CWnd::CWnd() : m_hWnd(nullptr), m_nFlags(0), m_pfnSuper(nullptr), m_bUnicode(false) {}

CWnd::~CWnd() {
    if (m_hWnd != nullptr && FromHandlePermanent(m_hWnd) == this) {
        // The object goes first: its window must not outlive it and reach a dead object.
        HWND hWnd = m_hWnd;
        if (::GetWindowThreadProcessId(hWnd, nullptr) == ::GetCurrentThreadId()) {
            ::DestroyWindow(hWnd);
        }
        if (m_hWnd != nullptr) Unbind();
    }
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd) {
    if (hWnd == nullptr) return nullptr;
    return static_cast<CWnd*>(::GetPropA(hWnd, kObjectProperty));
}

CWnd* CWnd::FromHandle(HWND hWnd) {
    if (hWnd == nullptr) return nullptr;
    if (CWnd* pWnd = FromHandlePermanent(hWnd)) return pWnd;
    auto& temps = AfxGetThreadState()->m_tempWindows;
    auto& slot = temps[hWnd];
    if (!slot) {
        slot = std::make_unique<CWnd>();
        slot->m_hWnd = hWnd;
    }
    return slot.get();
}

void CWnd::Bind(HWND hWnd, WNDPROC pfnSuper) {
    m_hWnd = hWnd;
    m_pfnSuper = pfnSuper;
    m_bUnicode = ::IsWindowUnicode(hWnd) != FALSE;
    ::SetPropA(hWnd, kObjectProperty, this);
}

void CWnd::Unbind() {
    if (m_hWnd == nullptr) return;
    ::RemovePropA(m_hWnd, kObjectProperty);
    // Read in the character set it was set in: the other one may answer a stand-in.
    const LONG_PTR current =
        m_bUnicode ? ::GetWindowLongPtrW(m_hWnd, GWLP_WNDPROC) : ::GetWindowLongPtrA(m_hWnd, GWLP_WNDPROC);
    if (m_pfnSuper != nullptr && reinterpret_cast<WNDPROC>(current) == &AfxWndProc)
        ReplaceWindowProc(m_hWnd, m_pfnSuper);
    m_pfnSuper = nullptr;
    m_bUnicode = false;
    m_hWnd = nullptr;
}

BOOL CWnd::PreCreateWindow(CREATESTRUCT&) { return TRUE; }

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle, int x, int y,
                    int nWidth, int nHeight, HWND hWndParent, HMENU nIDorHMenu, LPVOID lpParam) {
    CREATESTRUCTA cs{};
    cs.dwExStyle = dwExStyle;
    cs.lpszClass = lpszClassName;
    cs.lpszName = lpszWindowName;
    cs.style = static_cast<LONG>(dwStyle);
    cs.x = x;
    cs.y = y;
    cs.cx = nWidth;
    cs.cy = nHeight;
    cs.hwndParent = hWndParent;
    cs.hMenu = nIDorHMenu;
    cs.hInstance = ModuleInstance();
    cs.lpCreateParams = lpParam;
    if (!PreCreateWindow(cs)) return FALSE;
    if (cs.lpszClass == nullptr) cs.lpszClass = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursor(nullptr, IDC_ARROW),
                                                                    reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));

    WNDCLASSA wc{};
    const bool frameworkClass = ::GetClassInfoA(cs.hInstance, cs.lpszClass, &wc) && wc.lpfnWndProc == &AfxWndProc;
    HWND hWnd = nullptr;
    if (frameworkClass && lpParam == nullptr) {
        // Bound at WM_NCCREATE from the creation parameters.
        hWnd = ::CreateWindowExA(cs.dwExStyle, cs.lpszClass, cs.lpszName, static_cast<DWORD>(cs.style), cs.x, cs.y,
                                 cs.cx, cs.cy, cs.hwndParent, cs.hMenu, cs.hInstance, this);
    } else {
        // A platform class (or one that wants its own parameter): bound by the creation hook.
        CWindowCreationHook hook(this);
        hWnd = ::CreateWindowExA(cs.dwExStyle, cs.lpszClass, cs.lpszName, static_cast<DWORD>(cs.style), cs.x, cs.y,
                                 cs.cx, cs.cy, cs.hwndParent, cs.hMenu, cs.hInstance, cs.lpCreateParams);
    }
    if (hWnd == nullptr) {
        if (m_hWnd != nullptr) Unbind();
        return FALSE;
    }
    return TRUE;
}

BOOL CWnd::Create(LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd,
                  UINT nID) {
    return CreateEx(0, lpszClassName, lpszWindowName, dwStyle | WS_CHILD, rect.left, rect.top,
                    rect.right - rect.left, rect.bottom - rect.top, pParentWnd ? pParentWnd->m_hWnd : nullptr,
                    reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID)));
}

BOOL CWnd::DestroyWindow() {
    if (m_hWnd == nullptr) return FALSE;
    return ::DestroyWindow(m_hWnd);
}

BOOL CWnd::Attach(HWND hWndNew) {
    if (hWndNew == nullptr || m_hWnd != nullptr || FromHandlePermanent(hWndNew) != nullptr) return FALSE;
    Bind(hWndNew, nullptr);
    return TRUE;
}

HWND CWnd::Detach() {
    HWND hWnd = m_hWnd;
    if (hWnd != nullptr) ::RemovePropA(hWnd, kObjectProperty);
    m_hWnd = nullptr;
    m_pfnSuper = nullptr;
    return hWnd;
}

BOOL CWnd::SubclassWindow(HWND hWnd) {
    if (hWnd == nullptr || m_hWnd != nullptr || FromHandlePermanent(hWnd) != nullptr) return FALSE;
    const WNDPROC oldProc = ReplaceWindowProc(hWnd, &AfxWndProc);
    if (oldProc == nullptr) return FALSE;
    Bind(hWnd, oldProc == &AfxWndProc ? nullptr : oldProc);
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT nID, CWnd* pParent) {
    if (pParent == nullptr) return FALSE;
    return SubclassWindow(::GetDlgItem(pParent->m_hWnd, static_cast<int>(nID)));
}

HWND CWnd::UnsubclassWindow() {
    HWND hWnd = m_hWnd;
    Unbind();
    return hWnd;
}

CWnd* CWnd::GetTopLevelParent() const {
    if (m_hWnd == nullptr) return nullptr;
    return FromHandle(::GetAncestor(m_hWnd, GA_ROOT));
}

BOOL CWnd::IsTopParentActive() const {
    CWnd* pTop = GetTopLevelParent();
    if (pTop == nullptr) return FALSE;
    return ::GetForegroundWindow() == ::GetLastActivePopup(pTop->GetSafeHwnd()) ? TRUE : FALSE;
}

CWnd* CWnd::GetDlgItem(int nID) const { return FromHandle(::GetDlgItem(m_hWnd, nID)); }

BOOL CWnd::UpdateData(BOOL bSaveAndValidate) {
    CDataExchange dx(this, bSaveAndValidate);
    try {
        DoDataExchange(&dx);
    } catch (const CDataExchange::Failure&) {
        return FALSE;
    }
    return TRUE;
}

void CWnd::DoDataExchange(CDataExchange*) {}

BOOL CWnd::HandleInitDialog() { return TRUE; }

LRESULT CWnd::Default() {
    const MSG& msg = AfxGetThreadState()->m_lastSentMsg;
    return DefWindowProc(msg.message, msg.wParam, msg.lParam);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_pfnSuper != nullptr)
        return m_bUnicode ? ::CallWindowProcW(m_pfnSuper, m_hWnd, message, wParam, lParam)
                          : ::CallWindowProcA(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND) {
        if (OnCommand(wParam, lParam)) return 0;
        return DefWindowProc(message, wParam, lParam);
    }
    if (const AFX_MSGMAP_ENTRY* entry = FindMessageEntry(message)) {
        AFX_DISPATCH dispatch{wParam, lParam, nullptr, 0};
        entry->pfn(this, dispatch);
        return dispatch.lResult;
    }
    return DefWindowProc(message, wParam, lParam);
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM) {
    const UINT nID = LOWORD(wParam);
    const int nCode = HIWORD(wParam);
    return OnCmdMsg(nID, nCode, nullptr, nullptr);
}

void CWnd::PostNcDestroy() {}

int CWnd::OnCreate(LPCREATESTRUCT) { return static_cast<int>(Default()); }
void CWnd::OnClose() { Default(); }
void CWnd::OnDestroy() { Default(); }
void CWnd::OnDropFiles(HDROP) { Default(); }
void CWnd::OnSize(UINT, int, int) { Default(); }
