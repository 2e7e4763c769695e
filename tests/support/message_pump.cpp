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
    // The display may still hold a motion from an earlier move; handled after ours, it puts
    // the cursor back where it was. So the cursor must be seen there twice, a little apart,
    // and is put there again whenever it is not.
    auto there = [&] {
        POINT now{};
        ::GetCursorPos(&now);
        return now.x == pt.x && now.y == pt.y;
    };
    const DWORD start = ::GetTickCount();
    int seen = 0;
    while (seen < 2 && ::GetTickCount() - start < 2000) {
        if (!there()) ::SetCursorPos(pt.x, pt.y);
        PumpUntil(there, 200);
        seen = there() ? seen + 1 : 0;
        if (seen < 2) PumpUntil([] { return false; }, 30);
    }
}

}  // namespace kst_test
