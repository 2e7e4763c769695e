// The program's entry: runs the one application object's start-up and message loop.
#include <windows.h>

#include "process_hardening.h"
#include "thread_state.h"
#include "win_app.h"
#include "wnd.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int nCmdShow) {
    HardenProcess();
    CWinApp* pApp = AfxGetApp();
    if (pApp == nullptr) return -1;
    // No exception may leave the program's entry.
    int exitCode = -1;
    try {
        pApp->m_nCmdShow = nCmdShow;
        if (!pApp->InitApplication() || !pApp->InitInstance()) {
            // Whatever start-up left behind goes before the program ends.
            if (pApp->m_pMainWnd != nullptr) ::DestroyWindow(pApp->m_pMainWnd->GetSafeHwnd());
            exitCode = pApp->ExitInstance();
        } else {
            exitCode = pApp->Run();
        }
    } catch (...) {
        exitCode = -1;
    }
    AfxDeleteThreadState();
    return exitCode;
}
