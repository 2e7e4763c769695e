#include "message_box.h"

#include <atomic>
#include <cstring>
#include <mutex>

#include "afxres.h"
#include "modal_loop.h"
#include "wide_text.h"
#include "win_app.h"
#include "wnd.h"

namespace {
// Process-wide like the application object whose name it is.
std::atomic<const char*> g_pszAppName{nullptr};

// Without a name from the application object: the module's title string, else the base
// name of the executable, as a program with no name of its own would show.
const char* ModuleAppName() {
    static char name[MAX_PATH] = {};
    static std::once_flag once;
    std::call_once(once, [] {
        HINSTANCE hInstance = ::GetModuleHandleA(nullptr);
        if (::LoadStringA(hInstance, AFX_IDS_APP_TITLE, name, sizeof name) > 0) return;
        char path[MAX_PATH] = {};
        ::GetModuleFileNameA(hInstance, path, sizeof path);
        const char* base = std::strrchr(path, '\\');
        base = base != nullptr ? base + 1 : path;
        std::memmove(name, base, std::strlen(base) + 1);  // base lies inside path, shorter than name
        if (char* dot = std::strrchr(name, '.')) *dot = '\0';
    });
    return name;
}
}  // namespace

const char* AfxGetAppName() {
    const char* pszName = g_pszAppName.load();
    return pszName != nullptr ? pszName : ModuleAppName();
}

void AfxSetAppName(const char* pszAppName) { g_pszAppName.store(pszAppName); }

namespace {
// A worker thread has no active window: its box belongs to the application's main window,
// so that it stays above the window (and disables it) instead of hiding behind it.
HWND MessageBoxOwner() {
    if (HWND hActive = ::GetActiveWindow()) return hActive;
    CWinApp* pApp = AfxGetApp();
    return pApp != nullptr && pApp->m_pMainWnd != nullptr ? pApp->m_pMainWnd->GetSafeHwnd() : nullptr;
}
}  // namespace

int AfxMessageBox(const char* pszText, UINT nType, UINT /*nIDHelp*/) {
    CModalLoopScope modalLoop;
    return ::MessageBoxA(MessageBoxOwner(), pszText, AfxGetAppName(), nType);
}

int AfxMessageBox(const std::wstring& strText, UINT nType) {
    CModalLoopScope modalLoop;
    return ::MessageBoxW(MessageBoxOwner(), strText.c_str(), AfxWiden(AfxGetAppName()).c_str(), nType);
}
