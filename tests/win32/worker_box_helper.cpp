// Does what a failed job does and then ends: a framework worker thread shows a message box
// (answered by the test driver) and finishes, the user-interface thread has used the
// framework too, and main returns. The process must then end; the test waits for it.
#include <windows.h>

#include "dialog_driver.h"
#include "message_box.h"
#include "thread.h"
#include "thread_state.h"
#include "wnd.h"

namespace {
UINT ShowBox(LPVOID) {
    // A stand-in object for a foreign window, as the framework hands out while boxes are up.
    CWnd::FromHandle(::GetDesktopWindow());
    AfxMessageBox("Error writing the encrypted file.");
    return 0;
}
}  // namespace

int main() {
    AfxSetAppName("Kestrine");
    CWnd::FromHandle(::GetDesktopWindow());
    kst_test::DialogDriver driver;
    driver.Expect(kst_test::DialogAnswer::Press(IDOK));
    CWinThread* thread = AfxBeginThread(ShowBox, nullptr, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    if (thread == nullptr) return 1;
    thread->m_bAutoDelete = FALSE;
    thread->ResumeThread();
    const bool ended = ::WaitForSingleObject(thread->m_hThread, 60000) == WAIT_OBJECT_0;
    delete thread;
    if (!ended) return 2;
    return driver.Shown().size() == 1 ? 0 : 3;
}
