// What the caption painter hands to the window it paints for: the notification that asks
// for the content of a caption bitmap, and the record it points to.
#pragma once

#include <windows.h>

class CDC;

// The main frame's choice of notification number (WM_USER + 5). wParam: the activation
// state to draw; lParam: a CaptionPaintInfo, or 0 when the system colours or settings
// changed. The receiver answers 0.
constexpr UINT WM_CAPTIONPAINT = WM_USER + 5;

// Valid only while the notification is being handled: it lives on the painter's stack.
struct CaptionPaintInfo {
    int cx;        // caption width in pixels
    int cy;        // caption height in pixels
    CDC* pDC;      // a memory DC holding the caption bitmap at (0, 0) to (cx, cy)
    BOOL bActive;  // the activation state to draw
};
