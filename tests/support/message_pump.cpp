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

void PutCursor(POINT pt) {
    ::SetCursorPos(pt.x, pt.y);
    PumpUntil([&] {
        POINT now{};
        ::GetCursorPos(&now);
        return now.x == pt.x && now.y == pt.y;
    }, 2000);
}

}  // namespace kst_test
