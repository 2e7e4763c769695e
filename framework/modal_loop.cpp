#include "modal_loop.h"

#include <vector>

#include "thread_state.h"
#include "wnd.h"

namespace {

BOOL CALLBACK CollectAnswerableDialog(HWND hWnd, LPARAM lParam) {
    char className[16] = {};
    ::GetClassNameA(hWnd, className, sizeof className);
    if (::lstrcmpA(className, "#32770") == 0 && ::IsWindowVisible(hWnd) && ::IsWindowEnabled(hWnd))
        reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(hWnd);
    return TRUE;
}

bool ShowsButton(HWND hDialog, int nID) {
    HWND hButton = ::GetDlgItem(hDialog, nID);
    return hButton != nullptr && ::IsWindowVisible(hButton);
}

int BackOutAnswerOf(HWND hDialog) {
    // The program's own dialogs all take Cancel, with a button for it or without.
    if (CWnd::FromHandlePermanent(hDialog) != nullptr) return IDCANCEL;
    for (int nID : {IDCANCEL, IDNO, IDOK}) {
        if (ShowsButton(hDialog, nID)) return nID;
    }
    return IDCANCEL;
}

}  // namespace

CModalLoopScope::CModalLoopScope() { ++AfxGetThreadState()->m_nModalLoops; }

CModalLoopScope::~CModalLoopScope() { --AfxGetThreadState()->m_nModalLoops; }

BOOL AfxIsInModalLoop() { return AfxGetThreadState()->m_nModalLoops > 0; }

void AfxBackOutOfModalDialogs() {
    std::vector<HWND> dialogs;
    ::EnumThreadWindows(::GetCurrentThreadId(), CollectAnswerableDialog, reinterpret_cast<LPARAM>(&dialogs));
    for (HWND hDialog : dialogs) {
        const int nID = BackOutAnswerOf(hDialog);
        ::PostMessageA(hDialog, WM_COMMAND, MAKEWPARAM(nID, BN_CLICKED),
                       reinterpret_cast<LPARAM>(::GetDlgItem(hDialog, nID)));
    }
}
