// Where the painted caption's buttons go: the close button at the right, then maximise
// (or help), then minimise, for a caption of a given width and the system's button size.
#pragma once

#include <windows.h>

struct CaptionButton {
    RECT rc;      // in caption coordinates
    UINT nState;  // DFCS_ state for DrawFrameControl with DFC_CAPTION
};

struct CaptionButtonLayout {
    CaptionButton buttons[3];
    int nCount;
    // Width to keep free of text at the right edge of the caption; 0 without buttons.
    int nWidth;
};

CaptionButtonLayout LayOutCaptionButtons(int cxCaption, int cxSize, int cySize, DWORD dwStyle, DWORD dwExStyle,
                                         BOOL bZoomed);
