#include "message_pump.h"

namespace kst_test {

void PumpPending() {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    DWORD start = ::GetTickCount();
    for (;;) {
        PumpPending();
        if (done()) return true;
        if (::GetTickCount() - start >= timeoutMs) return false;
        // Wakes for posted and sent messages alike, or after a short while to look again.
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

}  // namespace kst_test
