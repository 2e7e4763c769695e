#include "window_placement.h"

#include "message_box.h"

WindowPlacement PlaceInWorkArea(const RECT& rcWork) {
    // Signed division truncates towards zero, as the placement always has.
    const int nLeft = (rcWork.right - rcWork.left - kMainWindowWidth) / 2;
    const int nTop = (rcWork.bottom - rcWork.top - kMainWindowHeight) / 2;
    return WindowPlacement{nLeft, nTop, kMainWindowWidth, kMainWindowHeight};
}

RECT FallbackWorkArea() {
    int cx = ::GetSystemMetrics(SM_CXSCREEN);
    int cy = ::GetSystemMetrics(SM_CYSCREEN);
    if (cx <= 0 || cy <= 0) {
        cx = 640;
        cy = 480;
    }
    return RECT{0, 0, cx, cy};
}

WindowPlacement ComputeWindowPlacement() {
    RECT rcWork{};
    if (!::SystemParametersInfoA(SPI_GETWORKAREA, 0, &rcWork, 0)) {
        AfxMessageBox("SystemParametersInfo Failed.", MB_OK);
        rcWork = FallbackWorkArea();
    }
    return PlaceInWorkArea(rcWork);
}
